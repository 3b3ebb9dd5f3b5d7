#pragma once
// A QTableView over a TextGridModel: applies the grid layout's fonts, column widths and row
// height, and reports mouse presses and moves in grid coordinates (heading row = row 0), so the
// window can hand them to workbench commands.
#include <QTableView>

#include "TextGridModel.h"

namespace kv::gui {

class GridView : public QTableView {
  Q_OBJECT
 public:
  explicit GridView(QWidget* parent = nullptr);
  // Shows grid through this view's own model.
  void SetGrid(const TextGrid* grid, GridLayout layout);
  TextGridModel* GridModel() const { return model_; }
  // Re-reads the grid after the workbench changed it.
  void Refresh();

 signals:
  void cellPressed(int gridRow, int gridCol, Qt::MouseButton button);
  void cellHovered(int gridRow, int gridCol);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void ApplyLayout();
  TextGridModel* model_;
};

}  // namespace kv::gui
