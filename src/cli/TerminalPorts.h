#pragma once
// The ports on a terminal: messages and progress go to the error stream as UTF-8, questions are
// asked on the terminal (No when there is no one to answer), the clipboard is kept in memory.
#include <iosfwd>
#include <string>

#include "app/Ports.h"

namespace kv::cli {

class TerminalUi : public UiPort {
 public:
  TerminalUi(std::ostream& err, bool assumeYes) : err_(err), assumeYes_(assumeYes) {}

  void Info(const std::string& text) override;
  void Warning(const std::string& text) override;
  void Plain(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override {}
  void Status(const std::string& text) override;
  void ProgressShow(const std::string& headline) override;
  void ProgressDetail(const std::string& detail) override;
  void ProgressBar(int, int) override {}
  void ProgressHide() override {}
  void BusyCursor(bool) override {}
  void ProcessMessages() override {}

 private:
  void Line(const char* prefix, const std::string& cp932);
  std::ostream& err_;
  bool assumeYes_;
  std::string lastStatus_;
};

// The terminal's port without the progress lines (the per-runner and per-pair lines of a load
// and a comparison): messages and questions go on to ui.
class QuietUi : public NoProgressUi {
 public:
  using NoProgressUi::NoProgressUi;
  void ProcessMessages() override {}
};

// Ctrl-C while the object lives: the first press is remembered instead of ending the program, so
// a long command can stop where it is safe to (Take() asks and forgets).
class CtrlCWatch {
 public:
  CtrlCWatch();
  ~CtrlCWatch();
  CtrlCWatch(const CtrlCWatch&) = delete;
  CtrlCWatch& operator=(const CtrlCWatch&) = delete;
  bool Take();

 private:
  void (*previous_)(int);
};

class TerminalDesktop : public Desktop {
 public:
  void SetClipboard(const std::string& text) override { clipboard_ = text; }
  bool OpenFile(const std::string& utf8Path) override;
  bool StartProgram(const std::string& utf8Program, const std::string& parameter,
                    const std::string& utf8WorkDir) override;

 private:
  std::string clipboard_;
};

}  // namespace kv::cli
