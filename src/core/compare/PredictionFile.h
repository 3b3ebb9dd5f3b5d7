#pragma once
// Prediction files: per horse, the rating it had in every race it was analysed for.
// SEI/<first four digits of the ID>/<ID>.yos beside the past-run file; every line is exactly 50
// bytes plus CR LF, read back as fixed 52-byte records, one line per race, in ascending text
// order (so by race key):
//
//   1-16  race key (RA 12-27)         31-35 PointWins    "%5d"   (blank when 0)
//   17-19 Wins   "%3d" (blank when 0) 36-40 PointLosses  "%5d"   (blank when 0)
//   20-22 Losses "%3d" (blank when 0) 41-46 PointWinRate "%6.2f" (blank when no rate)
//   23-28 WinRate "%6.2f" (blank when no rate)  47-48 PointWinRateRank "%2d" (blank when 0)
//   29-30 WinRateRank "%2d" (blank when 0)      49-50 blanks
//
// The day loader matches a past-run line to a prediction line by their first 10 bytes (date and
// venue) and reads the mark at 47-48: rank 1 or 2 by point win rate.
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/Files.h"
#include "compare/PastRunFile.h"
#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"

namespace kv {

struct TRaceAnalysis;
class RaceDayModel;
class PastRunCache;

namespace yos {
inline constexpr int kRaceKey = 1, kRaceKeyLen = 16;
inline constexpr int kMatch = 1, kMatchLen = 10;  // date and venue: what a past-run line is matched by
inline constexpr int kMark = 47, kMarkLen = 2;    // point-win-rate rank
inline constexpr int kWins = 17, kLosses = 20, kCountLen = 3;
inline constexpr int kWinRate = 23, kRateLen = 6;
inline constexpr int kWinRateRank = 29, kRankLen = 2;
inline constexpr int kPointWins = 31, kPointLosses = 36, kPointLen = 5;
inline constexpr int kPointWinRate = 41;
}  // namespace yos

// The figures of one prediction line: blank counts and ranks read 0, a blank rate -1.0.
struct PredictionFigures {
  std::string_view raceKey;  // positions 1-16 of the line
  int wins = 0, losses = 0;
  double winRate = -1.0;
  int winRateRank = 0;
  int pointWins = 0, pointLosses = 0;
  double pointWinRate = -1.0;
  int pointWinRateRank = 0;
};
PredictionFigures ReadPredictionLine(std::string_view line);

// programFolder/SEI/<first four digits>/<id>.yos (SEI matched in any case, as for the past-run files); an empty path when id is not ten digits.
fs::path PredictionPath(const fs::path& programFolder, std::string_view horseId);
// The same under the SEI folder already looked up (PastRunFolder).
fs::path PredictionPathIn(const fs::path& pastRunFolder, std::string_view horseId);

// The 50-byte line of runner slot k of a race. A number wider than its field is held at the
// field's largest value, so the line always keeps its width.
std::string PredictionLine(std::string_view raceKey, const TRaceAnalysis& ra, int k);

// Reads a prediction file as fixed 52-byte records, framing checked (Line(n) is the 50-byte line).
inline RecordFile ReadPredictionRecords(const fs::path& path) { return RecordFile::Read(path, kRecLenPrediction); }

// Merges line into the horse's file: the first line with the same race key is replaced, else the
// line is added; the lines are sorted and the file is rewritten atomically (its birth-year folder
// created when missing). A damaged file is left as it is and reported by name.
FileResult MergePredictionLine(const fs::path& path, std::string_view line);

// What writing a day's predictions did.
struct PredictionWriteResult {
  std::vector<std::string> dayNames;  // CP932 day names of the day's races, sorted, once each
  std::string year;                   // RA 12-15 of the last race seen
  int filesWritten = 0;
  std::vector<std::string> errors;    // CP932, one per file that could not be written
};

// Writes a prediction line for every runner with a horse ID of every race of 5 to 18 registered
// runners, and collects the day names of all races. A file whose bytes would not change is not
// rewritten (it counts as written).
// When reads is given, each file is taken as that cache read it (PastRunCache::PredictionFile).
PredictionWriteResult WritePredictions(const RaceDayModel& day, const fs::path& programFolder,
                                       PastRunCache* reads = nullptr);

// The prediction lines of a run over many days, kept in memory and written once at the end:
// every file the run touches is read once, each day's lines are merged into it, and Write
// replaces every file whose bytes changed in one batch with one flush of the disk; then the days
// are entered in their processed-days lists, each only when all its files reached the disk.
// While the run goes on, Lines gives the day loader what a file holds so far.
class PredictionBatch {
 public:
  explicit PredictionBatch(fs::path programFolder) : programFolder_(std::move(programFolder)) {}

  // The lines the batch holds for a horse's prediction file (as read, with the lines merged
  // since), as views into the batch, valid until the next Write; false when the batch has not
  // read the file. Keyed by the horse ID: a run asks for every runner of every day.
  bool Lines(std::string_view horseId, std::vector<std::string_view>& lines) const;
  // Whether the batch has read the horse's prediction file (it then never reads it again).
  bool Holds(std::string_view horseId) const { return byHorse_.find(horseId) != byHorse_.end(); }

  // Merges the lines of the day as WritePredictions writes them (files that cannot be read are
  // left out and reported in errors; nothing is written, so filesWritten stays 0). When record is
  // set and nothing failed, the day is entered in its processed-days list once its files are
  // written. The day's place in Write's outcome is its ticket: 0 for the first day merged, then
  // 1, 2…
  // When reads is given, a file the batch has not read yet is taken as that cache read it.
  PredictionWriteResult Merge(const RaceDayModel& day, bool record, PastRunCache* reads = nullptr);

  struct DayOutcome {
    bool written = false;       // every file holding a line of the day reached the disk
    bool recorded = false;      // the day entered its processed-days list
    bool recordFailed = false;  // it was to be entered and the list could not be written
  };
  struct WriteOutcome {
    int filesWritten = 0;              // files replaced (unchanged ones are not)
    std::vector<std::string> errors;   // CP932: files and lists that could not be written
    std::vector<DayOutcome> days;      // by ticket
  };
  // Writes what the batch holds and records the days; the batch is then empty.
  WriteOutcome Write();

  // Days merged since the last Write (the next day's ticket).
  size_t days() const { return days_.size(); }

 private:
  // A file never moves once made (files_ is a deque), so the views of merged stay valid.
  struct File {
    fs::path path;
    std::string original;           // the bytes on disk when read: whole 52-byte records
    std::deque<std::string> added;  // the lines merged since, in order (a deque: they never move)
    // The lines of the file now: the original ones with every added line merged in turn, kept
    // as each line is added (a horse met on many days is asked for its lines on every one).
    std::vector<std::string_view> merged;
    void TakeOriginalLines();
    void Add(std::string line);
  };
  struct Day {
    std::vector<std::string> dayNames;
    std::string year;
    bool record = false;
    std::vector<size_t> files;  // indexes into files_
  };
  fs::path programFolder_;
  fs::path pastRunFolder_ = PastRunFolder(programFolder_);  // looked up once per batch
  std::unordered_set<fs::path::string_type> folders_;       // folders known to exist
  std::deque<File> files_;
  // Keyed by horse ID, looked up by its bytes without making a string.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  template <class T>
  using ByHorse = std::unordered_map<std::string, T, IdHash, std::equal_to<>>;
  ByHorse<size_t> byHorse_;         // index into files_
  ByHorse<std::string> failed_;     // files that could not be read: the error (CP932)
  std::vector<Day> days_;
};

}  // namespace kv
