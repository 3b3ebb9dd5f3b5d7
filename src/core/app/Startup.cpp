#include "app/Startup.h"

#include "app/ErrorLog.h"
#include "text/Format.h"

namespace kv {

namespace {

// The past-run folder holds two files per horse ever seen (tens of thousands after some years).
// It is searched for the temporary files of interrupted writes at the first start of a day, not
// at every start: a leftover only takes room until then, and a command-line start stays quick.
// The day of the last search is kept in a small file of the folder.
void RemoveStaleTempFilesOncePerDay(const fs::path& sei, const DateTime& now) {
  const fs::path stamp = sei / ".tempsweep";
  const std::string today = Fmt("%04d%02d%02d\r\n", now.year, now.month, now.day);
  std::string last;
  if (ReadFile(stamp, last) && last == today) return;
  RemoveStaleTempFiles(sei, true);
  WriteFileAtomic(stamp, today);  // when it cannot be written, the next start searches again
}

}  // namespace

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
  RemoveStaleTempFilesOncePerDay(p.folders.sei, clock.Now());
  if (FileResult r = p.settings.Load(); !r) p.problems.push_back(r.error);
  if (FileResult r = WriteStartupLog(ErrorLogPath(prog), clock.Now(), prog); !r) p.problems.push_back(r.error);
  return p;
}

}  // namespace kv
