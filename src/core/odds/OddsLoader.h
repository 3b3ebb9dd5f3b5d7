#pragma once
// Odds loading: the stored O1..O6 records of one race slot become the race's odds tables.
//
// For the slot `OddsRace` of the loaded day, the first record of each odds file whose venue code
// (positions 20-21) and race number (26-27) equal the slot's race record is copied verbatim into
// OddsRecords1..6; then every odds and popularity table of the slot's TOutData is rebuilt from
// the raw records the slot holds (a type without a record in its file keeps its previous raw
// record). The odds slots of a record are fixed: entry i is the i-th combination of 18 horses in
// ascending order (28 slots for O1's win and place of which the first 18 are read), whatever the
// combination field in front of it says.
//
// Odds values: > 0 the odds (field / 10), 0.0 not loaded, -1.0 cancelled (the field is all "-" or
// all "*"), -2.0 blank (no such horse or combination). Win and place popularity are not read from
// the record: they are the horse's place in the ascending text order of fixed-width key lines.
//
// The day's odds files are read through a DayOddsFiles object, each file at most once, so the
// day loader can load all 36 slots without re-reading an 83 KB-per-race trifecta file 36 times:
//
//   DayOddsFiles files(day.DayFilePath);
//   for (int r = 0; r < kMaxRaces; ++r) {
//     day.OddsRace = r;
//     OddsLoadResult res = LoadOdds(day, files);
//     if (!res.ok()) ...   // a damaged odds file, named in res.errors (the same file each time)
//   }
//
// A DayOddsFiles keeps the files as it first read them: make a new one after odds files were
// written (LoadOdds(day) does that for a single slot).
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "jvlink/RecordFile.h"
#include "model/RaceDayModel.h"

namespace kv {

// The six odds files of one day (race file name with ".jvO1" … ".jvO6"), each read whole and
// framing-checked on first use.
class DayOddsFiles {
 public:
  // raceFilePath: the day's race file (the model's DayFilePath); the odds files sit beside it.
  explicit DayOddsFiles(fs::path raceFilePath);

  // Path of the odds file of type 1..6.
  fs::path PathOf(int type) const;

  // The first record (with CR LF) of odds file `type` (1..6) whose venue code and race number
  // equal venueRace (4 bytes: venue code followed by race number). Empty when the file is
  // missing, damaged or unreadable, or holds no such record.
  std::string_view Find(int type, std::string_view venueRace);

  // CP932 message naming the file of `type` when it is damaged or unreadable; empty otherwise
  // (also for a missing file, which is not an error).
  const std::string& Error(int type);

 private:
  const RecordFile& File(int type);

  fs::path raceFilePath_;
  std::array<RecordFile, 6> files_;
  std::array<bool, 6> read_{};
};

struct OddsLoadResult {
  // CP932 messages, one per damaged or unreadable odds file met (that type's raw record was left
  // as it was, so nothing is read from shifted fields).
  std::vector<std::string> errors;
  bool ok() const { return errors.empty(); }
};

// Loads the odds of slot day.OddsRace from the files, rebuilds its tables and then runs the win
// ranking hook. An OddsRace outside 0..35 loads nothing and is reported in errors.
OddsLoadResult LoadOdds(RaceDayModel& day, DayOddsFiles& files);
// The same with the day's odds files freshly read (beside day.DayFilePath).
OddsLoadResult LoadOdds(RaceDayModel& day);

// Rebuilds every odds and popularity table of out from the six raw records o[0..5] (O1..O6) of a
// race with `runners` registered runners (0..18), and sets OddsTime from O1. Horse numbers above
// runners keep 0.0 and popularity 0.
void BuildOddsTables(TOutData& out, int runners, const std::array<std::string_view, 6>& o);

// The two marker values of an odds table.
inline constexpr double kOddsCancelled = -1.0;  // the field held "-" or "*" throughout
inline constexpr double kOddsNone = -2.0;       // blank field: no such horse or combination
inline bool IsOddsMarker(double v) { return v == kOddsCancelled || v == kOddsNone; }

// Value of one odds field: -1.0 for all "-" or all "*" over its width, -2.0 when blank, else the
// field read as a decimal number divided by 10 (0.0 when it does not read).
double OddsFieldValue(std::string_view field);

// The win ranking that runs at the end of every odds load (it ranks the day's races on the
// current win odds). Set once by the owner of the rankings; nothing runs while it is empty.
using WinRankingHook = std::function<void(RaceDayModel& day)>;
void SetWinRankingHook(WinRankingHook hook);

}  // namespace kv
