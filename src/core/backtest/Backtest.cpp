#include "backtest/Backtest.h"

#include <algorithm>
#include <map>
#include <memory>

#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "bets/BetWindow.h"
#include "bets/OccurrenceRates.h"
#include "compare/PastRunCache.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "workbench/BetWindowCommands.h"
#include "workbench/DayLoader.h"
#include "workbench/MainGrids.h"

namespace kv {

namespace {

// The per-race progress of the loads and the comparisons stays out of sight: the backtest has its
// own, per day. Messages and questions still reach the user.
class DayQuietUi : public NoProgressUi {
 public:
  using NoProgressUi::NoProgressUi;
  void Status(const std::string&) override {}
};

bool HasPayout(const RaceDayModel& day, int slot) { return !IsBlank(day.Payout(slot)); }

BetFigures FiguresOf(const BetSummary& s) {
  BetFigures f;
  f.bets = ParseInt(s.count);
  f.stake = ParseLong(s.total);
  f.payout = ParseLong(s.actualReturn);
  return f;
}

// The bet figures of the race list's races that have payouts, as the bet window shows them.
void BacktestDay(RaceDayModel& day, const std::string& dayName, const DayLoadResult& load,
                 const CandidateSettings& candidates, BetWindowState& bets, const BacktestOptions& options,
                 const Settings& settings, std::vector<BacktestRace>& out, int& racesWithoutOdds) {
  MainGrids grids;
  grids.InitHeadings();
  TextGrid entry = grids.entry;
  const int date = ParseInt(DateOfDayName(dayName));
  for (size_t i = 0; i < load.raceSlots.size(); ++i) {
    const int slot = load.raceSlots[i];
    if (!HasPayout(day, slot)) continue;
    const OddsPresence odds = OddsPresenceOf(day, slot);
    if (std::none_of(odds.begin(), odds.end(), [](bool b) { return b; })) {
      ++racesWithoutOdds;  // no final odds stored: nothing to bet on
      continue;
    }
    if (options.amount) day.StakeList[static_cast<size_t>(slot)] = std::to_string(*options.amount);
    bets.SetAmountText(RaceAmountText(day, slot, settings));
    BuildRaceBets(day, slot, candidates, entry, bets);
    BacktestRace race;
    race.dayName = dayName;
    race.date = date;
    race.slot = slot;
    race.raceItem = load.raceList[i];
    for (BetType t : kAllBetTypes) race.figures[static_cast<size_t>(Index(t))] = FiguresOf(bets.Summary(t));
    out.push_back(std::move(race));
  }
}

}  // namespace

BacktestRun RunBacktest(const BacktestOptions& options, Settings& settings, UiPort& ui,
                        const std::function<bool(const BacktestProgress&)>& progress) {
  BacktestRun run;
  run.firstDay = options.firstDay;
  run.lastDay = options.lastDay;
  if (settings.GetBool("ReadKako", "IgnoDate")) {
    run.error = J("ｵﾌﾟｼｮﾝ「データ読込時過去走の日付を無視する」がオンです。レースの日以後の結果が評価に"
                  "入るため、バックテストはできません。オフにしてから実行してください。");
    return run;
  }
  const fs::path prog = settings.ProgDir();

  CandidateSettings candidates;
  if (const FileResult r = candidates.Open(prog, settings); !r)
    ui.Warning(J("買い目候補馬設定ファイルを読み書きできませんでした。") + "\r\n" + ToCp932(r.error));
  if (options.setName) {
    const int found = candidates.FindSet(*options.setName);
    if (found < 0) {
      run.error = J("買い目候補馬設定「") + std::string(Trim(*options.setName)) + J("」はありません。");
      return run;
    }
    candidates.ApplySet(found);
  }
  const std::vector<std::string> names = candidates.SelectorItems();
  if (candidates.SelectedIndex() >= 0 && candidates.SelectedIndex() < static_cast<int>(names.size()))
    run.setName = std::string(Trim(names[static_cast<size_t>(candidates.SelectedIndex())]));

  BetWindowState bets;
  bets.LoadOptions(settings);
  if (options.mode) bets.SetMode(*options.mode);
  if (options.multi) bets.SetOptions(*options.multi);
  bets.SetOccurrenceRates(OccurrenceRates::ForProgramFolder(prog));
  run.mode = bets.Mode();
  run.multi = bets.Options();
  run.amount = options.amount;

  std::vector<std::string> days;
  for (const std::string& d : ListDays(LocateProgramFolders(prog).data))
    if (d >= options.firstDay && d <= options.lastDay) days.push_back(d);  // fixed width: text order is date order
  std::sort(days.begin(), days.end());
  run.daysStored = static_cast<int>(days.size());
  if (days.empty()) {
    run.error = J("期間内に保存された開催日がありません。");
    return run;
  }

  DayQuietUi quiet(ui);
  auto day = std::make_unique<RaceDayModel>();
  PastRunCache pastRuns(prog);  // each past-run file read once for all the days (nothing is written)
  for (size_t i = 0; i < days.size(); ++i) {
    if (progress && !progress({static_cast<int>(i), static_cast<int>(days.size()), days[i]})) {
      run.cancelled = true;
      break;
    }
    bool withoutResults = false;
    const LoadedDayRun loaded = LoadAndRunAllRaces(
        *day, days[i], settings, quiet,
        [&](const DayLoadResult& load) {
          // A day without payouts is not run: nothing to evaluate yet.
          withoutResults = std::none_of(load.raceSlots.begin(), load.raceSlots.end(),
                                        [&](int slot) { return HasPayout(*day, slot); });
          return !withoutResults;
        },
        AllRaceRecord::InMemory, nullptr, &pastRuns);
    if (withoutResults) {
      ++run.daysWithoutResults;
      continue;
    }
    if (!loaded.Analysed()) {
      run.daysFailed.push_back(days[i]);
      continue;
    }
    ++run.daysRun;
    BacktestDay(*day, days[i], loaded.load, candidates, bets, options, settings, run.races, run.racesWithoutOdds);
  }
  if (progress && !run.cancelled) progress({static_cast<int>(days.size()), static_cast<int>(days.size()), {}});
  run.ok = true;
  return run;
}

BacktestTotals SumUp(const std::vector<BacktestRace>& races, std::optional<BetType> type, int month) {
  BacktestTotals t;
  long long balance = 0, peak = 0;
  int losing = 0;
  for (const BacktestRace& r : races) {
    if (month > 0 && r.date / 100 != month) continue;
    BetFigures f;
    if (type) {
      f = r.figures[static_cast<size_t>(Index(*type))];
    } else {
      for (const BetFigures& g : r.figures) {
        f.bets += g.bets;
        f.stake += g.stake;
        f.payout += g.payout;
      }
    }
    if (f.stake <= 0) continue;  // nothing staked: no bet (a table without odds takes no stake)
    ++t.races;
    t.bets += f.bets;
    t.stake += f.stake;
    t.payout += f.payout;
    if (f.payout > 0) {
      ++t.hits;
      losing = 0;
    } else {
      t.longestLosingRun = std::max(t.longestLosingRun, ++losing);
    }
    balance += f.payout - f.stake;
    peak = std::max(peak, balance);
    t.largestDrawdown = std::max(t.largestDrawdown, peak - balance);
  }
  return t;
}

namespace {

const std::vector<std::string>& SummaryHeadings() {
  static const std::vector<std::string> h = {J("レース数"), J("買い点数"), J("投票金額"), J("回収金額"),
                                             J("回収率"),   J("的中率"),   J("最長連敗"), J("最大下落")};
  return h;
}

// The cells of a totals row after its label cells.
std::vector<std::string> Row(std::vector<std::string> labels, const BacktestTotals& t) {
  labels.insert(labels.end(), {std::to_string(t.races), std::to_string(t.bets), std::to_string(t.stake),
                               std::to_string(t.payout), Fmt("%.1f", t.ReturnRate()), Fmt("%.1f", t.HitRate()),
                               std::to_string(t.longestLosingRun), std::to_string(t.largestDrawdown)});
  return labels;
}

TextGrid GridOf(const std::vector<std::vector<std::string>>& rows) {
  TextGrid g(static_cast<int>(rows.size()), rows.empty() ? 0 : static_cast<int>(rows.front().size()));
  for (size_t r = 0; r < rows.size(); ++r) g.SetRow(static_cast<int>(r), rows[r]);
  return g;
}

std::vector<int> MonthsOf(const std::vector<BacktestRace>& races) {
  std::vector<int> months;
  for (const BacktestRace& r : races)
    if (months.empty() || months.back() != r.date / 100) months.push_back(r.date / 100);
  return months;
}

}  // namespace

TextGrid BacktestTypeGrid(const BacktestRun& run) {
  std::vector<std::vector<std::string>> rows;
  rows.push_back(SummaryHeadings());
  rows.front().insert(rows.front().begin(), J("券種"));
  for (BetType t : kAllBetTypes) rows.push_back(Row({BetName(t)}, SumUp(run.races, t)));
  rows.push_back(Row({J("合計")}, SumUp(run.races, std::nullopt)));
  return GridOf(rows);
}

TextGrid BacktestMonthGrid(const BacktestRun& run) {
  std::vector<std::vector<std::string>> rows;
  rows.push_back(SummaryHeadings());
  rows.front().insert(rows.front().begin(), {J("月"), J("券種")});
  for (int month : MonthsOf(run.races)) {
    const BacktestTotals all = SumUp(run.races, std::nullopt, month);
    if (all.races == 0) continue;  // a month without a bet
    const std::string label = Fmt("%04d/%02d", month / 100, month % 100);
    for (BetType t : kAllBetTypes) {
      const BacktestTotals s = SumUp(run.races, t, month);
      if (s.races > 0) rows.push_back(Row({label, BetName(t)}, s));
    }
    rows.push_back(Row({label, J("計")}, all));
  }
  return GridOf(rows);
}

GridLayout BacktestGridLayout(int labelCols) {
  GridLayout l;
  l.font = CellFont::Proportional;
  l.style = [labelCols](const TextGrid& g, int row, int col) {
    CellStyle s;
    s.align = col < labelCols ? CellAlign::Left : CellAlign::Right;
    if (row == 0) {
      s.background = HeadingSilver();
      s.align = CellAlign::Center;
    } else if (g.At(0, col) == J("回収率") && ParseLong(g.At(row, col)) < 100) {
      s.foreground = CellColor::Rgb(255, 0, 0);
    }
    return s;
  };
  return l;
}

BacktestChoices BacktestDefaults(Settings& settings, const std::vector<std::string>& dayList) {
  BacktestChoices c;
  if (!dayList.empty()) {
    const auto [oldest, newest] = std::minmax_element(dayList.begin(), dayList.end());
    c.lastDay = *newest;
    // A year back from the newest day: the same date of the year before.
    const std::string last = DateOfDayName(*newest);
    std::string yearBefore = Fmt("%04d", ParseInt(last.substr(0, 4)) - 1) + last.substr(4);
    if (!IsCalendarDate(yearBefore)) yearBefore.replace(6, 2, "28");  // from 29 February
    c.firstDay = std::max(*oldest, DayNameFromDate(yearBefore));
  }
  CandidateSettings candidates;
  candidates.Open(settings.ProgDir(), settings);  // a file problem is told when the run opens it
  for (const std::string& name : candidates.SelectorItems()) c.sets.emplace_back(Trim(name));
  c.set = candidates.SelectedIndex();
  BetWindowState bets;
  bets.LoadOptions(settings);
  c.mode = bets.Mode();
  return c;
}

std::vector<std::string> BacktestNotes(const BacktestRun& run) {
  std::vector<std::string> notes;
  const auto slash = [](const std::string& dayName) {
    const std::string d = DateOfDayName(dayName);
    return d.size() == 8 ? d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2) : d;
  };
  std::string days = J("期間 ") + slash(run.firstDay) + J("～") + slash(run.lastDay) + J("：保存された開催日 ") +
                     std::to_string(run.daysStored) + J("日、集計 ") + std::to_string(run.daysRun) + J("日");
  if (run.daysWithoutResults > 0) days += J("、払戻なし ") + std::to_string(run.daysWithoutResults) + J("日");
  if (!run.daysFailed.empty()) days += J("、読込不可 ") + std::to_string(run.daysFailed.size()) + J("日");
  days += J("、レース ") + std::to_string(run.races.size());
  if (run.racesWithoutOdds > 0) days += J("（確定オッズのない ") + std::to_string(run.racesWithoutOdds) + J("レースは対象外）");
  if (run.cancelled) days += J("（中止：途中までの集計）");
  notes.push_back(days);
  std::string terms = J("買い目候補馬設定 ") + run.setName + J("、資金配分 ") + AllocationModeCaption(run.mode) +
                      J("、投資金 ") +
                      (run.amount ? std::to_string(*run.amount) + J("円／レース") : J("各レースの保存された金額"));
  std::string multi;
  if (run.multi.multi) multi += J(" マルチ");
  if (run.multi.multi12) multi += J(" 1,2着マルチ");
  if (run.multi.multi23) multi += J(" 2,3着マルチ");
  if (run.multi.multi13) multi += J(" 1,3着マルチ");
  terms += J("、マルチ指定") + (multi.empty() ? J(" なし") : multi);
  notes.push_back(terms);
  notes.push_back(J("オッズは保存された確定オッズです（発走前に買う場合より有利な値です）。"));
  notes.push_back(J("各レースは、その開催日より前の出走だけから評価しています。"));
  return notes;
}

std::vector<BacktestSeries> BacktestBalanceSeries(const BacktestRun& run) {
  std::vector<BacktestSeries> out;
  for (BetType t : kAllBetTypes) {
    BacktestSeries s;
    s.type = t;
    long long balance = 0;
    bool any = false;
    for (const BacktestRace& r : run.races) {
      const BetFigures& f = r.figures[static_cast<size_t>(Index(t))];
      any = any || f.stake > 0;
      balance += f.payout - f.stake;
      if (s.dates.empty() || s.dates.back() != r.date) {
        s.dates.push_back(r.date);
        s.balance.push_back(balance);
      } else {
        s.balance.back() = balance;
      }
    }
    if (any) out.push_back(std::move(s));
  }
  return out;
}

std::string BacktestCsv(const BacktestRun& run) {
  std::string csv = J("日付,レース,券種,買い点数,投票金額,回収金額") + "\r\n";
  for (const BacktestRace& r : run.races) {
    const std::string date = Fmt("%04d/%02d/%02d", r.date / 10000, r.date / 100 % 100, r.date % 100);
    for (BetType t : kAllBetTypes) {
      const BetFigures& f = r.figures[static_cast<size_t>(Index(t))];
      if (f.stake <= 0) continue;
      csv += date + "," + r.raceItem + "," + BetName(t) + "," + std::to_string(f.bets) + "," +
             std::to_string(f.stake) + "," + std::to_string(f.payout) + "\r\n";
    }
  }
  return csv;
}

FileResult WriteBacktestCsv(const BacktestRun& run, const fs::path& path) {
  return WriteFileAtomic(path, BacktestCsv(run));
}

}  // namespace kv
