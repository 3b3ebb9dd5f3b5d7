#pragma once
// A workbench on a fresh temporary program folder with recording ports, a scripted JV-Link and a
// clock set to a fixed moment; test fixtures derive from it and add their day files.
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "workbench/Workbench.h"

namespace kv::test {

struct WorkbenchBench {
  TempDir dir;
  RecordingUi ui;
  SetClock clock{DateTime{2024, 5, 26, 9, 30, 0, 0}};
  ScriptedJVLink jv;
  RecordingDesktop desktop;
  Workbench wb{dir.path(), ui, clock, jv, desktop};
};

}  // namespace kv::test
