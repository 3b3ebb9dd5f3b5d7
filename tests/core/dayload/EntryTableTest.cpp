#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "DayFixture.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "workbench/EntryTable.h"
#include "workbench/RaceSelection.h"
#include "workbench/Workbench.h"

using namespace kv;
using Kind = test::RecordingUi::Kind;

namespace {

constexpr const char* kDate = "20110430";
constexpr const char* kNiigata = "04";

RaceDayModel& Model() {
  static RaceDayModel day;
  return day;
}

std::string ReadRef(const std::string& name) {
  std::ifstream in(fs::path(KORVANE_REFDATA) / "records" / name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// ---- entry table texts ----------------------------------------------------------------------

TEST(EntryTableRowTexts, ModelValuesBecomeCellTexts) {
  using Setup = std::function<void(std::string& se, TRaceAnalysis& a, TOutData& o)>;
  const std::string fb = J("　");
  struct Case {
    int col;
    Setup setup;
    std::string text;
  } cases[] = {
      {0, [](auto& se, auto&, auto&) { PutFld(se, kSE_Frame, "3"); }, " 3"},
      {1, [](auto&, auto&, auto&) {}, " 1"},
      {2, [](auto& se, auto&, auto&) { PutFld(se, kSE_HorseName, J("アイ　ウ　　　")); }, J("アイウ")},
      {3, [](auto& se, auto&, auto&) { PutFld(se, kSE_Sex, "1"), PutFld(se, kSE_Age, "03"); }, J("牡 3")},
      {4, [](auto& se, auto&, auto&) { PutFld(se, kSE_Jockey, J("武豊　　")); }, J("武豊　　")},
      {5, [](auto& se, auto&, auto&) { PutFld(se, kSE_Weight, "570"); }, "57.0"},
      {6, [](auto& se, auto&, auto&) { PutFld(se, kSE_Apprentice, "3"); }, J("3kg減")},
      {6, [](auto&, auto&, auto&) {}, fb},
      {8, [](auto&, auto&, auto&) {}, fb},
      {8, [](auto&, auto& a, auto&) { a.Wins[0] = 3; }, " 3"},
      {10, [](auto&, auto& a, auto&) { a.WinsRevRank[0] = 12; }, "12"},
      {12, [](auto&, auto&, auto&) {}, "     "},
      {12, [](auto&, auto& a, auto&) { a.WinRate[0] = 0.5; }, " 50.0"},
      {14, [](auto&, auto&, auto&) {}, "  "},
      {14, [](auto&, auto& a, auto&) { a.PointWins[0] = 120; }, " 120"},
      {16, [](auto&, auto&, auto&) {}, fb},
      {17, [](auto&, auto& a, auto&) { a.PointWinRate[0] = 1.0 / 3; }, " 33.3"},
      {18, [](auto&, auto&, auto&) {}, fb},
      {19, [](auto&, auto&, auto&) {}, fb + fb + fb},
      {19, [](auto&, auto&, auto& o) { o.WinOdds[0] = -1.0; }, fb + fb + fb},
      {19, [](auto&, auto&, auto& o) { o.WinOdds[0] = 12.3; }, "  12.3"},
      {20, [](auto&, auto&, auto& o) { o.WinPopularity[0] = 2; }, " 2"},
      {21, [](auto&, auto&, auto&) {}, "   "},
      {22, [](auto&, auto& a, auto&) { a.Betrayed[0] = 4; }, "  4"},
      {23, [](auto&, auto&, auto&) {}, "     "},
      {23, [](auto&, auto& a, auto&) { a.BetrayalRate[0] = 0.25; }, " 25.0"},
      {27, [](auto&, auto& a, auto&) { a.FinishText[0] = " 1"; }, " 1"},
      {27, [](auto&, auto& a, auto&) { a.FinishText[0] = "00"; }, fb},
      {28, [](auto&, auto& a, auto&) { a.RaceTimeText[0] = "1345"; }, "1.34.5"},
      {28, [](auto&, auto& a, auto&) { a.RaceTimeText[0] = "0000"; }, "      "},
      {28, [](auto&, auto&, auto&) {}, "      "},
      {29, [](auto& se, auto&, auto&) { PutFld(se, kSE_WinOdds, "0123"); }, " 12.3"},
      {29, [](auto& se, auto&, auto&) { PutFld(se, kSE_WinOdds, "0000"); }, "     "},
      {30, [](auto& se, auto&, auto&) { PutFld(se, kSE_Popularity, "05"); }, " 5"},
      {30, [](auto& se, auto&, auto&) { PutFld(se, kSE_Popularity, "00"); }, fb},
  };
  RaceDayModel& day = Model();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "column " << c.col << " -> \"" << ToUtf8(c.text) << "\"");
    day.Reset();
    day.ClearRecords();
    day.RaceRecords.Set(0, test::Ra(kDate, kNiigata, 1, 16));
    std::string se = test::Se(kDate, kNiigata, 1, 1);
    c.setup(se, day.RaceAnalysis(0), day.OutData(0));
    day.EntryRecords.Set(RaceDayModel::EntryIndex(0, 0), se);
    EXPECT_EQ(EntryTableRow(day, 0, 0)[static_cast<size_t>(c.col)], c.text);
  }
}

// ---- drawing and mouse ------------------------------------------------------------------------

TEST(EntryTableStyle, FrameColoursRankColoursAndBoldColumns) {
  TextGrid g(2, kEntryTableCols);
  g.Set(1, 0, " 3");
  g.Set(1, 9, " 1");
  g.Set(1, 13, " 2");
  g.Set(1, 20, J("　"));
  g.Set(1, 27, "10");
  const CellColor red = CellColor::Rgb(255, 0, 0), blue = CellColor::Rgb(0, 0, 255);
  auto st = [&](int row, int col) { return EntryTableCellStyle(g, row, col); };
  EXPECT_EQ(st(0, 5).background, CellColor::Rgb(192, 192, 192));
  EXPECT_EQ(st(1, 0).background, red);
  EXPECT_EQ(FrameColor(7), CellColor::Rgb(255, 128, 0));
  EXPECT_EQ(st(1, 1).background, CellColor::ToolTipBackground());
  EXPECT_EQ(st(1, 9).foreground, red);
  EXPECT_TRUE(st(1, 9).bold);
  EXPECT_EQ(st(1, 13).foreground, blue);
  EXPECT_TRUE(st(1, 20).bold);
  EXPECT_TRUE(st(1, 20).foreground.IsDefault());
  EXPECT_TRUE(st(1, 27).foreground.IsDefault());
  EXPECT_FALSE(st(1, 8).bold);
  EXPECT_EQ(st(1, 8).background, CellColor::Rgb(255, 206, 206));
  EXPECT_EQ(st(1, 17).background, CellColor::Rgb(198, 255, 198));
  EXPECT_EQ(st(1, 22).background, CellColor::Rgb(227, 227, 255));
  EXPECT_EQ(st(1, 29).background, CellColor::Rgb(196, 255, 255));
  EXPECT_TRUE(st(1, 25).bold);
  EXPECT_EQ(st(1, 2).align, CellAlign::Left);
  EXPECT_EQ(st(1, 3).align, CellAlign::Center);
}

TEST(EntryTableMouse, MarkCellsToggleOnlyOnRunnerRows) {
  TextGrid g(3, kEntryTableCols);
  g.Set(1, 1, " 4");  // row 2 has no horse
  EXPECT_FALSE(ToggleMark(g, 0, 25));
  EXPECT_FALSE(ToggleMark(g, 2, 25));
  EXPECT_FALSE(ToggleMark(g, 1, 23));
  EXPECT_TRUE(ToggleMark(g, 1, 25));
  EXPECT_EQ(g.At(1, 25), J("ν"));
  EXPECT_TRUE(ToggleMark(g, 1, 25));
  EXPECT_EQ(g.At(1, 25), "");
  EXPECT_TRUE(IsMarkColumnCell(g, 1, 24));
  EXPECT_FALSE(IsMarkColumnCell(g, 0, 24));
}

TEST(EntryTableMouse, ClicksPickHorseAThenReplaceHorseB) {
  RaceDayModel& day = Model();
  day.ClearRecords();
  day.RaceRecords.Set(0, test::Ra(kDate, kNiigata, 1, 3));
  TextGrid g(4, kEntryTableCols);
  for (int h = 1; h <= 3; ++h) {
    day.EntryRecords.Set(RaceDayModel::EntryIndex(0, h - 1), test::Se(kDate, kNiigata, 1, h));
    // Rows in reverse horse order, as after a sort.
    g.Set(4 - h, 1, Fmt("%2d", h));
    g.Set(4 - h, 2, "HORSE" + std::to_string(h));
    g.Set(4 - h, 5, Fmt("5%d.0", h));
  }
  ComparePick pick;
  EXPECT_FALSE(PickCompareHorse(pick, g, day, 0, 0, 2));  // heading row
  EXPECT_FALSE(PickCompareHorse(pick, g, day, 0, 1, 3));  // not a pick column
  EXPECT_TRUE(PickCompareHorse(pick, g, day, 0, 1, 2));
  EXPECT_EQ(pick.nameA, "HORSE3");
  EXPECT_EQ(pick.weightA, "53.0");
  EXPECT_EQ(pick.horseIdA, test::HorseIdOf(1, 3));
  EXPECT_FALSE(PickCompareHorse(pick, g, day, 0, 1, 0));  // horse A again
  EXPECT_TRUE(PickCompareHorse(pick, g, day, 0, 2, 0));
  EXPECT_EQ(pick.horseIdB, test::HorseIdOf(1, 2));
  EXPECT_TRUE(PickCompareHorse(pick, g, day, 0, 3, 1));
  EXPECT_EQ(pick.nameB, "HORSE1");
  EXPECT_EQ(pick.nameA, "HORSE3");
}

// ---- race header and results tab --------------------------------------------------------------

TEST(RaceHeaderLabels, RealG1Race) {
  if (!fs::exists(fs::path(KORVANE_REFDATA) / "records" / "RA_3.txt")) GTEST_SKIP() << "reference records not present";
  RaceDayModel& day = Model();
  day.ClearRecords();
  day.RaceRecords.Set(0, ReadRef("RA_3.txt"));  // 2011-05-01 Kyoto R11, 天皇賞（春）
  const RaceHeader h = BuildRaceHeader(day, 0);
  std::string blanks;
  for (int i = 0; i < 24; ++i) blanks += "　";
  EXPECT_EQ(ToUtf8(h.label1), "2011年05月01日(日)京都03回04日11R   15.40発走");
  EXPECT_EQ(ToUtf8(h.label2), "第143回 天皇賞（春）" + blanks);
  EXPECT_EQ(ToUtf8(h.label3), "18頭  3200ﾒｰﾄﾙ 芝 右回り 外回り G1    サラ系４歳上 (国際)(指定)　　　　　　");
  EXPECT_EQ(ToUtf8(h.label4), "定量   4歳:オープン 5歳以上:オープン");
  EXPECT_EQ(h.panel, CellColor::Rgb(0, 128, 0));
  EXPECT_EQ(ToUtf8(h.venue), "京都");
  EXPECT_EQ(h.raceNo, "11");

  day.RaceRecords.Set(0, ReadRef("RA_2.txt"));  // dirt
  EXPECT_EQ(BuildRaceHeader(day, 0).panel, CellColor::Rgb(170, 166, 106));
}

TEST(ResultsTabLines, PaidEntriesShownTheRestEmpty) {
  TRaceAnalysis a;
  ReadPayoutFields(a, test::MakeRecord("HR", {{kHR_Win.combo.At(0), "03"},
                                              {kHR_Win.pop.At(0), "01"},
                                              {kHR_Win.pay.At(0), "      450"},
                                              {kHR_Quinella.combo.At(0), "0210"},
                                              {kHR_Quinella.pay.At(0), "     1230"},
                                              {kHR_Trio.combo.At(0), "010203"}}));
  const ResultsTab t = BuildResultsTab(a);
  ASSERT_EQ(t.groups[0].size(), 3u);
  EXPECT_EQ(t.groups[0][0], (ResultLine{" 3", " 1", "     450"}));
  EXPECT_EQ(t.groups[0][1], ResultLine{});
  EXPECT_EQ(t.groups[1].size(), 5u);
  for (const ResultLine& l : t.groups[2]) EXPECT_EQ(l, ResultLine{});  // no bracket quinella paid
  EXPECT_EQ(t.groups[3][0].result, " 2-10");
  EXPECT_EQ(t.groups[3][0].payout, "    1230");
  EXPECT_EQ(t.groups[6][0].result, " 1- 2- 3");
  EXPECT_EQ(t.groups[7].size(), 6u);
}

// ---- the workbench commands -----------------------------------------------------------------

struct DayBench {
  test::DayFolder f;
  test::RecordingUi ui;
  test::SetClock clock{DateTime{2024, 5, 26, 9, 30, 0, 0}};
  test::ScriptedJVLink jv;
  test::RecordingDesktop desktop;
  std::unique_ptr<Workbench> wb;
  std::string dayName = DayNameFromDate(kDate);

  // Niigata R1 with 16 runners and R2 with 10.
  DayBench() {
    f.WriteRaces(dayName, {test::Ra(kDate, kNiigata, 1, 16), test::Ra(kDate, kNiigata, 2, 10)});
    std::vector<std::string> ses;
    for (int h = 1; h <= 16; ++h) ses.push_back(test::Se(kDate, kNiigata, 1, h, (h + 1) / 2));
    for (int h = 1; h <= 10; ++h) ses.push_back(test::Se(kDate, kNiigata, 2, h, h <= 8 ? h : 8));
    f.WriteEntries(dayName, kNiigata, ses);
    wb = std::make_unique<Workbench>(f.prog(), ui, clock, jv, desktop);
    EXPECT_TRUE(wb->Start());
    EXPECT_TRUE(wb->GetSettings().WriteBool("AllRace", "ExecComp", false));
  }
};

TEST(WorkbenchDay, LoadingSelectsTheFirstRaceWithEmptyComparisonTables) {
  DayBench b;
  Workbench& wb = *b.wb;
  EXPECT_EQ(wb.DayList(), std::vector<std::string>{b.dayName});
  wb.LoadDay(b.dayName);
  EXPECT_EQ(wb.RaceList(), (std::vector<std::string>{J("新潟 1R"), J("新潟 2R")}));
  EXPECT_EQ(wb.SelectedListIndex(), 0);
  EXPECT_TRUE(wb.AnalysisVisible());
  EXPECT_FALSE(wb.RemainTimeLabelVisible());
  EXPECT_EQ(wb.RaceStepMax(), 1);
  EXPECT_EQ(wb.ResultTimerIntervalMs(), 10 * 60000);
  EXPECT_FALSE(wb.ChangeInfoTimerEnabled());

  const MainGrids& g = wb.Grids();
  EXPECT_EQ(g.entry.RowCount(), 17);
  EXPECT_EQ(g.entry.At(16, 1), "16");
  EXPECT_EQ(g.entry.At(16, 0), " 8");
  EXPECT_EQ(g.entry.At(1, 8), J("　"));
  EXPECT_EQ(g.compareDetail.RowCount(), 121);
  EXPECT_EQ(g.compareDetail.At(120, 1), "15");
  EXPECT_EQ(g.compareDetail.At(120, 7), "16");
  for (int row = 1; row < g.compareDetail.RowCount(); ++row) {
    EXPECT_EQ(g.compareDetail.At(row, 3), "  0");
    EXPECT_EQ(g.compareDetail.At(row, 6), "");
  }
  EXPECT_EQ(g.winLoss.RowCount(), 17);
  EXPECT_EQ(g.winLoss.ColCount(), 17);
  EXPECT_EQ(g.winLoss.At(0, 16), "16");
  EXPECT_EQ(g.detailEntry.RowCount(), 17);
  EXPECT_EQ(g.detailEntry.At(3, 2), "HORSE3");
  EXPECT_EQ(wb.CompareStatus(), J("集計が未実行です。「全レース比較」ボタンをクリックして集計してください。"));
  EXPECT_EQ(ToUtf8(wb.Header().label1), "2011年04月30日()新潟01回03日01R   15.25発走");
  EXPECT_EQ(wb.Day()->StakeList[0], "3000");

  wb.StepRace(5);  // clamped to the last race
  EXPECT_EQ(wb.SelectedListIndex(), 1);
  EXPECT_EQ(wb.Day()->SelectedRace, 1);
  EXPECT_EQ(wb.Day()->WorkRace, 1);
  EXPECT_EQ(g.entry.RowCount(), 11);
  EXPECT_EQ(g.compareDetail.RowCount(), 46);
  EXPECT_EQ(g.winLoss.RowCount(), 11);
}

TEST(WorkbenchDay, CopyMarksAndComparisonPicks) {
  DayBench b;
  Workbench& wb = *b.wb;
  wb.LoadDay(b.dayName);
  wb.SelectRace(1);

  wb.EntryTablePress(2, 24);
  EXPECT_EQ(wb.Grids().entry.At(2, 24), J("ν"));
  wb.EntryTablePress(0, 24);  // heading: nothing
  EXPECT_EQ(wb.Grids().entry.At(0, 24), J("◎"));
  wb.EntryTablePress(3, 2);
  wb.EntryTablePress(5, 0);
  EXPECT_EQ(wb.CompareHorses().horseIdA, test::HorseIdOf(2, 3));
  EXPECT_EQ(wb.CompareHorses().horseIdB, test::HorseIdOf(2, 5));

  wb.CopyEntryTable();
  const std::string& clip = b.desktop.clipboard;
  const RaceHeader& h = wb.Header();
  const std::string lead = h.label1 + "\r\n" + h.label2 + "\r\n" + h.label3 + "\r\n" + h.label4 + "\r\n";
  ASSERT_EQ(clip.substr(0, lead.size()), lead);
  const std::string rest = clip.substr(lead.size());
  EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 11);  // heading + 10 runners
  EXPECT_EQ(std::count(rest.begin(), rest.end(), '\t'), 11 * 30);
  EXPECT_EQ(rest.substr(0, 3), J("枠") + "\t");

  wb.SelectRace(0);  // a new race forgets the picks
  EXPECT_TRUE(wb.CompareHorses().nameA.empty());
}

TEST(WorkbenchDay, TodayStartsTheChangeTimerAndAMissingDayLoadsNothing) {
  DayBench b;
  Workbench& wb = *b.wb;
  b.clock.Set(2011, 4, 30, 9, 0);
  wb.LoadDay(b.dayName);
  EXPECT_TRUE(wb.RemainTimeLabelVisible());
  EXPECT_TRUE(wb.ChangeInfoTimerEnabled());
  EXPECT_TRUE(wb.Day()->TodayLoaded);

  b.ui.Clear();
  const std::string other = DayNameFromDate("20110501");
  wb.LoadDay(other);
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{other + J("のデータ作成は未完了のようです。")});
  EXPECT_TRUE(wb.RaceList().empty());
  EXPECT_FALSE(wb.AnalysisVisible());
}

}  // namespace
