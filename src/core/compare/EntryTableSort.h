#pragma once
// The sort buttons of the entry table (出馬表): nine buttons in one radio group, "馬番" down at
// start. The rows below the heading row are ordered by the text of a primary column, and rows
// with equal primary text by a secondary column. Texts compare byte by byte: the entry table
// writes numbers right-aligned at a fixed width and an empty rank as "　", so ascending text
// order is ascending numeric order with the empty ranks last. Whole rows move together.
#include <span>
#include <string_view>

#include "text/TextGrid.h"

namespace kv {

enum class EntrySort { HorseNo, Wins, Finish, Losses, WinRate, PointsWon, PointsLost, PointWinRate, OddsRank };

struct EntrySortButton {
  EntrySort sort;
  std::string_view caption;  // UTF-8
  int primary;
  bool primaryDescending;
  int secondary;
  bool secondaryDescending;
};

// The buttons in the panel's order: "馬番", "勝数", "着順", "負数", "勝率", "勝ﾎﾟｲﾝﾄ", "負ﾎﾟｲﾝﾄ",
// "Pt勝率", "ｵｯｽﾞ順位".
std::span<const EntrySortButton> EntrySortButtons();
const EntrySortButton& EntrySortButtonOf(EntrySort sort);

// Sorts the rows 1.. of the entry table by the button. Rows equal in both columns keep their
// order.
void SortEntryTable(TextGrid& entry, EntrySort sort);

}  // namespace kv
