// The one grid model: texts, headings and the core's style rule reach the view; the model stays
// consistent (QAbstractItemModelTester) through refreshes that change the grid's size; the main
// grids' columns are wide enough for their texts.
#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QtTest>

#include "GridView.h"
#include "TextGridModel.h"
#include "text/Cp932.h"
#include "workbench/MainGrids.h"

using kv::CellAlign;
using kv::CellColor;
using kv::CellStyle;
using kv::GridLayout;
using kv::J;
using kv::TextGrid;
using kv::gui::TextGridModel;

class GridModelTest : public QObject {
  Q_OBJECT
 private slots:
  void presentsCellsHeadingsAndStyles();
  void staysConsistentThroughRefreshes();
  void rowAndColumnHeadings();
  void mainGridColumnsHoldTheirWidestTexts();
};

void GridModelTest::presentsCellsHeadingsAndStyles() {
  TextGrid grid(3, 3);
  grid.SetRow(0, {J("枠"), J("馬"), J("馬名")});
  grid.SetRow(1, {" 1", " 1", J("ｱｲﾈｽﾌｳｼﾞﾝ")});
  grid.SetRow(2, {" 2", " 3", J("キタサンブラック")});
  GridLayout layout;
  layout.style = [](const TextGrid& g, int row, int col) {
    CellStyle s;
    if (row == 0) s.background = CellColor::Rgb(192, 192, 192);
    if (col == 0 && row > 0) s.background = g.At(row, 0) == " 2" ? CellColor::Rgb(128, 128, 128) : CellColor::Rgb(255, 255, 255);
    if (col == 1 && row > 0) s.background = CellColor::ToolTipBackground();
    if (col == 1 && g.At(row, 1) == " 1") {
      s.foreground = CellColor::Rgb(255, 0, 0);
      s.bold = true;
    }
    s.align = col == 2 ? CellAlign::Left : CellAlign::Center;
    return s;
  };
  TextGridModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  model.SetGrid(&grid, layout);

  QCOMPARE(model.rowCount(), 2);
  QCOMPARE(model.columnCount(), 3);
  QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("馬名"));
  QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("キタサンブラック"));
  QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("ｱｲﾈｽﾌｳｼﾞﾝ"));
  QCOMPARE(model.GridRow(model.index(1, 0)), 2);

  QCOMPARE(model.data(model.index(1, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(128, 128, 128));
  QCOMPARE(model.data(model.index(0, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 255));
  QCOMPARE(model.data(model.index(0, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
  QVERIFY(model.data(model.index(0, 1), Qt::FontRole).value<QFont>().bold());
  QVERIFY(!model.data(model.index(1, 1), Qt::FontRole).value<QFont>().bold());
  QVERIFY(!model.data(model.index(1, 1), Qt::ForegroundRole).isValid());  // default colour
  QCOMPARE(model.data(model.index(0, 1), Qt::BackgroundRole).value<QBrush>().color(),
           QGuiApplication::palette().color(QPalette::ToolTipBase));
  QCOMPARE(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>(),
           Qt::AlignLeft | Qt::AlignVCenter);
  QCOMPARE(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
  QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 192, 192));
}

void GridModelTest::staysConsistentThroughRefreshes() {
  TextGrid grid(1, 31);
  grid.Set(0, 2, J("馬名"));
  TextGridModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  model.SetGrid(&grid, GridLayout{});
  QCOMPARE(model.rowCount(), 0);  // headings only
  QCOMPARE(model.columnCount(), 31);

  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  grid.SetRowCount(17);
  grid.Set(16, 2, J("最後の馬"));
  model.Refresh();
  QCOMPARE(resets.count(), 1);
  QCOMPARE(model.rowCount(), 16);
  QCOMPARE(model.data(model.index(15, 2)).toString(), QStringLiteral("最後の馬"));

  grid.Resize(3, 2);
  model.Refresh();
  QCOMPARE(model.rowCount(), 2);
  QCOMPARE(model.columnCount(), 2);
  QVERIFY(!model.data(model.index(5, 5)).isValid());

  model.SetGrid(nullptr, GridLayout{});
  QCOMPARE(model.rowCount(), 0);
  QCOMPARE(model.columnCount(), 0);
}

void GridModelTest::rowAndColumnHeadings() {
  // The win/loss table: row 0 and column 0 hold the horse numbers.
  TextGrid grid(4, 4);
  for (int i = 1; i <= 3; ++i) {
    grid.Set(0, i, kv::J(" ") + std::to_string(i));
    grid.Set(i, 0, kv::J(" ") + std::to_string(i));
  }
  grid.Set(1, 2, J("○"));
  grid.Set(2, 1, J("×"));
  GridLayout layout;
  layout.headerCols = 1;
  TextGridModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  model.SetGrid(&grid, layout);
  QCOMPARE(model.rowCount(), 3);
  QCOMPARE(model.columnCount(), 3);
  QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral(" 2"));
  QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral(" 3"));
  QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("○"));
  QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("×"));
  QCOMPARE(model.GridCol(model.index(0, 1)), 2);
}

// Every column of the entry table and the comparison-detail table shows its heading and its
// widest text uncut in the grid font (IPA Gothic).
void GridModelTest::mainGridColumnsHoldTheirWidestTexts() {
  struct View : kv::gui::GridView {
    using QTableView::sizeHintForColumn;
  };
  const std::string name = "アアアアアアアアア";  // nine full-width letters, the longest horse name
  struct Grid {
    const char* what;
    kv::TextGrid kv::MainGrids::*grid;
    GridLayout (*layout)();
    std::vector<std::string> widest;  // UTF-8, one per column
  };
  const Grid grids[] = {
      {"entry table", &kv::MainGrids::entry, kv::EntryTableLayout,
       {" 8", "18", name, "ｾﾝ10", "アアアア", "55.0", "3kg減", "アアアア", "17", "18", "18", "17", "100.0", "18",
        "9999", "18", "9999", "100.0", "18", "9999.9", "18", "999", "999", "100.0", "ν", "ν", "ν", "18", "1.23.4",
        "999.9", "18"}},
      {"comparison detail", &kv::MainGrids::compareDetail, kv::CompareDetailLayout,
       {"", "18", name, "999", "999", "999", " ○", "18", name, "999", "999", "999", " ○", "999", "999"}},
  };
  for (const Grid& g : grids) {
    kv::MainGrids all;
    all.InitHeadings();
    TextGrid& grid = all.*g.grid;
    QCOMPARE(static_cast<size_t>(grid.ColCount()), g.widest.size());
    grid.SetRowCount(2);
    for (int c = 0; c < grid.ColCount(); ++c) grid.Set(1, c, J(g.widest[static_cast<size_t>(c)]));
    const GridLayout layout = g.layout();
    View view;
    view.SetGrid(&grid, layout);
    if (!QFontInfo(view.font()).family().startsWith(QStringLiteral("IPA"))) QSKIP("the IPA fonts are not installed");
    for (int c = 0; c < grid.ColCount(); ++c) {
      const int need = std::max(view.sizeHintForColumn(c), view.horizontalHeader()->sectionSizeHint(c));
      QVERIFY2(need <= layout.columnWidths[static_cast<size_t>(c)],
               qPrintable(QStringLiteral("%1 column %2 needs %3 pixels").arg(g.what).arg(c).arg(need)));
    }
  }
}

QTEST_MAIN(GridModelTest)
#include "GridModelTest.moc"
