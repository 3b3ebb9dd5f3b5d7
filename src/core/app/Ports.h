#pragma once
// Everything the core tells the user or asks of the platform goes through these ports, so no
// rule ever touches a window. The Qt workbench, the CLI and the tests each implement them.
// Texts are CP932 (as every core text).
#include <ctime>
#include <string>

namespace kv {

class UiPort {
 public:
  virtual ~UiPort() = default;
  virtual void Info(const std::string& text) = 0;     // beep + information box, OK button
  virtual void Warning(const std::string& text) = 0;  // warning box
  virtual void Plain(const std::string& text) = 0;    // plain message box
  virtual bool AskYesNo(const std::string& text) = 0; // confirmation box: true for Yes
  virtual void Beep() = 0;
  virtual void Status(const std::string& text) = 0;   // the main window's status line
  // Progress window: headline, detail line, bar position and maximum.
  virtual void ProgressShow(const std::string& headline) = 0;
  virtual void ProgressDetail(const std::string& detail) = 0;
  virtual void ProgressBar(int position, int maximum) = 0;
  virtual void ProgressHide() = 0;
  virtual void BusyCursor(bool on) = 0;
  // Lets pending window messages run (timers may fire, the user may press Cancel).
  virtual void ProcessMessages() = 0;
};

// A port that passes every call on to another one. A port that changes a few of the calls (drops
// the progress lines, adds a line to the detail, notices a cancel) derives from it and overrides
// just those.
class ForwardingUi : public UiPort {
 public:
  explicit ForwardingUi(UiPort& inner) : inner_(inner) {}
  void Info(const std::string& text) override { inner_.Info(text); }
  void Warning(const std::string& text) override { inner_.Warning(text); }
  void Plain(const std::string& text) override { inner_.Plain(text); }
  bool AskYesNo(const std::string& text) override { return inner_.AskYesNo(text); }
  void Beep() override { inner_.Beep(); }
  void Status(const std::string& text) override { inner_.Status(text); }
  void ProgressShow(const std::string& headline) override { inner_.ProgressShow(headline); }
  void ProgressDetail(const std::string& detail) override { inner_.ProgressDetail(detail); }
  void ProgressBar(int position, int maximum) override { inner_.ProgressBar(position, maximum); }
  void ProgressHide() override { inner_.ProgressHide(); }
  void BusyCursor(bool on) override { inner_.BusyCursor(on); }
  void ProcessMessages() override { inner_.ProcessMessages(); }

 protected:
  UiPort& inner_;
};

// Passes messages and questions on, but not the progress window or the busy cursor: for work
// that runs inside a longer task showing progress of its own.
class NoProgressUi : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void ProgressShow(const std::string&) override {}
  void ProgressDetail(const std::string&) override {}
  void ProgressBar(int, int) override {}
  void ProgressHide() override {}
  void BusyCursor(bool) override {}
};

// Local date and time, settable by tests and the demo.
struct DateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0, msec = 0;
  auto operator<=>(const DateTime&) const = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual void SetClipboard(const std::string& text) = 0;  // CP932 text
  // Opens a file with the system's default viewer; false when that failed.
  virtual bool OpenFile(const std::string& utf8Path) = 0;
  // Starts a program with one parameter (CP932 text, as every core text) in a working folder;
  // false when it could not start.
  virtual bool StartProgram(const std::string& utf8Program, const std::string& parameter,
                            const std::string& utf8WorkDir) = 0;
};

}  // namespace kv
