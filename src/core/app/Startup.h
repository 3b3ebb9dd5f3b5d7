#pragma once
// The start-up steps that need no window, shared by the workbench and the CLI: the data
// folders, the settings and the error log's start-up lines.
#include <string>
#include <vector>

#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "app/Ports.h"

namespace kv {

struct StartedProgram {
  explicit StartedProgram(const fs::path& prog) : settings(prog) { folders.prog = prog; }

  ProgramFolders folders;
  Settings settings;
  // What went wrong, for the user (UTF-8). A settings or log file that cannot be read or
  // written is reported here and the program goes on with defaults.
  std::vector<std::string> problems;
  // False when the program folder or its data folders cannot be created: nothing can be stored.
  bool ok = true;
};

// Creates the missing data folders under prog, reads the settings and writes the start-up
// lines of the error log (its older lines trimmed). prog is the program folder
// (ChooseProgramFolder). The companion programs' folders (section "Dir") are not looked up:
// this platform has no install registry, so they stay as the user set them in the folder menu.
StartedProgram StartProgram(const fs::path& prog, const Clock& clock);

}  // namespace kv
