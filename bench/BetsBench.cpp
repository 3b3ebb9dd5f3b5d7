// The bet window's rebuild on the largest race: 18 runners, every runner marked ◎, ○ and ▲ under
// "マルチ" (4,896 trifecta rows), every odds kind published. One iteration builds all eight
// tables, allocates the amount and evaluates the payouts — what a click on a mark cell costs.
#include <benchmark/benchmark.h>

#include <memory>

#include "JVRecordBuilder.h"
#include "bets/BetWindow.h"
#include "bets/Marking.h"
#include "text/Format.h"
#include "vocab/Combination.h"

namespace kv {
namespace {

struct FullRace {
  std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
  TextGrid entry{19, 31};
  CandidateSettings candidates;  // the dialog's defaults: every odds range wide open

  FullRace() {
    const std::string key = "2011043005020811";
    day->RaceRecords.Set(0, test::MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, "18"}}));
    for (int t = 1; t <= 6; ++t)
      day->OddsRecords(t).Set(0, test::MakeRecord("O" + std::to_string(t), {{kHdr_RaceKey, key}}));
    day->PayoutRecords.Set(0, test::MakeRecord("HR", {{kHR_Trifecta.combo.At(0), "031207"},
                                                      {kHR_Trifecta.pay.At(0), "   123450"},
                                                      {kHR_Trifecta.pop.At(0), " 321"}}));
    TOutData& o = day->OutData(0);
    for (int k = 0; k < 18; ++k) {
      o.WinOdds[k] = 2.0 + k, o.WinPopularity[k] = k + 1;
      o.PlaceOddsMin[k] = 1.1 + k / 10.0, o.PlacePopularityMin[k] = k + 1;
    }
    auto fill = [](double* odds, int* pop, int n) {
      for (int i = 0; i < n; ++i) odds[i] = 3.0 + i % 997 / 10.0, pop[i] = i + 1;
    };
    fill(o.BracketOdds, o.BracketPopularity, kBracketCombos);
    fill(o.QuinellaOdds, o.QuinellaPopularity, kQuinellaCombos);
    fill(o.WideOdds, o.WidePopularity, kWideCombos);
    fill(o.ExactaOdds, o.ExactaPopularity, kExactaCombos);
    fill(o.TrioOdds, o.TrioPopularity, kTrioCombos);
    fill(o.TrifectaOdds, o.TrifectaPopularity, kTrifectaCombos);
    for (int row = 1; row <= 18; ++row) {
      entry.Set(row, kEntryColHorse, Fmt("%2d", row));
      for (int col = kMarkColAxis1; col <= kMarkColPartner; ++col) entry.Set(row, col, MarkText());
    }
  }
};

void BM_RebuildFullRace(benchmark::State& state) {
  FullRace race;
  BetWindowState bets;
  bets.SetAmountText("3000");
  bets.SetMode(static_cast<AllocationMode>(state.range(0)));
  for (auto _ : state) {
    bets.Build(*race.day, 0, race.entry, race.candidates);
    benchmark::DoNotOptimize(bets.Table(BetType::Trifecta).RowCount());
  }
  if (bets.Table(BetType::Trifecta).RowCount() != kTrifectaCombos + 1) state.SkipWithError("not 4,896 trifecta rows");
}
BENCHMARK(BM_RebuildFullRace)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
