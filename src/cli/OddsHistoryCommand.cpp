// korvane2-cli odds-history DAY N: the odds snapshots kept for the N-th race of the day's race
// list (every real-time fetch and time-series snapshot of the race), as tab-separated lines.
#include <ostream>

#include "Cli.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "model/RaceDayModel.h"
#include "odds/OddsHistory.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv::cli {

int CmdOddsHistory(CliContext& ctx) {
  const auto& v = ctx.args;
  if (v.size() != 2) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, v[0]);
  if (dayName.empty()) return kExitUsage;
  if (!IsDigits(v[1]) || v[1].size() > 2 || ParseInt(v[1]) < 1)
    return UsageError(ctx, "N is the position of the race in the day's race list, from 1: " + v[1]);
  const fs::path raceFile = DataFilePath(ctx.program.folders.prog, dayName + ".jvRA");
  const RecordFile races = RecordFile::ReadType(raceFile, "RA");
  if (!races.ok()) {
    ctx.err << "korvane2-cli: " << ToUtf8(races.error()) << '\n';
    return kExitFailed;
  }
  // The race list: the day's race records in file order, empty slots left out (as the loader).
  int position = 0;
  std::string_view ra;
  for (size_t n = 0; n < races.size() && n < static_cast<size_t>(kMaxRaces); ++n) {
    if (IsEmptyRaceRecord(races.Record(n))) continue;
    if (++position == ParseInt(v[1])) {
      ra = races.Record(n);
      break;
    }
  }
  if (ra.empty()) return UsageError(ctx, "the day has " + std::to_string(position) + " races: " + v[1]);
  const HistoryReadResult h = ReadOddsHistory(ctx.program.folders.prog, RaceKey(ra));
  if (!h.error.empty()) {
    ctx.err << "korvane2-cli: " << h.error << '\n';
    return kExitFailed;
  }
  if (h.damagedLines > 0) ctx.err << "korvane2-cli: " << h.damagedLines << " damaged lines of the history skipped\n";
  if (h.snapshots.empty()) ctx.err << "korvane2-cli: no odds kept for this race yet\n";
  ctx.out << OddsHistoryTsv(h.snapshots, FldInt(ra, kRA_Entered));
  return kExitOk;
}

}  // namespace kv::cli
