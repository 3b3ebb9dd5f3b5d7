// The bet window's views: heading sorts with the shared direction flags, the secondary order,
// the cell and summary colours, "消" toggling with re-allocation on a loaded day, the active tab
// and geometry in the settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "WorkbenchBench.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "app/Files.h"
#include "bets/BetTableViews.h"
#include "bets/BetTables.h"
#include "bets/Marking.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

using test::MakeRecord;

// A table of `type` with one row per {combination, odds, popularity}, "No." in build order.
TextGrid Table(BetType type, const std::vector<std::vector<std::string>>& rows) {
  TextGrid g = EmptyBetTable(type);
  g.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    g.Set(r, kColNo, Fmt("%3d", r));
    g.Set(r, kColCombo, rows[i][0]);
    g.Set(r, kColOdds, rows[i][1]);
    g.Set(r, kColPopularity, rows[i][2]);
  }
  return g;
}

// The "No." column read as numbers, top to bottom.
std::vector<int> NoOrder(const TextGrid& g) {
  std::vector<int> out;
  for (int r = 1; r < g.RowCount(); ++r) out.push_back(ParseInt(g.At(r, kColNo)));
  return out;
}

const std::vector<std::vector<std::string>> kFourRows = {
    {" 1- 2", "   25.0", "  4"}, {" 1- 3", "    4.0", "  2"}, {" 1- 4", "   10.0", "  3"}, {" 1- 5", "    2.5", "  1"}};

TEST(BetTableSort, HeadingPressesFlipSharedFlags) {
  // One table per type, all with the same rows; each step presses a heading of one table and
  // states the order that table then shows. The four pair tables share their flags.
  struct Step {
    BetType type;
    int col;
    std::vector<int> order;
  };
  const std::vector<int> oddsDesc = {1, 3, 2, 4}, oddsAsc = {4, 2, 3, 1};
  const Step steps[] = {
      {BetType::Quinella, kColOdds, oddsDesc},  // first press: descending
      {BetType::Quinella, kColOdds, oddsAsc},   // second press: ascending
      {BetType::Quinella, kColOdds, oddsDesc},
      {BetType::Wide, kColOdds, oddsAsc},       // the flag is shared with 馬連
      {BetType::Exacta, kColOdds, oddsDesc},
      {BetType::Bracket, kColOdds, oddsAsc},
      {BetType::Win, kColOdds, oddsDesc},       // win, place, trio, trifecta have their own sets
      {BetType::Place, kColOdds, oddsDesc},
      {BetType::Trio, kColOdds, oddsDesc},
      {BetType::Trifecta, kColOdds, oddsDesc},
      {BetType::Win, kColNo, {4, 3, 2, 1}},     // "No." descending: reverse build order
      {BetType::Win, kColNo, {1, 2, 3, 4}},     // again: the build order back
      {BetType::Wide, kColCombo, {4, 3, 2, 1}},
  };
  std::array<TextGrid, kBetTypeCount> tables;
  for (BetType t : kAllBetTypes) tables[Index(t)] = Table(t, kFourRows);
  SortDirections dirs;
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    EXPECT_TRUE(PressBetTableHeading(tables[Index(s.type)], s.type, s.col, dirs));
    EXPECT_EQ(NoOrder(tables[Index(s.type)]), s.order);
  }
  // Whole rows moved: each combination still sits beside its own odds.
  const TextGrid& wide = tables[Index(BetType::Wide)];
  for (int r = 1; r < wide.RowCount(); ++r) {
    const auto& src = kFourRows[static_cast<size_t>(ParseInt(wide.At(r, kColNo)) - 1)];
    EXPECT_EQ(wide.At(r, kColCombo), src[0]);
    EXPECT_EQ(wide.At(r, kColOdds), src[1]);
  }
  // The "消" heading sorts nothing and flips nothing.
  TextGrid win = tables[Index(BetType::Win)];
  EXPECT_FALSE(PressBetTableHeading(win, BetType::Win, kColDelete, dirs));
  EXPECT_EQ(win, tables[Index(BetType::Win)]);
}

TEST(BetTableSort, TiesAndByteOrder) {
  // Popularity ties: within a run of equal texts the rows stay in "No." order, in both directions.
  TextGrid g = Table(BetType::Quinella, {{" 1- 2", "    5.0", "  2"},
                                         {" 1- 3", "    6.0", "  1"},
                                         {" 1- 4", "    7.0", "  2"},
                                         {" 1- 5", "    8.0", "  1"}});
  SortBetTableRows(g, kColPopularity, true);
  EXPECT_EQ(NoOrder(g), (std::vector<int>{1, 3, 2, 4}));
  SortBetTableRows(g, kColPopularity, false);
  EXPECT_EQ(NoOrder(g), (std::vector<int>{2, 4, 1, 3}));

  // An empty cell sorts first, a shorter text before a longer one with the same beginning, and
  // bytes compare unsigned (a double-byte lead byte after every ASCII byte).
  TextGrid b = Table(BetType::Quinella, {{" 1- 2", "x", ""}, {" 1- 3", "", ""}, {" 1- 4", J("消"), ""}, {" 1- 5", "xy", ""}});
  SortBetTableRows(b, kColOdds, false);
  EXPECT_EQ(NoOrder(b), (std::vector<int>{2, 1, 4, 3}));

  // Sorting by "No.": equal numbers fall back to the combination.
  TextGrid n = Table(BetType::Quinella, {{" 2- 3", "", ""}, {" 1- 2", "", ""}, {" 1- 5", "", ""}});
  n.Set(1, kColNo, "  1");
  n.Set(2, kColNo, "  1");
  n.Set(3, kColNo, "  0");
  SortBetTableRows(n, kColNo, false);
  EXPECT_EQ(n.At(1, kColCombo), " 1- 5");
  EXPECT_EQ(n.At(2, kColCombo), " 1- 2");
  EXPECT_EQ(n.At(3, kColCombo), " 2- 3");
}

TEST(BetTableColours, PaidCombinationIsMagenta) {
  const std::string hr = MakeRecord("HR", {{kHR_Win.combo.At(0), "05"},
                                           {kHR_Quinella.combo.At(0), "0307"},
                                           {kHR_Trio.combo.At(0), "030712"}});
  const CellColor magenta = CellColor::Rgb(255, 0, 255), white = CellColor::Rgb(255, 255, 255);
  struct Case {
    BetType type;
    std::string combo;
    CellColor col2;
  };
  const Case cases[] = {
      {BetType::Quinella, " 3- 7", magenta}, {BetType::Wide, " 3- 7", white},  // another bet type's payout
      {BetType::Quinella, " 3-12", white},   {BetType::Quinella, " 7- 3", white},
      {BetType::Win, " 5", magenta},         {BetType::Win, " 6", white},
      {BetType::Trio, " 3- 7-12", magenta},  {BetType::Trio, "", white},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(TabCaption(c.type)) + " [" + c.combo + "]");
    const TextGrid g = Table(c.type, {{c.combo, "   10.0", "  1"}});
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 1, kColCombo).background, c.col2);
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 0, kColCombo).background, CellColor::Rgb(201, 146, 146));
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 1, kColNo).background, CellColor::Rgb(193, 255, 193));
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 1, kColDelete).background, white);
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 1, kColOdds).background, white);
    EXPECT_EQ(BetTableCellStyle(g, c.type, hr, 1, kColOdds).align, CellAlign::Center);
  }
  // No race settled: nothing is paid.
  const TextGrid g = Table(BetType::Win, {{" 5", "    3.0", " 1"}});
  EXPECT_EQ(BetTableCellStyle(g, BetType::Win, test::BlankRecord("HR"), 1, kColCombo).background, white);

  // Summary labels: the active tab's four labels stand out.
  for (BetType t : kAllBetTypes)
    EXPECT_EQ(SummaryLabelBackground(t, 3),
              t == BetType::Quinella ? CellColor::Rgb(172, 181, 255) : CellColor::Rgb(255, 251, 240));
}

// A workbench with one race of four runners loaded, quinella odds published, horse 1 marked ◎ and
// horses 2-4 marked ▲, and the race settled with quinella 1-3.
struct BetBench : test::WorkbenchBench {
  const std::string key = "2011043005020301";
  int race = -1;

  BetBench() {
    EXPECT_TRUE(wb.Start());
    const std::string dayName = J("2011年04月30日");
    const std::string ras = MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, "04"}, {kRA_PostTime, "1000"}});
    std::string entries;
    for (int h = 1; h <= kMaxRunners; ++h)
      entries += h <= 4 ? MakeRecord("SE", {{kHdr_RaceKey, key},
                                            {kSE_Frame, Fmt("%d", h)},
                                            {kSE_HorseNum, Fmt("%02d", h)},
                                            {kSE_HorseId, Fmt("20080000%02d", h)}})
                        : std::string(kLineLenSE, ' ') + "\r\n";
    const std::string hr = MakeRecord("HR", {{kHdr_RaceKey, key}, {kHR_Quinella.combo.At(0), "0103"},
                                             {kHR_Quinella.pay.At(0), "000000730"}, {kHR_Quinella.pop.At(0), "002"}});
    fs::create_directories(dir / "DATA");
    const std::string raceFile = dayName + J(".jvRA");
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), raceFile), ras));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), EntryFileName(raceFile, "05")), entries));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), dayName + ".jvHR"), hr));
    wb.LoadDay(dayName);
    EXPECT_EQ(wb.SelectedListIndex(), 0);
    race = wb.Day()->SelectedRace;

    RaceDayModel& day = *wb.Day();
    day.OddsRecords(2).Set(race, MakeRecord("O2", {{kHdr_RaceKey, key}}));
    TOutData& out = day.OutData(race);
    const double odds[] = {2.5, 4.0, 10.0};
    for (int b = 2; b <= 4; ++b) {
      out.QuinellaOdds[QuinellaComboNo(Fmt("%2d-%2d", 1, b)) - 1] = odds[b - 2];
      out.QuinellaPopularity[QuinellaComboNo(Fmt("%2d-%2d", 1, b)) - 1] = b - 1;
    }
    TextGrid& entry = wb.Grids().entry;
    for (int col : {kMarkColAxis1, kMarkColAxis2, kMarkColPartner}) ClearMarks(entry, col);
    for (int row = 1; row <= 4; ++row) {
      if (ParseInt(entry.At(row, kEntryColHorse)) == 1) wb.EntryTablePress(row, kMarkColAxis1);
      else wb.EntryTablePress(row, kMarkColPartner);
    }
  }
  const TextGrid& Quinella() const { return wb.Bets().State().Table(BetType::Quinella); }
  const BetSummary& QSummary() const { return wb.Bets().State().Summary(BetType::Quinella); }
  std::vector<std::string> Stakes() const {
    std::vector<std::string> out;
    const int col = LayoutOf(BetType::Quinella).stakeCol;
    for (int r = 1; r < Quinella().RowCount(); ++r) out.push_back(Quinella().At(r, col));
    return out;
  }
};

TEST(BetWindow, DeletionMarkReallocatesTheRest) {
  BetBench b;
  BetWindowCommands& bets = b.wb.Bets();
  ASSERT_EQ(b.Quinella().RowCount(), 4);
  EXPECT_EQ(bets.State().AmountText(), "3000");  // the race's amount from the default stake
  EXPECT_EQ(b.Stakes(), (std::vector<std::string>{"  1000", "  1000", "  1000"}));

  // 消 on " 1- 3": the two others share the amount; a second click restores the row.
  EXPECT_TRUE(bets.PressCell(BetType::Quinella, 2, kColDelete));
  EXPECT_EQ(b.Quinella().At(2, kColDelete), J("消"));
  EXPECT_EQ(b.Stakes(), (std::vector<std::string>{"  1500", "", "  1500"}));
  EXPECT_EQ(b.QSummary().count, "  2");
  EXPECT_EQ(b.QSummary().total, "  3000");
  EXPECT_EQ(b.QSummary().actualReturn, "");  // the paid row is deleted
  EXPECT_TRUE(bets.PressCell(BetType::Quinella, 2, kColDelete));
  EXPECT_EQ(b.Quinella().At(2, kColDelete), "");
  EXPECT_EQ(b.Stakes(), (std::vector<std::string>{"  1000", "  1000", "  1000"}));
  EXPECT_EQ(b.QSummary().actualReturn, "    7300");

  // A click outside column 0 re-allocates without marking.
  EXPECT_TRUE(bets.PressCell(BetType::Quinella, 1, kColOdds));
  EXPECT_EQ(b.Quinella().At(1, kColDelete), "");

  // Every row deleted: 均等 leaves the labels empty; 比例 shows 0 bets and 0 yen, no rate.
  for (int r = 1; r <= 3; ++r) bets.PressCell(BetType::Quinella, r, kColDelete);
  EXPECT_EQ(b.QSummary().count, "");
  EXPECT_EQ(b.QSummary().total, "");
  bets.ChooseMode(1);
  bets.PressCell(BetType::Quinella, 1, kColOdds);
  EXPECT_EQ(b.QSummary().count, "  0");
  EXPECT_EQ(b.QSummary().total, "     0");
  EXPECT_EQ(b.QSummary().expectedRate, "");
  EXPECT_EQ(b.wb.GetSettings().GetInt("KaimeSet", "HaibunSet"), 1);

  // The next build forgets every mark.
  bets.Build();
  for (int r = 1; r <= 3; ++r) EXPECT_EQ(b.Quinella().At(r, kColDelete), "");
}

TEST(BetWindow, MarksRebuildAndEmptyTableTakesNoMark) {
  BetBench b;
  BetWindowCommands& bets = b.wb.Bets();
  // The paid combination is magenta through the window's own layout.
  const GridLayout layout = bets.TableLayout(BetType::Quinella);
  EXPECT_EQ(layout.style(b.Quinella(), 2, kColCombo).background, CellColor::Rgb(255, 0, 255));
  EXPECT_EQ(layout.style(b.Quinella(), 1, kColCombo).background, CellColor::Rgb(255, 255, 255));
  EXPECT_EQ(layout.columnWidths.size(), 14u);
  EXPECT_EQ(layout.columnWidths[kColRenPopularity], -1);

  // CL above ◎: no combination anywhere; the blank row takes no "消".
  bets.ClearAll(kMarkColAxis1);
  EXPECT_EQ(b.Quinella().RowCount(), 2);
  EXPECT_TRUE(IsBlank(b.Quinella().At(1, kColNo)));
  EXPECT_FALSE(bets.PressCell(BetType::Quinella, 1, kColDelete));
  EXPECT_EQ(b.Quinella().At(1, kColDelete), "");

  // 全 above ◎: every runner is an axis and a partner. Wide has no odds yet and lists every
  // pair once; quinella keeps only the pairs with published odds.
  bets.MarkAll(kMarkColAxis1);
  auto combos = [&](BetType t) {
    std::vector<std::string> out;
    const TextGrid& g = bets.State().Table(t);
    for (int r = 1; r < g.RowCount(); ++r) out.push_back(g.At(r, kColCombo));
    return out;
  };
  EXPECT_EQ(combos(BetType::Wide), (std::vector<std::string>{" 1- 2", " 1- 3", " 1- 4", " 2- 3", " 2- 4", " 3- 4"}));
  EXPECT_EQ(combos(BetType::Quinella), (std::vector<std::string>{" 1- 2", " 1- 3", " 1- 4"}));
  EXPECT_EQ(b.wb.Grids().entry.At(3, kMarkColAxis1), MarkText());
}

// The workbench shows the loaded day's stakes: an amount typed into the bet window is the one
// its stake list gives, not a copy made at the load.
TEST(BetWindow, WorkbenchStakeListIsTheDays) {
  BetBench b;
  EXPECT_EQ(b.wb.StakeList()[static_cast<size_t>(b.race)], "3000");
  ASSERT_TRUE(b.wb.Bets().ChangeAmount("6000"));
  EXPECT_EQ(b.wb.StakeList()[static_cast<size_t>(b.race)], "6000");
}

TEST(BetWindow, AmountSurvivesRaceSwitchAndOptionsRebuild) {
  BetBench b;
  BetWindowCommands& bets = b.wb.Bets();
  EXPECT_FALSE(bets.ChangeAmount("12a"));
  EXPECT_TRUE(bets.ChangeAmount("6000"));
  EXPECT_EQ(b.wb.Day()->StakeList[static_cast<size_t>(b.race)], "6000");
  EXPECT_EQ(b.Stakes(), (std::vector<std::string>{"  2000", "  2000", "  2000"}));
  b.wb.SelectRace(0);
  EXPECT_EQ(bets.State().AmountText(), "6000");

  // マルチ off: exacta lists one order only; the option is stored. (Race selection refilled the
  // entry table, and no rank picks a runner here, so the marks are set again by hand.)
  b.wb.Grids().entry.Set(1, kMarkColAxis1, MarkText());
  b.wb.Grids().entry.Set(2, kMarkColPartner, MarkText());
  bets.Build();
  EXPECT_EQ(bets.State().Table(BetType::Exacta).RowCount(), 3);
  const int exactaRows = bets.State().Table(BetType::Exacta).RowCount();
  bets.SetOption(MultiOption::Multi, false);
  EXPECT_FALSE(b.wb.GetSettings().GetBool("KaimeSet", "CheckMulti"));
  EXPECT_EQ(bets.State().Table(BetType::Exacta).RowCount(), exactaRows - 1);
}

TEST(BetWindow, ActiveTabAndGeometryPersist) {
  test::TempDir dir;
  test::RecordingUi ui;
  test::SetClock clock;
  test::ScriptedJVLink jv;
  test::RecordingDesktop desktop;
  {
    Workbench wb(dir.path(), ui, clock, jv, desktop);
    ASSERT_TRUE(wb.Start());
    EXPECT_EQ(wb.Bets().ActiveTab(), 0);
    EXPECT_EQ(wb.Bets().Geometry(), (BetWindowGeometry{10, 10, 630, 450}));
    wb.Bets().ChangeTab(6);
    wb.Bets().ChangeTab(9);  // no such tab: ignored
    EXPECT_EQ(wb.Bets().ActiveType(), BetType::Trio);
    wb.Bets().SaveGeometry({40, 50, 700, 500});
  }
  {
    Workbench wb(dir.path(), ui, clock, jv, desktop);
    ASSERT_TRUE(wb.Start());
    EXPECT_EQ(wb.Bets().ActiveTab(), 6);
    EXPECT_EQ(wb.Bets().Geometry(), (BetWindowGeometry{40, 50, 700, 500}));
    wb.GetSettings().WriteInt("KaimeSet", "Bakenshu", 8);  // edited by hand
  }
  Workbench wb(dir.path(), ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  EXPECT_EQ(wb.Bets().ActiveTab(), 0);
}

}  // namespace

// The bets of a race stay on screen while another day is chosen that has no data: the tables go
// with their day, and a change of amount then evaluates nothing against a race that is gone.
TEST(BetWindow, TablesGoWithTheirDayAndNothingThrowsWithoutARace) {
  BetBench b;
  BetWindowCommands& bets = b.wb.Bets();
  ASSERT_GT(b.Quinella().RowCount(), 2);
  b.wb.LoadDay(J("2011年05月01日"));  // no files: the race list empties
  EXPECT_EQ(b.wb.SelectedListIndex(), -1);
  EXPECT_TRUE(IsBlank(b.Quinella().At(1, kColCombo)));
  EXPECT_TRUE(bets.SelectedPayout().empty());
  EXPECT_NO_THROW(bets.ChangeAmount("5000"));
  for (BetType t : kAllBetTypes) {
    const GridLayout layout = bets.TableLayout(t);
    const TextGrid& g = bets.State().Table(t);
    for (int r = 0; r < g.RowCount(); ++r)
      for (int c = 0; c < g.ColCount(); ++c) EXPECT_NO_THROW(layout.style(g, r, c));
  }
}

}  // namespace kv
