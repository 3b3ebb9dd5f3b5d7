#pragma once
// Plain reference versions of the past-run build and the two-horse comparison, for tests and
// benchmarks to hold the fast versions against.
//
// ReferenceSearch2Ba walks A's lines × field entries × B's lines × field entries in file order,
// re-reading B's lines record by record for every opponent, reading every field from the line
// text each time — the straightforward algorithm, without caches or indexes.
// ReferenceBuildOneAtATime merges every built line into its horse's file on its own (load,
// replace or append, sort, write), one race after the other.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compare/PastRunBuilder.h"
#include "compare/PastRunFile.h"
#include "compare/TwoHorseComparison.h"
#include "text/Field.h"

namespace kv {
// Readable counters in test failures.
inline void PrintTo(const PairCounters& c, std::ostream* os) {
  *os << "{compared " << c.compared << ", pt " << c.pointsA << ":" << c.pointsB << ", sole " << c.soleA << ":"
      << c.soleB << "}";
}
}  // namespace kv

namespace kv::test {

// A past-run file read one 826-byte record per access, by seeking, as the plain algorithm
// does (pread where there is one; a seek and a read of a stream on Windows). Missing file:
// size() 0.
class SeekingPastRunFile {
 public:
#ifdef _WIN32
  explicit SeekingPastRunFile(const fs::path& path) : in_(path, std::ios::binary) {
    if (in_) {
      in_.seekg(0, std::ios::end);
      const std::streamoff end = in_.tellg();
      count_ = end > 0 ? static_cast<size_t>(end) / kRecLenPastRun : 0;
    }
  }
#else
  explicit SeekingPastRunFile(const fs::path& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) {
      const off_t end = ::lseek(fd_, 0, SEEK_END);
      count_ = end > 0 ? static_cast<size_t>(end) / kRecLenPastRun : 0;
    }
  }
  ~SeekingPastRunFile() {
    if (fd_ >= 0) ::close(fd_);
  }
#endif
  SeekingPastRunFile(const SeekingPastRunFile&) = delete;
  SeekingPastRunFile& operator=(const SeekingPastRunFile&) = delete;

  size_t size() const { return count_; }
  std::string Line(size_t k) const {
    std::string rec(kRecLenPastRun, ' ');
#ifdef _WIN32
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(k * kRecLenPastRun));
    in_.read(rec.data(), static_cast<std::streamsize>(rec.size()));
    const std::streamsize n = in_.gcount();
#else
    const ssize_t n = ::pread(fd_, rec.data(), rec.size(), static_cast<off_t>(k * kRecLenPastRun));
#endif
    rec.resize(n > 0 ? static_cast<size_t>(n) : 0);
    rec.resize(kLineLenPastRun, ' ');
    return rec;
  }

 private:
#ifdef _WIN32
  mutable std::ifstream in_;
#else
  int fd_ = -1;
#endif
  size_t count_ = 0;
};

namespace ref {

inline int Runners(std::string_view line) { return std::clamp(FldInt(line, 47, 2), 0, 18); }
inline std::string_view EntryName(std::string_view line, int f) { return Fld(line, 163 + 35 * f, 18); }
inline int EntryTime(std::string_view line, int f) { return TimeTenths(Fld(line, 163 + 35 * f + 28, 4)); }
inline int EntryWeight(std::string_view line, int f) { return FldInt(line, 163 + 35 * f + 32, 3); }
inline bool HasName(std::string_view line, std::string_view name) {
  for (int f = 0; f < Runners(line); ++f)
    if (EntryName(line, f) == name) return true;
  return false;
}
inline int Date(std::string_view line) { return FldInt(line, 1, 8); }
inline int Final(std::string_view line) { return FldInt(line, 139, 2); }

}  // namespace ref

// The plain walk. Files: anything with size() and Line(k) (RecordFile, SeekingPastRunFile).
// normA/normB are normalised names; raceDate yyyymmdd; weights today in kg.
template <class FileA, class FileB>
PairCounters ReferenceSearch2Ba(const FileA& a, const FileB& b, const std::string& normA,
                                const std::string& normB, int raceDate, double weightA, double weightB) {
  PairCounters c;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto la = a.Line(i);
    if (ref::Date(la) >= raceDate) continue;
    if (ref::HasName(la, normB)) continue;
    if (ref::Final(la) < 1) continue;
    for (int e = 0; e < ref::Runners(la); ++e) {
      const std::string_view cName = ref::EntryName(la, e);
      if (IsBlank(cName) || cName == normA || cName == normB) continue;
      for (size_t j = 0; j < b.size(); ++j) {
        const auto lb = b.Line(j);
        if (!(ref::Date(lb) < raceDate && ref::Final(lb) >= 1 && !(ref::HasName(lb, normA) && ref::HasName(lb, normB))))
          continue;
        for (int f = 0; f < ref::Runners(lb); ++f) {
          if (ref::EntryName(lb, f) != cName) continue;
          const int tA = TimeTenths(Fld(la, 133, 4)), tC = ref::EntryTime(la, e);
          const int tB = TimeTenths(Fld(lb, 133, 4)), tC2 = ref::EntryTime(lb, f);
          if (tA == 0 || tC == 0 || tB == 0 || tC2 == 0) continue;
          const int wA = FldInt(la, 90, 3), wC = ref::EntryWeight(la, e);
          const int wB = FldInt(lb, 90, 3), wC2 = ref::EntryWeight(lb, f);
          const int todayA = WeightTenths(weightA), todayB = WeightTenths(weightB);
          AddComparison(c, MarginHundredths(tA, tC, wA, wC, todayA, todayB),
                        MarginHundredths(tB, tC2, wB, wC2, todayB, todayA));
        }
      }
    }
  }
  return c;
}

template <class FileA>
int ReferenceMeetings(const FileA& a, const std::string& normB, int raceDate) {
  if (IsBlank(normB)) return 0;
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto la = a.Line(i);
    if (ref::Date(la) < raceDate && ref::Final(la) >= 1 && ref::HasName(la, normB)) ++n;
  }
  return n;
}

// The build with every line merged into its file on its own, one race after the other.
inline PastRunBuildResult ReferenceBuildOneAtATime(const fs::path& programFolder, std::vector<std::string> days) {
  PastRunBuildResult result;
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  for (const std::string& day : days) {
    for (const PastRunNewLine& l : PastRunDayLines(programFolder, day, result)) {
      const fs::path path = PastRunPath(programFolder, l.horseId);
      RecordFile old = ReadPastRunRecords(path);
      if (!old.ok() && !old.missing()) continue;
      std::vector<std::string> lines;
      for (size_t k = 0; k < old.size(); ++k) lines.emplace_back(old.Line(k));
      MergePastRunLine(lines, l.line);
      if (!WritePastRunFile(path, lines)) result.ok = false;
      ++result.filesWritten;
    }
    ++result.daysBuilt;
  }
  return result;
}

}  // namespace kv::test
