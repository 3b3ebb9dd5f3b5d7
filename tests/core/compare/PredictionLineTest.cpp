// A prediction line reads back as the figures it was written from, blanks included.
#include <gtest/gtest.h>

#include <memory>

#include "compare/PredictionFile.h"
#include "model/RaceDayModel.h"

using namespace kv;

TEST(PredictionLine, ReadsBackWhatWasWrittenWithBlankFieldsAsNone) {
  auto ra = std::make_unique<TRaceAnalysis>();
  const std::string key = "2024042106010602";
  struct Case {
    int wins, losses;
    double rate;
    int rank, pointWins, pointLosses;
    double pointRate;
    int pointRank;
  };
  for (const Case& c : {Case{12, 3, 0.8, 1, 4567, 1234, 0.79, 2}, Case{0, 0, -1.0, 0, 0, 0, -1.0, 0},
                        Case{0, 7, 0.0, 17, 0, 99999, 0.0, 18}}) {
    ra->Wins[4] = c.wins;
    ra->Losses[4] = c.losses;
    ra->WinRate[4] = c.rate;
    ra->WinRateRank[4] = c.rank;
    ra->PointWins[4] = c.pointWins;
    ra->PointLosses[4] = c.pointLosses;
    ra->PointWinRate[4] = c.pointRate;
    ra->PointWinRateRank[4] = c.pointRank;
    const std::string line = PredictionLine(key, *ra, 4);
    ASSERT_EQ(line.size(), static_cast<size_t>(kLineLenPrediction));
    const PredictionFigures p = ReadPredictionLine(line);
    EXPECT_EQ(p.raceKey, key);
    EXPECT_EQ(p.wins, c.wins);
    EXPECT_EQ(p.losses, c.losses);
    EXPECT_DOUBLE_EQ(p.winRate, c.rate);
    EXPECT_EQ(p.winRateRank, c.rank);
    EXPECT_EQ(p.pointWins, c.pointWins);
    EXPECT_EQ(p.pointLosses, c.pointLosses);
    EXPECT_DOUBLE_EQ(p.pointWinRate, c.pointRate);
    EXPECT_EQ(p.pointWinRateRank, c.pointRank);
  }
}
