#include "jvlink/RecordFile.h"

#include <cerrno>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Format.h"

namespace kv {

std::string PathForMessage(const fs::path& path) { return ToCp932(path.string()); }

RecordFile RecordFile::Read(const fs::path& path, int recordLength) {
  RecordFile f;
  f.path_ = path.native();
  f.recordLength_ = recordLength;
  auto damaged = [&](const std::string& why) {
    f.bytes_.clear();
    f.status_ = Status::Damaged;
    f.error_ = J("ファイルが壊れています：") + PathForMessage(path) + J("（") + why + J("）");
    return f;
  };
  // Read first: the look-ups that tell a missing file from a hidden one run only when it fails.
  if (FileResult r = ReadFile(path, f.bytes_); !r) {
    f.bytes_.clear();
#ifndef _WIN32
    // No such file or folder on the way: missing, without a look-up (a folder replaced by a file
    // fails with ENOTDIR instead). Windows tells both alike, so it looks.
    if (errno == ENOENT) {
      f.status_ = Status::Missing;
      return f;
    }
#endif
    std::error_code ec;
    if (!fs::exists(path, ec)) {
      // "Missing" only when the folder that should hold the file is there: a folder replaced by
      // a file (or one that cannot be searched) hides every file below it, and that is reported.
      const fs::path folder = path.parent_path();
      std::error_code fec;
      const bool folderIsFile = !folder.empty() && fs::exists(folder, fec) && !fs::is_directory(folder, fec);
      if (ec || folderIsFile) {
        f.status_ = Status::Unreadable;
        f.error_ = folderIsFile ? J("フォルダを読めません：") + PathForMessage(folder) + J("（フォルダではなくファイルです）")
                                : J("ファイルを読めません：") + PathForMessage(path) + J("（") + ToCp932(ec.message()) + J("）");
        return f;
      }
      f.status_ = Status::Missing;
      return f;
    }
    f.status_ = Status::Unreadable;
    f.error_ = ToCp932(r.error);
    return f;
  }
  if (recordLength <= kCrLfLen) return damaged(J("レコード長が不明です"));
  const size_t len = static_cast<size_t>(recordLength);
  if (f.bytes_.size() % len != 0)
    return damaged(Fmt("%zu", f.bytes_.size()) + J("バイトは") + Fmt("%d", recordLength) +
                   J("バイトのレコードで割り切れません"));
  for (size_t n = 0, count = f.bytes_.size() / len; n < count; ++n) {
    const size_t end = (n + 1) * len;
    if (f.bytes_[end - 2] != '\r' || f.bytes_[end - 1] != '\n')
      return damaged(Fmt("%zu", n + 1) + J("件目のレコードがCR LFで終わっていません"));
  }
  f.status_ = Status::Ok;
  return f;
}

RecordFile RecordFile::ReadType(const fs::path& path, std::string_view type) {
  return Read(path, RecordLength(type));
}

}  // namespace kv
