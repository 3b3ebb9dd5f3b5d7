// korvane2-cli analyse DAY: loads the day, runs the all-race comparison (writing the prediction
// files and the processed-days list as the workbench does) and prints every runner's wins,
// losses, rates and five ranks, tab-separated.
// korvane2-cli unprocessed YEAR [--run]: lists the days of a year that were never analysed, or
// loads and analyses them, oldest first.
#include <memory>
#include <ostream>

#include "workbench/DayLoader.h"
#include "Cli.h"
#include "TerminalPorts.h"
#include "compare/AllRaceRun.h"
#include "compare/UnprocessedDays.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::cli {

namespace {

std::string Rate(double r) { return r < 0 ? std::string() : Fmt("%.3f", r); }
std::string Rank(int n) { return n > 0 ? Fmt("%d", n) : std::string(); }

}  // namespace

int CmdAnalyse(CliContext& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;
  const FolderLock lock = LockProgramFolder(ctx, "analyse");
  if (!lock.Held()) return kExitFailed;
  QuietUi ui(ctx.ui);
  auto day = std::make_unique<RaceDayModel>();
  const LoadedDayRun res = LoadAndRunAllRaces(*day, dayName, ctx.program.settings, ui);
  if (!res.Analysed()) return kExitFailed;
  const DayLoadResult& loaded = res.load;

  ctx.out << "race\thorse\tname\twins\tlosses\twin_rate\tpoint_wins\tpoint_losses\tpoint_win_rate"
             "\twin_rate_rank\tpoint_win_rate_rank\twins_rank\twins_rev_rank\tpoint_wins_rev_rank\n";
  for (size_t i = 0; i < loaded.raceSlots.size(); ++i) {
    const int r = loaded.raceSlots[i];
    const TRaceAnalysis& a = day->RaceAnalysis(r);
    const std::string race = ToUtf8(loaded.raceList[i]);
    for (int k = 0; k < day->RunnerCount(r); ++k) {
      const std::string name = ToUtf8(std::string(Trim(Fld(day->Entry(r, k), kSE_HorseName18))));
      ctx.out << race << '\t' << k + 1 << '\t' << name << '\t' << a.Wins[k] << '\t' << a.Losses[k] << '\t'
              << Rate(a.WinRate[k]) << '\t' << a.PointWins[k] << '\t' << a.PointLosses[k] << '\t'
              << Rate(a.PointWinRate[k]) << '\t' << Rank(a.WinRateRank[k]) << '\t' << Rank(a.PointWinRateRank[k])
              << '\t' << Rank(a.WinsRank[k]) << '\t' << Rank(a.WinsRevRank[k]) << '\t'
              << Rank(a.PointWinsRevRank[k]) << '\n';
    }
  }
  // The figures are right, but what the run had to store is not stored: a failure to see.
  return res.Recorded() ? kExitOk : kExitFailed;
}

int CmdUnprocessed(CliContext& ctx) {
  const auto& a = ctx.args;
  const bool run = a.size() == 2 && a[1] == "--run";
  if (a.empty() || a.size() > 2 || (a.size() == 2 && !run)) return UsageError(ctx);
  const int thisYear = ctx.clock.Now().year;
  const int year = ParseInt(a[0]);
  if (a[0].size() != 4 || year < kFirstUnprocessedYear || year > thisYear) {
    ctx.err << "korvane2-cli: YEAR is a year from " << kFirstUnprocessedYear << " to " << thisYear << ": " << a[0]
            << '\n';
    return kExitUsage;
  }
  if (run) {
    if (auto refusal = UnprocessedMenuRefusal(ctx.program.settings)) {
      ctx.ui.Info(*refusal);
      return kExitFailed;
    }
  }
  const fs::path& prog = ctx.program.folders.prog;
  const UnprocessedDaysQuery q = QueryUnprocessedDays(prog, ListDays(ctx.program.folders.data), year);
  if (!q.readError.empty()) ctx.ui.Warning(ToCp932(q.readError));
  if (q.days.empty()) {
    ctx.ui.Info(q.none);
    return kExitOk;
  }
  if (!run) {
    for (const std::string& d : q.days) ctx.out << ToUtf8(d) << '\n';
    return kExitOk;
  }
  const FolderLock lock = LockProgramFolder(ctx, "unprocessed");
  if (!lock.Held()) return kExitFailed;
  QuietUi ui(ctx.ui);
  auto day = std::make_unique<RaceDayModel>();
  int failed = 0;
  ProcessUnprocessedDays(q.days, ctx.ui, [&](const std::string& dayName) {
    const bool ok = LoadAndRunAllRaces(*day, dayName, ctx.program.settings, ui).Recorded();
    ctx.out << ToUtf8(dayName) << (ok ? "\tanalysed" : "\tnot analysed") << '\n';
    failed += !ok;
    return ok;
  });
  return failed == 0 ? kExitOk : kExitFailed;
}

}  // namespace kv::cli
