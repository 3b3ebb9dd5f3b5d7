#pragma once
// The past-run files of one comparison run, each read and parsed once, keyed by horse ID.
//
// A run compares every pair of runners of a race, and the same horse's file takes part in up
// to 17 pairs of every race it runs in. The cache parses each file once into numbers, turns
// every 18-byte opponent name into a small integer (one name table for the whole run, so a name
// test is an integer test) and indexes each file by opponent: for every name, the (line, entry)
// places where it occurs among the first n field entries of a line, in file order.
//
// The files must not change during the run; make a new cache for the next run.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/Files.h"
#include "compare/PastRunFile.h"

namespace kv {

// One field entry of a past-run line, parsed.
struct PastRunRunner {
  int name = -1;   // id in the run's name table; PastRunCache::kBlankName for a blank name
  int time = 0;    // tenths of a second; 0 = no time
  int weight = 0;  // carried weight in 0.1 kg
};

// One past-run line, parsed: the values the comparison reads.
struct PastRunRace {
  int date = 0;      // yyyymmdd
  int runners = 0;   // registered runners n, clamped to 0..18: the entries to scan
  int weight = 0;    // the horse's own carried weight in 0.1 kg
  int time = 0;      // the horse's own time in tenths of a second
  int finalPos = 0;  // the horse's own final position
  std::array<PastRunRunner, kak::kEntries> field{};
};

// Where an opponent occurs in a file.
struct PastRunPlace {
  int line;
  int entry;
};

struct PastRunIndex {
  std::vector<PastRunRace> races;  // file order (oldest first)
  // name id -> places in file order (line ascending, then entry ascending); blank names are not
  // indexed.
  std::unordered_map<int, std::vector<PastRunPlace>> byName;

  const std::vector<PastRunPlace>* Find(int name) const {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : &it->second;
  }
};

class PastRunCache {
 public:
  static constexpr int kBlankName = -1;    // a name of ASCII blanks only
  static constexpr int kUnknownName = -2;  // a name that occurs in no file read so far

  explicit PastRunCache(fs::path programFolder) : programFolder_(std::move(programFolder)) {}

  // The parsed file of a horse. nullptr when there is none: the ID is not ten digits, the file
  // does not exist, or it is damaged or unreadable — then error is set to the CP932 message
  // naming the file (left empty otherwise). Each file is read at most once per cache.
  const PastRunIndex* Get(std::string_view horseId, std::string* error = nullptr);

  // The id of an 18-byte name: kBlankName for blanks, kUnknownName when no file read so far
  // holds it (such a name matches nothing).
  int NameId(std::string_view name) const;

  // Parses lines into an index using this cache's name table (files are read through Get).
  PastRunIndex Parse(const RecordFile& file);

  const fs::path& programFolder() const { return programFolder_; }

 private:
  struct Entry {
    std::unique_ptr<PastRunIndex> index;  // null when there is no usable file
    std::string error;
  };
  int Intern(std::string_view name);

  fs::path programFolder_;
  std::unordered_map<std::string, Entry> files_;  // by horse ID
  std::unordered_map<std::string, int> names_;
};

}  // namespace kv
