#include "SimTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "jvlink/JVData_Structure.h"

namespace simtest {

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SplitRecords(const std::string& data) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < data.size()) {
    const size_t e = data.find("\r\n", p);
    if (e == std::string::npos) {
      out.push_back(data.substr(p));
      break;
    }
    out.push_back(data.substr(p, e + 2 - p));
    p = e + 2;
  }
  return out;
}

int LengthOf(const std::string& rec) {
  if (rec.compare(0, 2, "WE") == 0) return 42;
  if (rec.compare(0, 2, "AV") == 0) return 78;
  return kv::RecordLength(rec);
}

TempDir::TempDir() {
  static int n = 0;
  path = fs::temp_directory_path() / ("korvane_sim_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
  fs::remove_all(path);
  fs::create_directories(path);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path, ec);
}

const SampleFeed& Sample() {
  static TempDir dir;
  static SampleFeed feed = [] {
    SampleFeed f;
    f.dir = dir.path / "feed";
    f.timeseries = dir.path / "ts";
    f.options.out = f.dir.string();
    f.options.seed = 11;
    kv::sim::ParseDate("2024-03-09", f.options.from);
    kv::sim::ParseDate("2024-03-17", f.options.to);
    f.options.hasOddsFrom = true;
    kv::sim::ParseDate("2024-03-17", f.options.oddsFrom);
    f.options.hasToday = true;
    kv::sim::ParseDate("2024-03-23", f.options.today);
    f.options.timeseries = f.timeseries.string();
    f.options.recentWeeks = 1;
    f.options.measureCommonOpponents = true;
    std::string error;
    if (!kv::sim::GenerateFeed(f.options, f.stats, error)) ADD_FAILURE() << error;
    return f;
  }();
  return feed;
}

}  // namespace simtest
