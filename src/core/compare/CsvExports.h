#pragma once
// CSV exports of the loaded day, code page 932 with CR LF line ends, written atomically:
//
// - point win rates (menu "Pt勝率＋Pt勝率順位"): "CSV/PTR<yyyymmdd>.csv", one line per runner of
//   every race: race key (16) + horse number (SE 29-30) + "," + PointWinRate x 100 ("%5.1f") +
//   "," + PointWinRateRank ("%2d"); rate and rank empty when the rank is 0. Lines sorted as text.
// - point win rate ranks (menu "Pt勝率順位"): "CSV/PTj<yyyymmdd>.csv", the same lines without the
//   rate: key + horse number + "," + rank.
//
//   CsvExportResult res = ExportPointRateCsv(day, raceSlots, progDir, PointRateCsv::RateAndRank);
//   ui.Info(res.message);
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "model/RaceDayModel.h"
#include "app/Ports.h"

namespace kv {

enum class PointRateCsv {
  RateAndRank,  // "Pt勝率＋Pt勝率順位": PTR file, rate and rank
  RankOnly,     // "Pt勝率順位": PTj file, rank only
};

// The lines (without CR LF) of the races in raceSlots, runner slots below each race's registered
// count (RA 882), sorted ascending.
std::vector<std::string> PointRateCsvLines(const RaceDayModel& day, std::span<const int> raceSlots,
                                           PointRateCsv kind);

// "PTR" or "PTj" + RA 12-15 + RA 16-19 of the race record + ".csv".
std::string PointRateCsvFileName(std::string_view firstRace, PointRateCsv kind);

// The lines joined, each ended by CR LF.
std::string CsvText(const std::vector<std::string>& lines);

struct CsvExportResult {
  bool ok = false;
  fs::path path;        // the file written (or that could not be written)
  std::string message;  // CP932: the confirmation, or why nothing was written
};

// "以下のCSVファイルを出力しました。" + CR LF + the full path.
std::string CsvWrittenMessage(const fs::path& path);

// Writes the point-rate lines of the races to target, creating its folder when missing.
FileResult WritePointRateCsv(const RaceDayModel& day, std::span<const int> raceSlots, PointRateCsv kind,
                             const fs::path& target);

// Writes the point-rate file of the day into the program folder's CSV folder (created when
// missing), named by the first race of raceSlots. An empty race list or a file error writes
// nothing usable and says why in message.
CsvExportResult ExportPointRateCsv(const RaceDayModel& day, std::span<const int> raceSlots, const fs::path& progDir,
                                   PointRateCsv kind);

// The menu command: nothing when no day is chosen (dayName blank); else the export, then its
// confirmation or its failure shown in an information box. True when written.
bool RunPointRateExport(const RaceDayModel& day, std::string_view dayName, std::span<const int> raceSlots,
                        const fs::path& progDir, PointRateCsv kind, UiPort& ui);

// The program folder's CSV folder (found without regard to case).
fs::path CsvFolder(const fs::path& progDir);

// Creates folder and its parents when missing.
FileResult MakeCsvFolder(const fs::path& folder);

// The failure text shown when a CSV file cannot be written (CP932).
std::string CsvWriteFailedMessage(const fs::path& path, const std::string& utf8Reason);

}  // namespace kv
