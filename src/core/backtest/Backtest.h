#pragma once
// The backtest: how a candidate set would have done over the stored history.
//
// Every stored day of a range that has payouts is loaded and analysed as the workbench does it
// (the day loader, then the all-race run in memory: no prediction file and no processed-days
// list is written), and each of its races with a payout record and stored odds is selected as
// the bet window sees it (BuildRaceBets: entry table by horse number, the set's marks, the eight
// bet tables over the day's stored odds, the stake allocation and the evaluation against the
// race's payouts).
// What the bet window's summary labels show for the race (買い点数, 投票金額, 回収金額) is kept per
// bet type; the totals, rates and runs are computed from those figures, in whole yen.
//
// Look-ahead: a race is rated only from past runs dated strictly before its day (the day
// loader's window); the setting that ignores past-run dates is refused. The odds are the stored
// final odds, which a bettor voting minutes before the off would not have had: the report says
// both (BacktestNotes).
//
//   BacktestRun run = RunBacktest(options, settings, ui, [&](const BacktestProgress& p) { ...; return !cancelled; });
//   TextGrid byType = BacktestTypeGrid(run), byMonth = BacktestMonthGrid(run);
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Files.h"
#include "bets/BetTables.h"
#include "bets/BetTypes.h"
#include "bets/StakeAllocation.h"
#include "text/GridStyle.h"
#include "text/TextGrid.h"

namespace kv {

class Settings;
class UiPort;

struct BacktestOptions {
  std::string firstDay, lastDay;       // day names "yyyy年mm月dd日" (CP932), both included
  std::optional<std::string> setName;  // candidate set (CP932); the selected set when not given
  std::optional<AllocationMode> mode;  // the stored 資金配分 when not given
  std::optional<long long> amount;     // yen per race; each race's stored stake when not given
  std::optional<MultiOptions> multi;   // the stored マルチ指定 when not given
};

// One bet type of one race as the bet window's summary shows it. A bet type counts for a race
// when something was staked on it (a table whose rows have no odds takes no stake).
struct BetFigures {
  int bets = 0;          // 買い点数
  long long stake = 0;   // 投票金額, yen
  long long payout = 0;  // 回収金額, yen (0 when nothing was won)
};

struct BacktestRace {
  std::string dayName;   // CP932
  int date = 0;          // yyyymmdd
  int slot = 0;          // race slot of the day
  std::string raceItem;  // race list item, "中山 1R" (CP932)
  std::array<BetFigures, kBetTypeCount> figures{};
};

struct BacktestProgress {
  int done = 0;         // days finished
  int days = 0;         // days of the range
  std::string dayName;  // the day about to be run (CP932); empty once all are done
};

struct BacktestRun {
  bool ok = false;         // false: the run was refused (why in error) or no day is stored
  std::string error;       // CP932
  bool cancelled = false;  // stopped by the progress callback; races holds the days done
  // What was run.
  std::string firstDay, lastDay;
  std::string setName;  // without its padding (CP932)
  AllocationMode mode = AllocationMode::Equal;
  std::optional<long long> amount;
  MultiOptions multi;
  // Days of the range: stored, run (loaded, analysed, with results), skipped because no race
  // had a payout yet, and those that could not be loaded or analysed.
  int daysStored = 0;
  int daysRun = 0;
  int daysWithoutResults = 0;
  std::vector<std::string> daysFailed;  // day names (CP932)
  std::vector<BacktestRace> races;      // in date and race-list order
  int racesWithoutOdds = 0;             // races with payouts but no stored odds: left out
};

// Runs the backtest over the program folder of settings. Messages of the loads (damaged files)
// go to ui; the per-race progress of loads and comparisons does not. progress, when given, is
// called before each day and once at the end; returning false stops the run between two days.
BacktestRun RunBacktest(const BacktestOptions& options, Settings& settings, UiPort& ui,
                        const std::function<bool(const BacktestProgress&)>& progress = {});

// The totals of a series of races for one bet type, or for all types together (a race then
// counts when any type has a bet, and hits when any type paid).
struct BacktestTotals {
  int races = 0;             // races with a stake
  int bets = 0;              // bets (combinations) bought
  long long stake = 0;       // yen
  long long payout = 0;      // yen
  int hits = 0;              // races with a payout
  int longestLosingRun = 0;  // most races with bets in a row without a payout
  // The deepest fall of the running balance (payouts less stakes, race by race) below its
  // highest earlier value, the start (0) included; yen, 0 or more.
  long long largestDrawdown = 0;

  double ReturnRate() const { return stake > 0 ? 100.0 * static_cast<double>(payout) / static_cast<double>(stake) : 0.0; }
  double HitRate() const { return races > 0 ? 100.0 * hits / races : 0.0; }
};

// races in order; type empty: all types; month yyyymm, 0: every month.
BacktestTotals SumUp(const std::vector<BacktestRace>& races, std::optional<BetType> type, int month = 0);

// The summary tables (CP932, heading in row 0). By bet type: one row per bet type, then "合計".
// By month: per month with bets one row per bet type with bets, then the month's "計".
TextGrid BacktestTypeGrid(const BacktestRun& run);
TextGrid BacktestMonthGrid(const BacktestRun& run);

// The presentation of both tables: heading row silver, label columns (labelCols) left, figures
// right, a return rate below 100 in red.
GridLayout BacktestGridLayout(int labelCols);

// What the window shows when it opens: the last year of stored days (up to the newest), the
// candidate sets by name (without padding) with the selected one, and the stored 資金配分.
struct BacktestChoices {
  std::string firstDay, lastDay;  // day names (CP932); empty without stored days
  std::vector<std::string> sets;  // CP932
  int set = 0;
  AllocationMode mode = AllocationMode::Equal;
};
// dayList: the stored days (any order).
BacktestChoices BacktestDefaults(Settings& settings, const std::vector<std::string>& dayList);

// What was run and on what terms, one line each (CP932): range and days, set, mode, amount and
// multi options, the odds used and the no-look-ahead rule.
std::vector<std::string> BacktestNotes(const BacktestRun& run);

// The running balance (payouts less stakes, yen) of one bet type at the end of each day of the
// run, for the chart; type empty: all types together.
struct BacktestSeries {
  std::optional<BetType> type;
  std::vector<int> dates;              // yyyymmdd, each day run
  std::vector<long long> balance;      // same length as dates
};
std::vector<BacktestSeries> BacktestBalanceSeries(const BacktestRun& run);

// The figures of every race and bet type with a stake as CSV (CP932, CR LF, heading first):
// 日付,レース,券種,買い点数,投票金額,回収金額.
std::string BacktestCsv(const BacktestRun& run);
FileResult WriteBacktestCsv(const BacktestRun& run, const fs::path& path);

}  // namespace kv
