#include <gtest/gtest.h>

#include "JVRecordBuilder.h"
#include "bets/BetTables.h"
#include "bets/StakeAllocation.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {
namespace {

// A quinella table of rows with the given odds (0 or less: a blank odds cell).
TextGrid QuinellaTable(const std::vector<double>& odds) {
  TextGrid g = EmptyBetTable(BetType::Quinella);
  g.SetRowCount(std::max(2, static_cast<int>(odds.size()) + 1));
  for (size_t i = 0; i < odds.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    g.Set(row, kColNo, Fmt("%3d", row));
    g.Set(row, kColCombo, Fmt("%2d-%2d", 1, row + 1));
    g.Set(row, kColOdds, odds[i] > 0 ? Fmt("%7.1f", odds[i]) : std::string(7, ' '));
  }
  return g;
}

std::vector<long long> Stakes(const TextGrid& g, BetType t = BetType::Quinella) {
  std::vector<long long> out;
  for (int row = 1; row < g.RowCount(); ++row) out.push_back(ParseLong(g.At(row, LayoutOf(t).stakeCol)));
  return out;
}

TEST(StakeAllocation, WorkedExampleInEveryMode) {
  struct Case {
    AllocationMode mode;
    std::vector<long long> stakes;
    const char* total;
    const char* rate;
  } cases[] = {
      {AllocationMode::Equal, {800, 800, 800, 800}, "  3200", "  259.4"},
      {AllocationMode::Proportional, {1600, 1000, 400, 200}, "  3200", "  132.8"},
      {AllocationMode::Uniform, {3000, 3000, 3000, 3000}, " 12000", "  259.4"},
      {AllocationMode::PayoutTarget, {1200, 800, 300, 200}, "  2500", "  142.0"},
  };
  for (const Case& c : cases) {
    TextGrid g = QuinellaTable({2.5, 4.0, 10.0, 25.0});
    BetSummary s;
    Allocate(g, BetType::Quinella, c.mode, 3000, s);
    SCOPED_TRACE(static_cast<int>(c.mode));
    EXPECT_EQ(Stakes(g), c.stakes);
    EXPECT_EQ(s.count, "  4");
    EXPECT_EQ(s.total, c.total);
    EXPECT_EQ(s.expectedRate, c.rate);
    EXPECT_EQ(s.expectedColor, LabelColor::Black);
  }
  // Row texts of the equal mode: stake "%6d", return "%7.0f", rate "%7.1f".
  TextGrid g = QuinellaTable({2.5, 4.0, 10.0, 25.0});
  BetSummary s;
  Allocate(g, BetType::Quinella, AllocationMode::Equal, 3000, s);
  EXPECT_EQ(g.At(1, 6), "   800");
  EXPECT_EQ(g.At(1, 7), "   2000");
  EXPECT_EQ(g.At(1, 8), "   62.5");
}

TEST(StakeAllocation, ModeEdgeCases) {
  struct Case {
    AllocationMode mode;
    long long amount;
    std::vector<double> odds;
    std::vector<long long> stakes;
  } cases[] = {
      {AllocationMode::Equal, 3000, std::vector<double>(10, 5.0), std::vector<long long>(10, 300)},
      {AllocationMode::Equal, 3000, std::vector<double>(7, 5.0), std::vector<long long>(7, 500)},
      {AllocationMode::Equal, 100, std::vector<double>(7, 5.0), std::vector<long long>(7, 100)},
      {AllocationMode::PayoutTarget, 3000, {12.3, 50.0, 1.0}, {300, 100, 3000}},
      {AllocationMode::PayoutTarget, 3000, {2.3}, {1400}},  // 3000 / 2.3 = 1304.3 -> 1400
      {AllocationMode::Uniform, 150, {5.0, 7.0}, {100, 100}},  // stakes are whole hundreds
      {AllocationMode::Uniform, 12345, {5.0}, {12300}},
      {AllocationMode::Uniform, 99, {5.0}, {0}},  // below 100: no stake, as in every mode
      {AllocationMode::Proportional, 3050, {7.7}, {3100}},
      {AllocationMode::Proportional, 3000, {1.5, 900.0}, {3000, 100}},  // a share below 100 yen becomes 100
  };
  for (const Case& c : cases) {
    TextGrid g = QuinellaTable(c.odds);
    BetSummary s;
    Allocate(g, BetType::Quinella, c.mode, c.amount, s);
    EXPECT_EQ(Stakes(g), c.stakes) << static_cast<int>(c.mode) << " A=" << c.amount;
  }
}

TEST(StakeAllocation, ReturnsAreExactInTenths) {
  // 100 × 2.3 must be 230, not 229.99…: the expected rate is 230 / 100 × 100.
  TextGrid g = QuinellaTable({2.3});
  BetSummary s;
  Allocate(g, BetType::Quinella, AllocationMode::Uniform, 100, s);
  EXPECT_EQ(g.At(1, 7), "    230");
  EXPECT_EQ(s.expectedRate, "  230.0");
}

TEST(StakeAllocation, DeletedRowsShareNothingAndDeletingAllLeavesLabelsByMode) {
  const std::string del = J("消");
  TextGrid g = QuinellaTable({2.5, 4.0, 10.0});
  g.Set(2, kColDelete, del);
  BetSummary s;
  Allocate(g, BetType::Quinella, AllocationMode::Equal, 3000, s);
  EXPECT_EQ(Stakes(g), (std::vector<long long>{1500, 0, 1500}));
  EXPECT_EQ(g.At(2, 6), "");
  EXPECT_EQ(s.count, "  2");

  for (AllocationMode m : {AllocationMode::Equal, AllocationMode::Uniform, AllocationMode::PayoutTarget,
                           AllocationMode::Proportional}) {
    TextGrid all = QuinellaTable({2.5, 4.0});
    all.Set(1, kColDelete, del);
    all.Set(2, kColDelete, del);
    BetSummary sum;
    Allocate(all, BetType::Quinella, m, 3000, sum);
    EXPECT_EQ(Stakes(all), (std::vector<long long>{0, 0}));
    if (m == AllocationMode::Proportional) {
      EXPECT_EQ(sum.count, "  0");
      EXPECT_EQ(sum.total, "     0");
    } else {
      EXPECT_EQ(sum.count, "");
      EXPECT_EQ(sum.total, "");
    }
    EXPECT_EQ(sum.expectedRate, "");
  }
}

TEST(StakeAllocation, SmallAmountsAndTablesWithoutOddsChangeNothing) {
  TextGrid g = QuinellaTable({2.5});
  g.Set(1, 6, "   700");
  BetSummary s;
  s.count = "old";
  Allocate(g, BetType::Quinella, AllocationMode::Equal, 99, s);
  EXPECT_EQ(g.At(1, 6), "   700");
  EXPECT_EQ(s.count, "old");

  TextGrid blank = QuinellaTable({0, 0});
  BetSummary b;
  Allocate(blank, BetType::Quinella, AllocationMode::Equal, 3000, b);
  EXPECT_EQ(Stakes(blank), (std::vector<long long>{0, 0}));
  EXPECT_EQ(b.count, "");
}

TEST(StakeAllocation, ExpectedRateTurnsRedAtOrBelowOneHundred) {
  TextGrid g = QuinellaTable({1.0});
  BetSummary s;
  Allocate(g, BetType::Quinella, AllocationMode::Uniform, 1000, s);
  EXPECT_EQ(s.expectedRate, "  100.0");
  EXPECT_EQ(s.expectedColor, LabelColor::Red);
}

// HR record with chosen payouts.
std::string Payouts() {
  return test::MakeRecord("HR", {{kHR_Win.combo.At(0), "05"},
                                 {kHR_Win.pay.At(0), "      340"},
                                 {kHR_Win.pop.At(0), " 2"},
                                 {kHR_BracketQuinella.combo.At(0), "22"},
                                 {kHR_BracketQuinella.pay.At(0), "     1230"},
                                 {kHR_BracketQuinella.pop.At(0), " 5"},
                                 {kHR_Trifecta.combo.At(0), "031207"},
                                 {kHR_Trifecta.pay.At(0), "   123450"},
                                 {kHR_Trifecta.pop.At(0), " 321"}});
}

TEST(ResultEvaluation, TrifectaHitWithSixDigitPayout) {
  TextGrid g = EmptyBetTable(BetType::Trifecta);
  g.SetRowCount(3);
  g.Set(1, kColNo, "   1"), g.Set(1, kColCombo, " 3- 7-12"), g.Set(1, 6, "   200");
  g.Set(2, kColNo, "   2"), g.Set(2, kColCombo, " 3-12- 7"), g.Set(2, 6, "   200");
  BetSummary s;
  s.total = "   400";
  EvaluateResults(g, BetType::Trifecta, Payouts(), s);
  EXPECT_EQ(g.At(1, 12), "");
  EXPECT_EQ(g.At(2, 12), " 123450");
  EXPECT_EQ(g.At(2, 13), " 246900");
  EXPECT_EQ(g.At(2, 14), "321");
  EXPECT_EQ(s.actualReturn, "  246900");
  EXPECT_EQ(s.actualColor, LabelColor::Black);
  EXPECT_TRUE(IsPaidCombination(BetType::Trifecta, " 3-12- 7", Payouts()));
  EXPECT_FALSE(IsPaidCombination(BetType::Trifecta, "", Payouts()));
}

TEST(ResultEvaluation, WinByHorseNumberAndRedWhenBelowTheStake) {
  TextGrid g = EmptyBetTable(BetType::Win);
  g.SetRowCount(3);
  g.Set(1, kColNo, " 1"), g.Set(1, kColCombo, " 5"), g.Set(1, 5, "   100");
  g.Set(2, kColNo, " 2"), g.Set(2, kColCombo, " 6"), g.Set(2, 5, "   900");
  BetSummary s;
  s.total = "  1000";
  EvaluateResults(g, BetType::Win, Payouts(), s);
  EXPECT_EQ(g.At(1, 9), "    340");
  EXPECT_EQ(g.At(1, 10), "    340");
  EXPECT_EQ(g.At(1, 11), "  2");
  EXPECT_EQ(s.actualReturn, "     340");
  EXPECT_EQ(s.actualColor, LabelColor::Red);

  // Nothing won: the label is emptied.
  TextGrid miss = EmptyBetTable(BetType::Win);
  miss.Set(1, kColNo, " 1"), miss.Set(1, kColCombo, " 6");
  EvaluateResults(miss, BetType::Win, Payouts(), s);
  EXPECT_EQ(s.actualReturn, "");
}

TEST(ResultEvaluation, BracketHitWithoutStakeLeavesTheReturnEmpty) {
  TextGrid g = EmptyBetTable(BetType::Bracket);
  g.Set(1, kColNo, "  1"), g.Set(1, kColCombo, " 2- 2");
  BetSummary s;
  EvaluateResults(g, BetType::Bracket, Payouts(), s);
  EXPECT_EQ(g.At(1, 11), "   1230");
  EXPECT_EQ(g.At(1, 12), "");
  EXPECT_EQ(g.At(1, 13), "  5");
}

}  // namespace

TEST(ResultEvaluation, EmptyOrShortPayoutRecordPaysNothingAndNeverThrows) {
  // An empty record is what a race without a payout (or no race at all) hands over; a short one
  // ends inside the combination fields.
  const std::string shortRecord = Payouts().substr(0, static_cast<size_t>(kHR_BracketQuinella.combo.At(0).pos));
  for (const std::string& hr : {std::string(), shortRecord}) {
    for (BetType t : kAllBetTypes) {
      TextGrid g = EmptyBetTable(t);
      g.Set(1, kColNo, "  1"), g.Set(1, kColCombo, MembersOf(t) == 3 ? " 1- 2- 3" : MembersOf(t) == 2 ? " 1- 2" : " 1");
      BetSummary s;
      EXPECT_NO_THROW(EvaluateResults(g, t, hr, s)) << TabCaption(t);
      EXPECT_FALSE(IsPaidCombination(t, g.At(1, kColCombo), hr)) << hr.size();
      EXPECT_EQ(s.actualReturn, "");
    }
  }
}

}  // namespace kv
