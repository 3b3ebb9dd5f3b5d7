// korvane2-cli compare DAY N A B [--direct]: the two-horse comparison view of horses A and B of
// the day's N-th race (as ２頭の比較, or 直接対決の比較 with --direct), its grid as tab-separated
// rows (heading first), then the counter and, for ２頭の比較, the summary labels.
// korvane2-cli kt DAY N: the KT analysis (集計) of the N-th race: the adopted table, an empty line
// and the matrix, tab-separated.
#include <memory>
#include <ostream>

#include "Cli.h"
#include "compare/KtAnalysis.h"
#include "compare/TwoHorseView.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/DayLoader.h"
#include "workbench/EntryTable.h"
#include "workbench/UserSettingRules.h"

namespace kv::cli {

namespace {

// A number argument from 1 to max, or 0.
int NumberArg(const std::string& arg, int max) {
  const int n = IsDigits(arg) && arg.size() <= 2 ? ParseInt(arg) : 0;
  return n >= 1 && n <= max ? n : 0;
}

// The day loaded and its N-th race (race list order); race slot -1 when it failed (told).
struct LoadedRace {
  std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
  int slot = -1;
  int exit = kExitOk;
};

LoadedRace LoadRace(CliContext& ctx, const std::string& dayArg, const std::string& raceArg) {
  LoadedRace lr;
  const std::string dayName = DayArgument(ctx, dayArg);
  if (dayName.empty()) {
    lr.exit = UsageError(ctx);
    return lr;
  }
  const int n = NumberArg(raceArg, kMaxRaces);
  if (n == 0) {
    lr.exit = UsageError(ctx, "N is the position of the race in the day's race list, from 1: " + raceArg);
    return lr;
  }
  const DayLoadResult res = LoadRaceDay(*lr.day, dayName, ctx.program.settings, ctx.ui);
  if (!res.loaded) {
    lr.exit = kExitFailed;
    return lr;
  }
  if (n > static_cast<int>(res.raceSlots.size())) {
    lr.exit = UsageError(ctx, "the day has " + std::to_string(res.raceSlots.size()) + " races");
    return lr;
  }
  lr.slot = res.raceSlots[static_cast<size_t>(n - 1)];
  return lr;
}

int DataSpan(const CliContext& ctx) { return kDataSpanRange.Clamp(ctx.program.settings.GetInt("DataSpan", "period")); }

}  // namespace

int CmdCompare(CliContext& ctx) {
  const auto& v = ctx.args;
  const bool direct = v.size() == 5 && v[4] == "--direct";
  if (v.size() != 4 && !direct) return UsageError(ctx);
  const int a = NumberArg(v[2], kMaxRunners), b = NumberArg(v[3], kMaxRunners);
  if (a == 0 || b == 0) return UsageError(ctx, "A and B are horse numbers of the race, 1 to 18");
  LoadedRace lr = LoadRace(ctx, v[0], v[1]);
  if (lr.slot < 0) return lr.exit;
  const RaceDayModel& day = *lr.day;
  const std::vector<std::string> rowA = EntryTableRow(day, lr.slot, a - 1), rowB = EntryTableRow(day, lr.slot, b - 1);
  const TwoHorseRequest req{rowA[kEntryColName],
                            rowB[kEntryColName],
                            rowA[kEntryColWeight],
                            rowB[kEntryColWeight],
                            FldStr(day.Entry(lr.slot, a - 1), kSE_HorseId),
                            FldStr(day.Entry(lr.slot, b - 1), kSE_HorseId),
                            static_cast<int>(FldLong(day.Race(lr.slot), kHdr_Date)),
                            DataSpan(ctx)};
  PastRunLines files(ctx.program.folders.prog);
  TextGrid grid;
  const TwoHorseViewResult res = direct ? CompareDirect(files, req, grid) : CompareTwoHorses(files, req, grid);
  if (!res.ran) {
    ctx.err << "korvane2-cli: " << ToUtf8(res.message) << '\n';
    return kExitFailed;
  }
  PrintGrid(ctx.out, grid);
  ctx.out << ToUtf8(TwoHorseCounter(res.rows)) << '\n';
  if (!direct) {
    const auto s = TwoHorseSummary(res.scored);
    ctx.out << "A Pt\t" << s[0] << "\tB Pt\t" << s[1] << "\tA " << ToUtf8(J("独")) << "Pt\t" << s[2] << "\tB "
            << ToUtf8(J("独")) << "Pt\t" << s[3] << '\n';
  }
  return kExitOk;
}

int CmdKt(CliContext& ctx) {
  if (ctx.args.size() != 2) return UsageError(ctx);
  LoadedRace lr = LoadRace(ctx, ctx.args[0], ctx.args[1]);
  if (lr.slot < 0) return lr.exit;
  const RaceDayModel& day = *lr.day;
  const std::string_view ra = day.Race(lr.slot);
  KtRace race;
  race.raceDate = static_cast<int>(FldLong(ra, kHdr_Date));
  race.distance = FldInt(ra, kRA_Distance);
  race.trackCode = FldStr(ra, kRA_Track);
  race.dataSpan = DataSpan(ctx);
  for (int k = 0; k < day.RunnerCount(lr.slot); ++k) {
    const std::vector<std::string> row = EntryTableRow(day, lr.slot, k);
    race.runners.push_back({row[kEntryColName], row[kEntryColWeight], FldStr(day.Entry(lr.slot, k), kSE_HorseId)});
  }
  PastRunLines files(ctx.program.folders.prog);
  TextGrid compare, adopted, matrix;
  RunKtAnalysis(files, race, compare, adopted, matrix, ctx.ui);
  PrintGrid(ctx.out, adopted);
  ctx.out << '\n';
  PrintGrid(ctx.out, matrix);
  return kExitOk;
}

}  // namespace kv::cli
