// korvane2-cli analyse DAY: loads the day, runs the all-race comparison (writing the prediction
// files and the processed-days list as the workbench does) and prints every runner's wins,
// losses, rates and five ranks, tab-separated.
// korvane2-cli analyse --from DAY --to DAY: the all-race run over every stored day of the range,
// oldest first, so that the prediction files of a whole history are written again; one line per
// day, progress on the error stream, Ctrl-C stops between two days.
// korvane2-cli unprocessed YEAR [--run]: lists the days of a year that were never analysed, or
// loads and analyses them, oldest first.
#include <algorithm>
#include <chrono>
#include <memory>
#include <ostream>

#include "app/HeldInfoUi.h"
#include "workbench/DayLoader.h"
#include "Cli.h"
#include "TerminalPorts.h"
#include "compare/AllRaceRun.h"
#include "compare/PastRunCache.h"
#include "compare/PredictionFile.h"
#include "compare/UnprocessedDays.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::cli {

namespace {

std::string Rate(double r) { return r < 0 ? std::string() : Fmt("%.3f", r); }
std::string Rank(int n) { return n > 0 ? Fmt("%d", n) : std::string(); }

// A run over many days: every day is loaded and compared with its prediction lines kept in one
// batch, which is written at the end (each file once, one flush); a day counts as analysed only
// when its lines reached the disk (and, with recordedOnly, it entered the processed-days list).
class MultiDayRun {
 public:
  MultiDayRun(CliContext& ctx, UiPort& ui) : ctx_(ctx), ui_(ui), batch_(ctx.program.settings.ProgDir()) {}

  void Run(const std::string& dayName) {
    const LoadedDayRun res =
        LoadAndRunAllRaces(*day_, dayName, ctx_.program.settings, ui_, {}, AllRaceRecord::Write, &batch_, &pastRuns_);
    days_.push_back({dayName, res.Analysed() && !res.run.writeFailed, res.run.predictionTicket});
  }

  // Writes the batch, prints one line per day ("analysed" or "not analysed") and returns how
  // many were not.
  int Finish(bool recordedOnly) {
    const PredictionBatch::WriteOutcome w = batch_.Write();
    for (const std::string& e : w.errors) ctx_.err << "analyse: " << ToUtf8(e) << '\n';
    int failed = 0;
    for (const DayRun& d : days_) {
      bool ok = d.analysed && d.ticket >= 0 && static_cast<size_t>(d.ticket) < w.days.size() &&
                w.days[static_cast<size_t>(d.ticket)].written;
      if (ok && recordedOnly) ok = !w.days[static_cast<size_t>(d.ticket)].recordFailed;
      ctx_.out << ToUtf8(d.name) << (ok ? "\tanalysed" : "\tnot analysed") << '\n';
      failed += !ok;
    }
    ctx_.out << std::flush;
    days_.clear();
    return failed;
  }

 private:
  struct DayRun {
    std::string name;
    bool analysed;
    int ticket;
  };
  CliContext& ctx_;
  UiPort& ui_;
  std::unique_ptr<RaceDayModel> day_ = std::make_unique<RaceDayModel>();
  PredictionBatch batch_;
  PastRunCache pastRuns_{ctx_.program.settings.ProgDir()};  // each past-run file read once for all the days
  std::vector<DayRun> days_;
};

int AnalyseRange(CliContext& ctx) {
  std::string from, to;
  const auto& a = ctx.args;
  for (size_t i = 0; i + 1 < a.size(); i += 2) {
    if (a[i] == "--from")
      from = a[i + 1];
    else if (a[i] == "--to")
      to = a[i + 1];
  }
  if (a.size() != 4 || from.empty() || to.empty()) return UsageError(ctx, "--from DAY --to DAY");
  const std::string first = DayArgument(ctx, from), last = DayArgument(ctx, to);
  if (first.empty() || last.empty()) return kExitUsage;
  if (last < first) return UsageError(ctx, "--to is before --from");  // fixed-width day names: text order is date order
  const FolderLock lock = LockProgramFolder(ctx, "analyse");
  if (!lock.Held()) return kExitFailed;
  if (ctx.program.settings.GetBool("ReadKako", "IgnoDate")) {
    ctx.err << "analyse: the setting ReadKako/IgnoDate (past-run dates ignored) is on, so no prediction "
               "would be written; turn it off first\n";
    return kExitFailed;
  }
  std::vector<std::string> days;
  for (const std::string& d : ListDays(ctx.program.folders.data))
    if (d >= first && d <= last) days.push_back(d);
  std::sort(days.begin(), days.end());
  if (days.empty()) {
    ctx.err << "analyse: no stored day from " << ToUtf8(first) << " to " << ToUtf8(last) << '\n';
    return kExitOk;
  }

  QuietUi ui(ctx.ui);
  MultiDayRun run(ctx, ui);
  CtrlCWatch ctrlC;
  const auto start = std::chrono::steady_clock::now();
  int done = 0;
  for (const std::string& d : days) {
    if (ctrlC.Take()) {
      ctx.err << "analyse: stopped (Ctrl-C) after " << done << " of " << days.size()
              << " days; writing what they found\n";
      run.Finish(false);
      return kExitFailed;
    }
    ctx.err << "analyse: " << done + 1 << "/" << days.size() << " " << ToUtf8(d) << '\n' << std::flush;
    run.Run(d);
    ++done;
  }
  ctx.err << "analyse: writing the prediction files\n" << std::flush;
  const int failed = run.Finish(false);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ctx.err << "analyse: " << done - failed << " of " << done << " days analysed in " << Fmt("%.1f", seconds)
          << " s\n";
  return failed == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int CmdAnalyse(CliContext& ctx) {
  if (!ctx.args.empty() && ctx.args[0].starts_with("--")) return AnalyseRange(ctx);
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
  MultiDayRun batch(ctx, ui);
  // The closing message of the run is told once the days' lines are written.
  HeldInfoUi held(ctx.ui);
  ProcessUnprocessedDays(q.days, held, [&](const std::string& dayName) {
    batch.Run(dayName);
    return true;
  });
  const int failed = batch.Finish(true);
  held.Tell();
  return failed == 0 ? kExitOk : kExitFailed;
}

}  // namespace kv::cli
