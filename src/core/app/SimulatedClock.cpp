#include "app/SimulatedClock.h"

#include <chrono>
#include <cmath>

namespace kv {

long long EpochMs(const DateTime& t) {
  using namespace std::chrono;
  const sys_days d = year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)}, day{static_cast<unsigned>(t.day)}};
  return d.time_since_epoch().count() * 86400000LL + ((t.hour * 60LL + t.minute) * 60LL + t.second) * 1000LL + t.msec;
}

DateTime FromEpochMs(long long ms) {
  using namespace std::chrono;
  const long long days = (ms >= 0 ? ms : ms - 86399999) / 86400000;
  long long rest = ms - days * 86400000LL;
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  DateTime t;
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.hour = static_cast<int>(rest / 3600000);
  rest %= 3600000;
  t.minute = static_cast<int>(rest / 60000);
  rest %= 60000;
  t.second = static_cast<int>(rest / 1000);
  t.msec = static_cast<int>(rest % 1000);
  return t;
}

SimulatedClock::SimulatedClock(const Clock& base, const DateTime& start, double speed)
    : base_(base), baseStartMs_(EpochMs(base.Now())), startMs_(EpochMs(start)), speed_(speed > 0 ? speed : 1.0) {}

DateTime SimulatedClock::Now() const {
  const long long elapsed = EpochMs(base_.Now()) - baseStartMs_;
  return FromEpochMs(startMs_ + std::llround(static_cast<double>(elapsed) * speed_));
}

}  // namespace kv
