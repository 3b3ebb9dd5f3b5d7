#pragma once
// What selecting a race shows, built from the race-day model: the race header labels, the
// past-run headings of the detailed entry table, the results tab and the clipboard text of the
// entry table. The workbench's SelectRace puts them together with the entry table
// (EntryTable.h) and the comparison tables (compare/CompareTables.h).
#include <array>
#include <string>
#include <vector>

#include "model/RaceDayModel.h"
#include "text/TextGrid.h"
#include "text/GridStyle.h"
#include "workbench/MainGrids.h"

namespace kv {

// The labels above the entry table (CP932).
struct RaceHeader {
  std::string label1;  // date, weekday, venue, meeting, day, race number, post time
  std::string label2;  // running number and race name
  std::string label3;  // runners, distance, track, grade, race kind, race symbol
  std::string label4;  // weight rule and age conditions
  std::string venue;   // venue label
  std::string raceNo;  // race number label
  std::string oddsTime;  // "hh:mm" of the odds announcement
  CellColor panel;     // the label panel's colour: dark green for turf, olive otherwise
  bool operator==(const RaceHeader&) const = default;
};

RaceHeader BuildRaceHeader(const RaceDayModel& day, int r);

// Detailed entry table: the headings of the past-run columns 5..54 ("%3d走前" for 1..m, m the
// most stored past runs of a runner, at most 50) and, for every runner row, the frame number,
// horse number and name texts of the entry table's columns 0..2.
void FillPastRunHeadings(TextGrid& detail, const RaceDayModel& day, int r);
void CopyEntryColumnsToDetail(TextGrid& detail, const TextGrid& entry);

// One line of the results tab: the result (horse number or combination), popularity, payout.
struct ResultLine {
  std::string result, popularity, payout;
  bool operator==(const ResultLine&) const = default;
};
// The results tab's eight groups in bet-type order (単勝 3 lines, 複勝 5, 枠連 3, 馬連 3,
// ワイド 7, 馬単 6, ３連複 3, ３連単 6). Lines without a paid entry are empty.
struct ResultsTab {
  std::array<std::vector<ResultLine>, 8> groups;
  bool operator==(const ResultsTab&) const = default;
};
ResultsTab BuildResultsTab(const TRaceAnalysis& a);
// The captions of the eight groups: 単勝, 複勝, 枠連, 馬連, ワイド, 馬単, ３連複, ３連単 (CP932).
const std::array<std::string, 8>& BetTypeCaptions();

// The clipboard text of the entry table: the four header labels joined by CR LF, then every
// row and column of the table.
std::string EntryTableCopyText(const TextGrid& entry, const RaceHeader& header);

}  // namespace kv
