#include "bets/BetTableViews.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace kv {

namespace {

int SetIndexOf(BetType type) {
  switch (type) {
    case BetType::Win: return 0;
    case BetType::Place: return 1;
    case BetType::Trio: return 3;
    case BetType::Trifecta: return 4;
    default: return 2;  // the four pair tables share one set
  }
}

bool HasColumn(BetType type, int col) { return col >= 0 && col < LayoutOf(type).columns; }

}  // namespace

std::array<int, 15>* SortDirections::Set(BetType type) { return &sets_[static_cast<size_t>(SetIndexOf(type))]; }

int SortDirections::Flag(BetType type, int col) const {
  if (!HasColumn(type, col)) return 0;
  return sets_[static_cast<size_t>(SetIndexOf(type))][static_cast<size_t>(col)];
}

int SortDirections::Flip(BetType type, int col) {
  if (!HasColumn(type, col)) return -1;
  int& f = (*Set(type))[static_cast<size_t>(col)];
  f = f == 0 ? 1 : 0;
  return f;
}

void SortBetTableRows(TextGrid& table, int col, bool descending) {
  const int rows = table.RowCount();
  if (rows < 3 || col < 0 || col >= table.ColCount()) return;
  const int tieCol = col == kColNo ? kColCombo : kColNo;
  std::vector<std::vector<std::string>> data;
  data.reserve(static_cast<size_t>(rows - 1));
  for (int r = 1; r < rows; ++r) data.push_back(table.Row(r));
  const auto c = static_cast<size_t>(col);
  const auto t = static_cast<size_t>(tieCol);
  // std::string compares as unsigned bytes, shorter first on a common prefix.
  std::stable_sort(data.begin(), data.end(), [&](const auto& a, const auto& b) {
    const int primary = a[c].compare(b[c]);
    if (primary != 0) return descending ? primary > 0 : primary < 0;
    return a[t] < b[t];
  });
  for (int r = 1; r < rows; ++r) table.SetRow(r, data[static_cast<size_t>(r - 1)]);
}

bool PressBetTableHeading(TextGrid& table, BetType type, int col, SortDirections& dirs) {
  if (col < kColNo || col >= table.ColCount()) return false;
  const int d = dirs.Flip(type, col);
  if (d < 0) return false;
  SortBetTableRows(table, col, d == 1);
  return true;
}

CellStyle BetTableCellStyle(const TextGrid& table, BetType type, std::string_view hr, int row, int col) {
  CellStyle s;
  s.align = CellAlign::Center;
  s.foreground = CellColor::Rgb(0, 0, 0);
  if (row == 0) {
    s.background = CellColor::Rgb(201, 146, 146);
  } else if (col == kColNo) {
    s.background = CellColor::Rgb(193, 255, 193);
  } else if (col == kColCombo && IsPaidCombination(type, table.At(row, col), hr)) {
    s.background = CellColor::Rgb(255, 0, 255);
  } else {
    s.background = CellColor::Rgb(255, 255, 255);
  }
  return s;
}

GridLayout BetTableGridLayout(BetType type, std::function<std::string_view()> payout) {
  GridLayout l;
  l.headerRows = 1;
  l.headerCols = 0;
  l.font = CellFont::Fixed;
  l.pointSize = 9;
  const auto& widths = ColumnWidths(type);
  l.columnWidths.assign(widths.begin(), widths.begin() + LayoutOf(type).columns);
  l.style = [type, payout = std::move(payout)](const TextGrid& g, int row, int col) {
    return BetTableCellStyle(g, type, payout ? payout() : std::string_view{}, row, col);
  };
  return l;
}

CellColor SummaryLabelBackground(BetType labelType, int activeTab) {
  return Index(labelType) == activeTab ? CellColor::Rgb(172, 181, 255) : CellColor::Rgb(255, 251, 240);
}

CellColor SummaryLabelForeground(LabelColor color) {
  switch (color) {
    case LabelColor::Black: return CellColor::Rgb(0, 0, 0);
    case LabelColor::Red: return CellColor::Rgb(255, 0, 0);
    case LabelColor::Default: break;
  }
  return {};
}

int ReadBakenshu(const Settings& settings) {
  const int tab = settings.GetInt("KaimeSet", "Bakenshu");
  return tab >= 0 && tab < kBetTypeCount ? tab : 0;
}

FileResult WriteBakenshu(Settings& settings, int tab) { return settings.WriteInt("KaimeSet", "Bakenshu", tab); }

BetWindowGeometry ReadBetWindowGeometry(const Settings& settings) { return ReadWindowGeometry(settings, "Kaimelocate"); }

void WriteBetWindowGeometry(Settings& settings, const BetWindowGeometry& g) {
  WriteWindowGeometry(settings, "Kaimelocate", g);
}

}  // namespace kv
