#pragma once
// Horse past-run files: one ".kak" file per horse under SEI/<birth year>/, one 824-byte line
// (plus CR LF, 826 bytes on disk) per race the horse ran with final results, oldest race first.
// A line carries the race's conditions, the horse's own result and the whole field of the race
// (name, ID, time and carried weight of every runner, in finishing order).
//
// Readers treat the file as fixed 826-byte records and refuse a file whose framing is broken
// (size not a multiple of 826, or a record not ending in CR LF) instead of reading shifted fields.
// The whole file is rewritten, atomically, whenever it changes.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"
#include "text/Field.h"

namespace kv {

// ---- line layout (1-based byte positions in the 824-byte line) ---------------------------------
namespace kak {
inline constexpr int kRaceKey = 1, kRaceKeyLen = 16;  // yyyy mmdd venue meeting day race
inline constexpr int kDate = 1, kDateLen = 8;         // yyyymmdd
inline constexpr int kRunners = 47, kRunnersLen = 2;  // registered runners: field entries to scan
inline constexpr int kHorseId = 56, kHorseIdLen = 10;
inline constexpr int kName = 66, kNameLen = 18;
inline constexpr int kHorseNo = 84, kHorseNoLen = 2;
inline constexpr int kWeight = 90, kWeightLen = 3;    // carried weight in 0.1 kg
inline constexpr int kTime = 133, kTimeLen = 4;       // m ss t
inline constexpr int kFinal = 139, kFinalLen = 2;     // final position
inline constexpr int kFieldList = 163;                // 18 entries of 35 bytes
// Fields shown in the detailed entry table.
inline constexpr int kYear = 1, kYearLen = 4;
inline constexpr int kMonth = 5, kDay = 7;            // mm, dd (2 bytes each)
inline constexpr int kVenue = 9, kMeeting = 11;       // codes, 2 bytes each
inline constexpr int kShortName = 17, kShortNameLen = 6;
inline constexpr int kGrade = 23;                     // 1 byte
inline constexpr int kCondition = 30, kConditionLen = 3;
inline constexpr int kDistance = 41, kDistanceLen = 4;
inline constexpr int kTrack = 45, kTrackLen = 2;
inline constexpr int kTurfGoing = 53, kWeather = 55;  // 1 byte each
inline constexpr int kJockey = 94, kJockeyLen = 8;
inline constexpr int kBodyWeight = 112, kBodyWeightLen = 3;
inline constexpr int kCorner = 119, kCornerLen = 2;   // 4 corners, 2 bytes each
inline constexpr int kLast3F = 130, kLast3FLen = 3;
inline constexpr int kPopularity = 141, kPopularityLen = 2;
inline constexpr int kPrize = 147, kAddedPrize = 155, kPrizeLen = 8;
// Further fields copied from the race and the runner (what the database export reads).
inline constexpr int kRaceNo = 15;                    // 2 bytes
inline constexpr int kDirtGoing = 54;                 // 1 byte
inline constexpr int kStarters = 49;                  // 2 bytes
inline constexpr int kFrame = 86, kSex = 87;          // 1 byte each
inline constexpr int kAge = 88, kAgeLen = 2;
inline constexpr int kTrainer = 103, kTrainerLen = 8;
inline constexpr int kWinOdds = 143, kWinOddsLen = 4; // final win odds in 0.1
inline constexpr int kEntries = 18;
inline constexpr int kEntryLen = 35;
// Offsets inside a field entry (1-based).
inline constexpr int kEntryName = 1, kEntryNameLen = 18;
inline constexpr int kEntryId = 19, kEntryIdLen = 10;
inline constexpr int kEntryTime = 29, kEntryTimeLen = 4;
inline constexpr int kEntryWeight = 33, kEntryWeightLen = 3;
}  // namespace kak

static_assert(kak::kFieldList + kak::kEntries * kak::kEntryLen + 32 - 1 == kLineLenPastRun);

// True when id is exactly ten ASCII digits (the only form of horse ID that may name a file).
bool IsHorseId(std::string_view id);

// programFolder/SEI/<first four digits>/<id>.kak, where SEI is the program folder's existing
// folder of that name in any case ("Sei" brought over from another system); an empty path when
// id is not a horse ID.
fs::path PastRunPath(const fs::path& programFolder, std::string_view horseId);
// The same in two steps, for a run that opens many files: the SEI folder looked up once, then
// each horse's file under it.
fs::path PastRunFolder(const fs::path& programFolder);
fs::path PastRunPathIn(const fs::path& pastRunFolder, std::string_view horseId);
// pastRunFolder/<first four digits>/<id><extension> of a horse ID (ten digits; not checked).
fs::path HorseFileIn(const fs::path& pastRunFolder, std::string_view horseId, std::string_view extension);

// ---- building ---------------------------------------------------------------------------------

// The 35-byte field entry of one SE record (35 blanks for a blank slot).
std::string PastRunEntry(std::string_view se);

// The 630-byte field list of a race from its 18 horse-number slots (SE records, blank when the
// slot has no record): runners with a final position first, by position, then the rest in slot
// order; equal keys are ordered by the rest of the entry.
std::string PastRunFieldList(const std::array<std::string_view, kak::kEntries>& slots);

// The 824-byte line of the runner se in the race ra, with the race's field list.
std::string BuildPastRunLine(std::string_view ra, std::string_view se, std::string_view fieldList);

// ---- merging ----------------------------------------------------------------------------------

// Merges one new line into a file's lines: the first line with the same race key (positions
// 1-16) is replaced, else the line is appended; then all lines are sorted ascending (byte-wise).
void MergePastRunLine(std::vector<std::string>& lines, std::string_view line);
// The same over views (the caller keeps the bytes they point into, line's included).
void MergePastRunLine(std::vector<std::string_view>& lines, std::string_view line);

// Merges several new lines at once with exactly the result of merging them one at a time, in
// order, with MergePastRunLine, at O(log n) per line.
void MergePastRunLines(std::vector<std::string>& lines, const std::vector<std::string>& added);

// ---- file I/O ---------------------------------------------------------------------------------

// Reads a past-run file as fixed 826-byte records, framing checked: a damaged file is reported
// by name (error()) and hands out no record. Line(n) is the 824-byte line n.
inline RecordFile ReadPastRunRecords(const fs::path& path) { return RecordFile::Read(path, kRecLenPastRun); }

// The file bytes of the lines: each line padded or cut to 824 bytes and ended with CR LF.
std::string PastRunFileBytes(const std::vector<std::string>& lines);

// Rewrites a past-run file atomically, creating its birth-year folder when missing.
FileResult WritePastRunFile(const fs::path& path, const std::vector<std::string>& lines);

// ---- values read from a line ------------------------------------------------------------------

// A JV-Data time "msst" in tenths of a second: minutes × 600 + the next three digits
// ("1345" -> 945). Blank or "0000" reads 0 (no time).
inline int TimeTenths(std::string_view t4) {
  return ParseInt(Fld(t4, 1, 1)) * 600 + ParseInt(Fld(t4, 2, 3));
}

inline int PastRunDate(std::string_view line) { return static_cast<int>(FldLong(line, kak::kDate, kak::kDateLen)); }

}  // namespace kv
