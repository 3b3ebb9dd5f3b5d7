#pragma once
// The day loader: turns the stored files of one race day into the race-day model.
//
// It reads the day's race file ("<day>.jvRA" in the data folder), the entry file of every
// venue ("<day><venue>.jvSEr") and the payout file (".jvHR"), checks that every entered runner
// has arrived, loads the odds of all 36 race slots, derives the payout fields and result texts,
// and reads each runner's past runs from its past-run file (SEI/<yyyy>/<id>.kak) inside the
// data window, with the per-runner statistics and the conformity marks of its prediction file
// (SEI/<yyyy>/<id>.yos). Finally it sets the fetch times of every race and the stake list.
//
// What it does not do is the window's part of a load: choosing the first race, the timers,
// today's actions and the all-race run are the workbench's (Workbench::LoadDay).
//
//   DayLoadResult res = LoadRaceDay(day, dayName, settings, ui);
//   if (res.loaded) show res.raceList;
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "model/RaceDayModel.h"
#include "app/Ports.h"
#include "compare/AllRaceRun.h"

namespace kv {

class PastRunCache;
class PredictionBatch;
class Settings;

// The settings a load reads.
struct DayLoadOptions {
  int dataSpanDays = 1826;      // DataSpan/period: past runs newer than the race day minus this
  bool ignorePastRunDates = false;  // ReadKako/IgnoDate: every past run counts, whatever its date
  int oddsFetchMinutes = 10;    // Time/AutoOzGet
  int oddsFetchSeconds = 0;     // Time/AutoOzGetSec
  int voteIntervalSeconds = 5;  // Time/AutoTohyoInterval
  int defaultStake = 3000;      // KaimeSet/DefaultAmount

  static DayLoadOptions From(const Settings& settings);
};

struct DayLoadResult {
  // True when the day was read; false when the load stopped (the reason was shown).
  bool loaded = false;
  // The race list: one item per race slot with a race, in slot order (CP932), and the race
  // slot of each item.
  std::vector<std::string> raceList;
  std::vector<int> raceSlots;
  // Files met on the way that could not be read or are damaged (CP932 messages naming them).
  // Their content was left out; the load went on. Already shown to the user.
  std::vector<std::string> problems;
};

// Loads the day named dayName (14-byte CP932 day name "yyyy年mm月dd日") from the program folder
// into day. Progress and messages go through ui. A missing race file, a missing entry file or
// an entry not yet received stops the load with the incomplete-data message; a damaged race or
// entry file stops it with a message naming the file.
DayLoadResult LoadRaceDay(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                          const DayLoadOptions& options, UiPort& ui);
// The same from the settings' program folder with the options the settings hold.
DayLoadResult LoadRaceDay(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui);
// As the first, reading the runners' past-run files through pastRuns (made for progDir; it keeps
// them for the all-race run that follows, so each file is read once), and a prediction file as
// predictions holds it when it holds it (the lines a run over many days has not written yet).
DayLoadResult LoadRaceDay(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                          const DayLoadOptions& options, UiPort& ui, PastRunCache& pastRuns,
                          const PredictionBatch* predictions);

// The race list item of a race record: venue name and race number as "%2dR" ("中山 1R").
std::string RaceListItem(std::string_view ra);

// The day name of a date typed as "yyyymmdd", or the text itself when it already is a day name
// ("yyyy年mm月dd日" in CP932). Empty when it is neither or names no real calendar date.
std::string DayNameFromInput(std::string_view cp932);

// The past-run statistics of one runner, as the loader derives them, for tests and the CLI:
// the data window is (windowStart, raceDate) exclusive at both ends unless ignoreDates is set.
struct PastRunWindow {
  int raceDate = 0;     // yyyymmdd
  int windowStart = 0;  // yyyymmdd
  bool ignoreDates = false;
  bool Contains(int yyyymmdd) const { return ignoreDates || (yyyymmdd > windowStart && yyyymmdd < raceDate); }
};

// The window of a race dated yyyymmdd with a data span of spanDays calendar days.
PastRunWindow MakePastRunWindow(int raceDate, int spanDays, bool ignoreDates);

// Odds fetch time ("hhmmss") of a post time "hhmm": the post time shifted back by the minutes
// and seconds; the vote time is voteInterval seconds later. Empty for a blank post time.
std::string OddsFetchTime(std::string_view postTime, int minutes, int seconds);
std::string VoteFetchTime(std::string_view postTime, int minutes, int seconds, int voteInterval);

// A day loaded by its name and then run: what the unprocessed-days run and the command line do
// with a day.
struct LoadedDayRun {
  DayLoadResult load;    // the day loader's result
  AllRaceRunResult run;  // left at its defaults when the run did not start
  // The day loaded and every race was compared and ranked.
  bool Analysed() const { return load.loaded && run.compared; }
  // Analysed, and every file the run writes (predictions, processed days) reached the disk.
  bool Recorded() const { return Analysed() && !run.writeFailed; }
};

// The option "AllRace"/"ExecComp" (データ読込後直ちに全レース比較を行う): the all-race run follows
// every load of a day.
inline constexpr const char* kCompareAfterLoadSection = "AllRace";
inline constexpr const char* kCompareAfterLoadKey = "ExecComp";
bool CompareAfterLoad(const Settings& settings);

// Choosing a day in the date box, as far as the model goes: the day loaded with the settings,
// then the all-race run when CompareAfterLoad says so (run left at its defaults otherwise).
LoadedDayRun LoadDayAsWorkbench(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui);

// Loads the day dayName (the 14-byte CP932 day name) with the settings (LoadRaceDay), then runs
// the all-race run on it. proceed, when given, sees the loaded day first and may stop before
// the run (it tells the user why).
// record: whether the run writes the prediction files and the processed-days list
// (AllRaceRecord::InMemory: compared and ranked only). predictions, when given, is the batch of
// a run over many days: the loader reads the prediction lines it holds and the run adds the
// day's lines to it (written by the batch's Write). pastRuns, when given, is the past-run cache
// of a run over many days, kept from day to day (PastRunCache::NextDay) so that a horse's file
// is read and parsed once for all the days it runs on; it is used only when nothing but the
// batch writes (with predictions, or with AllRaceRecord::InMemory).
LoadedDayRun LoadAndRunAllRaces(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui,
                                const std::function<bool(const DayLoadResult&)>& proceed = {},
                                AllRaceRecord record = AllRaceRecord::Write, PredictionBatch* predictions = nullptr,
                                PastRunCache* pastRuns = nullptr);

}  // namespace kv
