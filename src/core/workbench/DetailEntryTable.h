#pragma once
// The detailed entry table (出馬表(詳細)): one tall row per runner of the selected race, drawn cell
// by cell from the race-day model. Columns: 0 枠, 1 馬, 2 馬名, 3 全・距離別成績, 4 馬場別成績, then
// one column per stored past run (column 5 + j shows past run j, j = 0 the newest). Row k + 1 is
// runner slot k; the grid itself holds only the heading texts (RaceSelection.h).
//
// What each cell shows — background, the text pieces, their colours, sizes and places — is
// decided here; the window only paints the pieces in order.
#include <string>
#include <vector>

#include "model/RaceDayModel.h"
#include "text/GridStyle.h"

namespace kv {

inline constexpr int kDetailRowHeight = 65;
inline constexpr int kDetailFirstPastRunCol = 5;
inline constexpr int kDetailFrozenCols = 3;  // 枠, 馬, 馬名 stay in place when the grid scrolls sideways

// One piece of text of a drawn cell. Lines are counted from the top of the cell; a line's step is
// the line height of its first piece's font. Pieces of one line follow each other, except that a
// piece with x > 0 starts that many pixels from the cell's left text edge.
struct DrawnText {
  int line = 0;
  int x = 0;         // pixels from the left text edge; 0: right after the previous piece of the line
  int dy = 0;        // pixels moved down from the line's place (negative: up)
  std::string text;  // CP932
  CellColor color;   // Default: black
  int pointSize = 8;
  bool bold = false;
  bool operator==(const DrawnText&) const = default;
};

struct DrawnCell {
  CellColor background;  // Default: the view's own background (white)
  std::vector<DrawnText> texts;
  bool operator==(const DrawnCell&) const = default;
};

// The cell in grid row `row` (runner slot row - 1) and column `col` of race r. Row 0, or a row or
// column outside the table, gives an empty cell (the heading row is the grid's own text).
DrawnCell DetailEntryCell(const RaceDayModel& day, int r, int row, int col);

// The class text of a past run from its race condition code: 1..99 the number × 100 and "下",
// 100 "1億下", 701 "新馬", 702 "未出走", 703 "未勝利", 999 "ｵｰﾌﾟﾝ", anything else one blank.
std::string PastRunClassText(int conditionCode);

}  // namespace kv
