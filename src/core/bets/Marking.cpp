#include "bets/Marking.h"

#include "text/Cp932.h"
#include "text/Field.h"

namespace kv {

namespace {

bool IsMarkCol(int col) { return col >= kMarkColAxis1 && col <= kMarkColPartner; }

}  // namespace

const std::string& MarkText() {
  static const std::string mark = J("ν");
  return mark;
}

void ComputeFlags(RaceDayModel& day, int race, const CandidateSettings& settings) {
  if (race < 0 || race >= kMaxRaces) return;
  TOutData& out = day.OutData(race);
  const TRaceAnalysis& ra = day.RaceAnalysis(race);
  const int n = day.RunnerCount(race);
  int* flags[kRoles] = {out.Axis1Flags, out.Axis2Flags, out.PartnerFlags};
  for (int* f : flags)
    for (int k = 0; k < kMaxRunners; ++k) f[k] = 0;

  for (int k = 0; k < n; ++k) {
    const int ranks[kCriteria] = {ra.PointWinRateRank[k], ra.WinRateRank[k], out.WinPopularity[k],
                                  ra.WinsRevRank[k],      ra.PointWinsRevRank[k], ra.WinsRank[k]};
    for (int c = 0; c < kCriteria; ++c) {
      if (c == static_cast<int>(Criterion::WinPopularity) && settings.TNEnabled != 1) continue;
      const int r = ranks[c];
      if (r <= 0) continue;
      for (int g = 0; g < kRoles; ++g)
        if (settings.Check(g, c, r)) flags[g][k] = 1;
    }
  }
}

void WriteMarks(TextGrid& entry, const TOutData& out) {
  const int* flags[kRoles] = {out.Axis1Flags, out.Axis2Flags, out.PartnerFlags};
  for (int row = 1; row < entry.RowCount(); ++row) {
    const int h = ParseInt(entry.At(row, kEntryColHorse));
    if (h < 1 || h > kMaxRunners) continue;
    for (int g = 0; g < kRoles; ++g)
      if (flags[g][h - 1] == 1) entry.Set(row, kMarkColAxis1 + g, MarkText());
  }
}

void ApplyCandidateSet(RaceDayModel& day, int race, const CandidateSettings& settings, TextGrid& entry) {
  if (race < 0 || race >= kMaxRaces) return;
  ComputeFlags(day, race, settings);
  WriteMarks(entry, day.OutData(race));
}

void MarkAll(TextGrid& entry, int col) {
  if (!IsMarkCol(col)) return;
  for (int row = 1; row < entry.RowCount(); ++row) entry.Set(row, col, MarkText());
}

void ClearMarks(TextGrid& entry, int col) {
  if (!IsMarkCol(col)) return;
  for (int row = 1; row < entry.RowCount(); ++row) entry.Set(row, col, "");
}

bool ToggleMark(TextGrid& entry, int row, int col) {
  if (!IsMarkCol(col) || row < 1 || row >= entry.RowCount()) return false;
  if (ParseInt(entry.At(row, kEntryColHorse)) <= 0) return false;
  entry.Set(row, col, entry.At(row, col).empty() ? MarkText() : std::string());
  return true;
}

}  // namespace kv
