#pragma once
// The accumulated-data import ("ＪＶデータ取込"): brings the race-result family of JV-Data (RA, SE,
// HR and, when chosen, the final odds O1-O6) of every day since a from-date into the day-file
// store, then rebuilds the past-run files of the days that received final results.
//
// The controller holds every rule of the import dialog; the dialog (Qt) and the CLI only render
// what it reports through ImportView and call its commands:
//
//   AccumulatedImport imp(settings, ui, clock, jv);
//   imp.SetView(&view);
//   imp.Open();                       // state from the settings
//   imp.Start();                      // "データ取込": opens JV-Link; reads at once or starts polling
//   while (imp.PollTimerRunning()) {  // the dialog's 10 ms timer calls PollStatus()
//     imp.PollStatus();               // downloads counted; the read loop runs when all are there
//     wait 10 ms;
//   }
//
// A read cycle is JVOpen, JVStatus polled until every file is downloaded, JVRead until 0 or an
// error, JVClose. Every path that opened JV-Link ends with JVClose, the cancel during a download
// included. The read loop lets pending messages run (UiPort::ProcessMessages) before every
// JVRead, so the cancel button works while reading. The store session is flushed whenever
// reading stops (end, error or cancel), so records stored before a stop stay stored.
// "LastTime" is written only after a complete, uncancelled read whose records all reached the
// disk and whose past-run build succeeded: any other import is repeated from the same from-date.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/FolderLock.h"
#include "app/Settings.h"
#include "jvlink/JVLink.h"
#include "app/Ports.h"

namespace kv {

class DayFileStore;

inline constexpr const char* kImportSection = "JvDataGet";
inline constexpr const char* kImportLastTimeKey = "LastTime";
inline constexpr const char* kImportFinalOddsKey = "KakuteiOzGet";
inline constexpr const char* kImportDataSpec = "RACEDIFN";
inline constexpr int kImportFirstUseDays = 731;  // the first import reaches this far back
inline constexpr int kImportPollIntervalMs = 10;

// ---- date texts ------------------------------------------------------------------------------

// "yyyy/mm/dd hh:nn:ss", the form of "LastTime" and of the hidden label.
std::string FormatLastTime(const DateTime& t);
// Reads "yyyy/mm/dd hh:nn:ss" (a real calendar date and time); nullopt for anything else.
std::optional<DateTime> ParseLastTime(std::string_view text);
// "yyyymmddhhnnss", the from-time handed to JVOpen.
std::string FormatJVTime(const DateTime& t);
// Reads JV-Link's 14-digit time stamp; nullopt when blank, "00000000000000" or not a valid
// date and time.
std::optional<DateTime> ParseJVTime(std::string_view text);
// A from-time as a user types it: "yyyymmddhhnnss", "yyyy/mm/dd hh:nn:ss", or a day alone as
// "yyyymmdd", "yyyy-mm-dd" or "yyyy/mm/dd" (midnight of that day); nullopt for anything else.
std::optional<DateTime> ParseFromTime(std::string_view text);
// The moment shifted by whole calendar days (the time of day kept).
DateTime AddDaysTo(const DateTime& t, int days);

// ---- what the dialog shows ------------------------------------------------------------------

enum class ImportBar { Download, Reading, PastRun };

// Told of every change the dialog shows. Texts are CP932.
class ImportView {
 public:
  virtual ~ImportView() = default;
  virtual void StatusLine(const std::string& /*text*/) {}
  virtual void MadeDataLine(const std::string& /*text*/) {}  // "作成データ"
  virtual void Bar(ImportBar /*bar*/, int /*position*/, int /*maximum*/) {}
  virtual void PollTimer(bool /*running*/) {}
  virtual void FormChanged() {}  // data choice, from-date or final-odds box changed
  // The hidden completion label of the past-run build ("過去走データを構築しました。").
  virtual void BuildDoneLine(const std::string& /*text*/) {}
};

class AccumulatedImport {
 public:
  enum class Phase { Idle, Downloading, Reading };
  // How the last import ended.
  enum class Outcome { NotRun, NothingNewer, Completed, Cancelled, Failed };
  struct BarState {
    int position = 0;
    int maximum = 100;
  };

  // The settings are those of the program folder the import stores into (Settings::ProgDir).
  AccumulatedImport(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv);
  ~AccumulatedImport();
  AccumulatedImport(const AccumulatedImport&) = delete;
  AccumulatedImport& operator=(const AccumulatedImport&) = delete;

  void SetView(ImportView* view) { view_ = view; }

  // Opening the dialog: the final-odds box from "KakuteiOzGet"; the from-date from "LastTime",
  // or now minus 731 days with set-up data preselected when there is none.
  void Open();

  // ---- the form ----
  bool SetupData() const { return setupData_; }  // "セットアップデータ" (option 3), else option 1
  void SetSetupData(bool on);
  const DateTime& FromDate() const { return fromDate_; }
  const std::string& FromDateText() const { return fromDateText_; }  // the hidden label
  void SetFromDate(const DateTime& t);
  bool FinalOdds() const { return finalOdds_; }
  // A click on the box: the state is written to "KakuteiOzGet" at once unless remember is off
  // (the CLI's one-off --no-odds).
  void SetFinalOdds(bool on, bool remember = true);

  // ---- commands ----
  // "JV-Link設定".
  void JVLinkSettings();
  // "データ取込". Does nothing while an import is running; refused (Outcome::Failed, the user
  // told) while another command holds the program folder's lock.
  void Start();
  // One tick of the 10 ms status-poll timer; runs the read loop once every file is downloaded.
  void PollStatus();
  // "データ取込中止": asks first; on Yes stops polling and the running read.
  void Cancel();

  // ---- state ----
  Phase GetPhase() const { return phase_; }
  Outcome GetOutcome() const { return outcome_; }
  bool Busy() const { return phase_ != Phase::Idle; }
  bool PollTimerRunning() const { return timer_; }
  bool Cancelled() const { return cancelled_; }
  int ReadCount() const { return readCount_; }
  int DownloadCount() const { return downloadCount_; }
  int FilesRead() const { return filesRead_; }
  int RejectedRecords() const { return rejected_; }
  long long StartDate() const { return startDate_; }
  // Race-file names (day name + ".jvRA") of the days that received an RA record of kind "7",
  // sorted, each once.
  const std::vector<std::string>& FinalResultsDays() const { return finalDays_; }
  const std::string& StatusText() const { return status_; }
  const std::string& MadeDataText() const { return madeData_; }
  const std::string& BuildDoneText() const { return buildDone_; }
  const BarState& GetBar(ImportBar bar) const { return bars_[static_cast<int>(bar)]; }

  // The "作成データ" text for a record the store has just stored in fileName (CP932).
  static std::string MadeDataFor(std::string_view record, std::string_view fileName);

 private:
  void ReadLoop();
  void CloseReadCycle();
  // Stores one record; false when the import must stop (a file error).
  bool StoreRecord(std::string_view record);
  // Writes the store session's files; false when one could not be written (shown).
  bool FlushStore();
  bool BuildPastRuns();
  void Finish(bool complete);
  void LogError(std::string_view message);  // with the lines still pending before it
  void FlushLog();
  void ShowFailure(const std::string& message);
  void WriteSetting(std::string_view key, std::string_view value);

  void SetStatus(std::string text);
  void SetMadeData(std::string text);
  void SetBar(ImportBar bar, int position, int maximum);
  void SetTimer(bool on);

  Settings& settings_;
  UiPort& ui_;
  const Clock& clock_;
  JVLink& jv_;
  fs::path progDir_;
  ImportView* view_ = nullptr;

  bool setupData_ = false;
  DateTime fromDate_;
  std::string fromDateText_;
  bool finalOdds_ = true;

  Phase phase_ = Phase::Idle;
  Outcome outcome_ = Outcome::NotRun;
  bool timer_ = false;
  bool cancelled_ = false;
  bool asking_ = false;  // the cancel question is open
  int readCount_ = 0;
  int downloadCount_ = 0;
  int filesRead_ = 0;
  int rejected_ = 0;
  long long startDate_ = 0;
  std::string lastFileTimestamp_;
  std::vector<std::string> finalDays_;
  std::unique_ptr<DayFileStore> store_;
  FolderLock lock_;  // held from Start until the read cycle is closed
  std::string shownFailure_;  // the file error already shown in this import
  bool logFailed_ = false;
  std::vector<std::string> pendingLog_;  // error-log lines not yet written
  static constexpr size_t kLogBatch = 500;

  std::string status_, madeData_, buildDone_;
  BarState bars_[3];
};

}  // namespace kv
