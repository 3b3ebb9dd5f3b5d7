#pragma once
// korvane2-cli: the commands of the workbench from a terminal. Each command is a function of a
// CliContext, listed by name in the command table (Commands.cpp). To add a command, write its
// function (in a file of its own when it is more than a few lines), declare it below and add a
// row to the table.
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Startup.h"
#include "app/Ports.h"

namespace kv::cli {

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
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the command ran and failed
inline constexpr int kExitUsage = 2;   // unknown command or bad arguments

using CommandFn = int (*)(CliContext&);

struct CliCommand {
  std::string_view name;
  std::string_view arguments;  // shown in the usage text, e.g. "DAY"
  std::string_view summary;
  CommandFn run;
};

// The day name (CP932) of a DAY argument (yyyymmdd or yyyy年mm月dd日); empty, after telling why
// on err, when the argument is neither.
std::string DayArgument(CliContext& ctx, const std::string& arg);

// The command table.
std::span<const CliCommand> CliCommands();
const CliCommand* FindCliCommand(std::string_view name);
std::string UsageText();

// Commands.
int CmdDays(CliContext& ctx);
int CmdSettings(CliContext& ctx);
int CmdLoad(CliContext& ctx);  // LoadCommand.cpp
int CmdExport(CliContext& ctx);
int CmdImport(CliContext& ctx);  // ImportCommand.cpp

int CmdAnalyse(CliContext& ctx);      // AnalyseCommands.cpp
int CmdUnprocessed(CliContext& ctx);  // AnalyseCommands.cpp

int CmdBets(CliContext& ctx);  // BetsCommands.cpp
int CmdVote(CliContext& ctx);  // BetsCommands.cpp

}  // namespace kv::cli
