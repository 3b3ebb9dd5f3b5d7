#include "jvlink/DayFileStore.h"

#include <algorithm>
#include <chrono>

#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {
namespace {

// Entry-file grid: 12 races × 18 horse numbers, one SE line per slot.
constexpr int kGridRaces = 12, kGridHorses = 18;
constexpr size_t kGridLines = kGridRaces * kGridHorses;

bool IsOddsType(std::string_view type) {
  return type.size() == 2 && type[0] == 'O' && type[1] >= '1' && type[1] <= '6';
}


unsigned char Fold(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Whole-line text order with ASCII letters compared without regard to case.
int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
bool LessNoCase(const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; }

std::string Num(size_t n) { return Fmt("%zu", n); }

std::string Damaged(const fs::path& path, const std::string& why) {
  return J("ファイルが壊れています：") + PathForMessage(path) + J("（") + why + J("）");
}

// Splits file bytes into lines at LF, each without its CR; the empty piece after a final line
// end is not a line.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    size_t len = end - start;
    if (len > 0 && bytes[start + len - 1] == '\r') --len;
    lines.emplace_back(bytes, start, len);
    start = next;
  }
  return lines;
}

}  // namespace

// ---- naming ----------------------------------------------------------------------------------

bool IsCalendarDate(std::string_view d) {
  if (d.size() != 8 || !IsDigits(d)) return false;
  using namespace std::chrono;
  const year_month_day ymd{year{FldInt(d, 1, 4)}, month{static_cast<unsigned>(FldInt(d, 5, 2))},
                           day{static_cast<unsigned>(FldInt(d, 7, 2))}};
  return ymd.ok();
}

std::string DayNameFromDate(std::string_view d) {
  static const std::string kYear = J("年"), kMonth = J("月"), kDay = J("日");
  std::string s;
  s.reserve(14);
  s.append(Fld(d, 1, 4)).append(kYear).append(Fld(d, 5, 2)).append(kMonth).append(Fld(d, 7, 2)).append(kDay);
  return s;
}

std::string DayName(std::string_view record) { return DayNameFromDate(Fld(record, kHdr_Date)); }

std::string DateOfDayName(std::string_view dayName) {
  return std::string(Fld(dayName, 1, 4)) + std::string(Fld(dayName, 7, 2)) + std::string(Fld(dayName, 11, 2));
}

std::string DayFileExtension(std::string_view type) {
  type = type.substr(0, std::min<size_t>(type.size(), 2));
  if (type == "RA") return ".jvRA";
  if (type == "SE") return ".jvSEr";
  if (type == "HR") return ".jvHR";
  if (type == "TC") return ".TC";
  if (IsOddsType(type)) return ".jv" + std::string(type);
  return {};
}

std::string VenueFileName(std::string_view venueCode) { return std::string(Trim(VenueName(venueCode))); }

std::string DayFileName(std::string_view record) {
  const std::string_view type = Fld(record, kHdr_RecordType);
  std::string ext = DayFileExtension(type);
  if (ext.empty()) return {};
  if (type == "SE") return DayName(record) + VenueFileName(Fld(record, kHdr_Venue)) + ext;
  return DayName(record) + ext;
}

std::string EntryFileName(std::string_view raceFileName, std::string_view venueCode) {
  return std::string(raceFileName.substr(0, std::min<size_t>(raceFileName.size(), 14))) +
         VenueFileName(venueCode) + ".jvSEr";
}

std::string SiblingFileName(std::string_view raceFileName, std::string_view type) {
  const size_t dot = raceFileName.rfind('.');  // '.' is never the second byte of a CP932 character
  const std::string_view base = dot == std::string_view::npos ? raceFileName : raceFileName.substr(0, dot);
  return std::string(base) + DayFileExtension(type);
}

fs::path DataFilePath(const fs::path& programDir, std::string_view cp932Name) {
  return ResolveNoCase(programDir, "DATA") / PathFromCp932(cp932Name);
}
fs::path ChangeFilePath(const fs::path& programDir, std::string_view cp932Name) {
  return ResolveNoCase(programDir, "CHG") / PathFromCp932(cp932Name);
}

fs::path StoreFilePath(const fs::path& programDir, std::string_view record) {
  std::string name = DayFileName(record);
  if (name.empty()) return {};
  return Fld(record, kHdr_RecordType) == "TC" ? ChangeFilePath(programDir, name) : DataFilePath(programDir, name);
}

// ---- store -----------------------------------------------------------------------------------

DayFileStore::DayFileStore(fs::path programDir, size_t cacheLimitBytes)
    : programDir_(std::move(programDir)), cacheLimit_(cacheLimitBytes) {}

DayFileStore::~DayFileStore() { Flush(); }

fs::path DayFileStore::Folder(bool change) {
  fs::path& f = change ? changeFolder_ : dataFolder_;
  if (f.empty()) f = ResolveNoCase(programDir_, change ? "CHG" : "DATA");
  return f;
}

DayFileStore::FileSig DayFileStore::Stat(const fs::path& path) { return StampOf(path); }

size_t DayFileStore::Bytes(const CachedFile& f) { return (f.lines.size() + f.pending.size()) * (f.lineLength + 2); }

// Loads f.path into f (lines and signature). Lines are checked: blank lines of the wrong length
// are dropped (entry files: become blank slots); any other wrong line makes the file damaged,
// and then f is left untouched.
StoreResult DayFileStore::Load(CachedFile& f) {
  StoreResult res;
  res.fileName = f.name;
  const FileSig sig = Stat(f.path);
  if (!sig.exists) {
    f.sig = sig;
    f.exists = false;
    f.lines.clear();
    res.outcome = StoreOutcome::Stored;
    return res;
  }
  std::string bytes;
  if (FileResult r = ReadFile(f.path, bytes); !r) {
    res.outcome = StoreOutcome::Failed;
    res.message = ToCp932(r.error);
    return res;
  }
  std::vector<std::string> lines = SplitLines(bytes);
  std::vector<std::string> kept;
  kept.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string& l = lines[i];
    if (l.size() == f.lineLength) {
      kept.push_back(std::move(l));
    } else if (IsBlank(l)) {
      if (f.grid) kept.emplace_back(f.lineLength, ' ');
    } else {
      res.outcome = StoreOutcome::Failed;
      res.message = Damaged(f.path, Num(i + 1) + J("行目が") + Num(l.size()) + J("バイト、正しくは") +
                                        Num(f.lineLength) + J("バイト"));
      return res;
    }
  }
  if (f.grid) {
    if (kept.empty()) kept.assign(kGridLines, std::string(f.lineLength, ' '));
    if (kept.size() != kGridLines) {
      res.outcome = StoreOutcome::Failed;
      res.message = Damaged(f.path, Num(kept.size()) + J("行、正しくは") + Num(kGridLines) + J("行"));
      return res;
    }
  }
  f.lines = std::move(kept);
  f.sig = sig;
  f.exists = true;
  res.outcome = StoreOutcome::Stored;
  return res;
}

// When the file changed on disk since f was loaded or written, reloads it and re-applies the
// session's unwritten records to the new content.
StoreResult DayFileStore::Refresh(CachedFile& f) {
  StoreResult res;
  res.fileName = f.name;
  res.outcome = StoreOutcome::Stored;
  if (Stat(f.path) == f.sig) return res;
  const size_t before = Bytes(f);
  res = Load(f);
  if (res.outcome == StoreOutcome::Failed) return res;
  std::vector<PendingOp> kept;
  for (PendingOp& op : f.pending) {
    if (!f.exists && !op.rules.createMissing) continue;
    Apply(f, op);
    f.exists = true;
    kept.push_back(std::move(op));
  }
  f.pending = std::move(kept);
  cachedBytes_ = cachedBytes_ - before + Bytes(f);
  return res;
}

std::string DayFileStore::FileBytes(const CachedFile& f) {
  std::string bytes;
  bytes.reserve(f.lines.size() * (f.lineLength + 2));
  for (const std::string& l : f.lines) bytes.append(l).append("\r\n");
  std::error_code ec;
  fs::create_directories(f.path.parent_path(), ec);
  return bytes;
}

StoreResult DayFileStore::Written(CachedFile& f, const FileResult& written) {
  StoreResult res;
  res.fileName = f.name;
  if (!written) {
    res.outcome = StoreOutcome::Failed;
    res.message = ToCp932(written.error);
    return res;
  }
  res.outcome = StoreOutcome::Stored;
  const size_t before = Bytes(f);
  f.pending.clear();
  f.sig = Stat(f.path);
  cachedBytes_ = cachedBytes_ - before + Bytes(f);
  return res;
}

void DayFileStore::Apply(CachedFile& f, const PendingOp& op) {
  if (f.grid) {
    if (f.lines.size() != kGridLines) f.lines.assign(kGridLines, std::string(f.lineLength, ' '));
    f.lines[static_cast<size_t>(op.slot)] = op.line;
    return;
  }
  if (!f.exists) {
    f.lines.assign(1, op.line);
    return;
  }
  std::vector<std::string>& lines = f.lines;
  const std::string_view key = RaceKey(op.line);
  bool matched = false;
  for (std::string& l : lines) {
    if (RaceKey(l) != key) continue;
    l = op.line;
    matched = true;
    if (!op.rules.replaceAll) break;
  }
  if (!matched) {
    if (op.rules.order == Order::SortedInsertWhenAppended) {
      std::stable_sort(lines.begin(), lines.end(), LessNoCase);
      auto at = std::lower_bound(lines.begin(), lines.end(), op.line, LessNoCase);
      if (at == lines.end() || CompareNoCase(*at, op.line) != 0) lines.insert(at, op.line);
    } else {
      lines.push_back(op.line);
    }
  }
  if (op.rules.order == Order::Sorted) std::stable_sort(lines.begin(), lines.end(), LessNoCase);
  if (op.rules.dropBlankFirst && !lines.empty() && IsBlank(lines.front())) lines.erase(lines.begin());
}

StoreResult DayFileStore::Store(StoreWriter writer, std::string_view record, const ImportOptions& options) {
  StoreResult res;
  const std::string type(Fld(record, kHdr_RecordType));
  const bool odds = IsOddsType(type);
  const bool ra = type == "RA", se = type == "SE", hr = type == "HR", tc = type == "TC";

  bool handled = false;
  switch (writer) {
    case StoreWriter::Import: handled = ra || se || hr || (odds && options.finalOdds); break;
    case StoreWriter::RealtimeOdds: handled = odds; break;
    case StoreWriter::RealtimeResults: handled = ra || se || hr; break;
    case StoreWriter::ChangeInfo: handled = tc; break;
    case StoreWriter::TimeSeries: handled = odds; break;
  }
  if (!handled) return res;  // Skipped: not a record this writer keeps

  // The record as a stored line: without its CR LF, at exactly the stored length of its type.
  const size_t lineLength = static_cast<size_t>(StoredLineLength(type));
  std::string_view line = record;
  if (line.size() == lineLength + 2 && line.substr(lineLength) == "\r\n") line.remove_suffix(2);
  if (line.size() != lineLength) {
    res.outcome = StoreOutcome::Rejected;
    res.message = type + J("レコードの長さが不正です（") + Num(record.size()) + J("バイト、正しくはCR LF込みで") +
                  Num(lineLength + 2) + J("バイト）");
    return res;
  }
  if (!IsDigits(Fld(line, kHdr_Date))) {
    res.outcome = StoreOutcome::Rejected;
    res.message = type + J("レコードの日付が不正です（") + std::string(Fld(line, kHdr_Date)) + J("）");
    return res;
  }

  const char kind = Fld(line, kHdr_DataKind)[0];
  const long long date = FldLong(line, kHdr_Date);
  const int race = FldInt(line, kHdr_RaceNum);
  const bool dateOk = date >= options.startDate - 10;
  const bool centralKind = kind != 'A' && kind != 'B';
  const bool finalKind = kind != '0' && kind != '9';
  int horse = 0;
  if (se) horse = FldInt(line, kSE_HorseNum);

  // Acceptance, header bytes to zero and rules per writer.
  bool accept = false;
  bool zeroDate = false;         // creation date, positions 4-11
  bool zeroKindAndDate = false;  // data kind and creation date, positions 3-11
  Rules rules;
  switch (writer) {
    case StoreWriter::Import:
      if (ra) {
        accept = centralKind && dateOk;
        zeroDate = true;
        rules.order = Order::Sorted;
      } else if (se) {
        accept = centralKind && dateOk;
        rules.order = Order::Grid;
      } else if (hr) {
        accept = dateOk;
        zeroDate = true;
        rules.order = Order::Sorted;
      } else {
        accept = finalKind;
        zeroKindAndDate = true;
        rules.order = Order::Sorted;
        rules.dropBlankFirst = true;
      }
      break;
    case StoreWriter::RealtimeOdds:
      accept = finalKind;
      zeroKindAndDate = true;
      rules.order = Order::Sorted;
      rules.dropBlankFirst = true;
      break;
    case StoreWriter::RealtimeResults:
      if (ra) {
        accept = true;
        zeroDate = true;
        rules.createMissing = false;
        rules.order = Order::AsIs;
        rules.dropBlankFirst = true;
      } else if (se) {
        accept = true;
        rules.createMissing = false;
        rules.order = Order::Grid;
      } else {
        accept = true;
        rules.order = Order::AsIs;
      }
      break;
    case StoreWriter::ChangeInfo:
      accept = true;
      rules.order = Order::SortedInsertWhenAppended;
      rules.dropBlankFirst = true;
      break;
    case StoreWriter::TimeSeries:
      accept = true;
      rules.order = Order::AsIs;
      rules.replaceAll = true;
      break;
  }
  if (!accept) return res;

  // The key fields of a record the writer keeps: a record that names no real day, race or horse
  // would make its day unloadable (or land in a slot of another), so it is logged and skipped.
  auto reject = [&](const std::string& why) {
    res.outcome = StoreOutcome::Rejected;
    res.message = type + J("レコードの") + why + J("（レースキー") + std::string(Fld(line, kHdr_RaceKey)) + J("）");
    return res;
  };
  // A zero race, runner count or horse number is no fault: it is a record that holds no race
  // yet (entries before the draw give horse number 00), and it is skipped without a word.
  if (!IsCalendarDate(Fld(line, kHdr_Date))) return reject(J("日付が暦にありません"));
  if (!IsDigits(Fld(line, kHdr_RaceNum)) || race > kGridRaces) return reject(J("レース番号が1～12ではありません"));
  if (ra && (!IsDigits(Fld(line, kRA_Entered)) || FldInt(line, kRA_Entered) > kGridHorses))
    return reject(J("登録頭数が1～18ではありません"));
  if (se && (!IsDigits(Fld(line, kSE_HorseNum)) || horse > kGridHorses)) return reject(J("馬番が1～18ではありません"));
  const bool anyRace = writer == StoreWriter::ChangeInfo || writer == StoreWriter::TimeSeries;
  if ((race < 1 && !anyRace) || (ra && writer == StoreWriter::Import && FldInt(line, kRA_Entered) < 1) ||
      (se && horse < 1))
    return res;

  PendingOp op;
  op.rules = rules;
  if (se) {
    if (race < 1 || race > kGridRaces || horse < 1 || horse > kGridHorses) return res;  // no such slot
    op.slot = (race - 1) * kGridHorses + (horse - 1);
    if (VenueFileName(Fld(line, kHdr_Venue)).empty()) {
      res.outcome = StoreOutcome::Rejected;
      res.message = J("SEレコードの競馬場コードが不明です（") + std::string(Fld(line, kHdr_Venue)) + J("）");
      return res;
    }
  }
  op.line.assign(line);
  if (zeroKindAndDate) PutFld(op.line, kHdr_KindAndMakeDate, "000000000");
  else if (zeroDate) PutFld(op.line, kHdr_MakeDate, "00000000");

  res.fileName = DayFileName(op.line);
  const fs::path path = Folder(tc) / PathFromCp932(res.fileName);
  const std::string cacheKey = path.string();

  auto it = files_.find(cacheKey);
  if (it == files_.end()) {
    CachedFile f;
    f.path = path;
    f.name = res.fileName;
    f.grid = se;
    f.lineLength = lineLength;
    StoreResult loaded = Load(f);
    if (loaded.outcome == StoreOutcome::Failed) return loaded;
    it = files_.emplace(cacheKey, std::move(f)).first;
    cachedBytes_ += Bytes(it->second);
  }
  // A file already in the session is not looked at on disk again here: a change another writer
  // made meanwhile is found when the file is written (Refresh before every write), and the
  // session's records are then applied to the new content, which gives the same lines.
  CachedFile& f = it->second;
  f.lastUse = ++useCounter_;
  if (!f.exists && !rules.createMissing) return res;  // Skipped: this writer only updates files

  const size_t before = Bytes(f);
  Apply(f, op);
  f.exists = true;
  f.pending.push_back(std::move(op));
  cachedBytes_ = cachedBytes_ - before + Bytes(f);

  res.outcome = StoreOutcome::Stored;
  if (cachedBytes_ > cacheLimit_) {
    StoreResult room = MakeRoom(cacheKey);
    if (room.outcome == StoreOutcome::Failed) return room;
  }
  return res;
}

// Writes and drops the least recently used files until the cache is down to half its limit, all
// in one batch (one flush of the disk for the lot).
StoreResult DayFileStore::MakeRoom(const std::string& keep) {
  std::vector<std::pair<std::uint64_t, std::string>> order;
  for (const auto& [key, f] : files_)
    if (key != keep) order.emplace_back(f.lastUse, key);
  std::sort(order.begin(), order.end());
  StoreResult res;
  res.outcome = StoreOutcome::Stored;
  std::vector<FileWrite> writes;
  std::vector<std::string> written, dropped;  // keys: files to write, files to drop unwritten
  size_t left = cachedBytes_;
  for (const auto& [use, key] : order) {
    if (left <= cacheLimit_ / 2) break;
    CachedFile& f = files_.at(key);
    StoreResult r = Refresh(f);
    if (r.outcome == StoreOutcome::Failed) return r;
    left -= Bytes(f);
    if (f.pending.empty()) {
      dropped.push_back(key);
      continue;
    }
    writes.push_back({f.path, FileBytes(f)});
    written.push_back(key);
  }
  for (const std::string& key : dropped) {
    cachedBytes_ -= Bytes(files_.at(key));
    files_.erase(key);
  }
  const std::vector<FileResult> results = WriteFilesAtomic(writes);
  for (size_t i = 0; i < written.size(); ++i) {
    CachedFile& f = files_.at(written[i]);
    if (!results[i]) {
      // Kept, with its records pending: a later write (or Flush) tries again.
      if (res.outcome != StoreOutcome::Failed) {
        res.outcome = StoreOutcome::Failed;
        res.fileName = f.name;
        res.message = ToCp932(results[i].error);
      }
      continue;
    }
    cachedBytes_ -= Bytes(f);
    files_.erase(written[i]);
  }
  return res;
}

StoreResult DayFileStore::Flush() {
  // Every changed file is replaced atomically, with one disk flush for the whole session.
  StoreResult res;
  res.outcome = StoreOutcome::Stored;
  std::vector<FileWrite> writes;
  std::vector<CachedFile*> owners;
  for (auto& [key, f] : files_) {
    StoreResult r = Refresh(f);
    if (r.outcome == StoreOutcome::Failed) {
      if (res.outcome != StoreOutcome::Failed) res = r;
      continue;
    }
    if (f.pending.empty()) continue;
    writes.push_back({f.path, FileBytes(f)});
    owners.push_back(&f);
  }
  const std::vector<FileResult> results = WriteFilesAtomic(writes);
  for (size_t i = 0; i < owners.size(); ++i) {
    StoreResult w = Written(*owners[i], results[i]);
    if (w.outcome == StoreOutcome::Failed && res.outcome != StoreOutcome::Failed) res = w;
  }
  return res;
}

}  // namespace kv
