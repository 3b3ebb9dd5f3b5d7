// Loading a full race day (36 races at three venues: race and entry files, payouts, the six
// odds files, every runner's past-run and prediction file) with the day loader, against merely
// reading the same files.
//
// The world: KORVANE_BENCH_LOAD_MONTHS months (default 12) of simulated history with final odds
// for the last two months, imported; the newest 36-race day with odds is loaded, after one
// all-race run has written its runners' prediction files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "ImportedFeed.h"
#include "compare/AllRaceRun.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/DayLoader.h"

using namespace kv;
using namespace kv::test;

namespace {

sim::Date LastDay() {
  const char* env = std::getenv("KORVANE_BENCH_LOAD_MONTHS");
  const int months = env ? std::clamp(std::atoi(env), 3, 60) : 12;
  return sim::Date{2022, 12, 31}.Plus(months * 30);
}

struct World {
  sim::Date oddsFrom = LastDay().Plus(-60);
  SimulatedFeed feed{sim::Date{2023, 1, 1}, LastDay(), &oddsFrom};
  fs::path prog = feed.folder.path() / "prog";
  std::string dayName;         // CP932
  std::vector<fs::path> files;  // every file the load reads
  std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
  int races = 0, runners = 0;

  World() {
    if (ImportFeed(feed.feed, prog, feed.now, feed.from) != AccumulatedImport::Outcome::Completed)
      throw std::runtime_error("the import did not complete");
    SilentUi ui;
    Settings settings(prog);
    settings.Load();
    for (const std::string& name : ListDays(LocateProgramFolders(prog).data)) {  // newest first
      if (!fs::exists(DataFilePath(prog, name + ".jvO1"))) continue;
      if (LoadRaceDay(*day, name, settings, ui).raceSlots.size() == 36) {
        dayName = name;
        break;
      }
    }
    if (dayName.empty()) throw std::runtime_error("no 36-race day with odds in the world");
    RunAllRaces(*day, settings, ui);  // the prediction files of the day's runners

    const ProgramFolders folders = LocateProgramFolders(prog);
    for (const auto& e : fs::directory_iterator(folders.data))
      if (e.path().filename().string().starts_with(ToUtf8(dayName))) files.push_back(e.path());
    for (int r = 0; r < kMaxRaces; ++r) {
      if (day->IsRaceSlotEmpty(r)) continue;
      ++races;
      for (int k = 0; k < day->RunnerCount(r); ++k) {
        ++runners;
        const std::string_view id = Fld(day->Entry(r, k), kSE_HorseId);
        for (const fs::path& p : {PastRunPath(prog, id), PredictionPath(prog, id)})
          if (fs::exists(p)) files.push_back(p);
      }
    }
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void Counters(benchmark::State& state) {
  const World& w = TheWorld();
  state.counters["races"] = w.races;
  state.counters["runners"] = w.runners;
  state.counters["files"] = static_cast<double>(w.files.size());
}

void BM_LoadFullDay(benchmark::State& state) {
  World& w = TheWorld();
  const DayLoadOptions options;
  SilentUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(LoadRaceDay(*w.day, w.prog, w.dayName, options, ui).loaded);
  Counters(state);
}

// The floor: the same files read whole, nothing checked or parsed.
void BM_ReadSameFiles(benchmark::State& state) {
  World& w = TheWorld();
  std::string bytes;
  for (auto _ : state) {
    size_t total = 0;
    for (const fs::path& p : w.files) {
      ReadFile(p, bytes);
      total += bytes.size();
    }
    benchmark::DoNotOptimize(total);
  }
  Counters(state);
}

}  // namespace

BENCHMARK(BM_LoadFullDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSameFiles)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
