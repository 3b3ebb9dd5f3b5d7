#include <gtest/gtest.h>

#include "BetFixtures.h"
#include "bets/BetTables.h"
#include "bets/BetWindow.h"
#include "bets/CandidateSets.h"
#include "text/Cp932.h"
#include "vocab/Combination.h"

namespace kv {
namespace {

using test::Combos;
using test::EntryWithMarks;
using test::Publish;
using test::ResetRace;

OddsBoundsArray WideOpen() {
  OddsBoundsArray b{};
  for (int i = 0; i < 16; ++i) b[static_cast<size_t>(i)] = i % 2 ? 1000000 : 0;
  return b;
}

TextGrid Build(BetType t, const RaceDayModel& day, const TextGrid& entry, MultiOptions o = {},
               OddsBoundsArray bounds = WideOpen()) {
  const BetBuildInput in{entry, day.RunnerCount(0), day.OutData(0), OddsPresenceOf(day, 0), bounds, o, nullptr};
  return BuildBetTable(t, in);
}

// Every combination of the kind priced at `odds`, popularity = number.
void PriceAll(TOutData& out, BetType t, double odds) {
  double* o = nullptr;
  int* p = nullptr;
  switch (t) {
    case BetType::Bracket: o = out.BracketOdds, p = out.BracketPopularity; break;
    case BetType::Quinella: o = out.QuinellaOdds, p = out.QuinellaPopularity; break;
    case BetType::Wide: o = out.WideOdds, p = out.WidePopularity; break;
    case BetType::Exacta: o = out.ExactaOdds, p = out.ExactaPopularity; break;
    case BetType::Trio: o = out.TrioOdds, p = out.TrioPopularity; break;
    case BetType::Trifecta: o = out.TrifectaOdds, p = out.TrifectaPopularity; break;
    default: return;
  }
  for (int i = 0; i < ComboCount(ComboKindOf(t)); ++i) o[i] = odds, p[i] = i + 1;
}

TEST(BetTables, EmptyTablesHaveHeadingsAndOneBlankRow) {
  RaceDayModel& day = ResetRace(10);
  const TextGrid entry = EntryWithMarks(10, {"23", "3"});  // no ◎ anywhere
  for (BetType t : kAllBetTypes) {
    const TextGrid g = Build(t, day, entry);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.ColCount(), LayoutOf(t).columns);
    EXPECT_EQ(g.Row(1), std::vector<std::string>(static_cast<size_t>(g.ColCount())));
  }
  EXPECT_EQ(EmptyBetTable(BetType::Bracket).At(0, 1), "No");
  EXPECT_EQ(EmptyBetTable(BetType::Trifecta).At(0, 11), J("出現率3"));
  EXPECT_EQ(EmptyBetTable(BetType::Place).At(0, 8), J("出現率"));
}

TEST(BetTables, PairTypesNeverPairARunnerWithItself) {
  RaceDayModel& day = ResetRace(10);
  const TextGrid entry = EntryWithMarks(10, {"", "", "13", "", "3"});  // horse 3 ◎▲, horse 5 ▲
  EXPECT_EQ(Combos(Build(BetType::Quinella, day, entry)), std::vector<std::string>{" 3- 5"});
  EXPECT_EQ(Combos(Build(BetType::Wide, day, entry)), std::vector<std::string>{" 3- 5"});
  EXPECT_EQ(Combos(Build(BetType::Exacta, day, entry)), (std::vector<std::string>{" 3- 5", " 5- 3"}));
  MultiOptions single;
  single.multi = false;
  EXPECT_EQ(Combos(Build(BetType::Exacta, day, entry, single)), std::vector<std::string>{" 3- 5"});
}

TEST(BetTables, BracketQuinellaPairsABracketWithItself) {
  RaceDayModel& day = ResetRace(10);  // 10 runners: horses 7 and 8 share bracket 7
  const TextGrid entry = EntryWithMarks(10, {"", "", "", "", "", "", "1", "3", "", "3"});
  EXPECT_EQ(Combos(Build(BetType::Bracket, day, entry)), (std::vector<std::string>{" 7- 7", " 7- 8"}));
}

TEST(BetTables, TrifectaOrdersFollowTheMultiOptions) {
  RaceDayModel& day = ResetRace(8);
  const TextGrid entry = EntryWithMarks(8, {"1", "2", "3"});
  struct Case {
    bool multi, m12, m23, m13;
    std::vector<std::string> combos;
  } cases[] = {
      {false, false, false, false, {" 1- 2- 3"}},
      {false, true, false, false, {" 1- 2- 3", " 2- 1- 3"}},
      {false, false, true, false, {" 1- 2- 3", " 1- 3- 2"}},
      {false, false, false, true, {" 1- 2- 3", " 3- 2- 1"}},
      {true, false, false, false, {" 1- 2- 3", " 1- 3- 2", " 2- 1- 3", " 2- 3- 1", " 3- 1- 2", " 3- 2- 1"}},
  };
  for (const Case& c : cases) {
    const MultiOptions o{c.multi, c.m12, c.m23, c.m13};
    EXPECT_EQ(Combos(Build(BetType::Trifecta, day, entry, o)), c.combos) << c.multi << c.m12 << c.m23 << c.m13;
    EXPECT_EQ(Combos(Build(BetType::Trio, day, entry, o)), std::vector<std::string>{" 1- 2- 3"});
  }
  // Three runners holding every role: one trio, all six trifecta orders without any option.
  const TextGrid all = EntryWithMarks(8, {"123", "123", "123"});
  EXPECT_EQ(Combos(Build(BetType::Trio, day, all, {false, false, false, false})).size(), 1u);
  EXPECT_EQ(Combos(Build(BetType::Trifecta, day, all, {false, false, false, false})).size(), 6u);
}

TEST(BetTables, OnlyRowsUpToTheEnteredCountAreRead) {
  RaceDayModel& day = ResetRace(3);
  TextGrid entry = EntryWithMarks(5, {"1", "", "", "3", "3"});  // rows 4 and 5 lie beyond 3 runners
  EXPECT_EQ(Combos(Build(BetType::Quinella, day, entry)).size(), 0u);
}

TEST(BetTables, WithoutPublishedOddsPairsListEverythingBlankAndWinPlaceNothing) {
  RaceDayModel& day = ResetRace(6);
  const TextGrid entry = EntryWithMarks(6, {"123", "23", "3"});
  const TextGrid q = Build(BetType::Quinella, day, entry);
  ASSERT_EQ(Combos(q), (std::vector<std::string>{" 1- 2", " 1- 3"}));
  EXPECT_EQ(q.At(1, kColNo), "  1");
  EXPECT_EQ(q.At(1, kColOdds), "       ");
  EXPECT_EQ(q.At(1, kColPopularity), "   ");
  EXPECT_EQ(Combos(Build(BetType::Win, day, entry)).size(), 0u);
  EXPECT_EQ(Combos(Build(BetType::Place, day, entry)).size(), 0u);
  EXPECT_EQ(Combos(Build(BetType::Trifecta, day, entry)).size(), 6u);  // one triple, six orders by "マルチ"
}

TEST(BetTables, OddsFilterIsInclusiveAndDropsCancelledAndBlank) {
  RaceDayModel& day = ResetRace(6);
  Publish(day, 2);
  TOutData& out = day.OutData(0);
  PriceAll(out, BetType::Quinella, 10.0);
  out.QuinellaOdds[QuinellaComboNo(" 1- 2") - 1] = 100.0;   // equal to the upper bound: stays
  out.QuinellaOdds[QuinellaComboNo(" 1- 3") - 1] = 100.1;   // above: dropped
  out.QuinellaOdds[QuinellaComboNo(" 1- 4") - 1] = -1.0;    // cancelled
  out.QuinellaOdds[QuinellaComboNo(" 1- 5") - 1] = -2.0;    // no such combination
  out.QuinellaOdds[QuinellaComboNo(" 1- 6") - 1] = 5.0;     // equal to the lower bound: stays
  out.QuinellaPopularity[QuinellaComboNo(" 1- 6") - 1] = 12;
  OddsBoundsArray bounds = WideOpen();
  bounds[6] = 5;
  bounds[7] = 100;
  const TextGrid entry = EntryWithMarks(6, {"1", "3", "3", "3", "3", "3"});
  const TextGrid q = Build(BetType::Quinella, day, entry, {}, bounds);
  ASSERT_EQ(Combos(q), (std::vector<std::string>{" 1- 2", " 1- 6"}));
  EXPECT_EQ(q.Row(2)[3], "    5.0");
  EXPECT_EQ(q.Row(2)[4], " 12");
  EXPECT_EQ(q.Row(2)[1], "  2");
}

TEST(BetTables, WinAndPlaceRowsAndTheirPopularityRule) {
  RaceDayModel& day = ResetRace(12);
  Publish(day, 1);
  TOutData& out = day.OutData(0);
  out.WinOdds[2] = 3.4, out.WinPopularity[2] = 2, out.PlaceOddsMin[2] = 1.2, out.PlacePopularityMin[2] = 1;
  out.WinOdds[10] = 123.4, out.WinPopularity[10] = 11, out.PlaceOddsMin[10] = 20.0, out.PlacePopularityMin[10] = 10;
  out.WinOdds[4] = 5.0;  // popularity 0: left out
  const TextGrid entry = EntryWithMarks(12, {"", "", "1", "", "1", "", "", "", "", "", "1"});
  const TextGrid win = Build(BetType::Win, day, entry);
  ASSERT_EQ(win.RowCount(), 3);
  EXPECT_EQ(win.Row(1), (std::vector<std::string>{"", " 1", " 3", "   3.4", " 2", "", "", "", win.At(1, 8), "", "", ""}));
  EXPECT_EQ(win.At(2, 2), "11");
  EXPECT_EQ(win.At(2, 3), " 123.4");
  EXPECT_FALSE(win.At(1, 8).empty()) << "occurrence rate of popularity 2";
  const TextGrid place = Build(BetType::Place, day, entry);
  ASSERT_EQ(place.RowCount(), 3);
  EXPECT_EQ(place.At(1, 3), "   1.2");
  EXPECT_EQ(place.At(1, 4), " 1");
}

TEST(BetTables, RenPopularityAndOccurrenceColumns) {
  RaceDayModel& day = ResetRace(10);
  TOutData& out = day.OutData(0);
  out.WinPopularity[0] = 3, out.WinPopularity[1] = 2, out.WinPopularity[2] = 0;
  out.WinPopularity[6] = 1, out.WinPopularity[7] = 4;  // horses 7 and 8 make bracket 7
  const TextGrid entry = EntryWithMarks(10, {"1", "3", "3", "", "", "", "3", "3"});
  const TextGrid q = Build(BetType::Quinella, day, entry);
  ASSERT_EQ(Combos(q), (std::vector<std::string>{" 1- 2", " 1- 3", " 1- 7", " 1- 8"}));
  EXPECT_EQ(q.At(1, 5), " 3- 2");
  EXPECT_EQ(q.At(2, 5), "") << "horse 3 has no popularity";
  EXPECT_EQ(q.At(1, 9), Fmt("%5.1f", OccurrenceRates().Rate(10, 3, 2)));
  EXPECT_EQ(q.At(1, 10), Fmt("%5.1f", OccurrenceRates().Rate(10, 2, 2)));
  EXPECT_EQ(q.At(2, 9), "");
  const TextGrid b = Build(BetType::Bracket, day, entry);
  ASSERT_EQ(Combos(b), (std::vector<std::string>{" 1- 2", " 1- 3", " 1- 7"}));
  EXPECT_EQ(b.At(3, 5), " 3- 1") << "a bracket stands for its best-supported runner";
}

TEST(BetWindow, ClearingColumn24EmptiesEveryTableAndLabel) {
  RaceDayModel& day = ResetRace(8);
  for (int t = 1; t <= 6; ++t) Publish(day, t);
  TOutData& out = day.OutData(0);
  for (int k = 0; k < 8; ++k) out.WinOdds[k] = 2.0 + k, out.WinPopularity[k] = k + 1, out.PlaceOddsMin[k] = 1.1, out.PlacePopularityMin[k] = k + 1;
  for (BetType t : {BetType::Bracket, BetType::Quinella, BetType::Wide, BetType::Exacta, BetType::Trio, BetType::Trifecta})
    PriceAll(out, t, 20.0);
  TextGrid entry = EntryWithMarks(8, {"123", "123", "123", "3"});
  CandidateSettings cs;  // dialog defaults: every odds range wide open
  BetWindowState bets;
  bets.SetAmountText("3000");
  bets.Build(day, 0, entry, cs);
  for (BetType t : kAllBetTypes) {
    EXPECT_GT(Combos(bets.Table(t)).size(), 0u) << Index(t);
    EXPECT_FALSE(bets.Summary(t).count.empty()) << Index(t);
  }
  // {1,2,3} and the three triples with horse 4, six orders each, each order once.
  EXPECT_EQ(Combos(bets.Table(BetType::Trifecta)).size(), 24u);

  ClearMarks(entry, kMarkColAxis1);
  bets.Build(day, 0, entry, cs);
  for (BetType t : kAllBetTypes) {
    EXPECT_EQ(bets.Table(t).RowCount(), 2);
    EXPECT_TRUE(Combos(bets.Table(t)).empty());
    EXPECT_TRUE(bets.Summary(t).count.empty() && bets.Summary(t).total.empty() && bets.Summary(t).expectedRate.empty() &&
                bets.Summary(t).actualReturn.empty());
  }
}

}  // namespace
}  // namespace kv
