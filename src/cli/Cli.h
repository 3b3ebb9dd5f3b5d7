#pragma once
// korvane2-cli: the commands of the workbench from a terminal. Each command is a function of a
// CliContext and one row of the command table (Commands.cpp): name, argument synopsis and a
// one-line description. The usage text, `korvane2-cli COMMAND --help` and the line printed on
// bad arguments all come from that row. To add a command, write its function (in a file of its
// own when it is more than a few lines), declare it below and add a row to the table.
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/FolderLock.h"
#include "app/Startup.h"
#include "app/Ports.h"
#include "bets/BetTables.h"

namespace kv {
class TextGrid;
struct ResultsTab;
}  // namespace kv

namespace kv::cli {

struct CliCommand;

// What a command works with: the started program (folders, settings), the ports and its
// arguments. Output for the user goes to out as UTF-8, problems to err.
struct CliContext {
  StartedProgram& program;
  const Clock& clock;
  UiPort& ui;
  Desktop& desktop;
  std::vector<std::string> args;  // the arguments after the command name
  std::ostream& out;
  std::ostream& err;
  const CliCommand* command = nullptr;  // the row of the command being run
  bool comJVLink = false;  // --jvlink com: import through the installed component
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the command ran and failed
inline constexpr int kExitUsage = 2;   // unknown command or bad arguments

using CommandFn = int (*)(CliContext&);

struct CliCommand {
  std::string_view name;
  std::string_view arguments;  // the argument synopsis, e.g. "DAY N [--out FILE]"
  std::string_view summary;    // one line: what the command does
  CommandFn run;
};

// The day name (CP932) of a DAY argument (yyyymmdd or yyyy年mm月dd日); empty, after telling why
// on err, when the argument is neither.
std::string DayArgument(CliContext& ctx, const std::string& arg);
// The race position of an N argument (1, 2, …); 0, after telling why on err, when it is none.
int RaceArgument(CliContext& ctx, const std::string& arg);

// The bet window's options that bets, vote and backtest take: --set NAME, --mode 0-3,
// --amount YEN (1 to 8 digits), --multi none|multi,12,23,13.
struct BetOptionArgs {
  std::optional<std::string> setName;  // CP932
  std::optional<int> mode;
  std::optional<std::string> amount;
  std::optional<MultiOptions> multi;
};
// Takes key and its value into o: 1 when taken, 0 when key is none of these options (or its value
// is malformed), -1 when --multi has a bad value (told on err).
int ParseBetOption(CliContext& ctx, const std::string& key, const std::string& val, BetOptionArgs& o);  // BetsCommands.cpp

// A grid as text: one row per line, cells separated by tabs.
void PrintGrid(std::ostream& out, const TextGrid& grid);
// The results tab: one line per paid entry, "caption<TAB>result<TAB>popularity<TAB>payout".
void PrintResultsTab(std::ostream& out, const ResultsTab& tab);  // RaceCommands.cpp
// Loads the day, runs the payout import over it and prints every race's list item and results
// tab (what payouts DAY prints).
int LoadAndPrintPayouts(CliContext& ctx, const std::string& dayName);  // RaceCommands.cpp

// The program folder's lock for a command that writes the store (import, analyses, rebuild,
// repair), held until the returned object goes. When another command holds it, that is said on
// err (prefixed with the command's name) and the returned lock is not held: the command stops
// with kExitFailed.
FolderLock LockProgramFolder(CliContext& ctx, std::string_view command);

// The command table.
std::span<const CliCommand> CliCommands();
const CliCommand* FindCliCommand(std::string_view name);

// The whole usage text: synopsis, global options, every command once, exit codes.
std::string UsageText();
// One command's entry as the usage text shows it: "  name ARGUMENTS  summary" (aligned,
// wrapped), ending in a newline; also what `korvane2-cli NAME --help` prints.
std::string CommandLine(const CliCommand& c);

// Bad arguments: prints why (when given) and the command's usage line on err; gives kExitUsage.
int UsageError(CliContext& ctx, std::string_view why = {});

// Commands.
int CmdDays(CliContext& ctx);
int CmdSettings(CliContext& ctx);
int CmdLoad(CliContext& ctx);  // LoadCommand.cpp
int CmdExport(CliContext& ctx);
int CmdImport(CliContext& ctx);  // ImportCommand.cpp

int CmdAnalyse(CliContext& ctx);      // AnalyseCommands.cpp
int CmdUnprocessed(CliContext& ctx);  // AnalyseCommands.cpp

int CmdRace(CliContext& ctx);     // RaceCommands.cpp
int CmdPayouts(CliContext& ctx);  // RaceCommands.cpp
int CmdRebuild(CliContext& ctx);  // RebuildCommand.cpp

int CmdBets(CliContext& ctx);  // BetsCommands.cpp
int CmdVote(CliContext& ctx);  // BetsCommands.cpp

int CmdOdds(CliContext& ctx);     // LiveCommands.cpp
int CmdResults(CliContext& ctx);  // LiveCommands.cpp
int CmdChanges(CliContext& ctx);  // LiveCommands.cpp
int CmdLive(CliContext& ctx);     // LiveCommands.cpp
int CmdOddsHistory(CliContext& ctx);  // OddsHistoryCommand.cpp
#ifdef KORVANE_PRINT
int CmdPrint(CliContext& ctx);  // PrintCommand.cpp: needs the painter backend (Qt)
#endif

int CmdCompare(CliContext& ctx);  // ViewCommands.cpp
int CmdKt(CliContext& ctx);       // ViewCommands.cpp

#ifdef KORVANE_SQLITE
int CmdExportSqlite(CliContext& ctx);  // ExportSqliteCommand.cpp: needs the SQLite export library
#endif

int CmdCheck(CliContext& ctx);  // CheckCommand.cpp
int CmdHits(CliContext& ctx);  // HitsCommand.cpp
int CmdBacktest(CliContext& ctx);  // BacktestCommand.cpp

}  // namespace kv::cli
