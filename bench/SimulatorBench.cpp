// The simulator's speed: a race day of the world (programme, entries, results, final market,
// payouts), one market of a full field with ranks (what a final-odds record needs), and a month
// of feed written to disk. Ten years without odds must take under a minute and one year with
// final odds a few minutes; the command-line figures are in the report of the change.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "Feed.h"
#include "Market.h"
#include "World.h"
#include "vocab/Combination.h"

using namespace kv::sim;

namespace {

std::string ScratchDir(const char* name) {
  const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  return (base / name).string();
}

// Race days of three venues, simulated one after another in a world that keeps running.
void BM_WorldRaceDay(benchmark::State& state) {
  World world(1, Date{2023, 1, 7});
  Calendar cal;
  int serial = Date{2023, 1, 7}.Serial();
  int races = 0;
  for (auto _ : state) {
    Date d = Date::FromSerial(serial);
    while (!IsRacingDate(d)) d = Date::FromSerial(++serial);
    const auto day = world.RunDay(cal.Next(d));
    races += static_cast<int>(day.size());
    ++serial;
    benchmark::DoNotOptimize(day.data());
  }
  state.counters["races/s"] = benchmark::Counter(races, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WorldRaceDay)->Unit(benchmark::kMillisecond);

// The market of an 18-runner field: every slot of the eight pools, with popularity ranks.
void BM_FullFieldMarket(benchmark::State& state) {
  MarketField f;
  f.entered = 18;
  for (int h = 1; h <= 18; ++h) {
    f.frame[static_cast<size_t>(h - 1)] = kv::BracketOfHorse(18, h);
    f.strength[static_cast<size_t>(h - 1)] = 1.0 + (h * 37 % 18);
  }
  Rng rng(9);
  for (auto _ : state) {
    Market m = BuildMarket(f, 1.0, 0.25, rng, true);
    benchmark::DoNotOptimize(m.pools[kTrifecta].pop.data());
  }
}
BENCHMARK(BM_FullFieldMarket)->Unit(benchmark::kMicrosecond);

// A month of history written as a feed, without and with final odds.
void BM_FeedMonth(benchmark::State& state) {
  FeedOptions o;
  o.out = ScratchDir("korvane_bench_feed");
  o.seed = 5;
  o.from = Date{2024, 4, 1};
  o.to = Date{2024, 4, 30};
  o.hasOddsFrom = state.range(0) != 0;
  o.oddsFrom = o.from;
  FeedStats st;
  std::string error;
  for (auto _ : state)
    if (!GenerateFeed(o, st, error)) state.SkipWithError(error.c_str());
  state.counters["races"] = st.races;
  state.counters["MB"] = static_cast<double>(st.bytes) / 1e6;
  std::filesystem::remove_all(o.out);
}
BENCHMARK(BM_FeedMonth)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
