#pragma once
// Paints cells that the core lays out piece by piece (DrawnCell): background, text pieces with
// their fonts, colours and places, and a black line along the bottom edge. The cells come from a
// source function in grid coordinates; each is laid out once (texts converted, fonts and places
// measured) and kept until the model is reset, so scrolling only paints what is ready.
#include <QFont>
#include <QString>
#include <QStyledItemDelegate>
#include <functional>
#include <unordered_map>
#include <vector>

#include "workbench/DetailEntryTable.h"

namespace kv::gui {

class TextGridModel;

class DrawnCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using Source = std::function<DrawnCell(int gridRow, int gridCol)>;
  // model maps view indexes to grid coordinates; its resets drop the laid-out cells.
  DrawnCellDelegate(TextGridModel* model, Source source, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // Drops every laid-out cell (the source's data changed).
  void Forget() { cells_.clear(); }

 private:
  struct Piece {
    QString text;
    QFont font;
    QColor color;
    int x = 0, y = 0;  // pixels from the cell's top-left corner to the text's base line start
  };
  struct Laid {
    QVariant background;
    std::vector<Piece> pieces;
  };
  const Laid& LayOut(int gridRow, int gridCol) const;
  QFont Font(int pointSize, bool bold) const;

  TextGridModel* model_;
  Source source_;
  mutable std::unordered_map<long long, Laid> cells_;
  mutable std::unordered_map<int, QFont> fonts_;
};

}  // namespace kv::gui
