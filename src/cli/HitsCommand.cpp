// korvane2-cli hits DAY [--long-shot]: the hit report of a day as the buttons "的中" and "穴的中"
// make it — the day loaded (and compared, as the option says) by the workbench, every race of the
// list selected in turn with its bet tables built from the active candidate set — written into the
// program folder's "HPupload" without opening a viewer.
#include <ostream>

#include "Cli.h"
#include "TerminalPorts.h"
#include "app/LocalClock.h"
#include "text/Cp932.h"
#include "workbench/EmptyFeedJVLink.h"
#include "workbench/VerificationCommands.h"
#include "workbench/Workbench.h"

namespace kv::cli {

int CmdHits(CliContext& ctx) {
  const auto& a = ctx.args;
  if (a.empty() || a.size() > 2 || (a.size() == 2 && a[1] != "--long-shot")) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, a[0]);
  if (dayName.empty()) return UsageError(ctx);
  const HitKind kind = a.size() == 2 ? HitKind::LongShot : HitKind::All;

  QuietUi ui(ctx.ui);
  LocalClock clock;
  // No real-time data is fetched for the report: a JV-Link without data.
  EmptyFeedJVLink jv;
  Workbench wb(ctx.program.folders.prog, ui, clock, jv, ctx.desktop);
  StartedProgram started = ctx.program;
  started.problems.clear();  // told already when the program started
  if (!wb.Start(std::move(started))) return kExitFailed;
  wb.LoadDay(dayName);
  if (!wb.Day() || wb.RaceSlots().empty()) return kExitFailed;  // the reason was shown
  const HitReportRun run = ReportHits(wb, kind, /*openViewer=*/false);
  if (!run.ok) return kExitFailed;
  if (!run.written) {
    ctx.out << "hits: " << run.hits << ", fewer than 2: nothing written\n";
    return kExitOk;
  }
  ctx.out << run.report.string() << '\n' << "hits: " << run.hits << '\n';
  return kExitOk;
}

}  // namespace kv::cli
