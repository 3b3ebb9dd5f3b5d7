#pragma once
// "ErrorLog.txt" in the program folder: the failures of real-time acquisition, one line each
// ("【エラー】hh:nn:ss：" + message), and two lines per program start. CP932 text, lines end in
// CR LF. Every change rewrites the file atomically.
#include <string>
#include <string_view>

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

// Adds one error line at the end of the file (created when missing). An existing file that
// cannot be read is left alone and reported.
FileResult AppendErrorLog(const fs::path& logFile, const DateTime& now, std::string_view message);

// Start-up: keeps the last kErrorLogKeptLines lines of the file, then adds
// "ソフト起動：yyyy/mm/dd hh:nn:ss" and the program folder's full path.
FileResult WriteStartupLog(const fs::path& logFile, const DateTime& now, const fs::path& progDir);

// The log of one program folder with its clock, for the acquisition code.
class ErrorLog {
 public:
  ErrorLog(fs::path file, const Clock& clock) : file_(std::move(file)), clock_(clock) {}
  FileResult Append(std::string_view message) const { return AppendErrorLog(file_, clock_.Now(), message); }
  const fs::path& Path() const { return file_; }

 private:
  fs::path file_;
  const Clock& clock_;
};

}  // namespace kv
