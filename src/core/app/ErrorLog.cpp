#include "app/ErrorLog.h"

#include <fstream>
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

namespace {

// True when the file exists, is not empty and its last byte is not a line end.
bool EndsInsideALine(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in || !in.seekg(-1, std::ios::end)) return false;
  char last = '\n';
  in.get(last);
  return in && last != '\n';
}

}  // namespace

FileResult AppendErrorLog(const fs::path& logFile, const DateTime& now, std::string_view message) {
  return AppendErrorLogLines(logFile, now, std::vector<std::string>{std::string(message)});
}

FileResult AppendErrorLogLines(const fs::path& logFile, const DateTime& now, const std::vector<std::string>& messages) {
  if (messages.empty()) return {};
  std::string text;
  if (EndsInsideALine(logFile)) text += "\r\n";
  for (const std::string& m : messages) {
    text += ErrorLogLine(now, m);
    text += "\r\n";
  }
  return AppendFile(logFile, text);
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
