#pragma once
// The odds movement of one race, ready to draw: the win odds of every runner over the race day
// from the race's odds history (odds/OddsHistory.h), the runners in the order of their current
// popularity, and the post time.
#include <string>
#include <vector>

#include "model/RaceDayModel.h"
#include "odds/OddsHistory.h"

namespace kv {

struct OddsPoint {
  int minute = 0;     // minute of the race day (hour * 60 + minute)
  double odds = 0.0;  // win odds, > 0
};

struct RunnerOddsLine {
  int horse = 0;                // horse number 1..18
  std::string name;             // CP932, as in the entry table
  int popularity = 0;           // current win popularity (the loaded odds), 0 none
  double currentOdds = 0.0;     // current win odds (the loaded odds), <= 0 none
  std::vector<OddsPoint> points;  // ascending minutes, one per minute (the last snapshot of it)
};

struct OddsMovement {
  std::string title;                  // CP932: venue, race number and race name
  std::vector<RunnerOddsLine> lines;  // by current popularity; runners without one after, by number
  int postMinute = -1;                // post time (RA 874-877), -1 when not a time
  int firstMinute = -1, lastMinute = -1;  // span of all points, -1 when there are none
  int snapshots = 0;                  // snapshots of the race day drawn
  std::string note;                   // CP932: why nothing can be drawn, or a damaged history
  bool HasPoints() const { return firstMinute >= 0; }
};

// The movement of race slot r of the loaded day from its kept snapshots. Horses 1..n (the race's
// runners); snapshots of another day and entries that are not odds (cancelled, blank) are left out.
OddsMovement BuildOddsMovement(const RaceDayModel& day, int r, const HistoryReadResult& history);

}  // namespace kv
