// The all-race run: prediction lines and files, the processed-days list and its 6-race rule,
// the IgnoDate warning, repeated runs, and a run over a simulated day checked pair by pair.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "JVRecordBuilder.h"
#include "ProgramRun.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/Settings.h"
#include "jvlink/RecordFile.h"
#include "vocab/Combination.h"
// after RecordFile.h, which it uses
#include "SimulatedPastRuns.h"
#include "compare/AllRaceRun.h"
#include "workbench/DayLoader.h"
#include "compare/PredictionFile.h"
#include "compare/RaceRanking.h"
#include "compare/TwoHorseComparison.h"
#include "compare/UnprocessedDays.h"
#include "text/Cp932.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::test;

namespace {

TEST(PredictionLine, FieldsWidthsAndBlanks) {
  auto ra = std::make_unique<TRaceAnalysis>();
  std::fill(std::begin(ra->WinRate), std::end(ra->WinRate), -1.0);
  std::fill(std::begin(ra->PointWinRate), std::end(ra->PointWinRate), -1.0);
  ra->Wins[1] = 5, ra->Losses[1] = 3, ra->WinRate[1] = 0.625, ra->WinRateRank[1] = 2;
  ra->PointWins[1] = 40, ra->PointLosses[1] = 30, ra->PointWinRate[1] = 40.0 / 70, ra->PointWinRateRank[1] = 1;
  ra->Wins[2] = 0, ra->Losses[2] = 4, ra->WinRate[2] = 0.0, ra->WinRateRank[2] = 12;
  ra->PointWins[2] = 123456, ra->PointLosses[2] = 7, ra->PointWinRate[2] = 1.0, ra->PointWinRateRank[2] = 10;
  const std::string key = "2011043005020301";
  struct Case {
    int k;
    std::string expected;
  };
  const Case cases[] = {
      {0, key + std::string(34, ' ')},  // never compared
      {1, key + "  5  3  0.62 2   40   30  0.57 1  "},
      {2, key + "     4  0.001299999    7  1.0010  "},  // too many points: held at 99999
  };
  for (const Case& c : cases) {
    const std::string line = PredictionLine(key, *ra, c.k);
    EXPECT_EQ(line, c.expected) << c.k;
    EXPECT_EQ(line.size(), 50u);
  }
  EXPECT_TRUE(PredictionPath("/p", "12345678x0").empty());
  EXPECT_TRUE(PredictionPath("/p", "../../etc1").empty());
  EXPECT_EQ(PredictionPath("/p", "2008104321"), fs::path("/p/SEI/2008/2008104321.yos"));
}

TEST(PredictionFile, MergeReplacesTheRaceLineSortsAndKeepsADamagedFile) {
  TempDir dir;
  const fs::path path = PredictionPath(dir.path(), "2008100001");
  ASSERT_TRUE(MergePredictionLine(path, "2011050105020301" + std::string(34, 'a')));
  ASSERT_TRUE(MergePredictionLine(path, "2011043005020301" + std::string(34, 'b')));
  ASSERT_TRUE(MergePredictionLine(path, "2011050105020301" + std::string(34, 'c')));
  EXPECT_EQ(ReadAll(path), "2011043005020301" + std::string(34, 'b') + "\r\n" + "2011050105020301" +
                               std::string(34, 'c') + "\r\n");

  ASSERT_TRUE(WriteFileAtomic(path, "short line\r\n"));
  const FileResult r = MergePredictionLine(path, "2011050105020301" + std::string(34, 'd'));
  EXPECT_FALSE(r);
  EXPECT_NE(r.error.find("2008100001.yos"), std::string::npos) << r.error;
  EXPECT_EQ(ReadAll(path), "short line\r\n");
}

// A loaded day built straight into the model: `races` races of 2011-04-30 with the given
// registered runners, horse IDs unique per race and runner. No past-run files exist, so every
// pair stays undecided; what matters here is what gets written.
class AllRaceRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { day_ = std::make_unique<RaceDayModel>(); }
  static void TearDownTestSuite() { day_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(settings.Load());
    day_->Reset();
    day_->ClearRecords();
  }

  void LoadDay(const std::vector<int>& runners, const std::string& date = "20110430") {
    for (size_t r = 0; r < runners.size(); ++r) {
      const int n = runners[r];
      day_->RaceRecords.Set(static_cast<int>(r),
                            MakeRecord("RA", {{kHdr_Date, date},
                                              {kHdr_Venue, r < 6 ? "05" : "08"},
                                              {kHdr_Meeting, "02"},
                                              {kHdr_MeetingDay, "03"},
                                              {kHdr_RaceNum, Fmt("%02d", static_cast<int>(r % 6) + 1)},
                                              {kRA_Entered, Fmt("%2d", n)}}));
      for (int k = 0; k < n; ++k)
        day_->EntryRecords.Set(RaceDayModel::EntryIndex(static_cast<int>(r), k),
                               MakeRecord("SE", {{kSE_HorseId, Id(static_cast<int>(r), k)},
                                                 {kSE_HorseName, J("ウマ") + Fmt("%d", static_cast<int>(r) * 18 + k)},
                                                 {kSE_Weight, "550"}}));
    }
  }
  static std::string Id(int r, int k) { return Fmt("2008%02d%04d", r, k); }
  fs::path Yos(int r, int k) const { return PredictionPath(dir.path(), Id(r, k)); }
  std::vector<std::string> Processed() const { return ReadProcessedDays(dir.path(), "2011"); }

  static std::unique_ptr<RaceDayModel> day_;
  TempDir dir;
  Settings settings{dir.path()};
  RecordingUi ui;
};
std::unique_ptr<RaceDayModel> AllRaceRun::day_;

TEST_F(AllRaceRun, TwelveRacesWithOneOfFourRunners) {
  std::vector<int> runners(12, 8);
  runners[4] = 4;
  LoadDay(runners);
  int disabled = 0, enabled = 0, refreshed = 0;
  AllRaceRunHooks hooks{[&](bool on) { (on ? enabled : disabled)++; }, [&] { ++refreshed; }};
  AllRaceRunShared oneThread;  // every race's progress shown: none is compared by a second thread
  oneThread.threads = 1;
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui, hooks, AllRaceRecord::Write, oneThread);
  EXPECT_TRUE(res.ran && res.compared && res.predictionsWritten && res.dayRecorded);
  EXPECT_EQ(res.racesCompared, 12);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{});
  EXPECT_EQ(disabled, 1);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(ui.Texts(RecordingUi::Kind::ProgressShow), std::vector<std::string>{J("【解析中】しばらくお待ちください")});
  EXPECT_EQ(ui.Count(RecordingUi::Kind::ProgressHide), 1);
  const auto details = ui.Texts(RecordingUi::Kind::ProgressDetail);
  EXPECT_NE(std::find(details.begin(), details.end(), "2011/04/30 " + J("京都") + " 01R "), details.end());
  // Messages run once per race and once per pair: 11 races of 28 pairs and one of 6.
  EXPECT_EQ(ui.processMessagesCalls, 12 + 11 * 28 + 6);

  for (int r = 0; r < 12; ++r) {
    EXPECT_EQ(day_->RaceAnalysis(r).Compared, 1);
    for (int k = 0; k < runners[static_cast<size_t>(r)]; ++k) {
      const std::string key = std::string(RaceKey(day_->Race(r)));
      if (r == 4) {
        EXPECT_FALSE(fs::exists(Yos(r, k)));
      } else {
        EXPECT_EQ(ReadAll(Yos(r, k)), key + std::string(34, ' ') + "\r\n");
      }
    }
  }
  EXPECT_EQ(Processed(), std::vector<std::string>{J("2011年04月30日")});
}

TEST_F(AllRaceRun, ADayOfSixRacesIsWrittenButNotRecorded) {
  LoadDay(std::vector<int>(6, 5));
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui);
  EXPECT_TRUE(res.predictionsWritten);
  EXPECT_FALSE(res.dayRecorded);
  EXPECT_TRUE(fs::exists(Yos(5, 4)));
  EXPECT_FALSE(fs::exists(ProcessedDaysPath(dir.path(), "2011")));
  EXPECT_EQ(QueryUnprocessedDays(dir.path(), {J("2011年04月30日")}, 2011).days.size(), 1u);
}

TEST_F(AllRaceRun, IgnoredDatesRankButWriteNothing) {
  ASSERT_TRUE(settings.WriteBool("ReadKako", "IgnoDate", true));
  LoadDay(std::vector<int>(8, 6));
  day_->OutData(0).WinOdds[0] = 2.0;
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui);
  EXPECT_TRUE(res.compared);
  EXPECT_FALSE(res.predictionsWritten);
  EXPECT_EQ(ui.Texts(RecordingUi::Kind::Info),
            std::vector<std::string>{J("[データ読込時過去走の日付を無視する]が指定してあるのでこの比較結果は未処理扱いです。")});
  EXPECT_FALSE(fs::exists(dir.path() / "SEI"));
  EXPECT_FALSE(fs::exists(ProcessedDaysPath(dir.path(), "2011")));
  EXPECT_EQ(day_->RaceAnalysis(7).Compared, 1);
}

TEST_F(AllRaceRun, NothingLoadedIsToldAndChangesNothing) {
  bool hooked = false;
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui, {[&](bool) { hooked = true; }, [&] { hooked = true; }});
  EXPECT_FALSE(res.ran);
  EXPECT_FALSE(hooked);
  EXPECT_EQ(ui.Texts(RecordingUi::Kind::Info), std::vector<std::string>{J("出馬表が読み込まれていません。")});
  EXPECT_EQ(ui.Count(RecordingUi::Kind::ProgressShow), 0);
}

TEST_F(AllRaceRun, BadHorseIdsNeverBecomePathsAndOtherHorsesAreWritten) {
  LoadDay(std::vector<int>(7, 5));
  day_->EntryRecords.Set(RaceDayModel::EntryIndex(0, 0), MakeRecord("SE", {{kSE_HorseId, "../../x/yz"}, {kSE_Weight, "550"}}));
  day_->EntryRecords.Set(RaceDayModel::EntryIndex(0, 1), MakeRecord("SE", {{kSE_Weight, "550"}}));  // blank ID
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui);
  EXPECT_TRUE(res.predictionsWritten && res.dayRecorded);
  EXPECT_TRUE(fs::exists(Yos(0, 2)));
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) files += e.path().extension() == ".yos";
  EXPECT_EQ(files, 7u * 5 - 2);
}

TEST_F(AllRaceRun, AnUnwritablePredictionKeepsTheDayUnprocessed) {
  LoadDay(std::vector<int>(7, 5));
  fs::create_directories(Yos(3, 2));  // a folder where the file should be
  const AllRaceRunResult res = RunAllRaces(*day_, settings, ui);
  EXPECT_TRUE(res.compared);
  EXPECT_FALSE(res.predictionsWritten);
  EXPECT_FALSE(res.dayRecorded);
  ASSERT_EQ(ui.Texts(RecordingUi::Kind::Warning).size(), 1u);
  EXPECT_NE(ui.Texts(RecordingUi::Kind::Warning)[0].find("2008030002.yos"), std::string::npos);
  EXPECT_TRUE(fs::exists(Yos(3, 3)));  // the others were written
}

TEST(ProcessedDays, ListsStaySortedAndUniqueAndFindTheUnprocessedDays) {
  TempDir dir;
  const std::string d0430 = J("2011年04月30日"), d0501 = J("2011年05月01日"), d0102 = J("2011年01月02日");
  ASSERT_TRUE(AddProcessedDays(dir.path(), "2011", {d0501, d0430}));
  ASSERT_TRUE(AddProcessedDays(dir.path(), "2011", {d0430}));
  EXPECT_EQ(ReadAll(dir.path() / "yosowriten2011.txt"), d0430 + "\r\n" + d0501 + "\r\n");

  const std::vector<std::string> dayList = {J("2012年01月05日"), d0501, d0430, d0102, J("2010年12月26日")};
  UnprocessedDaysQuery q = QueryUnprocessedDays(dir.path(), dayList, 2011);
  EXPECT_EQ(q.days, std::vector<std::string>{d0102});
  EXPECT_EQ(q.heading, J("2011年の未処理開催日データ"));
  EXPECT_EQ(q.text, J("下記の開催日データを読み込み処理します。"));
  EXPECT_TRUE(q.none.empty());
  q = QueryUnprocessedDays(dir.path(), dayList, 2009);
  EXPECT_TRUE(q.days.empty());
  EXPECT_EQ(q.none, J("2009年の未処理データはありません。"));
  // A year without a list: every day of the year, in the day list's order (newest first).
  EXPECT_EQ(QueryUnprocessedDays(dir.path(), dayList, 2012).days, std::vector<std::string>{J("2012年01月05日")});
}

TEST(ProcessedDays, MenuChecksAndStartLoadsLastToFirst) {
  TempDir dir;
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  EXPECT_FALSE(UnprocessedMenuRefusal(s).has_value());
  ASSERT_TRUE(s.WriteBool("ReadKako", "IgnoDate", true));
  EXPECT_EQ(UnprocessedMenuRefusal(s),
            J("メニューの「ｵﾌﾟｼｮﾝ」－「データ読込時過去走の日付を無視する」のﾁｪｯｸをはずしてから実行してください。"));
  ASSERT_TRUE(s.WriteBool("AllRace", "ExecComp", false));
  EXPECT_EQ(UnprocessedMenuRefusal(s),
            J("メニューの「ｵﾌﾟｼｮﾝ」－「データ読込後直ちに全レース比較を行う」のﾁｪｯｸをしてから実行してください。"));

  RecordingUi ui;
  std::vector<std::string> loaded;
  const int n = ProcessUnprocessedDays({"c", "b", "a"}, ui, [&](const std::string& d) {
    loaded.push_back(d);
    return d != "b";
  });
  EXPECT_EQ(loaded, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(ui.Texts(RecordingUi::Kind::Busy), (std::vector<std::string>{"1", "0"}));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("処理が終了しました。")});
}

// A simulated day run through the all-race run: every pair of every race holds exactly what the
// comparison of that pair gives on its own, the totals agree with the pair outcomes, every rank
// list is 1..c, a second run gives the same model and files, and each runner's file holds one
// line for the race.
TEST(AllRaceRunSimulated, EveryPairComparedAndRanksConsistent) {
  ScratchFolder dir;  // in memory where possible: the world writes thousands of files
  const std::vector<SimulatedDay> days = SimulatePastRuns(dir.path(), 7, sim::Date{2023, 9, 1}, 40);
  ASSERT_FALSE(days.empty());
  const SimulatedDay& sd = days.back();
  auto day = std::make_unique<RaceDayModel>();
  day->Reset();
  for (size_t r = 0; r < sd.ra.size(); ++r) {
    day->RaceRecords.Set(static_cast<int>(r), sd.ra[r]);
    for (size_t k = 0; k < sd.se[r].size(); ++k)
      day->EntryRecords.Set(RaceDayModel::EntryIndex(static_cast<int>(r), static_cast<int>(k)), sd.se[r][k]);
  }
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  RecordingUi ui;
  ASSERT_TRUE(RunAllRaces(*day, settings, ui).predictionsWritten);

  // The expected pair fields, pair by pair with a model and cache of their own.
  auto alone = std::make_unique<RaceDayModel>();
  PastRunCache cache(dir.path());
  long long comparisons = 0;
  for (int r = 0; r < static_cast<int>(sd.ra.size()); ++r) {
    alone->Reset();
    alone->RaceRecords.Set(r, sd.ra[static_cast<size_t>(r)]);
    TwoHorseComparison cmp(*alone, cache);
    const TRaceAnalysis& got = day->RaceAnalysis(r);
    const TRaceAnalysis& want = alone->RaceAnalysis(r);
    const int n = day->RunnerCount(r);
    ASSERT_GE(n, 2);
    int decided = 0;
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        const std::string_view a = day->Entry(r, i), b = day->Entry(r, j);
        const int p = QuinellaComboNo(Fmt("%2d-%2d", i + 1, j + 1));
        ASSERT_TRUE(cmp.Search2Ba(Fld(a, kSE_HorseName18), Fld(b, kSE_HorseName18), Fld(a, kSE_HorseId),
                                  Fld(b, kSE_HorseId), i + 1, j + 1, r, p, FldInt(a, kSE_Weight) / 10.0,
                                  FldInt(b, kSE_Weight) / 10.0));
        ASSERT_TRUE(cmp.Search2BaDirect(Fld(a, kSE_HorseName18), Fld(b, kSE_HorseName18), Fld(a, kSE_HorseId),
                                        Fld(b, kSE_HorseId), r, p));
        const int q = p - 1;
        ASSERT_EQ(got.PairCompared[q], want.PairCompared[q]) << r << " " << i << "-" << j;
        ASSERT_EQ(got.PairFirstTotalPt[q], want.PairFirstTotalPt[q]);
        ASSERT_EQ(got.PairSecondTotalPt[q], want.PairSecondTotalPt[q]);
        ASSERT_EQ(got.PairDirect[q], want.PairDirect[q]);
        decided += got.PairFirstWon[q] + got.PairSecondWon[q];
        comparisons += got.PairCompared[q];
      }
    int wins = 0, losses = 0, pointWins = 0, pointLosses = 0;
    std::vector<int> rateRanks, pointRanks, winsRanks;
    for (int h = 0; h < n; ++h) {
      EXPECT_EQ(got.Wins[h], want.Wins[h]);
      EXPECT_EQ(got.PointWins[h], want.PointWins[h]);
      wins += got.Wins[h], losses += got.Losses[h];
      pointWins += got.PointWins[h], pointLosses += got.PointLosses[h];
      if (got.WinRateRank[h]) rateRanks.push_back(got.WinRateRank[h]);
      if (got.PointWinRateRank[h]) pointRanks.push_back(got.PointWinRateRank[h]);
      if (got.WinsRank[h]) winsRanks.push_back(got.WinsRank[h]);
      EXPECT_EQ(got.WinRateRank[h] > 0, got.Wins[h] + got.Losses[h] > 0);
      EXPECT_EQ(got.WinsRank[h] > 0, got.Wins[h] > 0);
      // A better rate never ranks worse.
      for (int g = 0; g < n; ++g) {
        if (got.WinRateRank[h] && got.WinRateRank[g] && got.WinRate[h] > got.WinRate[g] + 0.001) {
          EXPECT_LT(got.WinRateRank[h], got.WinRateRank[g]);
        }
      }
      const fs::path yos = PredictionPath(dir.path(), Fld(day->Entry(r, h), kSE_HorseId));
      if (n < 5) {
        EXPECT_FALSE(fs::exists(yos));
      } else {
        EXPECT_NE(ReadAll(yos).find(PredictionLine(RaceKey(day->Race(r)), got, h) + "\r\n"), std::string::npos);
      }
    }
    EXPECT_EQ(wins, decided);
    EXPECT_EQ(losses, decided);
    EXPECT_EQ(pointWins, pointLosses);
    for (std::vector<int>* ranks : {&rateRanks, &pointRanks, &winsRanks}) {
      std::sort(ranks->begin(), ranks->end());
      std::vector<int> expected(ranks->size());
      std::iota(expected.begin(), expected.end(), 1);
      EXPECT_EQ(*ranks, expected) << "race " << r;
    }
    EXPECT_EQ(got.Compared, 1);
  }
  EXPECT_GT(comparisons, 1000) << "the world must give the run something to compare";

  // Run again: the reset comes first, so the model and the files come out the same.
  const std::vector<char> before(reinterpret_cast<const char*>(&day->RaceAnalysis(0)),
                                 reinterpret_cast<const char*>(&day->RaceAnalysis(0)) + sizeof(TRaceAnalysis));
  const fs::path someFile = PredictionPath(dir.path(), Fld(day->Entry(0, 0), kSE_HorseId));
  const std::string fileBefore = ReadAll(someFile);
  ASSERT_TRUE(RunAllRaces(*day, settings, ui).predictionsWritten);
  EXPECT_EQ(ReadAll(someFile), fileBefore);
  const std::vector<char> after(reinterpret_cast<const char*>(&day->RaceAnalysis(0)),
                                reinterpret_cast<const char*>(&day->RaceAnalysis(0)) + sizeof(TRaceAnalysis));
  EXPECT_TRUE(before == after);
}

// Races compared on two threads come out as when compared one by one in order, also when a
// damaged past-run file stops the run in a race of either thread: the races before it compared,
// it half compared, those after it reset, the same error; the bar reaches every race.
TEST(AllRaceRunSimulated, TwoThreadsGiveWhatOneGivesAlsoWhenARaceFails) {
  ScratchFolder dir;
  const std::vector<SimulatedDay> days = SimulatePastRuns(dir.path(), 11, sim::Date{2023, 9, 1}, 12);
  ASSERT_FALSE(days.empty());
  const SimulatedDay& sd = days.back();
  const int races = static_cast<int>(sd.ra.size());
  ASSERT_GE(races, 12);
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  settings.WriteBool("ReadKako", "IgnoDate", true);  // nothing written: each run starts alike
  auto load = [&](RaceDayModel& day) {
    day.Reset();
    for (size_t r = 0; r < sd.ra.size(); ++r) {
      day.RaceRecords.Set(static_cast<int>(r), sd.ra[r]);
      for (size_t k = 0; k < sd.se[r].size(); ++k)
        day.EntryRecords.Set(RaceDayModel::EntryIndex(static_cast<int>(r), static_cast<int>(k)), sd.se[r][k]);
    }
  };
  auto one = std::make_unique<RaceDayModel>(), two = std::make_unique<RaceDayModel>();
  load(*one);
  load(*two);
  const auto blocks = [](const RaceDayModel& day) {
    std::vector<char> bytes;
    for (int r = 0; r < kMaxRaces; ++r) {
      const char* p = reinterpret_cast<const char*>(&day.RaceAnalysis(r));
      bytes.insert(bytes.end(), p, p + sizeof(TRaceAnalysis));
    }
    return bytes;
  };
  // No failure, then a damaged file in the second race (the caller's thread takes it), then one
  // three races from the end (the second thread's).
  for (const int damaged : {-1, 1, races - 3}) {
    SCOPED_TRACE(damaged);
    const fs::path file =
        PastRunPath(dir.path(), FldStr(sd.se[static_cast<size_t>(std::max(damaged, 0))][2], kSE_HorseId));
    const std::string intact = ReadAll(file);
    if (damaged >= 0) ASSERT_TRUE(WriteFileAtomic(file, "cut short"));
    RecordingUi uiOne, uiTwo;
    AllRaceRunShared threads;
    threads.threads = 1;
    const AllRaceRunResult a = RunAllRaces(*one, settings, uiOne, {}, AllRaceRecord::Write, threads);
    threads.threads = 2;
    const AllRaceRunResult b = RunAllRaces(*two, settings, uiTwo, {}, AllRaceRecord::Write, threads);
    EXPECT_EQ(a.compared, damaged < 0);
    EXPECT_EQ(b.compared, a.compared);
    EXPECT_EQ(b.racesCompared, damaged < 0 ? races : damaged);
    EXPECT_EQ(b.racesCompared, a.racesCompared);
    EXPECT_EQ(b.errors, a.errors);
    EXPECT_EQ(uiTwo.Messages(), uiOne.Messages());
    EXPECT_EQ(two->WorkRace, one->WorkRace);
    EXPECT_TRUE(blocks(*two) == blocks(*one));
    if (damaged >= 0) {
      EXPECT_EQ(two->RaceAnalysis(damaged - 1).Compared, 1);
      EXPECT_EQ(two->RaceAnalysis(damaged).Compared, 0);
      EXPECT_EQ(two->RaceAnalysis(damaged + 1).Compared, 0);
      ASSERT_TRUE(WriteFileAtomic(file, intact));
    }
    const auto bars = uiTwo.Texts(RecordingUi::Kind::ProgressBar);
    if (damaged < 0) EXPECT_EQ(bars.back(), Fmt("%d/%d", races, races));
  }
}

// A day loaded by name and run: a day that is not there is told once (no run after it), a day
// the caller refuses after the load is not run, an accepted one is loaded, compared and written.
TEST(AllRaceRunSimulated, LoadAndRunStopsWhereTheLoadOrTheCallerStops) {
  ScratchFolder dir;
  const std::vector<SimulatedDay> days = SimulatePastRuns(dir.path(), 3, sim::Date{2023, 9, 1}, 2);
  ASSERT_FALSE(days.empty());
  const std::string dayName = days.back().raceFileName.substr(0, 14);
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  auto day = std::make_unique<RaceDayModel>();
  RecordingUi ui;

  LoadedDayRun res = LoadAndRunAllRaces(*day, J("2099年01月01日"), settings, ui);
  EXPECT_FALSE(res.load.loaded);
  EXPECT_FALSE(res.run.ran);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("2099年01月01日のデータ作成は未完了のようです。")});

  size_t seen = 0;
  res = LoadAndRunAllRaces(*day, dayName, settings, ui, [&](const DayLoadResult& l) {
    seen = l.raceSlots.size();
    return false;
  });
  EXPECT_TRUE(res.load.loaded);
  EXPECT_EQ(seen, days.back().ra.size());
  EXPECT_FALSE(res.run.ran);
  EXPECT_FALSE(res.Analysed());
  const fs::path yos = PredictionPath(dir.path(), Fld(days.back().se[0][0], kSE_HorseId));
  EXPECT_FALSE(fs::exists(yos));

  res = LoadAndRunAllRaces(*day, dayName, settings, ui, [](const DayLoadResult&) { return true; });
  EXPECT_TRUE(res.Analysed());
  EXPECT_TRUE(res.run.predictionsWritten);
  EXPECT_TRUE(fs::exists(yos));
  EXPECT_EQ(res.run.racesCompared, static_cast<int>(days.back().ra.size()));
  EXPECT_EQ(day->RaceAnalysis(res.load.raceSlots[0]).Compared, 1);
}

// A run over many days through one prediction batch, with the past-run files kept from day to
// day: nothing reaches the disk before Write, each day's load sees the lines of the days before
// it (the conformity marks come out as when every day is written at once), Write gives the files
// and processed-days lists of day-by-day runs, and a file whose bytes would not change is not
// written again (the prediction files the cache kept from before the Write are not used).
TEST(AllRaceRunSimulated, ManyDaysThroughOneBatchGiveWhatDayByDayRunsGive) {
  // A world old enough for rankings; its last days are run.
  constexpr int kWorldDays = 40, kDays = 5;
  ScratchFolder byDay, batched;
  std::vector<SimulatedDay> days = SimulatePastRuns(byDay.path(), 7, sim::Date{2023, 9, 1}, kWorldDays);
  days.erase(days.begin(), days.end() - kDays);
  fs::copy(byDay.path(), batched.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  Settings settingsA(byDay.path()), settingsB(batched.path());
  ASSERT_TRUE(settingsA.Load());
  ASSERT_TRUE(settingsB.Load());
  RecordingUi ui;
  auto dayA = std::make_unique<RaceDayModel>(), dayB = std::make_unique<RaceDayModel>();
  const auto treeBefore = FileTree(batched.path());

  PredictionBatch batch(batched.path());
  PastRunCache kept(batched.path());
  std::vector<int> tickets;
  int marks = 0;
  for (const SimulatedDay& d : days) {
    const std::string name = d.raceFileName.substr(0, 14);
    ASSERT_TRUE(LoadAndRunAllRaces(*dayA, name, settingsA, ui).Recorded());
    const LoadedDayRun b = LoadAndRunAllRaces(*dayB, name, settingsB, ui, {}, AllRaceRecord::Write, &batch, &kept);
    ASSERT_TRUE(b.Analysed());
    EXPECT_FALSE(b.run.writeFailed);
    EXPECT_FALSE(b.run.predictionsWritten);
    tickets.push_back(b.run.predictionTicket);
    for (int r = 0; r < kMaxRaces; ++r)
      for (int k = 0; k < kMaxRunners; ++k) {
        ASSERT_EQ(dayB->RaceAnalysis(r).Conformed[k], dayA->RaceAnalysis(r).Conformed[k]) << name << " " << r;
        ASSERT_EQ(dayB->RaceAnalysis(r).Betrayed[k], dayA->RaceAnalysis(r).Betrayed[k]) << name << " " << r;
        marks += dayA->RaceAnalysis(r).Conformed[k] + dayA->RaceAnalysis(r).Betrayed[k];
      }
  }
  EXPECT_GT(marks, 0) << "the world must give later days marks from earlier ones";
  EXPECT_EQ(FileTree(batched.path()), treeBefore);  // nothing written yet

  const PredictionBatch::WriteOutcome w = batch.Write();
  EXPECT_TRUE(w.errors.empty());
  EXPECT_GT(w.filesWritten, 0);
  ASSERT_EQ(w.days.size(), days.size());
  for (size_t t = 0; t < tickets.size(); ++t) {
    EXPECT_EQ(tickets[t], static_cast<int>(t));
    EXPECT_TRUE(w.days[t].written);
    EXPECT_TRUE(w.days[t].recorded);
  }
  EXPECT_EQ(FileTree(batched.path()), FileTree(byDay.path()));

  // The last day again: its lines are what the files hold, so nothing is written.
  const LoadedDayRun again =
      LoadAndRunAllRaces(*dayB, days.back().raceFileName.substr(0, 14), settingsB, ui, {}, AllRaceRecord::Write, &batch,
                         &kept);
  ASSERT_TRUE(again.Analysed());
  const PredictionBatch::WriteOutcome none = batch.Write();
  EXPECT_EQ(none.filesWritten, 0);
  ASSERT_EQ(none.days.size(), 1u);
  EXPECT_TRUE(none.days[0].written);
  EXPECT_EQ(FileTree(batched.path()), FileTree(byDay.path()));
}

}  // namespace
