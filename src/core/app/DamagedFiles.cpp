#include "app/DamagedFiles.h"

#include <cstdio>
#include <system_error>

#include "text/Cp932.h"

namespace kv {

std::string DamagedStamp(const DateTime& now) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                now.second);
  return buf;
}

fs::path DamagedFolder(const fs::path& prog, const std::string& stamp) {
  return ResolveNoCase(prog, kDamagedFolderName) / stamp;
}

FileResult MoveToDamaged(const fs::path& prog, const fs::path& file, const std::string& stamp, fs::path* movedTo) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return FileResult::Fail("not a file: " + file.string());
  fs::path relative = file.lexically_proximate(prog);
  if (relative.empty() || *relative.begin() == "..") relative = file.filename();
  fs::path target = DamagedFolder(prog, stamp) / relative;
  for (int n = 2; fs::exists(target, ec); ++n)
    target = target.parent_path() /
             (relative.stem().string() + "~" + std::to_string(n) + relative.extension().string());
  fs::create_directories(target.parent_path(), ec);
  if (ec) return FileResult::Fail("cannot create " + target.parent_path().string() + ": " + ec.message());
  fs::rename(file, target, ec);
  if (ec) {
    // Another file system: a copy, then the original goes only once the copy is whole.
    std::error_code copyEc;
    fs::copy_file(file, target, copyEc);
    if (copyEc) {
      fs::remove(target, copyEc);
      return FileResult::Fail("cannot move " + file.string() + " to " + target.string() + ": " + ec.message());
    }
    fs::remove(file, ec);
    if (ec) return FileResult::Fail("copied " + file.string() + " to " + target.string() + " but cannot remove it: " +
                                    ec.message());
  }
  if (movedTo) *movedTo = target;
  return {};
}

bool IsDamagedFileMessage(std::string_view cp932) {
  static const std::string prefix = J("ファイルが壊れています：");
  return cp932.starts_with(prefix);
}

std::string SetupImportAdvice(std::string_view d) {
  if (d.size() != 8) return {};
  const std::string slash = std::string(d.substr(0, 4)) + "/" + std::string(d.substr(4, 2)) + "/" + std::string(d.substr(6, 2));
  return J("退避のあと、ＪＶデータ取込で「セットアップデータ」を開始日") + slash +
         J("から取り込むと開催日ファイルが戻ります（korvane2-cli import --setup --from ") + std::string(d) + J("）。");
}

std::string DamagedFileAdvice(std::string_view dayName) {
  std::string text = "\r\n" + J("「ﾌｧｲﾙ」メニューの「保存ﾌｧｲﾙの検査・修復」（korvane2-cli check --repair）で壊れたファイルを"
                                 "damagedフォルダーに退避し、過去走ファイルは作り直せます。");
  // "yyyy年mm月dd日": the digits at bytes 0-3, 6-7 and 10-11.
  if (dayName.size() >= 14)
    text += "\r\n" + SetupImportAdvice(std::string(dayName.substr(0, 4)) + std::string(dayName.substr(6, 2)) +
                                       std::string(dayName.substr(10, 2)));
  return text;
}

}  // namespace kv
