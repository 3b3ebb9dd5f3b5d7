// The indexed comparison against the plain walk on a simulated world: every pair of every race
// of the last simulated days, compared through the race-day model exactly as the race comparison
// calls it, must give the pair fields and per-horse totals that the plain walk's counters give.
#include <gtest/gtest.h>

#include <memory>

#include "CompareReference.h"
#include "RecordingPorts.h"
#include "SimulatedPastRuns.h"
#include "compare/PredictionFile.h"
#include "compare/TwoHorseComparison.h"
#include "model/RaceDayModel.h"
#include "vocab/Combination.h"

using namespace kv;
using namespace kv::test;

TEST(SimulatedComparison, EveryPairOfSeveralDaysEqualsThePlainWalk) {
  ScratchFolder dir;
  const std::vector<SimulatedDay> days = SimulatePastRuns(dir.path(), 20240601, sim::Date{2023, 9, 1}, 30);
  ASSERT_EQ(days.size(), 30u);
  auto model = std::make_unique<RaceDayModel>();
  RecordingUi ui;
  long long comparisons = 0, meetings = 0;
  int pairs = 0;

  // One cache kept over the days, as a run over many days keeps it: the middle day starts by
  // forgetting the older half of what it holds, and the others read ahead over what is kept.
  PastRunCache cache(dir.path());
  for (size_t d = days.size() - 3; d < days.size(); ++d) {
    const SimulatedDay& day = days[d];
    model->Reset();
    if (d == days.size() - 2) {
      const size_t horses = cache.HeldHorses(), bound = cache.HeldBytes() / 2;
      cache.NextDay(bound);
      ASSERT_LE(cache.HeldBytes(), bound);
      ASSERT_LT(cache.HeldHorses(), horses);
      ASSERT_GT(cache.HeldHorses(), 0u);
    } else {
      cache.NextDay();
    }
    if (d % 2 == 1) {
      // Every other day with the files read ahead on the second thread, in race order, with an ID
      // that names no file and one that is no ID; the comparisons then wait for or overtake it.
      std::vector<std::string> ids = {"2099999999", "12"};
      for (const auto& field : day.se)
        for (const std::string& se : field) ids.push_back(FldStr(se, kSE_HorseId));
      cache.ReadAhead(ids);
    }
    TwoHorseComparison fast(*model, cache, &ui);
    for (size_t r = 0; r < day.ra.size(); ++r) {
      const int slot = static_cast<int>(r);
      model->RaceRecords.Set(slot, day.ra[r] + "\r\n");
      const int date = FldInt(day.ra[r], kHdr_Date);
      const std::vector<std::string>& se = day.se[r];
      const int n = static_cast<int>(se.size());
      // What the plain walk says, accumulated by the rules of the pair outcome.
      TRaceAnalysis want{};
      for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
          const std::string_view a = se[static_cast<size_t>(i)], b = se[static_cast<size_t>(j)];
          const int p = QuinellaComboNo(Fmt("%2d-%2d", i + 1, j + 1));
          const std::string nameA = FldStr(a, kSE_HorseName18), nameB = FldStr(b, kSE_HorseName18);
          const std::string idA = FldStr(a, kSE_HorseId), idB = FldStr(b, kSE_HorseId);
          const double wA = FldInt(a, kSE_Weight) / 10.0, wB = FldInt(b, kSE_Weight) / 10.0;
          ASSERT_TRUE(fast.Search2Ba(nameA, nameB, idA, idB, i + 1, j + 1, slot, p, wA, wB));
          ASSERT_TRUE(fast.Search2BaDirect(nameA, nameB, idA, idB, slot, p));
          ++pairs;

          const std::string na = NormalizeHorseName(nameA), nb = NormalizeHorseName(nameB);
          RecordFile fa = ReadPastRunRecords(PastRunPath(dir.path(), idA));
          RecordFile fb = ReadPastRunRecords(PastRunPath(dir.path(), idB));
          if (!fa.ok() || na == nb || IsBlank(nameA) || IsBlank(nameB)) continue;
          want.PairDirect[p - 1] = ReferenceMeetings(fa, nb, date);
          if (!fb.ok() || !(wA > 0) || !(wB > 0)) continue;
          const PairCounters c = ReferenceSearch2Ba(fa, fb, na, nb, date, wA, wB);
          want.PairCompared[p - 1] = c.compared;
          want.PairFirstPt[p - 1] = c.pointsA;
          want.PairSecondPt[p - 1] = c.pointsB;
          want.PairFirstOwnPt[p - 1] = c.soleA;
          want.PairSecondOwnPt[p - 1] = c.soleB;
          want.PairFirstTotalPt[p - 1] = c.TotalA();
          want.PairSecondTotalPt[p - 1] = c.TotalB();
          if (c.TotalA() != c.TotalB()) {
            const bool aWins = c.TotalA() > c.TotalB();
            ++(aWins ? want.PairFirstWon : want.PairSecondWon)[p - 1];
            ++want.Wins[aWins ? i : j];
            ++want.Losses[aWins ? j : i];
          }
          want.PointWins[i] += c.TotalA();
          want.PointLosses[i] += c.TotalB();
          want.PointWins[j] += c.TotalB();
          want.PointLosses[j] += c.TotalA();
          comparisons += c.compared;
          meetings += want.PairDirect[p - 1];
        }
      const TRaceAnalysis& got = model->RaceAnalysis(slot);
      for (int p = 0; p < kMaxPairs; ++p) {
        SCOPED_TRACE(Fmt("day %zu race %zu pair %d", d, r, p + 1));
        ASSERT_EQ(got.PairCompared[p], want.PairCompared[p]);
        ASSERT_EQ(got.PairFirstPt[p], want.PairFirstPt[p]);
        ASSERT_EQ(got.PairSecondPt[p], want.PairSecondPt[p]);
        ASSERT_EQ(got.PairFirstOwnPt[p], want.PairFirstOwnPt[p]);
        ASSERT_EQ(got.PairSecondOwnPt[p], want.PairSecondOwnPt[p]);
        ASSERT_EQ(got.PairFirstTotalPt[p], want.PairFirstTotalPt[p]);
        ASSERT_EQ(got.PairSecondTotalPt[p], want.PairSecondTotalPt[p]);
        ASSERT_EQ(got.PairFirstWon[p], want.PairFirstWon[p]);
        ASSERT_EQ(got.PairSecondWon[p], want.PairSecondWon[p]);
        ASSERT_EQ(got.PairDirect[p], want.PairDirect[p]);
      }
      for (int h = 0; h < kMaxRunners; ++h) {
        SCOPED_TRACE(Fmt("day %zu race %zu horse %d", d, r, h + 1));
        ASSERT_EQ(got.Wins[h], want.Wins[h]);
        ASSERT_EQ(got.Losses[h], want.Losses[h]);
        ASSERT_EQ(got.PointWins[h], want.PointWins[h]);
        ASSERT_EQ(got.PointLosses[h], want.PointLosses[h]);
      }
    }
  }
  EXPECT_GT(pairs, 1000);
  EXPECT_GT(comparisons, 100) << "the simulated histories must hold common opponents";
  EXPECT_GT(meetings, 10);
  RecordProperty("comparisons", std::to_string(comparisons));
  RecordProperty("meetings", std::to_string(meetings));
  RecordProperty("pairs", std::to_string(pairs));
}

// A cache let go while its read-ahead still runs stops the thread first; a damaged file read
// ahead is told as when it is read on demand; prediction files are read ahead too.
TEST(SimulatedComparison, ReadAheadStopsWithItsCacheAndTellsDamagedFiles) {
  ScratchFolder dir;
  const std::vector<SimulatedDay> days = SimulatePastRuns(dir.path(), 20240601, sim::Date{2023, 9, 1}, 8);
  std::vector<std::string> ids;
  for (const auto& field : days.back().se)
    for (const std::string& se : field) ids.push_back(FldStr(se, kSE_HorseId));
  ASSERT_GT(ids.size(), 100u);
  for (int round = 0; round < 20; ++round) {
    PastRunCache cache(dir.path());
    cache.ReadAhead(ids);
    if (round % 2) ASSERT_NE(cache.Get(ids[5]), nullptr);
  }

  WriteFileAtomic(PastRunPath(dir.path(), ids[3]), "cut short");
  const std::string predictions = std::string(50, '1') + "\r\n" + std::string(50, '2') + "\r\n";
  WriteFileAtomic(PredictionPath(dir.path(), ids[7]), predictions);
  PastRunCache onDemand(dir.path()), ahead(dir.path());
  std::string want, got;
  EXPECT_EQ(onDemand.Get(ids[3], &want), nullptr);
  ahead.ReadAhead(ids);
  EXPECT_EQ(ahead.Get(ids[3], &got), nullptr);
  EXPECT_FALSE(want.empty());
  EXPECT_EQ(got, want);
  ASSERT_NE(ahead.Get(ids.back()), nullptr);
  EXPECT_EQ(ahead.File(ids.back())->Bytes(), onDemand.File(ids.back())->Bytes());
  // The prediction files come after every past-run file, or when asked first.
  EXPECT_EQ(ahead.PredictionFile(ids[7])->Bytes(), predictions);
  EXPECT_TRUE(ahead.PredictionFile(ids[8])->missing());
  EXPECT_EQ(ahead.PredictionFile("12"), nullptr);
}
