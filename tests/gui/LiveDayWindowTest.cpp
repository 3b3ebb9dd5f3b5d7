// The demo's live race day in the main window on a simulated clock set to 10:00: the count-down
// shows, 直前ﾚｰｽ selects the first race that has not started, and 速報ｵｯｽﾞ puts the race's
// current odds into the entry table.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/RecordingPorts.h"
#include "Feed.h"
#include "GridView.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::gui;

namespace {

// A small world: a week of history (the race card comes the day before), then today live.
bool WriteSmallDemo(const DemoFeedRequest& r, std::string& error) {
  const sim::Date today{r.today.year, r.today.month, r.today.day};
  sim::FeedOptions o;
  o.out = r.feed.string();
  o.seed = 3;
  o.from = today.Plus(-7);
  o.to = today.Plus(-1);
  o.hasToday = true;
  o.today = today;
  o.recentWeeks = 1;
  sim::FeedStats stats;
  return sim::GenerateFeed(o, stats, error);
}

}  // namespace

class LiveDayWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void liveDayAtTenInTheMorning();
};

void LiveDayWindowTest::liveDayAtTenInTheMorning() {
  QTemporaryDir home;
  QVERIFY(home.isValid());
  const fs::path prog = fs::path(home.path().toStdString()) / "demo";
  test::RecordingUi ui;
  QVERIFY(PrepareDemo(prog, ui));
  ClockOptions clock;
  clock.startMinutes = 10 * 60;
  GuiSession session(prog, &ui, clock);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QVERIFY(w.windowTitle().contains(QStringLiteral("模擬時計")));
  QVERIFY(session.SetUpDemo(WriteSmallDemo));

  Workbench& wb = session.Bench();
  const DateTime now = wb.GetClock().Now();
  QCOMPARE(now.hour, 10);
  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  QVERIFY(date && date->count() > 0);
  const QString today = QStringLiteral("%1年%2月%3日")
                            .arg(now.year)
                            .arg(now.month, 2, 10, QLatin1Char('0'))
                            .arg(now.day, 2, 10, QLatin1Char('0'));
  QCOMPARE(date->itemText(0), today);
  date->setCurrentIndex(0);
  emit date->activated(0);
  QVERIFY(wb.RaceList().size() >= 12);

  // 直前ﾚｰｽ: the earliest race whose post time is still ahead of 10:00.
  auto* next = w.findChild<QPushButton*>(QStringLiteral("NextRaceButton"));
  QVERIFY(next);
  next->click();
  const RaceDayModel& day = *wb.Day();
  const std::string clockHhmm = Fmt("%02d%02d", wb.GetClock().Now().hour, wb.GetClock().Now().minute);
  std::string firstAhead = "9999";
  int expected = -1;
  for (size_t i = 0; i < wb.RaceSlots().size(); ++i) {
    const std::string post(Fld(day.Race(wb.RaceSlots()[i]), kRA_PostTime));
    if (clockHhmm < post && post < firstAhead) {
      firstAhead = post;
      expected = static_cast<int>(i);
    }
  }
  QVERIFY(expected >= 0);
  QCOMPARE(wb.SelectedListIndex(), expected);
  QCOMPARE(w.findChild<QListWidget*>(QStringLiteral("RaceList"))->currentRow(), expected);

  // The count-down of the selected race.
  auto* remain = w.findChild<QLabel*>(QStringLiteral("RemainTimeLabel"));
  QVERIFY(remain);
  QTRY_VERIFY(remain->text().startsWith(QStringLiteral("発走までの残り時間：")));
  QVERIFY(remain->isVisible());

  // 速報ｵｯｽﾞ: the odds column of the entry table fills.
  auto* entry = w.findChild<GridView*>(QStringLiteral("EntryGrid"));
  int oddsCol = -1;
  for (int c = 0; c < entry->model()->columnCount(); ++c)
    if (entry->model()->headerData(c, Qt::Horizontal).toString() == QStringLiteral("ｵｯｽﾞ") ||
        entry->model()->index(0, c).data().toString() == QStringLiteral("ｵｯｽﾞ"))
      oddsCol = c;
  QVERIFY(oddsCol >= 0);
  auto* odds = w.findChild<QPushButton*>(QStringLiteral("OddsFetchButton"));
  QVERIFY(odds);
  odds->click();
  const int firstRunnerRow = entry->model()->index(0, oddsCol).data().toString() == QStringLiteral("ｵｯｽﾞ") ? 1 : 0;
  bool ok = false;
  const double value = entry->model()->index(firstRunnerRow, oddsCol).data().toString().trimmed().toDouble(&ok);
  QVERIFY2(ok && value > 0, qPrintable(entry->model()->index(firstRunnerRow, oddsCol).data().toString()));
  QVERIFY(day.OutData(wb.RaceSlots()[static_cast<size_t>(expected)]).WinOdds[0] > 0);
}

QTEST_MAIN(LiveDayWindowTest)
#include "LiveDayWindowTest.moc"
