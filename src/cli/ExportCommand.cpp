// export ptr|ptj|verify DAY [--out FILE]: loads the day, compares and ranks every race in memory
// and writes one of the CSV exports. An export is no analysis: the prediction files and the
// processed-days list are left as they are (a day never analysed is said to be so).
#include <memory>
#include <ostream>

#include "workbench/DayLoader.h"
#include "Cli.h"
#include "compare/AllRaceRun.h"
#include "compare/CsvExports.h"
#include "compare/UnprocessedDays.h"
#include "verify/VerificationCsv.h"
#include "text/Cp932.h"
#include "verify/VerificationTable.h"

namespace kv::cli {

namespace {

enum class ExportKind { PointRates, PointRanks, Verification };

bool ParseKind(const std::string& word, ExportKind& kind) {
  if (word == "ptr") kind = ExportKind::PointRates;       // "Pt勝率＋Pt勝率順位"
  else if (word == "ptj") kind = ExportKind::PointRanks;  // "Pt勝率順位"
  else if (word == "verify") kind = ExportKind::Verification;
  else return false;
  return true;
}

}  // namespace

int CmdExport(CliContext& ctx) {
  ExportKind kind{};
  std::string dayArg, out;
  const auto& a = ctx.args;
  if (a.size() < 2 || !ParseKind(a[0], kind)) return UsageError(ctx);
  dayArg = a[1];
  for (size_t i = 2; i < a.size(); ++i) {
    if (a[i] == "--out" && i + 1 < a.size() && out.empty()) {
      out = a[++i];
    } else {
      return UsageError(ctx);
    }
  }
  const std::string dayName = DayNameFromInput(ToCp932(dayArg));
  if (dayName.empty()) {
    ctx.err << "korvane2-cli: not a day (yyyymmdd or yyyy年mm月dd日): " << dayArg << '\n';
    return kExitUsage;
  }

  const fs::path& prog = ctx.program.folders.prog;
  auto day = std::make_unique<RaceDayModel>();
  const LoadedDayRun res = LoadAndRunAllRaces(
      *day, dayName, ctx.program.settings, ctx.ui,
      [&](const DayLoadResult& l) {
        if (!l.raceSlots.empty()) return true;
        ctx.ui.Info(NotEnoughDataMessage());
        return false;
      },
      AllRaceRecord::InMemory);
  if (!res.Analysed()) return kExitFailed;  // the reason was shown
  if (!IsProcessedDay(prog, dayName))
    ctx.err << "korvane2-cli export: " << ToUtf8(dayName)
            << " is not analysed yet: compared in memory for this export; no prediction file and no "
               "processed-days list was written (korvane2-cli analyse DAY records it)\n";
  const DayLoadResult& loaded = res.load;

  fs::path target;
  FileResult written;
  if (kind == ExportKind::Verification) {
    target = out.empty() ? VerificationCsvProposal(prog, dayName) : fs::path(out);
    written = WriteVerificationCsv(BuildVerificationTable(*day, loaded.raceSlots), target);
  } else {
    const PointRateCsv csv = kind == ExportKind::PointRates ? PointRateCsv::RateAndRank : PointRateCsv::RankOnly;
    if (out.empty()) {
      const CsvExportResult res = ExportPointRateCsv(*day, loaded.raceSlots, prog, csv);
      target = res.path;
      if (!res.ok) written = FileResult::Fail(ToUtf8(res.message));
    } else {
      target = out;
      written = WritePointRateCsv(*day, loaded.raceSlots, csv, target);
    }
  }
  if (!written) {
    ctx.err << "korvane2-cli: " << target.string() << ": " << written.error << '\n';
    return kExitFailed;
  }
  ctx.out << target.string() << '\n';
  return res.Recorded() ? kExitOk : kExitFailed;  // the predictions the run had to write were told
}

}  // namespace kv::cli
