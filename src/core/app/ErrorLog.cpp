#include "app/ErrorLog.h"

#include <vector>

#include "text/Cp932.h"
#include "text/Format.h"

namespace kv {
namespace {

// The file's lines without their line ends (LF or CR LF); a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
  }
  return lines;
}

// The file's content, or empty when it does not exist; false when it exists but cannot be read.
FileResult ReadIfPresent(const fs::path& file, std::string& out) {
  out.clear();
  std::error_code ec;
  if (!fs::exists(file, ec)) return {};
  return ReadFile(file, out);
}

}  // namespace

fs::path ErrorLogPath(const fs::path& progDir) { return ResolveNoCase(progDir, kErrorLogFileName); }

std::string ErrorLogLine(const DateTime& now, std::string_view message) {
  static const std::string head = J("【エラー】");
  static const std::string colon = J("：");
  return head + Fmt("%02d:%02d:%02d", now.hour, now.minute, now.second) + colon + std::string(message);
}

FileResult AppendErrorLog(const fs::path& logFile, const DateTime& now, std::string_view message) {
  std::string text;
  if (FileResult r = ReadIfPresent(logFile, text); !r) return r;
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  text += ErrorLogLine(now, message);
  text += "\r\n";
  return WriteFileAtomic(logFile, text);
}

FileResult WriteStartupLog(const fs::path& logFile, const DateTime& now, const fs::path& progDir) {
  std::string old;
  if (FileResult r = ReadIfPresent(logFile, old); !r) return r;
  std::vector<std::string_view> lines = SplitLines(old);
  size_t first = lines.size() > kErrorLogKeptLines ? lines.size() - kErrorLogKeptLines : 0;
  std::string text;
  for (size_t i = first; i < lines.size(); ++i) {
    text += lines[i];
    text += "\r\n";
  }
  text += J("ソフト起動：");
  text += Fmt("%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
  text += "\r\n";
  text += ToCp932(progDir.string());
  text += "\r\n";
  return WriteFileAtomic(logFile, text);
}

}  // namespace kv
