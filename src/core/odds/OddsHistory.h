#pragma once
// The odds history of a race: every win/place/bracket-quinella record (O1) the program has seen
// for the race — each real-time fetch and each time-series snapshot — so the movement of the
// odds over the race day can be shown afterwards. The day's odds files hold only the latest
// record of each race; the history is kept beside them and never replaces them.
//
// One file per race in the day folder, named by the day and the race:
//
//   Data/<day name><venue meeting day race>.jvOH      e.g. "2026年12月05日06050111.jvOH"
//
// (<day name> "yyyy年mm月dd日" from positions 12-19 of the race key, the rest positions 20-27).
// Each line is one snapshot, in the order it was kept:
//
//   yyyymmddhhnnss S <O1 record without CR LF> CR LF        (977 bytes with CR LF)
//
// the moment the snapshot was kept (the clock at a real-time fetch; the announcement moment for
// a time-series snapshot), one space, the source (R real-time, T time-series), one space, the
// record exactly as received. A snapshot whose record is byte for byte one already kept is not
// kept again, so a repeated import or an unchanged fetch adds nothing. Appending rewrites the
// file through the atomic-write helper: an interrupted append leaves the old history whole.
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/Ports.h"

namespace kv {

inline constexpr char kHistoryRealtime = 'R';
inline constexpr char kHistoryTimeSeries = 'T';
inline constexpr int kHistoryLineLen = 14 + 1 + 1 + 1 + 960;  // without CR LF

struct OddsSnapshot {
  std::string kept;    // "yyyymmddhhnnss"
  char source = kHistoryRealtime;
  std::string record;  // the O1 record without CR LF (960 bytes)
};

// "yyyymmddhhnnss" of a moment.
std::string HistoryMoment(const DateTime& t);
// The moment a time-series snapshot was announced: the race's year (positions 12-15) with the
// record's announcement month, day, hour and minute (28-35) and seconds "00". Empty when the
// announcement time is not eight digits or is "00000000" (final odds carry no time).
std::string AnnouncedMoment(std::string_view o1);

// The history file of the race whose key (positions 12-27, 16 bytes) a record carries; empty
// path when the record is too short or its date is not eight digits.
fs::path OddsHistoryPath(const fs::path& programDir, std::string_view record);

struct HistoryAppendResult {
  int kept = 0;       // snapshots appended
  int unchanged = 0;  // snapshots not appended: the record was kept already
  int rejected = 0;   // not O1 records of the right length: not kept
  std::string error;  // UTF-8: a history file could not be read or written (the others were)
  bool ok() const { return error.empty(); }
};

// Appends snapshots to the histories of their races (any number of races; records with or
// without CR LF). Each history file is rewritten once, atomically.
HistoryAppendResult AppendOddsHistory(const fs::path& programDir, const std::vector<OddsSnapshot>& snapshots);

// Keeps the O1 records among the lines a real-time fetch stored (other types are passed over),
// kept at `now` with the source R.
HistoryAppendResult KeepFetchedOdds(const fs::path& programDir, const std::vector<std::string>& storedLines,
                                    const DateTime& now);

struct HistoryReadResult {
  std::vector<OddsSnapshot> snapshots;  // in the order kept
  int damagedLines = 0;                 // lines that are not snapshots, skipped
  std::string error;                    // UTF-8: the file exists but cannot be read
};

// The kept snapshots of a race: raceKey is the 16-byte race key (positions 12-27). A race
// without a history reads as no snapshots.
HistoryReadResult ReadOddsHistory(const fs::path& programDir, std::string_view raceKey);

// Win odds of horse h (1..18) in an O1 record: > 0 the odds, -1.0 cancelled, -2.0 blank.
double HistoryWinOdds(std::string_view o1, int h);

// Minute of the race day (hour * 60 + minute) a snapshot shows the odds of: its announcement
// time when that is on the race day, else the kept moment when that is on the race day; -1 when
// neither is (odds of the day before).
int SnapshotMinute(const OddsSnapshot& s);

// The snapshots as tab-separated text, one line per snapshot and horse (horses 1..runners, the
// runners count from the record when runners is 0), with a heading line:
//   kept  source  announced  horse  win  win_pop  place_min  place_max
// Odds print with one decimal; a cancelled entry prints "-", a blank one nothing. UTF-8/ASCII.
std::string OddsHistoryTsv(const std::vector<OddsSnapshot>& snapshots, int runners = 0);

}  // namespace kv
