#include "app/Startup.h"

#include "app/ErrorLog.h"

namespace kv {

StartedProgram StartProgram(const fs::path& prog, const Clock& clock) {
  StartedProgram p(prog);
  if (FileResult r = CreateProgramFolders(prog, p.folders); !r) {
    p.ok = false;
    p.problems.push_back(r.error);
    return p;
  }
  // Temporary files of writes that were interrupted (the process killed) are of no use.
  for (const fs::path& dir : {p.folders.prog, p.folders.data, p.folders.csv, p.folders.chg})
    RemoveStaleTempFiles(dir, false);
  RemoveStaleTempFiles(p.folders.sei, true);
  if (FileResult r = p.settings.Load(); !r) p.problems.push_back(r.error);
  if (FileResult r = WriteStartupLog(ErrorLogPath(prog), clock.Now(), prog); !r) p.problems.push_back(r.error);
  return p;
}

}  // namespace kv
