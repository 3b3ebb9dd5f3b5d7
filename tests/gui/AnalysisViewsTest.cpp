// The analysis tabs on a simulated world: the detailed entry table of a race renders its runner
// rows drawn from the race-day model with the horse columns frozen, and picking two horses in the
// entry table and pressing ２頭の比較 fills the comparison grid.
//
// With KORVANE_SCREENSHOTS set to a folder, the tabs are also saved there as PNG pictures.
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

#include "../support/RecordingPorts.h"
#include "../support/SimulatedPastRuns.h"
#include "FrozenColumnView.h"
#include "GridView.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "QtPorts.h"
#include "app/Files.h"
#include "compare/TwoHorseView.h"
#include "text/Field.h"
#include "text/Cp932.h"
#include "workbench/DetailEntryTable.h"

using namespace kv;
using namespace kv::gui;

namespace {

void Shoot(QWidget& w, const char* name) {
  const QByteArray dir = qgetenv("KORVANE_SCREENSHOTS");
  if (dir.isEmpty()) return;
  w.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

int TabIndex(QTabWidget* tabs, const QString& text) {
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i) == text) return i;
  return -1;
}

}  // namespace

class AnalysisViewsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void detailedEntryTableRenders();
  void pickingTwoHorsesFillsTheComparisonGrid();

 private:
  test::ScratchFolder prog_;
  std::unique_ptr<test::RecordingUi> ui_;
  std::unique_ptr<GuiSession> session_;
};

void AnalysisViewsTest::initTestCase() {
  const auto days = test::SimulatePastRuns(prog_.path(), 20240601, sim::Date{2023, 9, 1}, 9);
  QCOMPARE(days.size(), 9u);
  WriteFileAtomic(prog_.path() / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n[locate]\r\nwidth=1280\r\nheight=860\r\n");
  ui_ = std::make_unique<test::RecordingUi>();
  session_ = std::make_unique<GuiSession>(prog_.path(), ui_.get());
  QVERIFY(session_->Start());
  MainWindow& w = session_->Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  QVERIFY(date && date->count() == 9);
  date->setCurrentIndex(0);  // the newest day
  emit date->activated(0);
  QVERIFY(session_->Bench().SelectedListIndex() == 0);
}

void AnalysisViewsTest::detailedEntryTableRenders() {
  MainWindow& w = session_->Window();
  Workbench& wb = session_->Bench();
  auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("AnalysisTabs"));
  tabs->setCurrentIndex(TabIndex(tabs, QStringLiteral("出馬表(詳細)")));
  auto* detail = w.findChild<FrozenColumnView*>(QStringLiteral("DetailEntryGrid"));
  QVERIFY(detail);
  const RaceDayModel& day = *wb.Day();
  const int runners = day.RunnerCount(day.SelectedRace);
  QVERIFY(runners > 1);
  QCOMPARE(detail->model()->rowCount(), runners);
  QCOMPARE(detail->model()->columnCount(), kDetailEntryCols);
  QCOMPARE(detail->rowHeight(0), kDetailRowHeight);
  QCOMPARE(detail->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("  1走前"));
  QTest::qWait(50);
  Shoot(w, "detail");

  // The painted frame column has the frame colour of runner 1; a past-run cell holding a run is
  // white and one beyond the stored runs grey.
  const QImage shot = detail->viewport()->grab().toImage();
  const QRect frame = detail->visualRect(detail->model()->index(0, 0));
  const DrawnCell frameCell = DetailEntryCell(day, day.SelectedRace, 1, 0);
  const QColor frameColour(frameCell.background.r, frameCell.background.g, frameCell.background.b);
  QCOMPARE(shot.pixelColor(frame.left() + 2, frame.bottom() - 3), frameColour);

  // Scrolled far right, the frozen part still shows 枠, 馬 and 馬名 of each row.
  detail->horizontalScrollBar()->setValue(detail->horizontalScrollBar()->maximum());
  QVERIFY(detail->horizontalScrollBar()->value() > 0);
  QTest::qWait(20);
  QTableView* frozen = detail->FrozenPart();
  QVERIFY(frozen->isVisible());
  QCOMPARE(frozen->columnWidth(2), 140);
  QVERIFY(frozen->isColumnHidden(3));
  const QImage frozenShot = frozen->viewport()->grab().toImage();
  QCOMPARE(frozenShot.pixelColor(frame.left() + 2, frame.bottom() - 3), frameColour);

  // Scrolling through every past-run column, one column a step, painting the viewport each time.
  QElapsedTimer timer;
  timer.start();
  int steps = 0;
  for (int x = 0; x <= detail->horizontalScrollBar()->maximum(); x += 145, ++steps) {
    detail->horizontalScrollBar()->setValue(x);
    detail->viewport()->repaint();
  }
  qInfo("detailed entry table: %d runners, %d scroll steps painted in %lld ms", runners, steps,
        static_cast<long long>(timer.elapsed()));
  detail->horizontalScrollBar()->setValue(0);

  // The entry table keeps the same three columns in place.
  auto* entry = w.findChild<FrozenColumnView*>(QStringLiteral("EntryGrid"));
  QVERIFY(entry);
  QVERIFY(entry->FrozenPart()->isColumnHidden(3));
  QVERIFY(!entry->FrozenPart()->isColumnHidden(2));
}

void AnalysisViewsTest::pickingTwoHorsesFillsTheComparisonGrid() {
  MainWindow& w = session_->Window();
  Workbench& wb = session_->Bench();
  const RaceDayModel& day = *wb.Day();
  // A race and two of its horses that met common opponents inside the data span.
  int listIndex = -1, rowA = 0, rowB = 0;
  for (int i = 0; i < static_cast<int>(wb.RaceSlots().size()) && listIndex < 0; ++i) {
    wb.SelectRace(i);
    const TextGrid& entry = wb.Grids().entry;
    for (int ra = 1; ra < entry.RowCount() && listIndex < 0; ++ra)
      for (int rb = ra + 1; rb < entry.RowCount() && listIndex < 0; ++rb) {
        const int a = ParseInt(entry.At(ra, 1)), b = ParseInt(entry.At(rb, 1));
        const int r = day.SelectedRace;
        TwoHorseRequest req{entry.At(ra, 2), entry.At(rb, 2), entry.At(ra, 5), entry.At(rb, 5),
                            FldStr(day.Entry(r, a - 1), kSE_HorseId), FldStr(day.Entry(r, b - 1), kSE_HorseId),
                            static_cast<int>(FldLong(day.Race(r), kHdr_Date)), wb.DataSpanPreset()};
        PastRunLines files(wb.ProgDir());
        TextGrid g;
        if (CompareTwoHorses(files, req, g).rows > 0) {
          listIndex = i;
          rowA = ra;
          rowB = rb;
        }
      }
  }
  QVERIFY2(listIndex >= 0, "no pair with common opponents in the simulated days");
  auto* races = w.findChild<QListWidget*>(QStringLiteral("RaceList"));
  races->setCurrentRow(listIndex);
  QCOMPARE(wb.SelectedListIndex(), listIndex);

  // Clicks on the name column of two rows of the entry table pick A and B.
  auto* entry = w.findChild<FrozenColumnView*>(QStringLiteral("EntryGrid"));
  QTableView* frozen = entry->FrozenPart();
  for (int row : {rowA, rowB}) {
    const QRect cell = frozen->visualRect(frozen->model()->index(row - 1, 2));
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, cell.center());
  }
  auto* nameA = w.findChild<QLineEdit*>(QStringLiteral("HorseAEdit"));
  auto* nameB = w.findChild<QLineEdit*>(QStringLiteral("HorseBEdit"));
  QCOMPARE(nameA->text(), Q(wb.Grids().entry.At(rowA, 2)));
  QCOMPARE(nameB->text(), Q(wb.Grids().entry.At(rowB, 2)));

  w.findChild<QPushButton*>(QStringLiteral("TwoHorseButton"))->click();
  auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("AnalysisTabs"));
  QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("２頭比較"));
  auto* grid = w.findChild<GridView*>(QStringLiteral("TwoHorseGrid"));
  QVERIFY(grid->model()->rowCount() > 0);
  QCOMPARE(grid->model()->columnCount(), kTwoHorseCols);
  QVERIFY(!grid->model()->index(0, 0).data().toString().isEmpty());
  QVERIFY(w.findChild<QLabel*>(QStringLiteral("TwoHorseCounterLabel"))->text().startsWith(QStringLiteral("該当数：")));
  QVERIFY(!w.findChild<QLabel*>(QStringLiteral("TwoHorseSummary0"))->text().isEmpty());
  QTest::qWait(50);
  Shoot(w, "twohorse");

  // 集計 of the KT tab fills the matrix's heading and shows the tab.
  w.findChild<QPushButton*>(QStringLiteral("KtRunButton"))->click();
  QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("KT専用"));
  auto* matrix = w.findChild<GridView*>(QStringLiteral("KtMatrixGrid"));
  QCOMPARE(matrix->model()->rowCount(), day.RunnerCount(day.SelectedRace));
  QVERIFY(w.findChild<GridView*>(QStringLiteral("KtDataGrid"))->model()->rowCount() >= 1);
  QTest::qWait(50);
  Shoot(w, "kt");

  // クリア empties both names and goes back to the entry table.
  w.findChild<QPushButton*>(QStringLiteral("CompareClearButton"))->click();
  QVERIFY(nameA->text().isEmpty());
  QVERIFY(nameB->text().isEmpty());
  QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("出馬表"));
}

QTEST_MAIN(AnalysisViewsTest)
#include "AnalysisViewsTest.moc"
