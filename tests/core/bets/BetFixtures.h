#pragma once
// Small race fixtures for the bet tests: a race-day model with one race of n runners, odds set
// per combination, and an entry table with chosen marks.
#include <memory>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "bets/Marking.h"
#include "model/RaceDayModel.h"
#include "text/Format.h"
#include "text/TextGrid.h"

namespace kv::test {

// One shared model (it is large); every test starts it afresh with ResetRace.
inline RaceDayModel& SharedDay() {
  static std::unique_ptr<RaceDayModel> day = std::make_unique<RaceDayModel>();
  return *day;
}

// Race slot 0 of n runners (race 11, venue 05, 2011-04-30), no odds published, no payout, every
// odds table 0 and every flag 0.
inline RaceDayModel& ResetRace(int n) {
  RaceDayModel& day = SharedDay();
  day.ClearRecords();
  day.Reset();
  day.RaceRecords.Set(0, MakeRecord("RA", {{kHdr_RaceKey, "2011043005020811"}, {kRA_Entered, Fmt("%2d", n)}}));
  TOutData& out = day.OutData(0);
  for (int k = 0; k < kMaxRunners; ++k) out.Axis1Flags[k] = out.Axis2Flags[k] = out.PartnerFlags[k] = 0;
  day.SelectedRace = 0;
  return day;
}

// Marks the odds of record type 1..6 as published for race slot 0.
inline void Publish(RaceDayModel& day, int type) {
  const std::string t = "O" + std::to_string(type);
  day.OddsRecords(type).Set(0, MakeRecord(t, {{kHdr_RaceKey, "2011043005020811"}}));
}

// Entry table of n runner rows; marks[i] holds the roles of row i + 1 as characters
// '1' (◎), '2' (○), '3' (▲), e.g. {"13", "3", ""}.
inline TextGrid EntryWithMarks(int n, const std::vector<std::string>& marks) {
  TextGrid g(n + 1, 31);
  for (int row = 1; row <= n; ++row) {
    g.Set(row, kEntryColHorse, Fmt("%2d", row));
    if (row - 1 < static_cast<int>(marks.size()))
      for (char c : marks[static_cast<size_t>(row - 1)]) g.Set(row, kMarkColAxis1 + (c - '1'), MarkText());
  }
  return g;
}

// The combination texts of rows 1.. of a bet table (blank rows left out).
inline std::vector<std::string> Combos(const TextGrid& table) {
  std::vector<std::string> out;
  for (int row = 1; row < table.RowCount(); ++row)
    if (!table.At(row, 2).empty()) out.push_back(table.At(row, 2));
  return out;
}

}  // namespace kv::test
