#pragma once
// Axis and partner marking: the active candidate set turned into three roles per runner of a
// race, held as flags in the race's TOutData and as the text "ν" in entry-table columns 24 (◎,
// axis 1), 25 (〇, axis 2) and 26 (▲, partner). Bet-table construction reads only the entry-table
// marks, so the user can change the outcome by editing them (MarkAll, ClearMarks, ToggleMark).
//
// After each of these the caller rebuilds the bet tables (BetWindowState::Build).
#include "bets/CandidateSets.h"
#include "model/RaceDayModel.h"
#include "text/TextGrid.h"

namespace kv {

inline constexpr int kMarkColAxis1 = 24;
inline constexpr int kMarkColAxis2 = 25;
inline constexpr int kMarkColPartner = 26;
inline constexpr int kEntryColHorse = 1;

// The mark text "ν" (CP932).
const std::string& MarkText();

// 軸ヒモ: clears the three flag arrays of the race and sets, for every runner slot below the
// entered count, each role whose check item is ticked for the runner's rank under any of the six
// criteria (単人気 only when settings.TNEnabled is 1). A rank of 0 (none) takes no role.
void ComputeFlags(RaceDayModel& day, int race, const CandidateSettings& settings);

// Writes "ν" into columns 24-26 of every entry-table row (1 … last) whose horse number (column 1)
// has the role flag set; cells of unset flags are not touched.
void WriteMarks(TextGrid& entry, const TOutData& out);

// 新買い目算出 without the rebuild: ComputeFlags, then WriteMarks for the race.
void ApplyCandidateSet(RaceDayModel& day, int race, const CandidateSettings& settings, TextGrid& entry);

// 全 / CL: "ν" into, or empty, column col (24, 25 or 26) of every entry-table row. Other columns
// are ignored.
void MarkAll(TextGrid& entry, int col);
void ClearMarks(TextGrid& entry, int col);

// A click on a mark cell: toggles row/col between empty and "ν" when col is 24-26, row is a
// runner row and its horse number is above 0. True when the cell changed (rebuild then).
bool ToggleMark(TextGrid& entry, int row, int col);

}  // namespace kv
