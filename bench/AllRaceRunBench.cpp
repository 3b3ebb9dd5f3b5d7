// The all-race run of one simulated race day (every pair of every race compared, ranked and the
// prediction files written) against merely reading the files it reads (the runners' past-run and
// prediction files), and
// the run over every simulated day as the unprocessed-days "Start" makes it (each day loaded by
// the day loader, then compared, ranked and written).
//
// The world: KORVANE_BENCH_DAYS racing days (default 100, about a year) simulated from
// 2023-09-01; the last day is the one analysed. The folder is in memory when /dev/shm exists,
// unless KORVANE_SCRATCH_DIR names a folder on disk.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>

#include "app/Settings.h"
#include "compare/AllRaceRun.h"
#include "workbench/DayLoader.h"
#include "app/ProgramFolders.h"
#include "compare/PastRunCache.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "compare/UnprocessedDays.h"
#include "model/RaceDayModel.h"
// after RecordFile.h (through PastRunFile.h), which it uses
#include "SimulatedPastRuns.h"
#include "ReadEveryFile.h"
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

// Every prediction file and processed-days list of the folder removed: a history never analysed.
void RemovePredictions(const fs::path& prog) {
  std::vector<fs::path> gone;
  for (const auto& e : fs::recursive_directory_iterator(prog))
    if (e.path().extension() == ".yos" || e.path().filename().string().starts_with("yosowriten")) gone.push_back(e.path());
  for (const fs::path& p : gone) fs::remove(p);
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

// The floor of the whole run: reading every file it reads, plainly — each runner's past-run file
// and prediction file (the run merges its lines into the latter; the prediction files are made
// by one run first when they are not there yet).
void BM_ReadRunFiles(benchmark::State& state) {
  World& w = TheWorld();
  std::vector<fs::path> files;
  for (const std::string& id : w.ids) {
    files.push_back(PastRunPath(w.folder.path(), id));
    files.push_back(PredictionPath(w.folder.path(), id));
  }
  if (!fs::exists(files.back())) {
    SilentUi ui;
    RunAllRaces(*w.model, LoadedSettings(w.folder.path(), false), ui);
  }
  size_t bytes = 0;
  for (auto _ : state) bytes = ReadEveryFile(files);
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["bytes"] = static_cast<double>(bytes);
}

// Reading (framing checked) every past-run file of the day's runners once.
void BM_ReadPastRunFiles(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    size_t lines = 0;
    for (const std::string& id : w.ids) lines += ReadPastRunRecords(PastRunPath(w.folder.path(), id)).size();
    benchmark::DoNotOptimize(lines);
  }
}

std::vector<std::string> DayNamesNewestFirst(const World& w) {
  std::vector<std::string> dayNames;  // as the day list holds them
  for (auto it = w.days.rbegin(); it != w.days.rend(); ++it) dayNames.push_back(it->raceFileName.substr(0, 14));
  return dayNames;
}

// Every simulated day loaded and analysed, oldest first, as the unprocessed-days run of the
// command line does it: the prediction lines of all days kept in one batch and written at the
// end, the past-run files kept from day to day (kept_MiB: what the cache held at the end). Each
// iteration starts without prediction files and processed-days lists.
void BM_UnprocessedDaysRun(benchmark::State& state) {
  World& w = TheWorld();
  const Settings settings = LoadedSettings(w.folder.path(), false);
  SilentUi ui;
  const std::vector<std::string> dayNames = DayNamesNewestFirst(w);
  auto day = std::make_unique<RaceDayModel>();
  int analysed = 0;
  size_t keptBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RemovePredictions(w.folder.path());
    state.ResumeTiming();
    PredictionBatch batch(w.folder.path());
    PastRunCache pastRuns(w.folder.path());
    std::vector<int> tickets;
    ProcessUnprocessedDays(dayNames, ui, [&](const std::string& name) {
      tickets.push_back(
          LoadAndRunAllRaces(*day, name, settings, ui, {}, AllRaceRecord::Write, &batch, &pastRuns).run.predictionTicket);
      return true;
    });
    const PredictionBatch::WriteOutcome written = batch.Write();
    analysed = 0;
    for (int t : tickets) analysed += t >= 0 && written.days[static_cast<size_t>(t)].written;
    keptBytes = pastRuns.HeldBytes();
  }
  state.counters["days"] = analysed;
  state.counters["kept_MiB"] = static_cast<double>(keptBytes) / (1 << 20);
}

// Its floor: reading every file the run reads (each day's race, entry and payout files and every
// runner's past-run file, once per day it runs) and writing the prediction files it writes, with
// the same bytes (taken from the run before), plainly.
void BM_UnprocessedDaysFloor(benchmark::State& state) {
  World& w = TheWorld();
  const fs::path prog = w.folder.path();
  std::vector<std::pair<fs::path, std::string>> predictions;
  for (const auto& e : fs::recursive_directory_iterator(LocateProgramFolders(prog).sei))
    if (e.path().extension() == ".yos") {
      std::string bytes;
      ReadFile(e.path(), bytes);
      predictions.emplace_back(e.path(), std::move(bytes));
    }
  std::vector<fs::path> reads;
  for (const SimulatedDay& d : w.days) {
    reads.push_back(DataFilePath(prog, d.raceFileName));
    reads.push_back(DataFilePath(prog, SiblingFileName(d.raceFileName, "HR")));
    std::set<std::string> venues;
    for (const std::string& ra : d.ra) venues.insert(std::string(Fld(ra, kHdr_Venue)));
    for (const std::string& v : venues) reads.push_back(DataFilePath(prog, EntryFileName(d.raceFileName, v)));
    for (const auto& race : d.se)
      for (const std::string& se : race) reads.push_back(PastRunPath(prog, FldStr(se, kSE_HorseId)));
  }
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RemovePredictions(prog);
    state.ResumeTiming();
    bytes = ReadEveryFile(reads);
    for (const auto& [path, out] : predictions)
      std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
  }
  state.counters["files read"] = static_cast<double>(reads.size());
  state.counters["files written"] = static_cast<double>(predictions.size());
  state.counters["bytes read"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK(BM_AllRaceRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllRaceRunWithoutWriting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRunFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPastRunFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnprocessedDaysRun)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_UnprocessedDaysFloor)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
