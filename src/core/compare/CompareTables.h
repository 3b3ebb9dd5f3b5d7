#pragma once
// The two tables that show the per-pair results of the selected race, their colours, and the
// line that tells whether the race has been compared.
//
// Comparison detail table (比較詳細表): after the heading row one row per pair a < b in the order
// 1-2, 1-3 … 1-n, 2-3 … (n-1)-n: number and name of a, its Pt, 独Pt, 総Pt and " ○" when it won
// the pair, the same for b, then 比較数 and 直接対決.
// Comparison win/loss table (比較勝敗表): n + 1 rows and columns, horse numbers in row 0 and
// column 0; row r, column c is "○" when horse r beat horse c, "×" when it lost, empty otherwise.
#include <string>

#include "text/TextGrid.h"
#include "text/GridStyle.h"

namespace kv {

class RaceDayModel;

// Fills the detail table (15 columns; heading row kept) of race slot `race`.
void FillCompareDetail(TextGrid& grid, const RaceDayModel& day, int race);
// Fills the win/loss table of race slot `race` (resized to n + 1 square).
void FillWinLoss(TextGrid& grid, const RaceDayModel& day, int race);

// Cell colours: heading row and column 0 silver; horse numbers (1, 7) green; names (2, 8)
// yellow and left-aligned; 勝敗 (6, 12) magenta when the trimmed text is "○", else white;
// 比較数 and 直接対決 (13, 14) pink; the rest white; all but the names centred.
CellStyle CompareDetailStyle(const TextGrid& grid, int row, int col);
// Heading row and column silver, the diagonal black, other cells magenta for "○", else grey.
CellStyle WinLossStyle(const TextGrid& grid, int row, int col);

// The state line of the selected race: the results are shown, or the comparison has not run.
std::string RaceStatusText(const RaceDayModel& day, int race);

}  // namespace kv
