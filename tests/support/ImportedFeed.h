#pragma once
// A simulated world written as a JV-Link feed and imported into a program folder the way the
// import dialog does it (replay JV-Link, set-up data, every file since the from-date), in a
// scratch folder in memory when the machine has /dev/shm.
#include <stdexcept>
#include <string>

#include "Feed.h"
#include "SilentUi.h"
#include "SimulatedPastRuns.h"
#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "jvlink/ReplayJVLink.h"
#include "workbench/AccumulatedImport.h"

namespace kv::test {

// A clock that stands still.
class FixedClock : public Clock {
 public:
  explicit FixedClock(const DateTime& t) : t_(t) {}
  DateTime Now() const override { return t_; }

 private:
  DateTime t_;
};

// Imports the feed into prog (created when missing) as seen at `now`, set-up data from `from`.
// The outcome of the import.
inline AccumulatedImport::Outcome ImportFeed(const fs::path& feed, const fs::path& prog, const DateTime& now,
                                             const DateTime& from) {
  ProgramFolders folders;
  CreateProgramFolders(prog, folders);
  FixedClock clock(now);
  ReplayJVLink jv(feed.string(), clock);
  jv.JVInit(kJVSoftwareId);
  SilentUi ui;
  Settings settings(prog);
  settings.Load();
  AccumulatedImport imp(settings, ui, clock, jv);
  imp.Open();
  imp.SetSetupData(true);
  imp.SetFromDate(from);
  imp.Start();
  while (imp.PollTimerRunning()) imp.PollStatus();
  return imp.GetOutcome();
}

struct SimulatedFeed {
  ScratchFolder folder;
  fs::path feed = folder.path() / "feed";
  sim::FeedStats stats;
  DateTime now;   // a moment after everything in the feed was published
  DateTime from;  // before the first race day

  // The world from `first` to `last`, final odds from oddsFrom on (none when oddsFrom is not
  // set), seed fixed.
  SimulatedFeed(const sim::Date& first, const sim::Date& last, const sim::Date* oddsFrom) {
    sim::FeedOptions o;
    o.out = feed.string();
    o.seed = 2024;
    o.from = first;
    o.to = last;
    if (oddsFrom) {
      o.hasOddsFrom = true;
      o.oddsFrom = *oddsFrom;
    }
    o.recentWeeks = 1;
    std::string error;
    if (!sim::GenerateFeed(o, stats, error)) throw std::runtime_error(error);
    const sim::Date after = last.Plus(7);
    now = DateTime{after.y, after.m, after.d, 12, 0, 0, 0};
    from = DateTime{first.y, first.m, 1, 0, 0, 0, 0};
  }
};

}  // namespace kv::test
