// korvane2-cli bets DAY N: loads and compares the day, selects its N-th race (the race list order
// that `load` prints) as the workbench does — entry table sorted by horse number, the active
// candidate set applied — and prints the eight bet tables with stakes and the summary labels.
// korvane2-cli vote DAY N --type CODE: the same, then writes the vote file of that bet type into
// the voting plug-in's "kaime" folder without starting the plug-in.
#include <memory>
#include <optional>
#include <ostream>

#include "workbench/DayLoader.h"
#include "Cli.h"
#include "TerminalPorts.h"
#include "bets/BetWindow.h"
#include "bets/Marking.h"
#include "bets/VoteFile.h"
#include "compare/AllRaceRun.h"
#include "compare/EntryTableSort.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/EntryTable.h"
#include "workbench/BetWindowCommands.h"
#include "workbench/MainGrids.h"

namespace kv::cli {

namespace {

struct BetsArgs {
  std::string dayName;
  int raceIndex = 0;  // 1-based position in the race list
  BetOptionArgs options;
  std::optional<BetType> type;
};

// "none" or a comma list of multi, 12, 23, 13.
bool ParseMulti(const std::string& text, MultiOptions& out) {
  out = {false, false, false, false};
  if (text == "none") return true;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    if (item == "multi") out.multi = true;
    else if (item == "12") out.multi12 = true;
    else if (item == "23") out.multi23 = true;
    else if (item == "13") out.multi13 = true;
    else return false;
    start = comma + 1;
  }
  return true;
}

}  // namespace

int ParseBetOption(CliContext& ctx, const std::string& key, const std::string& val, BetOptionArgs& o) {
  if (key == "--set") {
    o.setName = ToCp932(val);
  } else if (key == "--mode" && val.size() == 1 && val[0] >= '0' && val[0] <= '3') {
    o.mode = val[0] - '0';
  } else if (key == "--amount" && IsAmountText(val)) {
    o.amount = val;
  } else if (key == "--multi") {
    MultiOptions m;
    if (!ParseMulti(val, m)) {
      ctx.err << "korvane2-cli: --multi takes none or a comma list of multi, 12, 23, 13: " << val << '\n';
      return -1;
    }
    o.multi = m;
  } else {
    return 0;
  }
  return 1;
}

namespace {

// Parses DAY N and the options; prints the problem and gives false on bad arguments.
bool ParseBetsArgs(CliContext& ctx, bool vote, BetsArgs& a) {
  const auto& v = ctx.args;
  if (v.size() < 2) return false;
  a.dayName = DayArgument(ctx, v[0]);
  if (a.dayName.empty()) return false;
  a.raceIndex = RaceArgument(ctx, v[1]);
  if (a.raceIndex == 0) return false;
  for (size_t i = 2; i < v.size(); i += 2) {
    if (i + 1 >= v.size()) {
      ctx.err << "korvane2-cli: " << v[i] << " needs a value\n";
      return false;
    }
    const std::string& key = v[i];
    const std::string& val = v[i + 1];
    if (const int taken = ParseBetOption(ctx, key, val, a.options); taken != 0) {
      if (taken < 0) return false;
    } else if (key == "--type" && vote) {
      BetType t;
      if (!BetTypeOfVoteCode(val, t)) {
        ctx.err << "korvane2-cli: --type is one of TAN FUKU WAKU UMAFUKU WIDE UMATAN SANFUKU SANTAN: " << val << '\n';
        return false;
      }
      a.type = t;
    } else {
      ctx.err << "korvane2-cli: unknown or malformed option " << key << ' ' << val << '\n';
      return false;
    }
  }
  if (vote && !a.type) {
    ctx.err << "korvane2-cli: vote needs --type\n";
    return false;
  }
  return true;
}

// Everything the bet window holds after the race was selected.
struct SelectedBets {
  std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
  int race = -1;
  std::string raceItem;
  TextGrid entry;
  CandidateSettings candidates;
  BetWindowState bets;
  bool writeFailed = false;  // a file the run or the set choice writes could not be written (told)
};

// Loads, compares, selects the race and builds the bets. False when something stopped it (the
// reason was shown or printed).
bool SelectAndBuild(CliContext& ctx, const BetsArgs& a, SelectedBets& s) {
  QuietUi ui(ctx.ui);
  const fs::path& prog = ctx.program.folders.prog;
  Settings& settings = ctx.program.settings;
  const LoadedDayRun run = LoadAndRunAllRaces(*s.day, a.dayName, settings, ui, [&](const DayLoadResult& l) {
    if (a.raceIndex <= static_cast<int>(l.raceSlots.size())) return true;
    ctx.err << "korvane2-cli: the day has " << l.raceSlots.size() << " races\n";
    return false;
  });
  if (!run.Analysed()) return false;
  s.writeFailed = run.run.writeFailed;

  s.race = run.load.raceSlots[static_cast<size_t>(a.raceIndex - 1)];
  s.raceItem = run.load.raceList[static_cast<size_t>(a.raceIndex - 1)];
  RaceDayModel& day = *s.day;

  if (FileResult r = s.candidates.Open(prog, settings); !r) ctx.ui.Warning(ToCp932(r.error));
  if (a.options.setName) {
    const int found = s.candidates.FindSet(*a.options.setName);
    if (found < 0) {
      ctx.err << "korvane2-cli: no candidate set named " << ToUtf8(std::string(Trim(*a.options.setName))) << '\n';
      return false;
    }
    if (const FileResult r = s.candidates.SelectSet(found); !r) {
      ctx.err << "korvane2-cli: " << r.error << '\n';
      s.writeFailed = true;
    }
  }

  s.bets.LoadOptions(settings);
  if (a.options.mode) s.bets.SetMode(static_cast<AllocationMode>(*a.options.mode));
  if (a.options.multi) s.bets.SetOptions(*a.options.multi);
  s.bets.SetOccurrenceRates(OccurrenceRates::ForProgramFolder(prog));
  if (a.options.amount) day.StakeList[static_cast<size_t>(s.race)] = *a.options.amount;
  s.bets.SetAmountText(RaceAmountText(day, s.race, settings));
  MainGrids grids;
  grids.InitHeadings();
  s.entry = grids.entry;
  BuildRaceBets(day, s.race, s.candidates, s.entry, s.bets);
  return true;
}

void PrintTable(std::ostream& out, const TextGrid& g, BetType t) {
  const auto& widths = ColumnWidths(t);
  for (int row = 0; row < g.RowCount(); ++row) {
    if (row > 0 && IsBlank(g.At(row, kColNo))) continue;
    bool first = true;
    for (int col = 0; col < g.ColCount(); ++col) {
      if (widths[static_cast<size_t>(col)] < 0) continue;
      if (!first) out << '\t';
      first = false;
      out << ToUtf8(g.At(row, col));
    }
    out << '\n';
  }
}

}  // namespace

int CmdBets(CliContext& ctx) {
  BetsArgs a;
  if (!ParseBetsArgs(ctx, false, a)) return UsageError(ctx);
  SelectedBets s;
  if (!SelectAndBuild(ctx, a, s)) return kExitFailed;

  ctx.out << ToUtf8(s.raceItem) << "  " << ToUtf8(TrimRight(s.candidates.SelectorItems()[static_cast<size_t>(
                                                s.candidates.SelectedIndex())]))
          << "  " << ToUtf8(AllocationModeCaption(s.bets.Mode())) << "  " << s.bets.AmountText() << "円";
  // 均一 stakes are whole hundreds: say which amount each bet gets when it is not the one typed.
  if (s.bets.Mode() == AllocationMode::Uniform && s.bets.Amount() >= 100 && s.bets.Amount() % 100 != 0)
    ctx.out << "（1点" << UniformStake(s.bets.Amount()) << "円）";
  ctx.out << '\n';
  ctx.out << "\n券種\t買い点数\t投票金額\t予想回収率\t回収金額\n";
  for (BetType t : kAllBetTypes) {
    const BetSummary& sum = s.bets.Summary(t);
    ctx.out << ToUtf8(BetName(t)) << '\t' << sum.count << '\t' << sum.total << '\t' << sum.expectedRate << '\t'
            << sum.actualReturn << '\n';
  }
  for (BetType t : kAllBetTypes) {
    ctx.out << "\n[" << ToUtf8(TabCaption(t)) << "]\n";
    PrintTable(ctx.out, s.bets.Table(t), t);
  }
  return s.writeFailed ? kExitFailed : kExitOk;
}

int CmdVote(CliContext& ctx) {
  BetsArgs a;
  if (!ParseBetsArgs(ctx, true, a)) return UsageError(ctx);
  SelectedBets s;
  if (!SelectAndBuild(ctx, a, s)) return kExitFailed;

  VoteRequest req;
  req.dateBoxText = a.dayName;
  req.raceListItem = s.raceItem;
  req.table = &s.bets.Table(*a.type);
  req.type = *a.type;
  req.raceRecord = s.day->Race(s.race);
  req.pluginDir = ctx.program.settings.GetText("Dir", "TavoroTohyo2");
  req.amount = s.bets.Amount();
  req.startPlugin = false;
  const VoteResult r = VoteThroughPlugin(req, ctx.ui, ctx.desktop);
  if (r.outcome == VoteOutcome::Declined) return kExitOk;
  if (r.outcome != VoteOutcome::Written) return kExitFailed;
  ctx.out << r.csvPath.string() << " (" << r.lines << (r.lines == 1 ? " line)\n" : " lines)\n");
  // The items and total under the confirmation, warnings included, one line each.
  std::string summary = ToUtf8(r.summary);
  std::erase(summary, '\r');
  ctx.out << summary << '\n';
  return s.writeFailed ? kExitFailed : kExitOk;
}

}  // namespace kv::cli
