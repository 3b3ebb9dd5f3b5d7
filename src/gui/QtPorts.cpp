#include "QtPorts.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QStatusBar>
#include <QThread>
#include <QUrl>
#include <QWindow>

#include "text/Cp932.h"

namespace kv::gui {

QString Q(const std::string& cp932) { return QString::fromStdString(ToUtf8(cp932)); }
std::string Cp(const QString& text) { return ToCp932(text.toStdString()); }

namespace {
const QString kTitle = QStringLiteral("Korvane2");

// The progress window is painted at least this often while the work lets messages run.
constexpr qint64 kProgressPaintMs = 100;

// A window shown just now is mapped by the window system a little later: waits (briefly) until it
// is on the screen and paints it at once, so that it never stands black while the work runs.
void PaintNow(QWidget* w) {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  QElapsedTimer waited;
  waited.start();
  while (w->windowHandle() && !w->windowHandle()->isExposed() && waited.elapsed() < 500) {
    QThread::msleep(5);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  w->repaint();
}
}  // namespace

QtUiPort::~QtUiPort() {
  while (busyDepth_ > 0) BusyCursor(false);
}

void QtUiPort::Attach(QWidget* window, QStatusBar* statusBar) {
  window_ = window;
  statusBar_ = statusBar;
  if (statusBar_) {
    // A permanent label rather than showMessage(): menu hints must not wipe the status line.
    statusLabel_ = new QLabel(statusBar_);
    statusLabel_->setObjectName(QStringLiteral("StatusLine"));
    statusBar_->addWidget(statusLabel_, 1);
  }
}

void QtUiPort::Info(const std::string& text) {
  QApplication::beep();
  QMessageBox::information(window_, kTitle, Q(text));
}

void QtUiPort::Warning(const std::string& text) { QMessageBox::warning(window_, kTitle, Q(text)); }

void QtUiPort::Plain(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, Q(text), QMessageBox::Ok, window_);
  box.exec();
}

bool QtUiPort::AskYesNo(const std::string& text) {
  return QMessageBox::question(window_, kTitle, Q(text), QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void QtUiPort::Beep() { QApplication::beep(); }

void QtUiPort::Status(const std::string& text) {
  if (statusLabel_) statusLabel_->setText(Q(text));
}

QProgressDialog* QtUiPort::Progress() {
  if (!progress_) {
    progress_ = new QProgressDialog(window_);
    progress_->setWindowTitle(kTitle);
    progress_->setCancelButton(nullptr);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setWindowModality(Qt::NonModal);
    progress_->setMinimumWidth(360);
  }
  return progress_;
}

void QtUiPort::ProgressShow(const std::string& headline) {
  headline_ = headline;
  QProgressDialog* p = Progress();
  p->setLabelText(Q(headline));
  p->setRange(0, 0);
  p->show();
  p->raise();
  PaintNow(p);
  painted_.start();
}

void QtUiPort::ProgressDetail(const std::string& detail) {
  Progress()->setLabelText(Q(headline_) + QStringLiteral("\n") + Q(detail));
}

void QtUiPort::ProgressBar(int position, int maximum) {
  QProgressDialog* p = Progress();
  p->setMaximum(std::max(0, maximum));
  p->setValue(std::clamp(position, 0, std::max(0, maximum)));
}

void QtUiPort::ProgressHide() {
  if (progress_) progress_->hide();
}

void QtUiPort::BusyCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void QtUiPort::ProcessMessages() {
  QCoreApplication::processEvents();
  // The progress window shows the step just reached, however busy the event queue is.
  if (progress_ && progress_->isVisible() && (!painted_.isValid() || painted_.elapsed() >= kProgressPaintMs)) {
    progress_->repaint();
    painted_.start();
  }
}

void QtDesktop::SetClipboard(const std::string& text) { QGuiApplication::clipboard()->setText(Q(text)); }

bool QtDesktop::OpenFile(const std::string& utf8Path) {
  const QString path = QString::fromStdString(utf8Path);
  if (!QFileInfo::exists(path)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtDesktop::StartProgram(const std::string& utf8Program, const std::string& parameter,
                             const std::string& utf8WorkDir) {
  return QProcess::startDetached(QString::fromStdString(utf8Program), {Q(parameter)},
                                 QString::fromStdString(utf8WorkDir));
}

}  // namespace kv::gui
