#include <gtest/gtest.h>

#include "JVRecordBuilder.h"
#include "TempDir.h"
#include "app/Files.h"
#include "bets/OccurrenceRates.h"
#include "text/Format.h"

namespace kv {
namespace {

TEST(OccurrenceRates, PriorIsAProperDistributionOverPlaces) {
  // In a race of n runners exactly min(n, k) runners finish within the first k places.
  for (int n = 1; n <= 18; ++n)
    for (int within = 1; within <= 3; ++within) {
      double sum = 0;
      for (int p = 1; p <= n; ++p) {
        sum += OccurrenceRates::PriorRate(n, p, within);
        if (p > 1) {
          EXPECT_LE(OccurrenceRates::PriorRate(n, p, within), OccurrenceRates::PriorRate(n, p - 1, within) + 1e-9);
        }
      }
      EXPECT_NEAR(sum, 100.0 * std::min(n, within), 1e-6) << n << " " << within;
    }
  EXPECT_NEAR(OccurrenceRates::PriorRate(16, 1, 1), 30.1, 0.1);
  EXPECT_EQ(OccurrenceRates::PriorRate(8, 9, 1), 0.0);
  EXPECT_EQ(OccurrenceRates().Rate(8, 0, 1), 0.0);
}

TEST(OccurrenceRates, DataOutweighThePriorAsTheyGrow) {
  OccurrenceRates rates;
  const double prior = OccurrenceRates::PriorRate(10, 1, 1);
  EXPECT_DOUBLE_EQ(rates.Rate(10, 1, 1), prior);
  for (int i = 0; i < 30; ++i) rates.AddResult(10, 1, 1);  // the favourite always won
  EXPECT_NEAR(rates.Rate(10, 1, 1), (30 + 0.3 * prior) / 60 * 100, 1e-9);
  for (int i = 0; i < 3000; ++i) rates.AddResult(10, 1, 4);
  EXPECT_LT(rates.Rate(10, 1, 3), 2.0);
  EXPECT_EQ(rates.Runs(10, 1), 3030);
}

TEST(OccurrenceRates, ReadsFinishedRunnersFromTheEntryFiles) {
  test::TempDir dir;
  fs::create_directories(dir.path() / "Data");
  // A grid of 216 lines; race 1 has three runners: popularity 1 finished 2nd, 2 won, 3 third.
  std::string bytes;
  const std::string blank(553, ' ');
  const char* rows[3][3] = {{"01", " 1", " 2"}, {"02", " 2", " 1"}, {"03", " 3", " 3"}};
  for (int line = 0; line < 216; ++line) {
    if (line < 3) {
      bytes += test::StoredLine(test::MakeRecord("SE", {{kSE_HorseNum, rows[line][0]},
                                                        {kSE_Popularity, rows[line][1]},
                                                        {kSE_Finish, rows[line][2]}}));
    } else {
      bytes += blank;
    }
    bytes += "\r\n";
  }
  ASSERT_TRUE(WriteFileAtomic(dir.path() / "Data" / "2011年04月30日福島.jvSEr", bytes));
  ASSERT_TRUE(WriteFileAtomic(dir.path() / "Data" / "2011年05月01日福島.jvSEr", "damaged"));
  const OccurrenceRates rates = OccurrenceRates::FromDayFiles(dir.path());
  EXPECT_EQ(rates.Runs(3, 1), 1);
  EXPECT_EQ(rates.Runs(3, 2), 1);
  EXPECT_EQ(rates.Runs(18, 1), 0);
  EXPECT_NEAR(rates.Rate(3, 2, 1), (1 + 0.3 * OccurrenceRates::PriorRate(3, 2, 1)) / 31 * 100, 1e-9);
  EXPECT_NEAR(rates.Rate(3, 1, 1), (0 + 0.3 * OccurrenceRates::PriorRate(3, 1, 1)) / 31 * 100, 1e-9);
  EXPECT_EQ(OccurrenceRates::ForProgramFolder(dir.path()), OccurrenceRates::ForProgramFolder(dir.path()));
}

}  // namespace
}  // namespace kv
