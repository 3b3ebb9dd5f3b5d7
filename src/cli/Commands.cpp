#include <array>
#include <ostream>

#include "Cli.h"
#include "workbench/DayLoader.h"
#include "text/Cp932.h"

namespace kv::cli {

// ---- The command table -------------------------------------------------------------------

namespace {

const std::array kCommands = {
    CliCommand{"days", "", "list the days with race data, newest first", CmdDays},
    CliCommand{"settings", "", "list every setting with its current value", CmdSettings},
    CliCommand{"load", "DAY", "load a day (yyyymmdd) and print each race's entry table", CmdLoad},
    CliCommand{"export", "ptr|ptj|verify DAY [--out FILE]",
               "load and compare the day, write its point-win-rate (ptr), point-rank (ptj) or verification CSV",
               CmdExport},
    CliCommand{"import", "[--setup] [--from \"yyyy/mm/dd hh:nn:ss\"] [--no-odds] [--feed DIR]",
               "import accumulated JV-Data from the JV-Link feed and rebuild the past-run files", CmdImport},
    CliCommand{"analyse", "DAY",
               "load the day, run the all-race comparison (writing the predictions) and print every "
               "runner's wins, losses, rates and ranks",
               CmdAnalyse},
    CliCommand{"unprocessed", "YEAR [--run]", "list the days of a year never analysed, or (--run) analyse them",
               CmdUnprocessed},
    CliCommand{"bets", "DAY N [--set NAME] [--mode 0-3] [--amount YEN] [--multi none|multi,12,23,13]",
               "load and compare the day, select its N-th race and print the eight bet tables with stakes "
               "and the summary",
               CmdBets},
    CliCommand{"vote", "DAY N --type TAN|FUKU|WAKU|UMAFUKU|WIDE|UMATAN|SANFUKU|SANTAN [options of bets]",
               "as bets, then write that bet type's vote file into the plug-in's kaime folder (the plug-in "
               "is not started)",
               CmdVote},
};

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& c : kCommands)
    if (c.name == name) return &c;
  return nullptr;
}

std::string UsageText() {
  std::string text =
      "usage: korvane2-cli [--home DIR] [--yes] <command> [arguments]\n"
      "\n"
      "  --home DIR  program folder (default: the folder of the executable)\n"
      "  --yes       answer Yes to every question\n"
      "\n"
      "commands:\n";
  for (const CliCommand& c : kCommands) {
    std::string head = std::string(c.name);
    if (!c.arguments.empty()) head += " " + std::string(c.arguments);
    if (head.size() < 22) head.resize(22, ' ');
    text += "  " + head + " " + std::string(c.summary) + "\n";
  }
  return text;
}

std::string DayArgument(CliContext& ctx, const std::string& arg) {
  std::string dayName = DayNameFromInput(ToCp932(arg));
  if (dayName.empty())
    ctx.err << "korvane2-cli: DAY is a date as yyyymmdd or a day name as yyyy年mm月dd日: " << arg << '\n';
  return dayName;
}

// ---- Commands ----------------------------------------------------------------------------

int CmdDays(CliContext& ctx) {
  if (!ctx.args.empty()) {
    ctx.err << UsageText();
    return kExitUsage;
  }
  for (const std::string& day : ListDays(ctx.program.folders.data)) ctx.out << ToUtf8(day) << '\n';
  return kExitOk;
}

int CmdSettings(CliContext& ctx) {
  if (!ctx.args.empty()) {
    ctx.err << UsageText();
    return kExitUsage;
  }
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
