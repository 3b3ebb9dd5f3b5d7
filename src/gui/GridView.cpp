#include "GridView.h"

#include <QBrush>
#include <QHeaderView>
#include <QMouseEvent>

#include "GuiFonts.h"

namespace kv::gui {

GridView::GridView(QWidget* parent) : QTableView(parent), model_(new TextGridModel(this)) {
  setModel(model_);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setMouseTracking(true);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setHighlightSections(false);
  connect(model_, &QAbstractItemModel::modelReset, this, &GridView::ApplyLayout);
  ApplyLayout();
}

void GridView::SetGrid(const TextGrid* grid, GridLayout layout) { model_->SetGrid(grid, std::move(layout)); }

void GridView::Refresh() { model_->Refresh(); }

void GridView::ApplyLayout() {
  const GridLayout& l = model_->Layout();
  QFont f = GridFont(l.font, l.pointSize);
  setFont(f);
  horizontalHeader()->setFont(f);
  verticalHeader()->setFont(f);
  verticalHeader()->setVisible(l.headerCols > 0);
  horizontalHeader()->setVisible(l.headerRows > 0);
  const int rowHeight = l.rowHeight > 0 ? l.rowHeight : QFontMetrics(f).height() + 4;
  verticalHeader()->setMinimumSectionSize(std::min(rowHeight, 12));
  verticalHeader()->setDefaultSectionSize(rowHeight);
  for (int c = 0; c < model_->columnCount(); ++c) {
    const size_t gridCol = static_cast<size_t>(c + l.headerCols);
    if (gridCol < l.columnWidths.size() && l.columnWidths[gridCol] > 0) setColumnWidth(c, l.columnWidths[gridCol]);
  }
  // Heading colours: the header views draw them through a style sheet, which every style honours.
  const QVariant headingBrush = model_->HeadingBackground();
  QString sheet;
  if (headingBrush.isValid()) {
    const QColor c = headingBrush.value<QBrush>().color();
    sheet = QStringLiteral("QHeaderView::section { background-color: %1; color: black; border: none;"
                           " border-right: 1px solid #808080; border-bottom: 1px solid #808080; padding: 0 2px; }")
                .arg(c.name());
  }
  horizontalHeader()->setStyleSheet(sheet);
  verticalHeader()->setStyleSheet(sheet);
  if (l.headerCols > 0 && !l.columnWidths.empty() && l.columnWidths[0] > 0)
    verticalHeader()->setFixedWidth(l.columnWidths[0]);
}

void GridView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) emit cellPressed(model_->GridRow(index), model_->GridCol(index), event->button());
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
  QTableView::mouseMoveEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) emit cellHovered(model_->GridRow(index), model_->GridCol(index));
  else emit cellHovered(-1, -1);
}

}  // namespace kv::gui
