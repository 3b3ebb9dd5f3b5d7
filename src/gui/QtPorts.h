#pragma once
// The workbench's ports on Qt: message boxes with a beep, the main window's status bar, a
// progress window, the busy cursor, the event loop, the clipboard, the desktop's default viewer
// and detached program starts. (The clock is the core's LocalClock.)
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "app/Ports.h"

class QLabel;
class QProgressDialog;
class QStatusBar;
class QWidget;

namespace kv::gui {

// CP932 <-> QString at the Qt edge.
QString Q(const std::string& cp932);
std::string Cp(const QString& text);

class QtUiPort : public UiPort {
 public:
  QtUiPort() = default;
  ~QtUiPort() override;
  // The window that owns the message boxes and the progress window, and its status bar.
  void Attach(QWidget* window, QStatusBar* statusBar);

  void Info(const std::string& text) override;
  void Warning(const std::string& text) override;
  void Plain(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;
  void Status(const std::string& text) override;
  void ProgressShow(const std::string& headline) override;
  void ProgressDetail(const std::string& detail) override;
  void ProgressBar(int position, int maximum) override;
  void ProgressHide() override;
  void BusyCursor(bool on) override;
  void ProcessMessages() override;

 private:
  QProgressDialog* Progress();
  QPointer<QWidget> window_;
  QPointer<QStatusBar> statusBar_;
  QPointer<QProgressDialog> progress_;
  QPointer<QLabel> statusLabel_;
  std::string headline_;
  QElapsedTimer painted_;  // since the progress window was last painted
  int busyDepth_ = 0;
};

class QtDesktop : public Desktop {
 public:
  void SetClipboard(const std::string& text) override;
  bool OpenFile(const std::string& utf8Path) override;
  bool StartProgram(const std::string& utf8Program, const std::string& parameter,
                    const std::string& utf8WorkDir) override;
};

}  // namespace kv::gui
