// The backtest of a simulated year (every day with payouts loaded, analysed in memory and every
// race bet by the candidate set) in one run, against the same days run one by one through the
// command line (one `korvane2-cli backtest --from D --to D` per day, as a script would do it).
//
// The world: the simulated racing of KORVANE_BENCH_BACKTEST_MONTHS months (default 12) from
// 2023-01-01 with final odds for every day, imported as the import dialog does it; the folder is in
// memory when /dev/shm exists. The first months of the world have few past runs, so the year is
// preceded by KORVANE_BENCH_BACKTEST_LEAD months (default 3) of racing that is not backtested.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "ImportedFeed.h"
#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "backtest/Backtest.h"
#include "jvlink/DayFileStore.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::test;

namespace {

int EnvInt(const char* name, int def) {
  const char* v = std::getenv(name);
  return v ? std::max(1, std::atoi(v)) : def;
}

sim::Date AddMonths(sim::Date d, int months) {
  const int m = d.y * 12 + d.m - 1 + months;
  return sim::Date{m / 12, m % 12 + 1, d.d};
}

struct Year {
  sim::Date lead{2022, 10, 1};
  sim::Date first{2023, 1, 1};
  sim::Date last;
  std::unique_ptr<SimulatedFeed> feed;
  fs::path prog;
  BacktestOptions options;

  Year() {
    const int lead = EnvInt("KORVANE_BENCH_BACKTEST_LEAD", 3);
    this->lead = AddMonths(first, -lead);
    last = AddMonths(first, EnvInt("KORVANE_BENCH_BACKTEST_MONTHS", 12)).Plus(-1);
    feed = std::make_unique<SimulatedFeed>(this->lead, last, &first);
    prog = feed->folder.path() / "prog";
    const AccumulatedImport::Outcome out = ImportFeed(feed->feed, prog, feed->now, feed->from);
    if (out != AccumulatedImport::Outcome::Completed)
      throw std::runtime_error("the simulated year did not import: outcome " + std::to_string(static_cast<int>(out)));
    options.firstDay = DayNameFromDate(Fmt("%04d%02d%02d", first.y, first.m, first.d));
    options.lastDay = DayNameFromDate(Fmt("%04d%02d%02d", last.y, last.m, last.d));
  }
};

Year& TheYear() {
  static Year y;
  return y;
}

void BM_BacktestYear(benchmark::State& state) {
  Year& y = TheYear();
  Settings settings(y.prog);
  settings.Load();
  SilentUi ui;
  BacktestRun run;
  for (auto _ : state) run = RunBacktest(y.options, settings, ui);
  state.counters["days"] = run.daysRun;
  state.counters["races"] = static_cast<double>(run.races.size());
  state.counters["bet_races"] = SumUp(run.races, std::nullopt).races;
}

// The baseline: one process per day.
void BM_BacktestDayByDayThroughCli(benchmark::State& state) {
  Year& y = TheYear();
  std::vector<std::string> days;
  for (const std::string& d : ListDays(LocateProgramFolders(y.prog).data))
    if (d >= y.options.firstDay && d <= y.options.lastDay) days.push_back(DateOfDayName(d));
  int failed = 0;
  for (auto _ : state) {
    for (const std::string& d : days) {
      const std::string cmd = std::string("'") + KORVANE_CLI + "' --home '" + y.prog.string() + "' backtest --from " +
                              d + " --to " + d + " >/dev/null 2>&1";
      failed += std::system(cmd.c_str()) != 0;
    }
  }
  state.counters["days"] = static_cast<double>(days.size());
  state.counters["failed"] = failed;
}

}  // namespace

BENCHMARK(BM_BacktestYear)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BacktestDayByDayThroughCli)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
