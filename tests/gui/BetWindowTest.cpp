// The bet window and the candidate-settings dialog on a loaded day: a click on a mark cell of the
// entry table rebuilds the bet tables, the 全 / CL buttons and the 買い目画面 button reach them,
// a 消 click and a heading press act on the shown table, and the dialog's add and delete flows
// land in the candidate-set file.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/JVRecordBuilder.h"
#include "../support/RecordingPorts.h"
#include "GridView.h"
#include "GuiSession.h"
#include "KaimeForm.h"
#include "MainWindow.h"
#include "UserKaimeForm.h"
#include "app/Files.h"
#include "bets/Marking.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"

using namespace kv;
using namespace kv::gui;

namespace {

const std::string kKey = "2011043005020301";

// One race of four runners on 2011-04-30, settled with quinella 1-3.
void WriteDay(const fs::path& prog) {
  const std::string dayName = J("2011年04月30日");
  const std::string ras = test::MakeRecord("RA", {{kHdr_RaceKey, kKey}, {kRA_Entered, "04"}, {kRA_PostTime, "1000"}});
  std::string entries;
  for (int h = 1; h <= kMaxRunners; ++h)
    entries += h <= 4 ? test::MakeRecord("SE", {{kHdr_RaceKey, kKey},
                                                {kSE_Frame, Fmt("%d", h)},
                                                {kSE_HorseNum, Fmt("%02d", h)},
                                                {kSE_HorseId, Fmt("20080000%02d", h)}})
                      : std::string(kLineLenSE, ' ') + "\r\n";
  const std::string hr = test::MakeRecord("HR", {{kHdr_RaceKey, kKey},
                                                 {kHR_Quinella.combo.At(0), "0103"},
                                                 {kHR_Quinella.pay.At(0), "000000730"},
                                                 {kHR_Quinella.pop.At(0), "002"}});
  fs::create_directories(prog / "DATA");
  const std::string raceFile = dayName + J(".jvRA");
  QVERIFY(WriteFileAtomic(DataFilePath(prog, raceFile), ras));
  QVERIFY(WriteFileAtomic(DataFilePath(prog, EntryFileName(raceFile, "05")), entries));
  QVERIFY(WriteFileAtomic(DataFilePath(prog, dayName + ".jvHR"), hr));
}

// Quinella odds 1-2 2.5, 1-3 4.0, 1-4 10.0 published for the selected race.
void PublishQuinellaOdds(Workbench& wb) {
  RaceDayModel& day = *wb.Day();
  const int r = day.SelectedRace;
  day.OddsRecords(2).Set(r, test::MakeRecord("O2", {{kHdr_RaceKey, kKey}}));
  const double odds[] = {2.5, 4.0, 10.0};
  for (int b = 2; b <= 4; ++b) {
    const int no = QuinellaComboNo(Fmt("%2d-%2d", 1, b));
    day.OutData(r).QuinellaOdds[no - 1] = odds[b - 2];
    day.OutData(r).QuinellaPopularity[no - 1] = b - 1;
  }
}

void ClickCell(GridView* grid, int gridRow, int gridCol) {
  const TextGridModel* m = grid->GridModel();
  const QModelIndex index = m->index(gridRow - m->Layout().headerRows, gridCol - m->Layout().headerCols);
  QVERIFY(index.isValid());
  grid->scrollTo(index);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

QString CellText(GridView* grid, int gridRow, int gridCol) {
  const TextGridModel* m = grid->GridModel();
  return m->index(gridRow - m->Layout().headerRows, gridCol - m->Layout().headerCols).data().toString();
}

std::vector<std::string> FileLines(const fs::path& p) {
  std::string bytes;
  std::vector<std::string> out;
  if (!ReadFile(p, bytes)) return out;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    out.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

}  // namespace

class BetWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void markClickRebuildsTheBets();
  void candidateDialogAddsAndDeletes();
};

void BetWindowTest::markClickRebuildsTheBets() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  WriteDay(prog);
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  Workbench& wb = session.Bench();
  MainWindow& w = session.Window();
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));

  auto* form = w.findChild<KaimeForm*>(QStringLiteral("KaimeForm"));
  QVERIFY(form);
  QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
  QCOMPARE(form->windowTitle(), QStringLiteral("買い目表"));
  QCOMPARE(form->Tabs()->count(), 8);
  QCOMPARE(form->Tabs()->tabText(6), QStringLiteral("三連複"));

  wb.LoadDay(J("2011年04月30日"));
  PublishQuinellaOdds(wb);
  // 買い目画面: the window shows, built from the (empty) marks.
  auto* show = w.findChild<QPushButton*>(QStringLiteral("KaimeFormButton"));
  QVERIFY(show);
  show->click();
  QTRY_VERIFY(form->isVisible());
  GridView* quinella = form->Grid(BetType::Quinella);
  form->Tabs()->setCurrentIndex(Index(BetType::Quinella));
  QCOMPARE(wb.GetSettings().GetInt("KaimeSet", "Bakenshu"), Index(BetType::Quinella));
  QCOMPARE(quinella->GridModel()->rowCount(), 1);  // one blank row
  QVERIFY(quinella->isColumnHidden(kColRenPopularity));
  QVERIFY(!quinella->isColumnHidden(kColOdds));

  // Clicks on the mark cells of the entry table: horse 1 ◎, horses 2-4 ▲.
  auto* entry = w.findChild<GridView*>(QStringLiteral("EntryGrid"));
  QVERIFY(entry);
  for (int row = 1; row <= 4; ++row) {
    const bool axis = ParseInt(wb.Grids().entry.At(row, kEntryColHorse)) == 1;
    ClickCell(entry, row, axis ? kMarkColAxis1 : kMarkColPartner);
  }
  QCOMPARE(quinella->GridModel()->rowCount(), 3);
  QCOMPARE(CellText(quinella, 2, kColCombo), QStringLiteral(" 1- 3"));
  auto* count = form->findChild<QLabel*>(QStringLiteral("URTensuLabel"));
  QVERIFY(count);
  QCOMPARE(count->text(), QStringLiteral("  3"));
  QCOMPARE(form->findChild<QLabel*>(QStringLiteral("URKaishuLabel"))->text(), QStringLiteral("    7300"));

  // 消 on the second row: two bets left, the amount shared between them.
  ClickCell(quinella, 2, kColDelete);
  QCOMPARE(CellText(quinella, 2, kColDelete), QStringLiteral("消"));
  QCOMPARE(count->text(), QStringLiteral("  2"));
  QCOMPARE(CellText(quinella, 1, LayoutOf(BetType::Quinella).stakeCol), QStringLiteral("  1500"));

  // The heading "オッズ": descending odds (10.0, 4.0, 2.5).
  QHeaderView* header = quinella->horizontalHeader();
  QTest::mousePress(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(kColOdds) + 5, header->height() / 2));
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kColOdds) + 5, header->height() / 2));
  QCOMPARE(CellText(quinella, 1, kColCombo), QStringLiteral(" 1- 4"));
  QCOMPARE(CellText(quinella, 2, kColDelete), QStringLiteral("消"));  // rows move whole

  // The amount field: a new amount for the race, stakes again.
  auto* amount = form->findChild<QLineEdit*>(QStringLiteral("AmountEdit"));
  QVERIFY(amount);
  amount->clear();
  QTest::keyClicks(amount, QStringLiteral("5000"));
  QCOMPARE(wb.Day()->StakeList[static_cast<size_t>(wb.Day()->SelectedRace)], std::string("5000"));

  // CL above ◎: no bets left anywhere.
  auto* clear = w.findChild<QPushButton*>(QStringLiteral("ClearMarkButton24"));
  QVERIFY(clear);
  clear->click();
  QCOMPARE(quinella->GridModel()->rowCount(), 1);
  QCOMPARE(count->text(), QString());
  QVERIFY(wb.Grids().entry.At(1, kMarkColAxis1).empty());
  // 全 above ◎: every runner an axis again.
  w.findChild<QPushButton*>(QStringLiteral("MarkAllButton24"))->click();
  QCOMPARE(wb.Grids().entry.At(2, kMarkColAxis1), MarkText());
  QCOMPARE(quinella->GridModel()->rowCount(), 3);
}

void BetWindowTest::candidateDialogAddsAndDeletes() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  Workbench& wb = session.Bench();
  const fs::path file = prog / kCandidateSetFileName;
  QCOMPARE(FileLines(file).size(), size_t(2));  // the two default sets, written at start

  UserKaimeForm d(wb);
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  QCOMPARE(d.windowTitle(), QStringLiteral("(軸・ヒモ馬ユーザー設定)"));
  QCOMPARE(d.Selector()->count(), 2);
  QCOMPARE(d.Selector()->itemText(1), QStringLiteral("基本設定２          "));
  QCOMPARE(d.CheckList(2, 2)->item(0)->checkState(), Qt::Unchecked);  // set 1: no 単人気 partner
  d.Selector()->setCurrentIndex(1);
  QCOMPARE(d.CheckList(2, 2)->item(0)->checkState(), Qt::Checked);    // set 2: 単人気 1位 partner
  QCOMPARE(wb.GetSettings().GetInt("Kaime", "SetIndex"), 1);

  // Edits reach the working state at once: marking reads it, saved or not.
  d.CheckList(0, 0)->item(4)->setCheckState(Qt::Checked);
  QVERIFY(wb.Bets().Candidates().Check(0, 0, 5));
  d.BoundEdit(1)->setValue(50);
  QCOMPARE(wb.Bets().Candidates().Bound(1), 50);
  d.BoundEdit(1)->setValue(5000);  // beyond the win range: the field clamps
  QCOMPARE(wb.Bets().Candidates().Bound(1), 1000);

  // A blank name is refused.
  d.NameEdit()->setText(QStringLiteral("   "));
  d.AddButton()->click();
  QCOMPARE(ui.Texts(test::RecordingUi::Kind::Info), std::vector<std::string>{J("設定名を入力してください。")});
  QCOMPARE(FileLines(file).size(), size_t(2));

  // 追加 under a new name: appended, selected.
  d.NameEdit()->setText(QStringLiteral("テスト"));
  d.AddButton()->click();
  std::vector<std::string> lines = FileLines(file);
  QCOMPARE(lines.size(), size_t(3));
  QCOMPARE(ToUtf8(lines[2].substr(436)), std::string("テスト              "));
  QCOMPARE(lines[2][4], '1');  // 軸馬1, Pt勝率 5位
  QCOMPARE(d.Selector()->count(), 3);
  QCOMPARE(d.Selector()->currentIndex(), 2);

  // 削除 answered No keeps the file; Yes deletes the set and selects the first.
  ui.answers = {false, true};
  d.DeleteButton()->click();
  QCOMPARE(FileLines(file).size(), size_t(3));
  d.DeleteButton()->click();
  QCOMPARE(FileLines(file).size(), size_t(2));
  QCOMPARE(d.Selector()->count(), 2);
  QCOMPARE(d.Selector()->currentIndex(), 0);
  QCOMPARE(ui.Texts(test::RecordingUi::Kind::Ask).back(), J("[テスト]を削除します。よろしいですか?"));
}

QTEST_MAIN(BetWindowTest)
#include "BetWindowTest.moc"
