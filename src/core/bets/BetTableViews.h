#pragma once
// What the bet window's views do with the bet tables (BetTables.h, StakeAllocation.h): sorting a
// table by a pressed heading, the cell colours, the summary panel's colours, the cursor shape,
// and the window's remembered tab ("KaimeSet"/"Bakenshu") and geometry ("Kaimelocate").
//
// Sorting. Every column has a direction flag, 0 at start and kept for the process lifetime; a
// heading press flips it and sorts by the flag after the flip (1 descending), so the first press
// on a column sorts descending, the next ascending. There are five sets of flags: win, place,
// one set shared by the four pair tables (枠連, 馬連, ワイド, 馬単) and one each for trio and
// trifecta. Rows compare by the bytes of the column's text (shorter first on a common prefix, an
// empty cell first); runs of equal texts are then ordered ascending by the combination (when
// sorting by "No.") or by "No." (any other column). Whole rows move; "No." keeps the build order
// number, so sorting by it descending and then ascending restores the build order.
//
// Colours: heading row 201,146,146; "No." of data rows 193,255,193; a paid combination (column
// 2, matched against the race's HR record as the result evaluation does) magenta; everything
// else white. Texts are centred. The four summary labels of the bet type on the active tab are
// 172,181,255, the others 255,251,240.
#include <array>
#include <functional>
#include <string_view>

#include "app/Settings.h"
#include "bets/BetTypes.h"
#include "bets/StakeAllocation.h"
#include "text/TextGrid.h"
#include "text/GridStyle.h"

namespace kv {

// The direction flags of every table column (see above).
class SortDirections {
 public:
  // The flag of column col of type's table (0 ascending, 1 descending); 0 for a column the table
  // does not have.
  int Flag(BetType type, int col) const;
  // Flips the flag (for the pair types: in the set the four share) and returns the new value.
  // A column the table does not have is left alone and gives -1.
  int Flip(BetType type, int col);

 private:
  std::array<int, 15>* Set(BetType type);
  std::array<std::array<int, 15>, 5> sets_{};  // win, place, pairs, trio, trifecta
};

// Orders the data rows (1 … last) by column col, descending when `descending`, with the
// secondary order described above.
void SortBetTableRows(TextGrid& table, int col, bool descending);

// A mouse press on heading column col: for col 1 … last, flips the column's flag and sorts.
// True when the table was sorted.
bool PressBetTableHeading(TextGrid& table, BetType type, int col, SortDirections& dirs);

// The pointing hand over the heading row and over column 0 ("消"), the arrow elsewhere.
inline bool BetTableHandCursor(int row, int col) { return row == 0 || col == kColDelete; }

// How cell (row, col) of type's table is drawn; hr is the payout record of the selected race.
CellStyle BetTableCellStyle(const TextGrid& table, BetType type, std::string_view hr, int row, int col);

// The presentation of type's table: fixed font, the column widths of the type (-1: hidden), the
// colours above. payout gives the selected race's HR record at drawing time.
GridLayout BetTableGridLayout(BetType type, std::function<std::string_view()> payout);

// Background of the summary labels of labelType while tab activeTab is shown.
CellColor SummaryLabelBackground(BetType labelType, int activeTab);
// Text colour of a summary label (default: the panel's normal text colour).
CellColor SummaryLabelForeground(LabelColor color);

// The active tab: "KaimeSet"/"Bakenshu", a page index 0-7 (a stored value outside gives 0).
int ReadBakenshu(const Settings& settings);
FileResult WriteBakenshu(Settings& settings, int tab);

// The bet window's geometry, "Kaimelocate"/"top", "left", "width", "height" (10, 10, 630, 450).
using BetWindowGeometry = WindowGeometry;
BetWindowGeometry ReadBetWindowGeometry(const Settings& settings);
// Writes only the values that changed (the file is rewritten for each write).
void WriteBetWindowGeometry(Settings& settings, const BetWindowGeometry& g);

}  // namespace kv
