#include "workbench/VerificationCommands.h"

#include <system_error>
#include <vector>

#include "text/Field.h"
#include "verify/VerificationTable.h"
#include "workbench/Workbench.h"

namespace kv {

void TallyVerificationTable(Workbench& wb) {
  const RaceDayModel* day = wb.Day();
  if (!day) {
    // Nothing was ever loaded: no day, or a day without races.
    wb.Ui().Info(IsBlank(wb.LoadedDayName()) ? NoDaySelectedMessage() : NotEnoughDataMessage());
    return;
  }
  // Selecting a race lets pending window messages run; a timer may then change the race list, so
  // the tally walks its own copy of it.
  const std::vector<int> slots = wb.RaceSlots();
  TallyVerification(*day, wb.LoadedDayName(), slots, wb.Ui(), wb.Grids().verification,
                    [&wb](int listIndex) { wb.SelectRace(listIndex); });
}

void CopyVerificationTable(Workbench& wb) {
  wb.GetDesktop().SetClipboard(VerificationClipboardText(wb.Grids().verification));
}

void ExportPointRateFile(Workbench& wb, PointRateCsv kind) {
  if (IsBlank(wb.LoadedDayName())) return;
  if (!wb.Day()) {
    wb.Ui().Info(NotEnoughDataMessage());
    return;
  }
  RunPointRateExport(*wb.Day(), wb.LoadedDayName(), wb.RaceSlots(), wb.ProgDir(), kind, wb.Ui());
}

HitReportRun ReportHits(Workbench& wb, HitKind kind, bool openViewer) {
  const RaceDayModel* day = wb.Day();
  if (!day || wb.RaceSlots().empty()) {
    wb.Ui().Info(IsBlank(wb.LoadedDayName()) ? NoDaySelectedMessage() : NotEnoughDataMessage());
    return {};
  }
  // Selecting a race lets pending window messages run; the run walks its own copy of the list.
  const std::vector<int> slots = wb.RaceSlots();
  const auto visit = [&wb, &slots](int listIndex) {
    wb.SelectRace(listIndex);
    HitRaceInput in;
    in.race = wb.Day()->Race(slots[static_cast<size_t>(listIndex)]);
    for (BetType t : kAllBetTypes) {
      const TextGrid& table = wb.Bets().State().Table(t);
      auto& combos = in.betCombinations[static_cast<size_t>(Index(t))];
      for (int row = 1; row < table.RowCount(); ++row) combos.push_back(table.At(row, kColCombo));
    }
    const ResultsTab& results = wb.Results();
    for (size_t t = 0; t < results.groups.size(); ++t)
      for (const ResultLine& line : results.groups[t]) in.results[t].push_back({line.result, line.payout});
    return in;
  };
  return RunHitReport(wb.ProgDir(), day->Race(slots.front()), kind, static_cast<int>(slots.size()), visit, wb.Ui(),
                      wb.GetDesktop(), openViewer);
}

std::string ProposeVerificationCsvPath(Workbench& wb) {
  if (IsBlank(wb.LoadedDayName())) return {};
  const fs::path path = VerificationCsvProposal(wb.ProgDir(), wb.LoadedDayName());
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);  // a failure shows when the file is written
  return path.string();
}

bool ExportVerificationCsv(Workbench& wb, const std::string& utf8Path) {
  const fs::path path(utf8Path);
  const FileResult r = WriteVerificationCsv(wb.Grids().verification, path);
  if (!r) wb.Ui().Info(CsvWriteFailedMessage(path, r.error));
  return r.ok;
}

}  // namespace kv
