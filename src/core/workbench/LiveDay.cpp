#include "workbench/LiveDay.h"

#include <algorithm>
#include <system_error>

#include "app/ErrorLog.h"
#include "app/SimulatedClock.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "odds/OddsHistory.h"
#include "odds/OddsLoader.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"
#include "workbench/DayLoader.h"
#include "workbench/Workbench.h"

namespace kv {

namespace {

// Seconds since midnight of "hhmmss" (or "hhmm" read as hhmm00); -1 when blank.
long long SecondsOf(std::string_view t) {
  const std::string_view s = Trim(t);
  if (s.empty()) return -1;
  return FldLong(s, 1, 2) * 3600 + FldLong(s, 3, 2) * 60 + (s.size() >= 6 ? FldLong(s, 5, 2) : 0);
}

long long SecondsOf(const DateTime& t) { return t.hour * 3600LL + t.minute * 60LL + t.second; }

// The open code of a fetch that did not start (no race selected, no day, a fetch running).
constexpr int kNotOpened = 1;

std::string Hhnn(const DateTime& t) { return Fmt("%02d%02d", t.hour, t.minute); }

std::string Yyyymmdd(const DateTime& t) { return Fmt("%04d%02d%02d", t.year, t.month, t.day); }

// "hh:mm" of an "hhmm" field, for event lines.
std::string Colon(std::string_view hhmm) {
  return std::string(Fld(hhmm, 1, 2)) + ":" + std::string(Fld(hhmm, 3, 2));
}

}  // namespace

// --- change application ---------------------------------------------------------------------------

std::string ChangeMarkerThreshold(const fs::path& progDir, std::string_view dayName) {
  const fs::path marker = ChangeFilePath(progDir, std::string(dayName) + ".NEW");
  std::string bytes;
  std::error_code ec;
  if (!fs::is_regular_file(marker, ec) || !ReadFile(marker, bytes)) return {};
  std::vector<std::string> lines;
  size_t p = 0;
  while (p < bytes.size()) {
    size_t e = bytes.find('\n', p);
    if (e == std::string::npos) e = bytes.size();
    std::string line = bytes.substr(p, e - p);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    p = e + 1;
  }
  return lines.size() == 5 ? lines[3] : std::string();
}

ChangeApplication ApplyStartTimeChanges(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                                        std::string_view threshold, int oddsMinutes, int oddsSeconds,
                                        int voteInterval) {
  ChangeApplication res;
  const fs::path changePath = ChangeFilePath(progDir, std::string(dayName) + ".TC");
  const fs::path racePath = DataFilePath(progDir, std::string(dayName) + ".jvRA");
  std::error_code ec;
  if (!fs::exists(changePath, ec) || !fs::exists(racePath, ec)) return res;

  const RecordFile races = RecordFile::Read(racePath, kRecLenRA);
  if (!races.ok()) {
    res.error = races.error();
    return res;
  }
  const RecordFile changes = RecordFile::Read(changePath, kRecLenTC);
  if (!changes.ok()) {
    res.error = changes.error();
    return res;
  }
  std::vector<std::string> lines;
  for (size_t n = 0; n < races.size(); ++n) lines.emplace_back(races.Line(n));

  bool written = false;
  for (size_t n = 0; n < changes.size() && n < static_cast<size_t>(kMaxRaces); ++n) {
    const std::string_view tc = changes.Line(n);
    if (!threshold.empty() && !(Fld(tc, kTC_AnnounceTime) > threshold)) continue;
    const std::string_view post = Fld(tc, kTC_NewPostTime);
    const bool usable = !IsBlank(post) && post != "0000";
    for (size_t i = 0; i < lines.size(); ++i) {
      if (Fld(lines[i], kHdr_Venue) != Fld(tc, kHdr_Venue) || Fld(lines[i], kHdr_RaceNum) != Fld(tc, kHdr_RaceNum))
        continue;
      const int slot = static_cast<int>(i);
      if (usable) {
        if (Fld(lines[i], kRA_PostTime) != post) {
          PutFld(lines[i], kRA_PostTime, post);
          written = true;
          if (slot < kMaxRaces &&
              std::find(res.changedSlots.begin(), res.changedSlots.end(), slot) == res.changedSlots.end())
            res.changedSlots.push_back(slot);
        }
        if (slot < kMaxRaces) {
          std::string ra(day.Race(slot));
          PutFld(ra, kRA_PostTime, post);
          day.RaceRecords.Set(slot, ra);
        }
      }
      if (slot < kMaxRaces && !day.IsRaceSlotEmpty(slot)) {
        const std::string_view slotPost = Fld(day.Race(slot), kRA_PostTime);
        TOutData& out = day.OutData(slot);
        out.OddsGetTime = OddsFetchTime(slotPost, oddsMinutes, oddsSeconds);
        out.VoteTime = VoteFetchTime(slotPost, oddsMinutes, oddsSeconds, voteInterval);
      }
    }
  }
  // The file is written back only when a line changed: the outcome is the same as rewriting it
  // unchanged, and the other writers' sessions are not made to reload it for nothing.
  if (written) {
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    if (const FileResult w = WriteFileAtomic(racePath, bytes); !w) {
      res.error = ToCp932(w.error);
      return res;
    }
  }
  res.applied = true;
  return res;
}

// --- LiveDay ------------------------------------------------------------------------------------

LiveDay::LiveDay(Workbench& wb) : wb_(wb) {}

RealtimeContext LiveDay::Context() const {
  return RealtimeContext{wb_.JV(), wb_.Ui(), wb_.ProgDir(), wb_.GetClock(), cancelled_};
}

std::string LiveDay::NowText() const {
  const DateTime now = wb_.GetClock().Now();
  return Fmt("%02d:%02d:%02d", now.hour, now.minute, now.second);
}

void LiveDay::Event(const std::string& text) const {
  if (events_) events_(NowText() + " " + text);
}

bool LiveDay::LoadedDayIsToday() const {
  const DateTime now = wb_.GetClock().Now();
  return wb_.Day() && !wb_.LoadedDayName().empty() && wb_.LoadedDayName() == DayNameFromDate(Yyyymmdd(now));
}

bool LiveDay::WithinRealtimeHours() const {
  const std::string now = Hhnn(wb_.GetClock().Now());
  return now >= "0900" && now <= "1800";
}

bool LiveDay::AutoOddsDone(int slot) const {
  return slot >= 0 && slot < kMaxRaces && autoOddsDone_[static_cast<size_t>(slot)];
}

OddsFetchResult LiveDay::FetchRaceOdds(int slot, OddsFetchMode mode) {
  RaceDayModel* day = wb_.Day();
  if (!day || slot < 0 || slot >= kMaxRaces) return {};
  const std::string ra(day->Race(slot));
  const std::string key(Fld(ra, kHdr_RaceKey));
  const OddsFetchResult res = kv::FetchRaceOdds(Context(), key, mode);
  // The odds that reached the day's files are kept in the race's odds history as well.
  if (const HistoryAppendResult kept = KeepFetchedOdds(wb_.ProgDir(), res.storedLines, wb_.GetClock().Now());
      !kept.ok()) {
    const std::string message = J("ｵｯｽﾞ推移の記録に失敗しました：") + ToCp932(kept.error);
    wb_.Ui().Status(message);
    (void)AppendErrorLog(ErrorLogPath(wb_.ProgDir()), wb_.GetClock().Now(), message);
  }
  day->OddsRace = slot;
  const OddsLoadResult load = LoadOdds(*day);
  for (const std::string& e : load.errors) {
    wb_.Ui().Status(e);
    (void)AppendErrorLog(ErrorLogPath(wb_.ProgDir()), wb_.GetClock().Now(), e);
  }
  std::string line = J("ｵｯｽﾞ取得 ") + RaceKeyLabel(key) + J("R 発走") + Colon(Fld(ra, kRA_PostTime));
  if (res.ok())
    line += Fmt(" %d", static_cast<int>(res.storedLines.size())) + J("件");
  else
    line += J(" 失敗");
  Event(line);
  return res;
}

void LiveDay::FetchSelectedRaceOdds() {
  RaceDayModel* day = wb_.Day();
  const int index = wb_.SelectedListIndex();
  if (!day || index < 0 || wb_.LoadedDayName().empty()) return;
  const int slot = day->SelectedRace;
  if (ParseLong(Fld(day->Race(slot), kHdr_RaceKey)) <= 0) return;
  FetchRaceOdds(slot, OddsFetchMode::Manual);
  wb_.SelectRace(wb_.SelectedListIndex());
}

void LiveDay::OnOddsTimer() {
  if (Reading()) return;
  const DateTime nowTime = wb_.GetClock().Now();
  const long long now = SecondsOf(nowTime);
  // Every moment after the previous tick up to now counts as met, so a due second that passed
  // while the window was busy (an import, the all-race run, a fetch) still fetches its race.
  long long previous = lastOddsTick_;
  lastOddsTick_ = now;
  if (previous < 0 || previous >= now) previous = now - 1;
  if (!LoadedDayIsToday() || !WithinRealtimeHours()) return;

  RaceDayModel& day = *wb_.Day();
  auto met = [&](std::string_view t) {
    const long long s = SecondsOf(t);
    return s >= 0 && s > previous && s <= now;
  };
  std::vector<int> queue;
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    const size_t i = static_cast<size_t>(r);
    const TOutData& out = day.OutData(r);
    const long long post = SecondsOf(Fld(day.Race(r), kRA_PostTime));
    if (post >= 0 && post <= now) continue;  // the race has started: its odds are of no use now
    if (!autoOddsDone_[i] && (met(out.OddsGetTime) || met(out.VoteTime))) {
      autoOddsDone_[i] = true;
      queue.push_back(r);
    } else if (secondChance_[i] && met(out.VoteTime)) {
      secondChance_[i] = false;
      queue.push_back(r);
    }
  }
  if (queue.empty()) return;
  busy_ = true;
  for (int r : queue) {
    const OddsFetchResult res = FetchRaceOdds(r, OddsFetchMode::Automatic);
    // A failed first fetch is tried once more at the race's second-chance time.
    const size_t i = static_cast<size_t>(r);
    if (!res.ok() && !res.cancelled && !secondChance_[i]) {
      const long long vote = SecondsOf(day.OutData(r).VoteTime);
      secondChance_[i] = vote > now;
    } else {
      secondChance_[i] = false;
    }
  }
  if (wb_.SelectedListIndex() >= 0) wb_.SelectRace(wb_.SelectedListIndex());
  busy_ = false;
}

void LiveDay::SelectNextRace() {
  const RaceDayModel* day = wb_.Day();
  if (!day || wb_.LoadedDayName().empty() || wb_.RaceList().empty()) return;
  const DateTime nowTime = wb_.GetClock().Now();
  if (Fld(day->Race(0), kHdr_Date) != Yyyymmdd(nowTime)) return;
  const std::string now = Hhnn(nowTime);
  const auto& slots = wb_.RaceSlots();
  int best = -1;
  long long smallest = 10000;
  for (size_t i = 0; i < slots.size(); ++i) {
    const std::string_view post = Fld(day->Race(slots[i]), kRA_PostTime);
    if (!(now < post)) continue;
    const long long d = ParseLong(post) - ParseLong(now);
    if (d < smallest) {
      smallest = d;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) wb_.SelectRace(best);
}

std::string LiveDay::RemainTimeText() const {
  const RaceDayModel* day = wb_.Day();
  if (!day || wb_.SelectedListIndex() < 0) return {};
  const std::string_view ra = day->Race(day->SelectedRace);
  const std::string_view date = Fld(ra, kHdr_Date);
  const std::string_view post = Fld(ra, kRA_PostTime);
  if (!IsDigits(date) || !IsDigits(post)) return {};
  DateTime start;
  start.year = FldInt(date, 1, 4);
  start.month = FldInt(date, 5, 2);
  start.day = FldInt(date, 7, 2);
  start.hour = FldInt(post, 1, 2);
  start.minute = FldInt(post, 3, 2);
  if (start.month < 1 || start.month > 12 || start.day < 1 || start.day > 31 || start.hour > 23 || start.minute > 59)
    return {};
  const long long left = EpochMs(start) - EpochMs(wb_.GetClock().Now());
  if (left <= 0) return J("発走済み");
  const long long s = left / 1000;
  return J("発走までの残り時間：") + Fmt("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// --- results and changes ------------------------------------------------------------------------

ResultsFetchResult LiveDay::FetchResults() {
  ResultsFetchResult res;
  res.openCode = kNotOpened;
  RaceDayModel* day = wb_.Day();
  if (!day || wb_.SelectedListIndex() < 0 || wb_.LoadedDayName().empty()) return res;
  if (!resultsEnabled_) return res;  // the fetch is running (a timer fired during its read loop)
  resultsEnabled_ = false;
  wb_.Ui().BusyCursor(true);
  const std::string date(Fld(day->Race(0), kHdr_Date));
  if (ParseLong(date) > 0) {
    res = FetchDayResults(Context(), date);
    wb_.ImportPayouts();
    int payouts = 0;
    for (int r = 0; r < kMaxRaces; ++r) payouts += !day->IsRaceSlotEmpty(r) && !IsBlank(Fld(day->Payout(r), kHdr_Year));
    const std::string outcome = res.openCode == -1 ? J("未発表") : res.ok() ? Fmt("%d", res.stored) + J("件") : J("失敗");
    Event(J("結果情報 ") + outcome + J(" 払戻") +
          Fmt("%d", payouts) + J("ﾚｰｽ"));
  }
  wb_.Ui().BusyCursor(false);
  resultsEnabled_ = true;
  return res;
}

void LiveDay::OnResultsTimer() {
  const RaceDayModel* day = wb_.Day();
  if (!day || !LoadedDayIsToday() || !WithinRealtimeHours()) return;
  const std::string threshold =
      AddMinutes(Fld(day->Race(0), kRA_PostTime), -(wb_.GetSettings().GetInt("Time", "AutoRdataGet") + 30));
  if (Hhnn(wb_.GetClock().Now()) > threshold) FetchResults();
}

void LiveDay::OnChangeInfoTimer() {
  const RaceDayModel* day = wb_.Day();
  if (!day) return;
  const std::string threshold =
      AddMinutes(Fld(day->Race(0), kRA_PostTime), -(wb_.GetSettings().GetInt("Time", "AutoRdataGet") + 60));
  if (Hhnn(wb_.GetClock().Now()) > threshold) {
    silent_ = true;
    FetchChangeInfo();
    silent_ = false;
  }
}

ChangeFetchResult LiveDay::FetchChangeInfo() {
  ChangeFetchResult res;
  res.openCode = kNotOpened;
  RaceDayModel* day = wb_.Day();
  if (!day || wb_.LoadedDayName().empty()) return res;
  const std::string date(Fld(day->Race(0), kHdr_Date));
  if (ParseLong(date) <= 0) return res;
  std::string raceLabel;
  if (wb_.SelectedListIndex() >= 0) raceLabel = RaceKeyLabel(Fld(day->Race(day->SelectedRace), kHdr_RaceKey));
  if (changeRunning_) return res;
  changeRunning_ = true;
  res = kv::FetchChangeInfo(Context(), date, raceLabel, silent_);
  changeRunning_ = false;
  if (!res.ok() && res.openCode != -1) Event(J("変更情報 失敗"));
  ApplyChanges();
  return res;
}

ChangeApplication LiveDay::ApplyChanges() {
  RaceDayModel* day = wb_.Day();
  if (!day || wb_.LoadedDayName().empty()) return {};
  const Settings& s = wb_.GetSettings();
  const ChangeApplication res = ApplyStartTimeChanges(
      *day, wb_.ProgDir(), wb_.LoadedDayName(), ChangeMarkerThreshold(wb_.ProgDir(), wb_.LoadedDayName()),
      s.GetInt("Time", "AutoOzGet"), s.GetInt("Time", "AutoOzGetSec"), s.GetInt("Time", "AutoTohyoInterval"));
  if (!res.error.empty()) {
    wb_.Ui().Status(res.error);
    return res;
  }
  bool selectedChanged = false;
  for (int slot : res.changedSlots) {
    const std::string_view ra = day->Race(slot);
    Event(J("発走時刻変更 ") + RaceKeyLabel(Fld(ra, kHdr_RaceKey)) + J("R 発走") + Colon(Fld(ra, kRA_PostTime)) +
          J(" ｵｯｽﾞ取得") + Colon(day->OutData(slot).OddsGetTime));
    selectedChanged |= wb_.SelectedListIndex() >= 0 && slot == day->SelectedRace;
  }
  // The race on screen shows its post time: show it again when that changed.
  if (selectedChanged) wb_.SelectRace(wb_.SelectedListIndex());
  return res;
}

void LiveDay::OnTodayLoaded() {
  silent_ = true;
  FetchChangeInfo();
  silent_ = false;
}

// --- LiveTimers ---------------------------------------------------------------------------------

bool LiveTimers::Tick() {
  // While the window is disabled the all-race run holds the loaded day (and compares races on a
  // second thread): no timer may change the day under it. Each timer catches up at the first tick
  // after (the odds timer counts every second that passed).
  if (!wb_.WindowEnabled()) return false;
  const long long ms = EpochMs(clock_.Now());
  const long long second = ms / 1000;
  if (resultsFrom_ < 0) resultsFrom_ = ms;
  LiveDay& live = wb_.Live();
  bool oddsRan = false;
  if (second != lastSecond_) {
    lastSecond_ = second;
    live.OnOddsTimer();
    oddsRan = true;
  }
  // While a read cycle is open (this tick came from inside its loop) the other timers wait for
  // the next tick instead of opening a second cycle.
  if (live.Reading()) return oddsRan;
  const long long resultsEvery = std::max(wb_.ResultTimerIntervalMs(), 1000);
  if (ms - resultsFrom_ >= resultsEvery) {
    resultsFrom_ += (ms - resultsFrom_) / resultsEvery * resultsEvery;
    live.OnResultsTimer();
  }
  if (wb_.ChangeInfoTimerEnabled()) {
    if (changesFrom_ < 0) changesFrom_ = ms;
    if (ms - changesFrom_ >= kChangeInfoIntervalMs) {
      changesFrom_ += (ms - changesFrom_) / kChangeInfoIntervalMs * kChangeInfoIntervalMs;
      live.OnChangeInfoTimer();
    }
  }
  return oddsRan;
}

}  // namespace kv
