#include "workbench/Workbench.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "app/FolderLock.h"
#include "app/HeldInfoUi.h"
#include "app/Startup.h"
#include "compare/AllRaceRun.h"
#include "compare/CompareTables.h"
#include "compare/EntryTableSort.h"
#include "compare/RaceRanking.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/StartupChecks.h"
#include "workbench/DayLoader.h"
#include "workbench/StoreCheck.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "verify/PayoutImport.h"

namespace kv {

namespace {

constexpr OptionInfo kOptions[] = {
    {OptionCheck::IgnorePastRunDates, "ReadKako", "IgnoDate", "データ読込時過去走の日付を無視する(&I)"},
    {OptionCheck::CompareAfterLoad, kCompareAfterLoadSection, kCompareAfterLoadKey, "データ読込後直ちに全レース比較を行う(&C)"},
    {OptionCheck::HideDataListAfterLoad, "datalist", "close", "読込後、ﾃﾞｰﾀﾘｽﾄを消す"},
};

constexpr FolderChoice kFolders[] = {
    {"yoso", "予想配当ﾃﾞｰﾀﾌｫﾙﾀﾞの指定(&Y)", "単勝予想配当ﾃﾞｰﾀﾌｫﾙﾀﾞの指定"},
    {"jikeiretu", "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)", "時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"},
    {"kaime", "買い目ﾌｫﾙﾀﾞ指定", "買い目ﾌｫﾙﾀﾞの指定"},
    {"TavoroTohyo2", "Tavoro投票プラグイン２フォルダ指定", "Tavoro投票プラグイン２フォルダの指定"},
};

const OptionInfo& InfoOf(OptionCheck o) {
  for (const auto& i : kOptions)
    if (i.option == o) return i;
  return kOptions[0];
}

}  // namespace

std::span<const OptionInfo> OptionInfos() { return kOptions; }
std::span<const FolderChoice> FolderChoices() { return kFolders; }

Workbench::Workbench(const fs::path& progDir, UiPort& ui, Clock& clock, JVLink& jv, Desktop& desktop)
    : progDir_(progDir), ui_(ui), clock_(clock), jv_(jv), desktop_(desktop), settings_(progDir) {
  grids_.InitHeadings();
}

void Workbench::Notify(void (WorkbenchView::*what)()) {
  if (view_) (view_->*what)();
}

void Workbench::Report(const FileResult& r) {
  if (!r) ui_.Warning(J("設定ファイルに書き込めませんでした。") + "\r\n" + ToCp932(r.error));
}

// --- start-up ---------------------------------------------------------------------------------

bool Workbench::Start() { return Start(StartProgram(progDir_, clock_)); }

bool Workbench::Start(StartedProgram started) {
  settings_ = std::move(started.settings);
  folders_ = started.folders;
  for (const std::string& problem : started.problems) ui_.Warning(ToCp932(problem));
  if (!started.ok) return false;
  InstallWinRankingAfterOddsLoads();  // every odds load ends with the win ranking
  grids_.InitHeadings();
  bets_.Create();
  BuildDayList();
  Notify(&WorkbenchView::OptionsChanged);
  Notify(&WorkbenchView::GridsChanged);
  return true;
}

void Workbench::OnShown() {
  if (shown_) return;
  shown_ = true;
  InitJVLink(jv_, ui_);
}

std::array<std::string, kMaxRaces> Workbench::StakeList() const {
  if (day_) return day_->StakeList;
  std::array<std::string, kMaxRaces> stakes;
  stakes.fill(std::to_string(settings_.GetInt("KaimeSet", "DefaultAmount")));
  return stakes;
}

void Workbench::BuildDayList() {
  dayList_ = ListDays(folders_.data.empty() ? LocateProgramFolders(progDir_).data : folders_.data);
  raceList_.clear();
  Notify(&WorkbenchView::DayListChanged);
  Notify(&WorkbenchView::RaceListChanged);
}

// --- window -----------------------------------------------------------------------------------

WindowPlacement Workbench::SavedPlacement() const {
  return {settings_.GetInt("locate", "top"), settings_.GetInt("locate", "left"), settings_.GetInt("locate", "width"),
          settings_.GetInt("locate", "height")};
}

void Workbench::SavePlacement(const WindowPlacement& p) {
  FileResult r = settings_.WriteInt("locate", "top", p.top);
  if (r) r = settings_.WriteInt("locate", "left", p.left);
  if (r) r = settings_.WriteInt("locate", "width", p.width);
  if (r) r = settings_.WriteInt("locate", "height", p.height);
  Report(r);
}

void Workbench::ToggleRaceListPanel() {
  raceListPanelVisible_ = !raceListPanelVisible_;
  Notify(&WorkbenchView::PanelsChanged);
}

// --- ｵﾌﾟｼｮﾝ ------------------------------------------------------------------------------------

bool Workbench::OptionChecked(OptionCheck o) const {
  const OptionInfo& i = InfoOf(o);
  return settings_.GetBool(i.section, i.key);
}

void Workbench::ToggleOption(OptionCheck o) {
  const OptionInfo& i = InfoOf(o);
  Report(settings_.WriteBool(i.section, i.key, !OptionChecked(o)));
  Notify(&WorkbenchView::OptionsChanged);
}

// --- ﾕｰｻﾞｰ指定 ---------------------------------------------------------------------------------

int Workbench::DataSpanPreset() const { return kDataSpanRange.Clamp(settings_.GetInt("DataSpan", "period")); }

void Workbench::ApplyDataSpan(int days) {
  Report(settings_.WriteInt("DataSpan", "period", kDataSpanRange.Clamp(days)));
}

TimingSettings Workbench::TimingPreset() const {
  TimingSettings t;
  t.oddsMinutes = settings_.GetInt("Time", "AutoOzGet");
  t.oddsSeconds = settings_.GetInt("Time", "AutoOzGetSec");
  t.voteInterval = settings_.GetInt("Time", "AutoTohyoInterval");
  t.resultMinutes = settings_.GetInt("Time", "AutoRdataGet");
  return ClampTiming(t);
}

void Workbench::ApplyTiming(const TimingSettings& in) {
  const TimingSettings t = ClampTiming(in);
  FileResult r = settings_.WriteInt("Time", "AutoOzGet", t.oddsMinutes);
  if (r) r = settings_.WriteInt("Time", "AutoOzGetSec", t.oddsSeconds);
  if (r) r = settings_.WriteInt("Time", "AutoTohyoInterval", t.voteInterval);
  if (r) r = settings_.WriteInt("Time", "AutoRdataGet", t.resultMinutes);
  if (r) r = settings_.WriteInt("Time", "AutoBataijuGet", t.bodyWeightMinutes);
  Report(r);
}

int Workbench::StakePreset() const {
  return std::clamp(settings_.GetInt("KaimeSet", "DefaultAmount"), 0, kStakeFieldMax);
}

void Workbench::ApplyStake(int amount) {
  const std::string before = std::to_string(StakePreset()), after = std::to_string(kStakeRange.Clamp(amount));
  Report(settings_.WriteInt("KaimeSet", "DefaultAmount", kStakeRange.Clamp(amount)));
  if (raceList_.empty()) return;
  // The loaded day's races still at the old amount take the new one (an amount typed for one
  // race stays), and the selected race is selected again, which rebuilds the bet window with it.
  if (day_)
    for (std::string& s : day_->StakeList)
      if (Trim(s) == before) s = after;
  if (selectedListIndex_ >= 0)
    SelectRace(selectedListIndex_);
  else
    Notify(&WorkbenchView::GridsChanged);
}

std::string Workbench::OddsCeilingPreset() const { return settings_.GetText("OddsSpan", "ceil"); }

bool Workbench::ApplyOddsCeiling(std::string_view fieldText) {
  const OddsCeilingOutcome out = CheckOddsCeiling(fieldText);
  if (out.stored) Report(settings_.WriteText("OddsSpan", "ceil", *out.stored));
  ui_.Info(out.message);
  return out.stored.has_value();
}

// --- ﾌｫﾙﾀﾞ指定 ---------------------------------------------------------------------------------

std::string Workbench::FolderPickerStart(std::string_view key) const {
  const std::string stored = ToUtf8(settings_.GetText("Dir", key));
  std::error_code ec;
  if (!stored.empty() && fs::is_directory(PathFromUtf8(stored), ec)) return stored;
  return PathToUtf8(progDir_);
}

void Workbench::SetFolder(std::string_view key, const std::string& utf8Path) {
  if (utf8Path.empty()) return;
  Report(settings_.WriteText("Dir", key, ToCp932(utf8Path)));
}

// --- ﾍﾙﾌﾟ --------------------------------------------------------------------------------------

void Workbench::OpenManual() {
  // The manual is installed beside the executable; a program folder chosen apart from it (--home,
  // the demo) may hold its own copy, which comes first.
  fs::path manual = progDir_ / kManualFileName;
  std::error_code ec;
  if (!fs::is_regular_file(manual, ec) && !ExecutableFolder().empty()) manual = ExecutableFolder() / kManualFileName;
  if (!fs::is_regular_file(manual, ec)) {
    ui_.Info(J("使用解説書[Korvane2.pdf]が見つかりません。"));
    return;
  }
  if (!desktop_.OpenFile(manual.string())) ui_.Info(J("使用解説書[Korvane2.pdf]を開けませんでした。"));
}

std::string Workbench::AboutText() const { return std::string(kProgramTitle) + "  " + kProgramVersion; }

// --- race day -----------------------------------------------------------------------------------

RaceDayModel& Workbench::EnsureDay() {
  if (!day_) day_ = std::make_unique<RaceDayModel>();
  return *day_;
}

std::string Workbench::TodayName() const {
  const DateTime now = clock_.Now();
  return DayNameFromDate(Fmt("%04d%02d%02d", now.year, now.month, now.day));
}

void Workbench::LoadDay(std::string_view dayName) {
  // Whatever an earlier step left in the status line (a finished import, the demo's hint) is not
  // about this day; the day's own steps write there from now on.
  ui_.Status({});
  RaceDayModel& day = EnsureDay();
  dayName_ = std::string(dayName);
  const bool today = dayName_ == TodayName();
  remainTimeVisible_ = today;
  analysisVisible_ = false;
  Notify(&WorkbenchView::RaceChanged);

  // One read of each past-run file for the load and the all-race run that follows it; in the
  // unprocessed-days run one for all its days (its lines wait in its batch meanwhile).
  std::optional<PastRunCache> ownPastRuns;
  if (unprocessedPastRuns_) unprocessedPastRuns_->NextDay();
  PastRunCache& pastRuns = unprocessedPastRuns_ ? *unprocessedPastRuns_ : ownPastRuns.emplace(progDir_);
  const DayLoadResult res = LoadRaceDay(day, progDir_, dayName_, DayLoadOptions::From(settings_), ui_, pastRuns,
                                        unprocessedBatch_);
  raceList_ = res.raceList;
  raceSlots_ = res.raceSlots;
  selectedListIndex_ = -1;
  bets_.DayGone();  // the tables of the previous day's race must not stay against this day
  Notify(&WorkbenchView::RaceListChanged);
  if (!res.loaded) {
    Notify(&WorkbenchView::RaceChanged);
    return;
  }

  resultTimerMs_ = settings_.GetInt("Time", "AutoRdataGet") * 60000;
  if (today) {
    changeInfoTimer_ = true;
    day.TodayLoaded = true;
    OnTodayLoaded();
  }
  if (!raceList_.empty()) SelectRace(0);
  raceStepMax_ = static_cast<int>(raceList_.size()) - 1;
  raceStepPos_ = 0;
  if (OptionChecked(OptionCheck::CompareAfterLoad)) RunAllRacesAfterLoad(pastRuns);
  analysisVisible_ = true;
  Notify(&WorkbenchView::RaceChanged);
}

void Workbench::OnTodayLoaded() { live_.OnTodayLoaded(); }

void Workbench::RunAllRacesAfterLoad(PastRunCache& pastRuns) { RunAllRaces(AllRaceRunShared{&pastRuns, unprocessedBatch_}); }

void Workbench::RunAllRaces() { RunAllRaces(AllRaceRunShared{}); }

void Workbench::RunAllRaces(const AllRaceRunShared& shared) {
  if (!day_ || raceList_.empty()) {
    ui_.Info(J("出馬表が読み込まれていません。"));
    return;
  }
  // The run writes the prediction files: not while another command writes this folder (the
  // unprocessed-days run holds the lock for all its days).
  std::optional<FolderLock> lock;
  if (!shared.predictions) {
    lock.emplace(FolderLock::TryLock(progDir_));
    if (!lock->Held()) {
      ui_.Info(lock->Message());
      return;
    }
  }
  AllRaceRunHooks hooks;
  hooks.setWindowEnabled = [this](bool enabled) {
    windowEnabled_ = enabled;
    Notify(&WorkbenchView::WindowEnabledChanged);
  };
  hooks.refreshSelectedRace = [this] { SelectRace(selectedListIndex_); };
  kv::RunAllRaces(*day_, settings_, ui_, hooks, AllRaceRecord::Write, shared);
}

void Workbench::SortEntry(EntrySort sort) {
  entrySort_ = sort;
  SortEntryTable(grids_.entry, sort);
  Notify(&WorkbenchView::GridsChanged);
}

bool Workbench::OpenUnprocessedDays(int& year) {
  if (auto refusal = UnprocessedMenuRefusal(settings_)) {
    ui_.Info(*refusal);
    return false;
  }
  year = clock_.Now().year;
  return true;
}

UnprocessedDaysQuery Workbench::QueryUnprocessed(int year) {
  UnprocessedDaysQuery q = QueryUnprocessedDays(progDir_, dayList_, year);
  if (!q.readError.empty()) ui_.Warning(ToCp932(q.readError));
  if (q.days.empty()) ui_.Info(q.none);
  return q;
}

void Workbench::ProcessUnprocessed(const std::vector<std::string>& days) {
  // Every day's prediction lines are kept and written once at the end, each file once; a day
  // enters its processed-days list only when its lines are on disk. The folder stays locked
  // for the whole run, so no other command writes the files in between.
  const FolderLock lock = FolderLock::TryLock(progDir_);
  if (!lock.Held()) {
    ui_.Info(lock.Message());
    return;
  }
  PredictionBatch batch(progDir_);
  PastRunCache pastRuns(progDir_);
  unprocessedBatch_ = &batch;
  unprocessedPastRuns_ = &pastRuns;
  HeldInfoUi held(ui_);  // the closing message waits for the write
  ProcessUnprocessedDays(days, held, [this](const std::string& dayName) {
    LoadDay(dayName);
    return !raceList_.empty();
  });
  unprocessedBatch_ = nullptr;
  unprocessedPastRuns_ = nullptr;
  const PredictionBatch::WriteOutcome written = batch.Write();
  if (!written.errors.empty()) {
    std::string text = J("予想ファイルを書き込めませんでした。");
    for (size_t i = 0; i < written.errors.size() && i < 10; ++i) text += "\r\n" + written.errors[i];
    ui_.Warning(text);
  }
  held.Tell();
}

void Workbench::SelectRace(int listIndex) {
  if (!day_ || listIndex < 0 || listIndex >= static_cast<int>(raceSlots_.size())) return;
  RaceDayModel& day = *day_;
  const int r = raceSlots_[static_cast<size_t>(listIndex)];
  const int n = day.RunnerCount(r);

  analysisVisible_ = false;
  ui_.ProcessMessages();
  raceStepPos_ = listIndex;
  selectedListIndex_ = listIndex;

  // Every grid of the race emptied and sized for its runners.
  MainGrids& g = grids_;
  for (TextGrid* t : {&g.entry, &g.detailEntry}) {
    t->ClearRows(1);
    t->SetRowCount(n + 1);
  }
  g.compareDetail.ClearRows(1);
  g.compareDetail.SetRowCount(2);
  ResetKtDataGrid(g.ktData);
  ResetKtMatrix(g.ktMatrix, n);
  FillPastRunHeadings(g.detailEntry, day, r);

  day.SelectedRace = r;
  day.WorkRace = r;
  header_ = BuildRaceHeader(day, r);

  FillEntryTable(g.entry, day, r);
  CopyEntryColumnsToDetail(g.detailEntry, g.entry);
  FillCompareDetail(g.compareDetail, day, r);
  FillWinLoss(g.winLoss, day, r);
  comparePick_.Clear();
  compareStatus_ = RaceStatusText(day, r);
  entrySort_ = EntrySort::HorseNo;  // selection presses the 馬番 button
  SortEntryTable(g.entry, entrySort_);
  results_ = BuildResultsTab(day.RaceAnalysis(r));
  // The race's stake into the bet window, its marks into the entry table, its bets built.
  bets_.ApplyCandidateSetToRace();
  analysisVisible_ = true;
  Notify(&WorkbenchView::GridsChanged);
  Notify(&WorkbenchView::RaceChanged);
}

void Workbench::ImportPayouts() {
  if (!day_ || dayName_.empty()) return;
  const int selected = selectedListIndex_ >= 0 ? day_->SelectedRace : -1;
  const PayoutImportResult res = kv::ImportPayouts(*day_, progDir_, dayName_, selected);
  if (!res.ok()) {
    ui_.Warning(res.error);
    return;
  }
  if (res.selectedRaceArrived) SelectRace(selectedListIndex_);
}

void Workbench::CheckStoredFiles() {
  auto joined = [](const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += (text.empty() ? "" : "\r\n") + l;
    return text;
  };
  ui_.BusyCursor(true);
  const StoreCheckResult check = kv::CheckStoredFiles(progDir_);
  ui_.BusyCursor(false);
  const std::string report = joined(StoreCheckReport(check));
  if (check.damaged.empty()) {
    ui_.Info(report);
    return;
  }
  if (!ui_.AskYesNo(report + "\r\n\r\n" + J("壊れたファイルをdamagedフォルダーに退避して修復しますか？"))) return;
  // The repair moves and writes files: not while another command writes this folder.
  const FolderLock lock = FolderLock::TryLock(progDir_);
  if (!lock.Held()) {
    ui_.Info(lock.Message());
    return;
  }
  ui_.BusyCursor(true);
  const StoreRepairResult repair = RepairStoredFiles(progDir_, check, clock_.Now());
  ui_.BusyCursor(false);
  if (repair.ok)
    ui_.Info(joined(repair.lines));
  else
    ui_.Warning(joined(repair.lines));
  BuildDayList();
}

void Workbench::StepRace(int position) {
  if (raceList_.empty()) return;
  SelectRace(std::clamp(position, 0, static_cast<int>(raceList_.size()) - 1));
}

void Workbench::ClearCompareHorses() {
  comparePick_.Clear();
  Notify(&WorkbenchView::RaceChanged);
}

void Workbench::CopyEntryTable() { desktop_.SetClipboard(EntryTableCopyText(grids_.entry, header_)); }

void Workbench::EntryTablePress(int row, int col) {
  if (!day_ || selectedListIndex_ < 0) return;
  if (ToggleMark(grids_.entry, row, col)) {
    bets_.Build();
    Notify(&WorkbenchView::GridsChanged);
    return;
  }
  if (PickCompareHorse(comparePick_, grids_.entry, *day_, day_->SelectedRace, row, col))
    Notify(&WorkbenchView::RaceChanged);
}

}  // namespace kv
