// The main window on a program folder with one race day: choosing the date loads it, the race
// list, the header labels, the entry table, the comparison tables and the results tab fill, a
// race list click shows another race, and the popup copies the entry table.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/JVRecordBuilder.h"
#include "../support/RecordingPorts.h"
#include "GridView.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::gui;

namespace {

constexpr const char* kDate = "20110430";

std::string Ra(int race, int runners) {
  std::string rec = test::MakeRecord("RA", {{kHdr_Date, kDate}, {kHdr_Venue, "04"}, {kHdr_Meeting, "01"},
                                           {kHdr_MeetingDay, "03"}, {kRA_PostTime, "1010"}, {kRA_Track, "24"},
                                           {kRA_Distance, "1800"}});
  PutFld(rec, kHdr_RaceNum, Fmt("%02d", race));
  PutFld(rec, kRA_Entered, Fmt("%02d", runners));
  return rec;
}

std::string Se(int race, int horse) {
  std::string rec = test::MakeRecord("SE", {{kHdr_Date, kDate}, {kHdr_Venue, "04"}, {kSE_Frame, "1"}});
  PutFld(rec, kHdr_RaceNum, Fmt("%02d", race));
  PutFld(rec, kSE_HorseNum, Fmt("%02d", horse));
  PutFld(rec, kSE_HorseId, Fmt("20080%02d%03d", race, horse));
  PutFld(rec, kSE_HorseName, "HORSE" + std::to_string(horse));
  return rec;
}

void WriteDay(const fs::path& prog) {
  const std::string day = DayNameFromDate(kDate);
  fs::create_directories(prog / "DATA");
  WriteFileAtomic(DataFilePath(prog, day + ".jvRA"), Ra(1, 3) + Ra(2, 2));
  std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
  for (int h = 1; h <= 3; ++h) grid[static_cast<size_t>(h - 1)] = Se(1, h);
  for (int h = 1; h <= 2; ++h) grid[static_cast<size_t>(18 + h - 1)] = Se(2, h);
  std::string entries;
  for (const auto& l : grid) entries += l;
  WriteFileAtomic(DataFilePath(prog, EntryFileName(day + ".jvRA", "04")), entries);
  WriteFileAtomic(DataFilePath(prog, day + ".jvHR"),
                  test::MakeRecord("HR", {{kHdr_Date, kDate}, {kHdr_Venue, "04"}, {kHdr_RaceNum, "01"},
                                          {kHR_Win.combo.At(0), "03"}, {kHR_Win.pop.At(0), "02"},
                                          {kHR_Win.pay.At(0), "      450"}}));
  WriteFileAtomic(prog / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n");
}

QString LabelText(QWidget& w, const char* name) {
  auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
  return l ? l->text() : QStringLiteral("<missing>");
}

}  // namespace

class RaceDayWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void choosingADateShowsTheFirstRace();
};

void RaceDayWindowTest::choosingADateShowsTheFirstRace() {
  QTemporaryDir home;
  QVERIFY(home.isValid());
  const fs::path prog(home.path().toStdString());
  WriteDay(prog);
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));

  auto* date = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  QVERIFY(date);
  QCOMPARE(date->count(), 1);
  QCOMPARE(date->itemText(0), QStringLiteral("2011年04月30日"));
  date->setCurrentIndex(0);
  emit date->activated(0);

  auto* races = w.findChild<QListWidget*>(QStringLiteral("RaceList"));
  QCOMPARE(races->count(), 2);
  QCOMPARE(races->item(0)->text(), QStringLiteral("新潟 1R"));
  QCOMPARE(races->currentRow(), 0);
  QCOMPARE(LabelText(w, "RaceLabel1"), QStringLiteral("2011年04月30日()新潟01回03日01R   10.10発走"));
  QCOMPARE(LabelText(w, "VenueLabel"), QStringLiteral("新潟"));
  QCOMPARE(LabelText(w, "RaceNoLabel"), QStringLiteral("1"));
  QCOMPARE(LabelText(w, "CompareStatusLabel"),
           QStringLiteral("集計が未実行です。「全レース比較」ボタンをクリックして集計してください。"));
  QCOMPARE(LabelText(w, "Result0_0_0"), QStringLiteral(" 3"));
  QCOMPARE(LabelText(w, "Result0_0_2"), QStringLiteral("     450"));
  QCOMPARE(LabelText(w, "Result0_1_0"), QString());

  auto* entry = w.findChild<GridView*>(QStringLiteral("EntryGrid"));
  auto* detail = w.findChild<GridView*>(QStringLiteral("CompareDetailGrid"));
  auto* winLoss = w.findChild<GridView*>(QStringLiteral("WinLossGrid"));
  QCOMPARE(entry->model()->rowCount(), 3);
  QCOMPARE(entry->model()->index(2, 2).data().toString(), QStringLiteral("HORSE3"));
  QCOMPARE(detail->model()->rowCount(), 3);  // pairs 1-2, 1-3, 2-3
  QCOMPARE(winLoss->model()->rowCount(), 3);

  races->setCurrentRow(1);
  QCOMPARE(session.Bench().SelectedListIndex(), 1);
  QCOMPARE(entry->model()->rowCount(), 2);
  QCOMPARE(LabelText(w, "Result0_0_0"), QString());

  QAction* copy = w.findChild<QAction*>(QStringLiteral("CopyEntryTableAction"));
  QVERIFY(copy);
  copy->trigger();
  QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("HORSE2")));
}

QTEST_MAIN(RaceDayWindowTest)
#include "RaceDayWindowTest.moc"
