// korvane2-cli export-sqlite FILE [--from DATE] [--to DATE]: the store as a SQLite database
// (tables in SqliteExport.h and the README). The store is only read; FILE is replaced whole.
#include <ostream>

#include "Cli.h"
#include "SqliteExport.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv::cli {

int CmdExportSqlite(CliContext& ctx) {
  std::string file, from, to;
  const auto& a = ctx.args;
  for (size_t i = 0; i < a.size(); ++i) {
    if ((a[i] == "--from" || a[i] == "--to") && i + 1 < a.size()) {
      (a[i] == "--from" ? from : to) = a[i + 1];
      ++i;
    } else if (a[i].starts_with("--") || !file.empty()) {
      return UsageError(ctx, "unexpected argument: " + a[i]);
    } else {
      file = a[i];
    }
  }
  if (file.empty()) return UsageError(ctx, "FILE is missing");
  SqliteExportOptions options;
  if (!from.empty()) {
    const std::string day = DayArgument(ctx, from);
    if (day.empty()) return UsageError(ctx);
    options.fromDate = ParseInt(DateOfDayName(day));
  }
  if (!to.empty()) {
    const std::string day = DayArgument(ctx, to);
    if (day.empty()) return UsageError(ctx);
    options.toDate = ParseInt(DateOfDayName(day));
  }
  if (options.toDate < options.fromDate) return UsageError(ctx, "--to is before --from");
  const fs::path target = fs::absolute(PathFromUtf8(file));
  if (!fs::is_directory(target.parent_path())) {
    ctx.err << "export-sqlite: no such folder: " << PathToUtf8(target.parent_path()) << '\n';
    return kExitFailed;
  }

  // Progress on the error stream, a line per tenth of each step.
  int shown = -1;
  std::string step;
  options.progress = [&](const std::string& s, int done, int total) {
    if (s != step) {
      step = s;
      shown = -1;
    }
    const int tenth = total > 0 ? done * 10 / total : 10;
    if (tenth == shown) return;
    shown = tenth;
    ctx.err << "export-sqlite: " << s << ' ' << done << '/' << total << '\n';
  };
  const SqliteExportResult res = ExportSqlite(ctx.program.folders.prog, target, options);
  for (const std::string& s : res.skipped) ctx.err << "export-sqlite: left out: " << s << '\n';
  if (!res.ok) {
    ctx.err << "export-sqlite: " << res.error << '\n';
    return kExitFailed;
  }
  const SqliteExportCounts& c = res.counts;
  ctx.out << PathToUtf8(target) << '\n'
          << "days\t" << c.days << '\n'
          << "races\t" << c.races << '\n'
          << "runners\t" << c.runners << '\n'
          << "payouts\t" << c.payouts << '\n'
          << "final_odds\t" << c.finalOdds << '\n'
          << "horses\t" << c.horses << '\n'
          << "past_runs\t" << c.pastRuns << '\n'
          << "analyses\t" << c.analyses << '\n';
  if (!res.skipped.empty()) {
    ctx.err << "export-sqlite: " << res.skipped.size()
            << " stored file(s) or line(s) could not be read and are missing from the database; "
               "korvane2-cli check lists the damaged files\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace kv::cli
