#pragma once
// A UiPort that shows nothing and gives one answer to every question (Yes unless told): for
// benchmarks, where recording every progress line would cost more than the work measured, and
// for fuzz targets, which look at what the core does, not at what it shows.
#include <string>

#include "app/Ports.h"

namespace kv::test {

class SilentUi : public UiPort {
 public:
  explicit SilentUi(bool answer = true) : answer_(answer) {}
  void Info(const std::string&) override {}
  void Warning(const std::string&) override {}
  void Plain(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return answer_; }
  void Beep() override {}
  void Status(const std::string&) override {}
  void ProgressShow(const std::string&) override {}
  void ProgressDetail(const std::string&) override {}
  void ProgressBar(int, int) override {}
  void ProgressHide() override {}
  void BusyCursor(bool) override {}
  void ProcessMessages() override {}

 private:
  bool answer_;
};

}  // namespace kv::test
