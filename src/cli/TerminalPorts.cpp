#include "TerminalPorts.h"

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <ostream>

#include "text/Cp932.h"

namespace kv::cli {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnInterrupt(int) { gInterrupted = 1; }
}  // namespace

CtrlCWatch::CtrlCWatch() {
  gInterrupted = 0;
  previous_ = std::signal(SIGINT, OnInterrupt);
}

CtrlCWatch::~CtrlCWatch() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }

bool CtrlCWatch::Take() {
  if (!gInterrupted) return false;
  gInterrupted = 0;
  return true;
}

void TerminalUi::Line(const char* prefix, const std::string& cp932) {
  std::string text = ToUtf8(cp932);
  // Message boxes break lines with CR LF; a terminal wants LF.
  std::string clean;
  for (char c : text)
    if (c != '\r') clean += c;
  err_ << prefix << clean << '\n';
}

void TerminalUi::Info(const std::string& text) { Line("", text); }
void TerminalUi::Warning(const std::string& text) { Line("warning: ", text); }
void TerminalUi::Plain(const std::string& text) { Line("", text); }

bool TerminalUi::AskYesNo(const std::string& text) {
  Line("", text);
  if (assumeYes_) {
    err_ << "[y/N] y (--yes)\n";
    return true;
  }
  if (!::isatty(STDIN_FILENO)) {
    err_ << "[y/N] n (no terminal to answer)\n";
    return false;
  }
  err_ << "[y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

void TerminalUi::Status(const std::string& text) {
  if (text.empty() || text == lastStatus_) return;
  lastStatus_ = text;
  Line("", text);
}

void TerminalUi::ProgressShow(const std::string& headline) { Line("", headline); }
void TerminalUi::ProgressDetail(const std::string& detail) { Line("  ", detail); }

bool TerminalDesktop::OpenFile(const std::string& utf8Path) {
  std::cerr << "open: " << utf8Path << '\n';
  return true;
}

bool TerminalDesktop::StartProgram(const std::string& utf8Program, const std::string& parameter,
                                   const std::string& utf8WorkDir) {
  std::cerr << "not started (no program starts from the terminal): " << utf8Program << ' ' << ToUtf8(parameter)
            << " in " << utf8WorkDir << '\n';
  return false;
}

}  // namespace kv::cli
