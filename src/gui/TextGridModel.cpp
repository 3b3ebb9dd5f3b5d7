#include "TextGridModel.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include "GuiFonts.h"
#include "text/Cp932.h"

namespace kv::gui {

namespace {

Qt::Alignment ToAlignment(CellAlign a) {
  switch (a) {
    case CellAlign::Center: return Qt::AlignCenter;
    case CellAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlign::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

QVariant ToColor(const CellColor& c) {
  switch (c.kind) {
    case CellColor::Kind::Rgb: return QBrush(QColor(c.r, c.g, c.b));
    case CellColor::Kind::ToolTip: return QBrush(QGuiApplication::palette().color(QPalette::ToolTipBase));
    case CellColor::Kind::Default: break;
  }
  return {};
}

TextGridModel::TextGridModel(QObject* parent) : QAbstractTableModel(parent) {
  baseFont_ = GridFont(layout_.font, layout_.pointSize);
}

void TextGridModel::SetGrid(const TextGrid* grid, GridLayout layout) {
  grid_ = grid;
  layout_ = std::move(layout);
  layout_.headerRows = layout_.headerRows > 0 ? 1 : 0;
  layout_.headerCols = layout_.headerCols > 0 ? 1 : 0;
  baseFont_ = GridFont(layout_.font, layout_.pointSize);
  Refresh();
}

void TextGridModel::Refresh() {
  beginResetModel();
  rows_ = grid_ ? grid_->RowCount() : 0;
  cols_ = grid_ ? grid_->ColCount() : 0;
  cells_.assign(static_cast<size_t>(rows_) * static_cast<size_t>(cols_), Cell{});
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < cols_; ++c) {
      Cell& cell = cells_[static_cast<size_t>(r) * cols_ + c];
      const std::string& text = grid_->At(r, c);
      if (!text.empty()) cell.text = QString::fromStdString(ToUtf8(text));
      if (layout_.style) cell.style = layout_.style(*grid_, r, c);
    }
  }
  endResetModel();
}

const TextGridModel::Cell* TextGridModel::CellAt(int gridRow, int gridCol) const {
  if (gridRow < 0 || gridCol < 0 || gridRow >= rows_ || gridCol >= cols_) return nullptr;
  return &cells_[static_cast<size_t>(gridRow) * cols_ + gridCol];
}

QVariant TextGridModel::HeadingBackground() const {
  const Cell* cell = CellAt(0, 0);
  return cell ? ToColor(cell->style.background) : QVariant();
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return std::max(0, rows_ - layout_.headerRows);
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return std::max(0, cols_ - layout_.headerCols);
}

QVariant TextGridModel::StyleData(const CellStyle& style, int role) const {
  switch (role) {
    case Qt::BackgroundRole: return ToColor(style.background);
    case Qt::ForegroundRole: return ToColor(style.foreground);
    case Qt::TextAlignmentRole: return QVariant::fromValue(ToAlignment(style.align));
    case Qt::FontRole: {
      if (!style.bold && style.pointSize == 0) return baseFont_;
      QFont f = baseFont_;
      f.setBold(style.bold);
      if (style.pointSize > 0) f.setPointSize(style.pointSize);
      return f;
    }
    default: return {};
  }
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this) return {};
  const Cell* cell = CellAt(GridRow(index), GridCol(index));
  if (!cell) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    if (role == Qt::ToolTipRole && cell->text.isEmpty()) return {};
    return cell->text;
  }
  return StyleData(cell->style, role);
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (section < 0) return {};
  const Cell* cell = nullptr;
  if (orientation == Qt::Horizontal) {
    if (section >= columnCount()) return {};
    if (layout_.headerRows) cell = CellAt(0, section + layout_.headerCols);
    else if (role == Qt::DisplayRole) return section + 1;
  } else {
    if (section >= rowCount()) return {};
    if (layout_.headerCols) cell = CellAt(section + layout_.headerRows, 0);
    else if (role == Qt::DisplayRole) return section + 1;
  }
  if (!cell) return {};
  if (role == Qt::DisplayRole) return cell->text;
  if (role == Qt::FontRole) return StyleData(cell->style, role);
  if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) return StyleData(cell->style, role);
  return {};
}

}  // namespace kv::gui
