// korvane2-cli backtest --from DAY --to DAY [options of bets] [--csv FILE]: how the candidate set
// would have done over the stored days of the range. Each day with results is loaded and analysed
// in memory and each of its races bet as the bet window does; the summary per bet type and per
// month is printed tab-separated after the lines saying what was run and on what terms. Progress
// goes to the error stream; Ctrl-C stops between two days and prints what was done.
#include <chrono>
#include <ostream>

#include "Cli.h"
#include "TerminalPorts.h"
#include "backtest/Backtest.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::cli {

int CmdBacktest(CliContext& ctx) {
  const auto& a = ctx.args;
  BacktestOptions options;
  BetOptionArgs bet;
  std::string from, to, csv;
  for (size_t i = 0; i < a.size(); i += 2) {
    if (i + 1 >= a.size()) return UsageError(ctx, a[i] + " needs a value");
    const std::string& key = a[i];
    const std::string& val = a[i + 1];
    if (key == "--from") {
      from = val;
    } else if (key == "--to") {
      to = val;
    } else if (key == "--csv") {
      csv = val;
    } else if (const int taken = ParseBetOption(ctx, key, val, bet); taken <= 0) {
      return taken < 0 ? UsageError(ctx) : UsageError(ctx, "unknown or malformed option " + key + " " + val);
    }
  }
  if (from.empty() || to.empty()) return UsageError(ctx, "--from DAY and --to DAY are needed");
  options.firstDay = DayArgument(ctx, from);
  options.lastDay = DayArgument(ctx, to);
  if (options.firstDay.empty() || options.lastDay.empty()) return kExitUsage;
  if (options.lastDay < options.firstDay) return UsageError(ctx, "--to is before --from");
  options.setName = bet.setName;
  if (bet.mode) options.mode = static_cast<AllocationMode>(*bet.mode);
  if (bet.amount) options.amount = ParseLong(*bet.amount);
  options.multi = bet.multi;

  QuietUi ui(ctx.ui);
  CtrlCWatch ctrlC;
  const auto start = std::chrono::steady_clock::now();
  const BacktestRun run = RunBacktest(options, ctx.program.settings, ui, [&](const BacktestProgress& p) {
    if (ctrlC.Take()) return false;
    if (!p.dayName.empty())
      ctx.err << "backtest: " << p.done + 1 << "/" << p.days << " " << ToUtf8(p.dayName) << '\n' << std::flush;
    return true;
  });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!run.ok) {
    ctx.err << "backtest: " << ToUtf8(run.error) << '\n';
    return kExitFailed;
  }
  for (const std::string& line : BacktestNotes(run)) ctx.out << ToUtf8(line) << '\n';
  for (const std::string& d : run.daysFailed) ctx.out << ToUtf8(d) << "\tnot loaded or not analysed\n";
  ctx.out << '\n';
  PrintGrid(ctx.out, BacktestTypeGrid(run));
  ctx.out << '\n';
  PrintGrid(ctx.out, BacktestMonthGrid(run));
  ctx.err << "backtest: " << run.daysRun << " days, " << run.races.size() << " races in " << Fmt("%.1f", seconds)
          << " s" << (run.cancelled ? " (stopped by Ctrl-C)" : "") << '\n';
  if (!csv.empty()) {
    if (const FileResult r = WriteBacktestCsv(run, PathFromUtf8(csv)); !r) {
      ctx.err << "backtest: " << r.error << '\n';
      return kExitFailed;
    }
    ctx.err << "backtest: " << csv << " written\n";
  }
  return run.cancelled || !run.daysFailed.empty() ? kExitFailed : kExitOk;
}

}  // namespace kv::cli
