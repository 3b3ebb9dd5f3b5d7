// Exporting the store of a simulated year into a SQLite database (every race, runner, payout,
// final odds line, past run and analysis result), against merely reading the same stored files.
//
// The world: KORVANE_BENCH_EXPORT_MONTHS months (default 12) of simulated history, final odds for
// the last KORVANE_BENCH_EXPORT_ODDS_MONTHS months (default 2, as a user who imports final odds
// for recent weeks has them; up to the whole history), imported, and the all-race analysis run
// on the last eight race days so that prediction files exist.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "ImportedFeed.h"
#include "ReadEveryFile.h"
#include "SqliteExport.h"
#include "compare/AllRaceRun.h"
#include "model/RaceDayModel.h"
#include "workbench/DayLoader.h"

using namespace kv;
using namespace kv::test;

namespace {

int EnvMonths(const char* name, int fallback, int most) {
  const char* env = std::getenv(name);
  return env ? std::clamp(std::atoi(env), 1, most) : fallback;
}

const int kMonths = EnvMonths("KORVANE_BENCH_EXPORT_MONTHS", 12, 60);
const int kOddsMonths = EnvMonths("KORVANE_BENCH_EXPORT_ODDS_MONTHS", 2, kMonths);

struct World {
  sim::Date first{2023, 1, 1};
  sim::Date last = first.Plus(kMonths * 365 / 12 - 1);
  sim::Date oddsFrom = last.Plus(-kOddsMonths * 365 / 12 + 1);
  SimulatedFeed feed{first, last, &oddsFrom};
  fs::path prog = feed.folder.path() / "prog";
  fs::path db = feed.folder.path() / "export.db";
  std::vector<fs::path> files;  // every file of the store: day files, past-run and prediction files
  SqliteExportCounts counts;
  double storeBytes = 0;

  World() {
    if (ImportFeed(feed.feed, prog, feed.now, feed.from) != AccumulatedImport::Outcome::Completed)
      throw std::runtime_error("the import did not complete");
    SilentUi ui;
    Settings settings(prog);
    settings.Load();
    auto day = std::make_unique<RaceDayModel>();
    const ProgramFolders folders = LocateProgramFolders(prog);
    const std::vector<std::string> days = ListDays(folders.data);  // newest first
    for (size_t i = 0; i < days.size() && i < 8; ++i)
      if (LoadRaceDay(*day, days[i], settings, ui).loaded) RunAllRaces(*day, settings, ui);
    for (const fs::path& dir : {folders.data, folders.sei})
      for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) {
          files.push_back(e.path());
          storeBytes += static_cast<double>(e.file_size());
        }
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void Counters(benchmark::State& state) {
  const World& w = TheWorld();
  state.counters["months"] = kMonths;
  state.counters["odds_months"] = kOddsMonths;
  state.counters["files"] = static_cast<double>(w.files.size());
  state.counters["store_MB"] = w.storeBytes / 1e6;
  state.counters["races"] = static_cast<double>(w.counts.races);
  state.counters["runners"] = static_cast<double>(w.counts.runners);
  state.counters["odds_rows"] = static_cast<double>(w.counts.finalOdds);
  state.counters["past_runs"] = static_cast<double>(w.counts.pastRuns);
  state.counters["analyses"] = static_cast<double>(w.counts.analyses);
}

void BM_ExportSqlite(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    const SqliteExportResult r = ExportSqlite(w.prog, w.db, {});
    if (!r.ok || !r.skipped.empty()) state.SkipWithError(r.ok ? r.skipped.front().c_str() : r.error.c_str());
    w.counts = r.counts;
  }
  Counters(state);
  state.counters["db_MB"] = static_cast<double>(fs::file_size(w.db)) / 1e6;
}

// The floor: every stored file read whole, nothing checked, decoded or written.
void BM_ReadStoreFiles(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) benchmark::DoNotOptimize(ReadEveryFile(w.files));
  Counters(state);
}

}  // namespace

BENCHMARK(BM_ExportSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadStoreFiles)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
