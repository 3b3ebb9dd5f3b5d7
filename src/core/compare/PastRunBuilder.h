#pragma once
// The past-run builder: turns the final results (data kind "7") of the days an import touched
// into the horses' past-run files. The lines of every horse are gathered across the days of the
// build and each file is read, merged and written once (atomically) for every kPastRunHeldBytes
// of lines gathered; the result is byte for byte that of merging the races one at a time in day,
// race and horse-number order.
//
// The builder has its own work area: the loaded race day is not touched.
#include <functional>
#include <string>
#include <vector>

#include "app/Files.h"

namespace kv {

// A runner that got no line because its horse ID (SE 31-40) is not ten digits.
struct SkippedRunner {
  std::string raceFileName;  // CP932 day file name, e.g. "2011年04月30日.jvRA"
  std::string raceKey;       // RA positions 12-27
  int horseNumber = 0;
  std::string horseId;       // the ID as found
};

// One built line and the horse it belongs to.
struct PastRunNewLine {
  std::string horseId;  // always ten digits
  std::string line;     // 824 bytes
};

struct PastRunBuildResult {
  bool ok = true;     // false when a file could not be read or written; the build stopped there
  std::string error;  // CP932 message when !ok
  int daysBuilt = 0;
  int linesBuilt = 0;
  int filesWritten = 0;
  std::vector<SkippedRunner> skipped;
  // CP932 messages naming damaged files (a day file or past-run file whose framing is broken);
  // they were left as they are and the build went on without them.
  std::vector<std::string> damaged;
  // A rebuild only: past-run files of horses without a final result in the day files, left as
  // they are.
  int filesWithoutDays = 0;
};

// What a build starts from: the horses' past-run files as they stand, merged with the new lines
// (an import), or nothing (a rebuild: every file written anew, damaged ones included).
enum class PastRunBase { Files, Empty };

// The lines one day yields, in race-file order and horse-number order. raceFileName is the CP932
// name of the day's race file (day name + ".jvRA") in the day folder. A missing race or entry
// file yields nothing; skipped runners and damaged files are added to result; an unreadable file
// sets result.ok = false.
std::vector<PastRunNewLine> PastRunDayLines(const fs::path& programFolder, const std::string& raceFileName,
                                            PastRunBuildResult& result);

// The most bytes of new lines an import's build holds before it merges them into the files.
inline constexpr size_t kPastRunHeldBytes = size_t{64} << 20;

// Builds the past-run files of the listed days (CP932 race-file names, built in ascending order
// whatever the order given). onDay(done, total) is called after each day (the progress bar).
// onlyHorse, when given, picks the horse IDs whose files are built (a repair rebuilds a few).
// heldBytesLimit: the bytes of new lines held before they are merged into the files (base Files).
PastRunBuildResult BuildPastRunFiles(const fs::path& programFolder, std::vector<std::string> raceFileNames,
                                     const std::function<void(int done, int total)>& onDay = {},
                                     PastRunBase base = PastRunBase::Files,
                                     const std::function<bool(const std::string& horseId)>& onlyHorse = {},
                                     size_t heldBytesLimit = kPastRunHeldBytes);

// Rebuilds every past-run file from all the day files of the program folder: each horse's file
// is written once, with the bytes the imports that stored those days gave it (merging is
// independent of how the days were split into imports). Files of horses with no final result in
// the day files are counted in filesWithoutDays and left alone. A day file that is damaged or
// cannot be read stops the rebuild before any file is written (their lines would be lost).
PastRunBuildResult RebuildPastRunFiles(const fs::path& programFolder,
                                       const std::function<void(int done, int total)>& onDay = {});

}  // namespace kv
