#include "workbench/StoreCheck.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "app/DamagedFiles.h"
#include "app/ProgramFolders.h"
#include "bets/CandidateSets.h"
#include "compare/PastRunBuilder.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "compare/UnprocessedDays.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {
namespace {

constexpr int kEntryGridLines = 12 * 18;  // an entry file: 12 races × 18 horses
constexpr int kProcessedDayRecord = 14 + kCrLfLen;  // "yyyy年mm月dd日" + CR LF

// The record type a day-file extension stands for ("jvRA" -> "RA", "jvSEr" -> "SE", "TC").
std::string TypeOfExtension(const std::string& ext) {
  if (ext == ".jvRA") return "RA";
  if (ext == ".jvSEr") return "SE";
  if (ext == ".jvHR") return "HR";
  if (ext.size() == 5 && ext.starts_with(".jvO") && ext[4] >= '1' && ext[4] <= '6') return ext.substr(3);
  if (ext == ".TC") return "TC";
  return {};
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) out.push_back(it->path());
  std::sort(out.begin(), out.end());
  return out;
}

class Checker {
 public:
  Checker(StoreCheckResult& r, const std::function<void(int)>& onFile) : r_(r), onFile_(onFile) {}

  // Counts the file and files f when damaged; true when whole.
  bool Take(const RecordFile& f, DamagedStoredFile what) {
    if (++r_.checked % 500 == 0 && onFile_) onFile_(r_.checked);
    if (f.ok() || f.missing()) return true;
    if (f.status() == RecordFile::Status::Unreadable) {
      r_.unreadable.push_back(f.error());
      return false;
    }
    what.path = f.path();
    what.message = f.error();
    r_.damaged.push_back(std::move(what));
    return false;
  }
  void Damaged(DamagedStoredFile what) { r_.damaged.push_back(std::move(what)); }

 private:
  StoreCheckResult& r_;
  const std::function<void(int)>& onFile_;
};

std::string DamagedText(const fs::path& path, const std::string& why) {
  return J("ファイルが壊れています：") + PathForMessage(path) + J("（") + why + J("）");
}

bool IsDayNameLine(std::string_view line) {
  return line.size() == 14 && IsDigits(line.substr(0, 4)) && IsDigits(line.substr(6, 2)) &&
         IsDigits(line.substr(10, 2)) &&
         DayNameFromDate(std::string(line.substr(0, 4)) + std::string(line.substr(6, 2)) +
                         std::string(line.substr(10, 2))) == line;
}

}  // namespace

StoreCheckResult CheckStoredFiles(const fs::path& prog, const std::function<void(int)>& onFile) {
  StoreCheckResult r;
  Checker c(r, onFile);
  const ProgramFolders folders = LocateProgramFolders(prog);

  for (const fs::path* dir : {&folders.data, &folders.chg}) {
    for (const fs::path& p : FilesIn(*dir)) {
      const std::string type = TypeOfExtension(p.extension().string());
      if (type.empty()) continue;
      DamagedStoredFile what;
      what.kind = dir == &folders.data ? StoredFileKind::Day : StoredFileKind::Change;
      what.dayName = ToCp932(p.filename().string()).substr(0, 14);
      const RecordFile f = RecordFile::ReadType(p, type);
      if (!c.Take(f, what)) continue;
      if (type == "SE" && f.size() != kEntryGridLines) {
        what.path = p;
        what.message = DamagedText(p, Fmt("%zu", f.size()) + J("行、正しくは") + Fmt("%d", kEntryGridLines) + J("行"));
        c.Damaged(what);
      }
    }
  }

  std::error_code ec;
  for (fs::directory_iterator year(folders.sei, ec), end; !ec && year != end; year.increment(ec)) {
    if (!year->is_directory(ec)) continue;
    for (const fs::path& p : FilesIn(year->path())) {
      DamagedStoredFile what;
      what.horseId = p.stem().string();
      if (p.extension() == ".kak") {
        what.kind = StoredFileKind::PastRun;
        c.Take(ReadPastRunRecords(p), what);
      } else if (p.extension() == ".yos") {
        what.kind = StoredFileKind::Prediction;
        c.Take(ReadPredictionRecords(p), what);
      }
    }
  }

  for (const fs::path& p : FilesIn(prog)) {
    const std::string name = p.filename().string();
    if (name.size() == 18 && name.starts_with("yosowriten") && name.ends_with(".txt")) {
      DamagedStoredFile what;
      what.kind = StoredFileKind::ProcessedDays;
      what.year = name.substr(10, 4);
      const RecordFile f = RecordFile::Read(p, kProcessedDayRecord);
      if (!c.Take(f, what)) continue;
      for (size_t n = 0; n < f.size(); ++n)
        if (!IsDayNameLine(f.Line(n))) {
          what.path = p;
          what.message = DamagedText(p, Fmt("%zu", n + 1) + J("行目が日付ではありません"));
          c.Damaged(what);
          break;
        }
    } else if (name == kCandidateSetFileName) {
      DamagedStoredFile what;
      what.kind = StoredFileKind::CandidateSets;
      c.Take(RecordFile::Read(p, kSetLineLength + kCrLfLen), what);
    }
  }
  return r;
}

std::vector<std::string> StoreCheckReport(const StoreCheckResult& check) {
  std::vector<std::string> lines;
  for (const DamagedStoredFile& d : check.damaged) lines.push_back(d.message);
  for (const std::string& u : check.unreadable) lines.push_back(u);
  if (check.whole())
    lines.push_back(Fmt("%d", check.checked) + J("個のファイルを検査しました。壊れたファイルはありません。"));
  else
    lines.push_back(Fmt("%d", check.checked) + J("個のファイルを検査しました。壊れたファイル：") +
                    Fmt("%zu", check.damaged.size()) + J("個、読めないファイル：") +
                    Fmt("%zu", check.unreadable.size()) + J("個"));
  return lines;
}

StoreRepairResult RepairStoredFiles(const fs::path& prog, const StoreCheckResult& check, const DateTime& now) {
  StoreRepairResult res;
  if (check.damaged.empty()) return res;
  const std::string stamp = DamagedStamp(now);
  res.folder = DamagedFolder(prog, stamp);

  std::set<std::string> pastRuns, predictionHorses, years;
  bool candidateSets = false;
  for (const DamagedStoredFile& d : check.damaged) {
    fs::path target;
    if (FileResult m = MoveToDamaged(prog, d.path, stamp, &target); !m) {
      res.ok = false;
      res.lines.push_back(J("退避できませんでした：") + ToCp932(m.error));
      continue;
    }
    ++res.moved;
    res.lines.push_back(J("退避しました：") + PathForMessage(d.path) + J(" → ") + PathForMessage(target));
    switch (d.kind) {
      case StoredFileKind::Day:
      case StoredFileKind::Change: {
        const std::string date = DateOfDayName(d.dayName);
        if (res.importFrom.empty() || date < res.importFrom) res.importFrom = date;
        break;
      }
      case StoredFileKind::PastRun: pastRuns.insert(d.horseId); break;
      case StoredFileKind::Prediction: predictionHorses.insert(d.horseId); break;
      case StoredFileKind::ProcessedDays: years.insert(d.year); break;
      case StoredFileKind::CandidateSets: candidateSets = true; break;
    }
  }

  if (!pastRuns.empty()) {
    std::vector<std::string> raceFiles;
    for (const std::string& day : ListDays(LocateProgramFolders(prog).data)) raceFiles.push_back(day + J(".jvRA"));
    const PastRunBuildResult b = BuildPastRunFiles(prog, raceFiles, {}, PastRunBase::Files, [&](const std::string& id) {
      return pastRuns.count(id) > 0;
    });
    for (const std::string& id : pastRuns) {
      std::error_code ec;
      if (fs::exists(PastRunPath(prog, id), ec)) ++res.pastRunsRebuilt;
    }
    if (!b.ok) {
      res.ok = false;
      res.lines.push_back(J("過去走ファイルを作り直せませんでした：") + b.error);
    }
    res.lines.push_back(J("過去走ファイルを開催日ファイルから作り直しました：") + Fmt("%d", res.pastRunsRebuilt) + J("個"));
  }
  if (!res.importFrom.empty()) res.lines.push_back(SetupImportAdvice(res.importFrom));
  if (!predictionHorses.empty() || !years.empty()) {
    // The prediction lines and the processed-days lists are written by the all-race run.
    std::string first = "99999999", last = "00000000";
    for (const std::string& id : predictionHorses) {
      const RecordFile f = ReadPastRunRecords(PastRunPath(prog, id));
      for (size_t n = 0; n < f.size(); ++n) {
        const std::string date(f.Line(n).substr(0, 8));
        first = std::min(first, date), last = std::max(last, date);
      }
    }
    for (const std::string& y : years) first = std::min(first, y + "0101"), last = std::max(last, y + "1231");
    if (first <= last)
      res.lines.push_back(J("予想ファイルと処理済み開催日の一覧は全レース比較で戻ります（korvane2-cli analyse --from ") +
                          first + " --to " + last + J("）。"));
  }
  if (candidateSets)
    res.lines.push_back(J("軸・ヒモ馬ユーザー設定は次に開いたとき初期設定の２件で作り直されます。"));
  return res;
}

}  // namespace kv
