// The import's peak memory as history grows: `korvane2-cli import --setup --feed` run as a
// process over a simulated feed of one year and of KORVANE_BENCH_YEARS years (default 10), both
// ending with 2025, each weighed by the child's peak resident memory. The one-year import is the
// floor: an import whose memory does not grow with history stays near it at any number of years.
//
// The folders are in memory when /dev/shm exists (KORVANE_SCRATCH_DIR puts them elsewhere).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "ChildProcess.h"
#include "ImportedFeed.h"

using namespace kv;
using namespace kv::test;

namespace {

int Years() {
  const char* env = std::getenv("KORVANE_BENCH_YEARS");
  return env ? std::clamp(std::atoi(env), 2, 60) : 10;
}

double oneYearPeakMiB = 0;  // the floor, once its benchmark has run

void BM_ImportPeakMemory(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  const SimulatedFeed feed(sim::Date{2026 - years, 1, 1}, sim::Date{2025, 12, 31}, nullptr);
  const fs::path prog = feed.folder.path() / "prog";
  const char* other = std::getenv("KORVANE_CLI");
  const std::string from = std::to_string(2026 - years) + "0101";
  ChildOutcome run;
  for (auto _ : state) {
    run = RunChild({other && *other ? other : KORVANE_CLI_PATH, "--home", prog.string(), "--yes", "import",
                    "--setup", "--from", from, "--feed", feed.feed.string()});
    if (run.exitStatus != 0) state.SkipWithError("the import failed");
  }
  const double peakMiB = static_cast<double>(run.peakKiB) / 1024.0;
  if (years == 1) oneYearPeakMiB = peakMiB;
  state.counters["years"] = years;
  state.counters["starters"] = feed.stats.starters;
  state.counters["peak_MiB"] = peakMiB;
  if (oneYearPeakMiB > 0) state.counters["peak_vs_1y"] = peakMiB / oneYearPeakMiB;
}

}  // namespace

BENCHMARK(BM_ImportPeakMemory)->Arg(1)->Arg(Years())->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
