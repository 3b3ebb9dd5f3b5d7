#include "workbench/OddsMovement.h"

#include <algorithm>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"
#include "workbench/EntryTable.h"

namespace kv {

OddsMovement BuildOddsMovement(const RaceDayModel& day, int r, const HistoryReadResult& history) {
  OddsMovement m;
  if (r < 0 || r >= kMaxRaces || day.IsRaceSlotEmpty(r)) {
    m.note = J("レースが選択されていません。");
    return m;
  }
  const std::string_view ra = day.Race(r);
  const TOutData& out = day.OutData(r);
  m.title = VenueName(Fld(ra, kHdr_Venue)) + Fmt("%2dR ", FldInt(ra, kHdr_RaceNum)) +
            std::string(TrimRight(Fld(ra, kRA_RaceName)));
  const std::string_view post = Fld(ra, kRA_PostTime);
  if (IsDigits(post) && post.size() == 4) m.postMinute = ParseInt(post.substr(0, 2)) * 60 + ParseInt(post.substr(2, 2));

  const int n = day.RunnerCount(r);
  for (int h = 1; h <= n; ++h) {
    RunnerOddsLine line;
    line.horse = h;
    line.name = EntryHorseName(day.Entry(r, h - 1));
    line.popularity = out.WinPopularity[h - 1];
    line.currentOdds = out.WinOdds[h - 1];
    m.lines.push_back(std::move(line));
  }

  const std::string_view key = RaceKey(ra);
  for (const OddsSnapshot& s : history.snapshots) {
    if (RaceKey(s.record) != key) continue;
    const int minute = SnapshotMinute(s);
    if (minute < 0) continue;
    ++m.snapshots;
    for (RunnerOddsLine& line : m.lines) {
      const double odds = HistoryWinOdds(s.record, line.horse);
      if (odds <= 0) continue;
      auto at = std::lower_bound(line.points.begin(), line.points.end(), minute,
                                 [](const OddsPoint& p, int v) { return p.minute < v; });
      if (at != line.points.end() && at->minute == minute) at->odds = odds;  // the later snapshot of the minute
      else line.points.insert(at, {minute, odds});
      m.firstMinute = m.firstMinute < 0 ? minute : std::min(m.firstMinute, minute);
      m.lastMinute = std::max(m.lastMinute, minute);
    }
  }
  std::stable_sort(m.lines.begin(), m.lines.end(), [](const RunnerOddsLine& a, const RunnerOddsLine& b) {
    const int pa = a.popularity > 0 ? a.popularity : kMaxRunners + 1;
    const int pb = b.popularity > 0 ? b.popularity : kMaxRunners + 1;
    return pa < pb;
  });
  if (!history.error.empty()) m.note = ToCp932(history.error);
  else if (history.damagedLines > 0) m.note = J("オッズ推移の記録に読めない行があります：") + std::to_string(history.damagedLines);
  else if (!m.HasPoints()) m.note = J("このレースのオッズ推移の記録はまだありません。");
  return m;
}

}  // namespace kv
