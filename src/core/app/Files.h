#pragma once
// File helpers shared by every reader and writer of the program's files.
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

// Whole file into out. A missing file is an error (callers that accept it check exists first).
FileResult ReadFile(const fs::path& path, std::string& out);

// Appends bytes to path (creating it), used for logs only.
FileResult AppendFile(const fs::path& path, std::string_view bytes);

// The existing entry of dir named like name without regard to case, else dir / name.
fs::path ResolveNoCase(const fs::path& dir, const std::string& name);

}  // namespace kv
