#pragma once
// The day-file store: the program's only persistent copy of JV-Data.
//
// Below the program folder, "Data" (also spelled "DATA"; matched without regard to case) holds
// for every race day one file per record type, and "CHG" the start-time change files:
//
//   Data/<day>.jvRA            one RA line per race of the day, keyed by race key
//   Data/<day><venue>.jvSEr    216-line grid per venue: line (race-1)*18 + (horse-1), 553 bytes,
//                              an empty slot is 553 blanks
//   Data/<day>.jvHR            one HR line per race, keyed
//   Data/<day>.jvO1 … .jvO6    one odds line per race and type, keyed
//   CHG/<day>.TC               one TC line per race, keyed
//
// <day> is the 14-byte CP932 day name "yyyy年mm月dd日" taken from record positions 12-19,
// <venue> the short venue name of positions 20-21 without its padding. Names here are CP932;
// on disk they are UTF-8. Every line is the record without its CR LF at exactly its stored
// length, each followed by CR LF, so the files read back as fixed-length records (RecordFile.h).
// The race key, positions 12-27, is the only thing compared when a record meets stored lines.
//
// Every writer calls the same store and names itself (StoreWriter); the writer decides which
// records are accepted, which header bytes are zeroed, whether a missing file is created and
// how the lines are ordered:
//
//   writer           record  accepted when                                  zeroed  missing  order        drop blank 1st
//   Import           RA      kind not A/B, date >= start-10, race > 0,      4-11    created  sorted       no
//                            registered runners 1-18
//   Import           SE      race > 0, horse 1-18, kind not A/B,            -       created  grid         -
//                            date >= start-10
//   Import           HR      date >= start-10, race > 0                     4-11    created  sorted       no
//   Import (final    O1-O6   kind not 0/9, race > 0                         3-11    created  sorted       yes
//     odds chosen)
//   RealtimeOdds     O1-O6   kind not 0/9, race > 0                         3-11    created  sorted       yes
//   RealtimeResults  RA      race > 0                                       4-11    skipped  as is        yes
//   RealtimeResults  SE      race > 0, horse > 0                            -       skipped  grid         -
//   RealtimeResults  HR      race > 0                                       -       created  as is        no
//   ChangeInfo       TC      always                                         -       created  sorted insert yes
//                                                                                            when appended
//   TimeSeries       O1-O6   always (the caller picked the line)            -       created  as is, every no
//                                                                                            line of the key replaced
//
// Keyed store: the first stored line with the same race key is replaced (TimeSeries: every
// such line), else the line is appended; then the order rule; then, where the table says so,
// a first line that is blank is removed. "sorted" orders all lines by their whole text, ASCII
// letters compared without regard to case. Grid store: the slot line is replaced; a race
// outside 1-12 or a horse outside 1-18 is not stored. Records of other types are ignored.
//
// Records are checked before anything is touched: a record whose length is not the JV-Data
// length of its type (with its CR LF, or the stored length without it), whose date is not
// eight digits (it names the file), or an SE record of a venue code without a name, is Rejected
// with a message saying why. An existing file is checked when it is
// loaded: empty lines and other blank lines of the wrong length hold nothing and are dropped
// (they would break fixed-length reading); any other line of the wrong length, or an entry file
// that is not a 216-line grid, makes the file damaged — it is reported by name and left as it is.
//
// Sessions. A DayFileStore object is a session: it keeps the files it touched in memory and
// writes each changed file once, atomically (WriteFileAtomic), on Flush (and, as a safety net,
// in the destructor). Per record the outcome is exactly that of loading, changing and writing
// back the file each time. Before a cached file is used or written, the session checks whether
// it changed on disk (another session, a timer's writer); if so it reloads it and re-applies its
// own unwritten records, so nothing written meanwhile is lost. When the cached files grow past
// the cache limit, the least recently used ones are written and dropped.
//
//   DayFileStore store(progDir);
//   for (each record) {
//     StoreResult r = store.Store(StoreWriter::Import, record, {startDate, finalOdds});
//     if (r.outcome == StoreOutcome::Failed) { show r.message; break; }
//   }
//   if (StoreResult f = store.Flush(); !f.ok()) show f.message;
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"

namespace kv {

// ---- naming ----------------------------------------------------------------------------------

// True when the text is eight digits "yyyymmdd" naming a real calendar date.
bool IsCalendarDate(std::string_view yyyymmdd);
// Day name "yyyy年mm月dd日" (14 CP932 bytes) from an 8-byte "yyyymmdd" text, taken as it is.
std::string DayNameFromDate(std::string_view yyyymmdd);
// "yyyymmdd" of a day name "yyyy年mm月dd日" (the inverse of DayNameFromDate): bytes 1-4, 7-8 and
// 11-12, taken as they are.
std::string DateOfDayName(std::string_view dayName);
// Day name from record positions 12-19.
std::string DayName(std::string_view record);
// The extension of a record type's day file: ".jvRA", ".jvSEr", ".jvHR", ".jvO1" … ".jvO6",
// ".TC"; empty for any other type.
std::string DayFileExtension(std::string_view type);
// The short venue name without padding ("06" -> "中山"); empty for codes without a name.
std::string VenueFileName(std::string_view venueCode);
// The CP932 file name (no folder) a record is stored in: day name + extension, for SE day name
// + venue name + ".jvSEr". Empty for types the store does not keep.
std::string DayFileName(std::string_view record);
// Entry file of a venue, derived from the race file's name: its first 14 bytes (the day name)
// + venue name + ".jvSEr".
std::string EntryFileName(std::string_view raceFileName, std::string_view venueCode);
// Another file of the same day, derived from the race file's name by changing the extension:
// SiblingFileName("2011年04月30日.jvRA", "HR") -> "2011年04月30日.jvHR".
std::string SiblingFileName(std::string_view raceFileName, std::string_view type);

// Full path of a CP932 file name in the day folder ("Data", any case; "DATA" when none exists)
// / the change folder ("CHG", any case).
fs::path DataFilePath(const fs::path& programDir, std::string_view cp932Name);
fs::path ChangeFilePath(const fs::path& programDir, std::string_view cp932Name);
// Full path of the file a record is stored in (CHG for TC, Data otherwise); empty for types the
// store does not keep.
fs::path StoreFilePath(const fs::path& programDir, std::string_view record);

// ---- store -----------------------------------------------------------------------------------

// Who is storing: each writer has its own acceptance, zeroing, missing-file and order rules.
enum class StoreWriter {
  Import,           // accumulated-data import: RA, SE, HR, and O1-O6 when final odds are chosen
  RealtimeOdds,     // real-time odds: O1-O6
  RealtimeResults,  // real-time results: RA and SE into existing files only, HR
  ChangeInfo,       // change information: TC into CHG
  TimeSeries,       // time-series import: O1-O6 lines taken from time-series files
};

// Options only the accumulated import uses.
struct ImportOptions {
  long long startDate = 0;  // yyyymmdd of the from-date; records dated below startDate - 10
                            // (ten units of the number, not ten days) are skipped
  bool finalOdds = true;    // O1-O6 are stored only when set
};

enum class StoreOutcome {
  Stored,    // the line is in the file (in the session until Flush writes it)
  Skipped,   // not accepted by the writer's rules, another type, or the file must exist and does not
  Rejected,  // the record is malformed (wrong length for its type, date not eight digits, SE
             // of a venue without a name); the message says why
  Failed,    // a file could not be read or written, or is damaged; stop the operation
};

struct StoreResult {
  StoreOutcome outcome = StoreOutcome::Skipped;
  std::string fileName;  // CP932 name without folder of the target file, when one was named
  std::string message;   // CP932 reason for Rejected / Failed (status line, error log)
  bool stored() const { return outcome == StoreOutcome::Stored; }
  // True unless Rejected or Failed.
  bool ok() const { return outcome == StoreOutcome::Stored || outcome == StoreOutcome::Skipped; }
};

class DayFileStore {
 public:
  static constexpr size_t kDefaultCacheLimit = size_t{64} << 20;  // bytes of cached lines

  explicit DayFileStore(fs::path programDir, size_t cacheLimitBytes = kDefaultCacheLimit);
  ~DayFileStore();  // writes what is still unwritten; call Flush to learn of errors
  DayFileStore(const DayFileStore&) = delete;
  DayFileStore& operator=(const DayFileStore&) = delete;

  // Stores one record (as JV-Link delivered it, with CR LF, or the stored line without it) by
  // the rules of writer. options matter only for StoreWriter::Import. Stored lines reach the
  // disk on Flush (or earlier when the cache limit makes room).
  StoreResult Store(StoreWriter writer, std::string_view record, const ImportOptions& options = {});

  // Writes every changed file once, atomically. On failure the file keeps its old content on
  // disk, stays pending in the session, and the result (Failed) names it; the other files are
  // still written.
  StoreResult Flush();

  const fs::path& programDir() const { return programDir_; }

 private:
  enum class Order { Sorted, AsIs, SortedInsertWhenAppended, Grid };
  // What one writer does with one accepted record.
  struct Rules {
    bool createMissing = true;
    Order order = Order::AsIs;
    bool dropBlankFirst = false;
    bool replaceAll = false;  // every line with the key, not only the first
  };
  struct PendingOp {
    Rules rules;
    std::string line;  // stored form, header bytes already zeroed
    int slot = -1;     // grid line for SE
  };
  using FileSig = FileStamp;
  struct CachedFile {
    fs::path path;
    std::string name;  // CP932, for messages
    bool grid = false;
    size_t lineLength = 0;
    bool exists = false;  // on disk or created by this session
    FileSig sig;          // the disk state the lines were loaded from / last written as
    std::vector<std::string> lines;
    std::vector<PendingOp> pending;  // applied since the last write
    size_t bytes = 0;
    std::uint64_t lastUse = 0;
  };

  static FileSig Stat(const fs::path& path);
  StoreResult Load(CachedFile& f);
  StoreResult Refresh(CachedFile& f);
  // The file's bytes as they are to be written (creating its folder); the bookkeeping after a write.
  static std::string FileBytes(const CachedFile& f);
  StoreResult Written(CachedFile& f, const FileResult& written);
  StoreResult MakeRoom(const std::string& keep);
  static void Apply(CachedFile& f, const PendingOp& op);
  static size_t Bytes(const CachedFile& f);
  fs::path Folder(bool change);

  fs::path programDir_;
  size_t cacheLimit_;
  size_t cachedBytes_ = 0;
  std::uint64_t useCounter_ = 0;
  fs::path dataFolder_, changeFolder_;
  std::map<std::string, CachedFile> files_;  // by UTF-8 path
};

}  // namespace kv
