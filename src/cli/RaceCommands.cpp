// korvane2-cli race DAY N: the N-th race of the day's race list as selecting it in the window
// shows it — the four header labels, the entry table (31 columns, heading row first, sorted by
// horse number, the marks of the active candidate set) and the results tab.
// korvane2-cli payouts DAY: the payout import over the loaded day, then every race's results tab.
#include <memory>
#include <ostream>

#include "Cli.h"
#include "TerminalPorts.h"
#include "bets/CandidateSets.h"
#include "bets/Marking.h"
#include "compare/EntryTableSort.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "verify/PayoutImport.h"
#include "workbench/DayLoader.h"
#include "workbench/EntryTable.h"
#include "workbench/MainGrids.h"
#include "workbench/RaceSelection.h"

namespace kv::cli {

void PrintResultsTab(std::ostream& out, const ResultsTab& tab) {
  const auto& captions = BetTypeCaptions();
  for (size_t t = 0; t < tab.groups.size(); ++t) {
    for (const ResultLine& l : tab.groups[t]) {
      if (l.result.empty() && l.popularity.empty() && l.payout.empty()) continue;
      out << ToUtf8(captions[t]) << '\t' << ToUtf8(l.result) << '\t' << ToUtf8(l.popularity) << '\t'
          << ToUtf8(l.payout) << '\n';
    }
  }
}

int CmdRace(CliContext& ctx) {
  if (ctx.args.size() != 2) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  const int n = RaceArgument(ctx, ctx.args[1]);
  if (dayName.empty() || n == 0) return UsageError(ctx);

  Settings& settings = ctx.program.settings;
  QuietUi ui(ctx.ui);
  auto day = std::make_unique<RaceDayModel>();
  // The all-race run after the load writes the prediction files: held like analyse holds it.
  FolderLock lock;
  if (CompareAfterLoad(ctx.program.settings)) {
    lock = LockProgramFolder(ctx, "race");
    if (!lock.Held()) return kExitFailed;
  }
  const LoadedDayRun res = LoadDayAsWorkbench(*day, dayName, settings, ui);
  if (!res.load.loaded) return kExitFailed;
  if (n > static_cast<int>(res.load.raceSlots.size())) {
    ctx.err << "korvane2-cli race: the day has " << res.load.raceSlots.size() << " races\n";
    return kExitFailed;
  }
  const int r = res.load.raceSlots[static_cast<size_t>(n - 1)];
  day->SelectedRace = day->WorkRace = r;

  const RaceHeader header = BuildRaceHeader(*day, r);
  MainGrids grids;
  grids.InitHeadings();
  TextGrid& entry = grids.entry;
  entry.SetRowCount(day->RunnerCount(r) + 1);
  FillEntryTable(entry, *day, r);
  SortEntryTable(entry, EntrySort::HorseNo);
  CandidateSettings candidates;
  if (FileResult opened = candidates.Open(ctx.program.folders.prog, settings); !opened)
    ctx.ui.Warning(ToCp932(opened.error));
  ApplyCandidateSet(*day, r, candidates, entry);

  for (const std::string* label : {&header.label1, &header.label2, &header.label3, &header.label4})
    ctx.out << ToUtf8(*label) << '\n';
  ctx.out << '\n';
  PrintGrid(ctx.out, entry);
  ctx.out << '\n';
  PrintResultsTab(ctx.out, BuildResultsTab(day->RaceAnalysis(r)));
  // The comparison columns are blank when the all-race run was wanted and did not get through.
  return res.run.ran && !res.run.compared ? kExitFailed : kExitOk;
}

int LoadAndPrintPayouts(CliContext& ctx, const std::string& dayName) {
  QuietUi ui(ctx.ui);
  auto day = std::make_unique<RaceDayModel>();
  const DayLoadResult loaded = LoadRaceDay(*day, dayName, ctx.program.settings, ui);
  if (!loaded.loaded) return kExitFailed;
  const PayoutImportResult imported = ImportPayouts(*day, ctx.program.folders.prog, dayName, -1);
  if (!imported.ok()) {
    ctx.ui.Warning(imported.error);
    return kExitFailed;
  }
  for (size_t i = 0; i < loaded.raceSlots.size(); ++i) {
    if (i > 0) ctx.out << '\n';
    ctx.out << ToUtf8(loaded.raceList[i]) << '\n';
    PrintResultsTab(ctx.out, BuildResultsTab(day->RaceAnalysis(loaded.raceSlots[i])));
  }
  return kExitOk;
}

int CmdPayouts(CliContext& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return UsageError(ctx);
  return LoadAndPrintPayouts(ctx, dayName);
}

}  // namespace kv::cli
