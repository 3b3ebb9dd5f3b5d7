#pragma once
// A simulated racing world turned into day files and past-run files, for the comparison tests
// and benchmarks: the world runs racing day after racing day, the final results (RA and SE of
// data kind "7") of every central race are stored through the day-file store, and the past-run
// files are built from those days.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Calendar.h"
#include "Records.h"
#include "World.h"
#include "compare/PastRunBuilder.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::test {

// A scratch program folder for a simulated world, in memory (/dev/shm) when the machine has one:
// a world writes thousands of past-run files, each flushed to disk on a real file system. The
// environment variable KORVANE_SCRATCH_DIR names another base folder (a benchmark on disk).
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    std::error_code ec;
    const char* chosen = std::getenv("KORVANE_SCRATCH_DIR");
    const fs::path base = chosen && *chosen                   ? fs::path(chosen)
                          : fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm")
                                                              : fs::temp_directory_path();
    path_ = base / ("korvane_sim_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_, ec);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct SimulatedDay {
  std::string raceFileName;     // CP932, e.g. "2011年04月30日.jvRA"
  std::vector<std::string> ra;  // the day's RA lines, in race-file order (as the store sorts them)
  // SE lines of each race of ra, by horse number - 1.
  std::vector<std::vector<std::string>> se;
};

// Runs the world from start over `days` racing days, stores every central race under
// programFolder and builds the past-run files of all days. Returns the days in order.
inline std::vector<SimulatedDay> SimulatePastRuns(const fs::path& programFolder, uint64_t seed,
                                                  const sim::Date& start, int days) {
  sim::World world(seed, start);
  sim::Calendar calendar;
  std::vector<SimulatedDay> out;
  DayFileStore store(programFolder);
  for (sim::Date d = start; static_cast<int>(out.size()) < days; d = d.Plus(1)) {
    if (!sim::IsRacingDate(d)) continue;
    SimulatedDay day;
    for (const sim::Race& race : world.RunDay(calendar.Next(d))) {
      if (race.dataKind != '7') continue;
      const std::string ra = sim::MakeRA(world, race, '7', d);
      if (!store.Store(StoreWriter::Import, ra).stored()) continue;
      day.raceFileName = DayFileName(ra);
      for (const sim::Runner& h : race.runners) store.Store(StoreWriter::Import, sim::MakeSE(world, race, h, '7', d));
    }
    if (day.raceFileName.empty()) continue;
    out.push_back(std::move(day));
  }
  store.Flush();
  std::vector<std::string> names;
  for (SimulatedDay& day : out) {
    names.push_back(day.raceFileName);
    // Read the day back as the store keeps it: race-file order and the entry grids.
    RecordFile races = RecordFile::Read(DataFilePath(programFolder, day.raceFileName), kRecLenRA);
    for (size_t r = 0; r < races.size() && r < 36; ++r) {
      const std::string_view ra = races.Line(r);
      day.ra.emplace_back(ra);
      RecordFile entries =
          RecordFile::Read(DataFilePath(programFolder, EntryFileName(day.raceFileName, Fld(ra, kHdr_Venue))), kRecLenSE);
      std::vector<std::string> se;
      const int n = std::clamp(FldInt(ra, kRA_Entered), 0, 18);
      for (int k = 0; k < n; ++k) {
        const size_t at = static_cast<size_t>(FldInt(ra, kHdr_RaceNum) - 1) * 18 + static_cast<size_t>(k);
        se.emplace_back(at < entries.size() ? entries.Line(at) : std::string_view{});
      }
      day.se.push_back(std::move(se));
    }
  }
  BuildPastRunFiles(programFolder, names);
  return out;
}

}  // namespace kv::test
