#pragma once
// A clock the user can drive: it starts at a chosen moment and runs a number of times faster
// than another clock (the computer's), so a whole race day can be watched in minutes. The demo
// and the command line's live run use it; the timers cannot tell it from the real one.
#include "app/Ports.h"

namespace kv {

// Milliseconds since 1970-01-01 00:00 of a local date and time (no time zone involved), and back.
long long EpochMs(const DateTime& t);
DateTime FromEpochMs(long long ms);

class SimulatedClock : public Clock {
 public:
  // From now on, Now() is start plus `speed` times the time base has advanced since this call.
  SimulatedClock(const Clock& base, const DateTime& start, double speed);
  DateTime Now() const override;
  double Speed() const { return speed_; }

 private:
  const Clock& base_;
  long long baseStartMs_;
  long long startMs_;
  double speed_;
};

// A clock that shows the moment it was last set to: a run that steps through a day itself (the
// command line's live run) moves it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(const DateTime& start) : now_(start) {}
  DateTime Now() const override { return now_; }
  void Set(const DateTime& t) { now_ = t; }

 private:
  DateTime now_;
};

}  // namespace kv
