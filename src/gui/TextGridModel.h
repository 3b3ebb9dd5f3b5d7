#pragma once
// The one table model of the workbench: presents a kv::TextGrid (CP932 cells) to a QTableView.
// Row 0 (and optionally column 0) become the view's headings; colours, fonts and alignment come
// from the grid's core style rule. The grid belongs to the workbench: after the workbench changes
// it, Refresh() re-reads texts and styles.
#include <QAbstractTableModel>
#include <QFont>
#include <QString>
#include <vector>

#include "text/TextGrid.h"
#include "text/GridStyle.h"

namespace kv::gui {

// The brush of a cell colour (the system's tooltip background for that kind); nothing for the
// default colour.
QVariant ToColor(const CellColor& c);

class TextGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TextGridModel(QObject* parent = nullptr);
  // grid may be null (an empty model); it must outlive the model or be replaced first.
  void SetGrid(const TextGrid* grid, GridLayout layout);
  const GridLayout& Layout() const { return layout_; }
  // Re-reads every text and style of the grid (size changes included).
  void Refresh();

  // Grid coordinates of a model index and back (the heading rows/columns are not model cells).
  int GridRow(const QModelIndex& index) const { return index.row() + layout_.headerRows; }
  int GridCol(const QModelIndex& index) const { return index.column() + layout_.headerCols; }

  // The background the style rule gives the heading row (cell 0, 0), or nothing.
  QVariant HeadingBackground() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct Cell {
    QString text;
    CellStyle style;
  };
  const Cell* CellAt(int gridRow, int gridCol) const;
  QVariant StyleData(const CellStyle& style, int role) const;

  const TextGrid* grid_ = nullptr;
  GridLayout layout_;
  int rows_ = 0, cols_ = 0;  // grid size captured at the last refresh
  std::vector<Cell> cells_;  // rows_ x cols_, row-major, every grid cell (headings included)
  QFont baseFont_;
};

}  // namespace kv::gui
