// korvane2-cli load DAY: loads a race day as the workbench does (with the all-race run when the
// option AllRace/ExecComp is on) and prints, for every race, its race list item and its entry
// table (tab-separated, heading row first).
#include <memory>
#include <ostream>

#include "Cli.h"
#include "TerminalPorts.h"
#include "workbench/DayLoader.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "workbench/EntryTable.h"
#include "workbench/MainGrids.h"

namespace kv::cli {

int CmdLoad(CliContext& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;
  auto day = std::make_unique<RaceDayModel>();
  QuietUi ui(ctx.ui);
  // The all-race run after the load writes the prediction files: held like analyse holds it.
  FolderLock lock;
  if (CompareAfterLoad(ctx.program.settings)) {
    lock = LockProgramFolder(ctx, "load");
    if (!lock.Held()) return kExitFailed;
  }
  const LoadedDayRun run = LoadDayAsWorkbench(*day, dayName, ctx.program.settings, ui);
  const DayLoadResult& res = run.load;
  if (!res.loaded) return kExitFailed;

  MainGrids grids;
  grids.InitHeadings();
  for (size_t i = 0; i < res.raceList.size(); ++i) {
    const int r = res.raceSlots[i];
    TextGrid& entry = grids.entry;
    entry.ClearRows(1);
    entry.SetRowCount(day->RunnerCount(r) + 1);
    FillEntryTable(entry, *day, r);
    if (i > 0) ctx.out << '\n';
    ctx.out << ToUtf8(res.raceList[i]) << '\n';
    PrintGrid(ctx.out, entry);
  }
  return run.run.ran && !run.run.compared ? kExitFailed : kExitOk;
}

}  // namespace kv::cli
