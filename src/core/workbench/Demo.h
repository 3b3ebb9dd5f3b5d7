#pragma once
// The demo program folder: a simulated racing world written as a JV-Link feed into its "feed"
// folder and imported once through the accumulated-data import, so that the workbench opens on
// two years of history and a live race day.
//
//   PrepareDemoFolder(prog, ui);          // before the workbench starts: folders and settings
//   ... the workbench starts, its window is shown, JV-Link is initialised ...
//   SetUpDemo(settings, ui, clock, jv, writer);  // the feed (once) and its import (once)
//
// What is done is remembered in the settings (section "Demo"), so later starts neither write
// the feed again nor import it again. A stopped or failed step is repeated by the next start.
#include <functional>
#include <string>

#include "app/Files.h"
#include "app/Settings.h"
#include "jvlink/JVLink.h"
#include "app/Ports.h"

namespace kv {

inline constexpr const char* kDemoSection = "Demo";
// "yyyymmdd": the live race day of the feed, written once the feed is complete.
inline constexpr const char* kDemoFeedDayKey = "FeedDay";
// 1 once the feed was imported completely.
inline constexpr const char* kDemoImportedKey = "Imported";
// The sub-folders of the demo program folder: the feed and the time-series odds.
inline constexpr const char* kDemoFeedFolder = "feed";
inline constexpr const char* kDemoTimeseriesFolder = "jikeiretu";

// What the feed writer is asked to write.
struct DemoFeedRequest {
  fs::path feed;        // the JV-Link feed folder
  fs::path timeseries;  // the time-series odds folder
  DateTime today;       // the live race day (the history ends the day before)
};

// Writes the simulated world; false with a message (UTF-8) in error when it failed.
using DemoFeedWriter = std::function<bool(const DemoFeedRequest& request, std::string& error)>;

// Creates the program folder with its feed and time-series folders and points the JV-Link
// feed setting ([JvReplay] FeedDir) and the time-series folder setting ([Dir] jikeiretu) at
// them, each only when not set yet (the user's own choice is kept). False with the reason shown.
bool PrepareDemoFolder(const fs::path& prog, UiPort& ui);

// True when the demo still has its feed to write or to import.
bool DemoSetUpPending(const Settings& settings);

enum class DemoSetUp {
  AlreadyDone,  // nothing to do
  Done,         // the feed was written (when needed) and imported
  Failed,       // the user has been told why; the next start tries again
};

// Once the workbench's window is up and JV-Link is initialised: writes the feed when it is not
// there yet (today = the clock's date) and imports it through the import controller as the
// first use of the import dialog does (set-up data, 731 days back, final odds), over jv (the
// workbench's JV-Link serving the feed folder). Progress goes to ui's progress window; the
// import's start notice, which asks the user to keep their hands off, goes there too instead of
// a box to close. settings are those of the program folder (the workbench's store).
DemoSetUp SetUpDemo(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv, const DemoFeedWriter& writer);

}  // namespace kv
