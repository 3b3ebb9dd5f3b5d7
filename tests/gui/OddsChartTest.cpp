// The tab オッズ推移: after 時系列オッズより取得 the chart of the selected race shows one line per
// runner with the morning's win odds, the favourite first, and the post time.
//
// With KORVANE_DEMO_HOME set (an empty or finished demo folder), the second case sets up the demo
// world there, takes the time-series odds of today's live day and saves the chart of a race as a
// PNG in KORVANE_SCREENSHOT (default odds-chart.png): a picture to look at, not a CI check.
// KORVANE_DEMO_RACE picks the race list item (from 1); QTEST_FUNCTION_TIMEOUT may be needed.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/JVRecordBuilder.h"
#include "../support/RecordingPorts.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "OddsChartPage.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "Feed.h"
#include "text/Cp932.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::gui;

namespace {

constexpr const char* kDate = "20110430";
constexpr const char* kKey = "2011043004010301";  // Niigata, race 1

void WriteDay(const fs::path& prog, const fs::path& ts) {
  const std::string day = DayNameFromDate(kDate);
  fs::create_directories(prog / "DATA");
  WriteFileAtomic(DataFilePath(prog, day + ".jvRA"),
                  test::MakeRecord("RA", {{kHdr_RaceKey, kKey}, {kRA_PostTime, "1010"}, {kRA_Entered, "03"}}));
  std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
  for (int h = 1; h <= 3; ++h)
    grid[static_cast<size_t>(h - 1)] =
        test::MakeRecord("SE", {{kHdr_RaceKey, kKey}, {kSE_Frame, "1"}, {kSE_HorseNum, Fmt("%02d", h)},
                                {kSE_HorseName, "HORSE" + std::to_string(h)}});
  std::string entries;
  for (const auto& l : grid) entries += l;
  WriteFileAtomic(DataFilePath(prog, EntryFileName(day + ".jvRA", "04")), entries);
  WriteFileAtomic(prog / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n[Dir]\r\njikeiretu=" + ts.string() + "\r\n");
  // Six snapshots from 09:00 to 10:00: horse 3 drifts out, horse 1 is backed late.
  std::string lines;
  for (int i = 0; i < 6; ++i) {
    const int minute = 9 * 60 + i * 12;
    lines += test::StoredLine(test::MakeRecord(
                 "O1", {{kHdr_RaceKey, kKey},
                        {kO_AnnounceTime, Fmt("0430%02d%02d", minute / 60, minute % 60)},
                        {kO_Entered, "03"},
                        {kO1_WinOdds.At(0), Fmt("%04d", 80 - i * 10)},
                        {kO1_WinOdds.At(1), "0035"},
                        {kO1_WinOdds.At(2), Fmt("%04d", 40 + i * 15)}})) +
             "\r\n";
  }
  fs::create_directories(ts / kDate);
  WriteFileAtomic(ts / kDate / "04010301.jvO1", lines);
}

QList<QLineSeries*> Lines(QChartView* view) {
  QList<QLineSeries*> out;
  for (QAbstractSeries* s : view->chart()->series())
    if (auto* l = qobject_cast<QLineSeries*>(s)) out.push_back(l);
  return out;
}

void ShowChartTab(MainWindow& w) {
  auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("AnalysisTabs"));
  QVERIFY(tabs);
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i) == QStringLiteral("オッズ推移")) tabs->setCurrentIndex(i);
  QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("オッズ推移"));
}

}  // namespace

class OddsChartTest : public QObject {
  Q_OBJECT
 private slots:
  void timeSeriesOddsAreDrawnPerRunner();
  void demoChartScreenshot();
};

void OddsChartTest::timeSeriesOddsAreDrawnPerRunner() {
  QTemporaryDir home, ts;
  QVERIFY(home.isValid() && ts.isValid());
  const fs::path prog(home.path().toStdString());
  WriteDay(prog, fs::path(ts.path().toStdString()));
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  date->setCurrentIndex(0);
  emit date->activated(0);
  ShowChartTab(w);
  auto* page = w.findChild<OddsChartPage*>(QStringLiteral("OddsChartPage"));
  QVERIFY(page);
  QVERIFY(Lines(page->ChartView()).isEmpty());  // nothing kept yet: a note says so
  QVERIFY(!page->findChild<QLabel*>(QStringLiteral("OddsChartNote"))->text().isEmpty());

  w.findChild<QAction*>(QStringLiteral("TimeSeriesOddsAction"))->trigger();
  QVERIFY(ui.Messages().back().find(J("を取りこみました。")) != std::string::npos);
  const QList<QLineSeries*> lines = Lines(page->ChartView());
  QCOMPARE(lines.size(), 4);  // three runners and the post time
  // The 10:00 snapshot (post time less ten minutes) is the one loaded: horse 1, backed down to
  // 3.0, is the favourite and comes first.
  QCOMPARE(lines[0]->name(), QStringLiteral("1人気  1 HORSE1 3.0"));
  QCOMPARE(lines[0]->count(), 6);
  QVERIFY(lines[3]->name().contains(QStringLiteral("10:10")));
  QVERIFY(page->findChild<QLabel*>(QStringLiteral("OddsChartNote"))->isHidden());
}

void OddsChartTest::demoChartScreenshot() {
  const QByteArray demoHome = qgetenv("KORVANE_DEMO_HOME");
  if (demoHome.isEmpty()) QSKIP("KORVANE_DEMO_HOME not set");
  const fs::path prog(demoHome.toStdString());
  test::RecordingUi ui;
  QVERIFY(PrepareDemo(prog, ui));
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  w.resize(1500, 860);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  // KORVANE_DEMO_DAYS shortens the demo's history (the live day is the same kind of day).
  const int days = qEnvironmentVariableIntValue("KORVANE_DEMO_DAYS");
  QVERIFY(session.SetUpDemo([days](const DemoFeedRequest& request, std::string& error) {
    const sim::Date today{request.today.year, request.today.month, request.today.day};
    sim::FeedOptions o = sim::DemoFeedOptions(request.feed.string(), today, request.timeseries.string());
    if (days > 0) o.from = today.Plus(-days);
    sim::FeedStats stats;
    return sim::GenerateFeed(o, stats, error);
  }));
  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  date->setCurrentIndex(0);  // newest first: today
  emit date->activated(0);
  w.findChild<QAction*>(QStringLiteral("TimeSeriesOddsAction"))->trigger();
  auto* races = w.findChild<QListWidget*>(QStringLiteral("RaceList"));
  races->setCurrentRow(qEnvironmentVariableIntValue("KORVANE_DEMO_RACE") > 0
                           ? qEnvironmentVariableIntValue("KORVANE_DEMO_RACE") - 1
                           : std::min(10, races->count() - 1));
  ShowChartTab(w);
  QTest::qWait(200);
  QVERIFY(!Lines(w.findChild<OddsChartPage*>()->ChartView()).isEmpty());
  const QByteArray out = qgetenv("KORVANE_SCREENSHOT");
  QVERIFY(w.grab().save(out.isEmpty() ? QStringLiteral("odds-chart.png") : QString::fromLocal8Bit(out)));
}

QTEST_MAIN(OddsChartTest)
#include "OddsChartTest.moc"
