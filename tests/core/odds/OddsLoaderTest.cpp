// Odds loading: field values and markers, win/place popularity, fixed combination slots checked
// against real records and their payouts, and the day-file paths (lookup by race, missing and
// damaged files, one read per file, the win ranking hook).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
#include "vocab/Combination.h"

namespace kv {
namespace {

using test::BlankRecord;
using test::MakeRecord;

std::string LoadRef(const std::string& name) {
  std::string bytes;
  if (!ReadFile(fs::path(KORVANE_REFDATA) / "records" / name, bytes)) return {};
  return bytes;
}

#define REQUIRE_REF(var, name)        \
  const std::string var = LoadRef(name); \
  if (var.empty()) GTEST_SKIP() << "reference record " << name << " absent"

std::array<std::string_view, 6> Views(const std::vector<std::string>& recs) {
  std::array<std::string_view, 6> v;
  for (size_t i = 0; i < 6; ++i) v[i] = recs[i];
  return v;
}

// ---- field values ----------------------------------------------------------------------------

TEST(OddsFieldValue, DigitsMarkersAndBlanks) {
  struct Case {
    const char* field;
    double value;
  } cases[] = {
      {"0012", 1.2},       {"0056", 5.6},     {"1234567", 123456.7}, {"00000", 0.0},
      {"----", -1.0},      {"****", -1.0},    {"*******", -1.0},     {"-----", -1.0},
      {"    ", -2.0},      {"", -2.0},        {"**  ", 0.0},  // not the full-width marker: reads 0
      {"0-12", 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_DOUBLE_EQ(OddsFieldValue(c.field), c.value);
  }
}

// ---- win and place -----------------------------------------------------------------------------

TEST(OddsTables, WinAndPlaceOddsMarkersAndPopularity) {
  // Five registered runners; horse 6 lies beyond them and must not be read.
  std::string o1 = MakeRecord(
      "O1", {{kO1_WinOdds.At(0), "0035"},      {kO1_PlaceOddsMin.At(0), "0014"}, {kO1_PlaceOddsMax.At(0), "0030"},
             {kO1_WinOdds.At(1), "0035"},      {kO1_PlaceOddsMin.At(1), "0012"}, {kO1_PlaceOddsMax.At(1), "0025"},
             {kO1_WinOdds.At(2), "----"},      {kO1_PlaceOddsMin.At(2), "****"}, {kO1_PlaceOddsMax.At(2), "0040"},
             {kO1_WinOdds.At(4), "0035"},      {kO1_PlaceOddsMin.At(4), "0012"}, {kO1_PlaceOddsMax.At(4), "0025"},
             {kO1_WinOdds.At(5), "0011"},      {kO1_PlaceOddsMin.At(5), "0010"}, {kO1_PlaceOddsMax.At(5), "0011"},
             {kO_AnnounceTime, "08261432"}});
  std::vector<std::string> recs = {o1, BlankRecord("O2"), BlankRecord("O3"), BlankRecord("O4"), BlankRecord("O5"),
                                   BlankRecord("O6")};
  auto out = std::make_unique<TOutData>();
  BuildOddsTables(*out, 5, Views(recs));

  const double win[] = {3.5, 3.5, -1.0, -2.0, 3.5, 0.0};
  const double low[] = {1.4, 1.2, -1.0, -2.0, 1.2, 0.0};
  const double high[] = {3.0, 2.5, -1.0, -2.0, 2.5, 0.0};
  // Equal win odds are ordered by the lower place odds, then by horse number; markers rank 0.
  const int winPop[] = {3, 1, 0, 0, 2, 0};
  const int lowPop[] = {3, 1, 0, 0, 2, 0};
  const int highPop[] = {3, 1, 0, 0, 2, 0};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k + 1);
    EXPECT_DOUBLE_EQ(out->WinOdds[k], win[k]);
    EXPECT_DOUBLE_EQ(out->PlaceOddsMin[k], low[k]);
    EXPECT_DOUBLE_EQ(out->PlaceOddsMax[k], high[k]);
    EXPECT_EQ(out->WinPopularity[k], winPop[k]);
    EXPECT_EQ(out->PlacePopularityMin[k], lowPop[k]);
    EXPECT_EQ(out->PlacePopularityMax[k], highPop[k]);
  }
  EXPECT_EQ(out->OddsTime, "1432");
  // Blank combination records: every entry is "no such combination", popularity none.
  EXPECT_DOUBLE_EQ(out->BracketOdds[0], -2.0);
  EXPECT_DOUBLE_EQ(out->TrifectaOdds[kTrifectaCombos - 1], -2.0);
  EXPECT_EQ(out->QuinellaPopularity[0], 0);
}

TEST(OddsTables, PlaceListsRankByTheirOwnBound) {
  // Horse 1 has the lower minimum, horse 2 the lower maximum.
  std::string o1 = MakeRecord("O1", {{kO1_WinOdds.At(0), "0050"}, {kO1_PlaceOddsMin.At(0), "0011"},
                                     {kO1_PlaceOddsMax.At(0), "0040"}, {kO1_WinOdds.At(1), "0040"},
                                     {kO1_PlaceOddsMin.At(1), "0013"}, {kO1_PlaceOddsMax.At(1), "0020"}});
  std::vector<std::string> recs = {o1, BlankRecord("O2"), BlankRecord("O3"), BlankRecord("O4"), BlankRecord("O5"),
                                   BlankRecord("O6")};
  auto out = std::make_unique<TOutData>();
  BuildOddsTables(*out, 2, Views(recs));
  EXPECT_EQ(out->WinPopularity[0], 2);
  EXPECT_EQ(out->WinPopularity[1], 1);
  EXPECT_EQ(out->PlacePopularityMin[0], 1);
  EXPECT_EQ(out->PlacePopularityMin[1], 2);
  EXPECT_EQ(out->PlacePopularityMax[0], 2);
  EXPECT_EQ(out->PlacePopularityMax[1], 1);
}

// ---- real records ------------------------------------------------------------------------------

// Brackets that can pair in a race of n runners: two different brackets that hold a horse each,
// or one bracket that holds two.
bool BracketPossible(int n, int a, int b) {
  int horses[9] = {};
  for (int h = 1; h <= n; ++h) ++horses[BracketOfHorse(n, h)];
  return a == b ? horses[a] >= 2 : horses[a] >= 1 && horses[b] >= 1;
}

// Every entry of a table: odds > 0 exactly for the combinations of horses 1..n (the record's
// slots are the combinations of 18 horses in ascending order), -2.0 for the others.
void ExpectSoldExactlyWithin(ComboKind kind, const double* odds, const int* pop, int n) {
  for (int no = 1; no <= ComboCount(kind); ++no) {
    const Combo c = ComboOf(kind, no);
    const bool within = kind == ComboKind::Bracket ? BracketPossible(n, c.first, c.second)
                                                   : c.first <= n && c.second <= n && c.third <= n;
    SCOPED_TRACE(ComboText(kind, no));
    if (within) {
      EXPECT_GT(odds[no - 1], 0.0);
      EXPECT_GT(pop[no - 1], 0);
    } else {
      EXPECT_DOUBLE_EQ(odds[no - 1], -2.0);
      EXPECT_EQ(pop[no - 1], 0);
    }
  }
}

TEST(OddsTables, RealScratchedHorseAndCancelledBracket) {
  REQUIRE_REF(o1, "O1_4.txt");
  REQUIRE_REF(ra, "RA_4.txt");
  REQUIRE_REF(hr, "HR_4.txt");
  const int n = FldInt(ra, kRA_Entered);
  ASSERT_EQ(n, 16);
  std::vector<std::string> recs = {o1, BlankRecord("O2"), BlankRecord("O3"), BlankRecord("O4"), BlankRecord("O5"),
                                   BlankRecord("O6")};
  auto out = std::make_unique<TOutData>();
  BuildOddsTables(*out, n, Views(recs));

  // Horse 13 was scratched after the sale: "****" in win and place.
  EXPECT_DOUBLE_EQ(out->WinOdds[12], -1.0);
  EXPECT_DOUBLE_EQ(out->PlaceOddsMin[12], -1.0);
  EXPECT_DOUBLE_EQ(out->PlaceOddsMax[12], -1.0);
  EXPECT_EQ(out->WinPopularity[12], 0);
  EXPECT_EQ(out->PlacePopularityMin[12], 0);
  // The other runners rank exactly as the record's own popularity says.
  for (int k = 0; k < n; ++k) {
    if (k == 12) continue;
    SCOPED_TRACE(k + 1);
    EXPECT_GT(out->WinOdds[k], 0.0);
    EXPECT_EQ(out->WinPopularity[k], FldInt(o1, kO1_WinPop.At(k)));
  }
  EXPECT_DOUBLE_EQ(out->WinOdds[16], 0.0);  // beyond the runners: not loaded
  // Bracket 7-7 held only horse 13's frame mate: "*****".
  const int b77 = ComboNo(ComboKind::Bracket, 7, 7);
  EXPECT_DOUBLE_EQ(out->BracketOdds[b77 - 1], -1.0);
  EXPECT_EQ(out->BracketPopularity[b77 - 1], 0);
  EXPECT_DOUBLE_EQ(out->BracketOdds[ComboNo(ComboKind::Bracket, 1, 1) - 1], 20.8);
  EXPECT_EQ(out->BracketPopularity[ComboNo(ComboKind::Bracket, 1, 1) - 1], 10);
  // Final win odds and the win payout agree (2.9 -> 290 yen).
  const int winner = FldInt(hr, kHR_Win.combo.At(0));
  EXPECT_EQ(static_cast<int>(out->WinOdds[winner - 1] * 100 + 0.5), FldInt(hr, kHR_Win.pay.At(0)));
}

// A race without odds: missing records, records of spaces and framed blank records all leave
// every combination blank (-2.0) without a popularity, and every table the same.
TEST(OddsTables, RaceWithoutOddsReadsBlankHoweverItsRecordsLook) {
  const char* types[6] = {"O1", "O2", "O3", "O4", "O5", "O6"};
  std::vector<std::string> missing(6), spaces, framed;
  for (const char* t : types) {
    spaces.emplace_back(static_cast<size_t>(RecordLength(t)), ' ');
    framed.push_back(BlankRecord(t));
  }
  std::vector<std::unique_ptr<TOutData>> outs;
  for (const auto* recs : {&missing, &spaces, &framed}) {
    outs.push_back(std::make_unique<TOutData>());
    BuildOddsTables(*outs.back(), 8, Views(*recs));
  }
  auto combos = [](const TOutData& o) {
    return std::vector<std::pair<const double*, const int*>>{
        {o.BracketOdds, o.BracketPopularity}, {o.QuinellaOdds, o.QuinellaPopularity},
        {o.WideOdds, o.WidePopularity},       {o.ExactaOdds, o.ExactaPopularity},
        {o.TrioOdds, o.TrioPopularity},       {o.TrifectaOdds, o.TrifectaPopularity}};
  };
  const int counts[6] = {kBracketCombos, kQuinellaCombos, kWideCombos, kExactaCombos, kTrioCombos, kTrifectaCombos};
  for (const auto& out : outs) {
    const auto tables = combos(*out);
    for (size_t t = 0; t < tables.size(); ++t) {
      SCOPED_TRACE(t);
      EXPECT_TRUE(std::all_of(tables[t].first, tables[t].first + counts[t], [](double v) { return v == kOddsNone; }));
      EXPECT_TRUE(std::all_of(tables[t].second, tables[t].second + counts[t], [](int p) { return p == 0; }));
    }
    for (int k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(out->WinOdds[k], kOddsNone);
  }
}

TEST(OddsTables, RealSmallFieldWithoutBracketQuinella) {
  REQUIRE_REF(o1, "O1_6.txt");
  REQUIRE_REF(hr, "HR_6.txt");
  std::vector<std::string> recs = {o1, BlankRecord("O2"), BlankRecord("O3"), BlankRecord("O4"), BlankRecord("O5"),
                                   BlankRecord("O6")};
  auto out = std::make_unique<TOutData>();
  BuildOddsTables(*out, 6, Views(recs));
  for (int no = 1; no <= kBracketCombos; ++no) {
    EXPECT_DOUBLE_EQ(out->BracketOdds[no - 1], -2.0);
    EXPECT_EQ(out->BracketPopularity[no - 1], 0);
  }
  for (int k = 0; k < kMaxRunners; ++k) {
    SCOPED_TRACE(k + 1);
    if (k < 6) {
      EXPECT_GT(out->WinOdds[k], 0.0);
      EXPECT_EQ(out->WinPopularity[k], FldInt(o1, kO1_WinPop.At(k)));
    } else {
      EXPECT_DOUBLE_EQ(out->WinOdds[k], 0.0);
      EXPECT_EQ(out->WinPopularity[k], 0);
    }
  }
  EXPECT_EQ(static_cast<int>(out->WinOdds[FldInt(hr, kHR_Win.combo.At(0)) - 1] * 100 + 0.5),
            FldInt(hr, kHR_Win.pay.At(0)));
}

// ---- day files ---------------------------------------------------------------------------------

std::string Records(std::initializer_list<std::string_view> recs) {
  std::string s;
  for (std::string_view r : recs) s += r;
  return s;
}

class OddsLoaderFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { day_ = new RaceDayModel(); }
  static void TearDownTestSuite() {
    delete day_;
    day_ = nullptr;
  }
  void SetUp() override {
    day().ClearRecords();
    day().Reset();
    dayName = DayNameFromDate("20230826");
    day().DayFilePath = DataFilePath(dir.path(), dayName + ".jvRA");
    fs::create_directories(day().DayFilePath.parent_path());
  }
  void TearDown() override { SetWinRankingHook({}); }

  static RaceDayModel& day() { return *day_; }
  fs::path OddsPath(int type) const { return DataFilePath(dir.path(), dayName + Fmt(".jvO%d", type)); }
  void WriteOdds(int type, const std::string& bytes) const { ASSERT_TRUE(WriteFileAtomic(OddsPath(type), bytes)); }
  // Race slot r: venue, race number and registered runners.
  void SetRace(int r, const char* key, const char* runners) {
    day().RaceRecords.Set(r, MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, runners}}));
  }

  test::TempDir dir;
  std::string dayName;
  static RaceDayModel* day_;
};
RaceDayModel* OddsLoaderFiles::day_ = nullptr;

TEST_F(OddsLoaderFiles, RealRaceOddsAgreeWithItsPayouts) {
  std::vector<std::string> o;
  for (int t = 1; t <= 6; ++t) {
    o.push_back(LoadRef(Fmt("O%d_1.txt", t)));
    if (o.back().empty()) GTEST_SKIP() << "reference records absent";
  }
  REQUIRE_REF(hr, "HR_1.txt");
  // Another venue's race 1 stands first in every file.
  for (int t = 1; t <= 6; ++t) {
    std::string other = MakeRecord(Fmt("O%d", t), {{kHdr_RaceKey, "2023082604020501"}});
    WriteOdds(t, Records({other, o[static_cast<size_t>(t - 1)]}));
  }
  SetRace(0, "2023082604020501", "10");
  SetRace(1, std::string(RaceKey(hr)).c_str(), "11");
  day().OddsRace = 1;
  ASSERT_TRUE(LoadOdds(day()).ok());

  for (int t = 1; t <= 6; ++t) EXPECT_EQ(day().OddsRecords(t)[1], o[static_cast<size_t>(t - 1)]) << t;
  const TOutData& out = day().OutData(1);
  const int n = 11;
  EXPECT_EQ(out.OddsTime, "0000");  // final odds carry no announcement time

  // Win: horse 6 at 5.6, the 560 yen winner; every runner ranks as the record's own popularity.
  EXPECT_DOUBLE_EQ(out.WinOdds[5], 5.6);
  for (int k = 0; k < n; ++k) {
    EXPECT_EQ(out.WinPopularity[k], FldInt(o[0], kO1_WinPop.At(k))) << k + 1;
    EXPECT_EQ(out.PlacePopularityMin[k], FldInt(o[0], kO1_PlacePop.At(k))) << k + 1;
  }
  for (int k = n; k < kMaxRunners; ++k) EXPECT_DOUBLE_EQ(out.WinOdds[k], 0.0) << k + 1;

  // Every paid combination: final odds x 100 is the payout, and the popularity agrees.
  struct Paid {
    const char* what;
    const PayoutGroup& g;
    ComboKind kind;
    int width;  // digits per number in the payout record
    const double* odds;
    const int* pop;
  } paid[] = {
      {"bracket", kHR_BracketQuinella, ComboKind::Bracket, 1, out.BracketOdds, out.BracketPopularity},
      {"quinella", kHR_Quinella, ComboKind::Quinella, 2, out.QuinellaOdds, out.QuinellaPopularity},
      {"exacta", kHR_Exacta, ComboKind::Exacta, 2, out.ExactaOdds, out.ExactaPopularity},
      {"trio", kHR_Trio, ComboKind::Trio, 2, out.TrioOdds, out.TrioPopularity},
      {"trifecta", kHR_Trifecta, ComboKind::Trifecta, 2, out.TrifectaOdds, out.TrifectaPopularity},
  };
  for (const Paid& p : paid) {
    SCOPED_TRACE(p.what);
    const std::string_view c = Fld(hr, p.g.combo.At(0));
    const int no = ComboNo(p.kind, ParseInt(c.substr(0, p.width)), ParseInt(c.substr(p.width, p.width)),
                           c.size() > 2u * p.width ? ParseInt(c.substr(2 * p.width, p.width)) : 0);
    ASSERT_GT(no, 0);
    EXPECT_EQ(static_cast<int>(p.odds[no - 1] * 100 + 0.5), FldInt(hr, p.g.pay.At(0)));
    EXPECT_EQ(p.pop[no - 1], FldInt(hr, p.g.pop.At(0)));
  }
  // Place and wide pay within the announced range (wide keeps its lower bound only).
  for (int i = 0; i < 3; ++i) {
    const int h = FldInt(hr, kHR_Place.combo.At(i)), pay = FldInt(hr, kHR_Place.pay.At(i));
    EXPECT_LE(out.PlaceOddsMin[h - 1] * 100, pay + 0.5);
    EXPECT_GE(out.PlaceOddsMax[h - 1] * 100, pay - 0.5);
    const std::string_view w = Fld(hr, kHR_Wide.combo.At(i));
    const int no = ComboNo(ComboKind::Quinella, ParseInt(w.substr(0, 2)), ParseInt(w.substr(2, 2)));
    EXPECT_LE(out.WideOdds[no - 1] * 100, FldInt(hr, kHR_Wide.pay.At(i)) + 0.5);
    EXPECT_EQ(out.WidePopularity[no - 1], FldInt(hr, kHR_Wide.pop.At(i)));
  }

  // The fixed slots: every combination of horses 1..11 is sold, every other one is blank.
  ExpectSoldExactlyWithin(ComboKind::Bracket, out.BracketOdds, out.BracketPopularity, n);
  ExpectSoldExactlyWithin(ComboKind::Quinella, out.QuinellaOdds, out.QuinellaPopularity, n);
  ExpectSoldExactlyWithin(ComboKind::Quinella, out.WideOdds, out.WidePopularity, n);
  ExpectSoldExactlyWithin(ComboKind::Exacta, out.ExactaOdds, out.ExactaPopularity, n);
  ExpectSoldExactlyWithin(ComboKind::Trio, out.TrioOdds, out.TrioPopularity, n);
  ExpectSoldExactlyWithin(ComboKind::Trifecta, out.TrifectaOdds, out.TrifectaPopularity, n);
}

TEST_F(OddsLoaderFiles, RecordsAreFoundByVenueAndRaceNumberFirstMatchWins) {
  const std::string a = MakeRecord("O1", {{kHdr_RaceKey, "2023082601020510"}, {kO1_WinOdds.At(0), "0021"}});
  const std::string a2 = MakeRecord("O1", {{kHdr_RaceKey, "2023082601020510"}, {kO1_WinOdds.At(0), "0099"}});
  const std::string b = MakeRecord("O1", {{kHdr_RaceKey, "2023082605020510"}, {kO1_WinOdds.At(0), "0033"}});
  const std::string q = MakeRecord("O2", {{kHdr_RaceKey, "2023082605020510"}, {kO2_QuinellaOdds.At(0), "000123"},
                                          {kO2_QuinellaPop.At(0), "007"}});
  WriteOdds(1, Records({b, a, a2}));
  WriteOdds(2, q);
  SetRace(0, "2023082601020510", "2");
  SetRace(1, "2023082605020510", "2");

  // The O2 record of slot 0 is not in its file: the record it held stays and its table is
  // rebuilt from it.
  const std::string kept = MakeRecord("O2", {{kHdr_RaceKey, "2023082601020510"}, {kO2_QuinellaOdds.At(0), "000456"}});
  day().OddsRecords2.Set(0, kept);

  DayOddsFiles files(day().DayFilePath);
  for (int r : {0, 1}) {
    day().OddsRace = r;
    EXPECT_TRUE(LoadOdds(day(), files).ok());
  }
  EXPECT_EQ(day().OddsRecords1[0], a);
  EXPECT_EQ(day().OddsRecords1[1], b);
  EXPECT_DOUBLE_EQ(day().OutData(0).WinOdds[0], 2.1);
  EXPECT_DOUBLE_EQ(day().OutData(1).WinOdds[0], 3.3);
  EXPECT_DOUBLE_EQ(day().OutData(0).QuinellaOdds[0], 45.6);
  EXPECT_DOUBLE_EQ(day().OutData(1).QuinellaOdds[0], 12.3);
  EXPECT_EQ(day().OutData(1).QuinellaPopularity[0], 7);
  // Missing O3..O6 files and a cleared day: blank records, so "no such combination" everywhere.
  EXPECT_DOUBLE_EQ(day().OutData(1).TrioOdds[0], -2.0);
  EXPECT_DOUBLE_EQ(day().OutData(1).WinOdds[1], -2.0);  // horse 2: blank field
  EXPECT_DOUBLE_EQ(day().OutData(1).WinOdds[2], 0.0);   // horse 3: beyond the runners

  // The reader holds each file as first read: the second slot was served without the files.
  fs::remove(OddsPath(1));
  day().OddsRecords1.Clear(1);
  day().OddsRace = 1;
  EXPECT_TRUE(LoadOdds(day(), files).ok());
  EXPECT_EQ(day().OddsRecords1[1], b);
  // A fresh read sees the file gone and keeps the record.
  EXPECT_TRUE(LoadOdds(day()).ok());
  EXPECT_EQ(day().OddsRecords1[1], b);
}

TEST_F(OddsLoaderFiles, DamagedFileIsNamedAndNotRead) {
  const std::string good = MakeRecord("O1", {{kHdr_RaceKey, "2023082601020501"}, {kO1_WinOdds.At(0), "0021"}});
  std::string shortened = good.substr(0, good.size() - 1);  // one byte lost: every later field would shift
  WriteOdds(1, Records({good, shortened}));
  WriteOdds(2, MakeRecord("O2", {{kHdr_RaceKey, "2023082601020501"}, {kO2_QuinellaOdds.At(0), "000123"}}));
  SetRace(0, "2023082601020501", "2");
  const std::string before = MakeRecord("O1", {{kHdr_RaceKey, "2023082601020501"}, {kO1_WinOdds.At(0), "0077"}});
  day().OddsRecords1.Set(0, before);

  day().OddsRace = 0;
  OddsLoadResult res = LoadOdds(day());
  ASSERT_EQ(res.errors.size(), 1u);
  EXPECT_NE(res.errors[0].find(J("ファイルが壊れています")), std::string::npos);
  EXPECT_NE(res.errors[0].find(J(".jvO1")), std::string::npos);
  EXPECT_EQ(day().OddsRecords1[0], before);
  EXPECT_DOUBLE_EQ(day().OutData(0).WinOdds[0], 7.7);
  EXPECT_DOUBLE_EQ(day().OutData(0).QuinellaOdds[0], 12.3);  // the sound files still load
}

TEST_F(OddsLoaderFiles, SlotsWithoutARaceAndTheWinRankingHook) {
  WriteOdds(1, MakeRecord("O1", {{kHdr_RaceKey, "2023082601020501"}, {kO1_WinOdds.At(0), "0021"}}));
  SetRace(0, "2023082601020501", "1");
  day().RaceRecords.Set(1, MakeRecord("RA", {{kHdr_RaceKey, "20230826010205  "}, {kRA_Entered, "1"}}));

  std::vector<double> seen;
  SetWinRankingHook([&](RaceDayModel& d) { seen.push_back(d.OutData(d.OddsRace).WinOdds[0]); });
  for (int r : {0, 1}) {
    day().OddsRace = r;
    EXPECT_TRUE(LoadOdds(day()).ok());
  }
  // The hook ran after each load and saw the tables already rebuilt.
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_DOUBLE_EQ(seen[0], 2.1);
  // No race number: nothing is looked up; the blank raw record gives "no such horse".
  EXPECT_DOUBLE_EQ(seen[1], -2.0);
  EXPECT_TRUE(IsBlank(day().OddsRecords1[1].substr(2, 900)));

  day().OddsRace = kMaxRaces;
  EXPECT_FALSE(LoadOdds(day()).ok());
  EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
}  // namespace kv
