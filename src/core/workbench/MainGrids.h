#pragma once
// The grids of the main window as TextGrids, with their headings and presentation. Race selection,
// the entry tables, the comparison views and the verification fill the cells; the window shows
// them through one grid model.
#include "text/TextGrid.h"
#include "text/GridStyle.h"

namespace kv {

struct MainGrids {
  TextGrid entry;          // 出馬表: 31 columns, one row per runner
  TextGrid detailEntry;    // 出馬表(詳細): 105 columns, drawn from the race-day model
  TextGrid compareDetail;  // 比較詳細表: 15 columns, one row per pair of runners
  TextGrid winLoss;        // 比較勝敗表: runners x runners, row 0 and column 0 the horse numbers
  TextGrid twoHorse;       // ２頭比較
  TextGrid ktData;         // KT専用: adopted data
  TextGrid ktMatrix;       // KT専用: matrix
  TextGrid verification;   // 検証資料

  // Sizes and heading texts at start-up: heading rows only, no data rows.
  void InitHeadings();
};

inline constexpr int kEntryTableCols = 31;
inline constexpr int kDetailEntryCols = 105;
inline constexpr int kCompareDetailCols = 15;

// Presentation of each grid: fonts, widths, which rows/columns are headings and the style rule.
GridLayout EntryTableLayout();
GridLayout DetailEntryLayout();
GridLayout CompareDetailLayout();
GridLayout WinLossLayout();
GridLayout TwoHorseLayout();
GridLayout KtDataLayout();
GridLayout KtMatrixLayout();
GridLayout PlainGridLayout();

// The heading row's colour: silver.
CellColor HeadingSilver();

}  // namespace kv
