// korvane2-cli [--home DIR] [--yes] [--jvlink replay|com] COMMAND [ARGUMENTS]; korvane2-cli COMMAND --help.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Cli.h"
#include "TerminalPorts.h"
#include "app/LocalClock.h"
#include "app/Startup.h"
#include "compare/RaceRanking.h"

namespace {

int Usage(std::ostream& os, int code) {
  os << kv::cli::UsageText();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kv;
  using namespace kv::cli;
  IgnoreFileSizeSignal();  // a full file-size limit fails the write with a message, not the program

  std::optional<fs::path> home;
  bool assumeYes = false;
  bool comJVLink = false;
  std::string command;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!command.empty()) {
      args.push_back(a);
    } else if (a == "--home") {
      if (i + 1 >= argc) return Usage(std::cerr, kExitUsage);
      home = fs::path(argv[++i]);
    } else if (a.starts_with("--home=")) {
      home = fs::path(a.substr(7));
    } else if (a == "--jvlink" || a.starts_with("--jvlink=")) {
      std::string kind;
      if (a == "--jvlink") {
        if (i + 1 >= argc) return Usage(std::cerr, kExitUsage);
        kind = argv[++i];
      } else {
        kind = a.substr(9);
      }
      if (kind != "replay" && kind != "com") {
        std::cerr << "unknown JV-Link: " << kind << " (replay or com)\n";
        return Usage(std::cerr, kExitUsage);
      }
      comJVLink = kind == "com";
    } else if (a == "--yes") {
      assumeYes = true;
    } else if (a == "-h" || a == "--help") {
      return Usage(std::cout, kExitOk);
    } else if (a == "help") {
      // "help" alone is the usage text; "help COMMAND" that command's line.
      if (i + 1 >= argc) return Usage(std::cout, kExitOk);
      const CliCommand* c = FindCliCommand(argv[i + 1]);
      if (!c) {
        std::cerr << "unknown command: " << argv[i + 1] << '\n';
        return Usage(std::cerr, kExitUsage);
      }
      std::cout << CommandLine(*c);
      return kExitOk;
    } else if (a.starts_with("-")) {
      std::cerr << "unknown option: " << a << '\n';
      return Usage(std::cerr, kExitUsage);
    } else {
      command = a;
    }
  }
  if (command.empty()) return Usage(std::cerr, kExitUsage);
  const CliCommand* cmd = FindCliCommand(command);
  if (!cmd) {
    std::cerr << "unknown command: " << command << '\n';
    return Usage(std::cerr, kExitUsage);
  }
  if (home && home->empty()) return Usage(std::cerr, kExitUsage);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {  // before the program folder is opened: help needs none
      std::cout << CommandLine(*cmd);
      return kExitOk;
    }
  }

  LocalClock clock;
  StartedProgram program = StartProgram(ChooseProgramFolder(home), clock);
  for (const std::string& p : program.problems) std::cerr << "korvane2-cli: " << p << '\n';
  if (!program.ok) return kExitFailed;
  InstallWinRankingAfterOddsLoads();  // every odds load ends with the win ranking, as in the workbench

  TerminalUi ui(std::cerr, assumeYes);
  TerminalDesktop desktop;
  CliContext ctx{program, clock, ui, desktop, std::move(args), std::cout, std::cerr, cmd};
  ctx.comJVLink = comJVLink;
  return cmd->run(ctx);
}
