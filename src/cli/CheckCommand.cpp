// korvane2-cli check [--repair]: the check of the stored files (StoreCheck.h). The report goes to
// the output, one line per damaged file and a summary; with --repair the damaged files are moved
// aside and the report says what was moved where, what was rebuilt and what brings the rest back.
// Exit code 0 when every file is whole (or was repaired), 1 when damaged files remain.
#include <ostream>

#include "Cli.h"
#include "app/DamagedFiles.h"
#include "text/Cp932.h"
#include "workbench/StoreCheck.h"

namespace kv::cli {

int CmdCheck(CliContext& ctx) {
  const bool repair = ctx.args.size() == 1 && ctx.args[0] == "--repair";
  if (!ctx.args.empty() && !repair) return UsageError(ctx, "unknown argument: " + ctx.args[0]);
  const fs::path& prog = ctx.program.folders.prog;
  // A repair moves and writes files: not while another command writes this folder.
  FolderLock lock;
  if (repair) {
    lock = LockProgramFolder(ctx, "check");
    if (!lock.Held()) return kExitFailed;
  }
  const StoreCheckResult check =
      CheckStoredFiles(prog, [&](int n) { ctx.err << "check: " << n << " files read\r" << std::flush; });
  for (const std::string& line : StoreCheckReport(check)) ctx.out << ToUtf8(line) << '\n';
  if (check.damaged.empty()) return check.whole() ? kExitOk : kExitFailed;
  if (!repair) {
    ctx.out << "korvane2-cli check --repair moves the damaged files into " << kDamagedFolderName
            << "/<time>/ and rebuilds what it can\n";
    return kExitFailed;
  }
  const StoreRepairResult r = RepairStoredFiles(prog, check, ctx.clock.Now());
  for (const std::string& line : r.lines) ctx.out << ToUtf8(line) << '\n';
  return r.ok ? kExitOk : kExitFailed;
}

}  // namespace kv::cli
