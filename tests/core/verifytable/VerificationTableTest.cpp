// Day verification table: which races get a row, the 51 cells of a row, shared places, the
// colours and bold rank cells, the messages of the tally and the clipboard text.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "VerifyFixture.h"
#include "app/Files.h"
#include "text/Cp932.h"
#include "verify/VerificationTable.h"

namespace kv {
namespace {

using test::DayFixture;
using test::MakeRecord;

std::vector<std::string> Utf8Row(const TextGrid& g, int row) {
  std::vector<std::string> out;
  for (const std::string& c : g.Row(row)) out.push_back(ToUtf8(c));
  return out;
}

TEST(VerificationTable, HeadingsAndWidth) {
  const std::vector<std::string>& h = VerificationHeadings();
  ASSERT_EQ(h.size(), 51u);
  const std::vector<std::string> race = {"開催日", "場所", "ﾚｰｽ", "頭", "ﾄﾗｯｸ", "距離",
                                         "条件",   "ｸﾞﾚｰﾄﾞ", "ﾚｰｽ名", "芝", "ダ", "1着配"};
  const std::vector<std::string> block = {"勝数", "順",   "逆", "負数", "勝率", "順", "勝pt",
                                          "逆",   "負pt", "pt勝率", "順", "ｵｯｽﾞ", "人"};
  for (size_t c = 0; c < race.size(); ++c) EXPECT_EQ(ToUtf8(h[c]), race[c]) << c;
  for (int place = 1; place <= 3; ++place)
    for (size_t k = 0; k < block.size(); ++k)
      EXPECT_EQ(ToUtf8(h[static_cast<size_t>(VerificationBlockStart(place)) + k]), block[k]) << place << " " << k;
}

// Rows only for races with more than 3 runners and a win payout, in race list order; an empty
// slot in the list is skipped.
TEST(VerificationTable, QualifyingRaces) {
  DayFixture f;
  for (int r = 0; r < 12; ++r) {
    const int runners = r == 2 ? 3 : (r == 4 ? 4 : 10);  // race 3: 3 runners; race 5: 4 runners
    const int pay = r >= 10 ? 0 : 100 + r;                // races 11 and 12 not paid yet
    f.AddRace(r, r + 1, runners, pay);
  }
  f.DerivePayouts();
  const std::vector<int> slots = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20};

  const TextGrid t = BuildVerificationTable(f.day(), slots);
  ASSERT_EQ(t.RowCount(), 1 + 9);
  EXPECT_EQ(t.ColCount(), 51);
  std::vector<std::string> raceNos, pays;
  for (int row = 1; row < t.RowCount(); ++row) {
    raceNos.push_back(t.At(row, 2));
    pays.push_back(t.At(row, 11));
  }
  EXPECT_EQ(raceNos, (std::vector<std::string>{" 1R", " 2R", " 4R", " 5R", " 6R", " 7R", " 8R", " 9R", "10R"}));
  EXPECT_EQ(pays, (std::vector<std::string>{"100", "101", "103", "104", "105", "106", "107", "108", "109"}));

  // The list order is the row order.
  const TextGrid rev = BuildVerificationTable(f.day(), std::vector<int>{5, 0});
  ASSERT_EQ(rev.RowCount(), 3);
  EXPECT_EQ(rev.At(1, 2), " 6R");
  EXPECT_EQ(rev.At(2, 2), " 1R");

  // A day without any payout: the heading only.
  DayFixture unpaid;
  unpaid.AddRace(0, 1, 12, 0);
  unpaid.DerivePayouts();
  const TextGrid none = BuildVerificationTable(unpaid.day(), std::vector<int>{0});
  ASSERT_EQ(none.RowCount(), 1);
  EXPECT_EQ(none.Row(0), VerificationHeadings());
}

// Every cell of a row: race columns from the RA record and the win payout, the three blocks from
// the comparison figures and the entry records, empty where the figure is absent.
TEST(VerificationTable, RowCells) {
  DayFixture f;
  const std::string key = "2011043005020301";
  f.day().RaceRecords.Set(0, MakeRecord("RA", {{kHdr_RaceKey, key},
                                              {kRA_RaceNameShort3, J("ＮＨＫ")},
                                              {kRA_Grade, "A"},
                                              {kRA_RaceKind, "13"},
                                              {kRA_CondYoungest, "016"},
                                              {kRA_Distance, "0800"},
                                              {kRA_Track, "17"},
                                              {kRA_Entered, "16"},
                                              {kRA_TurfGoing, "1"},
                                              {kRA_DirtGoing, "0"}}));
  for (int h = 1; h <= 16; ++h) f.SetEntry(0, h, h + 3, 0, 0);  // places 4.. for the others
  f.SetEntry(0, 5, 1, 104, 5);    // winner
  f.SetEntry(0, 2, 2, 0, 1);      // second, odds not known
  f.SetEntry(0, 9, 3, 2345, 12);  // third
  f.day().PayoutRecords.Set(0, MakeRecord("HR", {{kHdr_RaceKey, key}, {kHR_Win.combo.At(0), "05"},
                                                 {kHR_Win.pay.At(0), "000001040"}}));
  f.DerivePayouts();

  TRaceAnalysis& a = f.analysis(0);
  // Horse 5: no pair win, but rates and points.
  a.Losses[4] = 4;
  a.WinRate[4] = 0.0;
  a.PointWins[4] = 35;
  a.PointWinsRevRank[4] = 1;
  a.PointLosses[4] = 120;
  a.PointWinRate[4] = 35.0 / 155.0;
  a.PointWinRateRank[4] = 9;
  // Horse 2: everything set.
  a.Wins[1] = 7;
  a.WinsRank[1] = 1;
  a.WinsRevRank[1] = 3;
  a.Losses[1] = 2;
  a.WinRate[1] = 7.0 / 9.0;
  a.WinRateRank[1] = 2;
  a.PointWins[1] = 1234;
  a.PointLosses[1] = 56;
  a.PointWinRate[1] = 1234.0 / 1290.0;
  a.PointWinRateRank[1] = 1;
  // Horse 9: never compared (rates stay -1.0).

  const std::vector<std::string> row = Utf8Row(BuildVerificationTable(f.day(), std::vector<int>{0}), 1);
  ASSERT_EQ(row.size(), 51u);
  const std::vector<std::string> expected = {
      "2011/04/30", "東京", " 1R", "16", "芝 右回り", " 800", "3歳上3勝ｸﾗｽ", "G1   ", "ＮＨＫ", "良", "", "1040",
      // place 1: horse 5
      "", "", "", " 4", "  0.0", "", "  35", " 1", " 120", " 22.6", " 9", " 10.4", " 5",
      // place 2: horse 2
      " 7", " 1", " 3", " 2", " 77.8", " 2", "1234", "", "  56", " 95.7", " 1", "", " 1",
      // place 3: horse 9
      "", "", "", "", "", "", "", "", "", "", "", "234.5", "12"};
  for (size_t c = 0; c < expected.size(); ++c) EXPECT_EQ(row[c], expected[c]) << "column " << c;
}

// Runners sharing a place each take the whole block in horse-number order, so the block never
// mixes two horses; a place nobody reached stays empty; entry records beyond the registered count
// are not read.
TEST(VerificationTable, SharedPlaces) {
  DayFixture f;
  f.AddRace(0, 1, 6, 300);
  f.SetEntry(0, 3, 1, 50, 2);
  f.SetEntry(0, 6, 3, 90, 4);      // horse 6 third
  f.SetEntry(0, 5, 1, 70, 3);      // dead heat with horse 3
  f.day().EntryRecords.Set(RaceDayModel::EntryIndex(0, 7), MakeRecord("SE", {{kSE_HorseNum, "08"}, {kSE_Finish, "02"},
                                                                            {kSE_WinOdds, "0100"}}));  // stale slot
  f.DerivePayouts();
  TRaceAnalysis& a = f.analysis(0);
  a.Wins[2] = 5;
  a.WinsRank[2] = 2;
  a.WinRate[2] = 0.625;
  a.WinRate[4] = 0.5;
  a.PointWinRateRank[2] = 4;
  a.Wins[7] = 9;

  const std::vector<std::string> row = Utf8Row(BuildVerificationTable(f.day(), std::vector<int>{0}), 1);
  const int p1 = VerificationBlockStart(1), p2 = VerificationBlockStart(2), p3 = VerificationBlockStart(3);
  // Block 1 shows horse 5 alone: none of horse 3's wins, ranks or odds remain.
  EXPECT_EQ(row[p1 + 0], "");
  EXPECT_EQ(row[p1 + 1], "");
  EXPECT_EQ(row[p1 + 4], " 50.0");
  EXPECT_EQ(row[p1 + 10], "");
  EXPECT_EQ(row[p1 + 11], "  7.0");
  EXPECT_EQ(row[p1 + 12], " 3");
  for (int k = 0; k < kVerificationBlockCols; ++k) EXPECT_EQ(row[p2 + k], "") << "place 2 offset " << k;
  EXPECT_EQ(row[p3 + 11], "  9.0");
  EXPECT_EQ(row[p3 + 12], " 4");
}

// A real race (2011-04-30 Niigata R1, 11 runners) from its RA, SE and HR records.
TEST(VerificationTable, RealRace) {
  const fs::path dir = fs::path(KORVANE_REFDATA) / "records";
  if (!fs::exists(dir)) GTEST_SKIP() << "reference records not present";
  auto load = [&](const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadFile(dir / name, bytes)) << name;
    return bytes;
  };
  DayFixture f;
  f.day().RaceRecords.Set(0, load("RA_2.txt"));
  for (int i = 2; i <= 12; ++i) {
    const std::string se = load("SE_" + std::to_string(i) + ".txt");
    f.day().EntryRecords.Set(RaceDayModel::EntryIndex(0, FldInt(se, kSE_HorseNum) - 1), se);
  }
  f.day().PayoutRecords.Set(0, load("HR_2.txt"));
  f.DerivePayouts();

  const std::vector<std::string> row = Utf8Row(BuildVerificationTable(f.day(), std::vector<int>{0}), 1);
  ASSERT_EQ(row.size(), 51u);
  const std::vector<std::string> race = {"2011/04/30", "新潟", " 1R", "11", "ﾀﾞｰﾄ 左回り", "1800",
                                         "3歳未勝利", "　　 ", "　　　", "", "重", "1040"};
  for (size_t c = 0; c < race.size(); ++c) EXPECT_EQ(row[c], race[c]) << "column " << c;
  // Winner horse 6 (10.4, 5th favourite), second horse 7 (5.3, 4th), third horse 11 (15.8, 6th).
  EXPECT_EQ(row[VerificationBlockStart(1) + 11], " 10.4");
  EXPECT_EQ(row[VerificationBlockStart(1) + 12], " 5");
  EXPECT_EQ(row[VerificationBlockStart(2) + 11], "  5.3");
  EXPECT_EQ(row[VerificationBlockStart(2) + 12], " 4");
  EXPECT_EQ(row[VerificationBlockStart(3) + 11], " 15.8");
  EXPECT_EQ(row[VerificationBlockStart(3) + 12], " 6");
}

TEST(VerificationTable, RankColumns) {
  const std::set<int> ranks = {13, 14, 17, 19, 22, 24, 26, 27, 30, 32, 35, 37, 39, 40, 43, 45, 48, 50};
  for (int c = -1; c <= 52; ++c) EXPECT_EQ(IsVerificationRankColumn(c), ranks.count(c) == 1) << c;
}

TEST(VerificationTable, CellStyles) {
  TextGrid g(2, kVerificationCols);
  g.Set(0, 13, J("順"));
  g.Set(1, 13, " 1");
  g.Set(1, 14, " 2");
  g.Set(1, 24, " 3");
  g.Set(1, 17, "10");
  g.Set(1, 50, " 1");
  g.Set(1, 49, " 1");  // odds column, not a rank
  g.Set(1, 12, " 1");  // wins count, not a rank

  const CellColor none;
  const CellColor red = CellColor::Rgb(255, 0, 0), blue = CellColor::Rgb(0, 0, 255);
  struct Case {
    int row, col;
    CellColor bg, fg;
    bool bold;
    CellAlign align;
  };
  const Case cases[] = {
      {0, 0, CellColor::Rgb(228, 224, 63), none, false, CellAlign::Center},
      {0, 6, CellColor::Rgb(228, 224, 63), none, false, CellAlign::Center},
      {0, 13, CellColor::Rgb(228, 224, 63), none, false, CellAlign::Center},
      {1, 0, CellColor::Rgb(255, 251, 240), none, false, CellAlign::Center},
      {1, 2, CellColor::Rgb(255, 251, 240), none, false, CellAlign::Center},
      {1, 3, CellColor::Rgb(255, 255, 255), none, false, CellAlign::Center},
      {1, 6, CellColor::Rgb(255, 255, 255), none, false, CellAlign::Left},
      {1, 10, CellColor::Rgb(255, 255, 255), none, false, CellAlign::Center},
      {1, 11, CellColor::Rgb(255, 193, 255), none, false, CellAlign::Center},
      {1, 12, CellColor::Rgb(255, 172, 255), none, false, CellAlign::Center},
      {1, 13, CellColor::Rgb(255, 172, 255), red, true, CellAlign::Center},
      {1, 14, CellColor::Rgb(255, 172, 255), blue, true, CellAlign::Center},
      {1, 17, CellColor::Rgb(255, 172, 255), none, true, CellAlign::Center},
      {1, 19, CellColor::Rgb(255, 172, 255), none, true, CellAlign::Center},  // empty rank cell
      {1, 24, CellColor::Rgb(255, 172, 255), blue, true, CellAlign::Center},
      {1, 25, CellColor::Rgb(202, 218, 253), none, false, CellAlign::Center},
      {1, 37, CellColor::Rgb(202, 218, 253), none, true, CellAlign::Center},
      {1, 38, CellColor::Rgb(208, 255, 208), none, false, CellAlign::Center},
      {1, 49, CellColor::Rgb(208, 255, 208), none, false, CellAlign::Center},
      {1, 50, CellColor::Rgb(208, 255, 208), red, true, CellAlign::Center},
  };
  const GridLayout layout = VerificationLayout();
  ASSERT_TRUE(layout.style);
  EXPECT_EQ(layout.columnWidths.size(), 51u);
  for (const Case& c : cases) {
    const CellStyle s = layout.style(g, c.row, c.col);
    EXPECT_EQ(s.background, c.bg) << c.row << "," << c.col;
    EXPECT_EQ(s.foreground, c.fg) << c.row << "," << c.col;
    EXPECT_EQ(s.bold, c.bold) << c.row << "," << c.col;
    EXPECT_EQ(s.align, c.align) << c.row << "," << c.col;
  }
}

// The button "集計": its two messages, the table left alone when they show, rebuilt otherwise.
TEST(VerificationTable, TallyMessages) {
  DayFixture f;
  f.AddRace(0, 1, 3, 150);
  f.AddRace(1, 2, 8, 150);
  f.AddRace(2, 3, 3, 150);
  f.AddRace(3, 4, 9, 0);
  f.DerivePayouts();
  const std::string dayName = J("2011年04月30日");
  const std::vector<int> slots = {0, 1, 2, 3};

  TextGrid table(1, 1);
  table.Set(0, 0, "old");
  test::RecordingUi ui;
  EXPECT_FALSE(TallyVerification(f.day(), "", slots, ui, table));
  EXPECT_FALSE(TallyVerification(f.day(), dayName, {}, ui, table));
  EXPECT_EQ(ui.Texts(test::RecordingUi::Kind::Info),
            (std::vector<std::string>{J("開催日を選択してﾃﾞｰﾀを読み込んでください。"), J("データが不十分なようです。")}));
  EXPECT_EQ(table.At(0, 0), "old");

  ui.Clear();
  std::vector<int> visited;
  EXPECT_TRUE(TallyVerification(f.day(), dayName, slots, ui, table, [&](int i) { visited.push_back(i); }));
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.At(1, 2), " 2R");
  // Each race of more than 3 runners is visited (selected) in list order, paid or not.
  EXPECT_EQ(visited, (std::vector<int>{1, 3}));
}

TEST(VerificationTable, ClipboardText) {
  TextGrid g(2, 3);
  g.SetRow(0, {J("開催日"), "b", "c"});
  g.SetRow(1, {"1", "", "3"});
  EXPECT_EQ(VerificationClipboardText(g), J("開催日") + "\tb\tc\r\n1\t\t3\r\n");
  EXPECT_EQ(VerificationClipboardText(TextGrid()), "");
}

}  // namespace
}  // namespace kv
