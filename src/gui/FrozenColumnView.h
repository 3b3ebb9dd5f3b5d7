#pragma once
// A grid view whose first columns stay in place when the grid scrolls sideways: a second table
// view over the same model shows only those columns on top of the left edge and scrolls up and
// down with the grid. Presses, moves and the context menu on the frozen columns are reported as
// on the grid itself, so the window handles both parts alike.
#include <QTableView>

#include "GridView.h"

class QAbstractItemDelegate;

namespace kv::gui {

class FrozenColumnView : public GridView {
  Q_OBJECT
 public:
  explicit FrozenColumnView(int frozenColumns, QWidget* parent = nullptr);
  // The delegate paints the cells of both parts.
  void SetDelegate(QAbstractItemDelegate* delegate);
  QTableView* FrozenPart() const { return frozen_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 private:
  // Columns, widths, heights, fonts and heading style of the frozen part from the grid's.
  void SyncFrozen();
  void UpdateFrozenGeometry();
  int FrozenWidth() const;

  int frozenColumns_;
  QTableView* frozen_;
};

}  // namespace kv::gui
