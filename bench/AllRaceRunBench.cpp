// The all-race run of one simulated race day (every pair of every race compared, ranked and the
// prediction files written) against merely reading the past-run files of the day's runners, and
// the run over every simulated day as the unprocessed-days "Start" makes it (each day loaded by
// the day loader, then compared, ranked and written).
//
// The world: KORVANE_BENCH_DAYS racing days (default 100) simulated from 2023-09-01; the last
// day is the one analysed. The folder is in memory when /dev/shm exists.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "app/Settings.h"
#include "compare/AllRaceRun.h"
#include "workbench/DayLoader.h"
#include "compare/PastRunFile.h"
#include "compare/UnprocessedDays.h"
#include "model/RaceDayModel.h"
// after RecordFile.h (through PastRunFile.h), which it uses
#include "SimulatedPastRuns.h"
#include "SilentUi.h"

using namespace kv;
using namespace kv::test;

namespace {

struct World {
  ScratchFolder folder;
  std::vector<SimulatedDay> days;
  std::unique_ptr<RaceDayModel> model = std::make_unique<RaceDayModel>();
  std::vector<std::string> ids;  // the analysed day's runners
  int races = 0;

  World() {
    const char* env = std::getenv("KORVANE_BENCH_DAYS");
    const int count = env ? std::max(2, std::atoi(env)) : 100;
    days = SimulatePastRuns(folder.path(), 20240601, sim::Date{2023, 9, 1}, count);
    const SimulatedDay& day = days.back();
    races = static_cast<int>(day.ra.size());
    for (size_t r = 0; r < day.ra.size(); ++r) {
      model->RaceRecords.Set(static_cast<int>(r), day.ra[r] + "\r\n");
      for (size_t k = 0; k < day.se[r].size(); ++k) {
        model->EntryRecords.Set(RaceDayModel::EntryIndex(static_cast<int>(r), static_cast<int>(k)), day.se[r][k]);
        ids.push_back(FldStr(day.se[r][k], kSE_HorseId));
      }
    }
  }
};

World& TheWorld() {
  static World w;
  return w;
}

Settings LoadedSettings(const fs::path& folder, bool ignoreDates) {
  Settings s(folder);
  s.Load();
  s.WriteBool("ReadKako", "IgnoDate", ignoreDates);
  return s;
}

// The whole run: reset, compare every race, write the predictions, rank.
void BM_AllRaceRun(benchmark::State& state) {
  World& w = TheWorld();
  const Settings settings = LoadedSettings(w.folder.path(), false);
  SilentUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(RunAllRaces(*w.model, settings, ui).predictionsWritten);
  state.counters["races"] = w.races;
  state.counters["runners"] = static_cast<double>(w.ids.size());
}

// The comparisons and rankings alone (IgnoDate on: nothing is written).
void BM_AllRaceRunWithoutWriting(benchmark::State& state) {
  World& w = TheWorld();
  const Settings settings = LoadedSettings(w.folder.path(), true);
  SilentUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(RunAllRaces(*w.model, settings, ui).compared);
  LoadedSettings(w.folder.path(), false);
}

// The floor: reading (framing checked) every past-run file of the day's runners once.
void BM_ReadPastRunFiles(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    size_t lines = 0;
    for (const std::string& id : w.ids) lines += ReadPastRunRecords(PastRunPath(w.folder.path(), id)).size();
    benchmark::DoNotOptimize(lines);
  }
}

// Every simulated day loaded and analysed, oldest first, as the unprocessed-days "Start" does.
void BM_UnprocessedDaysRun(benchmark::State& state) {
  World& w = TheWorld();
  const Settings settings = LoadedSettings(w.folder.path(), false);
  SilentUi ui;
  std::vector<std::string> dayNames;  // newest first, as the day list holds them
  for (auto it = w.days.rbegin(); it != w.days.rend(); ++it) dayNames.push_back(it->raceFileName.substr(0, 14));
  auto day = std::make_unique<RaceDayModel>();
  int analysed = 0;
  for (auto _ : state) {
    analysed = ProcessUnprocessedDays(dayNames, ui, [&](const std::string& name) {
      return LoadAndRunAllRaces(*day, name, settings, ui).run.predictionsWritten;
    });
  }
  state.counters["days"] = analysed;
}

}  // namespace

BENCHMARK(BM_AllRaceRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllRaceRunWithoutWriting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPastRunFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnprocessedDaysRun)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
