#pragma once
// A printed page as a list of drawing operations, independent of any printer or toolkit.
// Coordinates are in tenths of a millimetre from the top-left corner of the page's printable
// area. A painter backend turns the operations into dots on a printer, a PDF or the screen.
#include <string>
#include <vector>

#include "text/GridStyle.h"

namespace kv {

enum class DrawKind : unsigned char { Text, Line, Rect };

struct DrawOp {
  DrawKind kind = DrawKind::Text;
  // Text: (x1, y1) is the top-left corner of the text; when x2 > x1 the text is aligned inside
  // x1..x2 by align. Line: from (x1, y1) to (x2, y2). Rect: the corners (x1, y1) and (x2, y2).
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  // Line and Rect: pen width value w; the drawn width is w x printer dpi / (screen dpi x 10)
  // printer dots, at least one dot. A Rect with pen width 0 has no outline.
  int penWidth = 0;
  CellColor color;  // text or pen colour; Default is black
  CellColor fill;   // Rect: Default is unfilled
  CellFont font = CellFont::Fixed;
  double pointSize = 9;
  bool bold = false;
  CellAlign align = CellAlign::Left;
  std::string text;  // CP932
};

struct PrintPage {
  std::vector<DrawOp> ops;

  // Text at (x, y), top-left corner, in the fixed-pitch font unless font says otherwise.
  DrawOp& Text(int x, int y, std::string text, double pointSize, bool bold = false,
               CellFont font = CellFont::Fixed);
  DrawOp& Line(int x1, int y1, int x2, int y2, int penWidth);
  DrawOp& Rect(int x1, int y1, int x2, int y2, int penWidth, CellColor fill = {});
};

// Pages of one print job.
struct PrintDocument {
  bool landscape = false;  // asks the printer for landscape when it allows
  std::vector<PrintPage> pages;
};

// Printable area in tenths of a millimetre.
struct PageArea {
  int width = 2000;
  int height = 2870;
};

}  // namespace kv
