#pragma once
// A simulated racing world turned into day files and past-run files, for the comparison tests
// and benchmarks: the world runs racing day after racing day, every central race is stored
// through the day-file store as RA and SE records holding the fields the past-run build reads,
// and the past-run files are built from those days.
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Calendar.h"
#include "World.h"
#include "compare/PastRunBuilder.h"
#include "jvlink/DayFileStore.h"
#include "model/JVData_Structure.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::test {

// A scratch program folder for a simulated world, in memory (/dev/shm) when the machine has one:
// a world writes thousands of past-run files, each flushed to disk on a real file system.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
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

inline std::string SimTime(int tenths) {
  return tenths <= 0 ? std::string("0000") : Fmt("%1d%03d", tenths / 600 % 10, tenths % 600);
}

inline std::string SimRA(const sim::Race& r) {
  std::string ra(kLineLenRA, ' ');
  PutFld(ra, kHdr_RecordType, "RA");
  ra[2] = r.dataKind;
  PutFld(ra, kHdr_MakeDate, "00000000");
  PutFld(ra, kHdr_Date, r.date.Text8());
  PutFld(ra, kHdr_Venue, r.venue);
  PutFld(ra, kHdr_Meeting, Fmt("%02d", r.meeting));
  PutFld(ra, kHdr_MeetingDay, Fmt("%02d", r.day));
  PutFld(ra, kHdr_RaceNum, Fmt("%02d", r.number));
  PutFld(ra, kRA_Distance, Fmt("%04d", r.distance));
  PutFld(ra, kRA_Track, Fmt("%02d", r.track));
  PutFld(ra, kRA_Entered, Fmt("%02d", r.Entered()));
  PutFld(ra, kRA_Starters, Fmt("%02d", r.Starters()));
  PutFld(ra, kRA_Finishers, Fmt("%02d", r.Finishers()));
  return ra;
}

inline std::string SimSE(const sim::World& world, const sim::Race& r, const sim::Runner& h) {
  std::string se(kLineLenSE, ' ');
  PutFld(se, kHdr_RecordType, "SE");
  se[2] = r.dataKind;
  PutFld(se, kHdr_MakeDate, r.date.Text8());
  PutFld(se, kHdr_Date, r.date.Text8());
  PutFld(se, kHdr_Venue, r.venue);
  PutFld(se, kHdr_Meeting, Fmt("%02d", r.meeting));
  PutFld(se, kHdr_MeetingDay, Fmt("%02d", r.day));
  PutFld(se, kHdr_RaceNum, Fmt("%02d", r.number));
  PutFld(se, kSE_Frame, Fmt("%d", h.frame));
  PutFld(se, kSE_HorseNum, Fmt("%02d", h.number));
  const sim::Horse& horse = world.Horses()[static_cast<size_t>(h.horse)];
  se.replace(static_cast<size_t>(kSE_HorseId.pos - 1), 10, horse.id);
  se.replace(static_cast<size_t>(kSE_HorseName.pos - 1), 36, horse.name);
  PutFld(se, kSE_Weight, Fmt("%03d", h.weight));
  PutFld(se, kSE_Arrival, Fmt("%02d", h.arrival));
  PutFld(se, kSE_Finish, Fmt("%02d", h.place));
  PutFld(se, kSE_Time, SimTime(h.time));
  return se;
}

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
      const std::string ra = SimRA(race);
      if (!store.Store(StoreWriter::Import, ra).stored()) continue;
      day.raceFileName = DayFileName(ra);
      for (const sim::Runner& h : race.runners) store.Store(StoreWriter::Import, SimSE(world, race, h));
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
