#pragma once
// "ErrorLog.txt" in the program folder: the failures of real-time acquisition, one line each
// ("【エラー】hh:nn:ss：" + message), and two lines per program start. CP932 text, lines end in
// CR LF. Error lines are appended to the end of the file, one write per batch of lines; the
// start-up trim rewrites the file atomically.
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/Ports.h"

namespace kv {

inline constexpr const char* kErrorLogFileName = "ErrorLog.txt";
// Lines kept from earlier runs when the program starts.
inline constexpr size_t kErrorLogKeptLines = 100;

// The log file of the program folder (an existing file named without regard to case).
fs::path ErrorLogPath(const fs::path& progDir);

// "【エラー】hh:nn:ss" + "：" + message (CP932), without a line end.
std::string ErrorLogLine(const DateTime& now, std::string_view message);

// Adds one error line at the end of the file (created when missing).
FileResult AppendErrorLog(const fs::path& logFile, const DateTime& now, std::string_view message);
// Adds one error line per message, all in one write (an import that rejects thousands of records
// logs them in batches).
FileResult AppendErrorLogLines(const fs::path& logFile, const DateTime& now, const std::vector<std::string>& messages);

// Start-up: keeps the last kErrorLogKeptLines lines of the file, then adds
// "ソフト起動：yyyy/mm/dd hh:nn:ss" and the program folder's full path.
FileResult WriteStartupLog(const fs::path& logFile, const DateTime& now, const fs::path& progDir);

// The log of one program folder with its clock, for the acquisition code.
class ErrorLog {
 public:
  ErrorLog(fs::path file, const Clock& clock) : file_(std::move(file)), clock_(clock) {}
  FileResult Append(std::string_view message) const { return AppendErrorLog(file_, clock_.Now(), message); }
  FileResult Append(const std::vector<std::string>& messages) const {
    return AppendErrorLogLines(file_, clock_.Now(), messages);
  }
  const fs::path& Path() const { return file_; }

 private:
  fs::path file_;
  const Clock& clock_;
};

}  // namespace kv
