#include "odds/TimeSeriesOdds.h"

#include <cstdlib>
#include <system_error>

#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "odds/OddsHistory.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

// Calls f(line) for every line of text, without its CR LF or LF.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = text.substr(p, e - p);
    p = e + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    f(line);
  }
}

bool AnnouncedOnRaceDay(std::string_view line) {
  return line.size() >= 35 && Fld(line, kHdr_MonthDay) == Fld(line, kO_AnnounceTime.pos, 4);
}

}  // namespace

std::optional<std::string_view> ChooseSnapshot(std::string_view fileText, int targetMinutes, std::string_view raceKey) {
  int best = kTimeSeriesMaxDistance;
  std::optional<std::string_view> chosen;
  ForEachLine(fileText, [&](std::string_view line) {
    if (!AnnouncedOnRaceDay(line)) return;
    if (!raceKey.empty() && RaceKey(line) != raceKey) return;
    const int at = FldInt(line, kO_AnnounceHour) * 60 + FldInt(line, kO_AnnounceMinute);
    const int d = std::abs(targetMinutes - at);
    if (d < best) {
      best = d;
      chosen = line;
    }
  });
  return chosen;
}

fs::path TimeSeriesSourcePath(const fs::path& folder, std::string_view raceRecord, int type) {
  if (IsEmptyRaceRecord(raceRecord)) return {};
  const std::string_view date = Fld(raceRecord, kHdr_Date);
  const std::string_view race = Fld(raceRecord, kHdr_VenueToRace);
  if (date.size() != 8 || race.size() != 8) return {};
  const fs::path dayFolder = folder / std::string(date);
  return ResolveNoCase(dayFolder, std::string(race) + ".jvO" + std::to_string(type));
}

TimeSeriesImportResult ImportTimeSeriesOdds(const RaceDayModel& day, const fs::path& programDir,
                                            const fs::path& folder) {
  TimeSeriesImportResult res;
  DayFileStore store(programDir);
  std::vector<OddsSnapshot> history;
  std::string text;
  for (int r = 0; r < kMaxRaces && res.ok(); ++r) {
    const std::string_view ra = day.Race(r);
    const std::string_view getTime = day.OutData(r).OddsGetTime;
    const int target = ParseInt(Fld(getTime, 1, 2)) * 60 + ParseInt(Fld(getTime, 3, 2));
    const std::string_view key = RaceKey(ra);
    for (int t = 1; t <= 6; ++t) {
      const fs::path source = TimeSeriesSourcePath(folder, ra, t);
      std::error_code ec;
      if (source.empty() || !fs::is_regular_file(source, ec)) continue;
      if (FileResult f = ReadFile(source, text); !f) {
        res.error = ToCp932(f.error);
        break;
      }
      if (t == 1) {
        ForEachLine(text, [&](std::string_view line) {
          if (!AnnouncedOnRaceDay(line) || RaceKey(line) != key) return;
          if (std::string kept = AnnouncedMoment(line); !kept.empty())
            history.push_back({std::move(kept), kHistoryTimeSeries, std::string(line)});
        });
      }
      const std::optional<std::string_view> line = ChooseSnapshot(text, target, key);
      if (!line) continue;
      const StoreResult s = store.Store(StoreWriter::TimeSeries, *line);
      if (s.outcome == StoreOutcome::Failed) {
        res.error = s.message;
        break;
      }
      if (s.outcome == StoreOutcome::Rejected) {
        res.problems.push_back(ToCp932(source.filename().string()) + ": " + s.message);
        continue;
      }
      if (s.stored()) ++res.counts[static_cast<size_t>(t - 1)];
    }
  }
  if (StoreResult f = store.Flush(); !f.ok() && res.ok()) res.error = f.message;
  if (!history.empty()) {
    const HistoryAppendResult h = AppendOddsHistory(programDir, history);
    if (!h.ok()) res.problems.push_back(ToCp932(h.error));
  }
  return res;
}

std::string TimeSeriesSummary(const std::array<int, 6>& counts) {
  static const char* const kTexts[6] = {"ﾚｰｽ分の単複枠ｵｯｽﾞ、", "ﾚｰｽ分の馬連ｵｯｽﾞ",   "ﾚｰｽ分のﾜｲﾄﾞｵｯｽﾞ",
                                        "ﾚｰｽ分の馬単ｵｯｽﾞ",     "ﾚｰｽ分の3連複ｵｯｽﾞ", "ﾚｰｽ分の3連単ｵｯｽﾞ"};
  std::string s;
  for (size_t t = 0; t < 6; ++t) {
    if (t > 0) s += "\r\n";
    s += std::to_string(counts[t]) + J(kTexts[t]);
  }
  return s + "\r\n" + J("を取りこみました。");
}

}  // namespace kv
