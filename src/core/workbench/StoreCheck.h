#pragma once
// Checking and repairing the stored files of a program folder ("ﾌｧｲﾙ検査・修復", korvane2-cli
// check [--repair]).
//
// The check reads the framing of every stored file — day files and start-time change files,
// past-run files, prediction files, the processed-days lists and the candidate-set file — as
// their readers do, and lists the damaged ones. A damaged file stops whatever meets it (an
// import cannot rewrite it, a load or an analysis cannot read it), so the repair takes each one
// out of the way: it is moved into damaged/<timestamp>/ (never deleted), damaged past-run files
// are built again from the day files, and for every other kind the repair says what brings the
// file back: for a day file the set-up import from its day, for a prediction file or a
// processed-days list the analysis of the days concerned, for the candidate-set file the next
// opening of the candidate settings (the two default sets).
#include <functional>
#include <string>
#include <vector>

#include "app/Files.h"
#include "app/Ports.h"

namespace kv {

enum class StoredFileKind { Day, Change, PastRun, Prediction, ProcessedDays, CandidateSets };

struct DamagedStoredFile {
  StoredFileKind kind = StoredFileKind::Day;
  fs::path path;
  std::string message;  // CP932: the reader's words, naming the file and what is wrong
  std::string dayName;  // Day, Change: the day name "yyyy年mm月dd日" (CP932)
  std::string horseId;  // PastRun, Prediction
  std::string year;     // ProcessedDays
};

struct StoreCheckResult {
  int checked = 0;                         // files whose framing was read
  std::vector<DamagedStoredFile> damaged;  // in the order found
  std::vector<std::string> unreadable;     // CP932: files that could not be read at all
  bool whole() const { return damaged.empty() && unreadable.empty(); }
};

// Reads every stored file of prog. onFile (may be empty) is called every 500 files with the
// number read so far (progress).
StoreCheckResult CheckStoredFiles(const fs::path& prog, const std::function<void(int checked)>& onFile = {});

struct StoreRepairResult {
  bool ok = true;          // every damaged file was moved (and every past-run file rebuilt)
  fs::path folder;         // damaged/<timestamp> when something was moved
  int moved = 0;
  int pastRunsRebuilt = 0;
  std::string importFrom;  // yyyymmdd: the set-up import from this day brings the day files back
  std::vector<std::string> lines;  // CP932 report: what was moved where, what was rebuilt, advice
};

// Moves every damaged file of check into DamagedFolder(prog, DamagedStamp(now)), rebuilds the
// damaged past-run files from the day files still there and says what brings the rest back.
StoreRepairResult RepairStoredFiles(const fs::path& prog, const StoreCheckResult& check, const DateTime& now);

// The check's report (CP932 lines): one per damaged or unreadable file, or that all is whole.
std::vector<std::string> StoreCheckReport(const StoreCheckResult& check);

}  // namespace kv
