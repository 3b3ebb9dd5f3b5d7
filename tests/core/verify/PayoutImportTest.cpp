// Payout import: races and runners re-read from the day files, payout records placed by race key,
// payout fields and result texts derived, the selected race's refresh flag, and files that are
// missing or damaged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "TempDir.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "odds/OddsLoader.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "verify/PayoutImport.h"
#include "vocab/Combination.h"

namespace kv {
namespace {

using test::MakeRecord;

constexpr int kGridLines = 12 * kMaxRunners;  // an entry file: 12 races x 18 horse numbers

std::string LoadRef(const std::string& name) {
  std::string bytes;
  if (!ReadFile(fs::path(KORVANE_REFDATA) / "records" / name, bytes)) return {};
  return bytes;
}

std::string Join(const std::vector<std::string>& recs) {
  std::string s;
  for (const std::string& r : recs) s += r;
  return s;
}

std::string BlankLine(int recLen) { return std::string(static_cast<size_t>(recLen - 2), ' ') + "\r\n"; }

// Key of race `race` at venue `venue` on 2011-04-30 (meeting 1, day 3).
std::string Key(const char* venue, int race) { return Fmt("20110430%s0103%02d", venue, race); }

std::string Ra(const std::string& key, int runners) {
  return MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, Fmt("%02d", runners)}});
}

std::string Se(const std::string& key, int horse) {
  return MakeRecord("SE", {{kHdr_RaceKey, key},
                           {kSE_Frame, "1"},
                           {kSE_HorseNum, Fmt("%02d", horse)},
                           {kSE_Finish, Fmt("%02d", horse)},
                           {kSE_Time, Fmt("15%02d", horse)},
                           {kSE_WinOdds, Fmt("%04d", horse * 10)},
                           {kSE_Popularity, Fmt("%02d", 19 - horse)}});
}

// A payout record whose winner is `winner`, paying 100 * winner yen.
std::string Hr(const std::string& key, int winner) {
  return MakeRecord("HR", {{kHdr_RaceKey, key},
                           {kHR_Win.combo.At(0), Fmt("%02d", winner)},
                           {kHR_Win.pay.At(0), Fmt("%09d", 100 * winner)},
                           {kHR_Win.pop.At(0), "01"},
                           {kHR_Quinella.combo.At(0), Fmt("%02d%02d", 1, winner)}});
}

class PayoutImportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { day_ = new RaceDayModel(); }
  static void TearDownTestSuite() {
    delete day_;
    day_ = nullptr;
  }
  void SetUp() override {
    day().ClearRecords();
    day().Reset();
    day().RaceCount = 0;
    dayName = DayNameFromDate("20110430");
    fs::create_directories(DataFilePath(dir.path(), dayName).parent_path());
  }

  static RaceDayModel& day() { return *day_; }
  fs::path DataPath(const std::string& cp932Name) const { return DataFilePath(dir.path(), cp932Name); }
  void Write(const std::string& cp932Name, const std::string& bytes) const {
    ASSERT_TRUE(WriteFileAtomic(DataPath(cp932Name), bytes));
  }
  std::string RaceFile() const { return dayName + ".jvRA"; }
  std::string PayoutFile() const { return dayName + ".jvHR"; }
  std::string EntryFile(const char* venue) const { return EntryFileName(RaceFile(), venue); }

  // Race and entry files of `races` races at each venue, `runners` runners each.
  void WriteDay(const std::vector<const char*>& venues, int races, int runners) {
    std::vector<std::string> ra;
    for (const char* v : venues) {
      std::vector<std::string> grid(kGridLines, BlankLine(kRecLenSE));
      for (int race = 1; race <= races; ++race) {
        ra.push_back(Ra(Key(v, race), runners));
        for (int h = 1; h <= runners; ++h) grid[static_cast<size_t>((race - 1) * kMaxRunners + h - 1)] = Se(Key(v, race), h);
      }
      Write(EntryFile(v), Join(grid));
    }
    Write(RaceFile(), Join(ra));
  }

  PayoutImportResult Import(int selected) { return ImportPayouts(day(), dir.path(), dayName, selected); }

  test::TempDir dir;
  std::string dayName;
  static RaceDayModel* day_;
};
RaceDayModel* PayoutImportTest::day_ = nullptr;

TEST_F(PayoutImportTest, PayoutsOfHalfTheDayArePlacedByRaceKey) {
  // 24 races at two venues; payouts have arrived for the 12 races of venue 05 only, in reverse
  // order, plus one of another day that matches no race.
  WriteDay({"04", "05"}, 12, 3);
  std::vector<std::string> hr;
  for (int race = 12; race >= 1; --race) hr.push_back(Hr(Key("05", race), 1 + race % 3));
  hr.push_back(Hr("2011050104010301", 2));
  Write(PayoutFile(), Join(hr));
  // A payout the slot held before: the import starts from spaces.
  day().PayoutRecords.Set(0, Hr(Key("04", 1), 3));

  PayoutImportResult res = Import(-1);
  ASSERT_TRUE(res.ok()) << ToUtf8(res.error);
  EXPECT_FALSE(res.selectedRaceArrived);
  EXPECT_EQ(day().RaceCount, 24);

  for (int r = 0; r < 24; ++r) {
    SCOPED_TRACE(r);
    const TRaceAnalysis& a = day().RaceAnalysis(r);
    if (r < 12) {
      EXPECT_EQ(RaceKey(day().Race(r)), Key("04", r + 1));
      EXPECT_TRUE(IsBlank(day().Payout(r)));
      EXPECT_EQ(a.WinHorse[0], 0);
      EXPECT_TRUE(a.QuinellaCombo[0].Empty());
    } else {
      const int race = r - 11, winner = 1 + race % 3;
      EXPECT_EQ(day().Payout(r), Hr(Key("05", race), winner));
      EXPECT_EQ(a.WinHorse[0], winner);
      EXPECT_EQ(a.WinPay[0], 100 * winner);
      EXPECT_EQ(a.WinPop[0], 1);
      EXPECT_EQ(a.QuinellaCombo[0], Fmt(" 1-%2d", winner));
    }
    // Runner texts of every race, taken from its own entry records.
    EXPECT_EQ(day().Entry(r, 2), Se(std::string(RaceKey(day().Race(r))), 3));
    EXPECT_EQ(a.FinishText[2], "03");
    EXPECT_EQ(a.RaceTimeText[2], "1503");
    EXPECT_EQ(a.WinOddsText[2], "0030");
    EXPECT_EQ(a.PopularityText[2], "16");
    EXPECT_TRUE(a.FinishText[3].Empty());  // beyond the three runners
  }

  // The selected race's payout arrived (venue 05 race 4 is slot 15); venue 04's did not.
  EXPECT_TRUE(Import(15).selectedRaceArrived);
  EXPECT_FALSE(Import(3).selectedRaceArrived);
}

TEST_F(PayoutImportTest, BlankRaceLineTakesNoSlotAndOnlyTheFirst36PayoutsArePlaced) {
  WriteDay({"04"}, 2, 1);
  std::string ra;
  ReadFile(DataPath(RaceFile()), ra);
  Write(RaceFile(), BlankLine(kRecLenRA) + ra);
  std::vector<std::string> hr;
  for (int i = 0; i < 36; ++i) hr.push_back(Hr(Fmt("201105%02d04010301", i % 28 + 1), 1));  // other days
  hr.push_back(Hr(Key("04", 1), 1));  // the 37th
  Write(PayoutFile(), Join(hr));

  ASSERT_TRUE(Import(0).ok());
  EXPECT_EQ(RaceKey(day().Race(0)), Key("04", 1));
  EXPECT_EQ(RaceKey(day().Race(1)), Key("04", 2));
  EXPECT_TRUE(IsBlank(day().Payout(0)));
  EXPECT_EQ(day().RaceAnalysis(0).WinHorse[0], 0);
}

TEST_F(PayoutImportTest, MissingFilesKeepWhatTheModelHeld) {
  // Loaded earlier: race 1 of venue 04 with its payout. Now the payout file is gone.
  WriteDay({"04"}, 1, 2);
  Write(PayoutFile(), Hr(Key("04", 1), 2));
  ASSERT_TRUE(Import(0).ok());
  fs::remove(DataPath(PayoutFile()));
  ASSERT_TRUE(Import(0).ok());
  EXPECT_EQ(day().Payout(0), Hr(Key("04", 1), 2));
  EXPECT_EQ(day().RaceAnalysis(0).WinHorse[0], 2);

  // Race and entry files gone, the payout back: races and runners stay, the payout is placed.
  fs::remove(DataPath(RaceFile()));
  fs::remove(DataPath(EntryFile("04")));
  Write(PayoutFile(), Hr(Key("04", 1), 1));
  PayoutImportResult res = Import(0);
  ASSERT_TRUE(res.ok());
  EXPECT_TRUE(res.selectedRaceArrived);
  EXPECT_EQ(RaceKey(day().Race(0)), Key("04", 1));
  EXPECT_EQ(day().Entry(0, 1), Se(Key("04", 1), 2));
  EXPECT_EQ(day().RaceAnalysis(0).WinHorse[0], 1);
  EXPECT_EQ(day().RaceAnalysis(0).FinishText[1], "02");
}

TEST_F(PayoutImportTest, DamagedFileIsNamedAndChangesNothing) {
  struct Case {
    const char* what;
    bool entry;  // damage the entry file, else the payout file
    bool cutByte;  // one byte lost, else a record not ending in CR LF
  } cases[] = {{"payout file short by a byte", false, true},
               {"payout record without CR LF", false, false},
               {"entry file short by a byte", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    day().ClearRecords();
    day().Reset();
    WriteDay({"04"}, 1, 2);
    std::string hr = Hr(Key("04", 1), 2);
    Write(PayoutFile(), hr);
    ASSERT_TRUE(Import(0).ok());

    // New results arrive, but one file is damaged.
    WriteDay({"04"}, 2, 2);
    const std::string name = c.entry ? EntryFile("04") : PayoutFile();
    std::string bytes;
    if (c.entry) {
      ReadFile(DataPath(name), bytes);
    } else {
      bytes = hr + Hr(Key("04", 2), 1);
    }
    if (c.cutByte)
      bytes.pop_back();
    else
      bytes[bytes.size() - 1] = ' ';
    Write(name, bytes);

    PayoutImportResult res = Import(0);
    EXPECT_FALSE(res.ok());
    EXPECT_NE(res.error.find(J("ファイルが壊れています")), std::string::npos);
    EXPECT_NE(res.error.find(name), std::string::npos);
    EXPECT_FALSE(res.selectedRaceArrived);
    EXPECT_TRUE(day().IsRaceSlotEmpty(1));  // the second race was not taken over
    EXPECT_EQ(day().Payout(0), hr);
    EXPECT_EQ(day().RaceAnalysis(0).WinHorse[0], 2);
  }
}

TEST_F(PayoutImportTest, RealRaceResultsAgreeWithItsFinalOdds) {
  const std::string ra = LoadRef("RA_2.txt"), hr = LoadRef("HR_2.txt"), o1 = LoadRef("O1_2.txt");
  std::vector<std::string> se;
  for (int i = 2; i <= 12; ++i) se.push_back(LoadRef(Fmt("SE_%d.txt", i)));
  if (ra.empty() || hr.empty() || o1.empty() || se.back().empty()) GTEST_SKIP() << "reference records absent";

  const std::string venue(Fld(ra, kHdr_Venue));
  std::vector<std::string> grid(kGridLines, BlankLine(kRecLenSE));
  for (size_t k = 0; k < se.size(); ++k) grid[k] = se[k];  // race 1, horses 1..11
  Write(RaceFile(), ra);
  Write(EntryFile(venue.c_str()), Join(grid));
  Write(PayoutFile(), hr);
  Write(dayName + ".jvO1", o1);

  ASSERT_TRUE(Import(0).ok());
  day().DayFilePath = DataPath(RaceFile());
  day().OddsRace = 0;
  ASSERT_TRUE(LoadOdds(day()).ok());

  const TRaceAnalysis& a = day().RaceAnalysis(0);
  const TOutData& out = day().OutData(0);
  // Horse 6 won at 10.4: 1,040 yen, fifth favourite, in the payout, the runner and the odds.
  EXPECT_EQ(a.WinHorse[0], 6);
  EXPECT_EQ(a.WinHorse[1], 0);
  EXPECT_EQ(a.WinPay[0], 1040);
  EXPECT_EQ(a.WinPop[0], 5);
  EXPECT_DOUBLE_EQ(out.WinOdds[5], 10.4);
  EXPECT_EQ(out.WinPopularity[5], 5);
  EXPECT_EQ(a.WinOddsText[5], "0104");
  EXPECT_EQ(a.PopularityText[5], "05");
  EXPECT_EQ(a.FinishText[5], "01");
  EXPECT_EQ(a.RaceTimeText[5], "1566");
  EXPECT_EQ(a.FinishText[10], "03");

  EXPECT_EQ(a.PlaceHorse[0], 6);
  EXPECT_EQ(a.PlaceHorse[1], 7);
  EXPECT_EQ(a.PlaceHorse[2], 11);
  EXPECT_EQ(a.PlaceHorse[3], 0);
  EXPECT_EQ(a.PlacePay[2], 400);
  EXPECT_EQ(a.BracketQuinellaCombo[0], " 6- 6");
  EXPECT_EQ(a.BracketQuinellaPay[0], 2470);
  EXPECT_EQ(a.QuinellaCombo[0], " 6- 7");
  EXPECT_EQ(a.WideCombo[1], " 6-11");
  EXPECT_EQ(a.WidePop[1], 19);
  EXPECT_TRUE(a.WideCombo[3].Empty());
  EXPECT_EQ(a.ExactaCombo[0], " 6- 7");
  EXPECT_EQ(a.TrioCombo[0], " 6- 7-11");
  EXPECT_EQ(a.TrifectaCombo[0], " 6- 7-11");
  EXPECT_EQ(a.TrifectaPay[0], 46630);
  EXPECT_EQ(a.TrifectaPop[0], 157);
  EXPECT_TRUE(a.TrifectaCombo[1].Empty());
  // The bracket quinella odds of 6-6 match its payout.
  EXPECT_EQ(static_cast<int>(out.BracketOdds[ComboNo(ComboKind::Bracket, 6, 6) - 1] * 100 + 0.5), a.BracketQuinellaPay[0]);
}

}  // namespace
}  // namespace kv
