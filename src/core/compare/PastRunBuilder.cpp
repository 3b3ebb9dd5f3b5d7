#include "compare/PastRunBuilder.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <unordered_set>

#include "app/ProgramFolders.h"
#include "compare/PastRunFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv {
namespace {

constexpr int kSlots = kak::kEntries;

bool FinalResults(std::string_view rec) { return Fld(rec, kHdr_DataKind) == "7"; }

// Reads a day file into file; false (with result filled) when the build must stop.
bool Open(const fs::path& path, int recordLength, RecordFile& file, PastRunBuildResult& result) {
  file = RecordFile::Read(path, recordLength);
  switch (file.status()) {
    case RecordFile::Status::Ok:
    case RecordFile::Status::Missing:
      return true;
    case RecordFile::Status::Damaged:
      result.damaged.push_back(file.error());
      return true;
    case RecordFile::Status::Unreadable:
      break;
  }
  result.ok = false;
  result.error = file.error();
  return false;
}

}  // namespace

std::vector<PastRunNewLine> PastRunDayLines(const fs::path& programFolder, const std::string& raceFileName,
                                            PastRunBuildResult& result) {
  std::vector<PastRunNewLine> out;
  RecordFile races;
  if (!Open(DataFilePath(programFolder, raceFileName), kRecLenRA, races, result) || !races.ok()) return out;

  std::map<std::string, RecordFile> entryFiles;  // by CP932 name: one read per venue of the day
  const size_t raceCount = std::min(races.size(), static_cast<size_t>(kMaxRaces));
  for (size_t r = 0; r < raceCount; ++r) {
    const std::string_view ra = races.Line(r);
    const std::string entryName = EntryFileName(raceFileName, Fld(ra, kHdr_Venue));
    auto it = entryFiles.find(entryName);
    if (it == entryFiles.end()) {
      RecordFile f;
      if (!Open(DataFilePath(programFolder, entryName), kRecLenSE, f, result)) return {};
      it = entryFiles.emplace(entryName, std::move(f)).first;
    }
    const RecordFile& entries = it->second;
    if (!entries.ok()) continue;  // a race without its entry file yields no lines

    // Slot j holds horse number j + 1: record (race number - 1) * 18 + j of the entry grid.
    std::array<std::string_view, kSlots> slots{};
    const int registered = std::clamp(FldInt(ra, kRA_Entered), 0, kSlots);
    const int raceNo = FldInt(ra, kHdr_RaceNum);
    for (int j = 0; j < registered && raceNo >= 1; ++j) {
      const size_t n = static_cast<size_t>(raceNo - 1) * kSlots + static_cast<size_t>(j);
      if (n < entries.size()) slots[static_cast<size_t>(j)] = entries.Line(n);
    }
    if (!FinalResults(ra)) continue;

    const std::string fieldList = PastRunFieldList(slots);
    for (int j = 0; j < registered; ++j) {
      const std::string_view se = slots[static_cast<size_t>(j)];
      if (!FinalResults(se)) continue;
      const std::string_view id = Fld(se, kSE_HorseId);
      if (!IsHorseId(id)) {
        result.skipped.push_back({raceFileName, FldStr(ra, kHdr_RaceKey), j + 1, std::string(id)});
        continue;
      }
      out.push_back({std::string(id), BuildPastRunLine(ra, se, fieldList)});
    }
  }
  return out;
}

namespace {

// The build; horses, when given, receives the ID of every horse that got lines.
PastRunBuildResult Build(const fs::path& programFolder, std::vector<std::string> raceFileNames,
                         const std::function<void(int done, int total)>& onDay, PastRunBase base,
                         const std::function<bool(const std::string& horseId)>& onlyHorse,
                         std::set<std::string>* horses, size_t heldBytesLimit) {
  PastRunBuildResult result;
  std::sort(raceFileNames.begin(), raceFileNames.end());
  raceFileNames.erase(std::unique(raceFileNames.begin(), raceFileNames.end()), raceFileNames.end());

  // Every horse's new lines across the days read so far, in build order (day, race, horse number).
  std::map<std::string, std::vector<std::string>> byHorse;
  size_t heldBytes = 0;

  // Files are replaced in batches: each file stays atomic, but the disk is flushed once per
  // batch instead of twice per file (an import touches thousands of horses).
  constexpr size_t kBatchFiles = 512;
  std::vector<FileWrite> batch;
  auto commit = [&]() {
    const std::vector<FileResult> written = WriteFilesAtomic(batch);
    for (size_t i = 0; i < written.size(); ++i) {
      if (written[i]) {
        ++result.filesWritten;
      } else if (result.ok) {
        result.error = ToCp932(written[i].error);
        result.ok = false;
      }
    }
    batch.clear();
    return result.ok;
  };
  // Writes the held lines into the files (merged with them as they stand, unless the build
  // starts from nothing) and lets them go.
  // The SEI folder looked up once, and each birth-year folder made once per build: a build
  // writes thousands of files into a few dozen folders.
  const fs::path pastRunFolder = PastRunFolder(programFolder);
  std::unordered_set<fs::path::string_type> madeFolders;
  auto writeHeld = [&]() {
    for (auto& [id, added] : byHorse) {
      const fs::path path = PastRunPathIn(pastRunFolder, id);
      std::vector<std::string> lines;
      RecordFile old = base == PastRunBase::Files ? ReadPastRunRecords(path) : RecordFile();
      if (old.status() == RecordFile::Status::Damaged) {
        // Left as it is: rewriting it would lose its lines.
        if (std::find(result.damaged.begin(), result.damaged.end(), old.error()) == result.damaged.end())
          result.damaged.push_back(old.error());
        continue;
      }
      if (old.status() == RecordFile::Status::Unreadable) {
        if (result.ok) result.error = old.error();
        result.ok = false;
        break;
      }
      lines.reserve(old.size() + added.size());
      for (size_t k = 0; k < old.size(); ++k) lines.emplace_back(old.Line(k));
      MergePastRunLines(lines, added);
      if ((old.status() == RecordFile::Status::Missing || base == PastRunBase::Empty) &&
          !madeFolders.contains(path.parent_path().native())) {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        if (!ec) madeFolders.insert(path.parent_path().native());
        if (ec) {
          if (result.ok) result.error = ToCp932("cannot create folder " + path.parent_path().string() + ": " + ec.message());
          result.ok = false;
          break;
        }
      }
      batch.push_back({path, PastRunFileBytes(lines)});
      if (batch.size() >= kBatchFiles && !commit()) break;
    }
    if (!batch.empty()) commit();
    if (horses)
      for (const auto& entry : byHorse) horses->insert(entry.first);
    byHorse.clear();
    heldBytes = 0;
  };

  const int total = static_cast<int>(raceFileNames.size());
  for (int d = 0; d < total && result.ok; ++d) {
    for (PastRunNewLine& l : PastRunDayLines(programFolder, raceFileNames[static_cast<size_t>(d)], result)) {
      if (onlyHorse && !onlyHorse(l.horseId)) continue;
      heldBytes += l.line.size() + sizeof(std::string);
      byHorse[l.horseId].push_back(std::move(l.line));
      ++result.linesBuilt;
    }
    if (!result.ok) break;  // lines of the days before the failure are still written below
    ++result.daysBuilt;
    if (onDay) onDay(d + 1, total);
    // Merged into the files as they stand, the lines give the same bytes however the days are
    // split, so an import of many years writes what it holds whenever that grows large: its
    // memory stays flat in the number of years. (A rebuild starts from nothing and holds all.)
    if (base == PastRunBase::Files && heldBytes >= heldBytesLimit) {
      writeHeld();
      if (!result.ok) return result;
    }
  }
  // Written from nothing, a file missing the lines of a damaged or unread day would lose them:
  // a rebuild then writes nothing.
  if (base == PastRunBase::Empty && result.ok && !result.damaged.empty()) {
    result.ok = false;
    result.error = J("壊れた開催日データがあるため過去走データを再構築しませんでした。");
  }
  if (!result.ok && base == PastRunBase::Empty) return result;
  writeHeld();
  return result;
}

}  // namespace

PastRunBuildResult BuildPastRunFiles(const fs::path& programFolder, std::vector<std::string> raceFileNames,
                                     const std::function<void(int done, int total)>& onDay, PastRunBase base,
                                     const std::function<bool(const std::string& horseId)>& onlyHorse,
                                     size_t heldBytesLimit) {
  return Build(programFolder, std::move(raceFileNames), onDay, base, onlyHorse, nullptr, heldBytesLimit);
}

PastRunBuildResult RebuildPastRunFiles(const fs::path& programFolder,
                                       const std::function<void(int done, int total)>& onDay) {
  const ProgramFolders folders = LocateProgramFolders(programFolder);
  std::vector<std::string> raceFileNames;
  for (const std::string& day : ListDays(folders.data)) raceFileNames.push_back(day + ".jvRA");
  std::set<std::string> built;
  PastRunBuildResult result = Build(programFolder, std::move(raceFileNames), onDay, PastRunBase::Empty, {}, &built,
                                     kPastRunHeldBytes);
  if (!result.ok) return result;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folders.sei, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() == ".kak" && !built.count(p.stem().string())) ++result.filesWithoutDays;
  }
  return result;
}

}  // namespace kv
