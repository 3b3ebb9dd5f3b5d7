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
  if (FileResult r = p.settings.Load(); !r) p.problems.push_back(r.error);
  if (FileResult r = WriteStartupLog(ErrorLogPath(prog), clock.Now(), prog); !r) p.problems.push_back(r.error);
  return p;
}

}  // namespace kv
