#pragma once
// The eight bet types and the layout of their bet tables.
//
// Every bet table is a TextGrid: row 0 the headings, rows 1.. one combination each. Columns:
//
//   col  win, place   pair types (枠連 馬連 ﾜｲﾄﾞ 馬単)   trio, trifecta
//   0    消           消                               消            deletion mark
//   1    No.          No. ("No" for 枠連)              No.           build order number
//   2    買い目       買い目                           買い目        combination text
//   3    オッズ       オッズ                           オッズ        odds text (blank: no odds yet)
//   4    人気         人気                             人気          popularity text
//   5    購入額       連人気 (hidden)                  連人気 (hidden)
//   6    回収額       購入額                           購入額
//   7    回収率       回収額                           回収額
//   8    出現率 (h)   回収率                           回収率
//   9    結果配当     出現率1 (hidden)                 出現率1 (hidden)
//   10   結果回収     出現率2 (hidden)                 出現率2 (hidden)
//   11   結果人気     結果配当                         出現率3 (hidden)
//   12   -            結果回収                         結果配当
//   13   -            結果人気                         結果回収
//   14   -            -                                結果人気
#include <array>
#include <string>
#include <string_view>

#include "vocab/Combination.h"

namespace kv {

// In this order everywhere: tabs, summary columns, construction, settings index "Bakenshu".
enum class BetType { Win, Place, Bracket, Quinella, Wide, Exacta, Trio, Trifecta };
inline constexpr int kBetTypeCount = 8;
inline constexpr std::array<BetType, kBetTypeCount> kAllBetTypes = {
    BetType::Win,  BetType::Place,  BetType::Bracket, BetType::Quinella,
    BetType::Wide, BetType::Exacta, BetType::Trio,    BetType::Trifecta};
inline constexpr int Index(BetType t) { return static_cast<int>(t); }

// Columns shared by every table.
inline constexpr int kColDelete = 0;  // "消"
inline constexpr int kColNo = 1;      // build order number; a blank one marks an empty row
inline constexpr int kColCombo = 2;
inline constexpr int kColOdds = 3;
inline constexpr int kColPopularity = 4;
inline constexpr int kColRenPopularity = 5;  // pair and triple tables only

// Where a table keeps its figures.
struct BetTableLayout {
  int columns;          // 12, 14 or 15
  int stakeCol;         // 購入額
  int returnCol;        // 回収額
  int rateCol;          // 回収率
  int occurrenceCol;    // first occurrence-rate column
  int occurrenceCount;  // 1, 2 or 3
  int payoutCol;        // 結果配当
  int resultReturnCol;  // 結果回収
  int resultPopCol;     // 結果人気
};
const BetTableLayout& LayoutOf(BetType t);

// The combination numbering a bet type uses (win and place have none: ComboKind of Quinella is
// returned for them but never used).
ComboKind ComboKindOf(BetType t);
// Numbers in one combination: 1, 2 or 3.
int MembersOf(BetType t);

// CP932 texts of a bet type.
const std::string& TabCaption(BetType t);    // "単勝" … "三連単"
const std::string& BetName(BetType t);       // "単勝" … "３連複", "３連単" (messages, summary)
std::string_view VoteCode(BetType t);        // "TAN" … "SANTAN"
std::string_view LabelPrefix(BetType t);     // "Tan", "Fuk", "WR", "UR", "WD", "UT", "SRF", "SRT"
// The bet type of a vote code (case as written: "TAN" … "SANTAN"); false when none.
bool BetTypeOfVoteCode(std::string_view code, BetType& out);

// Row 0 of a fresh table: the headings (CP932).
const std::array<std::string, 15>& Headings(BetType t);  // only the first LayoutOf(t).columns used
// Column widths in pixels; -1 is a hidden column.
const std::array<int, 15>& ColumnWidths(BetType t);

}  // namespace kv
