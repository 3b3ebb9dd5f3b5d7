#pragma once
// The computer's local date and time.
#include "app/Ports.h"

namespace kv {

class LocalClock : public Clock {
 public:
  DateTime Now() const override;
};

}  // namespace kv
