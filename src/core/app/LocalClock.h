#pragma once
// The computer's local date and time.
#include "workbench/Ports.h"

namespace kv {

class LocalClock : public Clock {
 public:
  DateTime Now() const override;
};

}  // namespace kv
