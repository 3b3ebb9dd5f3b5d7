#pragma once
// A race day live: the main window's real-time commands and timers without widgets.
//
//   速報ｵｯｽﾞ          FetchSelectedRaceOdds   the selected race's current odds, then its odds reloaded
//   one-second timer  OnOddsTimer             each race of today fetched once, AutoOzGet minutes and
//                                             AutoOzGetSec seconds before its post time (09:00-18:00)
//   直前ﾚｰｽ           SelectNextRace          the earliest race whose post time is still ahead
//   count-down        RemainTimeText          "発走までの残り時間：hh:nn:ss" / "発走済み"
//   結果情報          FetchResults            the day's results stored, then the payout import
//   results timer     OnResultsTimer          every AutoRdataGet minutes once the first race is near
//   change timer      OnChangeInfoTimer       every five minutes once today's day was loaded
//   変更情報          FetchChangeInfo         start-time changes stored, then applied (ApplyChanges)
//   開催読込          ApplyChanges            new post times into the race file, the model and the
//                                             fetch times
//
// Every timer reads the workbench's Clock. LiveTimers calls the timers at their intervals from
// that clock, so the window, the command line's live run and the tests drive them the same way.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/Ports.h"
#include "jvlink/RealtimeRead.h"
#include "model/RaceDayModel.h"

namespace kv {

class Workbench;

// The threshold of the change marker "CHG/<day>.NEW": its fourth line when the file has exactly
// five lines, else empty (every change is applied).
std::string ChangeMarkerThreshold(const fs::path& progDir, std::string_view dayName);

// What ApplyChanges did.
struct ChangeApplication {
  bool applied = false;  // both files were there and the race file was written
  // Race slots whose post time was changed (new time differs from the one held before).
  std::vector<int> changedSlots;
  std::string error;  // CP932: the race file could not be written or a file is damaged
};

// Applies the start-time changes of "CHG/<dayName>.TC" (at most 36 records, those announced
// after `threshold`, an empty threshold admitting all) to the day's race file and to the model:
// positions 874-877 of each race with the record's venue and race number take the new post time
// (unless blank or "0000"), and the slot's fetch times are computed again from its post time
// with the fetch settings. Nothing happens unless the change file and the race file both exist.
ChangeApplication ApplyStartTimeChanges(RaceDayModel& day, const fs::path& progDir, std::string_view dayName,
                                        std::string_view threshold, int oddsMinutes, int oddsSeconds,
                                        int voteInterval);

class LiveDay {
 public:
  explicit LiveDay(Workbench& wb);

  // --- odds -----------------------------------------------------------------------------------
  // 速報ｵｯｽﾞ: nothing unless a race is selected.
  void FetchSelectedRaceOdds();
  // The current odds of race slot `slot` of the loaded day fetched into the day files, then the
  // slot's odds loaded again from the files (also after a failed fetch). The race list's
  // selection is not refreshed here.
  OddsFetchResult FetchRaceOdds(int slot, OddsFetchMode mode);
  // The one-second timer of the automatic odds fetch.
  void OnOddsTimer();
  // The slot was queued for its automatic fetch (once per program run).
  bool AutoOddsDone(int slot) const;
  // True while the fetch queue is worked off.
  bool OddsQueueBusy() const { return busy_; }
  // Another command fetching race after race (the one-day fetch) holds the busy flag, so the
  // automatic timer does not open a second read cycle inside its read loops.
  void SetOddsQueueBusy(bool busy) { busy_ = busy; }
  // True while any real-time read cycle (odds queue, results, change information) is open: a
  // timer that fires meanwhile (window messages run inside the read loops) waits.
  bool Reading() const { return busy_ || !resultsEnabled_ || changeRunning_; }

  // --- race-day aids --------------------------------------------------------------------------
  // 直前ﾚｰｽ.
  void SelectNextRace();
  // The count-down label's text (CP932); empty with no race selected.
  std::string RemainTimeText() const;

  // --- results and changes --------------------------------------------------------------------
  // 結果情報: nothing unless a race is selected (the result then says nothing was opened).
  ResultsFetchResult FetchResults();
  bool ResultsButtonEnabled() const { return resultsEnabled_; }
  void OnResultsTimer();
  void OnChangeInfoTimer();
  // 変更情報: fetches the change information and applies it.
  ChangeFetchResult FetchChangeInfo();
  // 開催読込.
  ChangeApplication ApplyChanges();
  // The loaded day is today: the change information fetched and applied once, without a beep.
  void OnTodayLoaded();

  // --- surroundings ---------------------------------------------------------------------------
  // The import's cancel flag, consulted by the read loops (default: never set).
  void SetCancelFlag(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }
  // Each thing that happened (a fetch, results, changes applied) as one line (CP932) beginning
  // with the clock's "hh:nn:ss": for the command line's live run and the window's log.
  void SetEventSink(std::function<void(const std::string&)> sink) { events_ = std::move(sink); }

 private:
  RealtimeContext Context() const;
  bool LoadedDayIsToday() const;
  bool WithinRealtimeHours() const;
  void Event(const std::string& text) const;
  std::string NowText() const;

  Workbench& wb_;
  std::array<bool, kMaxRaces> autoOddsDone_{};
  // The first automatic fetch failed: the second-chance time may fetch the race again.
  std::array<bool, kMaxRaces> secondChance_{};
  bool busy_ = false;
  long long lastOddsTick_ = -1;  // seconds since midnight of the previous timer tick (-1: none)
  bool resultsEnabled_ = true;
  bool silent_ = false;
  bool changeRunning_ = false;
  std::function<bool()> cancelled_;
  std::function<void(const std::string&)> events_;
};

// Calls the live timers from the clock: the odds timer once for each new clock second, the
// results timer every Workbench::ResultTimerIntervalMs from the first tick on, and the
// change-information timer every five minutes from the tick that finds it enabled. Call Tick as
// often as the host can (at least once a clock second for the count-down to look right).
class LiveTimers {
 public:
  LiveTimers(Workbench& wb, const Clock& clock) : wb_(wb), clock_(clock) {}
  // Returns true when the odds timer ran (a new clock second began).
  bool Tick();

 private:
  Workbench& wb_;
  const Clock& clock_;
  long long lastSecond_ = -1;
  long long resultsFrom_ = -1;  // ms of the results timer's last firing (or start)
  long long changesFrom_ = -1;  // ms of the change timer's last firing (or enabling)
};

inline constexpr int kChangeInfoIntervalMs = 300000;

}  // namespace kv
