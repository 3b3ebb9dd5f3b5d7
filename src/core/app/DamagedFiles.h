#pragma once
// Keeping damaged files aside. A file whose framing is broken is never deleted and never
// rewritten in place: it is moved into the program folder's "damaged/<timestamp>/" folder, at
// the same path relative to the program folder it had ("SEI/2019/2019100001.kak" goes to
// "damaged/20261210-141530/SEI/2019/2019100001.kak"), so the user can look at it or put it back,
// and the program can write a whole file where it was.
#include <string>
#include <string_view>

#include "app/Files.h"
#include "app/Ports.h"

namespace kv {

inline constexpr const char* kDamagedFolderName = "damaged";

// "yyyymmdd-hhnnss": the name of one repair's folder below "damaged".
std::string DamagedStamp(const DateTime& now);

// The folder a repair at `stamp` keeps its files in: prog/damaged/<stamp> ("damaged" matched
// without regard to case).
fs::path DamagedFolder(const fs::path& prog, const std::string& stamp);

// Moves file into DamagedFolder(prog, stamp), keeping its path relative to prog (a file outside
// prog keeps only its name). A file already there under that name is not replaced: the moved
// file gets "~2", "~3", … before its extension. When a rename across file systems is refused the
// file is copied and only then removed. movedTo (may be null) receives the new path. On failure
// the file stays where it was and the result says why (UTF-8).
FileResult MoveToDamaged(const fs::path& prog, const fs::path& file, const std::string& stamp,
                         fs::path* movedTo = nullptr);

// True when a CP932 message is a reader's report of a damaged file ("ファイルが壊れています：…").
bool IsDamagedFileMessage(std::string_view cp932);

// What ends every message about a damaged file (CP932, starting with CR LF): the check and repair
// that move it aside (and rebuild past-run files), and for a day file — dayName "yyyy年mm月dd日"
// of the day — the set-up import that brings it back afterwards.
std::string DamagedFileAdvice(std::string_view dayName = {});

// The set-up import that brings back the day files of a day and every later one (CP932):
// yyyymmdd of the earliest damaged day.
std::string SetupImportAdvice(std::string_view yyyymmdd);

}  // namespace kv
