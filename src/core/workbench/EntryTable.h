#pragma once
// The entry table (出馬表): its cell texts from the race-day model, the drawing rule (frame
// colours, column colours, bold red/blue ranks) and the rules of the mouse on it.
//
// Columns: 0 枠, 1 馬, 2 馬名, 3 性齢, 4 騎手, 5 斤量, 6 見習, 7 調教師, 8 勝数, 9 順, 10 逆, 11 負数,
// 12 勝率, 13 順, 14 勝pt, 15 逆, 16 負pt, 17 pt勝率, 18 順, 19 ｵｯｽﾞ, 20 順, 21 順当, 22 裏切,
// 23 裏切率, 24 ◎, 25 〇, 26 ▲, 27 着順, 28 ﾀｲﾑ, 29 確ｵｯｽﾞ, 30 確人. Row 0 is the heading row,
// row k + 1 runner slot k until the table is sorted.
#include <string>
#include <vector>

#include "bets/Marking.h"
#include "model/RaceDayModel.h"
#include "text/TextGrid.h"
#include "text/GridStyle.h"

namespace kv {

// The horse-number column (kEntryColHorse) and the mark columns 24 ◎, 25 〇, 26 ▲
// (kMarkColAxis1, kMarkColAxis2, kMarkColPartner) are in bets/Marking.h, which reads them too.
inline constexpr int kEntryColFrame = 0;
inline constexpr int kEntryColName = 2;
inline constexpr int kEntryColWeight = 5;

// The 31 cell texts of runner slot k of race r (columns 24..26 empty: the marking fills them).
std::vector<std::string> EntryTableRow(const RaceDayModel& day, int r, int k);

// Fills rows 1..RowCount-1 of grid (one per runner slot, k = row - 1) from race r; columns
// 24..26 are left as they are.
void FillEntryTable(TextGrid& grid, const RaceDayModel& day, int r);

// The horse name as shown: SE 41 (36 bytes) trimmed and without any full-width blank.
std::string EntryHorseName(std::string_view se);

// How a cell of the entry table is drawn.
CellStyle EntryTableCellStyle(const TextGrid& grid, int row, int col);

// The background of a frame number 1..8 (column 0); default for any other number.
CellColor FrameColor(int frame);

// ---- mouse --------------------------------------------------------------------------------

// True for the cells that take a mark ("ν"): columns 24..26 of a runner row. Moving over them
// shows the hand cursor; a press on one toggles the mark (ToggleMark, bets/Marking.h).
bool IsMarkColumnCell(const TextGrid& grid, int row, int col);

// The horses picked for the two-horse comparison by clicks on columns 0..2 of the entry table.
struct ComparePick {
  std::string nameA, weightA, horseIdA;  // 1st horse: name box, weight label, identity number
  std::string nameB, weightB, horseIdB;  // 2nd horse
  void Clear() { *this = ComparePick(); }
};

// A click on the entry table: on columns 0..2 of a runner row, the first click picks horse A,
// a click on another horse picks (or replaces) horse B, a click on horse A again does nothing.
// The identity number comes from the runner's entry record of race r (found by the row's horse
// number, so a sorted table picks the right horse). True when the pick changed.
bool PickCompareHorse(ComparePick& pick, const TextGrid& grid, const RaceDayModel& day, int r, int row, int col);

}  // namespace kv
