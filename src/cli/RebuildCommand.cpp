// korvane2-cli rebuild: every past-run file written anew from the day files (the repair for
// past-run files that are damaged or were built from since-corrected results).
#include <ostream>

#include "Cli.h"
#include "compare/PastRunBuilder.h"
#include "text/Cp932.h"
#include "text/Format.h"

namespace kv::cli {

int CmdRebuild(CliContext& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx);
  const FolderLock lock = LockProgramFolder(ctx, "rebuild");
  if (!lock.Held()) return kExitFailed;
  ctx.ui.ProgressShow(J("過去走データを構築しています．．．"));
  int shownTenth = -1;
  const PastRunBuildResult r = RebuildPastRunFiles(ctx.program.folders.prog, [&](int done, int total) {
    const int tenth = done * 10 / std::max(total, 1);
    if (tenth != shownTenth) {  // progress in steps of a tenth of the days
      shownTenth = tenth;
      ctx.ui.ProgressDetail(Fmt("%d / %d", done, total));
    }
  });
  ctx.ui.ProgressHide();
  for (const std::string& d : r.damaged) ctx.ui.Warning(d);
  for (const SkippedRunner& s : r.skipped)
    ctx.ui.Warning(J("血統登録番号が不正なため過去走データを作成しませんでした：") + s.raceKey +
                   Fmt(" %02d [", s.horseNumber) + s.horseId + "]");
  if (!r.ok) {
    ctx.ui.Warning(r.error);
    ctx.err << "korvane2-cli rebuild: stopped; "
            << (r.filesWritten > 0 ? "the files written so far hold every day" : "no past-run file was written")
            << '\n';
    return kExitFailed;
  }
  ctx.out << "days\t" << r.daysBuilt << "\nlines\t" << r.linesBuilt << "\nfiles written\t" << r.filesWritten
          << "\nfiles without a day\t" << r.filesWithoutDays << '\n';
  return kExitOk;
}

}  // namespace kv::cli
