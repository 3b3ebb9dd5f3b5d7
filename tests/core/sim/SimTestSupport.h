#pragma once
// Shared helpers of the simulator tests: a generated feed (made once per test program), file
// reading and record splitting.
#include <filesystem>
#include <string>
#include <vector>

#include "Feed.h"
#include "app/Ports.h"

namespace simtest {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p);

// Records of a file of CR LF terminated records.
std::vector<std::string> SplitRecords(const std::string& data);

// JV-Data length with CR LF of a record type, including the ignored types the feed carries.
int LengthOf(const std::string& rec);

// A fresh folder under the system's temporary folder, removed by the destructor.
struct TempDir {
  TempDir();
  ~TempDir();
  fs::path path;
};

// A feed of two March 2024 weekends with final odds on the last day, a live race day after
// them, and a time-series folder. Generated once per test program.
struct SampleFeed {
  kv::sim::FeedOptions options;
  kv::sim::FeedStats stats;
  fs::path dir, timeseries;
};
const SampleFeed& Sample();

class FixedClock : public kv::Clock {
 public:
  kv::DateTime now;
  kv::DateTime Now() const override { return now; }
};

}  // namespace simtest
