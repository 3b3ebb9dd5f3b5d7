#include "FrozenColumnView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace kv::gui {

FrozenColumnView::FrozenColumnView(int frozenColumns, QWidget* parent)
    : GridView(parent), frozenColumns_(frozenColumns), frozen_(new QTableView(this)) {
  frozen_->setObjectName(QStringLiteral("FrozenColumns"));
  frozen_->setModel(model());
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setSelectionMode(QAbstractItemView::NoSelection);
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen_->setWordWrap(false);
  frozen_->setMouseTracking(true);
  frozen_->verticalHeader()->hide();
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->horizontalHeader()->setHighlightSections(false);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setStyleSheet(QStringLiteral("QTableView { border: none; border-right: 1px solid #808080; }"));
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerPixel);
  frozen_->setVerticalScrollMode(ScrollPerPixel);
  viewport()->stackUnder(frozen_);
  frozen_->viewport()->installEventFilter(this);

  // GridView lays itself out on every model reset first; the frozen part follows.
  connect(model(), &QAbstractItemModel::modelReset, this, &FrozenColumnView::SyncFrozen);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
    if (col < frozenColumns_) {
      frozen_->setColumnWidth(col, size);
      UpdateFrozenGeometry();
    }
  });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int row, int, int size) { frozen_->setRowHeight(row, size); });
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
  SyncFrozen();
  frozen_->show();
}

void FrozenColumnView::SetDelegate(QAbstractItemDelegate* delegate) {
  setItemDelegate(delegate);
  frozen_->setItemDelegate(delegate);
}

void FrozenColumnView::SyncFrozen() {
  frozen_->setFont(font());
  frozen_->horizontalHeader()->setFont(horizontalHeader()->font());
  frozen_->horizontalHeader()->setStyleSheet(horizontalHeader()->styleSheet());
  frozen_->horizontalHeader()->setVisible(!horizontalHeader()->isHidden());
  frozen_->verticalHeader()->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
  frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
  for (int c = 0; c < model()->columnCount(); ++c) {
    frozen_->setColumnHidden(c, c >= frozenColumns_);
    if (c < frozenColumns_) frozen_->setColumnWidth(c, columnWidth(c));
  }
  for (int r = 0; r < model()->rowCount(); ++r) frozen_->setRowHeight(r, rowHeight(r));
  UpdateFrozenGeometry();
}

int FrozenColumnView::FrozenWidth() const {
  int w = 0;
  for (int c = 0; c < frozenColumns_ && c < model()->columnCount(); ++c) w += columnWidth(c);
  return w;
}

void FrozenColumnView::UpdateFrozenGeometry() {
  QHeaderView* head = horizontalHeader();
  const int headHeight = head->isHidden() ? 0 : head->height();
  frozen_->horizontalHeader()->setFixedHeight(headHeight);
  const int vhead = verticalHeader()->isHidden() ? 0 : verticalHeader()->width();
  frozen_->setGeometry(vhead + frameWidth(), frameWidth(), FrozenWidth() + 1, viewport()->height() + headHeight);
  frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FrozenColumnView::resizeEvent(QResizeEvent* event) {
  GridView::resizeEvent(event);
  UpdateFrozenGeometry();
}

QModelIndex FrozenColumnView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = GridView::moveCursor(cursorAction, modifiers);
  // Keep the cell the keys moved to out from under the frozen part.
  if (cursorAction == MoveLeft && current.column() >= frozenColumns_ &&
      visualRect(current).topLeft().x() < FrozenWidth()) {
    const int to = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - FrozenWidth();
    horizontalScrollBar()->setValue(to);
  }
  return current;
}

void FrozenColumnView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() >= frozenColumns_) GridView::scrollTo(index, hint);
}

bool FrozenColumnView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frozen_->viewport()) {
    auto* model = GridModel();
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QModelIndex index = frozen_->indexAt(e->position().toPoint());
        if (index.isValid()) emit cellPressed(model->GridRow(index), model->GridCol(index), e->button());
        return true;
      }
      case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QModelIndex index = frozen_->indexAt(e->position().toPoint());
        if (index.isValid()) emit cellHovered(model->GridRow(index), model->GridCol(index));
        else emit cellHovered(-1, -1);
        break;
      }
      case QEvent::ContextMenu:
        if (contextMenuPolicy() == Qt::CustomContextMenu) {
          auto* e = static_cast<QContextMenuEvent*>(event);
          emit customContextMenuRequested(viewport()->mapFromGlobal(e->globalPos()));
          return true;
        }
        break;
      default: break;
    }
  }
  return GridView::eventFilter(watched, event);
}

}  // namespace kv::gui
