#pragma once
// Recording ports for tests: every text shown is kept in order, Yes/No answers are scripted
// and the clock is set by the test. Texts are CP932, as the core hands them over; compare
// them with kv::J("…").
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/Ports.h"

namespace kv::test {

class RecordingUi : public UiPort {
 public:
  enum class Kind { Info, Warning, Plain, Ask, Beep, Status, ProgressShow, ProgressDetail, ProgressBar,
                    ProgressHide, Busy };
  struct Event {
    Kind kind;
    std::string text;  // the message; "pos/max" for ProgressBar; "1"/"0" for Busy; empty for Beep/Hide
  };

  // Script: answers to AskYesNo in order, then defaultAnswer.
  std::deque<bool> answers;
  bool defaultAnswer = true;
  // Called on every ProcessMessages (e.g. to fire a timer or press Cancel mid-loop).
  std::function<void()> onProcessMessages;

  // Record.
  std::vector<Event> events;
  std::string status;  // the status line's current text
  int processMessagesCalls = 0;

  std::vector<std::string> Texts(Kind kind) const {
    std::vector<std::string> out;
    for (const Event& e : events)
      if (e.kind == kind) out.push_back(e.text);
    return out;
  }
  int Count(Kind kind) const {
    int n = 0;
    for (const Event& e : events) n += e.kind == kind;
    return n;
  }
  // The boxes shown (information, warning, plain, question), in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const Event& e : events)
      if (e.kind == Kind::Info || e.kind == Kind::Warning || e.kind == Kind::Plain || e.kind == Kind::Ask)
        out.push_back(e.text);
    return out;
  }
  void Clear() { events.clear(); }

  void Info(const std::string& text) override { events.push_back({Kind::Info, text}); }
  void Warning(const std::string& text) override { events.push_back({Kind::Warning, text}); }
  void Plain(const std::string& text) override { events.push_back({Kind::Plain, text}); }
  bool AskYesNo(const std::string& text) override {
    events.push_back({Kind::Ask, text});
    if (answers.empty()) return defaultAnswer;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void Beep() override { events.push_back({Kind::Beep, {}}); }
  void Status(const std::string& text) override {
    status = text;
    events.push_back({Kind::Status, text});
  }
  void ProgressShow(const std::string& headline) override { events.push_back({Kind::ProgressShow, headline}); }
  void ProgressDetail(const std::string& detail) override { events.push_back({Kind::ProgressDetail, detail}); }
  void ProgressBar(int position, int maximum) override {
    events.push_back({Kind::ProgressBar, std::to_string(position) + "/" + std::to_string(maximum)});
  }
  void ProgressHide() override { events.push_back({Kind::ProgressHide, {}}); }
  void BusyCursor(bool on) override { events.push_back({Kind::Busy, on ? "1" : "0"}); }
  void ProcessMessages() override {
    ++processMessagesCalls;
    if (onProcessMessages) onProcessMessages();
  }
};

// A clock that shows the time the test sets.
class SetClock : public Clock {
 public:
  DateTime now;

  SetClock() = default;
  explicit SetClock(DateTime t) : now(t) {}
  DateTime Now() const override { return now; }

  void Set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    now = DateTime{year, month, day, hour, minute, second, 0};
  }
  // Moves the clock by whole seconds (negative moves back), across midnight and month ends.
  void Advance(long long seconds) {
    using namespace std::chrono;
    sys_days date = year_month_day{year{now.year}, month{static_cast<unsigned>(now.month)},
                                   day{static_cast<unsigned>(now.day)}};
    sys_seconds t = date + hours{now.hour} + minutes{now.minute} + std::chrono::seconds{now.second} +
                    std::chrono::seconds{seconds};
    sys_days d = floor<days>(t);
    year_month_day ymd{d};
    hh_mm_ss<std::chrono::seconds> hms{t - d};
    now.year = static_cast<int>(ymd.year());
    now.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    now.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    now.hour = static_cast<int>(hms.hours().count());
    now.minute = static_cast<int>(hms.minutes().count());
    now.second = static_cast<int>(hms.seconds().count());
  }
};

class RecordingDesktop : public Desktop {
 public:
  struct Start {
    std::string program, parameter, workDir;
  };

  // Script: what OpenFile / StartProgram answer.
  bool openResult = true;
  bool startResult = true;

  // Record.
  std::string clipboard;
  std::vector<std::string> opened;
  std::vector<Start> started;

  void SetClipboard(const std::string& text) override { clipboard = text; }
  bool OpenFile(const std::string& utf8Path) override {
    opened.push_back(utf8Path);
    return openResult;
  }
  bool StartProgram(const std::string& program, const std::string& parameter, const std::string& workDir) override {
    started.push_back({program, parameter, workDir});
    return startResult;
  }
};

}  // namespace kv::test
