#pragma once
// The all-race run ("全ﾚｰｽ比較"): the one operation that produces a day's analysis. It resets the
// comparison totals of every race of the loaded day, compares every race (all pairs through
// common opponents, with one past-run cache for the whole run), records each runner's result in
// its prediction file and the day in the processed-days list, then runs the win ranking.
//
// The races are shared between the caller's thread and a second one (AllRaceRunShared::threads);
// the outcome is that of comparing them one by one in order. While it runs the main window is
// disabled (the hooks) and the progress bar counts every race compared; the progress window
// shows the races the caller's thread compares and their pairs, and pending window messages run
// once per such race and pair (the second thread never calls the user's port).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/RaceDayModel.h"

namespace kv {

class PastRunCache;
class PredictionBatch;
class Settings;
class UiPort;

struct AllRaceRunHooks {
  // Disables (false) and enables again (true) the main window around the comparisons.
  std::function<void(bool enabled)> setWindowEnabled;
  // Shows the selected race again (race selection) once the run is done.
  std::function<void()> refreshSelectedRace;
};

struct AllRaceRunResult {
  bool ran = false;                 // false: no races loaded (the message was shown)
  bool compared = false;            // every race was compared and ranked
  bool predictionsWritten = false;  // every prediction line was written
  bool dayRecorded = false;         // the day entered the processed-days list
  bool writeFailed = false;         // a prediction file or the processed-days list could not be written
  int racesCompared = 0;
  std::vector<std::string> errors;  // CP932; already shown to the user
  // With a prediction batch: the lines are in the batch, to be written by its Write, and this
  // is the day's ticket there (-1 otherwise).
  int predictionTicket = -1;
};

// Comparison totals, rates, ranks, pair fields and Compared of all 36 race slots to their
// initial values (rates -1.0, everything else 0).
void ResetComparisons(RaceDayModel& day);

// The progress text of a race: "yyyy/mm/dd <venue> <race number>R " (race number with its
// leading zero, as stored).
std::string RaceProgressText(std::string_view ra);

// The number of races of the loaded day: the race slots with a race.
int LoadedRaceCount(const RaceDayModel& day);

// The IDs of every runner of the day, race by race, in the order the comparisons use them.
std::vector<std::string> RunnerIds(const RaceDayModel& day);

// Starts the cache reading the past-run and prediction files of every runner of the day ahead
// (PastRunCache::ReadAhead); a prediction file the batch already holds is not read.
void ReadAheadRunners(PastRunCache& pastRuns, const RaceDayModel& day, const PredictionBatch* batch = nullptr);

// Whether the all-race run records what it found: the prediction lines and the processed-days
// list (Write), or only compares and ranks the loaded day (InMemory: no file is written).
enum class AllRaceRecord { Write, InMemory };

// Runs the all-race run on the loaded day. The program folder (past-run and prediction files,
// processed-days lists) is the settings' folder. With "ReadKako"/"IgnoDate" on, the comparison
// and ranking run and are shown, but nothing is written and the day stays unprocessed.
AllRaceRunResult RunAllRaces(RaceDayModel& day, const Settings& settings, UiPort& ui,
                             const AllRaceRunHooks& hooks = {}, AllRaceRecord record = AllRaceRecord::Write);

// What a run may share with the load before it and the days after it.
struct AllRaceRunShared {
  // The past-run files as the day loader read them (same program folder): each file is read
  // once for the load and the comparisons. A cache of the run's own when null.
  PastRunCache* pastRuns = nullptr;
  // A run over many days: the prediction lines (and the day for its processed-days list) go
  // into the batch, and the batch's Write puts them on disk. Written at once when null.
  PredictionBatch* predictions = nullptr;
  // The threads comparing races: 2 shares the races with a second thread, 1 compares them all on
  // the caller's. The outcome is the same.
  int threads = 2;
};
AllRaceRunResult RunAllRaces(RaceDayModel& day, const Settings& settings, UiPort& ui, const AllRaceRunHooks& hooks,
                             AllRaceRecord record, const AllRaceRunShared& shared);

}  // namespace kv
