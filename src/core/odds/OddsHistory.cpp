#include "odds/OddsHistory.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "odds/OddsLoader.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

std::string_view StripCrLf(std::string_view r) {
  if (r.size() >= 2 && r.substr(r.size() - 2) == "\r\n") r.remove_suffix(2);
  return r;
}

bool IsO1Line(std::string_view r) {
  return r.size() == static_cast<size_t>(kLineLenO1) && Fld(r, kHdr_RecordType) == "O1" && IsDigits(Fld(r, kHdr_Date));
}

std::string Line(const OddsSnapshot& s) {
  std::string l;
  l.reserve(kHistoryLineLen + 2);
  l += s.kept;
  l += ' ';
  l += s.source;
  l += ' ';
  l += s.record;
  l += "\r\n";
  return l;
}

// Parses the lines of a history file; lines that are not snapshots are counted, not kept.
void ParseHistory(std::string_view text, HistoryReadResult& out) {
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = text.substr(p, e - p);
    p = e + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::string_view rec = line.size() > 17 ? line.substr(17) : std::string_view();
    if (line.size() != static_cast<size_t>(kHistoryLineLen) || !IsDigits(line.substr(0, 14)) || line[14] != ' ' ||
        (line[15] != kHistoryRealtime && line[15] != kHistoryTimeSeries) || line[16] != ' ' || !IsO1Line(rec)) {
      ++out.damagedLines;
      continue;
    }
    out.snapshots.push_back({std::string(line.substr(0, 14)), line[15], std::string(rec)});
  }
}

std::string OddsText(double v) {
  if (v == kOddsCancelled) return "-";
  if (v <= 0) return "";
  return Fmt("%.1f", v);
}

}  // namespace

std::string HistoryMoment(const DateTime& t) {
  return Fmt("%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string AnnouncedMoment(std::string_view o1) {
  const std::string_view at = Fld(o1, kO_AnnounceTime);
  const std::string_view year = Fld(o1, kHdr_Year);
  if (!IsDigits(at) || at.size() != 8 || at == "00000000" || !IsDigits(year) || year.size() != 4) return {};
  return std::string(year) + std::string(at) + "00";
}

fs::path OddsHistoryPath(const fs::path& programDir, std::string_view record) {
  const std::string_view key = RaceKey(record);
  if (key.size() != 16 || !IsDigits(key.substr(0, 8))) return {};
  return DataFilePath(programDir, DayNameFromDate(key.substr(0, 8)) + std::string(key.substr(8, 8)) + ".jvOH");
}

HistoryAppendResult AppendOddsHistory(const fs::path& programDir, const std::vector<OddsSnapshot>& snapshots) {
  HistoryAppendResult res;
  // The snapshots of each race, in the order given.
  std::map<std::string, std::vector<const OddsSnapshot*>> byRace;
  std::vector<std::string> order;
  for (const OddsSnapshot& s : snapshots) {
    const std::string_view rec = StripCrLf(s.record);
    if (!IsO1Line(rec) || s.kept.size() != 14 || !IsDigits(s.kept)) {
      ++res.rejected;
      continue;
    }
    const std::string key(RaceKey(rec));
    auto [it, added] = byRace.try_emplace(key);
    if (added) order.push_back(key);
    it->second.push_back(&s);
  }
  for (const std::string& key : order) {
    const fs::path path = OddsHistoryPath(programDir, std::string(11, ' ') + key);
    std::string bytes;
    std::error_code ec;
    if (fs::exists(path, ec)) {
      if (FileResult r = ReadFile(path, bytes); !r) {
        if (res.error.empty()) res.error = r.error;
        continue;
      }
    }
    HistoryReadResult kept;
    ParseHistory(bytes, kept);
    std::vector<std::string> seen;
    seen.reserve(kept.snapshots.size());
    for (OddsSnapshot& k : kept.snapshots) seen.push_back(std::move(k.record));
    std::sort(seen.begin(), seen.end());
    // A file whose last line lost its line end (written by hand) still gets whole lines after it.
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    int added = 0;
    for (const OddsSnapshot* s : byRace[key]) {
      OddsSnapshot line{s->kept, s->source, std::string(StripCrLf(s->record))};
      auto at = std::lower_bound(seen.begin(), seen.end(), line.record);
      if (at != seen.end() && *at == line.record) {
        ++res.unchanged;
        continue;
      }
      bytes += Line(line);
      seen.insert(at, std::move(line.record));
      ++added;
    }
    if (added == 0) continue;
    fs::create_directories(path.parent_path(), ec);
    if (FileResult r = WriteFileAtomic(path, bytes); !r) {
      if (res.error.empty()) res.error = r.error;
      continue;
    }
    res.kept += added;
  }
  return res;
}

HistoryAppendResult KeepFetchedOdds(const fs::path& programDir, const std::vector<std::string>& storedLines,
                                    const DateTime& now) {
  std::vector<OddsSnapshot> snapshots;
  const std::string kept = HistoryMoment(now);
  for (const std::string& line : storedLines)
    if (Fld(line, kHdr_RecordType) == "O1") snapshots.push_back({kept, kHistoryRealtime, line});
  if (snapshots.empty()) return {};
  return AppendOddsHistory(programDir, snapshots);
}

HistoryReadResult ReadOddsHistory(const fs::path& programDir, std::string_view raceKey) {
  HistoryReadResult res;
  if (raceKey.size() != 16) return res;
  const fs::path path = OddsHistoryPath(programDir, std::string(11, ' ') + std::string(raceKey));
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) return res;
  std::string bytes;
  if (FileResult r = ReadFile(path, bytes); !r) {
    res.error = r.error;
    return res;
  }
  ParseHistory(bytes, res);
  return res;
}

double HistoryWinOdds(std::string_view o1, int h) {
  if (h < 1 || h > kMaxRunners) return kOddsNone;
  return OddsFieldValue(Fld(o1, kO1_WinOdds.At(h - 1)));
}

int SnapshotMinute(const OddsSnapshot& s) {
  const std::string_view monthDay = Fld(s.record, kHdr_MonthDay);
  const std::string_view at = Fld(s.record, kO_AnnounceTime);
  if (IsDigits(at) && at.substr(0, 4) == monthDay) return ParseInt(at.substr(4, 2)) * 60 + ParseInt(at.substr(6, 2));
  if (s.kept.size() == 14 && std::string_view(s.kept).substr(4, 4) == monthDay)
    return ParseInt(std::string_view(s.kept).substr(8, 2)) * 60 + ParseInt(std::string_view(s.kept).substr(10, 2));
  return -1;
}

std::string OddsHistoryTsv(const std::vector<OddsSnapshot>& snapshots, int runners) {
  std::string out = "kept\tsource\tannounced\thorse\twin\twin_pop\tplace_min\tplace_max\n";
  for (const OddsSnapshot& s : snapshots) {
    const int n = std::clamp(runners > 0 ? runners : FldInt(s.record, kO_Entered), 0, kMaxRunners);
    const std::string head = s.kept + '\t' + s.source + '\t' + std::string(Fld(s.record, kO_AnnounceTime)) + '\t';
    for (int h = 1; h <= n; ++h) {
      const int k = h - 1;
      const double win = HistoryWinOdds(s.record, h);
      const int pop = FldInt(s.record, kO1_WinPop.At(k).pos, kO1_WinPop.At(k).len);
      double lo = OddsFieldValue(Fld(s.record, kO1_PlaceOddsMin.At(k)));
      double hi = lo;
      if (!IsOddsMarker(lo)) hi = OddsFieldValue(Fld(s.record, kO1_PlaceOddsMax.At(k)));
      out += head + std::to_string(h) + '\t' + OddsText(win) + '\t' + (win > 0 && pop > 0 ? std::to_string(pop) : "") +
             '\t' + OddsText(lo) + '\t' + OddsText(hi) + '\n';
    }
  }
  return out;
}

}  // namespace kv
