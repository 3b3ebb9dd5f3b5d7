#include "workbench/MainGrids.h"

#include <array>

#include "compare/CompareTables.h"
#include "compare/KtAnalysis.h"
#include "compare/TwoHorseView.h"
#include "text/Cp932.h"
#include "workbench/EntryTable.h"

namespace kv {

namespace {

void SetHeadings(TextGrid& grid, int cols, const char* const* utf8, int count) {
  grid.Resize(1, cols);
  for (int c = 0; c < count && c < cols; ++c) grid.Set(0, c, J(utf8[c]));
}

constexpr const char* kEntryHeadings[kEntryTableCols] = {
    "枠", "馬", "馬名", "性齢", "騎手", "斤量", "見習", "調教師", "勝数", "順", "逆",
    "負数", "勝率", "順", "勝pt", "逆", "負pt", "pt勝率", "順", "ｵｯｽﾞ", "順", "順当",
    "裏切", "裏切率", "◎", "〇", "▲", "着順", "ﾀｲﾑ", "確ｵｯｽﾞ", "確人"};

constexpr const char* kDetailHeadings[5] = {"枠", "馬", "馬名", "全・距離別成績", "馬場別成績"};

constexpr const char* kCompareDetailHeadings[kCompareDetailCols] = {
    "", "馬番", "馬名", "Pt", "独Pt", "総Pt", "勝敗", "馬番", "馬名", "Pt", "独Pt", "総Pt", "勝敗", "比較数", "直接対決"};

CellStyle CenteredStyle(const TextGrid&, int row, int) {
  CellStyle s;
  s.align = CellAlign::Center;
  if (row == 0) s.background = HeadingSilver();
  return s;
}

}  // namespace

CellColor HeadingSilver() { return CellColor::Rgb(192, 192, 192); }

void MainGrids::InitHeadings() {
  SetHeadings(entry, kEntryTableCols, kEntryHeadings, kEntryTableCols);
  SetHeadings(detailEntry, kDetailEntryCols, kDetailHeadings, 5);
  SetHeadings(compareDetail, kCompareDetailCols, kCompareDetailHeadings, kCompareDetailCols);
  winLoss.Resize(1, 1);
  ResetTwoHorseGrid(twoHorse);
  ResetKtDataGrid(ktData);
  ktMatrix.Resize(1, 1);
  verification = TextGrid();
}

GridLayout EntryTableLayout() {
  GridLayout l;
  // Each column holds its widest text (and heading) in the 9-point IPA Gothic grid font, with
  // the cell margins: 見習 (column 6) takes "3kg減".
  l.columnWidths = {24, 24, 140, 44, 70, 40, 44, 70, 36, 28, 28, 36, 52, 28, 40, 28,
                    40, 52, 28, 48, 28, 36, 36, 48, 28, 28, 28, 36, 48, 52, 36};
  l.style = EntryTableCellStyle;
  return l;
}

GridLayout DetailEntryLayout() {
  GridLayout l;
  l.rowHeight = 65;
  l.columnWidths.assign(kDetailEntryCols, 145);
  const std::array<int, 5> lead = {20, 20, 140, 90, 100};
  for (size_t i = 0; i < lead.size(); ++i) l.columnWidths[i] = lead[i];
  l.style = CenteredStyle;
  return l;
}

GridLayout CompareDetailLayout() {
  GridLayout l;
  // As in the entry table: every heading and text fits; 直接対決 takes four full-width letters.
  l.columnWidths = {16, 36, 120, 32, 36, 36, 36, 36, 120, 32, 36, 36, 36, 48, 60};
  l.style = CompareDetailStyle;
  return l;
}

GridLayout WinLossLayout() {
  GridLayout l;
  l.headerCols = 1;
  l.columnWidths.assign(19, 26);
  l.style = CenteredStyle;
  return l;
}

GridLayout TwoHorseLayout() {
  GridLayout l;
  // Dates, track and distance, 18-byte names, weights, places, times, margins and marks.
  l.columnWidths = {80, 56, 130, 36, 24, 52, 130, 36, 24, 52, 40, 40, 40, 32, 32, 6,
                    80, 56, 130, 36, 24, 52, 130, 36, 24, 52, 40, 40, 40, 32, 32};
  l.style = TwoHorseCellStyle;
  return l;
}

GridLayout KtDataLayout() {
  GridLayout l = TwoHorseLayout();
  l.columnWidths.insert(l.columnWidths.end(), {48, 44, 44});
  l.style = KtDataCellStyle;
  return l;
}

GridLayout KtMatrixLayout() {
  GridLayout l;
  l.headerCols = 1;
  l.columnWidths.assign(19, 40);
  l.columnWidths[0] = 26;
  l.style = KtMatrixCellStyle;
  return l;
}

GridLayout PlainGridLayout() {
  GridLayout l;
  l.style = CenteredStyle;
  return l;
}

}  // namespace kv
