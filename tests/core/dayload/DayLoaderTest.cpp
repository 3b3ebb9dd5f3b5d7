#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DayFixture.h"
#include "RecordingPorts.h"
#include "compare/PastRunFile.h"
#include "workbench/DayLoader.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "vocab/KeibaFunc.h"

using namespace kv;
using Kind = test::RecordingUi::Kind;

namespace {

constexpr const char* kDate = "20110430";
constexpr const char* kNiigata = "04";
constexpr const char* kTokyo = "05";

// One model for the whole program: it is large and every load starts from a reset.
RaceDayModel& Model() {
  static RaceDayModel day;
  return day;
}

struct Loader : ::testing::Test {
  test::DayFolder f;
  test::RecordingUi ui;
  std::string dayName = DayNameFromDate(kDate);
  DayLoadOptions opt;

  DayLoadResult Load() { return LoadRaceDay(Model(), f.prog(), dayName, opt, ui); }
  // One race at Niigata with one runner whose past runs and predictions the test writes.
  void OneRunner() {
    f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 1)});
    f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1)});
  }
  std::string Id() const { return test::HorseIdOf(1, 1); }
  std::string RunDate(int j) const { return std::string(Fld(Model().PastRun(0, 0, j), 1, 8)); }
};

TEST_F(Loader, IncompleteDataStopsTheLoadWithItsMessage) {
  const std::string missingRaces = dayName + J("のデータ作成は未完了のようです。");
  const std::string incomplete = dayName + J("のデータ作成は未完了です。少し時間をおいてデータを再取得してください。");
  struct Case {
    const char* what;
    bool raceFile;
    int entriesWritten;  // -1: no entry file; runners entered: 2
    std::string message;
  } cases[] = {
      {"no race file", false, -1, missingRaces},
      {"no entry file of the venue", true, -1, incomplete},
      {"second runner not received (blank record, frame 0)", true, 1, incomplete},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::DayFolder folder;
    if (c.raceFile) folder.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 2)});
    std::vector<std::string> ses;
    for (int h = 1; h <= c.entriesWritten; ++h) ses.push_back(test::Se(kDate, kNiigata, 1, h));
    if (c.entriesWritten >= 0) folder.WriteEntries(dayName, kNiigata, ses);
    test::RecordingUi rec;
    const DayLoadResult res = LoadRaceDay(Model(), folder.prog(), dayName, opt, rec);
    EXPECT_FALSE(res.loaded);
    EXPECT_TRUE(res.raceList.empty());
    // The message names the entry file (and the line) it could not use.
    ASSERT_EQ(rec.Messages().size(), 1u);
    EXPECT_TRUE(rec.Messages()[0].starts_with(c.message)) << ToUtf8(rec.Messages()[0]);
    if (c.raceFile) EXPECT_NE(rec.Messages()[0].find(".jvSEr"), std::string::npos) << ToUtf8(rec.Messages()[0]);
    EXPECT_EQ(rec.Count(Kind::ProgressShow), c.raceFile ? 1 : 0);
    EXPECT_EQ(rec.Count(Kind::ProgressHide), c.raceFile ? 1 : 0);
  }
}

TEST_F(Loader, EmptyRaceFileIsDamagedNotAnEmptyDay) {
  f.WriteRaces(dayName, {});
  const DayLoadResult res = Load();
  EXPECT_FALSE(res.loaded);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].find(J("ファイルが壊れています：")), std::string::npos);
  EXPECT_NE(ui.Messages()[0].find(dayName + ".jvRA"), std::string::npos) << ToUtf8(ui.Messages()[0]);
}

TEST_F(Loader, RaceRecordOutsideTwelveRacesOrEighteenRunnersIsNamedAndLeftOut) {
  std::string race13 = test::Ra(kDate, kNiigata, 13, 1), runners19 = test::Ra(kDate, kNiigata, 2, 1);
  PutFld(runners19, kRA_Entered, "19");
  f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 1), race13, runners19});
  f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1)});
  const DayLoadResult res = Load();
  ASSERT_TRUE(res.loaded);
  EXPECT_EQ(res.raceList, std::vector<std::string>{J("新潟 1R")});
  ASSERT_EQ(res.problems.size(), 2u);
  EXPECT_NE(res.problems[0].find(dayName + J(".jvRAの2件目")), std::string::npos) << ToUtf8(res.problems[0]);
  EXPECT_NE(res.problems[1].find(dayName + J(".jvRAの3件目")), std::string::npos) << ToUtf8(res.problems[1]);
}

TEST_F(Loader, PastRunYearFolderThatIsAFileIsNamedOnce) {
  f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 2)});
  f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1), test::Se(kDate, kNiigata, 1, 2)});
  const fs::path year = PastRunPath(f.prog(), test::HorseIdOf(1, 1)).parent_path();
  fs::create_directories(year.parent_path());
  std::ofstream(year).close();
  const DayLoadResult res = Load();
  ASSERT_TRUE(res.loaded);
  ASSERT_EQ(res.problems.size(), 1u);  // both runners were born that year
  EXPECT_NE(res.problems[0].find(ToCp932(year.string())), std::string::npos) << ToUtf8(res.problems[0]);
}

TEST_F(Loader, PayoutsArePlacedByRaceKeyAndTheRaceListNamesEveryRace) {
  f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 1), test::Ra(kDate, kNiigata, 2, 1), test::Ra(kDate, kTokyo, 1, 1)});
  f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1), test::Se(kDate, kNiigata, 2, 1)});
  f.WriteEntries(dayName, kTokyo, {test::Se(kDate, kTokyo, 1, 1)});
  auto hr = [&](std::string_view venue, std::string_view race, std::string_view horse) {
    return test::MakeRecord("HR", {{kHdr_Date, kDate}, {kHdr_Venue, venue}, {kHdr_RaceNum, race},
                                   {kHR_Win.combo.At(0), horse}, {kHR_Win.pay.At(0), "      450"}});
  };
  const std::string tokyo1 = hr(kTokyo, "01", "03"), niigata1 = hr(kNiigata, "01", "01");
  f.WritePayouts(dayName, {test::BlankRecord("HR"), tokyo1, hr(kNiigata, "09", "05"), niigata1});

  const DayLoadResult res = Load();
  ASSERT_TRUE(res.loaded);
  EXPECT_EQ(res.raceList, (std::vector<std::string>{J("新潟 1R"), J("新潟 2R"), J("東京 1R")}));
  EXPECT_EQ(res.raceSlots, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Model().RaceCount, 3);
  EXPECT_EQ(Model().Payout(0), niigata1);
  EXPECT_TRUE(IsBlank(Model().Payout(1)));
  EXPECT_EQ(Model().Payout(2), tokyo1);
  EXPECT_EQ(Model().RaceAnalysis(0).WinHorse[0], 1);
  EXPECT_EQ(Model().RaceAnalysis(1).WinHorse[0], 0);
  EXPECT_EQ(Model().RaceAnalysis(2).WinHorse[0], 3);
  EXPECT_EQ(Model().RaceAnalysis(2).WinPay[0], 450);
  EXPECT_TRUE(Model().IsRaceSlotEmpty(3));
}

TEST(PastRunWindowRule, StartsSpanDaysBeforeTheRaceAndExcludesBothEnds) {
  const PastRunWindow w = MakePastRunWindow(20110430, 365, false);
  EXPECT_EQ(w.windowStart, 20100430);
  EXPECT_FALSE(w.Contains(20100430));
  EXPECT_TRUE(w.Contains(20100501));
  EXPECT_TRUE(w.Contains(20110429));
  EXPECT_FALSE(w.Contains(20110430));
  EXPECT_EQ(MakePastRunWindow(20120301, 1, false).windowStart, 20120229);  // calendar days
  EXPECT_TRUE(MakePastRunWindow(20110430, 365, true).Contains(20110430));
}

TEST_F(Loader, PastRunsInsideTheWindowNewestFirstAndIgnoDateTakesThemAll) {
  OneRunner();
  f.WritePastRuns(Id(), {test::PastRunRecord({.date = "20100430", .prize = 1}),
                         test::PastRunRecord({.date = "20100501", .place = 2, .prize = 10}),
                         test::PastRunRecord({.date = "20110429", .place = 3, .prize = 60, .added = 40}),
                         test::PastRunRecord({.date = "20110430", .prize = 1000})});
  opt.dataSpanDays = 365;
  ASSERT_TRUE(Load().loaded);
  EXPECT_EQ(RunDate(0), "20110429");
  EXPECT_EQ(RunDate(1), "20100501");
  EXPECT_TRUE(IsBlank(RunDate(2)));
  EXPECT_EQ(Model().RaceAnalysis(0).PrizeTotal[0], 110);
  const int* counts = Model().RaceAnalysis(0).PlaceCounts[0][0];
  EXPECT_EQ(std::vector<int>(counts, counts + 4), (std::vector<int>{0, 1, 1, 0}));

  opt.ignorePastRunDates = true;
  ASSERT_TRUE(Load().loaded);
  EXPECT_EQ(RunDate(0), "20110430");
  EXPECT_EQ(RunDate(3), "20100430");
  EXPECT_EQ(Model().RaceAnalysis(0).PrizeTotal[0], 1111);
}

TEST_F(Loader, OnlyTheFirstHundredRunsCountVisitedFromTheHundredthBack) {
  OneRunner();
  std::vector<std::string> runs;
  for (int i = 0; i < 120; ++i) {
    const std::string date = AddDays("2010/01/01", i);
    runs.push_back(test::PastRunRecord({.date = date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2), .prize = i + 1}));
  }
  f.WritePastRuns(Id(), runs);
  ASSERT_TRUE(Load().loaded);
  EXPECT_EQ(Model().PastRun(0, 0, 0), runs[99]);
  EXPECT_EQ(Model().PastRun(0, 0, 99), runs[0]);
  EXPECT_EQ(Model().RaceAnalysis(0).PrizeTotal[0], 5050);  // 1 + … + 100
  EXPECT_EQ(Model().RaceAnalysis(0).PlaceCounts[0][0][0], 100);
}

TEST_F(Loader, PlaceCountsByCategory) {
  OneRunner();
  f.WritePastRuns(Id(), {
      // turf, going 3 + blank: heavy; sprint; 1st
      test::PastRunRecord({.date = "20110101", .place = 1, .track = "17", .turfGoing = "3", .dirtGoing = " ", .distance = 1200}),
      // turf, going 1 + 1: not heavy; 1600 m; 2nd
      test::PastRunRecord({.date = "20110102", .place = 2, .track = "10", .turfGoing = "1", .dirtGoing = "1", .distance = 1600}),
      // dirt, going blank + 4: heavy; 1601 m; 3rd
      test::PastRunRecord({.date = "20110103", .place = 3, .track = "24", .turfGoing = " ", .dirtGoing = "4", .distance = 1601}),
      // dirt, going 2 + 2: heavy; 2200 m; 7th -> slot 4th or worse
      test::PastRunRecord({.date = "20110104", .place = 7, .track = "29", .turfGoing = "2", .dirtGoing = "2", .distance = 2200}),
      // jumps: neither turf nor dirt; 2201 m; 4th
      test::PastRunRecord({.date = "20110105", .place = 4, .track = "51", .distance = 2201}),
      // did not finish: no count, prize still counts
      test::PastRunRecord({.date = "20110106", .place = 0, .track = "22", .distance = 2400, .prize = 50}),
  });
  ASSERT_TRUE(Load().loaded);
  const TRaceAnalysis& a = Model().RaceAnalysis(0);
  const std::vector<std::vector<int>> expected = {
      {1, 1, 1, 2},  // 0 every run
      {1, 0, 0, 0},  // 1 turf heavy
      {1, 1, 0, 0},  // 2 turf
      {0, 0, 1, 1},  // 3 dirt heavy
      {0, 0, 1, 1},  // 4 dirt
      {1, 1, 0, 0},  // 5 up to 1600 m
      {0, 0, 1, 1},  // 6 1601..2200 m
      {0, 0, 0, 1},  // 7 2201 m and more
  };
  for (int c = 0; c < kPlaceCategories; ++c)
    EXPECT_EQ(std::vector<int>(a.PlaceCounts[c][0], a.PlaceCounts[c][0] + 4), expected[static_cast<size_t>(c)])
        << "category " << c;
  EXPECT_EQ(a.PrizeTotal[0], 50);
  EXPECT_EQ(Model().PastRun(0, 0, 0).substr(0, 8), "20110106");  // stored all the same
}

TEST_F(Loader, ConformityMarksComeFromThePredictionLineNearestTheEnd) {
  OneRunner();
  f.WritePastRuns(Id(), {test::PastRunRecord({.date = "20110101", .venue = "05", .place = 2}),
                         test::PastRunRecord({.date = "20110201", .venue = "06", .place = 5}),
                         test::PastRunRecord({.date = "20110301", .venue = "05", .place = 1})});
  f.WritePredictions(Id(), {
                               test::PredictionRecord("20110101", "05", 5),
                               test::PredictionRecord("20110101", "05", 1),  // counts: conformed (2nd)
                               test::PredictionRecord("20110201", "06", 9),
                               test::PredictionRecord("20110201", "06", 2),  // counts: betrayed (5th)
                               test::PredictionRecord("20110301", "05", 1),
                               test::PredictionRecord("20110301", "05", 0),  // counts: no mark
                               test::PredictionRecord("20110301", "06", 1),  // other venue
                           });
  ASSERT_TRUE(Load().loaded);
  EXPECT_EQ(Model().PastRunMark(0, 0, 0), 0);  // 20110301
  EXPECT_EQ(Model().PastRunMark(0, 0, 1), 2);  // 20110201
  EXPECT_EQ(Model().PastRunMark(0, 0, 2), 1);  // 20110101
  const TRaceAnalysis& a = Model().RaceAnalysis(0);
  EXPECT_EQ(a.Conformed[0], 1);
  EXPECT_EQ(a.Betrayed[0], 1);
  EXPECT_DOUBLE_EQ(a.BetrayalRate[0], 0.5);
}

TEST_F(Loader, ARunnerWithoutPastRunsKeepsZerosAndNoRate) {
  OneRunner();
  ASSERT_TRUE(Load().loaded);
  const TRaceAnalysis& a = Model().RaceAnalysis(0);
  EXPECT_EQ(a.PrizeTotal[0], 0);
  EXPECT_EQ(a.Conformed[0] + a.Betrayed[0], 0);
  EXPECT_DOUBLE_EQ(a.BetrayalRate[0], -1.0);
}

TEST_F(Loader, ADamagedPastRunFileIsNamedAndTheDayStillLoads) {
  f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 2)});
  f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1), test::Se(kDate, kNiigata, 1, 2)});
  f.WritePastRuns(test::HorseIdOf(1, 1), {"short line\r\n"});
  f.WritePastRuns(test::HorseIdOf(1, 2), {test::PastRunRecord({.date = "20110101", .prize = 7})});
  const DayLoadResult res = Load();
  ASSERT_TRUE(res.loaded);
  ASSERT_EQ(res.problems.size(), 1u);
  EXPECT_NE(res.problems[0].find(test::HorseIdOf(1, 1) + ".kak"), std::string::npos);
  EXPECT_EQ(Model().RaceAnalysis(0).PrizeTotal[1], 7);
}

TEST(FetchTimes, PostTimeShiftedByTheOddsMinutesAndSeconds) {
  struct Case {
    const char* post;
    int minutes, seconds, interval;
    const char* odds;
    const char* vote;
  } cases[] = {
      {"1525", 10, 0, 5, "151500", "151505"},
      {"1005", 10, 30, 5, "095430", "095435"},
      {"0003", 5, 0, 5, "000000", "000000"},  // never before midnight
      {"    ", 10, 0, 5, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.post);
    EXPECT_EQ(OddsFetchTime(c.post, c.minutes, c.seconds), c.odds);
    EXPECT_EQ(VoteFetchTime(c.post, c.minutes, c.seconds, c.interval), c.vote);
  }
}

TEST_F(Loader, SetsFetchTimesStakesAndShowsProgress) {
  f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 1, "1005")});
  f.WriteEntries(dayName, kNiigata, {test::Se(kDate, kNiigata, 1, 1)});
  opt.oddsFetchSeconds = 30;
  opt.defaultStake = 2500;
  ASSERT_TRUE(Load().loaded);
  EXPECT_EQ(Model().OutData(0).OddsGetTime, "095430");
  EXPECT_EQ(Model().OutData(0).VoteTime, "095435");
  EXPECT_EQ(Model().OutData(1).OddsGetTime, "");
  EXPECT_EQ(Model().StakeList[35], "2500");
  EXPECT_EQ(ui.Texts(Kind::ProgressShow), std::vector<std::string>{J("レースデータを読み込んでいます。")});
  const auto details = ui.Texts(Kind::ProgressDetail);
  ASSERT_EQ(details.size(), 2u);
  EXPECT_EQ(details[0], dayName);
  EXPECT_EQ(details[1], J("新潟 1R/①") + "HORSE1            ");
  EXPECT_EQ(ui.Count(Kind::ProgressHide), 1);
}

TEST(DayNameInput, TakesADateOrADayName) {
  EXPECT_EQ(DayNameFromInput("20110430"), J("2011年04月30日"));
  EXPECT_EQ(DayNameFromInput(J("2011年04月30日")), J("2011年04月30日"));
  EXPECT_EQ(DayNameFromInput("2011043"), "");
  EXPECT_EQ(DayNameFromInput("../../etc"), "");
  EXPECT_EQ(DayNameFromInput(J("2024年02月29日")), J("2024年02月29日"));
  // Only real calendar dates: a name with path characters or an impossible date never reaches a path.
  for (const std::string bad : {std::string("20251332"), std::string("20230229"), std::string("2011043x"),
                                J("../x年..月..日"), J("2011年13月01日"), J("2011年04月3/日")})
    EXPECT_EQ(DayNameFromInput(bad), "") << ToUtf8(bad);
}

// A real race (2011-04-30 Niigata R1: race, 11 runners, payouts, odds) stored through the
// day-file store and loaded.
TEST(RealDay, LoadsAStoredRaceWithItsRunnersPayoutsAndOdds) {
  const fs::path rec = fs::path(KORVANE_REFDATA) / "records";
  if (!fs::exists(rec / "RA_2.txt")) GTEST_SKIP() << "reference records not present";
  auto read = [&](const std::string& name) {
    std::ifstream in(rec / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  test::DayFolder f;
  {
    DayFileStore store(f.prog());
    std::vector<std::string> names = {"RA_2.txt", "HR_2.txt", "O1_2.txt", "O2_2.txt", "O3_2.txt", "O4_2.txt", "O5_2.txt"};
    for (int i = 2; i <= 12; ++i) names.push_back("SE_" + std::to_string(i) + ".txt");
    for (const auto& n : names) ASSERT_TRUE(store.Store(StoreWriter::Import, read(n)).stored()) << n;
    ASSERT_TRUE(store.Flush().ok());
  }
  test::RecordingUi ui;
  const DayLoadResult res = LoadRaceDay(Model(), f.prog(), DayNameFromDate("20110430"), DayLoadOptions{}, ui);
  ASSERT_TRUE(res.loaded) << ToUtf8(ui.Messages().empty() ? "" : ui.Messages()[0]);
  EXPECT_EQ(res.raceList, std::vector<std::string>{J("新潟 1R")});
  EXPECT_EQ(Model().RunnerCount(0), 11);
  EXPECT_EQ(Model().Entry(0, 10).substr(0, 553), read("SE_12.txt").substr(0, 553));
  TRaceAnalysis expected;
  ReadPayoutFields(expected, read("HR_2.txt"));
  EXPECT_EQ(Model().RaceAnalysis(0).WinHorse[0], expected.WinHorse[0]);
  EXPECT_EQ(Model().RaceAnalysis(0).WinPay[0], expected.WinPay[0]);
  EXPECT_GT(Model().RaceAnalysis(0).WinPay[0], 0);
  EXPECT_EQ(Model().RaceAnalysis(0).FinishText[0], Fld(read("SE_2.txt"), kSE_Finish));
  EXPECT_GT(Model().OutData(0).WinOdds[0], 0.0);
  EXPECT_TRUE(res.problems.empty());
}

}  // namespace
