// Record lengths and field positions, checked against real JV-Data records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/Files.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

fs::path RecordsDir() { return fs::path(KORVANE_REFDATA) / "records"; }

// The bytes of records/<name>, or empty when the reference data is absent.
std::string LoadRecord(const std::string& name) {
  std::string bytes;
  if (!ReadFile(RecordsDir() / name, bytes)) return {};
  return bytes;
}

#define REQUIRE_RECORD(var, name)                                        \
  std::string var = LoadRecord(name);                                    \
  if (var.empty()) GTEST_SKIP() << "reference record " << name << " absent"

TEST(RecordLength, KnownTypesIncludeCrLfAndUnknownGiveZero) {
  struct Case {
    const char* type;
    int withCrLf;
  } cases[] = {{"RA", 1272}, {"SE", 555},  {"HR", 719},    {"O1", 962},   {"O2", 2042}, {"O3", 2654},
               {"O4", 4031}, {"O5", 12293}, {"O6", 83285}, {"TC", 45},    {"O7", 0},    {"O0", 0},
               {"ra", 0},    {"R", 0},     {"", 0},        {"UM", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(RecordLength(c.type), c.withCrLf);
    EXPECT_EQ(StoredLineLength(c.type), c.withCrLf ? c.withCrLf - 2 : 0);
  }
  // A whole record works as well: only its first two bytes are looked at.
  EXPECT_EQ(RecordLength("SE72011050220110430"), kRecLenSE);
}

TEST(RecordLength, MatchesEveryRealRecordAndItsCrLf) {
  if (!fs::exists(RecordsDir())) GTEST_SKIP() << "reference data absent";
  int seen = 0;
  for (const auto& e : fs::directory_iterator(RecordsDir())) {
    std::string bytes;
    ASSERT_TRUE(ReadFile(e.path(), bytes));
    SCOPED_TRACE(e.path().filename().string());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<int>(bytes.size()), RecordLength(bytes));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    ++seen;
  }
  EXPECT_GT(seen, 0);
}

TEST(EmptyRaceRecord, YearBlankOrZerosMarksAnEmptySlot) {
  std::string rec(kLineLenRA, ' ');
  EXPECT_TRUE(IsEmptyRaceRecord(rec));
  PutFld(rec, kHdr_Year, "0000");
  EXPECT_TRUE(IsEmptyRaceRecord(rec));
  PutFld(rec, kHdr_Year, "2011");
  EXPECT_FALSE(IsEmptyRaceRecord(rec));
  EXPECT_TRUE(IsEmptyRaceRecord("RA7"));  // cut short before the year
}

TEST(RaceFields, ReadKnownValuesFromRealRaceRecords) {
  REQUIRE_RECORD(ra, "RA_2.txt");  // 2011-04-30 Niigata 1-3 R1, 3yo maiden, dirt 1800, 11 runners
  EXPECT_EQ(Fld(ra, kHdr_RecordType), "RA");
  EXPECT_EQ(Fld(ra, kHdr_DataKind), "7");
  EXPECT_EQ(RaceKey(ra), "2011043004010301");
  EXPECT_EQ(RaceDate(ra), 20110430);
  EXPECT_EQ(Fld(ra, kHdr_Venue), "04");
  EXPECT_EQ(FldInt(ra, kHdr_Meeting), 1);
  EXPECT_EQ(FldInt(ra, kHdr_MeetingDay), 3);
  EXPECT_EQ(FldInt(ra, kHdr_RaceNum), 1);
  EXPECT_EQ(Fld(ra, kHdr_YearShort), "11");
  EXPECT_EQ(Fld(ra, kRA_Weekday), "1");
  EXPECT_EQ(FldInt(ra, kRA_Distance), 1800);
  EXPECT_EQ(FldInt(ra, kRA_Track), 23);
  EXPECT_EQ(FldInt(ra, kRA_Entered), 11);
  EXPECT_EQ(FldInt(ra, kRA_Starters), 11);
  EXPECT_EQ(FldInt(ra, kRA_Finishers), 11);
  EXPECT_EQ(Fld(ra, kRA_PostTime), "0950");
  EXPECT_EQ(Fld(ra, kRA_RaceKind), "12");
  EXPECT_EQ(Fld(ra, kRA_CondYoungest), "703");
  EXPECT_EQ(Fld(ra, kRA_Cond3yo), "703");
  EXPECT_EQ(Fld(ra, kRA_WeightRule), "3");
  EXPECT_EQ(FldInt(ra, kRA_FirstPrize), 50000);
  EXPECT_EQ(Fld(ra, kRA_DirtGoing), "3");
  EXPECT_EQ(Fld(ra, kRA_TurfGoing), "0");
  EXPECT_EQ(Fld(ra, kRA_Weather), "1");

  REQUIRE_RECORD(g1, "RA_3.txt");  // 2011-05-01 Kyoto R11, the spring G1 with named fields
  EXPECT_EQ(Trim(Fld(g1, kRA_RaceNameShort3)), J("天皇賞"));
  EXPECT_EQ(Fld(g1, kRA_RaceNameShort6), J("天皇賞（春）"));
  EXPECT_EQ(Fld(g1, kRA_RaceName).substr(0, 12), J("天皇賞（春）"));
  EXPECT_EQ(FldInt(g1, kRA_RunningNum), 143);
  EXPECT_EQ(Fld(g1, kRA_Grade), "A");
  EXPECT_EQ(FldInt(g1, kRA_Prize.At(0)), 1320000);
  EXPECT_EQ(FldInt(g1, kRA_Prize.At(4)), 132000);
  EXPECT_EQ(FldInt(g1, kRA_AddedPrize.At(0)), 38640);
  EXPECT_EQ(FldInt(g1, kRA_AddedPrize.At(2)), 5520);
  EXPECT_EQ(Fld(g1, kRA_PostTime), "1540");
  EXPECT_EQ(FldInt(g1, kRA_Entered), 18);
}

TEST(EntryFields, EveryRunnerOfARealRaceReadsItsOwnSlot) {
  REQUIRE_RECORD(ra, "RA_2.txt");
  REQUIRE_RECORD(first, "SE_2.txt");
  // The first runner in detail.
  EXPECT_EQ(Fld(first, kSE_HorseId), "2008106407");
  EXPECT_EQ(Fld(first, kSE_HorseIdYear), "2008");
  EXPECT_EQ(Fld(first, kSE_HorseName).substr(0, 16), J("エースチョウサン"));
  EXPECT_EQ(Fld(first, kSE_HorseName18), J("エースチョウサン　"));
  EXPECT_EQ(Fld(first, kSE_Trainer), J("奥平雅士"));
  EXPECT_EQ(Fld(first, kSE_Jockey), J("吉田隼人"));
  EXPECT_EQ(FldInt(first, kSE_Weight), 560);
  EXPECT_EQ(Fld(first, kSE_Sex), "1");
  EXPECT_EQ(FldInt(first, kSE_Age), 3);
  EXPECT_EQ(FldInt(first, kSE_BodyWeight), 426);
  EXPECT_EQ(Fld(first, kSE_BodyWeightSign), "-");
  EXPECT_EQ(FldInt(first, kSE_BodyWeightDiff), 2);
  EXPECT_EQ(FldInt(first, kSE_Finish), 5);
  EXPECT_EQ(FldInt(first, kSE_Arrival), 5);
  EXPECT_EQ(Fld(first, kSE_Time), "1577");
  EXPECT_EQ(FldInt(first, kSE_Corner.At(0)), 6);
  EXPECT_EQ(FldInt(first, kSE_Corner.At(3)), 5);
  EXPECT_EQ(Fld(first, kSE_WinOdds), "0047");
  EXPECT_EQ(FldInt(first, kSE_Popularity), 2);
  EXPECT_EQ(FldInt(first, kSE_Prize), 5000);
  EXPECT_EQ(FldInt(first, kSE_Last3F), 402);

  // All eleven runners: same race key as the race, horse numbers 1..11 in order, a frame.
  const int n = FldInt(ra, kRA_Entered);
  for (int k = 0; k < n; ++k) {
    std::string se = LoadRecord("SE_" + std::to_string(k + 2) + ".txt");
    ASSERT_FALSE(se.empty());
    SCOPED_TRACE(k);
    EXPECT_EQ(RaceKey(se), RaceKey(ra));
    EXPECT_EQ(FldInt(se, kSE_HorseNum), k + 1);
    EXPECT_GE(FldInt(se, kSE_Frame), 1);
    EXPECT_EQ(Fld(se, kSE_HorseId).substr(0, 4), "2008");
  }
}

TEST(OddsFields, FinalWinOddsAgreeWithTheRunnersAndThePayout) {
  REQUIRE_RECORD(o1, "O1_2.txt");
  REQUIRE_RECORD(hr, "HR_2.txt");
  EXPECT_EQ(RaceKey(o1), RaceKey(hr));
  EXPECT_EQ(FldInt(o1, kO_Entered), 11);
  for (int k = 0; k < 11; ++k) {
    std::string se = LoadRecord("SE_" + std::to_string(k + 2) + ".txt");
    ASSERT_FALSE(se.empty());
    SCOPED_TRACE(k);
    EXPECT_EQ(FldInt(o1, kO1_WinHorse.At(k)), k + 1);
    EXPECT_EQ(FldInt(o1, kO1_PlaceHorse.At(k)), k + 1);
    EXPECT_EQ(Fld(o1, kO1_WinOdds.At(k)), Fld(se, kSE_WinOdds));
    EXPECT_EQ(FldInt(o1, kO1_WinPop.At(k)), FldInt(se, kSE_Popularity));
    EXPECT_LE(FldInt(o1, kO1_PlaceOddsMin.At(k)), FldInt(o1, kO1_PlaceOddsMax.At(k)));
  }
  // The winner's payout per 100 yen is ten times its final odds.
  int winner = FldInt(hr, kHR_Win.combo.At(0));
  ASSERT_GE(winner, 1);
  EXPECT_EQ(FldInt(hr, kHR_Win.pay.At(0)), FldInt(o1, kO1_WinOdds.At(winner - 1)) * 10);
}

TEST(OddsFields, CombinationEntriesStepThroughTheWholeRecord) {
  // First and last combination of every odds table (an 18-runner race, so every entry is
  // there): a wrong start or step shows here.
  struct Case {
    const char* file;
    RepeatPos combo;
    RepeatPos odds;
    int count;
    const char* first;
    const char* last;
  } cases[] = {
      {"O1_3.txt", kO1_BracketCombo, kO1_BracketOdds, 36, "11", "88"},
      {"O2_3.txt", kO2_QuinellaCombo, kO2_QuinellaOdds, 153, "0102", "1718"},
      {"O3_3.txt", kO3_WideCombo, kO3_WideOddsMin, 153, "0102", "1718"},
      {"O4_3.txt", kO4_ExactaCombo, kO4_ExactaOdds, 306, "0102", "1817"},
      {"O5_3.txt", kO5_TrioCombo, kO5_TrioOdds, 816, "010203", "161718"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    REQUIRE_RECORD(rec, c.file);
    EXPECT_EQ(Fld(rec, c.combo.At(0)), c.first);
    EXPECT_EQ(Fld(rec, c.combo.At(c.count - 1)), c.last);
    EXPECT_FALSE(IsBlank(Fld(rec, c.odds.At(c.count - 1))));
    // The odds field directly follows the combination field.
    EXPECT_EQ(c.odds.pos, c.combo.pos + c.combo.len);
    EXPECT_EQ(c.odds.step, c.combo.step);
  }
  // The only trifecta record is of an 11-runner race: 11-10-9 is combination 2873 of 4896, and
  // the last entry still lies inside the record, before its CR LF.
  REQUIRE_RECORD(o6, "O6_1.txt");
  EXPECT_EQ(Fld(o6, kO6_TrifectaOdds.At(0)), "0103872");
  EXPECT_EQ(Fld(o6, kO6_TrifectaPop.At(0)), "0448");
  EXPECT_EQ(Fld(o6, kO6_TrifectaCombo.At(2872)), "111009");
  FieldPos lastPop = kO6_TrifectaPop.At(4895);
  EXPECT_LE(lastPop.pos + lastPop.len - 1, kLineLenO6);
}

TEST(StartTimeChange, ReadsVenueRaceAnnouncementAndPostTimes) {
  REQUIRE_RECORD(tc, "TC_1.txt");  // 2023-09-02 Niigata R9, 14:35 -> 14:36 announced 09-02 08:20
  EXPECT_EQ(Fld(tc, kHdr_Venue), "04");
  EXPECT_EQ(FldInt(tc, kHdr_RaceNum), 9);
  EXPECT_EQ(Fld(tc, kTC_AnnounceTime), "09020820");
  EXPECT_EQ(Fld(tc, kTC_NewPostTime), "1436");
  EXPECT_EQ(Fld(tc, kTC_OldPostTime), "1435");
}

}  // namespace
}  // namespace kv
