// korvane2-cli print DAY --pdf FILE: loads and compares the day, then writes the printed analysis
// report (one page per race, in race-list order) to a PDF. The pages are the workbench's own:
// laid out by the core and drawn by the same painter backend as the print preview, here on the
// offscreen platform so that no display is needed.
#include <QGuiApplication>
#include <memory>
#include <ostream>

#include "Cli.h"
#include "PagePainter.h"
#include "TerminalPorts.h"
#include "print/RaceReport.h"
#include "text/Cp932.h"
#include "workbench/DayLoader.h"

namespace kv::cli {

int CmdPrint(CliContext& ctx) {
  const auto& a = ctx.args;
  if (a.size() != 3 || a[1] != "--pdf" || a[2].empty()) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, a[0]);
  if (dayName.empty()) return kExitUsage;
  const FolderLock lock = LockProgramFolder(ctx, "print");  // the all-race run writes the predictions
  if (!lock.Held()) return kExitFailed;

  QuietUi ui(ctx.ui);
  auto day = std::make_unique<RaceDayModel>();
  const LoadedDayRun res = LoadAndRunAllRaces(*day, dayName, ctx.program.settings, ui);
  if (!res.load.loaded) return kExitFailed;
  if (res.load.raceSlots.empty()) {
    ctx.ui.Info(NothingToPrintMessage());
    return kExitFailed;
  }
  const PrintDocument doc = BuildRaceReport(*day, res.load.raceSlots);

  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) {
    static int argc = 3;
    static char arg0[] = "korvane2-cli", arg1[] = "-platform", arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  const fs::path file = fs::path(std::u8string(a[2].begin(), a[2].end()));
  const FileResult written =
      paint::WritePdf(file, doc, QString::fromStdString(ToUtf8(dayName + ReportPreviewCaption())));
  if (!written) {
    ctx.err << "korvane2-cli: " << written.error << '\n';
    return kExitFailed;
  }
  ctx.out << a[2] << ": " << doc.pages.size() << " pages\n";
  return kExitOk;
}

}  // namespace kv::cli
