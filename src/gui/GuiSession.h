#pragma once
// One run of the workbench: the command line, the program folder, the ports, the JV-Link
// instance, the workbench and its main window, started in the order the program starts in.
#include <QApplication>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "QtPorts.h"
#include "app/LocalClock.h"
#include "app/SimulatedClock.h"
#include "workbench/Demo.h"
#include "workbench/Workbench.h"

namespace kv::gui {

class MainWindow;

// The clock the workbench runs on when it is simulated: today at a chosen time, running a
// number of times faster than the computer's clock.
struct ClockOptions {
  std::optional<int> startMinutes;  // --clock HH:MM: minutes after midnight of today
  double speed = 1.0;               // --speed N
  bool Simulated() const { return startMinutes.has_value() || speed != 1.0; }
};

struct GuiOptions {
  std::optional<fs::path> home;  // --home DIR
  bool demo = false;             // --demo
  ClockOptions clock;            // --clock HH:MM, --speed N
};

// Parses the program's arguments (without the program name). False with a message on a
// malformed or unknown argument.
bool ParseGuiOptions(const QStringList& args, GuiOptions& out, QString& error);

// The demo's program folder: $XDG_DATA_HOME/korvane2-demo, else ~/.local/share/korvane2-demo.
fs::path DemoProgramFolder();

// Makes the demo program folder ready before the session starts: the folder, its feed and
// time-series folders and their settings. False when the folder cannot be used (the user was told).
bool PrepareDemo(const fs::path& prog, UiPort& ui);

// Writes the demo's simulated world (two years of history up to the day before the request's
// day, that day as a live race day) with the simulator.
bool WriteDemoFeed(const DemoFeedRequest& request, std::string& error);

class GuiSession {
 public:
  // ui: the port for messages; null uses the Qt message boxes and the window's status bar.
  // clock: a simulated clock for the whole session (the JV-Link feed and every timer follow it).
  explicit GuiSession(fs::path progDir, UiPort* ui = nullptr, const ClockOptions& clock = {});
  ~GuiSession();

  // The start-up: JV-Link presence check, the workbench's start-up steps, the main window placed
  // as saved. False when the program must end (the user has been told).
  bool Start();

  // The demo's first start, once the window is shown: the feed written and imported with the
  // progress window up and the main window disabled, then the day list filled. Later starts find
  // it done and do nothing. True when the demo is ready.
  bool SetUpDemo(const DemoFeedWriter& writer = WriteDemoFeed);

  Workbench& Bench() { return *wb_; }
  MainWindow& Window() { return *window_; }
  JVLink& JV() { return *jv_; }

 private:
  fs::path progDir_;
  QtUiPort qtUi_;
  UiPort* ui_;
  LocalClock localClock_;
  ClockOptions clockOptions_;
  std::unique_ptr<SimulatedClock> simulatedClock_;
  Clock* clock_ = &localClock_;
  QtDesktop desktop_;
  std::unique_ptr<JVLink> jv_;
  std::unique_ptr<Workbench> wb_;
  std::unique_ptr<MainWindow> window_;
};

// The application-wide set-up of the workbench: its name, the Fusion style, every window kept
// on the screen, and Qt's own Japanese texts (standard buttons キャンセル, はい, いいえ, file
// dialogs). False when the Japanese translations are not installed.
bool SetUpApplication(QApplication& app);

// The whole program: parses the arguments, starts a session and runs the event loop.
int RunWorkbench(int argc, char** argv);

}  // namespace kv::gui
