// The cells of the detailed entry table, drawn from the race-day model.
#include <gtest/gtest.h>

#include "DayFixture.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "workbench/DetailEntryTable.h"
#include "workbench/RaceSelection.h"

using namespace kv;

namespace {

RaceDayModel& Model() {
  static RaceDayModel day;
  return day;
}

// The texts of a cell, line by line, pieces joined with "|".
std::vector<std::string> Lines(const DrawnCell& c) {
  std::vector<std::string> lines;
  for (const DrawnText& t : c.texts) {
    if (static_cast<int>(lines.size()) <= t.line) lines.resize(static_cast<size_t>(t.line) + 1);
    std::string& l = lines[static_cast<size_t>(t.line)];
    if (!l.empty()) l += "|";
    l += ToUtf8(t.text);
  }
  return lines;
}

const DrawnText* Piece(const DrawnCell& c, int line, int x) {
  for (const DrawnText& t : c.texts)
    if (t.line == line && t.x == x) return &t;
  return nullptr;
}

// A past run at Tokyo in the 2nd meeting, a G3 turf mile, won by horse 7 with every field set.
std::string FullRun() {
  std::string l(kLineLenPastRun, ' ');
  PutFld(l, 1, 8, "20110205");
  PutFld(l, 9, 2, "05");
  PutFld(l, 11, 2, "02");
  PutFld(l, 17, 6, J("東新　"));
  PutFld(l, 23, 1, "C");
  PutFld(l, 30, 3, "999");
  PutFld(l, 41, 4, "1600");
  PutFld(l, 45, 2, "11");
  PutFld(l, 47, 2, "16");
  PutFld(l, 53, 1, "2");
  PutFld(l, 55, 1, "1");
  PutFld(l, 84, 2, "07");
  PutFld(l, 90, 3, "560");
  PutFld(l, 94, 8, J("北村宏"));
  PutFld(l, 112, 3, "486");
  PutFld(l, 119, 8, "03030201");
  PutFld(l, 130, 3, "345");
  PutFld(l, 133, 4, "1345");
  PutFld(l, 139, 2, "01");
  PutFld(l, 141, 2, "02");
  PutFld(l, 147, 8, "00003800");
  PutFld(l, 155, 8, "00000050");
  return l + "\r\n";
}

class DetailEntryTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RaceDayModel& d = Model();
    d.ClearRecords();
    d.Reset();
    d.RaceRecords.Set(0, test::Ra("20110430", "04", 1, 3));
    for (int h = 1; h <= 3; ++h) d.EntryRecords.Set(RaceDayModel::EntryIndex(0, h - 1), test::Se("20110430", "04", 1, h));
  }
};

TEST_F(DetailEntryTableTest, FrameNumberColours) {
  RaceDayModel& d = Model();
  struct Case {
    int frame;
    CellColor background, number;
  } cases[] = {
      {1, CellColor::Rgb(255, 255, 255), CellColor::Rgb(0, 0, 0)},
      {3, CellColor::Rgb(255, 0, 0), CellColor::Rgb(255, 255, 255)},
      {5, CellColor::Rgb(255, 255, 0), CellColor::Rgb(0, 0, 0)},
      {7, CellColor::Rgb(255, 128, 0), CellColor::Rgb(255, 255, 255)},
  };
  for (const Case& c : cases) {
    d.EntryRecords.Set(0, test::Se("20110430", "04", 1, 1, c.frame));
    const DrawnCell cell = DetailEntryCell(d, 0, 1, 0);
    EXPECT_EQ(cell.background, c.background) << c.frame;
    ASSERT_EQ(cell.texts.size(), 1u);
    EXPECT_EQ(cell.texts[0].text, std::to_string(c.frame));
    EXPECT_EQ(cell.texts[0].color, c.number) << c.frame;
    EXPECT_TRUE(cell.texts[0].bold);
    EXPECT_EQ(cell.texts[0].pointSize, 10);
  }
  EXPECT_EQ(DetailEntryCell(d, 0, 2, 1).background, CellColor::ToolTipBackground());
  EXPECT_EQ(DetailEntryCell(d, 0, 2, 1).texts.at(0).text, " 2");
  EXPECT_TRUE(DetailEntryCell(d, 0, 0, 2).texts.empty());  // the heading row is the grid's own
}

TEST_F(DetailEntryTableTest, AHorseWithoutPastRunsShowsZerosAndGreyCells) {
  RaceDayModel& d = Model();
  const auto horse = Lines(DetailEntryCell(d, 0, 1, 2));
  ASSERT_GE(horse.size(), 5u);
  EXPECT_EQ(horse[0], "HORSE1            ");  // the first 18 bytes of the name
  EXPECT_EQ(horse[1].substr(horse[1].find('|')), "|      0千円| ");
  EXPECT_EQ(Lines(DetailEntryCell(d, 0, 1, 3)),
            (std::vector<std::string>{"全: 0- 0- 0- 0", "短: 0- 0- 0- 0", "中: 0- 0- 0- 0", "長: 0- 0- 0- 0"}));
  EXPECT_EQ(Lines(DetailEntryCell(d, 0, 1, 4)),
            (std::vector<std::string>{"芝全: 0- 0- 0- 0", "芝重: 0- 0- 0- 0", "ダ全: 0- 0- 0- 0", "ダ重: 0- 0- 0- 0"}));
  EXPECT_EQ(DetailEntryCell(d, 0, 1, 3).texts[1].dy, 5);  // the distance lines sit five pixels lower
  const DrawnCell run = DetailEntryCell(d, 0, 1, 5);
  EXPECT_EQ(run.background, CellColor::Rgb(213, 213, 213));
  EXPECT_TRUE(run.texts.empty());
}

TEST_F(DetailEntryTableTest, PastRunCellLines) {
  RaceDayModel& d = Model();
  d.PastRuns.Set(RaceDayModel::PastRunIndex(0, 0, 0), FullRun());
  d.PastRunMark(0, 0, 0) = 2;
  const DrawnCell cell = DetailEntryCell(d, 0, 1, 5);
  EXPECT_EQ(cell.background, CellColor::Rgb(255, 255, 255));
  EXPECT_EQ(Lines(cell), (std::vector<std::string>{
                             "2東京02.05G3 東新",
                             "16頭1600m芝左晴稍重",
                             "北村宏  56.0kg⑦ 2人| 1",
                             "1345 前:360 後:345",
                             "③③②①486kg   3850千円",
                             "裏切",
                         }));
  const DrawnText* place = Piece(cell, 2, 125);
  ASSERT_TRUE(place);
  EXPECT_EQ(place->color, CellColor::Rgb(255, 0, 0));
  EXPECT_EQ(place->pointSize, 9);
  EXPECT_TRUE(place->bold);
  EXPECT_EQ(cell.texts.back().color, CellColor::Rgb(128, 0, 0));
  EXPECT_EQ(cell.texts.back().dy, -2);
}

TEST_F(DetailEntryTableTest, UnfinishedRunShowsBlanksAndDashes) {
  RaceDayModel& d = Model();
  std::string run = FullRun();
  PutFld(run, 17, 6, J("　　　"));  // no short name: the class text
  PutFld(run, 30, 3, "005");
  PutFld(run, 112, 3, "000");
  PutFld(run, 119, 8, "03040000");
  PutFld(run, 130, 3, "000");
  PutFld(run, 133, 4, "0000");
  PutFld(run, 139, 2, "00");
  d.PastRuns.Set(RaceDayModel::PastRunIndex(0, 1, 0), run);
  d.PastRunMark(0, 1, 0) = 1;
  const DrawnCell cell = DetailEntryCell(d, 0, 2, 5);
  const auto lines = Lines(cell);
  EXPECT_EQ(lines[0], "2東京02.05G3 500下");
  EXPECT_EQ(lines[2].substr(lines[2].find('|')), "| ");
  EXPECT_EQ(lines[3], "     前:    後:   ");
  EXPECT_EQ(lines[4], "③④－－        3850千円");
  EXPECT_EQ(lines[5], "順当");
  EXPECT_EQ(cell.texts.back().color, CellColor::Rgb(0, 0, 255));
  EXPECT_EQ(Piece(cell, 2, 125)->color, CellColor::Rgb(0, 0, 0));
}

TEST(DetailEntryClassText, ConditionCodes) {
  const std::pair<int, const char*> cases[] = {{1, "100下"}, {16, "1600下"}, {99, "9900下"}, {100, "1億下"},
                                               {701, "新馬"}, {702, "未出走"}, {703, "未勝利"}, {999, "ｵｰﾌﾟﾝ"},
                                               {0, " "},      {500, " "}};
  for (const auto& [code, text] : cases) EXPECT_EQ(ToUtf8(PastRunClassText(code)), text) << code;
}

TEST_F(DetailEntryTableTest, HeadingsNumberTheMostStoredRuns) {
  RaceDayModel& d = Model();
  for (int j = 0; j < 3; ++j) d.PastRuns.Set(RaceDayModel::PastRunIndex(0, 0, j), FullRun());
  for (int j = 0; j < 7; ++j) d.PastRuns.Set(RaceDayModel::PastRunIndex(0, 2, j), FullRun());
  TextGrid g(4, kDetailFirstPastRunCol + kMaxPastRuns);
  g.Set(0, 20, "old");
  FillPastRunHeadings(g, d, 0);
  EXPECT_EQ(ToUtf8(g.At(0, 5)), "  1走前");
  EXPECT_EQ(ToUtf8(g.At(0, 11)), "  7走前");
  EXPECT_EQ(g.At(0, 12), "");
  EXPECT_EQ(g.At(0, 20), "");
  EXPECT_EQ(DetailEntryCell(d, 0, 1, 8).background, CellColor::Rgb(213, 213, 213));
  EXPECT_EQ(DetailEntryCell(d, 0, 3, 11).background, CellColor::Rgb(255, 255, 255));
}

}  // namespace
