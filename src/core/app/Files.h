#pragma once
// File helpers shared by every reader and writer of the program's files.
#include <filesystem>
#include <string>
#include <string_view>

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

// Whole file into out. A missing file is an error (callers that accept it check exists first).
FileResult ReadFile(const fs::path& path, std::string& out);

// Appends bytes to path (creating it), used for logs only.
FileResult AppendFile(const fs::path& path, std::string_view bytes);

// The existing entry of dir named like name without regard to case, else dir / name.
fs::path ResolveNoCase(const fs::path& dir, const std::string& name);

}  // namespace kv
