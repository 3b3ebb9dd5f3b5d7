#include <array>
#include <ostream>

#include "Cli.h"
#include "workbench/DayLoader.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/TextGrid.h"

namespace kv::cli {

// ---- The command table -------------------------------------------------------------------

namespace {

// Every command, once, in the order the usage text lists them. A row: name, argument synopsis
// (DAY, N and the option names as the user types them), one-line description, function.
const std::array kCommands = {
    CliCommand{"days", "", "list the days with race data, newest first", CmdDays},
    CliCommand{"settings", "", "list every setting with its current value", CmdSettings},
    CliCommand{"import", "[--setup] [--from DATE] [--no-odds] [--feed DIR]",
               "import accumulated JV-Data published after DATE (default: the last import) from the JV-Link "
               "feed and rebuild the past-run files; DATE is yyyymmddhhnnss, yyyymmdd, yyyy-mm-dd or "
               "\"yyyy/mm/dd [hh:nn:ss]\"",
               CmdImport},
    CliCommand{"rebuild", "", "rebuild every past-run file from the day files", CmdRebuild},
    CliCommand{"load", "DAY",
               "load a day as the workbench does (the all-race run too when AllRace/ExecComp is on) and print "
               "each race's entry table",
               CmdLoad},
    CliCommand{"race", "DAY N", "print the N-th race: its four header labels, entry table and results tab",
               CmdRace},
    CliCommand{"payouts", "DAY", "import the payouts stored for the day and print every race's results tab",
               CmdPayouts},
    CliCommand{"analyse", "DAY | --from DAY --to DAY",
               "load the day, run the all-race comparison (writing the predictions) and print every "
               "runner's wins, losses, rates and ranks; with --from/--to run it on every stored day of "
               "the range and print one line per day (Ctrl-C stops between days)",
               CmdAnalyse},
    CliCommand{"unprocessed", "YEAR [--run]", "list the days of a year never analysed, or (--run) analyse them",
               CmdUnprocessed},
    CliCommand{"export", "ptr|ptj|verify DAY [--out FILE]",
               "load and compare the day, write its point-win-rate (ptr), point-rank (ptj) or verification CSV "
               "(the prediction files and the processed-days list are not written)",
               CmdExport},
#ifdef KORVANE_SQLITE
    CliCommand{"export-sqlite", "FILE [--from DAY] [--to DAY]",
               "write the stored races, runners, payouts, final odds, past runs and analysis results (of the "
               "days from DAY to DAY) into the SQLite database FILE, replacing it whole; the store is only read",
               CmdExportSqlite},
#endif
#ifdef KORVANE_PRINT
    CliCommand{"print", "DAY --pdf FILE",
               "load and compare the day and write its analysis report, one page per race, to a PDF", CmdPrint},
#endif
    CliCommand{"bets", "DAY N [--set NAME] [--mode 0-3] [--amount YEN] [--multi none|multi,12,23,13]",
               "load and compare the day, select its N-th race and print the eight bet tables with stakes "
               "and the summary",
               CmdBets},
    CliCommand{"vote", "DAY N --type TAN|FUKU|WAKU|UMAFUKU|WIDE|UMATAN|SANFUKU|SANTAN [options of bets]",
               "as bets, then write that bet type's vote file into the plug-in's kaime folder (the plug-in "
               "is not started)",
               CmdVote},
    CliCommand{"backtest", "--from DAY --to DAY [--set NAME] [--mode 0-3] [--amount YEN] [--multi ...] [--csv FILE]",
               "run every stored day of the range with results as the workbench does (in memory: no prediction "
               "is written) and bet every race by the candidate set as the bet window does, with the stored "
               "final odds; print the races, bets, stake, return, return and hit rates, longest losing run and "
               "largest drawdown per bet type and per month; --csv writes each race's figures per bet type",
               CmdBacktest},
    CliCommand{"odds", "DAY N", "fetch the N-th race's real-time odds and print its win/place table", CmdOdds},
    CliCommand{"results", "DAY", "fetch the day's real-time results and import the payouts", CmdResults},
    CliCommand{"changes", "DAY", "fetch the day's change information and apply the start-time changes", CmdChanges},
    CliCommand{"live", "DAY [--until HH:MM] [--speed N] [--clock HH:MM]",
               "run the race-day timers headless on a clock (from now or --clock, until 18:00 or --until, "
               "N times faster) and print each fetch, result and change as one line",
               CmdLive},
    CliCommand{"compare", "DAY N A B [--direct]",
               "the two-horse comparison of horses A and B of the day's N-th race over the data span (with "
               "--direct: the races in which they met), its rows tab-separated, then the counter and the points",
               CmdCompare},
    CliCommand{"kt", "DAY N",
               "the KT analysis of the day's N-th race: the adopted comparison of every pair, then the matrix "
               "of the horses' advantages in seconds",
               CmdKt},
    CliCommand{"odds-history", "DAY N",
               "print the odds snapshots kept for the day's N-th race (real-time fetches, time-series "
               "snapshots) as tab-separated lines",
               CmdOddsHistory},
    CliCommand{"check", "[--repair]",
               "check the framing of every stored file (day, past-run and prediction files, processed-days "
               "lists, candidate sets) and list the damaged ones; --repair moves them into damaged/<time>/, "
               "rebuilds the past-run files and says which import brings the day files back",
               CmdCheck},
    CliCommand{"hits", "DAY [--long-shot]",
               "load the day and write its hit report into HPupload as the buttons 的中 (every hit) and "
               "穴的中 (--long-shot: the long shots) do, with at least two hits",
               CmdHits},
};

// Layout of a command's entry: the description starts in column kSummaryColumn (on the next line
// when the name and synopsis reach it) and wraps before kLineWidth.
constexpr size_t kIndent = 2;
constexpr size_t kSummaryColumn = 30;
constexpr size_t kLineWidth = 100;

// Columns a UTF-8 text takes on a terminal (East Asian wide characters take two).
size_t DisplayWidth(std::string_view utf8) {
  size_t width = 0;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    width += len >= 3 ? 2 : 1;
    i += len;
  }
  return width;
}

// Words of text in lines of at most `width` columns.
std::vector<std::string> Wrap(std::string_view text, size_t width) {
  std::vector<std::string> lines(1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    std::string& line = lines.back();
    if (!line.empty() && DisplayWidth(line) + 1 + DisplayWidth(word) > width) lines.emplace_back();
    if (!lines.back().empty()) lines.back() += ' ';
    lines.back() += word;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& c : kCommands)
    if (c.name == name) return &c;
  return nullptr;
}

std::string CommandLine(const CliCommand& c) {
  std::string head(kIndent, ' ');
  head += c.name;
  if (!c.arguments.empty()) head += " " + std::string(c.arguments);
  std::string text;
  const std::string pad(kSummaryColumn, ' ');
  if (DisplayWidth(head) + 2 > kSummaryColumn) {
    text = head + "\n";
    head = pad;
  } else {
    head.resize(head.size() + kSummaryColumn - DisplayWidth(head), ' ');
  }
  for (const std::string& line : Wrap(c.summary, kLineWidth - kSummaryColumn)) {
    text += head + line + "\n";
    head = pad;
  }
  return text;
}

std::string UsageText() {
  std::string text =
      "usage: korvane2-cli [--home DIR] [--yes] [--jvlink replay|com] COMMAND [ARGUMENTS]\n"
      "       korvane2-cli COMMAND --help\n"
      "\n"
      "  --home DIR      program folder (default: the folder of the executable)\n"
      "  --yes           answer Yes to every question\n"
      "  --jvlink com    import through the JV-Link component installed on Windows (COM);\n"
      "                  the default, replay, serves the feed folder of the settings\n"
      "\n"
      "DAY is a date as yyyymmdd or a day name as yyyy年mm月dd日; N is the position of a race in the day's\n"
      "race list, from 1.\n"
      "\n"
      "commands:\n";
  for (const CliCommand& c : kCommands) text += CommandLine(c);
  text +=
      "\n"
      "exit codes:\n"
      "  0  done\n"
      "  1  the command ran and failed (the reason is on the error output)\n"
      "  2  unknown command or bad arguments\n";
  return text;
}

int UsageError(CliContext& ctx, std::string_view why) {
  if (!why.empty())
    ctx.err << "korvane2-cli" << (ctx.command ? " " + std::string(ctx.command->name) : std::string()) << ": " << why
            << '\n';
  if (ctx.command)
    ctx.err << "usage:\n" << CommandLine(*ctx.command);
  else
    ctx.err << UsageText();
  return kExitUsage;
}

std::string DayArgument(CliContext& ctx, const std::string& arg) {
  // yyyy-mm-dd is taken as yyyymmdd.
  const bool dashed = arg.size() == 10 && arg[4] == '-' && arg[7] == '-';
  std::string dayName = DayNameFromInput(ToCp932(dashed ? arg.substr(0, 4) + arg.substr(5, 2) + arg.substr(8, 2) : arg));
  if (dayName.empty())
    ctx.err << "korvane2-cli: not a date: " << arg << " (DAY is a date as yyyymmdd or yyyy-mm-dd, or a day name as yyyy年mm月dd日)\n";
  return dayName;
}

FolderLock LockProgramFolder(CliContext& ctx, std::string_view command) {
  FolderLock lock = FolderLock::TryLock(ctx.program.folders.prog);
  if (!lock.Held()) ctx.err << command << ": " << ToUtf8(lock.Message()) << '\n';
  return lock;
}

int RaceArgument(CliContext& ctx, const std::string& arg) {
  if (IsDigits(arg) && arg.size() <= 2 && ParseInt(arg) >= 1) return ParseInt(arg);
  ctx.err << "korvane2-cli: N is the position of the race in the day's race list, from 1: " << arg << '\n';
  return 0;
}

void PrintGrid(std::ostream& out, const TextGrid& grid) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      if (col > 0) out << '\t';
      out << ToUtf8(grid.At(row, col));
    }
    out << '\n';
  }
}

// ---- Commands ----------------------------------------------------------------------------

int CmdDays(CliContext& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx);
  for (const std::string& day : ListDays(ctx.program.folders.data)) ctx.out << ToUtf8(day) << '\n';
  return kExitOk;
}

int CmdSettings(CliContext& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx);
  const Settings& s = ctx.program.settings;
  for (const SettingDef& d : SettingDefs()) {
    std::string value;
    switch (d.type) {
      case SettingType::Bool: value = s.GetBool(d.section, d.key) ? "1" : "0"; break;
      case SettingType::Int: value = std::to_string(s.GetInt(d.section, d.key)); break;
      case SettingType::Text: value = ToUtf8(s.GetText(d.section, d.key)); break;
    }
    ctx.out << d.section << '/' << d.key << '=' << value << (s.Has(d.section, d.key) ? "" : "  (default)") << '\n';
  }
  return kExitOk;
}

}  // namespace kv::cli
