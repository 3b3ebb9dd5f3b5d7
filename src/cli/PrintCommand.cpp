// korvane2-cli print DAY --pdf FILE: loads and compares the day, then writes the printed analysis
// report (one page per race, in race-list order) to a PDF. The pages are the workbench's own:
// laid out by the core and drawn by the painter backend in the PDF module (PdfWriterModule.h).
#include <dlfcn.h>

#include <memory>
#include <ostream>

#include "Cli.h"
#include "PdfWriterModule.h"
#include "TerminalPorts.h"
#include "print/RaceReport.h"
#include "text/Cp932.h"
#include "workbench/DayLoader.h"

namespace kv::cli {

namespace {

// The PDF writer of the module beside this program; null with the reason in why when it cannot
// be loaded. The module stays loaded until the process ends.
KorvaneWritePdf* PdfWriter(std::string& why) {
  const fs::path module = ExecutableFile().parent_path() / kPdfModuleFile;
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* e = dlerror();
    why = e ? e : module.string();
    return nullptr;
  }
  auto* write = reinterpret_cast<KorvaneWritePdf*>(dlsym(handle, kPdfWriterSymbol));
  if (!write) why = module.string() + ": no " + kPdfWriterSymbol;
  return write;
}

}  // namespace

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

  std::string why;
  KorvaneWritePdf* write = PdfWriter(why);
  if (!write) {
    ctx.err << "korvane2-cli: cannot load the PDF writer: " << why << '\n';
    return kExitFailed;
  }
  char error[1024] = "";
  if (write(a[2].c_str(), &doc, ToUtf8(dayName + ReportPreviewCaption()).c_str(), error, sizeof error) != 0) {
    ctx.err << "korvane2-cli: " << error << '\n';
    return kExitFailed;
  }
  ctx.out << a[2] << ": " << doc.pages.size() << " pages\n";
  return kExitOk;
}

}  // namespace kv::cli
