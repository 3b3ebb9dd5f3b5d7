// The workbench window on an empty program folder: it starts, lays out the folders and the
// start-up log, shows the saved options, and menu commands land in the settings file at once.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/RecordingPorts.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "UserSettingDialogs.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"

using namespace kv;
using namespace kv::gui;

namespace {

std::string ReadText(const fs::path& p) {
  std::string bytes;
  if (!ReadFile(p, bytes)) return {};
  return ToUtf8(bytes);
}

}  // namespace

class MainWindowSmokeTest : public QObject {
  Q_OBJECT
 private slots:
  void startsOnAnEmptyProgramFolder();
  void menuAndDialogsWriteTheSettingsAtOnce();
  void commandLine();
  void jvImportButtonRebuildsTheDayListOnClose();
};

void MainWindowSmokeTest::startsOnAnEmptyProgramFolder() {
  QTemporaryDir home;
  QVERIFY(home.isValid());
  const fs::path prog(home.path().toStdString());
  test::RecordingUi ui;
  {
    GuiSession session(prog, &ui);
    QVERIFY(session.Start());
    MainWindow& w = session.Window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(ui.Messages().empty());  // JV-Link initialised without complaint

    QCOMPARE(w.windowTitle(), QStringLiteral("Korvane2"));
    for (const char* folder : {"DATA", "SEI", "CSV", "CHG"}) QVERIFY2(fs::is_directory(prog / folder), folder);
    const std::string log = ReadText(prog / "ErrorLog.txt");
    QVERIFY2(log.starts_with("ソフト起動："), log.c_str());
    QVERIFY(log.find(prog.string()) != std::string::npos);

    // First start: default placement and only the all-race option checked.
    QCOMPARE(w.size(), QSize(1000, 900));
    QVERIFY(w.OptionAction(OptionCheck::CompareAfterLoad)->isChecked());
    QVERIFY(!w.OptionAction(OptionCheck::IgnorePastRunDates)->isChecked());
    QVERIFY(!w.OptionAction(OptionCheck::HideDataListAfterLoad)->isChecked());

    // Tabs in place, the bets tab hidden.
    auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("AnalysisTabs"));
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QStringLiteral("出馬表"));
    QVERIFY(!tabs->isTabVisible(tabs->count() - 1));

    // "F" hides and shows the race list panel.
    auto* panel = w.findChild<QWidget*>(QStringLiteral("RaceListPanel"));
    auto* f = w.findChild<QPushButton*>(QStringLiteral("FButton"));
    QVERIFY(panel && f && panel->isVisible());
    f->click();
    QVERIFY(!panel->isVisible());
    f->click();
    QVERIFY(panel->isVisible());

    w.move(40, 30);
    w.resize(1100, 800);
    QVERIFY(w.close());
  }
  const std::string ini = ReadText(prog / "Korvane2.ini");
  QVERIFY2(ini.find("[locate]") != std::string::npos, ini.c_str());
  QVERIFY2(ini.find("width=1100") != std::string::npos, ini.c_str());
  QVERIFY2(ini.find("height=800") != std::string::npos, ini.c_str());

  // The next start places the window where it was left.
  GuiSession again(prog, &ui);
  QVERIFY(again.Start());
  QCOMPARE(again.Window().size(), QSize(1100, 800));
}

void MainWindowSmokeTest::menuAndDialogsWriteTheSettingsAtOnce() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();

  QAction* ignore = w.OptionAction(OptionCheck::IgnorePastRunDates);
  ignore->trigger();
  QVERIFY(ignore->isChecked());
  std::string ini = ReadText(prog / "Korvane2.ini");
  QVERIFY2(ini.find("[ReadKako]") != std::string::npos && ini.find("IgnoDate=1") != std::string::npos, ini.c_str());
  w.OptionAction(OptionCheck::CompareAfterLoad)->trigger();
  QVERIFY(!w.OptionAction(OptionCheck::CompareAfterLoad)->isChecked());
  QVERIFY(ReadText(prog / "Korvane2.ini").find("ExecComp=0") != std::string::npos);

  {
    DataSpanDialog d(session.Bench(), &w);
    QCOMPARE(d.Field()->value(), 1826);
    d.Field()->setValue(400);
    d.accept();
  }
  QVERIFY(ReadText(prog / "Korvane2.ini").find("period=400") != std::string::npos);

  {
    OddsCeilingDialog d(session.Bench(), &w);
    QCOMPARE(d.Field()->text(), QStringLiteral("10.0"));
    d.Field()->setText(QStringLiteral("7.5"));
    d.ApplyField();
  }
  QCOMPARE(QString::fromStdString(ToUtf8(ui.Messages().back())), QStringLiteral("ｵｯｽﾞの上限を 7.5に指定しました。"));
  QVERIFY(ReadText(prog / "Korvane2.ini").find("ceil= 7.5") != std::string::npos);
}

void MainWindowSmokeTest::commandLine() {
  GuiOptions o;
  QString error;
  QVERIFY(ParseGuiOptions({QStringLiteral("--home"), QStringLiteral("/tmp/x")}, o, error));
  QCOMPARE(QString::fromStdString(o.home->string()), QStringLiteral("/tmp/x"));
  GuiOptions d;
  QVERIFY(ParseGuiOptions({QStringLiteral("--demo")}, d, error));
  QVERIFY(d.demo && !d.home);
  for (const QStringList& bad : {QStringList{QStringLiteral("--home")}, QStringList{QStringLiteral("--bogus")},
                                 QStringList{QStringLiteral("--demo"), QStringLiteral("--home=/tmp/x")}}) {
    GuiOptions x;
    QVERIFY2(!ParseGuiOptions(bad, x, error), qPrintable(bad.join(' ')));
  }
}

void MainWindowSmokeTest::jvImportButtonRebuildsTheDayListOnClose() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  auto* dates = w.findChild<QComboBox*>(QStringLiteral("DateCombo"));
  auto* button = w.findChild<QPushButton*>(QStringLiteral("JVImportButton"));
  QVERIFY(dates && button);
  QCOMPARE(button->text(), QStringLiteral("JVデータ取得"));
  QCOMPARE(dates->count(), 0);

  // A day stored while the dialog is open shows in the date box once it closes.
  QVERIFY(WriteFileAtomic(DataFilePath(prog, J("2011年04月30日.jvRA")), ""));
  bool sawDialog = false;
  QTimer closer;
  connect(&closer, &QTimer::timeout, this, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      sawDialog = true;
      d->reject();
    }
  });
  closer.start(10);
  button->click();
  closer.stop();
  QVERIFY(sawDialog);
  QCOMPARE(dates->count(), 1);
  QCOMPARE(dates->itemText(0), QStringLiteral("2011年04月30日"));
  QCOMPARE(dates->currentIndex(), -1);
  QCOMPARE(w.findChild<QListWidget*>(QStringLiteral("RaceList"))->count(), 0);
}

QTEST_MAIN(MainWindowSmokeTest)
#include "MainWindowSmokeTest.moc"
