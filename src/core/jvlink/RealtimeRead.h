#pragma once
// Real-time reads from JV-Link: one race's current odds ("0B30"), the day's results ("0B12")
// and the day's change information ("0B14"). Each is one read cycle — JVRTOpen, JVRead until it
// answers 0, JVClose — with the records stored in the day files by their real-time writer, and
// each reports its failures where the user of a race day looks for them:
//
//   odds     status line and error log ("【エラー】hh:nn:ss：" + the status line's text)
//   results  error log only (a failed results fetch never covers the status line)
//   changes  status line only
//
// The read loops let window messages run between records (timers may fire, the user may press
// Cancel in the import dialog) and stop when the import's cancel flag is up.
//
//   RealtimeContext ctx{jv, ui, progDir, clock};
//   OddsFetchResult r = FetchRaceOdds(ctx, raceKey, OddsFetchMode::Automatic);
//   ... then the race's odds are loaded again from the files (whatever r says) ...
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/Ports.h"
#include "jvlink/JVLink.h"

namespace kv {

// Read buffer sizes handed to JVRead: odds may arrive (O6 is 83,285 bytes), and the smaller
// one for results and change information.
inline constexpr int kOddsReadBuffer = 100000;
inline constexpr int kResultsReadBuffer = 60000;

struct RealtimeContext {
  JVLink& jv;
  UiPort& ui;
  fs::path progDir;  // the store's root and the folder of ErrorLog.txt
  const Clock& clock;  // the time written into error-log lines
  // The import's cancel flag: when it answers true a read loop stops. Empty: never.
  std::function<bool()> cancelled;
};

// The manual fetch (速報ｵｯｽﾞ) and the automatic fetch of the one-second timer tell the user in
// slightly different words.
enum class OddsFetchMode { Manual, Automatic };

struct OddsFetchResult {
  int openCode = 0;   // JVRTOpen's result
  int readCode = 0;   // the JVRead result below -3 that stopped the loop; 0 when none
  int closeCode = 0;  // the first JVClose's result
  bool cancelled = false;
  // The odds records stored, as stored (header bytes zeroed, no CR LF), in arrival order.
  std::vector<std::string> storedLines;
  // CP932: a day file that could not be written (or a malformed record); also in the log.
  std::string failure;
  // The race's odds were read completely and stored.
  bool ok() const { return openCode == 0 && readCode == 0 && closeCode == 0 && !cancelled && failure.empty(); }
};

// The status-line name of a race from its 16-byte race key: the short venue name of characters
// 9-10 and the race number of characters 15-16 with a leading zero shown as a blank ("中山 1").
std::string RaceKeyLabel(std::string_view raceKey);

// Fetches the current odds of the race raceKey (16 bytes: RA positions 12-27) into the day's
// odds files: status line "<race>オッズ取得中" (manual) / "<race>R ｵｯｽﾞ取得中" (automatic),
// JVRTOpen("0B30", key), the odds read loop, JVClose; then the status line is cleared and the
// read cycle closed once more. Every failure is shown on the status line with a beep and appended
// to the error log; the status line is cleared afterwards all the same.
OddsFetchResult FetchRaceOdds(const RealtimeContext& ctx, std::string_view raceKey, OddsFetchMode mode);

struct ResultsFetchResult {
  int openCode = 0;  // JVRTOpen's result (1: the fetch did not start)
  int readCode = 0;
  int closeCode = 0;
  bool cancelled = false;
  int stored = 0;       // records stored (RA, SE, HR)
  std::string failure;  // CP932: a day file that could not be written; also in the log
  bool ok() const { return openCode == 0 && readCode == 0 && closeCode == 0 && !cancelled && failure.empty(); }
};

// Fetches the day's results (date: 8 digits yyyymmdd) into the day files: JVRTOpen("0B12",
// date), the results read loop storing RA and SE into existing files and HR, then JVClose (a
// beep when it succeeded), let messages run, JVClose once more. Failures are beeped and logged
// with their result message, never shown in a box or on the status line. An open answering -1
// (nothing published yet) is no failure.
ResultsFetchResult FetchDayResults(const RealtimeContext& ctx, std::string_view date);

struct ChangeFetchResult {
  int openCode = 0;  // JVRTOpen's result (1: the fetch did not start)
  int readCode = 0;
  int closeCode = 0;
  bool cancelled = false;
  int stored = 0;       // TC records stored
  std::string failure;  // CP932: the change file could not be written
  bool ok() const { return openCode == 0 && readCode == 0 && closeCode == 0 && !cancelled && failure.empty(); }
};

// Fetches the day's change information (date: 8 digits) into "CHG/<day>.TC": status line
// "開催速報データ取得中", JVRTOpen("0B14", date), the change read loop storing TC records, then
// the status line cleared and JVClose (a beep when it succeeded, unless silent). Failures are
// shown on the status line only; a failed fetch leaves its message there. An open answering -1
// (no change announced yet) is no failure. raceLabel names the
// selected race in the open failure ("<race>R:開催速報データ取得エラー：" + message).
ChangeFetchResult FetchChangeInfo(const RealtimeContext& ctx, std::string_view date, std::string_view raceLabel,
                                  bool silent);

}  // namespace kv
