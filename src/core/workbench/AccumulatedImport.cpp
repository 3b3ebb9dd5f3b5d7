#include "workbench/AccumulatedImport.h"

#include <algorithm>
#include <chrono>

#include "compare/PastRunBuilder.h"
#include "jvlink/DayFileStore.h"
#include "app/DamagedFiles.h"
#include "app/ErrorLog.h"
#include "jvlink/ResultMessage.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

// ---- date texts ------------------------------------------------------------------------------

namespace {

bool ValidDateTime(const DateTime& t) {
  using namespace std::chrono;
  if (t.year < 1 || t.year > 9999) return false;
  const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)}, day{static_cast<unsigned>(t.day)}};
  return t.month >= 1 && t.day >= 1 && ymd.ok() && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
         t.second >= 0 && t.second < 60;
}

bool Digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Reads a field of digits only; -1 for anything else.
int DigitsAt(std::string_view s, size_t pos, size_t len) {
  std::string_view f = s.substr(pos, len);
  return Digits(f) ? ParseInt(f) : -1;
}

}  // namespace

std::string FormatLastTime(const DateTime& t) {
  return Fmt("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::optional<DateTime> ParseLastTime(std::string_view text) {
  text = Trim(text);
  if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  DateTime t{DigitsAt(text, 0, 4),  DigitsAt(text, 5, 2),  DigitsAt(text, 8, 2),
             DigitsAt(text, 11, 2), DigitsAt(text, 14, 2), DigitsAt(text, 17, 2), 0};
  if (!ValidDateTime(t)) return std::nullopt;
  return t;
}

std::string FormatJVTime(const DateTime& t) {
  return Fmt("%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::optional<DateTime> ParseJVTime(std::string_view text) {
  text = Trim(text);
  if (text.size() != 14 || !Digits(text) || text == "00000000000000") return std::nullopt;
  DateTime t{DigitsAt(text, 0, 4),  DigitsAt(text, 4, 2),  DigitsAt(text, 6, 2),
             DigitsAt(text, 8, 2),  DigitsAt(text, 10, 2), DigitsAt(text, 12, 2), 0};
  if (!ValidDateTime(t)) return std::nullopt;
  return t;
}

std::optional<DateTime> ParseFromTime(std::string_view text) {
  text = Trim(text);
  if (text.size() == 19) return ParseLastTime(text);
  if (text.size() == 14) return ParseJVTime(text);
  DateTime t{};
  if (text.size() == 8 && Digits(text)) {
    t = DateTime{DigitsAt(text, 0, 4), DigitsAt(text, 4, 2), DigitsAt(text, 6, 2), 0, 0, 0, 0};
  } else if (text.size() == 10 && text[4] == text[7] && (text[4] == '-' || text[4] == '/')) {
    t = DateTime{DigitsAt(text, 0, 4), DigitsAt(text, 5, 2), DigitsAt(text, 8, 2), 0, 0, 0, 0};
  } else {
    return std::nullopt;
  }
  if (!ValidDateTime(t)) return std::nullopt;
  return t;
}

DateTime AddDaysTo(const DateTime& t, int days) {
  using namespace std::chrono;
  const sys_days d = sys_days{year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                                             day{static_cast<unsigned>(t.day)}}} +
                     std::chrono::days{days};
  const year_month_day ymd{d};
  DateTime r = t;
  r.year = static_cast<int>(ymd.year());
  r.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  r.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  return r;
}

// ---- the controller ----------------------------------------------------------------------------

AccumulatedImport::AccumulatedImport(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv)
    : settings_(settings), ui_(ui), clock_(clock), jv_(jv), progDir_(settings.ProgDir()) {
  fromDate_ = clock_.Now();
  fromDate_.msec = 0;
  fromDateText_ = FormatLastTime(fromDate_);
}

AccumulatedImport::~AccumulatedImport() = default;

void AccumulatedImport::Open() {
  finalOdds_ = settings_.GetBool(kImportSection, kImportFinalOddsKey);
  // A "LastTime" that is not a readable date counts as none: the import then starts afresh.
  const std::optional<DateTime> last = ParseLastTime(settings_.GetText(kImportSection, kImportLastTimeKey));
  setupData_ = !last.has_value();
  DateTime from = last ? *last : AddDaysTo(clock_.Now(), -kImportFirstUseDays);
  from.msec = 0;
  fromDate_ = from;
  fromDateText_ = FormatLastTime(fromDate_);
  if (view_) view_->FormChanged();
}

void AccumulatedImport::SetSetupData(bool on) {
  setupData_ = on;
  if (view_) view_->FormChanged();
}

void AccumulatedImport::SetFromDate(const DateTime& t) {
  fromDate_ = t;
  fromDate_.msec = 0;
  fromDateText_ = FormatLastTime(fromDate_);
  if (view_) view_->FormChanged();
}

void AccumulatedImport::SetFinalOdds(bool on, bool remember) {
  finalOdds_ = on;
  if (remember) WriteSetting(kImportFinalOddsKey, on ? "1" : "0");
  if (view_) view_->FormChanged();
}

void AccumulatedImport::WriteSetting(std::string_view key, std::string_view value) {
  FileResult r = key == kImportFinalOddsKey ? settings_.WriteBool(kImportSection, key, value == "1")
                                            : settings_.WriteText(kImportSection, key, value);
  if (!r) ui_.Warning(ToCp932(r.error));
}

void AccumulatedImport::JVLinkSettings() {
  const int code = jv_.JVSetUIProperties();
  if (code != 0) ui_.Info(J("JVSetUIPropertiesエラー：") + JVResultMessage("JVSetUIProperties", code));
}

void AccumulatedImport::Start() {
  if (Busy()) return;
  // Another import (or analysis) writing this program folder: this one does not start.
  lock_ = FolderLock::TryLock(progDir_);
  if (!lock_.Held()) {
    outcome_ = Outcome::Failed;
    const std::string why = lock_.Message();
    SetStatus(why);
    ui_.Info(why);
    return;
  }
  const DateTime& f = fromDate_;
  ui_.Info(Fmt("%04d", f.year) + J("年") + Fmt("%02d", f.month) + J("月") + Fmt("%02d", f.day) + J("日") +
           Fmt("%02d", f.hour) + J("時") + Fmt("%02d", f.minute) + J("分") + Fmt("%02d", f.second) + J("秒") +
           J("以降のデータ取込を開始します。データ作成が終了するまで本ソフトを操作したり他のアプリケーションを操作する"
             "ことは極力避けてください。"));

  SetTimer(false);
  cancelled_ = false;
  SetBar(ImportBar::Download, 0, GetBar(ImportBar::Download).maximum);
  SetBar(ImportBar::Reading, 0, GetBar(ImportBar::Reading).maximum);
  finalDays_.clear();
  filesRead_ = 0;
  rejected_ = 0;
  readCount_ = downloadCount_ = 0;
  outcome_ = Outcome::Failed;  // until it is known to have ended otherwise
  shownFailure_.clear();
  logFailed_ = false;

  const std::string fromTime = FormatJVTime(fromDate_);
  startDate_ = ParseLong(std::string_view(fromTime).substr(0, 8));
  const int option = setupData_ ? 3 : 1;

  ui_.BusyCursor(true);
  lastFileTimestamp_.clear();
  phase_ = Phase::Reading;  // opened: no second start until the cycle is closed
  const JVOpenResult open = jv_.JVOpen(kImportDataSpec, fromTime, option);
  readCount_ = open.readCount;
  downloadCount_ = open.downloadCount;
  lastFileTimestamp_ = open.lastFileTimestamp;

  static const std::string kNothingNewer = J("最新のデータがありません。");
  if (open.code == -1) {
    outcome_ = Outcome::NothingNewer;
    ui_.Info(kNothingNewer);
    CloseReadCycle();
    return;
  }
  if (open.code != 0) {
    ui_.Info(J("JVOpenエラー:") + JVResultMessage("JVOpen", open.code));
    CloseReadCycle();
    return;
  }
  if (readCount_ <= 0) {
    outcome_ = Outcome::NothingNewer;
    ui_.Info(kNothingNewer);
    CloseReadCycle();
    return;
  }
  SetStatus(J("JVOpen正常:") + JVResultMessage("JVOpen", open.code));
  SetStatus(Fmt("ReadCount:%d, DownloadCount:%d", readCount_, downloadCount_));
  if (downloadCount_ > 0) {
    SetStatus(J("ダウンロード中・・・"));
    SetBar(ImportBar::Download, GetBar(ImportBar::Download).position, downloadCount_);
    phase_ = Phase::Downloading;
    SetTimer(true);
  } else {
    SetBar(ImportBar::Download, 100, 100);
    ReadLoop();
    CloseReadCycle();
  }
}

void AccumulatedImport::PollStatus() {
  // The cancel question may let the timer fire while it waits for an answer: the download is
  // neither counted nor read until the user has answered.
  if (!timer_ || phase_ != Phase::Downloading || asking_) return;
  const int n = jv_.JVStatus();
  if (n < 0) {
    ui_.Info(J("JVStatusエラー:") + JVResultMessage("JVStatus", n));
    SetTimer(false);
    CloseReadCycle();
    return;
  }
  const std::string line = J("ダウンロード中．．．(") + Fmt("%d/%d", n, downloadCount_) + ")";
  if (n < downloadCount_) {
    SetStatus(line);
    SetBar(ImportBar::Download, n, downloadCount_);
    return;
  }
  // Every file is there (a count beyond the announced one is taken as complete as well).
  SetTimer(false);
  SetStatus(line);
  SetBar(ImportBar::Download, std::min(n, downloadCount_), downloadCount_);
  ReadLoop();
  CloseReadCycle();
}

void AccumulatedImport::Cancel() {
  asking_ = true;
  const bool yes = ui_.AskYesNo(J("データ取込を中止します。実行しますか？"));
  asking_ = false;
  if (!yes) return;
  // Decided after the answer: the import may have ended while the question was open.
  const bool downloading = phase_ == Phase::Downloading;
  SetTimer(false);
  jv_.JVCancel();
  cancelled_ = true;
  if (Busy()) outcome_ = Outcome::Cancelled;
  static const std::string kCancelled = J("JVCancel:キャンセルされました");
  ui_.Info(kCancelled);
  SetStatus(kCancelled);
  // A read in progress stops at its next turn and closes the cycle itself; a download has no
  // loop to do it, so the cycle is closed here (JV-Link otherwise stays open and refuses the
  // next JVOpen).
  if (downloading) CloseReadCycle();
}

void AccumulatedImport::ReadLoop() {
  phase_ = Phase::Reading;
  SetStatus(J("データ読込み中．．．(0/") + Fmt("%d", readCount_) + ")");
  SetBar(ImportBar::Reading, 0, readCount_);
  store_ = std::make_unique<DayFileStore>(progDir_);

  bool complete = false;
  int recordInFile = 0;  // records of the current file read so far
  for (;;) {
    ui_.ProcessMessages();
    if (cancelled_) break;
    const JVReadResult r = jv_.JVRead(kReadBufferOdds);
    if (r.code > 0) {
      ++recordInFile;
      if (!StoreRecord(r.record)) break;
    } else if (r.code == -1) {
      recordInFile = 0;
      ++filesRead_;
      SetBar(ImportBar::Reading, filesRead_, readCount_);
      SetStatus(J("データ読込み中．．．(") + Fmt("%d/%d", filesRead_, readCount_) + ")");
    } else if (r.code == 0) {
      complete = true;
      break;
    } else if (r.code < -3) {
      // Where the read stopped, so that the record can be found (the next import stops there again).
      std::string where;
      if (!r.fileName.empty())
        where = J("（") + r.fileName + J("の") + Fmt("%d", recordInFile + 1) + J("件目のレコード）");
      const std::string message = J("JVReadエラー:") + JVResultMessage("JVRead", r.code) + where;
      LogError(message);
      ui_.Info(message);
      break;
    }
    // -2 and -3: call again.
  }
  // Whatever stopped the loop, what was stored so far goes to disk.
  FlushLog();
  const bool flushed = FlushStore();
  store_.reset();
  if (complete) Finish(flushed);
}

void AccumulatedImport::Finish(bool flushed) {
  SetStatus(J("データ読込み完了(") + Fmt("%d/%d", filesRead_, readCount_) + ")");
  SetBar(ImportBar::Download, 0, GetBar(ImportBar::Download).maximum);
  SetBar(ImportBar::Reading, 0, GetBar(ImportBar::Reading).maximum);
  // Records that did not reach the disk: no build from half the data, and the next import
  // starts from the same from-date.
  if (!flushed) return;
  if (!BuildPastRuns()) {
    SetBar(ImportBar::PastRun, 0, GetBar(ImportBar::PastRun).maximum);
    return;
  }
  if (const std::optional<DateTime> t = ParseJVTime(lastFileTimestamp_); t && !cancelled_) {
    SetFromDate(*t);
    WriteSetting(kImportLastTimeKey, fromDateText_);
  }
  SetBar(ImportBar::PastRun, 0, GetBar(ImportBar::PastRun).maximum);
  SetStatus(J("データ作成が完了しました。"));
  if (!cancelled_) outcome_ = Outcome::Completed;
  if (rejected_ > 0)
    ui_.Warning(J("取込めないレコードが") + Fmt("%d", rejected_) + J("件ありました。理由は") + kErrorLogFileName +
                J("に記録しました。"));
}

bool AccumulatedImport::StoreRecord(std::string_view record) {
  const StoreResult s = store_->Store(StoreWriter::Import, record, {startDate_, finalOdds_});
  switch (s.outcome) {
    case StoreOutcome::Stored:
      SetMadeData(MadeDataFor(record, s.fileName));
      if (Fld(record, kHdr_RecordType) == "RA" && Fld(record, kHdr_DataKind) == "7") {
        auto it = std::lower_bound(finalDays_.begin(), finalDays_.end(), s.fileName);
        if (it == finalDays_.end() || *it != s.fileName) finalDays_.insert(it, s.fileName);
      }
      return true;
    case StoreOutcome::Skipped:
      return true;
    case StoreOutcome::Rejected:
      ++rejected_;
      pendingLog_.push_back(s.message);  // logged in batches: one write per batch, not per record
      if (pendingLog_.size() >= kLogBatch) FlushLog();
      return true;
    case StoreOutcome::Failed:
      break;
  }
  // A damaged day file stops every import that touches it until it is taken aside.
  ShowFailure(IsDamagedFileMessage(s.message) ? s.message + DamagedFileAdvice(s.fileName) : s.message);
  return false;
}

bool AccumulatedImport::FlushStore() {
  if (!store_) return true;
  const StoreResult f = store_->Flush();
  if (f.ok()) return true;
  ShowFailure(f.message);
  return false;
}

bool AccumulatedImport::BuildPastRuns() {
  const int days = static_cast<int>(finalDays_.size());
  SetBar(ImportBar::PastRun, 0, std::max(days, 1));
  const PastRunBuildResult b = BuildPastRunFiles(progDir_, finalDays_, [this](int done, int total) {
    SetBar(ImportBar::PastRun, done, std::max(total, 1));
    ui_.ProcessMessages();  // keeps the window painted; the build itself runs to its end
  });
  for (const SkippedRunner& s : b.skipped)
    LogError(J("血統登録番号が不正なため過去走データを作成しませんでした：") + s.raceKey +
             Fmt(" %02d [", s.horseNumber) + s.horseId + "]");
  std::string damaged;
  for (const std::string& d : b.damaged) {
    LogError(d);
    damaged += (damaged.empty() ? "" : "\r\n") + d;
  }
  if (!damaged.empty()) ui_.Warning(damaged + DamagedFileAdvice());
  if (!b.ok) {
    ShowFailure(b.error);
    return false;
  }
  ui_.Beep();
  buildDone_ = J("過去走データを構築しました。");
  if (view_) view_->BuildDoneLine(buildDone_);
  return true;
}

void AccumulatedImport::CloseReadCycle() {
  const int code = jv_.JVClose();
  ui_.BusyCursor(false);
  phase_ = Phase::Idle;
  lock_.Release();
  if (code != 0)
    ui_.Info(J("JVCloseエラー:") + JVResultMessage("JVClose", code));
  else
    ui_.Beep();
}

void AccumulatedImport::LogError(std::string_view message) {
  pendingLog_.emplace_back(message);
  FlushLog();
}

void AccumulatedImport::FlushLog() {
  if (pendingLog_.empty()) return;
  const FileResult r = ErrorLog(ErrorLogPath(progDir_), clock_).Append(pendingLog_);
  pendingLog_.clear();
  if (!r && !logFailed_) {
    logFailed_ = true;  // told once per import
    ui_.Warning(ToCp932(r.error));
  }
}

void AccumulatedImport::ShowFailure(const std::string& message) {
  LogError(message);
  if (message == shownFailure_) return;
  shownFailure_ = message;
  ui_.Info(message);
}

std::string AccumulatedImport::MadeDataFor(std::string_view record, std::string_view fileName) {
  static const std::string kYear = J("年"), kMonth = J("月"), kDay = J("日");
  static const std::string kRace = J("開催:"), kEntry = J("馬毎:"), kPayout = J("払戻:");
  static const std::string kOdds[6] = {J("単勝確定ｵｯｽﾞ:"), J("馬連確定ｵｯｽﾞ:"),  J("ﾜｲﾄﾞ確定ｵｯｽﾞ:"),
                                       J("馬単確定ｵｯｽﾞ:"), J("3連複確定ｵｯｽﾞ:"), J("3連単確定ｵｯｽﾞ:")};
  const std::string_view type = Fld(record, kHdr_RecordType);
  const std::string venue = VenueName(Fld(record, kHdr_Venue));
  const std::string race = FldStr(record, kHdr_RaceNum);
  auto date = [&] {
    return FldStr(record, kHdr_Year) + kYear + FldStr(record, kHdr_Month) + kMonth + FldStr(record, kHdr_Day) + kDay;
  };
  if (type == "RA") return kRace + date() + venue + race + "R";
  if (type == "HR") return kPayout + date() + venue + race + "R";
  if (type == "SE")
    return kEntry + venue + race + "R/" + CircledNum(FldInt(record, kSE_HorseNum)) + FldStr(record, kSE_HorseName);
  if (type.size() == 2 && type[0] == 'O' && type[1] >= '1' && type[1] <= '6')
    return kOdds[type[1] - '1'] + race + "R/" + std::string(fileName);
  return {};
}

void AccumulatedImport::SetStatus(std::string text) {
  status_ = std::move(text);
  if (view_) view_->StatusLine(status_);
}

void AccumulatedImport::SetMadeData(std::string text) {
  madeData_ = std::move(text);
  if (view_) view_->MadeDataLine(madeData_);
}

void AccumulatedImport::SetBar(ImportBar bar, int position, int maximum) {
  BarState& b = bars_[static_cast<int>(bar)];
  b.maximum = std::max(maximum, 0);
  b.position = std::clamp(position, 0, b.maximum);
  if (view_) view_->Bar(bar, b.position, b.maximum);
}

void AccumulatedImport::SetTimer(bool on) {
  if (timer_ == on) return;
  timer_ = on;
  if (view_) view_->PollTimer(on);
}

}  // namespace kv
