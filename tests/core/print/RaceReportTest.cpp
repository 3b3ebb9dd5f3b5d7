// The printed analysis report's page of a race (drawing operations in tenths of a millimetre)
// and the grid print: frame blocks, payout lines, blanks of runners without comparisons, the
// heading texts, and the grid's title and heading row on every page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "model/RaceDayModel.h"
#include "print/GridPrint.h"
#include "print/RaceReport.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {
namespace {

using test::MakeRecord;

const DrawOp* TextAt(const PrintPage& page, int x, int y) {
  for (const DrawOp& op : page.ops)
    if (op.kind == DrawKind::Text && op.x1 == x && op.y1 == y) return &op;
  return nullptr;
}

std::string Utf8TextAt(const PrintPage& page, int x, int y) {
  const DrawOp* op = TextAt(page, x, y);
  return op ? ToUtf8(op->text) : "<none>";
}

const DrawOp* LineAt(const PrintPage& page, int x1, int y1, int x2, int y2) {
  for (const DrawOp& op : page.ops)
    if (op.kind == DrawKind::Line && op.x1 == x1 && op.y1 == y1 && op.x2 == x2 && op.y2 == y2) return &op;
  return nullptr;
}

class RaceReportTest : public ::testing::Test {
 protected:
  // Race slot 0: Tokyo race 11 on Sunday 2024-04-21 with `runners` runners, two to a frame.
  void SetUpRace(int runners) {
    const std::string key = "2024042105010811";
    day->RaceRecords.Set(0, MakeRecord("RA", {{kHdr_RaceKey, key},
                                              {kRA_Weekday, "2"},
                                              {kRA_RaceName, J("天皇賞")},
                                              {kRA_RunningNum, "169"},
                                              {kRA_Grade, "A"},
                                              {kRA_RaceKind, "14"},
                                              {kRA_WeightRule, "4"},
                                              {kRA_Cond4yo, "999"},
                                              {kRA_Distance, "3200"},
                                              {kRA_Track, "11"},
                                              {kRA_FirstPrize, "00220000"},
                                              {kRA_PostHour, "15"},
                                              {kRA_PostMinute, "40"},
                                              {kRA_Entered, Fmt("%02d", runners)}}));
    for (int k = 0; k < runners; ++k)
      day->EntryRecords.Set(RaceDayModel::EntryIndex(0, k),
                            MakeRecord("SE", {{kHdr_RaceKey, key},
                                              {kSE_Frame, Fmt("%d", k / 2 + 1)},
                                              {kSE_HorseNum, Fmt("%02d", k + 1)},
                                              {kSE_HorseName, J("テストホース")},
                                              {kSE_Sex, "1"},
                                              {kSE_Age, "04"},
                                              {kSE_Weight, "580"}}));
    day->Reset();
  }

  std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
};

TEST_F(RaceReportTest, SixteenRunnersInEightFramesDrawABlockAtEveryOddRow) {
  SetUpRace(16);
  const PrintPage page = RaceReportPage(*day, 0);
  const char* colours[] = {"白", "黒", "赤", "青", "黄", "緑", "橙", "桃"};
  for (int j = 1; j <= 16; ++j) {
    const int R = 600 + 105 * j;
    SCOPED_TRACE(j);
    EXPECT_EQ(Utf8TextAt(page, 107, R + 30), ToUtf8(CircledNum(j)));
    if (j % 2 == 1) {
      EXPECT_EQ(Utf8TextAt(page, 60, R + 10), colours[j / 2]);
      EXPECT_EQ(Utf8TextAt(page, 65, R + 55), std::to_string(j / 2 + 1));
      const DrawOp* thick = LineAt(page, 50, R, 1450, R);
      ASSERT_NE(thick, nullptr);
      EXPECT_EQ(thick->penWidth, 12);
      EXPECT_EQ(LineAt(page, 100, R, 1450, R), nullptr);
    } else {
      EXPECT_EQ(TextAt(page, 60, R + 10), nullptr);
      const DrawOp* thin = LineAt(page, 100, R, 1450, R);
      ASSERT_NE(thin, nullptr);
      EXPECT_EQ(thin->penWidth, 1);
      EXPECT_EQ(LineAt(page, 50, R, 1450, R), nullptr);
    }
  }
  // The table's outline and column lines end below the 16th row.
  const int bottom = 600 + 105 * 17;
  EXPECT_NE(LineAt(page, 940, 600, 940, bottom), nullptr);
  EXPECT_NE(LineAt(page, 600, 700, 600, bottom), nullptr);
}

TEST_F(RaceReportTest, AFrameLeftOutOfTheFieldDoesNotSplitTheNextFrame) {
  SetUpRace(4);
  std::string se = std::string(day->Entry(0, 2));
  PutFld(se, kSE_Frame, "3");
  day->EntryRecords.Set(RaceDayModel::EntryIndex(0, 2), se);
  se = std::string(day->Entry(0, 3));
  PutFld(se, kSE_Frame, "3");
  day->EntryRecords.Set(RaceDayModel::EntryIndex(0, 3), se);
  const PrintPage page = RaceReportPage(*day, 0);
  EXPECT_EQ(Utf8TextAt(page, 60, 600 + 105 * 3 + 10), "赤");
  EXPECT_EQ(TextAt(page, 60, 600 + 105 * 4 + 10), nullptr);
  EXPECT_NE(LineAt(page, 100, 600 + 105 * 4, 1450, 600 + 105 * 4), nullptr);
}

TEST_F(RaceReportTest, HeadingLinesAndPrizeMoney) {
  SetUpRace(2);
  const PrintPage page = RaceReportPage(*day, 0);
  EXPECT_EQ(Utf8TextAt(page, 50, 165), "東京");
  EXPECT_EQ(Utf8TextAt(page, 55, 245), "11");  // race numbers above 9 start further left
  EXPECT_EQ(Utf8TextAt(page, 250, 160), "2024年04月21日(日)東京 01回08日11R");
  EXPECT_EQ(Utf8TextAt(page, 980, 160), "15時40分発走　");
  EXPECT_EQ(Utf8TextAt(page, 250, 215), "第169回 天皇賞");
  EXPECT_EQ(Utf8TextAt(page, 250, 250).substr(0, 24), " 2頭  3200ﾒｰﾄﾙ ");
  EXPECT_EQ(Utf8TextAt(page, 250, 285), "定量 4歳:オープン");
  EXPECT_EQ(Utf8TextAt(page, 1650, 190), "①  220000");
  EXPECT_EQ(Utf8TextAt(page, 1800, 270), "⑤       0");
}

TEST_F(RaceReportTest, PayoutsWithCircledNumbersAndEmptyLabelsWithoutPayouts) {
  SetUpRace(12);
  // No payouts: the eight labels and nothing after them.
  {
    const PrintPage page = RaceReportPage(*day, 0);
    const char* labels[] = {"【単勝】", "【複勝】", "【枠連】", "【馬連】", "【ﾜｲﾄﾞ】", "【馬単】", "【３連複】", "【３連単】"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Utf8TextAt(page, 50, 350 + 30 * i), labels[i]);
    for (const DrawOp& op : page.ops)
      if (op.kind == DrawKind::Text && op.y1 >= 350 && op.y1 <= 560)
        EXPECT_EQ(op.x1, 50) << "payout entry without a payout: " << ToUtf8(op.text);
  }
  TRaceAnalysis& a = day->RaceAnalysis(0);
  a.WinHorse[0] = 3;
  a.WinPay[0] = 450;
  a.PlaceHorse[1] = 12;
  a.PlacePay[1] = 1230;
  a.TrioCombo[0] = " 1- 5-12";
  a.TrioPay[0] = 35250;
  a.WideCombo[6] = " 0- 0";  // a first number of 0 is no entry
  const PrintPage page = RaceReportPage(*day, 0);
  EXPECT_EQ(Utf8TextAt(page, 190, 350), "　③ [     450]");
  EXPECT_EQ(Utf8TextAt(page, 430, 380), "　⑫ [    1230]");
  EXPECT_EQ(Utf8TextAt(page, 190, 530), "①-⑤-⑫[   35250]");
  EXPECT_EQ(TextAt(page, 240 * 7 - 50, 470), nullptr);
}

TEST_F(RaceReportTest, RunnerWithoutComparisonsOrResultsShowsBlanks) {
  SetUpRace(2);
  TRaceAnalysis& a = day->RaceAnalysis(0);
  a.Wins[1] = 3;
  a.Losses[1] = 0;
  a.WinRate[1] = 1.0;
  a.WinRateRank[1] = 1;
  a.WinsRevRank[1] = 2;
  a.FinishText[1] = "01";
  a.RaceTimeText[1] = "3164";
  a.WinOddsText[1] = "0035";
  a.PopularityText[1] = "01";
  day->OutData(0).WinOdds[1] = 3.5;
  day->OutData(0).WinPopularity[1] = 1;

  const PrintPage page = RaceReportPage(*day, 0);
  const int R1 = 705, R2 = 810;
  EXPECT_EQ(Utf8TextAt(page, 435, R1 + 5), "　  － 　 ");
  EXPECT_EQ(Utf8TextAt(page, 490, R1 + 40), "　－　 ");
  EXPECT_EQ(Utf8TextAt(page, 800, R1 + 40), "　－　 ");
  EXPECT_EQ(Utf8TextAt(page, 460, R1 + 75), " － ( － )");
  EXPECT_EQ(Utf8TextAt(page, 770, R1 + 75), " － ( － )");
  EXPECT_EQ(Utf8TextAt(page, 950, R1 + 10), "　－　");
  EXPECT_EQ(Utf8TextAt(page, 1360, R1 + 5), " － ");
  EXPECT_EQ(TextAt(page, 1250, R1 + 5), nullptr);  // no place, no arrow
  EXPECT_EQ(Utf8TextAt(page, 1320, R1 + 40), "　－　");
  EXPECT_EQ(Utf8TextAt(page, 1280, R1 + 75), "　－ ( － )");
  EXPECT_EQ(Utf8TextAt(page, 155, R1 + 60), "        　58.0kg　　");

  EXPECT_EQ(Utf8TextAt(page, 435, R2 + 5), "  3 － 　 ");
  EXPECT_EQ(Utf8TextAt(page, 490, R2 + 40), "100.0 %");
  EXPECT_EQ(Utf8TextAt(page, 460, R2 + 75), " 1位( 2位)");
  EXPECT_EQ(Utf8TextAt(page, 620, R2 + 40), "<=");
  EXPECT_EQ(Utf8TextAt(page, 950, R2 + 10), "   3.5");
  EXPECT_EQ(Utf8TextAt(page, 970, R2 + 60), " 1位");
  EXPECT_EQ(Utf8TextAt(page, 1360, R2 + 5), " 1着");
  EXPECT_EQ(Utf8TextAt(page, 1250, R2 + 5), "=>");
  EXPECT_EQ(Utf8TextAt(page, 1320, R2 + 40), "3.16.4");
  EXPECT_EQ(Utf8TextAt(page, 1280, R2 + 75), "  3.5( 1人)");
}

TEST_F(RaceReportTest, OnePagePerListedRaceInListOrder) {
  SetUpRace(2);
  day->RaceRecords.Set(1, MakeRecord("RA", {{kHdr_RaceKey, "2024042105010812"}, {kRA_Entered, "00"}}));
  const PrintDocument doc = BuildRaceReport(*day, {1, 0});
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_FALSE(doc.landscape);
  EXPECT_EQ(Utf8TextAt(doc.pages[0], 55, 245), "12");
  EXPECT_EQ(Utf8TextAt(doc.pages[1], 55, 245), "11");
}

TEST(GridPrint, TitleAndHeadingRowOnEveryPage) {
  TextGrid grid(200, 3);
  grid.SetRow(0, {J("開催日"), J("ﾄﾗｯｸ"), J("比較される馬")});
  for (int r = 1; r < grid.RowCount(); ++r) grid.SetRow(r, {Fmt("2024/01/%02d", r % 28 + 1), J("芝") + "1600", Fmt("row%d", r)});
  GridLayout layout;
  const std::string title = ComparisonPrintTitle(J("ホースＡ"), J("ホースＢ"));
  const PrintDocument doc = BuildGridPrint(grid, layout, title, PageArea{2870, 2000});
  EXPECT_TRUE(doc.landscape);
  ASSERT_GT(doc.pages.size(), 1u);
  std::vector<std::string> rowsSeen;
  for (const PrintPage& page : doc.pages) {
    EXPECT_EQ(Utf8TextAt(page, 0, 0), "ホースＡ vs ホースＢ");
    int headings = 0;
    for (const DrawOp& op : page.ops) {
      if (op.kind != DrawKind::Text) continue;
      if (op.text == J("開催日")) ++headings;
      if (op.text.starts_with("row")) rowsSeen.push_back(op.text);
      EXPECT_LE(op.x2, 2870);
      EXPECT_LE(op.y1, 2000);
    }
    EXPECT_EQ(headings, 1);
  }
  ASSERT_EQ(rowsSeen.size(), 199u);  // every data row once, in order
  EXPECT_EQ(rowsSeen.front(), "row1");
  EXPECT_EQ(rowsSeen.back(), "row199");
}

TEST(GridPrint, WideGridShrinksToThePageWidth) {
  TextGrid grid(2, 31);
  for (int c = 0; c < 31; ++c) {
    grid.Set(0, c, "HEAD");
    grid.Set(1, c, std::string(18, 'x'));
  }
  GridLayout layout;
  const PrintDocument doc = BuildGridPrint(grid, layout, "t", PageArea{2870, 2000});
  ASSERT_EQ(doc.pages.size(), 1u);
  int right = 0;
  for (const DrawOp& op : doc.pages[0].ops)
    if (op.kind == DrawKind::Text && op.text.size() == 18) right = std::max(right, op.x2);
  EXPECT_GT(right, 2600);
  EXPECT_LE(right, 2870);
}

}  // namespace
}  // namespace kv
