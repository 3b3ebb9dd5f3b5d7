#include "print/GridPrint.h"

#include <algorithm>
#include <vector>

namespace kv {

namespace {

constexpr double kTenthsPerPoint = 254.0 / 72.0;  // one point in tenths of a millimetre
constexpr double kLeastPointSize = 5.0;
constexpr int kTitlePointSize = 12;
constexpr int kCellPad = 10;      // space left and right of a cell's text
constexpr int kLeastColumn = 30;  // an empty column stays visible

// Width of a CP932 text in a fixed-pitch font: every byte is half an em.
int TextWidth(const std::string& text, double pointSize) {
  return static_cast<int>(text.size() * pointSize * kTenthsPerPoint / 2 + 0.5);
}

std::vector<int> ColumnWidths(const TextGrid& grid, double pointSize) {
  std::vector<int> widths(static_cast<size_t>(grid.ColCount()), kLeastColumn);
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < grid.ColCount(); ++col)
      widths[static_cast<size_t>(col)] =
          std::max(widths[static_cast<size_t>(col)], TextWidth(grid.At(row, col), pointSize) + 2 * kCellPad);
  return widths;
}

int Sum(const std::vector<int>& v) {
  int s = 0;
  for (int x : v) s += x;
  return s;
}

CellColor PrintableColour(const CellColor& c) {
  // The tooltip background of the screen prints as its usual pale yellow.
  return c.kind == CellColor::Kind::ToolTip ? CellColor::Rgb(255, 255, 225) : c;
}

}  // namespace

PrintDocument BuildGridPrint(const TextGrid& grid, const GridLayout& layout, const std::string& title,
                             const PageArea& area) {
  PrintDocument doc;
  doc.landscape = true;

  double size = layout.pointSize > 0 ? layout.pointSize : 9;
  std::vector<int> widths = ColumnWidths(grid, size);
  const int natural = Sum(widths);
  if (natural > area.width && natural > 0) {
    size = std::max(kLeastPointSize, size * area.width / natural);
    widths = ColumnWidths(grid, size);
  }
  const int rowHeight = static_cast<int>(size * kTenthsPerPoint * 1.5 + 0.5);
  const int top = static_cast<int>(kTitlePointSize * kTenthsPerPoint * 2);
  const int headerRows = std::clamp(layout.headerRows, 0, std::min(1, grid.RowCount()));
  const int rowsPerPage = std::max(1, (area.height - top) / rowHeight - headerRows);
  const int tableWidth = std::min(Sum(widths), area.width);

  auto drawRow = [&](PrintPage& page, int row, int y) {
    int x = 0;
    for (int col = 0; col < grid.ColCount() && x < area.width; ++col) {
      const int w = std::min(widths[static_cast<size_t>(col)], area.width - x);
      CellStyle style = layout.style ? layout.style(grid, row, col) : CellStyle{};
      if (row < headerRows && style.background.IsDefault()) style.background = CellColor::Rgb(192, 192, 192);
      if (!style.background.IsDefault()) page.Rect(x, y, x + w, y + rowHeight, 0, PrintableColour(style.background));
      const std::string& text = grid.At(row, col);
      if (!text.empty()) {
        DrawOp& op = page.Text(x + kCellPad, y + rowHeight / 6, text, size, style.bold || row < headerRows, layout.font);
        op.x2 = x + w - kCellPad;
        op.align = row < headerRows ? CellAlign::Center : style.align;
        op.color = PrintableColour(style.foreground);
      }
      page.Line(x + w, y, x + w, y + rowHeight, 1);
      x += w;
    }
    page.Line(0, y, tableWidth, y, 1);
    page.Line(0, y + rowHeight, tableWidth, y + rowHeight, 1);
    page.Line(0, y, 0, y + rowHeight, 1);
  };

  int row = headerRows;
  do {
    PrintPage& page = doc.pages.emplace_back();
    page.Text(0, 0, title, kTitlePointSize, true);
    int y = top;
    for (int h = 0; h < headerRows; ++h, y += rowHeight) drawRow(page, h, y);
    for (int n = 0; n < rowsPerPage && row < grid.RowCount(); ++n, ++row, y += rowHeight) drawRow(page, row, y);
  } while (row < grid.RowCount());
  return doc;
}

std::string ComparisonPrintTitle(const std::string& nameA, const std::string& nameB) {
  return nameA + " vs " + nameB;
}

}  // namespace kv
