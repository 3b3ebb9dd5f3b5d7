// Printing from the main window: with no day loaded 印刷 only says so; with a day the preview
// shows one page per race, its zoom is stored, the shown page or every page is printed (here
// into a PDF, counted with pdfinfo) and the window's place is kept.
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "../support/JVRecordBuilder.h"
#include "../support/RecordingPorts.h"
#include "GuiSession.h"
#include "MainWindow.h"
#include "PrintPreview.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "workbench/PrintCommands.h"

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
  WriteFileAtomic(DataFilePath(prog, day + ".jvRA"), Ra(1, 3) + Ra(2, 2) + Ra(3, 2));
  std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
  for (int r = 1; r <= 3; ++r)
    for (int h = 1; h <= (r == 1 ? 3 : 2); ++h) grid[static_cast<size_t>(18 * (r - 1) + h - 1)] = Se(r, h);
  std::string entries;
  for (const auto& l : grid) entries += l;
  WriteFileAtomic(DataFilePath(prog, EntryFileName(day + ".jvRA", "04")), entries);
  WriteFileAtomic(prog / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n[PrintZoom]\r\nratio=3\r\n");
}

int PdfPages(const QString& file) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {file});
  if (!p.waitForFinished(20000)) return -1;
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  const qsizetype at = out.indexOf(QStringLiteral("Pages:"));
  return at < 0 ? -1 : out.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

}  // namespace

class PrintPreviewTest : public QObject {
  Q_OBJECT
 private slots:
  void printWithoutADayOnlySaysSo();
  void previewShowsPrintsAndRemembers();
};

void PrintPreviewTest::printWithoutADayOnlySaysSo() {
  QTemporaryDir home;
  test::RecordingUi ui;
  GuiSession session(fs::path(home.path().toStdString()), &ui);
  QVERIFY(session.Start());
  QAction* print = session.Window().FindAction(QStringLiteral("PrintAction"));
  QVERIFY(print);
  QCOMPARE(print->text(), QStringLiteral("印刷(&P)..."));
  QVERIFY(session.Window().FindAction(QStringLiteral("PrinterSetupAction")));
  print->trigger();  // a preview would block here: none opens
  QCOMPARE(ToUtf8(ui.Texts(test::RecordingUi::Kind::Info).back()), std::string("ﾃﾞｰﾀを読み込んでください。"));

  // The comparison bar's 印刷 with no comparison in the grid: the user is asked for one.
  auto* printComparison = session.Window().findChild<QPushButton*>(QStringLiteral("ComparePrintButton"));
  QVERIFY(printComparison);
  printComparison->click();
  QCOMPARE(ToUtf8(ui.Texts(test::RecordingUi::Kind::Info).back()), std::string("２頭比較を行ってください。"));
}

void PrintPreviewTest::previewShowsPrintsAndRemembers() {
  QTemporaryDir home;
  const fs::path prog(home.path().toStdString());
  WriteDay(prog);
  test::RecordingUi ui;
  GuiSession session(prog, &ui);
  QVERIFY(session.Start());
  Workbench& wb = session.Bench();
  wb.LoadDay(DayNameFromDate(kDate));
  QCOMPARE(wb.RaceList().size(), size_t{3});

  // The menu item opens the preview modally at page 1.
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* preview = session.Window().findChild<PrintPreview*>();
    QVERIFY(preview);
    seen = true;
    QCOMPARE(preview->windowTitle(), QStringLiteral("Korvane2　分析結果　印刷"));
    QCOMPARE(preview->PageCount(), 3);
    QCOMPARE(preview->ShownPage(), 1);
    preview->reject();
  });
  session.Window().FindAction(QStringLiteral("PrintAction"))->trigger();
  QVERIFY(seen);

  QTemporaryDir out;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const std::optional<PrintDocument> doc = ReportPrint(wb);
  QVERIFY(doc);
  {
    PrintPreview preview(wb, printer, *doc);
    QCOMPARE(preview.ZoomPercent(), 100);  // from the settings
    auto* zoom = preview.findChild<QComboBox*>(QStringLiteral("ZoomCombo"));
    QCOMPARE(zoom->count(), 4);
    QCOMPARE(zoom->itemText(0), QStringLiteral("25%"));
    zoom->setCurrentIndex(0);
    emit zoom->activated(0);
    QCOMPARE(wb.GetSettings().GetInt("PrintZoom", "ratio"), 0);
    QCOMPARE(preview.ZoomPercent(), 25);

    auto* pages = preview.findChild<QSpinBox*>(QStringLiteral("PageSpin"));
    QCOMPARE(pages->minimum(), 1);
    QCOMPARE(pages->maximum(), 3);
    pages->setValue(2);
    QCOMPARE(preview.ShownPage(), 2);

    const QString all = out.filePath(QStringLiteral("all.pdf")), shown = out.filePath(QStringLiteral("shown.pdf"));
    printer.setOutputFileName(all);
    preview.findChild<QPushButton*>(QStringLiteral("PrintAllButton"))->click();
    QCOMPARE(PdfPages(all), 3);
    printer.setOutputFileName(shown);
    preview.findChild<QPushButton*>(QStringLiteral("PrintShownButton"))->click();
    QCOMPARE(PdfPages(shown), 1);

    preview.setGeometry(40, 60, 700, 500);
    preview.show();
    if (qEnvironmentVariableIsSet("KORVANE_PREVIEW_PNG")) {
      zoom->setCurrentIndex(1);
      emit zoom->activated(1);
      preview.grab().save(qEnvironmentVariable("KORVANE_PREVIEW_PNG"));
    }
    preview.accept();
  }
  const WindowGeometry g = ReadPrintPreviewGeometry(wb.GetSettings());
  QCOMPARE(g.width, 700);
  QCOMPARE(g.height, 500);
}

QTEST_MAIN(PrintPreviewTest)
#include "PrintPreviewTest.moc"
