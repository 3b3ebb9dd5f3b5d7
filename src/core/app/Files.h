#pragma once
// File helpers shared by every reader and writer of the program's files. The operating system's
// own calls (POSIX or Windows) appear only here and in LocalClock and FolderLock.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

namespace fs = std::filesystem;

// Outcome of a file operation: ok, or a message naming the file and the reason.
struct FileResult {
  bool ok = true;
  std::string error;  // UTF-8, for the log and the user
  explicit operator bool() const { return ok; }
  static FileResult Fail(std::string e) { return {false, std::move(e)}; }
};

// Replaces path with bytes atomically: a temporary file in the same folder is written,
// flushed and fsynced, renamed over the target, and the folder is fsynced. On any failure
// the old file stays whole and the temporary file is removed.
FileResult WriteFileAtomic(const fs::path& path, std::string_view bytes);

// A fresh name beside path for a file that is written in full and then put in path's place with
// ReplaceFileAtomic (named like WriteFileAtomic's own temporary files, so RemoveStaleTempFiles
// clears it when the writing process dies first). Nothing is created.
fs::path TempFileBeside(const fs::path& path);

// Puts the finished file temp (beside target, see TempFileBeside) in target's place atomically:
// temp is flushed to disk, renamed over target, and the folder is flushed. Readers of target see
// either the old file or the new one whole. On failure target is left as it was and temp removed.
FileResult ReplaceFileAtomic(const fs::path& temp, const fs::path& target);

// One file of a batch write.
struct FileWrite {
  fs::path path;
  std::string bytes;
};

// Replaces several files, each one atomically as WriteFileAtomic does, but with one flush of the
// file system for the whole batch instead of two per file: every temporary file is written, the
// file system is synced once, each temporary file is renamed over its target, and the file system
// is synced again. One result per write, in order; a failed write leaves its old file whole.
std::vector<FileResult> WriteFilesAtomic(const std::vector<FileWrite>& writes);

// Whole file into out. A missing file is an error (callers that accept it check exists first, or
// look at errno: a failed open leaves the platform's error there).
FileResult ReadFile(const fs::path& path, std::string& out);

// Appends bytes to path (creating it), used for logs only.
FileResult AppendFile(const fs::path& path, std::string_view bytes);

// Removes the temporary files that WriteFileAtomic and WriteFilesAtomic left in dir (and, when
// recursive, in its sub-folders) because the writing process was killed before it could remove
// them. A temporary file of a process that is still running is left alone. Returns how many
// files were removed.
int RemoveStaleTempFiles(const fs::path& dir, bool recursive);

// A write beyond the process's file-size limit ends the process with a signal (SIGXFSZ) where
// the platform has one. Ignoring it makes such a write fail (EFBIG) and be reported like any
// other failed write. Called once at the start of each program.
void IgnoreFileSizeSignal();

// A path from UTF-8 text and back. fs::path(std::string) would take the bytes in the system's
// code page on Windows; these go through std::u8string, so Japanese names survive on every system.
fs::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const fs::path& path);
// The same for code page 932 text (the core's own texts: day and venue names).
fs::path PathFromCp932(std::string_view cp932);
std::string PathToCp932(const fs::path& path);

// What the store needs to know whether a file changed since it was read.
struct FileStamp {
  bool exists = false;
  std::uint64_t dev = 0, ino = 0, size = 0;
  std::int64_t mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const fs::path& path);

// The running program's own file (empty when it cannot be told).
fs::path ExecutableFile();

// The existing entry of dir named like name without regard to case, else dir / name.
fs::path ResolveNoCase(const fs::path& dir, const std::string& name);

}  // namespace kv
