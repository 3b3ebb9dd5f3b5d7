#include "jvlink/RecordFile.h"

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Format.h"

namespace kv {

std::string PathForMessage(const fs::path& path) { return ToCp932(path.string()); }

RecordFile RecordFile::Read(const fs::path& path, int recordLength) {
  RecordFile f;
  f.path_ = path;
  f.recordLength_ = recordLength;
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    f.status_ = Status::Missing;
    return f;
  }
  auto damaged = [&](const std::string& why) {
    f.bytes_.clear();
    f.status_ = Status::Damaged;
    f.error_ = J("ファイルが壊れています：") + PathForMessage(path) + J("（") + why + J("）");
    return f;
  };
  if (recordLength <= kCrLfLen) return damaged(J("レコード長が不明です"));
  if (FileResult r = ReadFile(path, f.bytes_); !r) {
    f.bytes_.clear();
    f.status_ = Status::Unreadable;
    f.error_ = ToCp932(r.error);
    return f;
  }
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
