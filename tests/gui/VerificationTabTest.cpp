// The tab "検証資料" and the menu "CSVファイル" are wired to their commands: the tally fills the
// table, the save dialog's answer decides whether the verification CSV is written, and the menu
// items write the point-rate files.
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/JVRecordBuilder.h"
#include "../support/RecordingPorts.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "VerificationPage.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::gui;

namespace {

// One paid race of 8 runners at Tokyo on 2011-04-30.
void WriteDay(const fs::path& prog, const std::string& dayName) {
  const std::string key = "2011043005020301";
  std::vector<std::string> grid(12 * kMaxRunners, std::string(kLineLenSE, ' ') + "\r\n");
  for (int h = 1; h <= 8; ++h)
    grid[static_cast<size_t>(h - 1)] = test::MakeRecord("SE", {{kHdr_RaceKey, key},
                                                               {kSE_Frame, "1"},
                                                               {kSE_HorseNum, Fmt("%02d", h)},
                                                               {kSE_HorseId, Fmt("20080000%02d", h)},
                                                               {kSE_Finish, Fmt("%02d", h)}});
  std::string entries;
  for (const std::string& l : grid) entries += l;
  const std::string raceFile = dayName + ".jvRA";
  fs::create_directories(prog / "DATA");
  WriteFileAtomic(DataFilePath(prog, raceFile),
                  test::MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, "08"}, {kRA_PostTime, "1000"}}));
  WriteFileAtomic(DataFilePath(prog, EntryFileName(raceFile, "05")), entries);
  WriteFileAtomic(DataFilePath(prog, dayName + ".jvHR"),
                  test::MakeRecord("HR", {{kHdr_RaceKey, key}, {kHR_Win.combo.At(0), "01"},
                                          {kHR_Win.pay.At(0), "000000250"}}));
}

}  // namespace

class VerificationTabTest : public QObject {
  Q_OBJECT
 private slots:
  void buttonsAndMenuRunTheirCommands();
};

void VerificationTabTest::buttonsAndMenuRunTheirCommands() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  auto* page = w.findChild<VerificationPage*>(QStringLiteral("VerificationPage"));
  auto* tally = w.findChild<QPushButton*>(QStringLiteral("VerificationTallyButton"));
  auto* csv = w.findChild<QPushButton*>(QStringLiteral("VerificationCsvButton"));
  QVERIFY(page && tally && csv && w.findChild<QPushButton*>(QStringLiteral("VerificationCopyButton")));
  int asked = 0;
  QString answer;
  page->askSavePath = [&](const QString&) {
    ++asked;
    return answer;
  };

  // No day yet: the tally says so, the CSV button does nothing.
  ui.Clear();
  tally->click();
  QCOMPARE(QString::fromStdString(ToUtf8(ui.Messages().back())),
           QStringLiteral("開催日を選択してﾃﾞｰﾀを読み込んでください。"));
  csv->click();
  QCOMPARE(asked, 0);

  const std::string dayName = J("2011年04月30日");
  WriteDay(prog, dayName);
  session.Bench().LoadDay(dayName);
  tally->click();
  QCOMPARE(session.Bench().Grids().verification.RowCount(), 2);
  QVERIFY(tally->isEnabled());

  // Cancelled dialog: nothing written; a name without extension gets ".csv".
  csv->click();
  QCOMPARE(asked, 1);
  QVERIFY(fs::is_empty(prog / "CSV"));
  answer = QString::fromStdString((prog / "CSV" / "day").string());
  csv->click();
  QVERIFY(fs::exists(prog / "CSV" / "day.csv"));

  w.FindAction(QStringLiteral("PointRateCsvAction"))->trigger();
  w.FindAction(QStringLiteral("PointRankCsvAction"))->trigger();
  QVERIFY(fs::exists(prog / "CSV" / "PTR20110430.csv"));
  QVERIFY(fs::exists(prog / "CSV" / "PTj20110430.csv"));
  QVERIFY(ToUtf8(ui.Messages().back()).starts_with("以下のCSVファイルを出力しました。"));
}

QTEST_MAIN(VerificationTabTest)
#include "VerificationTabTest.moc"
