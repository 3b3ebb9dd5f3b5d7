// Ranking key lines, their tie rules, rates, the win ranking with the odds ceiling.
#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "app/Settings.h"
#include "compare/RaceRanking.h"
#include "model/RaceDayModel.h"
#include "odds/OddsLoader.h"

using namespace kv;

namespace {

std::unique_ptr<TRaceAnalysis> Blank() {
  auto ra = std::make_unique<TRaceAnalysis>();
  std::fill(std::begin(ra->WinRate), std::end(ra->WinRate), -1.0);
  std::fill(std::begin(ra->PointWinRate), std::end(ra->PointWinRate), -1.0);
  return ra;
}

std::unique_ptr<TOutData> Odds() { return std::make_unique<TOutData>(); }

}  // namespace

TEST(RankingKeys, FormatsAreFixedWidthWithTheHorseAt21) {
  struct Case {
    std::string key, expected;
  };
  const Case cases[] = {
      {WinRateKey(2.0 / 3, 2, 5), "     0.667         2 5"},
      {WinRateKey(1.0, 17, 18), "     1.000        1718"},
      {PointWinRateKey(0.12345, 40, 3), "     0.123        40 3"},
      {WinsKey(5, 0.5, 11), "         5   0.5000011"},
      {WinsRevKey(2, 4, 3), "         2         4 3"},
      {PointWinsRevKey(123, 1, 12), "       123         112"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.key, c.expected);
    EXPECT_EQ(c.key.size(), 22u);
  }
  EXPECT_EQ(KeyHorse(WinsKey(5, 0.5, 11)), 11);
  EXPECT_EQ(KeyHorse(WinRateKey(0.5, 1, 7)), 7);
}

// Rates and their ranks from the totals: rounding to three decimals ties, the count breaks the
// tie, then the higher horse number.
TEST(RaceRates, TiesFollowTheKeyFormats) {
  struct Case {
    const char* what;
    int wins[4], losses[4], pointWins[4], pointLosses[4];
    int winRank[4], pointRank[4];
  };
  const Case cases[] = {
      {"2/3 against 0.6667: rounded equal, equal wins: the higher number ranks better",
       {2, 2, 0, 1}, {1, 1, 0, 3}, {6667, 2, 0, 1}, {3333, 1, 0, 3}, {2, 1, 0, 3}, {1, 2, 0, 3}},
      {"equal rate, more wins ranks better",
       {4, 2, 1, 0}, {2, 1, 3, 2}, {8, 4, 1, 2}, {4, 2, 3, 0}, {1, 2, 3, 4}, {2, 3, 4, 1}},
      {"no decided pair: no rate, no rank", {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 3, 1, 0}, {0, 1, 3, 0},
       {0, 1, 2, 0}, {0, 1, 2, 0}},
  };
  for (const Case& c : cases) {
    auto ra = Blank();
    for (int h = 0; h < 4; ++h) {
      ra->Wins[h] = c.wins[h];
      ra->Losses[h] = c.losses[h];
      ra->PointWins[h] = c.pointWins[h];
      ra->PointLosses[h] = c.pointLosses[h];
    }
    RankRates(*ra, 4);
    for (int h = 0; h < 4; ++h) {
      EXPECT_EQ(ra->WinRateRank[h], c.winRank[h]) << c.what << " horse " << h + 1;
      EXPECT_EQ(ra->PointWinRateRank[h], c.pointRank[h]) << c.what << " horse " << h + 1;
    }
  }
  auto ra = Blank();
  ra->Wins[0] = 2;
  ra->Losses[0] = 1;
  ra->PointWins[0] = 3;
  ra->PointLosses[0] = 9;
  RankRates(*ra, 2);
  EXPECT_DOUBLE_EQ(ra->WinRate[0], 2.0 / 3);
  EXPECT_DOUBLE_EQ(ra->PointWinRate[0], 0.25);
  EXPECT_EQ(ra->WinRate[1], -1.0);
  EXPECT_EQ(ra->PointWinRate[1], -1.0);
}

TEST(WinRanking, PairWinsTieOnPointRateThenTheHigherNumber) {
  auto ra = Blank();
  auto out = Odds();
  // Runners 3 and 11 with 5 wins and the same point win rate; runner 7 with 5 wins and a better
  // rate; runner 1 with 6 wins; runner 2 without a win keeps no rank.
  for (int h : {2, 10, 6}) ra->Wins[h] = 5;
  ra->Wins[0] = 6;
  ra->PointWinRate[2] = ra->PointWinRate[10] = 0.5;
  ra->PointWinRate[6] = 0.6;
  ra->PointWinRate[0] = 0.1;
  RankRaceWins(*ra, *out, 12, 10.0);
  EXPECT_EQ(ra->WinsRank[0], 1);
  EXPECT_EQ(ra->WinsRank[6], 2);
  EXPECT_EQ(ra->WinsRank[10], 3);
  EXPECT_EQ(ra->WinsRank[2], 4);
  EXPECT_EQ(ra->WinsRank[1], 0);
  // No odds at all: no reverse ranks.
  for (int h = 0; h < 12; ++h) EXPECT_EQ(ra->WinsRevRank[h] + ra->PointWinsRevRank[h], 0);
}

TEST(WinRanking, ReverseRanksAmongRunnersWithinTheOddsCeiling) {
  auto ra = Blank();
  auto out = Odds();
  struct Runner {
    int horse, wins, pointWins;
    double odds;
    int popularity;
    int winsRev, pointsRev;
  };
  const Runner runners[] = {
      {3, 2, 10, 9.5, 4, 2, 2},     // 2 wins like 11, longer odds: after it
      {11, 2, 12, 2.1, 1, 1, 3},    // fewest wins, favourite: rank 1
      {5, 4, 6, 10.0, 5, 3, 1},     // exactly at the ceiling: ranked
      {6, 1, 3, 10.1, 6, 0, 0},     // above the ceiling
      {7, 1, 3, 0.0, 0, 0, 0},      // no odds
      {8, 3, 20, -1.0, 0, 0, 0},    // cancelled
      {9, 0, 0, 3.0, 2, 0, 0},      // no wins, no points
      {10, 0, 15, 4.0, 3, 0, 4},    // no wins, but points
  };
  for (const Runner& r : runners) {
    ra->Wins[r.horse - 1] = r.wins;
    ra->PointWins[r.horse - 1] = r.pointWins;
    out->WinOdds[r.horse - 1] = r.odds;
    out->WinPopularity[r.horse - 1] = r.popularity;
    ra->WinsRevRank[r.horse - 1] = 99;  // stale ranks of an earlier odds load are cleared
    ra->PointWinsRevRank[r.horse - 1] = 99;
  }
  RankRaceWins(*ra, *out, 12, 10.0);
  for (const Runner& r : runners) {
    EXPECT_EQ(ra->WinsRevRank[r.horse - 1], r.winsRev) << r.horse;
    EXPECT_EQ(ra->PointWinsRevRank[r.horse - 1], r.pointsRev) << r.horse;
  }
}

TEST(WinRanking, RanksEveryRaceOfTheDayOnTheCeilingSetting) {
  kv::test::TempDir dir;
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  EXPECT_DOUBLE_EQ(OddsCeiling(settings), 10.0);
  ASSERT_TRUE(settings.WriteText("OddsSpan", "ceil", " 5.5"));
  EXPECT_DOUBLE_EQ(OddsCeiling(settings), 5.5);
  ASSERT_TRUE(settings.WriteText("OddsSpan", "ceil", "abc"));
  EXPECT_DOUBLE_EQ(OddsCeiling(settings), 10.0);

  auto day = std::make_unique<RaceDayModel>();
  day->Reset();
  std::string ra(kRecLenRA, ' ');
  PutFld(ra, kHdr_Year, "2011");
  PutFld(ra, kRA_Entered, "02");
  day->RaceRecords.Set(3, ra);  // slot 3 holds a race; the others are empty
  day->RaceAnalysis(3).Wins[1] = 1;
  day->RaceAnalysis(3).PointWins[1] = 2;
  day->OutData(3).WinOdds[1] = 5.0;
  day->RaceAnalysis(0).Wins[0] = 1;  // an empty slot is not ranked
  RankWins(*day, 5.5);
  EXPECT_EQ(day->RaceAnalysis(3).WinsRank[1], 1);
  EXPECT_EQ(day->RaceAnalysis(3).WinsRevRank[1], 1);
  EXPECT_EQ(day->RaceAnalysis(3).PointWinsRevRank[1], 1);
  EXPECT_EQ(day->RaceAnalysis(0).WinsRank[0], 0);
  RankWins(*day, 4.9);
  EXPECT_EQ(day->RaceAnalysis(3).WinsRevRank[1], 0);
  EXPECT_EQ(day->RaceAnalysis(3).WinsRank[1], 1);
}

TEST(WinRanking, OddsLoadsEndWithTheWinRankingOnTheStoredCeiling) {
  kv::test::TempDir dir;
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  ASSERT_TRUE(settings.WriteText("OddsSpan", "ceil", "3.0"));
  auto day = std::make_unique<RaceDayModel>();
  day->Reset();
  day->ProgDir = dir.path();
  day->DayFilePath = dir.path() / "DATA" / "none.jvRA";  // no odds files: the tables stay empty
  std::string ra(kRecLenRA, ' ');
  PutFld(ra, kHdr_Year, "2011");
  PutFld(ra, kRA_Entered, "02");
  day->RaceRecords.Set(0, ra);
  day->RaceAnalysis(0).Wins[0] = 1;
  day->RaceAnalysis(0).WinsRevRank[0] = 5;  // stale: the odds are gone, so is the reverse rank
  InstallWinRankingAfterOddsLoads();
  day->OddsRace = 0;
  LoadOdds(*day);
  SetWinRankingHook(nullptr);
  EXPECT_EQ(day->RaceAnalysis(0).WinsRank[0], 1);
  EXPECT_EQ(day->RaceAnalysis(0).WinsRevRank[0], 0);
}
