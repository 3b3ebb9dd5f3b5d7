#include "compare/PastRunFile.h"

#include <algorithm>
#include <set>

#include "text/Field.h"
#include "text/Format.h"

namespace kv {
namespace {

// Race part, positions 1-55 of the line, in line order (all copied unchanged from the RA record).
constexpr FieldPos kRacePart[] = {
    kHdr_Year,      kHdr_MonthDay,     kHdr_Venue,      kHdr_Meeting,   kHdr_MeetingDay, kHdr_RaceNum,
    kRA_RaceNameShort3, kRA_Grade,     kRA_RaceKind,    kRA_RaceSymbol, kRA_WeightRule,  kRA_CondYoungest,
    kRA_FirstPrize, kRA_Distance,      kRA_Track,       kRA_Entered,    kRA_Starters,    kRA_Finishers,
    kRA_TurfGoing,  kRA_DirtGoing,     kRA_Weather,
};
// Horse part, positions 56-162 of the line, in line order (all copied from the SE record).
constexpr FieldPos kHorsePart[] = {
    kSE_HorseId,   kSE_HorseName18, kSE_HorseNum,  kSE_Frame,     kSE_Sex,         kSE_Age,
    kSE_Weight,    kSE_Blinker,     kSE_Jockey,    kSE_Apprentice, kSE_Trainer,    kSE_Abnormal,
    kSE_BodyWeight, kSE_BodyWeightSign, kSE_BodyWeightDiff, kSE_Corner.At(0), kSE_Corner.At(1),
    kSE_Corner.At(2), kSE_Corner.At(3), kSE_Last4F, kSE_Last3F, kSE_Time,     kSE_Arrival,
    kSE_Finish,    kSE_Popularity,  kSE_WinOdds,   kSE_Prize,     kSE_AddedPrize,
};

constexpr int Sum(const FieldPos* c, size_t n) {
  int s = 0;
  for (size_t i = 0; i < n; ++i) s += c[i].len;
  return s;
}
static_assert(Sum(kRacePart, std::size(kRacePart)) == 55);
static_assert(Sum(kHorsePart, std::size(kHorsePart)) == kak::kFieldList - kak::kHorseId);

// Appends the field bytes unchanged; a record too short for the field is filled with blanks.
void AppendRaw(std::string& out, std::string_view rec, FieldPos p) {
  std::string_view f = Fld(rec, p);
  out.append(f);
  out.append(static_cast<size_t>(p.len) - f.size(), ' ');
}

std::string_view Key(std::string_view line) { return line.substr(0, std::min<size_t>(line.size(), kak::kRaceKeyLen)); }

}  // namespace

bool IsHorseId(std::string_view id) {
  return id.size() == 10 && IsDigits(id);
}

fs::path PastRunFolder(const fs::path& programFolder) { return ResolveNoCase(programFolder, "SEI"); }

fs::path HorseFileIn(const fs::path& pastRunFolder, std::string_view horseId, std::string_view extension) {
  // Built as text and made a path once: a run makes one for every runner.
  fs::path::string_type s = pastRunFolder.native();
  if (!s.empty() && s.back() != fs::path::preferred_separator && s.back() != '/') s += fs::path::preferred_separator;
  s.append(horseId.begin(), horseId.begin() + 4);
  s += fs::path::preferred_separator;
  s.append(horseId.begin(), horseId.end());
  s.append(extension.begin(), extension.end());
  return fs::path(std::move(s));
}

fs::path PastRunPathIn(const fs::path& pastRunFolder, std::string_view horseId) {
  if (!IsHorseId(horseId)) return {};
  return HorseFileIn(pastRunFolder, horseId, ".kak");
}

fs::path PastRunPath(const fs::path& programFolder, std::string_view horseId) {
  if (!IsHorseId(horseId)) return {};
  return PastRunPathIn(PastRunFolder(programFolder), horseId);
}

std::string PastRunEntry(std::string_view se) {
  std::string e;
  e.reserve(kak::kEntryLen);
  AppendRaw(e, se, kSE_HorseName18);
  AppendRaw(e, se, kSE_HorseId);
  AppendRaw(e, se, kSE_Time);
  AppendRaw(e, se, kSE_Weight);
  return e;
}

std::string PastRunFieldList(const std::array<std::string_view, kak::kEntries>& slots) {
  std::array<std::string, kak::kEntries> keyed;
  for (int s = 0; s < kak::kEntries; ++s) {
    const std::string_view se = slots[static_cast<size_t>(s)];
    const bool blank = IsBlank(se);
    std::string_view place = blank ? std::string_view{} : Fld(se, kSE_Finish);
    std::string key = (!blank && ParseInt(place) >= 1 && place.size() == 2) ? std::string(place) : Fmt("%02d", s + 18);
    keyed[static_cast<size_t>(s)] = key + (blank ? std::string(kak::kEntryLen, ' ') : PastRunEntry(se));
  }
  std::sort(keyed.begin(), keyed.end());
  std::string list;
  list.reserve(kak::kEntries * kak::kEntryLen);
  for (const std::string& k : keyed) list.append(k, 2, std::string::npos);
  return list;
}

std::string BuildPastRunLine(std::string_view ra, std::string_view se, std::string_view fieldList) {
  std::string line;
  line.reserve(kLineLenPastRun);
  for (FieldPos f : kRacePart) AppendRaw(line, ra, f);
  for (FieldPos f : kHorsePart) AppendRaw(line, se, f);
  AppendRaw(line, fieldList, {1, kak::kEntries * kak::kEntryLen});
  line.append(static_cast<size_t>(kLineLenPastRun) - line.size(), ' ');
  return line;
}

namespace {

template <class Line>
void MergeLine(std::vector<Line>& lines, std::string_view line) {
  auto it = std::find_if(lines.begin(), lines.end(), [&](std::string_view l) { return Key(l) == Key(line); });
  if (it != lines.end())
    *it = Line(line);
  else
    lines.emplace_back(line);
  std::sort(lines.begin(), lines.end());
}

}  // namespace

void MergePastRunLine(std::vector<std::string>& lines, std::string_view line) { MergeLine(lines, line); }
void MergePastRunLine(std::vector<std::string_view>& lines, std::string_view line) { MergeLine(lines, line); }

void MergePastRunLines(std::vector<std::string>& lines, const std::vector<std::string>& added) {
  if (added.empty()) return;
  // The first merge works on the file as it stands (maybe unsorted: the first match in file order
  // is replaced); every later one on the sorted lines, where the first match of a race key is the
  // smallest line that starts with it.
  auto first = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return Key(l) == Key(added[0]); });
  if (first != lines.end())
    *first = added[0];
  else
    lines.push_back(added[0]);
  std::multiset<std::string, std::less<>> sorted(std::make_move_iterator(lines.begin()),
                                                 std::make_move_iterator(lines.end()));
  for (size_t i = 1; i < added.size(); ++i) {
    const std::string_view key = Key(added[i]);
    auto it = sorted.lower_bound(key);
    if (it != sorted.end() && Key(*it) == key) sorted.erase(it);
    sorted.insert(added[i]);
  }
  lines.assign(std::make_move_iterator(sorted.begin()), std::make_move_iterator(sorted.end()));
}

std::string PastRunFileBytes(const std::vector<std::string>& lines) {
  std::string out;
  out.reserve(lines.size() * kRecLenPastRun);
  for (const std::string& l : lines) {
    AppendRaw(out, l, {1, kLineLenPastRun});
    out += "\r\n";
  }
  return out;
}

FileResult WritePastRunFile(const fs::path& path, const std::vector<std::string>& lines) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) return FileResult::Fail("cannot create folder " + path.parent_path().string() + ": " + ec.message());
  return WriteFileAtomic(path, PastRunFileBytes(lines));
}

}  // namespace kv
