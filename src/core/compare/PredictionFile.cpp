#include "compare/PredictionFile.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <system_error>

#include "compare/PastRunCache.h"
#include "compare/PastRunFile.h"
#include "compare/UnprocessedDays.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv {

namespace {

// Appends "%<width>d" of n, blanks when n is 0, held at the largest value the width can show
// (formatted here: a run writes a line for every runner).
void AppendCount(std::string& out, int n, int width) {
  if (n == 0) {
    out.append(static_cast<size_t>(width), ' ');
    return;
  }
  int largest = 1;
  for (int i = 0; i < width; ++i) largest *= 10;
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, std::clamp(n, -(largest / 10 - 1), largest - 1)).ptr;
  const size_t size = static_cast<size_t>(end - digits);
  out.append(static_cast<size_t>(width) - size, ' ');
  out.append(digits, size);
}

// Appends "%6.2f" of a rate, blanks when negative (no rate).
void AppendRate(std::string& out, double r) {
  if (r < 0) {
    out.append(6, ' ');
    return;
  }
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, std::min(r, 999.99), std::chars_format::fixed, 2).ptr;
  const size_t size = static_cast<size_t>(end - digits);
  if (size < 6) out.append(6 - size, ' ');
  out.append(digits, size);
}

template <class Line>
std::string LineBytes(const std::vector<Line>& lines) {
  std::string bytes;
  bytes.reserve(lines.size() * kRecLenPrediction);
  for (std::string_view l : lines) {
    if (l.size() == static_cast<size_t>(kLineLenPrediction))
      bytes += l;  // as nearly every line is: no padded copy
    else
      bytes += PadRight(l, kLineLenPrediction);
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace

fs::path PredictionPathIn(const fs::path& pastRunFolder, std::string_view horseId) {
  if (!IsHorseId(horseId)) return {};
  return HorseFileIn(pastRunFolder, horseId, ".yos");
}

fs::path PredictionPath(const fs::path& programFolder, std::string_view horseId) {
  if (!IsHorseId(horseId)) return {};
  return PredictionPathIn(PastRunFolder(programFolder), horseId);
}

std::string PredictionLine(std::string_view raceKey, const TRaceAnalysis& ra, int k) {
  std::string line = PadRight(raceKey, yos::kRaceKeyLen);
  line.reserve(static_cast<size_t>(kLineLenPrediction));
  AppendCount(line, ra.Wins[k], 3);
  AppendCount(line, ra.Losses[k], 3);
  AppendRate(line, ra.WinRate[k]);
  AppendCount(line, ra.WinRateRank[k], 2);
  AppendCount(line, ra.PointWins[k], 5);
  AppendCount(line, ra.PointLosses[k], 5);
  AppendRate(line, ra.PointWinRate[k]);
  AppendCount(line, ra.PointWinRateRank[k], 2);
  line += "  ";
  return line;
}

namespace {

// A "%6.2f" rate field; -1.0 when blank.
double RateField(std::string_view line, int pos) {
  const std::string_view f = Trim(Fld(line, pos, yos::kRateLen));
  return f.empty() ? -1.0 : std::strtod(std::string(f).c_str(), nullptr);
}

}  // namespace

PredictionFigures ReadPredictionLine(std::string_view line) {
  PredictionFigures p;
  p.raceKey = Fld(line, yos::kRaceKey, yos::kRaceKeyLen);
  p.wins = FldInt(line, yos::kWins, yos::kCountLen);
  p.losses = FldInt(line, yos::kLosses, yos::kCountLen);
  p.winRate = RateField(line, yos::kWinRate);
  p.winRateRank = FldInt(line, yos::kWinRateRank, yos::kRankLen);
  p.pointWins = FldInt(line, yos::kPointWins, yos::kPointLen);
  p.pointLosses = FldInt(line, yos::kPointLosses, yos::kPointLen);
  p.pointWinRate = RateField(line, yos::kPointWinRate);
  p.pointWinRateRank = FldInt(line, yos::kMark, yos::kMarkLen);
  return p;
}

namespace {

// The lines of a prediction file (none when it is missing); false with error set when the file
// is damaged or unreadable.
bool LoadPredictionLines(const fs::path& path, std::vector<std::string>& lines, std::string& error) {
  const RecordFile file = ReadPredictionRecords(path);
  if (!file.ok() && !file.missing()) {
    error = ToUtf8(file.error());
    return false;
  }
  lines.reserve(file.size() + 1);
  for (size_t n = 0; n < file.size(); ++n) lines.emplace_back(file.Line(n));
  return true;
}

FileResult MakeFolder(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) return FileResult::Fail("cannot create " + path.parent_path().string() + ": " + ec.message());
  return {};
}

}  // namespace

FileResult MergePredictionLine(const fs::path& path, std::string_view line) {
  std::vector<std::string> lines;
  std::string error;
  if (!LoadPredictionLines(path, lines, error)) return FileResult::Fail(error);
  // The same rule as a past-run file: keyed by the race key in positions 1-16.
  MergePastRunLine(lines, line);
  if (FileResult r = MakeFolder(path); !r) return r;
  return WriteFileAtomic(path, LineBytes(lines));
}

PredictionWriteResult WritePredictions(const RaceDayModel& day, const fs::path& programFolder, PastRunCache* reads) {
  // Every file is merged in memory first (a horse met twice keeps both lines), then all are
  // replaced in one batch: one flush of the disk for the day instead of one per horse.
  PredictionBatch batch(programFolder);
  PredictionWriteResult res = batch.Merge(day, false, reads);
  PredictionBatch::WriteOutcome w = batch.Write();
  res.filesWritten = w.filesWritten;
  res.errors.insert(res.errors.end(), w.errors.begin(), w.errors.end());
  return res;
}

void PredictionBatch::File::TakeOriginalLines() {
  merged.clear();
  merged.reserve(original.size() / kRecLenPrediction);
  for (size_t at = 0; at + kRecLenPrediction <= original.size(); at += kRecLenPrediction)
    merged.push_back(std::string_view(original).substr(at, kLineLenPrediction));
}

void PredictionBatch::File::Add(std::string line) {
  added.push_back(std::move(line));
  MergePastRunLine(merged, added.back());
}

bool PredictionBatch::Lines(std::string_view horseId, std::vector<std::string_view>& lines) const {
  auto it = byHorse_.find(horseId);
  if (it == byHorse_.end()) return false;
  const std::vector<std::string_view>& merged = files_[it->second].merged;
  lines.assign(merged.begin(), merged.end());
  return true;
}

PredictionWriteResult PredictionBatch::Merge(const RaceDayModel& day, bool record, PastRunCache* reads) {
  PredictionWriteResult res;
  Day d;
  std::vector<size_t> touched;
  for (int r = 0; r < kMaxRaces; ++r) {
    const std::string_view ra = day.Race(r);
    if (day.IsRaceSlotEmpty(r)) continue;
    res.dayNames.push_back(DayName(ra));
    res.year = std::string(Fld(ra, kHdr_Year));
    const int n = FldInt(ra, kRA_Entered);
    if (n < 5 || n > kMaxRunners) continue;
    for (int k = 0; k < n; ++k) {
      const std::string_view id = Fld(day.Entry(r, k), kSE_HorseId);
      if (IsBlank(id)) continue;
      if (auto f = failed_.find(id); f != failed_.end()) {
        // Told once per day, as a run of the day alone tells it.
        if (std::find(res.errors.begin(), res.errors.end(), f->second) == res.errors.end()) res.errors.push_back(f->second);
        continue;
      }
      auto it = byHorse_.find(id);
      if (it == byHorse_.end()) {
        const fs::path path = PredictionPathIn(pastRunFolder_, id);
        if (path.empty()) continue;  // not a horse ID: it never becomes a path
        File file;
        file.path = path;
        std::string error;
        FileResult folder;
        RecordFile own;
        const RecordFile& read = reads ? *reads->PredictionFile(id) : (own = ReadPredictionRecords(path));
        if (!read.ok() && !read.missing()) error = ToUtf8(read.error());
        if (error.empty() && !folders_.contains(path.parent_path().native())) {
          folder = MakeFolder(path);
          if (folder) folders_.insert(path.parent_path().native());
        }
        if (!error.empty() || !folder) {
          const std::string message = ToCp932(error.empty() ? folder.error : error);
          res.errors.push_back(message);
          failed_.emplace(std::string(id), message);
          continue;
        }
        file.original = std::string(read.Bytes());  // the lines as they stand on disk
        files_.push_back(std::move(file));
        files_.back().TakeOriginalLines();  // in its place: the views stay valid
        it = byHorse_.emplace(std::string(id), files_.size() - 1).first;
      }
      touched.push_back(it->second);
      files_[it->second].Add(PredictionLine(RaceKey(ra), day.RaceAnalysis(r), k));
    }
  }
  std::sort(res.dayNames.begin(), res.dayNames.end());
  res.dayNames.erase(std::unique(res.dayNames.begin(), res.dayNames.end()), res.dayNames.end());
  d.dayNames = res.dayNames;
  d.year = res.year;
  d.record = record && res.errors.empty() && !res.dayNames.empty();
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  d.files = std::move(touched);
  days_.push_back(std::move(d));
  return res;
}

PredictionBatch::WriteOutcome PredictionBatch::Write() {
  WriteOutcome out;
  std::vector<FileWrite> writes;
  std::vector<size_t> owners;
  for (size_t i = 0; i < files_.size(); ++i) {
    std::string bytes = LineBytes(files_[i].merged);
    if (bytes == files_[i].original) continue;  // the file already holds these bytes
    writes.push_back({files_[i].path, std::move(bytes)});
    owners.push_back(i);
  }
  std::vector<bool> fileOk(files_.size(), true);
  const std::vector<FileResult> results = WriteFilesAtomic(writes);
  for (size_t w = 0; w < results.size(); ++w) {
    if (results[w]) {
      ++out.filesWritten;
    } else {
      fileOk[owners[w]] = false;
      out.errors.push_back(ToCp932(results[w].error));
    }
  }
  // The days whose lines are all on disk enter their processed-days lists, one write per year.
  out.days.resize(days_.size());
  std::map<std::string, std::vector<size_t>> byYear;
  for (size_t t = 0; t < days_.size(); ++t) {
    const Day& d = days_[t];
    out.days[t].written = std::all_of(d.files.begin(), d.files.end(), [&](size_t f) { return fileOk[f]; });
    if (d.record && out.days[t].written) byYear[d.year].push_back(t);
  }
  for (const auto& [year, tickets] : byYear) {
    std::vector<std::string> names;
    for (size_t t : tickets) names.insert(names.end(), days_[t].dayNames.begin(), days_[t].dayNames.end());
    const FileResult r = AddProcessedDays(programFolder_, year, names);
    for (size_t t : tickets) (r ? out.days[t].recorded : out.days[t].recordFailed) = true;
    if (!r) out.errors.push_back(ToCp932(r.error));
  }
  files_.clear();
  byHorse_.clear();
  failed_.clear();
  folders_.clear();
  days_.clear();
  return out;
}

}  // namespace kv
