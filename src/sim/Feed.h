#pragma once
// Writes a simulated world as a JV-Link replay feed (the layout ReplayJVLink serves, described
// in the README's "Feed format" section), and optionally a time-series odds folder.
#include <cstdint>
#include <string>

#include "Calendar.h"

namespace kv::sim {

struct FeedOptions {
  std::string out;              // feed folder (created; its feed sub-folders are replaced)
  uint64_t seed = 1;
  Date from, to;                // history, as accumulated data
  bool hasToday = false;
  Date today;                   // a race day unfolding in real time (after `to`)
  bool hasOddsFrom = false;
  Date oddsFrom;                // final odds from this day on (none without it)
  std::string timeseries;       // time-series odds folder; empty for none
  int recentWeeks = 4;          // weeks before the end with entries, race cards and flash results
  bool measureCommonOpponents = false;  // fills FeedStats::medianCommonOpponents (slower)
};

struct FeedStats {
  int raceDays = 0;
  int races = 0;
  int starters = 0;
  int files = 0;
  long long bytes = 0;
  // Median over every pair of starters of a central race in the second half of the history of
  // the number of horses both had met in earlier races of the feed.
  double medianCommonOpponents = 0;
};

// Generates the feed; false with a message (UTF-8) in error when the options or a file fail.
bool GenerateFeed(const FeedOptions& options, FeedStats& stats, std::string& error);

// Options for the demo: two years of history up to the day before `today`, today as a live
// race day, final odds and time-series odds for the last two weeks only.
FeedOptions DemoFeedOptions(const std::string& out, const Date& today, const std::string& timeseries);

}  // namespace kv::sim
