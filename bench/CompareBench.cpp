// The comparison of one simulated race day: every pair of every race, compared through the
// opponent index of a per-run cache, against the plain walk that re-reads the second horse's
// file record by record for every opponent, and against merely reading every runner's file.
//
// The world: KORVANE_BENCH_DAYS racing days (default 100) simulated from 2023-09-01; the last
// day is the one analysed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "CompareReference.h"
#include "SimulatedPastRuns.h"
#include "compare/TwoHorseComparison.h"
#include "model/RaceDayModel.h"
#include "vocab/Combination.h"

using namespace kv;
using namespace kv::test;

namespace {

struct Runner {
  std::string name, id;
  double weight;
};

struct World {
  ScratchFolder folder;
  std::vector<std::string> ra;                // the analysed day's races
  std::vector<std::vector<Runner>> runners;   // per race, by horse number - 1
  std::unique_ptr<RaceDayModel> model = std::make_unique<RaceDayModel>();

  World() {
    const char* env = std::getenv("KORVANE_BENCH_DAYS");
    const int days = env ? std::max(2, std::atoi(env)) : 100;
    std::vector<SimulatedDay> sim = SimulatePastRuns(folder.path(), 20240601, sim::Date{2023, 9, 1}, days);
    const SimulatedDay& day = sim.back();
    ra = day.ra;
    for (size_t r = 0; r < day.ra.size(); ++r) {
      model->RaceRecords.Set(static_cast<int>(r), day.ra[r] + "\r\n");
      std::vector<Runner> field;
      for (const std::string& se : day.se[r])
        field.push_back({FldStr(se, kSE_HorseName18), FldStr(se, kSE_HorseId), FldInt(se, kSE_Weight) / 10.0});
      runners.push_back(std::move(field));
    }
  }
};

World& TheWorld() {
  static World w;
  return w;
}

// The all-pairs run as the race comparison makes it: one cache for the day.
void BM_IndexedDay(benchmark::State& state) {
  World& w = TheWorld();
  long long compared = 0;
  for (auto _ : state) {
    w.model->Reset();
    PastRunCache cache(w.folder.path());
    TwoHorseComparison cmp(*w.model, cache);
    for (size_t r = 0; r < w.runners.size(); ++r) {
      const auto& f = w.runners[r];
      for (size_t i = 0; i < f.size(); ++i)
        for (size_t j = i + 1; j < f.size(); ++j) {
          const int p = ComboNo(ComboKind::Quinella, static_cast<int>(i + 1), static_cast<int>(j + 1));
          cmp.Search2Ba(f[i].name, f[j].name, f[i].id, f[j].id, static_cast<int>(i + 1), static_cast<int>(j + 1),
                        static_cast<int>(r), p, f[i].weight, f[j].weight);
          cmp.Search2BaDirect(f[i].name, f[j].name, f[i].id, f[j].id, static_cast<int>(r), p);
        }
    }
    compared = 0;
    for (size_t r = 0; r < w.runners.size(); ++r)
      for (int p = 0; p < kMaxPairs; ++p) compared += w.model->RaceAnalysis(static_cast<int>(r)).PairCompared[p];
  }
  state.counters["comparisons"] = static_cast<double>(compared);
}

// The plain walk: both files opened per pair, B's lines re-read by seeking for every opponent.
void BM_PlainDay(benchmark::State& state) {
  World& w = TheWorld();
  long long compared = 0;
  for (auto _ : state) {
    compared = 0;
    for (size_t r = 0; r < w.runners.size(); ++r) {
      const int date = FldInt(w.ra[r], kHdr_Date);
      const auto& f = w.runners[r];
      for (size_t i = 0; i < f.size(); ++i)
        for (size_t j = i + 1; j < f.size(); ++j) {
          const std::string na = NormalizeHorseName(f[i].name), nb = NormalizeHorseName(f[j].name);
          SeekingPastRunFile a(PastRunPath(w.folder.path(), f[i].id)), b(PastRunPath(w.folder.path(), f[j].id));
          compared += ReferenceSearch2Ba(a, b, na, nb, date, f[i].weight, f[j].weight).compared;
          benchmark::DoNotOptimize(ReferenceMeetings(a, nb, date));
        }
    }
  }
  state.counters["comparisons"] = static_cast<double>(compared);
}

// Merely reading and parsing every runner's file once.
void BM_ReadFilesOnly(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    PastRunCache cache(w.folder.path());
    for (const auto& f : w.runners)
      for (const Runner& h : f) benchmark::DoNotOptimize(cache.Get(h.id));
  }
}

BENCHMARK(BM_IndexedDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFilesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
