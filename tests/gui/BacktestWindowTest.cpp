// The window バックテスト: the choices on screen reach the backtest, the tables and the chart show
// its result, and 中止 stops it between two days.
//
// With KORVANE_DEMO_HOME set (an empty or finished demo folder), the last case sets up the demo
// world there, backtests the days that have final odds and saves the window (tables and chart) as
// a PNG in KORVANE_SCREENSHOT (default backtest-chart.png): a picture to look at, not a CI check.
#include <QAbstractItemModel>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QProgressBar>
#include <QtTest>

#include "../support/HandBuiltHistory.h"
#include "../support/RecordingPorts.h"
#include "BacktestWindow.h"
#include "Feed.h"
#include "GridView.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "app/ProgramFolders.h"

using namespace kv;
using namespace kv::gui;

namespace {

QList<QLineSeries*> Lines(QChartView* view) {
  QList<QLineSeries*> out;
  for (QAbstractSeries* s : view->chart()->series())
    if (auto* l = qobject_cast<QLineSeries*>(s)) out.push_back(l);
  return out;
}

QString Cell(QAbstractItemModel* m, int row, int col) { return m->index(row, col).data().toString(); }

}  // namespace

class BacktestWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void choicesRunAndTheResultIsShown();
  void demoScreenshot();
};

void BacktestWindowTest::choicesRunAndTheResultIsShown() {
  QTemporaryDir home;
  QVERIFY(home.isValid());
  const fs::path prog(home.path().toStdString());
  ProgramFolders folders;
  QVERIFY(CreateProgramFolders(prog, folders).ok);
  QVERIFY(test::WriteSets(prog, {DefaultSetLines()[0], test::SetLine("本命", {1}, {}, {}, {}, {})}));
  QVERIFY(test::WriteDay(prog, {{"2011043005020301", 3, 20, 3, 200, {3, 4, 6}, {110, 150, 300}},
                                {"2011043005020302", 5, 30, 1, 900, {1, 2, 7}, {200, 210, 600}}}));
  QVERIFY(test::WriteDay(prog, {{"2011050105020401", 1, 15, 2, 400, {2, 1, 8}, {160, 120, 700}}}));
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());

  BacktestWindow w(session.Bench(), &session.Window());
  // Opened on the stored days (a year back from the newest, not before the oldest).
  QCOMPARE(w.findChild<QDateEdit*>(QStringLiteral("BacktestFrom"))->date(), QDate(2011, 4, 30));
  QCOMPARE(w.findChild<QDateEdit*>(QStringLiteral("BacktestTo"))->date(), QDate(2011, 5, 1));
  auto* set = w.findChild<QComboBox*>(QStringLiteral("BacktestSet"));
  QCOMPARE(set->count(), 2);
  set->setCurrentIndex(1);
  w.findChild<QComboBox*>(QStringLiteral("BacktestMode"))->setCurrentIndex(0);
  w.findChild<QLineEdit*>(QStringLiteral("BacktestAmount"))->setText(QStringLiteral("1000"));
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  ui.Clear();
  QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("BacktestRunButton")), Qt::LeftButton);
  QVERIFY(!w.Running());
  QVERIFY(ui.Messages().empty());

  // The figures of the hand-built history (see the core test): win 3,000 staked, 2,000 back.
  QAbstractItemModel* types = w.findChild<GridView*>(QStringLiteral("BacktestTypeGrid"))->model();
  QCOMPARE(Cell(types, 0, 0), QStringLiteral("単勝"));
  QCOMPARE(Cell(types, 0, 3), QStringLiteral("3000"));
  QCOMPARE(Cell(types, 0, 4), QStringLiteral("2000"));
  QCOMPARE(Cell(types, kBetTypeCount, 4), QStringLiteral("4300"));
  QVERIFY(w.findChild<QLabel*>(QStringLiteral("BacktestNotes"))->text().contains(QStringLiteral("確定オッズ")));
  const QList<QLineSeries*> lines = Lines(w.ChartView());
  QCOMPARE(lines.size(), 2);
  QCOMPARE(lines[0]->name(), QStringLiteral("単勝"));
  QCOMPARE(lines[0]->count(), 2);
  QCOMPARE(lines[0]->at(1).y(), -1000.0);
  QCOMPARE(lines[1]->at(1).y(), -700.0);

  // 中止 pressed once the first day is done: the second is not run.
  auto* progress = w.findChild<QProgressBar*>(QStringLiteral("BacktestProgress"));
  const auto stop = connect(progress, &QProgressBar::valueChanged, &w, [&w](int done) {
    if (done == 1) QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("BacktestCancelButton")), Qt::LeftButton);
  });
  w.Run();
  disconnect(stop);
  QVERIFY(w.LastRun().cancelled);
  QCOMPARE(w.LastRun().daysRun, 1);
  QVERIFY(w.findChild<QLabel*>(QStringLiteral("BacktestNotes"))->text().contains(QStringLiteral("中止")));
}

void BacktestWindowTest::demoScreenshot() {
  const QByteArray demoHome = qgetenv("KORVANE_DEMO_HOME");
  if (demoHome.isEmpty()) QSKIP("KORVANE_DEMO_HOME not set");
  const fs::path prog(demoHome.toStdString());
  test::RecordingUi ui;
  QVERIFY(PrepareDemo(prog, ui));
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  session.Window().show();
  QVERIFY(QTest::qWaitForWindowExposed(&session.Window()));
  QVERIFY(session.SetUpDemo());
  BacktestWindow w(session.Bench(), &session.Window());
  w.resize(1400, 900);
  // The demo keeps final odds for its last two weeks: the range covers them.
  auto* to = w.findChild<QDateEdit*>(QStringLiteral("BacktestTo"));
  w.findChild<QDateEdit*>(QStringLiteral("BacktestFrom"))->setDate(to->date().addDays(-qMax(14, qEnvironmentVariableIntValue("KORVANE_BACKTEST_DAYS"))));
  const QByteArray set = qgetenv("KORVANE_BACKTEST_SET");
  if (!set.isEmpty()) w.findChild<QComboBox*>(QStringLiteral("BacktestSet"))->setCurrentText(QString::fromUtf8(set));
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.Run();
  QVERIFY(w.LastRun().ok);
  QVERIFY(!Lines(w.ChartView()).isEmpty());
  QTest::qWait(200);
  const QByteArray out = qgetenv("KORVANE_SCREENSHOT");
  QVERIFY(w.grab().save(out.isEmpty() ? QStringLiteral("backtest-chart.png") : QString::fromLocal8Bit(out)));
}

QTEST_MAIN(BacktestWindowTest)
#include "BacktestWindowTest.moc"
