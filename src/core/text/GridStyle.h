#pragma once
// How a grid cell is drawn: background and text colour, weight, size, font kind and alignment.
// The rules that decide these (frame colours, red rank 1, bold columns …) are plain functions of
// the grid's texts, written here in the core; the Qt grid view only applies what they return.
#include <cstdint>
#include <functional>
#include <vector>

#include "text/TextGrid.h"

namespace kv {

struct CellColor {
  enum class Kind : std::uint8_t { Default, Rgb, ToolTip };  // ToolTip: the system's tooltip background
  Kind kind = Kind::Default;
  std::uint8_t r = 0, g = 0, b = 0;

  static CellColor Rgb(int r, int g, int b) {
    return {Kind::Rgb, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
  }
  static CellColor ToolTipBackground() { return {Kind::ToolTip, 0, 0, 0}; }
  bool IsDefault() const { return kind == Kind::Default; }
  bool operator==(const CellColor&) const = default;
};

enum class CellAlign : std::uint8_t { Left, Center, Right };
enum class CellFont : std::uint8_t { Fixed, Proportional };  // fixed-pitch / proportional Japanese font

struct CellStyle {
  CellColor background;
  CellColor foreground;
  bool bold = false;
  int pointSize = 0;  // 0: the grid's normal size
  CellAlign align = CellAlign::Left;
  bool operator==(const CellStyle&) const = default;
};

// The style of one cell (row and column index the grid, row 0 being the heading row).
using GridStyleRule = std::function<CellStyle(const TextGrid& grid, int row, int col)>;

// How a grid is presented: which leading rows/columns are headings, the font, the style rule
// and the column widths in pixels (0 or missing: the view's default).
struct GridLayout {
  int headerRows = 1;  // 0 or 1: row 0 shown as the column headings
  int headerCols = 0;  // 0 or 1: column 0 shown as the row headings
  CellFont font = CellFont::Fixed;
  int pointSize = 9;
  int rowHeight = 0;  // 0: from the font
  std::vector<int> columnWidths;
  GridStyleRule style;  // empty: every cell plain, left-aligned
};

}  // namespace kv
