// The backtest: a tiny history built record by record whose totals are worked out by hand, and a
// small simulated world whose every race must show the same figures as the bet window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "HandBuiltHistory.h"
#include "ImportedFeed.h"
#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "app/Files.h"
#include "app/ProgramFolders.h"
#include "backtest/Backtest.h"
#include "bets/CandidateSets.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

using test::HandRace;
using test::SetLine;
using test::WriteDay;
using test::WriteSets;

size_t CountFiles(const fs::path& root, const std::string& extension) {
  size_t n = 0;
  for (const auto& e : fs::recursive_directory_iterator(root)) n += e.path().extension() == extension;
  return n;
}

TEST(Backtest, HandBuiltHistoryGivesTheTotalsWorkedOutByHand) {
  test::TempDir dir;
  const fs::path prog = dir.path();
  ProgramFolders folders;
  ASSERT_TRUE(CreateProgramFolders(prog, folders));
  // ◎ the favourite alone: one win and one place bet per race, 1,000 yen each (均等).
  ASSERT_TRUE(WriteSets(prog, {DefaultSetLines()[0], SetLine("本命", {1}, {}, {}, {}, {})}));
  //   race                   favourite  winner pays   place pays                 win  place
  //   2011-04-30 1R          3 at 2.0   3     200     3: 110                    2000  1100
  //   2011-04-30 2R          5 at 3.0   1     900     (5 unplaced)                 0     0
  //   2011-05-01 1R          1 at 1.5   2     400     1: 120                       0  1200
  ASSERT_TRUE(WriteDay(prog, {{"2011043005020301", 3, 20, 3, 200, {3, 4, 6}, {110, 150, 300}},
                  {"2011043005020302", 5, 30, 1, 900, {1, 2, 7}, {200, 210, 600}}}));
  ASSERT_TRUE(WriteDay(prog, {{"2011050105020401", 1, 15, 2, 400, {2, 1, 8}, {160, 120, 700}}}));
  // A stored day after the range is not run.
  ASSERT_TRUE(WriteDay(prog, {{"2011050705020501", 1, 15, 1, 150, {1, 2, 3}, {110, 120, 130}}}));

  Settings settings(prog);
  ASSERT_TRUE(settings.Load());
  test::RecordingUi ui;
  BacktestOptions o;
  o.firstDay = DayNameFromDate("20110430");
  o.lastDay = DayNameFromDate("20110506");
  o.setName = J("本命");
  o.mode = AllocationMode::Equal;
  o.amount = 1000;
  std::vector<std::string> seen;
  const BacktestRun run = RunBacktest(o, settings, ui, [&](const BacktestProgress& p) {
    seen.push_back(p.dayName);
    return true;
  });
  ASSERT_TRUE(run.ok) << ToUtf8(run.error);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(seen, (std::vector<std::string>{DayNameFromDate("20110430"), DayNameFromDate("20110501"), ""}));
  EXPECT_EQ(run.daysStored, 2);
  EXPECT_EQ(run.daysRun, 2);
  ASSERT_EQ(run.races.size(), 3u);

  // Win: 3 races, stake 3,000, back 2,000 (66.7 %), 1 hit (33.3 %); lost twice in a row;
  // balance +1,000, 0, -1,000: the fall from +1,000 is 2,000.
  const BacktestTotals win = SumUp(run.races, BetType::Win);
  EXPECT_EQ(win.races, 3);
  EXPECT_EQ(win.bets, 3);
  EXPECT_EQ(win.stake, 3000);
  EXPECT_EQ(win.payout, 2000);
  EXPECT_EQ(win.hits, 1);
  EXPECT_EQ(win.longestLosingRun, 2);
  EXPECT_EQ(win.largestDrawdown, 2000);
  // Place: back 1,100 + 1,200 = 2,300; balance +100, -900, -700: the fall is 1,000.
  const BacktestTotals place = SumUp(run.races, BetType::Place);
  EXPECT_EQ(place.stake, 3000);
  EXPECT_EQ(place.payout, 2300);
  EXPECT_EQ(place.hits, 2);
  EXPECT_EQ(place.longestLosingRun, 1);
  EXPECT_EQ(place.largestDrawdown, 1000);
  // No partner marked: no pair or triple bets.
  EXPECT_EQ(SumUp(run.races, BetType::Quinella).races, 0);
  // All types: balance +1,100, -900, -1,700: the fall from +1,100 is 2,800.
  const BacktestTotals all = SumUp(run.races, std::nullopt);
  EXPECT_EQ(all.races, 3);
  EXPECT_EQ(all.bets, 6);
  EXPECT_EQ(all.stake, 6000);
  EXPECT_EQ(all.payout, 4300);
  EXPECT_EQ(all.hits, 2);
  EXPECT_EQ(all.largestDrawdown, 2800);

  // The tables as the CLI and the window show them.
  const TextGrid byType = BacktestTypeGrid(run);
  EXPECT_EQ(byType.Row(1), (std::vector<std::string>{BetName(BetType::Win), "3", "3", "3000", "2000", "66.7",
                                                     "33.3", "2", "2000"}));
  EXPECT_EQ(byType.Row(kBetTypeCount + 1), (std::vector<std::string>{J("合計"), "3", "6", "6000", "4300", "71.7",
                                                                     "66.7", "1", "2800"}));
  const TextGrid byMonth = BacktestMonthGrid(run);
  ASSERT_EQ(byMonth.RowCount(), 7);  // heading, April: win, place, total; May: the same
  EXPECT_EQ(byMonth.Row(3), (std::vector<std::string>{"2011/04", J("計"), "2", "4", "4000", "3100", "77.5", "50.0",
                                                      "1", "2000"}));
  EXPECT_EQ(byMonth.Row(5), (std::vector<std::string>{"2011/05", BetName(BetType::Place), "1", "1", "1000", "1200",
                                                      "120.0", "100.0", "0", "0"}));
  // The chart: the balance at the end of each day.
  const std::vector<BacktestSeries> series = BacktestBalanceSeries(run);
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].dates, (std::vector<int>{20110430, 20110501}));
  EXPECT_EQ(series[0].balance, (std::vector<long long>{0, -1000}));
  EXPECT_EQ(series[1].balance, (std::vector<long long>{-900, -700}));
  const std::string csv = BacktestCsv(run);
  EXPECT_NE(csv.find("2011/05/01," + J("東京") + " 1R," + BetName(BetType::Place) + ",1,1000,1200\r\n"),
            std::string::npos)
      << ToUtf8(csv);

  // In memory: no prediction file, no processed-days list; the stored set choice stays the first.
  EXPECT_EQ(CountFiles(prog, ".yos"), 0u);
  EXPECT_FALSE(fs::exists(prog / "yosowriten2011.txt"));
  EXPECT_EQ(settings.GetInt("Kaime", "SetIndex"), 0);
  const std::vector<std::string> notes = BacktestNotes(run);
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_NE(notes[2].find(J("確定オッズ")), std::string::npos);
  EXPECT_NE(notes[3].find(J("より前の出走")), std::string::npos);

  // Stopping after the first day keeps what was done and says so.
  const BacktestRun stopped = RunBacktest(o, settings, ui, [](const BacktestProgress& p) { return p.done == 0; });
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(stopped.races.size(), 2u);
}

TEST(Backtest, RefusesWhatWouldLookAheadOrNamesNoSet) {
  test::TempDir dir;
  ProgramFolders folders;
  ASSERT_TRUE(CreateProgramFolders(dir.path(), folders));
  ASSERT_TRUE(WriteDay(dir.path(), {{"2011043005020301", 3, 20, 3, 200, {3, 4, 6}, {110, 150, 300}}}));
  Settings settings(dir.path());
  ASSERT_TRUE(settings.Load());
  test::RecordingUi ui;
  BacktestOptions o;
  o.firstDay = o.lastDay = DayNameFromDate("20110430");
  o.setName = J("ない設定");
  BacktestRun run = RunBacktest(o, settings, ui);
  EXPECT_FALSE(run.ok);
  EXPECT_NE(run.error.find(J("ない設定")), std::string::npos);
  o.setName.reset();
  ASSERT_TRUE(settings.WriteBool("ReadKako", "IgnoDate", true));
  run = RunBacktest(o, settings, ui);
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(run.races.empty());
  ASSERT_TRUE(settings.WriteBool("ReadKako", "IgnoDate", false));
  o.firstDay = o.lastDay = DayNameFromDate("20110501");
  run = RunBacktest(o, settings, ui);
  EXPECT_FALSE(run.ok);  // no stored day in the range
}

// A small simulated world with final odds: every race the backtest counts shows, in the bet
// window of the workbench (the day chosen in the date box, the race clicked in the race list), the
// same number of bets, stake and payout for every bet type.
TEST(Backtest, EveryRaceShowsTheBetWindowsFigures) {
  const sim::Date first{2024, 3, 23}, oddsFrom{2024, 3, 30}, last{2024, 4, 6};
  test::SimulatedFeed feed(first, last, &oddsFrom);
  const fs::path prog = feed.folder.path() / "prog";
  ASSERT_EQ(test::ImportFeed(feed.feed, prog, feed.now, feed.from), AccumulatedImport::Outcome::Completed);
  ASSERT_TRUE(WriteSets(prog, {SetLine("検証", {1, 2}, {1}, {2, 3}, {3, 4}, {1, 2})}));

  Settings settings(prog);
  ASSERT_TRUE(settings.Load());
  test::RecordingUi ui;
  BacktestOptions o;
  o.firstDay = DayNameFromDate("20240330");
  o.lastDay = DayNameFromDate("20240406");
  o.setName = J("検証");
  o.mode = AllocationMode::Proportional;
  o.amount = 5000;
  const BacktestRun run = RunBacktest(o, settings, ui);
  ASSERT_TRUE(run.ok) << ToUtf8(run.error);
  ASSERT_EQ(run.daysRun, 3);
  ASSERT_GT(run.races.size(), 30u);
  for (BetType t : kAllBetTypes) EXPECT_GT(SumUp(run.races, t).races, 0) << ToUtf8(BetName(t));
  EXPECT_GT(SumUp(run.races, std::nullopt).payout, 0);

  // The workbench on the same folder with the same choices, as the user makes them.
  test::SetClock clock{DateTime{2024, 4, 14, 9, 0, 0, 0}};
  test::ScriptedJVLink jv;
  test::RecordingDesktop desktop;
  Workbench wb(prog, ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  wb.Bets().Create();
  const int setIndex = wb.Bets().Candidates().FindSet(J("検証"));
  ASSERT_GE(setIndex, 0);
  wb.Bets().Candidates().SelectSet(setIndex);
  wb.Bets().ChooseMode(static_cast<int>(AllocationMode::Proportional));
  std::string loaded;
  size_t compared = 0;
  for (const BacktestRace& race : run.races) {
    if (race.dayName != loaded) {
      wb.LoadDay(race.dayName);
      loaded = race.dayName;
    }
    const auto at = std::find(wb.RaceSlots().begin(), wb.RaceSlots().end(), race.slot);
    ASSERT_NE(at, wb.RaceSlots().end());
    wb.SelectRace(static_cast<int>(at - wb.RaceSlots().begin()));
    ASSERT_TRUE(wb.Bets().ChangeAmount("5000"));
    for (BetType t : kAllBetTypes) {
      const BetSummary& shown = wb.Bets().State().Summary(t);
      const BetFigures& f = race.figures[static_cast<size_t>(Index(t))];
      SCOPED_TRACE(ToUtf8(race.dayName + " " + race.raceItem + " " + BetName(t)));
      EXPECT_EQ(f.bets, ParseInt(shown.count));
      EXPECT_EQ(f.stake, ParseLong(shown.total));
      EXPECT_EQ(f.payout, ParseLong(shown.actualReturn));
    }
    ++compared;
  }
  EXPECT_EQ(compared, run.races.size());
}

}  // namespace
}  // namespace kv
