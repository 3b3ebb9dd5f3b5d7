// What a newcomer sees on a common 1,366 x 768 screen: a progress window is painted before the work
// starts and after each step, Qt's standard buttons speak Japanese, and every window and dialog
// opens inside the screen (the bet window beside the main window or in the screen's corner).
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/RecordingPorts.h"
#include "GuiSession.h"
#include "ImportDialog.h"
#include "KaimeForm.h"
#include "MainWindow.h"
#include "QtPorts.h"
#include "UnprocessedDialogs.h"
#include "UserKaimeForm.h"
#include "UserSettingDialogs.h"
#include "text/Cp932.h"

using namespace kv;
using namespace kv::gui;

namespace {

const QRect kScreen(0, 0, 1366, 768);

// True when some pixel of the window's backing store is neither black nor unpainted.
bool Painted(QWidget* w) {
  const QImage img = w->screen()->grabWindow(w->winId()).toImage();
  if (img.isNull()) return false;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != 0) return true;
  return false;
}

bool OnScreen(QWidget* w, QString& why) {
  const QRect avail = w->screen()->availableGeometry();
  why = QStringLiteral("%1 at %2,%3 %4x%5 outside %6x%7")
            .arg(w->objectName())
            .arg(w->frameGeometry().x())
            .arg(w->frameGeometry().y())
            .arg(w->frameGeometry().width())
            .arg(w->frameGeometry().height())
            .arg(avail.width())
            .arg(avail.height());
  return avail.contains(w->frameGeometry());
}

}  // namespace

class ScreenAndTextsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void progressWindowIsPaintedBeforeTheWorkAndAfterTheFirstStep();
  void standardButtonsSpeakJapanese();
  void windowsAndDialogsOpenInsideTheScreen();
};

void ScreenAndTextsTest::initTestCase() {
  QCOMPARE(QGuiApplication::primaryScreen()->geometry(), kScreen);
  QVERIFY2(SetUpApplication(*qApp), "Qt's Japanese translations (qtbase_ja) are not installed");
}

void ScreenAndTextsTest::progressWindowIsPaintedBeforeTheWorkAndAfterTheFirstStep() {
  QWidget window;
  window.resize(400, 300);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QtUiPort ui;
  ui.Attach(&window, nullptr);

  // No message runs between the window's appearance and the check: the work would start here.
  ui.ProgressShow(J("【解析中】しばらくお待ちください"));
  auto* progress = window.findChild<QProgressDialog*>();
  QVERIFY(progress && progress->isVisible());
  QVERIFY(Painted(progress));

  ui.ProgressBar(1, 24);
  ui.ProgressDetail(J("東京 1R"));
  ui.ProcessMessages();
  QVERIFY(Painted(progress));
  QCOMPARE(progress->value(), 1);
  ui.ProgressHide();
}

void ScreenAndTextsTest::standardButtonsSpeakJapanese() {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Korvane2"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QVERIFY(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")));
  QVERIFY(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")));
  QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
  QDialogButtonBox buttons(QDialogButtonBox::Close);
  QCOMPARE(buttons.button(QDialogButtonBox::Close)->text(), QStringLiteral("閉じる"));
}

void ScreenAndTextsTest::windowsAndDialogsOpenInsideTheScreen() {
  QTemporaryDir home;
  QVERIFY(home.isValid());
  test::RecordingUi ui;
  GuiSession session(fs::path(home.path().toStdString()), &ui);
  QVERIFY(session.Start());
  MainWindow& w = session.Window();
  w.show();  // stored 1000 x 900 at 10,10: taller than the screen
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QString why;
  QVERIFY2(OnScreen(&w, why), qPrintable(why));

  // The bet window's first opening: beside the main window when the screen has room there, else
  // in the screen's bottom-right corner (a main window at its narrowest leaves no 630 pixels
  // beside it on this screen), never at 10,10 over the main window's header.
  w.resize(w.minimumSizeHint().width(), 500);
  w.move(0, 0);
  QCoreApplication::processEvents();
  session.Bench().Bets().Show();
  auto* bets = w.findChild<KaimeForm*>();
  QVERIFY(bets && bets->isVisible());
  QVERIFY2(OnScreen(bets, why), qPrintable(why));
  const QRect avail = bets->screen()->availableGeometry();
  if (w.frameGeometry().right() + bets->frameGeometry().width() <= avail.right()) {
    QCOMPARE(bets->frameGeometry().topLeft(), w.frameGeometry().topRight() + QPoint(1, 0));
  } else {
    QCOMPARE(bets->frameGeometry().bottomRight(), avail.bottomRight());
  }
  bets->hide();

  UserKaimeForm candidates(session.Bench(), &w);  // stored place 500, 100; 1,180 pixels wide
  DataSpanDialog span(session.Bench(), &w);
  TimingDialog timing(session.Bench(), &w);
  StakeDialog stake(session.Bench(), &w);
  OddsCeilingDialog ceiling(session.Bench(), &w);
  UnprocessedYearDialog year(2025, 2025, &w);
  ImportDialog import(session.Bench().GetSettings(), ui, session.Bench().GetClock(), session.JV(), {}, &w);
  for (QWidget* d : std::initializer_list<QWidget*>{&candidates, &span, &timing, &stake, &ceiling, &year, &import}) {
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QVERIFY2(OnScreen(d, why), qPrintable(why));
    d->hide();
  }
}

int main(int argc, char** argv) {
  // One offscreen screen of 1,366 x 768 pixels.
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screen.json"));
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly)) return 1;
  f.write(R"({"screens": [{"name": "Common", "x": 0, "y": 0, "width": 1366, "height": 768,
               "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  f.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  QApplication app(argc, argv);
  ScreenAndTextsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "ScreenAndTextsTest.moc"
