#pragma once
// Fixed-length reading of the day files and start-time change files.
//
// Every such file is a sequence of records of one JV-Data length (the stored line plus CR LF):
// record n starts at byte offset n × length. Before a single field is taken, the framing is
// checked: the file size must be a multiple of the record length and every record must end in
// CR LF. A file that fails is reported as damaged, by name, and none of its records is handed
// out — a shifted read would put one record's bytes into another's fields.
//
// A reader only reads: nothing is created, repaired or written back.
//
//   RecordFile f = RecordFile::Read(path, kRecLenRA);
//   if (f.missing()) ...            // no such file: the caller decides what that means
//   else if (!f.ok()) ui.Status(f.error());
//   else for (size_t n = 0; n < f.size() && n < 36; ++n) Use(f.Record(n));
#include <string>
#include <string_view>

#include "app/Files.h"

namespace kv {

class RecordFile {
 public:
  enum class Status {
    Ok,          // framing checked; records available
    Missing,     // the file does not exist
    Damaged,     // size or line ends do not fit the record length
    Unreadable,  // the platform could not read it
  };

  // Reads path whole and checks its framing against recordLength (JV-Data length WITH CR LF,
  // e.g. kRecLenRA). An empty file is Ok with no records.
  static RecordFile Read(const fs::path& path, int recordLength);
  // As Read, with the length taken from a record type ("RA", "SE", "HR", "O1".."O6", "TC").
  static RecordFile ReadType(const fs::path& path, std::string_view type);

  Status status() const { return status_; }
  bool ok() const { return status_ == Status::Ok; }
  bool missing() const { return status_ == Status::Missing; }
  // CP932 message naming the file and what is wrong; empty when ok. Ready for the status line
  // and the error log.
  const std::string& error() const { return error_; }
  fs::path path() const { return fs::path(path_); }
  int recordLength() const { return recordLength_; }

  // Number of records (0 unless ok).
  size_t size() const { return ok() && recordLength_ > 0 ? bytes_.size() / recordLength_ : 0; }
  // Every record as read, CR LF included (empty unless ok).
  std::string_view Bytes() const { return ok() ? std::string_view(bytes_) : std::string_view(); }
  // Record n whole, CR LF included (the form the race-day model keeps). n must be below size().
  std::string_view Record(size_t n) const {
    return std::string_view(bytes_).substr(n * recordLength_, recordLength_);
  }
  // Record n without its CR LF (the stored line). Field positions are the same in both forms.
  std::string_view Line(size_t n) const { return Record(n).substr(0, recordLength_ - 2); }

 private:
  Status status_ = Status::Missing;
  fs::path::string_type path_;  // as text: a path keeps its parts as well, and a run reads hundreds of files
  int recordLength_ = 0;
  std::string bytes_;
  std::string error_;
};

// CP932 text of a path for messages (file names on disk are UTF-8).
std::string PathForMessage(const fs::path& path);

}  // namespace kv
