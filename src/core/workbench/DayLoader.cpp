#include "workbench/DayLoader.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>

#include "app/DamagedFiles.h"
#include "app/Settings.h"
#include "compare/AllRaceRun.h"
#include "compare/PastRunCache.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/RecordFile.h"
#include "odds/OddsLoader.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

// Prediction line positions read here: the race date, the date and venue a past-run line is
// matched by, and the point-win-rate rank that marks a run.
constexpr FieldPos kYosDate{1, 8};
constexpr FieldPos kYosRank{yos::kMark, yos::kMarkLen};

// Past-run line positions read here (the rest belongs to the comparison).
constexpr FieldPos kKakDistance{41, 4};
constexpr FieldPos kKakTrack{45, 2};
constexpr FieldPos kKakTurfGoing{53, 1};
constexpr FieldPos kKakDirtGoing{54, 1};
constexpr FieldPos kKakFinal{kak::kFinal, kak::kFinalLen};
constexpr FieldPos kKakPrize{147, 8};
constexpr FieldPos kKakAddedPrize{155, 8};

constexpr int kProgressRaces = 24;  // bar maximum while the races are read
constexpr int kProgressPastRuns = 35;

const std::string& IncompleteMessage() {
  static const std::string s = J("のデータ作成は未完了です。少し時間をおいてデータを再取得してください。");
  return s;
}

// The categories of PlaceCounts a past run counts in besides category 0.
void CountPlace(TRaceAnalysis& a, int k, std::string_view line, int slot) {
  a.PlaceCounts[0][k][slot] += 1;
  const int track = FldInt(line, kKakTrack);
  const int going = FldInt(line, kKakTurfGoing) + FldInt(line, kKakDirtGoing);
  const bool heavy = going == 3 || going == 4;
  if (track >= 10 && track <= 22) {
    if (heavy) a.PlaceCounts[1][k][slot] += 1;
    a.PlaceCounts[2][k][slot] += 1;
  } else if (track >= 23 && track <= 29) {
    if (heavy) a.PlaceCounts[3][k][slot] += 1;
    a.PlaceCounts[4][k][slot] += 1;
  }
  const int distance = FldInt(line, kKakDistance);
  if (distance >= 1 && distance <= 1600)
    a.PlaceCounts[5][k][slot] += 1;
  else if (distance >= 1601 && distance <= 2200)
    a.PlaceCounts[6][k][slot] += 1;
  else if (distance >= 2201)
    a.PlaceCounts[7][k][slot] += 1;
}

// The marks of a horse's prediction file, read once: for each date-and-venue key, the rank of
// the in-window line nearest the end among the file's first 100 lines (the line a search from
// the end would stop at).
class PredictionMarks {
 public:
  void Read(const RecordFile& file, const PastRunWindow& window) {
    ReadLines(file.size(), [&](size_t i) { return file.Line(i); }, window);
  }
  void Read(const std::vector<std::string_view>& lines, const PastRunWindow& window) {
    ReadLines(lines.size(), [&](size_t i) { return lines[i]; }, window);
  }
  template <class LineAt>
  void ReadLines(size_t count, LineAt&& lineAt, const PastRunWindow& window) {
    marks_.clear();
    const size_t m = std::min<size_t>(count, kMaxPastRuns);
    for (size_t i = m; i-- > 0;) {
      std::string_view line = lineAt(i);
      if (!window.Contains(FldInt(line, kYosDate))) continue;
      marks_.push_back({line.substr(yos::kMatch - 1, yos::kMatchLen), i, FldInt(line, kYosRank)});
    }
    // By key; of the lines with the same key the first one met (the one nearest the end) stays.
    std::sort(marks_.begin(), marks_.end(),
              [](const Mark& a, const Mark& b) { return a.key != b.key ? a.key < b.key : a.line > b.line; });
    marks_.erase(std::unique(marks_.begin(), marks_.end(), [](const Mark& a, const Mark& b) { return a.key == b.key; }),
                 marks_.end());
  }
  // The rank of the line matching the past run, or 0 when there is none.
  int RankFor(std::string_view pastRun) const {
    const std::string_view key = pastRun.substr(yos::kMatch - 1, yos::kMatchLen);
    auto it = std::lower_bound(marks_.begin(), marks_.end(), key, [](const Mark& m, std::string_view k) { return m.key < k; });
    return it != marks_.end() && it->key == key ? it->rank : 0;
  }

 private:
  struct Mark {
    std::string_view key;  // a view into the lines being read
    size_t line;
    int rank;
  };
  std::vector<Mark> marks_;  // sorted by key, one per key: a few dozen at most, no node per line
};

// The day's open entry files by venue, each read once per load.
class EntryFiles {
 public:
  EntryFiles(const fs::path& progDir, std::string raceFileName)
      : progDir_(progDir), raceFileName_(std::move(raceFileName)) {}
  const RecordFile& Of(std::string_view venueCode) {
    const std::string name = EntryFileName(raceFileName_, venueCode);
    auto it = files_.find(name);
    if (it == files_.end()) it = files_.emplace(name, RecordFile::ReadType(DataFilePath(progDir_, name), "SE")).first;
    return it->second;
  }

 private:
  fs::path progDir_;
  std::string raceFileName_;
  std::map<std::string, RecordFile> files_;
};

std::string Windowed(int yyyymmdd) {
  return Fmt("%04d/%02d/%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

// Past runs and their statistics for runner k of race r.
void LoadRunnerPastRuns(RaceDayModel& day, int r, int k, const PastRunWindow& window, std::vector<std::string>& problems,
                        UiPort& ui, PastRunCache& pastRuns, const PredictionBatch* batch) {
  TRaceAnalysis& a = day.RaceAnalysis(r);
  a.PrizeTotal[k] = 0;
  for (auto& category : a.PlaceCounts)
    for (int& c : category[k]) c = 0;
  a.BetrayalRate[k] = -1.0;
  int hits = 0, misses = 0;

  const std::string_view id = Fld(day.Entry(r, k), kSE_HorseId);
  if (const RecordFile* kakFile = pastRuns.File(id)) {  // null for an ID that is not ten digits
    const RecordFile& kak = *kakFile;
    // Told once per problem: a year folder that cannot be read stands for every horse born then.
    if (!kak.ok() && !kak.missing() && std::find(problems.begin(), problems.end(), kak.error()) == problems.end()) {
      problems.push_back(kak.error());
      ui.Status(kak.error());
    }
    if (kak.ok()) {
      thread_local std::vector<std::string_view> batchLines;
      const bool pending = batch && batch->Lines(id, batchLines);
      static const RecordFile kNone;
      const RecordFile& predictions = pending ? kNone : *pastRuns.PredictionFile(id);
      if (!pending) {
        if (!predictions.ok() && !predictions.missing()) {
          problems.push_back(predictions.error());
          ui.Status(predictions.error());
        }
      }
      thread_local PredictionMarks marks;  // its list is kept from runner to runner
      if (pending)
        marks.Read(batchLines, window);
      else if (predictions.ok())
        marks.Read(predictions, window);
      const bool marked = pending || predictions.ok();

      long long prize = 0;
      int j = 0;
      const size_t n = std::min<size_t>(kak.size(), kMaxPastRuns);
      for (size_t i = n; i-- > 0;) {
        std::string_view rec = kak.Record(i);
        if (window.Contains(PastRunDate(rec))) {
          prize += FldLong(rec, kKakPrize) + FldLong(rec, kKakAddedPrize);
          const int place = FldInt(rec, kKakFinal);
          if (place >= 1) CountPlace(a, k, rec, std::min(place, 4) - 1);
          day.PastRuns.Set(RaceDayModel::PastRunIndex(r, k, j), rec);
          if (marked) {
            const int rank = marks.RankFor(rec);
            if (rank == 1 || rank == 2) {
              const bool conformed = place >= 1 && place <= 3;
              (conformed ? hits : misses) += 1;
              day.PastRunMark(r, k, j) = conformed ? 1 : 2;
            }
          }
          ++j;
        }
        a.PrizeTotal[k] = static_cast<int>(std::clamp<long long>(prize, INT_MIN, INT_MAX));
      }
    }
  }
  a.Conformed[k] = hits;
  a.Betrayed[k] = misses;
  if (hits + misses >= 1) a.BetrayalRate[k] = static_cast<double>(misses) / (hits + misses);
}

}  // namespace

DayLoadOptions DayLoadOptions::From(const Settings& s) {
  DayLoadOptions o;
  o.dataSpanDays = s.GetInt("DataSpan", "period");
  o.ignorePastRunDates = s.GetBool("ReadKako", "IgnoDate");
  o.oddsFetchMinutes = s.GetInt("Time", "AutoOzGet");
  o.oddsFetchSeconds = s.GetInt("Time", "AutoOzGetSec");
  o.voteIntervalSeconds = s.GetInt("Time", "AutoTohyoInterval");
  o.defaultStake = s.GetInt("KaimeSet", "DefaultAmount");
  return o;
}

std::string RaceListItem(std::string_view ra) {
  return VenueName(Fld(ra, kHdr_Venue)) + Fmt("%2dR", FldInt(ra, kHdr_RaceNum));
}

std::string DayNameFromInput(std::string_view text) {
  // Only a real calendar date names a day: the name becomes part of file paths, so "../" or
  // any other text must never pass.
  if (IsCalendarDate(text)) return DayNameFromDate(text);
  if (text.size() == 14) {
    const std::string date = std::string(text.substr(0, 4)) + std::string(text.substr(6, 2)) + std::string(text.substr(10, 2));
    if (IsCalendarDate(date) && DayNameFromDate(date) == text) return std::string(text);
  }
  return {};
}

PastRunWindow MakePastRunWindow(int raceDate, int spanDays, bool ignoreDates) {
  PastRunWindow w;
  w.raceDate = raceDate;
  w.ignoreDates = ignoreDates;
  const std::string start = AddDays(Windowed(raceDate), -spanDays);
  w.windowStart = start.empty() ? 0 : ParseInt(start.substr(0, 4) + start.substr(5, 2) + start.substr(8, 2));
  return w;
}

std::string OddsFetchTime(std::string_view postTime, int minutes, int seconds) {
  if (IsBlank(postTime)) return {};
  return AddSeconds(std::string(postTime) + "00", -(minutes * 60) - seconds);
}

std::string VoteFetchTime(std::string_view postTime, int minutes, int seconds, int voteInterval) {
  if (IsBlank(postTime)) return {};
  return AddSeconds(std::string(postTime) + "00", -(minutes * 60) + voteInterval - seconds);
}

DayLoadResult LoadRaceDay(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                          const DayLoadOptions& options, UiPort& ui) {
  PastRunCache pastRuns(progDir);
  return LoadRaceDay(day, progDir, dayName, options, ui, pastRuns, nullptr);
}

DayLoadResult LoadRaceDay(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                          const DayLoadOptions& options, UiPort& ui, PastRunCache& pastRuns,
                          const PredictionBatch* predictions) {
  DayLoadResult result;
  day.Reset();
  day.ProgDir = progDir;
  const std::string raceFileName = std::string(dayName) + ".jvRA";
  day.DayFilePath = DataFilePath(progDir, raceFileName);
  const std::string shownDay = CutBytes(raceFileName, 14);

  std::error_code ec;
  if (!fs::exists(day.DayFilePath, ec)) {
    ui.Info(shownDay + J("のデータ作成は未完了のようです。"));
    return result;
  }

  ui.ProgressShow(J("レースデータを読み込んでいます。"));
  ui.ProgressDetail(std::string(dayName));
  ui.ProgressBar(0, kProgressRaces);
  ui.ProcessMessages();

  day.ClearRecords();

  // Races and their runners.
  const RecordFile raceFile = RecordFile::ReadType(day.DayFilePath, "RA");
  auto stop = [&](const std::string& message) {
    ui.ProgressHide();
    ui.Info(IsDamagedFileMessage(message) ? message + DamagedFileAdvice(dayName) : message);
    return result;
  };
  if (!raceFile.ok()) return stop(raceFile.error());
  // An empty race file is no empty day: the file was cut (a full disk, a crash) and is damaged.
  if (raceFile.size() == 0)
    return stop(J("ファイルが壊れています：") + PathForMessage(day.DayFilePath) + J("（レコードがありません）"));
  // Where the load stopped or what it left out: the file and its line.
  auto at = [](const RecordFile& f, size_t n) {
    return J("（") + PathForMessage(f.path()) + J("の") + Fmt("%zu", n + 1) + J("件目）");
  };
  EntryFiles entries(progDir, raceFileName);
  day.RaceCount = 0;
  for (size_t n = 0; n < raceFile.size() && day.RaceCount < kMaxRaces; ++n) {
    const int r = day.RaceCount;
    const std::string_view rec = raceFile.Record(n);
    const int raceNum = FldInt(rec, kHdr_RaceNum);
    if (!IsDigits(Fld(rec, kHdr_RaceNum)) || raceNum < 1 || raceNum > 12 || !IsDigits(Fld(rec, kRA_Entered)) ||
        FldInt(rec, kRA_Entered) > kMaxRunners) {
      // A record no import stores (race outside 1-12, more than 18 runners): the rest of the day is
      // still good, so only this race is left out.
      const std::string message = J("レース番号か登録頭数が不正なレコードを読み飛ばしました") + at(raceFile, n);
      result.problems.push_back(message);
      ui.Warning(message);
      continue;
    }
    day.RaceRecords.Set(r, rec);
    const std::string_view ra = day.Race(r);
    const RecordFile& se = entries.Of(Fld(ra, kHdr_Venue));
    if (se.missing())
      return stop(shownDay + IncompleteMessage() + J("（") + PathForMessage(se.path()) + J("がありません）"));
    if (!se.ok()) return stop(se.error());
    const int base = (raceNum - 1) * kMaxRunners;
    const int runners = day.RunnerCount(r);
    for (int k = 0; k < runners; ++k) {
      const long long idx = static_cast<long long>(base) + k;
      if (idx < 0 || idx >= static_cast<long long>(se.size()))
        return stop(shownDay + IncompleteMessage() + at(se, static_cast<size_t>(std::max(idx, 0LL))));
      day.EntryRecords.Set(RaceDayModel::EntryIndex(r, k), se.Record(static_cast<size_t>(idx)));
      if (FldInt(day.Entry(r, k), kSE_Frame) < 1)
        return stop(shownDay + IncompleteMessage() + at(se, static_cast<size_t>(idx)));
    }
    day.RaceCount = r + 1;
    ui.ProgressBar(day.RaceCount, kProgressRaces);
  }

  // The runners' files are read on a second thread while payouts and odds are placed.
  ReadAheadRunners(pastRuns, day, predictions);

  // Payouts, placed by race key (date, venue, race number).
  const RecordFile hr = RecordFile::Read(DataFilePath(progDir, SiblingFileName(raceFileName, "HR")), kRecLenHR);
  if (!hr.ok() && !hr.missing()) {
    result.problems.push_back(hr.error());
    ui.Warning(IsDamagedFileMessage(hr.error()) ? hr.error() + DamagedFileAdvice(dayName) : hr.error());
  }
  auto payoutKey = [](std::string_view rec) {
    return std::string(Fld(rec, 12, 8)) + std::string(Fld(rec, kHdr_Venue)) + std::string(Fld(rec, kHdr_RaceNum));
  };
  for (size_t n = 0; n < hr.size() && n < static_cast<size_t>(kMaxRaces); ++n) {
    const std::string key = payoutKey(hr.Record(n));
    if (IsBlank(key)) continue;
    for (int r = 0; r < kMaxRaces; ++r) {
      if (payoutKey(day.Race(r)) == key) {
        day.PayoutRecords.Set(r, hr.Record(n));
        break;
      }
    }
  }

  // The race list.
  for (int r = 0; r < kMaxRaces; ++r) {
    ui.ProgressBar(std::min(r + 1, kProgressRaces), kProgressRaces);
    if (day.IsRaceSlotEmpty(r)) continue;
    result.raceList.push_back(RaceListItem(day.Race(r)));
    result.raceSlots.push_back(r);
  }

  // Odds of every race slot. A damaged odds file is told once, however many slots meet it.
  ui.ProgressBar(0, kProgressRaces);
  {
    DayOddsFiles oddsFiles(day.DayFilePath);
    for (int r = 0; r < kMaxRaces; ++r) {
      day.OddsRace = r;
      const OddsLoadResult odds = LoadOdds(day, oddsFiles);
      for (const std::string& e : odds.errors) {
        if (std::find(result.problems.begin(), result.problems.end(), e) != result.problems.end()) continue;
        result.problems.push_back(e);
        ui.Warning(e);
      }
    }
  }

  // Payout fields and result texts.
  for (int r = 0; r < kMaxRaces; ++r)
    if (!day.IsRaceSlotEmpty(r)) day.ReadPayoutsAndResults(r);

  // Past runs inside the data window, their statistics and conformity marks.
  ui.ProgressBar(0, kProgressPastRuns);
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    const std::string_view ra = day.Race(r);
    const PastRunWindow window = MakePastRunWindow(RaceDate(ra), options.dataSpanDays, options.ignorePastRunDates);
    const std::string venue = VenueName(Fld(ra, kHdr_Venue));
    const std::string raceNo = RightAlignNum(Fld(ra, kHdr_RaceNum));
    static const std::string kR = "R/";
    const int runners = day.RunnerCount(r);
    for (int k = 0; k < runners; ++k) {
      const std::string_view se = day.Entry(r, k);
      ui.ProgressDetail(venue + raceNo + kR + CircledNum(Fld(se, kSE_HorseNum)) + CutBytes(Fld(se, kSE_HorseName), 18));
      ui.ProgressBar(r, kProgressPastRuns);
      ui.ProcessMessages();
      LoadRunnerPastRuns(day, r, k, window, result.problems, ui, pastRuns, predictions);
    }
  }
  // Comparison results of an earlier day never show on this one.
  ResetComparisons(day);
  ui.ProgressHide();

  // Fetch times and stakes.
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    const std::string_view post = Fld(day.Race(r), kRA_PostTime);
    TOutData& out = day.OutData(r);
    out.OddsGetTime = OddsFetchTime(post, options.oddsFetchMinutes, options.oddsFetchSeconds);
    out.VoteTime = VoteFetchTime(post, options.oddsFetchMinutes, options.oddsFetchSeconds, options.voteIntervalSeconds);
  }
  day.SetAllStakes(options.defaultStake);

  result.loaded = true;
  return result;
}

DayLoadResult LoadRaceDay(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui) {
  return LoadRaceDay(day, settings.ProgDir(), dayName, DayLoadOptions::From(settings), ui);
}

LoadedDayRun LoadAndRunAllRaces(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui,
                                const std::function<bool(const DayLoadResult&)>& proceed, AllRaceRecord record,
                                PredictionBatch* predictions, PastRunCache* keptPastRuns) {
  LoadedDayRun res;
  // Each file is read once for the load and the comparisons, and with a cache kept over many
  // days once for all of them; only a run whose writes wait in its batch may keep one (a day's
  // prediction files are otherwise rewritten under the cache).
  std::optional<PastRunCache> own;
  const bool keep = keptPastRuns && (predictions || record == AllRaceRecord::InMemory);
  if (keep) {
    keptPastRuns->NextDay();
    // A batch with no day in it was just made or written: prediction files kept since are old.
    if (predictions && predictions->days() == 0) keptPastRuns->ForgetPredictionFiles();
  }
  PastRunCache& pastRuns = keep ? *keptPastRuns : own.emplace(settings.ProgDir());
  res.load = LoadRaceDay(day, settings.ProgDir(), dayName, DayLoadOptions::From(settings), ui, pastRuns, predictions);
  if (!res.load.loaded || (proceed && !proceed(res.load))) return res;
  res.run = RunAllRaces(day, settings, ui, {}, record, AllRaceRunShared{&pastRuns, predictions});
  return res;
}

bool CompareAfterLoad(const Settings& settings) {
  return settings.GetBool(kCompareAfterLoadSection, kCompareAfterLoadKey);
}

LoadedDayRun LoadDayAsWorkbench(RaceDayModel& day, std::string_view dayName, const Settings& settings, UiPort& ui) {
  LoadedDayRun res;
  PastRunCache pastRuns(settings.ProgDir());  // read once for the load and the comparisons
  res.load = LoadRaceDay(day, settings.ProgDir(), dayName, DayLoadOptions::From(settings), ui, pastRuns, nullptr);
  if (res.load.loaded && CompareAfterLoad(settings))
    res.run = RunAllRaces(day, settings, ui, {}, AllRaceRecord::Write, AllRaceRunShared{&pastRuns, nullptr});
  return res;
}

}  // namespace kv
