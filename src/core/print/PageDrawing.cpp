#include "print/PageDrawing.h"

#include <utility>

namespace kv {

DrawOp& PrintPage::Text(int x, int y, std::string text, double pointSize, bool bold, CellFont font) {
  DrawOp& op = ops.emplace_back();
  op.kind = DrawKind::Text;
  op.x1 = x;
  op.y1 = y;
  op.text = std::move(text);
  op.pointSize = pointSize;
  op.bold = bold;
  op.font = font;
  return op;
}

DrawOp& PrintPage::Line(int x1, int y1, int x2, int y2, int penWidth) {
  DrawOp& op = ops.emplace_back();
  op.kind = DrawKind::Line;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.penWidth = penWidth;
  return op;
}

DrawOp& PrintPage::Rect(int x1, int y1, int x2, int y2, int penWidth, CellColor fill) {
  DrawOp& op = Line(x1, y1, x2, y2, penWidth);
  op.kind = DrawKind::Rect;
  op.fill = fill;
  return op;
}

}  // namespace kv
