// The entry-table sort buttons, the comparison detail and win/loss tables and their colours.
#include <gtest/gtest.h>

#include <memory>

#include "compare/CompareTables.h"
#include "compare/EntryTableSort.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "JVRecordBuilder.h"

using namespace kv;

namespace {

// An entry table row with the cells the sort reads, formatted as the entry table writes them.
struct Row {
  int horse;
  int wins, winsRank, losses, winRateRank, pointWins, pointLosses, pointRateRank, oddsRank, finish;
};

std::string Rank(int n) { return n < 1 ? J("　") : Fmt("%2d", n); }

TextGrid EntryGrid(const std::vector<Row>& rows) {
  TextGrid g(static_cast<int>(rows.size()) + 1, 31);
  g.Set(0, 1, J("馬"));
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const int at = static_cast<int>(i) + 1;
    g.Set(at, 1, Fmt("%2d", r.horse));
    g.Set(at, 2, "name" + std::to_string(r.horse));
    g.Set(at, 8, Rank(r.wins));
    g.Set(at, 9, Rank(r.winsRank));
    g.Set(at, 11, Rank(r.losses));
    g.Set(at, 13, Rank(r.winRateRank));
    g.Set(at, 14, r.pointWins < 1 ? "  " : Fmt("%4d", r.pointWins));
    g.Set(at, 16, r.pointLosses < 1 ? J("　") : Fmt("%4d", r.pointLosses));
    g.Set(at, 18, Rank(r.pointRateRank));
    g.Set(at, 20, Rank(r.oddsRank));
    g.Set(at, 27, Rank(r.finish));
  }
  return g;
}

std::vector<int> Order(const TextGrid& g) {
  std::vector<int> out;
  for (int r = 1; r < g.RowCount(); ++r) {
    out.push_back(std::stoi(g.At(r, 1)));
    EXPECT_EQ(g.At(r, 2), "name" + g.At(r, 1).substr(g.At(r, 1)[0] == ' ' ? 1 : 0)) << "rows move whole";
  }
  return out;
}

}  // namespace

TEST(EntryTableSort, EveryButtonOrdersByItsTwoColumns) {
  //  horse wins wRank losses rateRank ptWon ptLost ptRank oddsRank finish
  const std::vector<Row> rows = {
      {1, 3, 2, 2, 2, 120, 80, 2, 3, 4},
      {2, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // never compared, no odds, no finish: empty cells
      {3, 4, 1, 1, 1, 150, 60, 1, 2, 1},
      {4, 1, 3, 4, 4, 40, 130, 4, 1, 2},
      {5, 1, 3, 3, 3, 40, 120, 3, 5, 3},
      {10, 3, 2, 3, 3, 9, 12, 0, 4, 12},
  };
  struct Case {
    EntrySort sort;
    const char* caption;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {EntrySort::HorseNo, "馬番", {1, 2, 3, 4, 5, 10}},
      {EntrySort::Wins, "勝数", {3, 10, 1, 4, 5, 2}},         // rank 2 tie: more losses first
      {EntrySort::Finish, "着順", {3, 4, 5, 1, 10, 2}},
      {EntrySort::Losses, "負数", {3, 1, 5, 10, 4, 2}},       // 3 losses: larger wins rank first
      {EntrySort::WinRate, "勝率", {3, 1, 5, 10, 4, 2}},      // rank 3 tie: larger wins rank first
      {EntrySort::PointsWon, "勝ﾎﾟｲﾝﾄ", {3, 1, 5, 4, 10, 2}},  // most points first, none last
      {EntrySort::PointsLost, "負ﾎﾟｲﾝﾄ", {10, 3, 1, 5, 4, 2}},
      {EntrySort::PointWinRate, "Pt勝率", {3, 1, 5, 4, 10, 2}},
      {EntrySort::OddsRank, "ｵｯｽﾞ順位", {4, 3, 1, 10, 5, 2}},
  };
  ASSERT_EQ(EntrySortButtons().size(), std::size(cases));
  for (const Case& c : cases) {
    EXPECT_EQ(EntrySortButtonOf(c.sort).caption, c.caption);
    TextGrid g = EntryGrid(rows);
    SortEntryTable(g, EntrySort::PointsLost);  // start from another order
    SortEntryTable(g, c.sort);
    EXPECT_EQ(Order(g), c.expected) << c.caption;
    EXPECT_EQ(g.At(0, 1), J("馬")) << "the heading row stays";
  }
}

TEST(CompareTables, PairRowsWinLossSquareAndStatusLine) {
  auto day = std::make_unique<RaceDayModel>();
  day->Reset();
  day->RaceRecords.Set(2, test::MakeRecord("RA", {{kHdr_Year, "2011"}, {kRA_Entered, " 3"}}));
  const char* names[] = {"アルファ　　　", "ブラボー", "チャーリー"};
  for (int k = 0; k < 3; ++k) {
    std::string name = J(names[k]);
    while (name.size() < 36) name += J("　");
    day->EntryRecords.Set(RaceDayModel::EntryIndex(2, k), test::MakeRecord("SE", {{kSE_HorseName, name}}));
  }
  TRaceAnalysis& ra = day->RaceAnalysis(2);
  // Pair 1-2 (number 1): horse 1 won 4+1 to 2+0; pair 2-3 (number 18): horse 3 won; 1-3 a draw.
  ra.PairFirstPt[0] = 4, ra.PairFirstOwnPt[0] = 1, ra.PairFirstTotalPt[0] = 5, ra.PairFirstWon[0] = 1;
  ra.PairSecondPt[0] = 2, ra.PairSecondTotalPt[0] = 2, ra.PairCompared[0] = 7, ra.PairDirect[0] = 2;
  ra.PairSecondWon[17] = 1;

  TextGrid detail(1, 15);
  FillCompareDetail(detail, *day, 2);
  ASSERT_EQ(detail.RowCount(), 4);
  EXPECT_EQ(detail.Row(1), (std::vector<std::string>{"", " 1", J("アルファ"), "  4", "  1", "  5", " " + J("○"), " 2",
                                                      J("ブラボー"), "  2", "  0", "  2", "", "  7", "  2"}));
  EXPECT_EQ(detail.At(2, 1) + "-" + detail.At(2, 7), " 1- 3");
  EXPECT_EQ(detail.At(2, 6) + detail.At(2, 12), "");
  EXPECT_EQ(detail.At(3, 1) + "-" + detail.At(3, 7), " 2- 3");
  EXPECT_EQ(detail.At(3, 12), " " + J("○"));

  TextGrid winLoss;
  FillWinLoss(winLoss, *day, 2);
  ASSERT_EQ(winLoss.RowCount(), 4);
  ASSERT_EQ(winLoss.ColCount(), 4);
  EXPECT_EQ(winLoss.Row(0), (std::vector<std::string>{"", " 1", " 2", " 3"}));
  EXPECT_EQ(winLoss.Row(1), (std::vector<std::string>{" 1", "", J("○"), ""}));
  EXPECT_EQ(winLoss.Row(2), (std::vector<std::string>{" 2", J("×"), "", J("×")}));
  EXPECT_EQ(winLoss.Row(3), (std::vector<std::string>{" 3", "", J("○"), ""}));

  EXPECT_EQ(RaceStatusText(*day, 2), J("集計が未実行です。「全レース比較」ボタンをクリックして集計してください。"));
  ra.Compared = 1;
  EXPECT_EQ(RaceStatusText(*day, 2), J("当レースの集計結果は下記の通りです。"));

  // Two runners: one pair row and a 3 x 3 square.
  day->RaceRecords.Set(2, test::MakeRecord("RA", {{kHdr_Year, "2011"}, {kRA_Entered, " 2"}}));
  FillCompareDetail(detail, *day, 2);
  FillWinLoss(winLoss, *day, 2);
  EXPECT_EQ(detail.RowCount(), 2);
  EXPECT_EQ(winLoss.RowCount(), 3);
  EXPECT_EQ(winLoss.ColCount(), 3);
}

TEST(CompareTables, Colours) {
  TextGrid g(2, 15);
  g.Set(1, 6, " " + J("○"));
  const auto bg = [&](int row, int col) { return CompareDetailStyle(g, row, col).background; };
  EXPECT_EQ(bg(0, 3), CellColor::Rgb(192, 192, 192));
  EXPECT_EQ(bg(1, 0), CellColor::Rgb(192, 192, 192));
  EXPECT_EQ(bg(1, 1), CellColor::Rgb(47, 255, 151));
  EXPECT_EQ(bg(1, 7), CellColor::Rgb(47, 255, 151));
  EXPECT_EQ(bg(1, 8), CellColor::Rgb(255, 255, 128));
  EXPECT_EQ(CompareDetailStyle(g, 1, 2).align, CellAlign::Left);
  EXPECT_EQ(CompareDetailStyle(g, 1, 3).align, CellAlign::Center);
  EXPECT_EQ(bg(1, 6), CellColor::Rgb(255, 0, 255));
  EXPECT_EQ(bg(1, 12), CellColor::Rgb(255, 255, 255));
  EXPECT_EQ(bg(1, 13), CellColor::Rgb(255, 185, 255));
  EXPECT_EQ(bg(1, 14), CellColor::Rgb(255, 185, 255));
  EXPECT_EQ(bg(1, 4), CellColor::Rgb(255, 255, 255));

  TextGrid w(3, 3);
  w.Set(1, 2, J("○"));
  w.Set(2, 1, J("×"));
  EXPECT_EQ(WinLossStyle(w, 0, 1).background, CellColor::Rgb(192, 192, 192));
  EXPECT_EQ(WinLossStyle(w, 2, 0).background, CellColor::Rgb(192, 192, 192));
  EXPECT_EQ(WinLossStyle(w, 1, 1).background, CellColor::Rgb(0, 0, 0));
  EXPECT_EQ(WinLossStyle(w, 1, 2).background, CellColor::Rgb(255, 0, 255));
  EXPECT_EQ(WinLossStyle(w, 2, 1).background, CellColor::Rgb(128, 128, 128));
}
