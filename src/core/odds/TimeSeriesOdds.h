#pragma once
// Odds of a whole race day taken from a time-series odds folder: a folder kept by a companion
// program that records many odds snapshots per race.
//
//   <folder>/<yyyymmdd>/<venue meeting day race>.jvO1 … .jvO6
//
// one text file per race and odds record type, one snapshot (the O record without CR LF) per
// line. For every race of the loaded day and every type, the snapshot announced on the race day
// closest to the race's automatic fetch time (OddsGetTime "hhmmss", hours and minutes) is stored
// into the day's odds file as the time-series writer of the day-file store does (every line of
// the race replaced, or the line appended). Of two snapshots equally close the one earlier in
// the file wins; a snapshot 1000 minutes or more away is never taken. Only lines carrying the
// race's own key are considered: a line of another race in the file is not taken for this one.
//
// Every race-day O1 snapshot of each race also goes to the race's odds history (OddsHistory.h),
// so the chart of the odds movement covers the whole morning, not only the chosen snapshot.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "model/RaceDayModel.h"

namespace kv {

// Difference (minutes) from which a snapshot is never taken.
inline constexpr int kTimeSeriesMaxDistance = 1000;

// The line of a time-series file (lines end in CR LF or LF) announced on the race day (positions
// 16-19 equal 28-31) whose announcement hour * 60 + minute (32-33, 34-35) is closest to
// targetMinutes, without its line end; the earliest such line on a tie; none when no line is
// nearer than kTimeSeriesMaxDistance. raceKey, when not empty, restricts the lines to those whose
// positions 12-27 equal it.
std::optional<std::string_view> ChooseSnapshot(std::string_view fileText, int targetMinutes,
                                               std::string_view raceKey = {});

// The source file of a race slot's record type (1..6): folder / RA 12-19 / RA 20-27 + ".jvO<t>"
// (an existing entry spelled in another case is found too). Empty for a slot without a race.
fs::path TimeSeriesSourcePath(const fs::path& folder, std::string_view raceRecord, int type);

struct TimeSeriesImportResult {
  std::array<int, 6> counts{};        // races whose odds of type O1..O6 were taken over
  std::vector<std::string> problems;  // CP932: snapshots the store refused, history not kept
  std::string error;                  // CP932: a file could not be read or written; the import
                                      // stopped there (what was taken before is written)
  bool ok() const { return error.empty(); }
};

// Runs the import for every race slot of the loaded day into the day files below programDir.
// It does not reload the odds: the caller does that for every slot.
TimeSeriesImportResult ImportTimeSeriesOdds(const RaceDayModel& day, const fs::path& programDir,
                                            const fs::path& folder);

// The six-line summary of the counts, CP932: "12ﾚｰｽ分の単複枠ｵｯｽﾞ、" CR LF … "を取りこみました。".
std::string TimeSeriesSummary(const std::array<int, 6>& counts);

}  // namespace kv
