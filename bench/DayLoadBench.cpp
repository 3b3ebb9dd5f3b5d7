// Loading a full race day (36 races at three venues: race and entry files, payouts, the six
// odds files, every runner's past-run and prediction file) with the day loader, against merely
// reading the same files; and `korvane2-cli analyse DAY` as a process (load, all-race run,
// prediction files, the printed table) against `cat` of the same files as a process, once with
// the day's prediction files in place (what a run writes is what they hold) and once without
// them (the run writes them all; the floor then also writes the same bytes, plainly and as the
// run replaces its files).
//
// The world: KORVANE_BENCH_LOAD_MONTHS months (default 12) of simulated history with final odds
// for the last two months, imported; the newest 36-race day with odds is loaded, after one
// all-race run has written its runners' prediction files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "ChildProcess.h"
#include "ImportedFeed.h"
#include "ReadEveryFile.h"
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
  const int months = env ? std::clamp(std::atoi(env), 3, 120) : 12;
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
  for (auto _ : state) benchmark::DoNotOptimize(ReadEveryFile(w.files));
  Counters(state);
}

// The program timed: KORVANE_CLI names another build of it (an older one, for a before/after).
std::vector<std::string> AnalyseCommand(const World& w) {
  const char* other = std::getenv("KORVANE_CLI");
  return {other && *other ? other : KORVANE_CLI_PATH, "--home", w.prog.string(), "analyse", ToUtf8(w.dayName)};
}

std::vector<std::string> CatCommand(const World& w) {
  std::vector<std::string> args = {"/bin/cat"};
  for (const fs::path& p : w.files) args.push_back(p.string());
  return args;
}

// The day's prediction files, as the all-race run wrote them.
std::vector<std::pair<fs::path, std::string>> DayPredictions(const World& w) {
  std::vector<std::pair<fs::path, std::string>> out;
  for (const fs::path& p : w.files)
    if (p.extension() == ".yos") {
      std::string bytes;
      ReadFile(p, bytes);
      out.emplace_back(p, std::move(bytes));
    }
  return out;
}

// The process, the day analysed before: the prediction files already hold what it finds.
void BM_AnalyseProcess(benchmark::State& state) {
  World& w = TheWorld();
  const std::vector<std::string> args = AnalyseCommand(w);
  for (auto _ : state)
    if (RunChild(args).exitStatus != 0) state.SkipWithError("analyse failed");
  Counters(state);
}

// Its floor: cat of the same files.
void BM_CatSameFiles(benchmark::State& state) {
  World& w = TheWorld();
  const std::vector<std::string> args = CatCommand(w);
  for (auto _ : state)
    if (RunChild(args).exitStatus != 0) state.SkipWithError("cat failed");
  Counters(state);
}

// The process on a day whose runners have no prediction file yet: it writes them all.
void BM_AnalyseProcessWriting(benchmark::State& state) {
  World& w = TheWorld();
  const std::vector<std::string> args = AnalyseCommand(w);
  const auto predictions = DayPredictions(w);
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& [path, bytes] : predictions) fs::remove(path);
    state.ResumeTiming();
    if (RunChild(args).exitStatus != 0) state.SkipWithError("analyse failed");
  }
  for (const auto& [path, bytes] : predictions)
    if (std::string now; !ReadFile(path, now) || now != bytes) state.SkipWithError("analyse wrote other bytes");
  Counters(state);
}

// cat of the day's files but its prediction files (which the writing run finds missing), then
// the day's prediction files written by write; each round starts without them.
template <class Write>
void CatThenWrite(benchmark::State& state, Write&& write) {
  World& w = TheWorld();
  const auto predictions = DayPredictions(w);
  std::vector<std::string> args = {"/bin/cat"};
  for (const fs::path& p : w.files)
    if (p.extension() != ".yos") args.push_back(p.string());
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& [path, bytes] : predictions) fs::remove(path);
    state.ResumeTiming();
    if (RunChild(args).exitStatus != 0) state.SkipWithError("cat failed");
    write(predictions);
  }
  Counters(state);
}

// Its floor: cat of the files that are there, then the same prediction files written plainly.
void BM_CatAndWriteSameFiles(benchmark::State& state) {
  CatThenWrite(state, [](const std::vector<std::pair<fs::path, std::string>>& predictions) {
    for (const auto& [path, bytes] : predictions)
      std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
}

// The same floor with the safety the run gives its files: the prediction files replaced as the
// run replaces them (WriteFilesAtomic: temporary files, one flush of the file system, the renames,
// a second flush), in this process after the cat.
void BM_CatAndWriteSameFilesAtomically(benchmark::State& state) {
  std::vector<FileWrite> writes;
  for (const auto& [path, bytes] : DayPredictions(TheWorld())) writes.push_back({path, bytes});
  CatThenWrite(state, [&](const std::vector<std::pair<fs::path, std::string>>&) {
    for (const FileResult& r : WriteFilesAtomic(writes))
      if (!r) state.SkipWithError("a write failed");
  });
}

}  // namespace

BENCHMARK(BM_LoadFullDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSameFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyseProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatSameFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyseProcessWriting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatAndWriteSameFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatAndWriteSameFilesAtomically)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
