#pragma once
// A port that holds back the information boxes of a task and passes everything else on: for a
// closing message that must wait until the task's files are written.
#include <string>
#include <vector>

#include "app/Ports.h"

namespace kv {

class HeldInfoUi : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void Info(const std::string& text) override { held_.push_back(text); }
  // Shows the held boxes, in order.
  void Tell() {
    for (const std::string& t : held_) inner_.Info(t);
    held_.clear();
  }

 private:
  std::vector<std::string> held_;
};

}  // namespace kv
