#include "compare/CsvExports.h"

#include <algorithm>
#include <system_error>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

fs::path CsvFolder(const fs::path& progDir) { return ResolveNoCase(progDir, "CSV"); }

FileResult MakeCsvFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return FileResult::Fail(folder.string() + ": " + ec.message());
  return {};
}

std::vector<std::string> PointRateCsvLines(const RaceDayModel& day, std::span<const int> raceSlots,
                                           PointRateCsv kind) {
  std::vector<std::string> lines;
  for (int r : raceSlots) {
    if (r < 0 || r >= kMaxRaces || day.IsRaceSlotEmpty(r)) continue;
    const std::string_view key = RaceKey(day.Race(r));
    const TRaceAnalysis& a = day.RaceAnalysis(r);
    const int n = day.RunnerCount(r);
    for (int k = 0; k < n; ++k) {
      std::string line(key);
      line += Fld(day.Entry(r, k), kSE_HorseNum);
      line += ',';
      const int rank = a.PointWinRateRank[k];
      if (kind == PointRateCsv::RateAndRank) {
        if (rank > 0) line += Fmt("%5.1f", a.PointWinRate[k] * 100);
        line += ',';
      }
      if (rank > 0) line += Fmt("%2d", rank);
      lines.push_back(std::move(line));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string PointRateCsvFileName(std::string_view firstRace, PointRateCsv kind) {
  return std::string(kind == PointRateCsv::RateAndRank ? "PTR" : "PTj") + FldStr(firstRace, kHdr_Year) +
         FldStr(firstRace, kHdr_MonthDay) + ".csv";
}

std::string CsvText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

std::string CsvWrittenMessage(const fs::path& path) {
  return J("以下のCSVファイルを出力しました。") + "\r\n" + ToCp932(path.string());
}

std::string CsvWriteFailedMessage(const fs::path& path, const std::string& utf8Reason) {
  return J("CSVファイルを書き込めませんでした。") + "\r\n" + ToCp932(path.string()) + "\r\n" + ToCp932(utf8Reason);
}

FileResult WritePointRateCsv(const RaceDayModel& day, std::span<const int> raceSlots, PointRateCsv kind,
                             const fs::path& target) {
  if (target.has_parent_path()) {
    FileResult f = MakeCsvFolder(target.parent_path());
    if (!f) return f;
  }
  return WriteFileAtomic(target, CsvText(PointRateCsvLines(day, raceSlots, kind)));
}

CsvExportResult ExportPointRateCsv(const RaceDayModel& day, std::span<const int> raceSlots, const fs::path& progDir,
                                   PointRateCsv kind) {
  CsvExportResult res;
  auto first = std::find_if(raceSlots.begin(), raceSlots.end(),
                            [&](int r) { return r >= 0 && r < kMaxRaces && !day.IsRaceSlotEmpty(r); });
  if (first == raceSlots.end()) {
    res.message = NotEnoughDataMessage();
    return res;
  }
  res.path = CsvFolder(progDir) / PointRateCsvFileName(day.Race(*first), kind);
  const FileResult w = WritePointRateCsv(day, raceSlots, kind, res.path);
  if (!w) {
    res.message = CsvWriteFailedMessage(res.path, w.error);
    return res;
  }
  res.ok = true;
  res.message = CsvWrittenMessage(res.path);
  return res;
}

bool RunPointRateExport(const RaceDayModel& day, std::string_view dayName, std::span<const int> raceSlots,
                        const fs::path& progDir, PointRateCsv kind, UiPort& ui) {
  if (IsBlank(dayName)) return false;
  CsvExportResult res = ExportPointRateCsv(day, raceSlots, progDir, kind);
  ui.Info(res.message);
  return res.ok;
}

}  // namespace kv
