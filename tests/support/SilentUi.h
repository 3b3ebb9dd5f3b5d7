#pragma once
// A UiPort that shows nothing and answers Yes: for benchmarks, where recording every progress
// line would cost more than the work measured.
#include <string>

#include "app/Ports.h"

namespace kv::test {

class SilentUi : public UiPort {
 public:
  void Info(const std::string&) override {}
  void Warning(const std::string&) override {}
  void Plain(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return true; }
  void Beep() override {}
  void Status(const std::string&) override {}
  void ProgressShow(const std::string&) override {}
  void ProgressDetail(const std::string&) override {}
  void ProgressBar(int, int) override {}
  void ProgressHide() override {}
  void BusyCursor(bool) override {}
  void ProcessMessages() override {}
};

}  // namespace kv::test
