#include "DrawnCellDelegate.h"

#include <QFontMetrics>
#include <QPainter>

#include "GuiFonts.h"
#include "TextGridModel.h"
#include "text/Cp932.h"

namespace kv::gui {

namespace {

constexpr int kTextMargin = 1;  // text starts one pixel inside the cell
constexpr int kBasePointSize = 8;

}  // namespace

DrawnCellDelegate::DrawnCellDelegate(TextGridModel* model, Source source, QObject* parent)
    : QStyledItemDelegate(parent), model_(model), source_(std::move(source)) {
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { Forget(); });
}

QFont DrawnCellDelegate::Font(int pointSize, bool bold) const {
  const int key = pointSize * 2 + (bold ? 1 : 0);
  auto it = fonts_.find(key);
  if (it == fonts_.end()) it = fonts_.emplace(key, FixedFont(pointSize, bold)).first;
  return it->second;
}

const DrawnCellDelegate::Laid& DrawnCellDelegate::LayOut(int gridRow, int gridCol) const {
  const long long key = static_cast<long long>(gridRow) * 100000 + gridCol;
  if (auto it = cells_.find(key); it != cells_.end()) return it->second;
  const DrawnCell cell = source_(gridRow, gridCol);
  Laid laid;
  laid.background = ToColor(cell.background);
  // Each line's top is the previous line's top plus the line height of its first piece's font
  // (of the base font for a line without pieces).
  int lines = 0;
  for (const DrawnText& t : cell.texts) lines = std::max(lines, t.line + 1);
  std::vector<int> step(static_cast<size_t>(lines), QFontMetrics(Font(kBasePointSize, false)).height());
  std::vector<bool> seen(static_cast<size_t>(lines), false);
  for (const DrawnText& t : cell.texts) {
    if (seen[static_cast<size_t>(t.line)]) continue;
    seen[static_cast<size_t>(t.line)] = true;
    step[static_cast<size_t>(t.line)] = QFontMetrics(Font(t.pointSize, t.bold)).height();
  }
  std::vector<int> top(static_cast<size_t>(lines) + 1, kTextMargin);
  for (int i = 0; i < lines; ++i) top[static_cast<size_t>(i) + 1] = top[static_cast<size_t>(i)] + step[static_cast<size_t>(i)];
  int line = -1, penX = kTextMargin;
  for (const DrawnText& t : cell.texts) {
    Piece p;
    p.text = QString::fromStdString(ToUtf8(t.text));
    p.font = Font(t.pointSize, t.bold);
    p.color = t.color.IsDefault() ? QColor(Qt::black) : ToColor(t.color).value<QBrush>().color();
    if (t.line != line) {
      line = t.line;
      penX = kTextMargin;
    }
    if (t.x > 0) penX = kTextMargin + t.x;
    const QFontMetrics fm(p.font);
    p.x = penX;
    p.y = top[static_cast<size_t>(t.line)] + t.dy + fm.ascent();
    penX += fm.horizontalAdvance(p.text);
    laid.pieces.push_back(std::move(p));
  }
  return cells_.emplace(key, std::move(laid)).first->second;
}

void DrawnCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const Laid& c = LayOut(model_->GridRow(index), model_->GridCol(index));
  const QRect r = option.rect;
  painter->save();
  painter->setClipRect(r);
  painter->fillRect(r, c.background.isValid() ? c.background.value<QBrush>() : QBrush(Qt::white));
  for (const Piece& p : c.pieces) {
    painter->setFont(p.font);
    painter->setPen(p.color);
    painter->drawText(r.left() + p.x, r.top() + p.y, p.text);
  }
  painter->setPen(Qt::black);
  painter->drawLine(r.bottomLeft(), r.bottomRight());
  painter->restore();
}

}  // namespace kv::gui
