#pragma once
// The program folder and the data folders below it. Folder names are matched without regard to
// case, so an existing "Data" is the same folder as "DATA".
#include <optional>
#include <string>
#include <vector>

#include "app/Files.h"

namespace kv {

struct ProgramFolders {
  fs::path prog;  // the program folder (absolute)
  fs::path data;  // day files
  fs::path sei;   // past-run and prediction files per horse
  fs::path csv;   // CSV exports
  fs::path chg;   // change-information files
};

// The folder of the running executable (empty when it cannot be found).
fs::path ExecutableFolder();

// The program folder: home when given, else the executable's folder; made absolute.
fs::path ChooseProgramFolder(const std::optional<fs::path>& home);

// The folders below prog, each an existing folder matched without regard to case or else
// the upper-case name. Nothing is created.
ProgramFolders LocateProgramFolders(const fs::path& prog);

// Creates prog when missing and each of DATA, SEI, CSV and CHG that does not exist.
FileResult CreateProgramFolders(const fs::path& prog, ProgramFolders& out);

// The day list: the day names (first 14 bytes, CP932) of the race files "*.jvRA" in the data
// folder, newest first. A missing or empty folder gives an empty list.
std::vector<std::string> ListDays(const fs::path& dataFolder);

}  // namespace kv
