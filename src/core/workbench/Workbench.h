#pragma once
// The main window's state and commands, without widgets. Every menu item and button of the
// window is a method here; the window only calls them and renders what they leave behind
// (lists, grids, flags). Everything the user is told goes through the ports.
#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "jvlink/JVLink.h"
#include "compare/AllRaceRun.h"
#include "compare/EntryTableSort.h"
#include "compare/PastRunCache.h"
#include "compare/PredictionFile.h"
#include "compare/UnprocessedDays.h"
#include "model/RaceDayModel.h"
#include "workbench/BetWindowCommands.h"
#include "workbench/ComparisonViews.h"
#include "workbench/EntryTable.h"
#include "workbench/LiveDay.h"
#include "workbench/MainGrids.h"
#include "workbench/OddsMovement.h"
#include "app/Ports.h"
#include "workbench/RaceSelection.h"
#include "workbench/UserSettingRules.h"

namespace kv {

// The program's version text, shown in the about box and passed to JVInit.
inline constexpr const char* kProgramVersion = "Ver.2.20";
inline constexpr const char* kProgramTitle = "Korvane2";
inline constexpr const char* kManualFileName = "Korvane2.pdf";

// Section and key of this platform's JV-Link feed folder (the replay feed written by jvsim).
inline constexpr const char* kFeedSection = "JvReplay";
inline constexpr const char* kFeedKey = "FeedDir";

// What the window learns after a command changed something it shows.
class WorkbenchView {
 public:
  virtual ~WorkbenchView() = default;
  virtual void DayListChanged() {}
  virtual void RaceListChanged() {}
  virtual void GridsChanged() {}
  virtual void PanelsChanged() {}
  virtual void OptionsChanged() {}
  // The selected race changed: header labels, status label, results tab, comparison horses,
  // the up-down position and the visibility of the analysis area.
  virtual void RaceChanged() {}
  // The main window is disabled during the all-race run and enabled again after it.
  virtual void WindowEnabledChanged() {}
};

struct WindowPlacement {
  int top = 10, left = 10, width = 1000, height = 900;
  bool operator==(const WindowPlacement&) const = default;
};

// The three checks of the ｵﾌﾟｼｮﾝ menu.
enum class OptionCheck { IgnorePastRunDates, CompareAfterLoad, HideDataListAfterLoad };
struct OptionInfo {
  OptionCheck option;
  std::string_view section, key;
  std::string_view menuText;  // UTF-8
};
std::span<const OptionInfo> OptionInfos();

// The folder pickers of the ﾌｫﾙﾀﾞ指定 menu, all in section "Dir".
struct FolderChoice {
  std::string_view key;
  std::string_view menuText;  // UTF-8
  std::string_view title;     // UTF-8, the picker's title
};
std::span<const FolderChoice> FolderChoices();

class Workbench {
 public:
  Workbench(const fs::path& progDir, UiPort& ui, Clock& clock, JVLink& jv, Desktop& desktop);

  void SetView(WorkbenchView* view) { view_ = view; }

  // --- start-up -------------------------------------------------------------------------------
  // The window-independent steps of the main window's creation: data folders, settings, grid
  // headings, working lists, the day list and the start-up lines of the error log. Problems
  // with the settings or the log are shown and the program goes on with defaults. False when
  // the program folder or its data folders cannot be created (the reason was shown).
  bool Start();
  // The same on a program that was started already (the command line starts it before it knows
  // the command): no second start-up lines in the error log.
  bool Start(StartedProgram started);
  // When the window is first shown: JV-Link initialisation and version check (once).
  void OnShown();

  // --- window ---------------------------------------------------------------------------------
  WindowPlacement SavedPlacement() const;
  // Closing the window: position and size go to section "locate".
  void SavePlacement(const WindowPlacement& p);
  // The "F" button: shows or hides the panel with the race list.
  void ToggleRaceListPanel();
  bool RaceListPanelVisible() const { return raceListPanelVisible_; }

  // --- ｵﾌﾟｼｮﾝ ----------------------------------------------------------------------------------
  bool OptionChecked(OptionCheck o) const;
  // A click: toggles the check and writes it at once.
  void ToggleOption(OptionCheck o);

  // --- ﾕｰｻﾞｰ指定 -------------------------------------------------------------------------------
  int DataSpanPreset() const;
  void ApplyDataSpan(int days);
  TimingSettings TimingPreset() const;
  void ApplyTiming(const TimingSettings& t);
  int StakePreset() const;
  void ApplyStake(int amount);
  std::string OddsCeilingPreset() const;  // CP932
  // OK of the odds-ceiling dialog: shows the outcome and stores an accepted value. True when
  // stored (the dialog stays open either way).
  bool ApplyOddsCeiling(std::string_view fieldText);

  // --- ﾌｫﾙﾀﾞ指定 ------------------------------------------------------------------------------
  // Where the picker for Dir/key opens (UTF-8 path): the stored folder, else the program folder.
  std::string FolderPickerStart(std::string_view key) const;
  // OK of the picker: stores the chosen folder (UTF-8 path).
  void SetFolder(std::string_view key, const std::string& utf8Path);

  // --- ﾍﾙﾌﾟ ------------------------------------------------------------------------------------
  // 使用解説書: Korvane2.pdf of the program folder, else the one beside the executable, opened with
  // the default viewer; when neither exists the user is told.
  void OpenManual();
  std::string AboutText() const;  // CP932

  // --- lists and grids --------------------------------------------------------------------------
  // The day list: the day names (14 bytes, CP932) of the race files in DATA, newest first.
  void BuildDayList();
  const std::vector<std::string>& DayList() const { return dayList_; }
  const std::vector<std::string>& RaceList() const { return raceList_; }
  const MainGrids& Grids() const { return grids_; }
  MainGrids& Grids() { return grids_; }
  // The stake amount text of each race slot. The loaded day's model holds them (race selection
  // and the bet window's amount field read and write them there); before the first load every
  // race has the default amount.
  std::array<std::string, kMaxRaces> StakeList() const;

  // --- race day ---------------------------------------------------------------------------------
  // Choosing a date in the date box (dayName: the 14-byte CP932 day name): loads the day into
  // the model, fills the race list, selects the first race. A load that stops (incomplete data)
  // leaves the race list empty and the analysis area hidden.
  void LoadDay(std::string_view dayName);
  // A click on race list item listIndex: shows that race (header labels, entry table, comparison
  // tables, status label, results tab).
  void SelectRace(int listIndex);
  // The up-down control: selects list item `position` (clamped to the list).
  void StepRace(int position);
  // 払戻取込: brings the payouts and results stored in the day files since the load into the
  // loaded day (nothing without a loaded day). A file that cannot be read is shown and the day
  // stays as it was; the selected race is shown again when its payout arrived.
  void ImportPayouts();
  // 保存ﾌｧｲﾙの検査・修復: checks the framing of every stored file and shows what is damaged;
  // when something is, asks, then moves the damaged files aside, rebuilds the past-run files
  // and says what brings the rest back (StoreCheck.h). The day list is read again afterwards.
  void CheckStoredFiles();
  // Popup item 出馬表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ: the header labels and the whole entry table to the clipboard.
  void CopyEntryTable();
  // A mouse press on entry-table cell (row, col), row 0 being the heading row: toggles a mark
  // cell ("ν") or picks a horse for the two-horse comparison.
  void EntryTablePress(int row, int col);
  // True where the entry table shows the hand cursor (the mark cells of runner rows).
  bool EntryTableHandCursor(int row, int col) const { return IsMarkColumnCell(grids_.entry, row, col); }

  // The loaded day's model; null before the first load.
  const RaceDayModel* Day() const { return day_.get(); }
  RaceDayModel* Day() { return day_.get(); }
  const std::string& LoadedDayName() const { return dayName_; }
  // The race list index shown (-1: none) and its race slot.
  int SelectedListIndex() const { return selectedListIndex_; }
  const std::vector<int>& RaceSlots() const { return raceSlots_; }
  const RaceHeader& Header() const { return header_; }
  const ResultsTab& Results() const { return results_; }
  const std::string& CompareStatus() const { return compareStatus_; }
  const ComparePick& CompareHorses() const { return comparePick_; }
  // クリア of the comparison views: both picked horses emptied.
  void ClearCompareHorses();
  bool AnalysisVisible() const { return analysisVisible_; }
  bool RemainTimeLabelVisible() const { return remainTimeVisible_; }
  // The up-down control: maximum (races - 1) and position.
  int RaceStepMax() const { return raceStepMax_; }
  int RaceStepPosition() const { return raceStepPos_; }
  // Interval of the automatic results timer in ms (Time/AutoRdataGet minutes), set by each load.
  int ResultTimerIntervalMs() const { return resultTimerMs_; }
  // The change-information timer runs once today's day is loaded.
  bool ChangeInfoTimerEnabled() const { return changeInfoTimer_; }

  // --- odds of the day -------------------------------------------------------------------------
  // 時系列オッズより取得(&T): the odds of every race of the loaded day from the time-series folder
  // (Dir/jikeiretu), the summary shown, the odds of every race reloaded and the selected race
  // shown again.
  void ImportTimeSeriesOdds();
  // 1日分の全オッズを一括取得(&O): every race of the race list in turn selected and its real-time
  // odds fetched (速報ｵｯｽﾞ), with a progress window; the automatic fetch waits meanwhile.
  void FetchAllRaceOdds();
  // The オッズ推移 view: the win odds of every runner of the selected race over the day, from the
  // race's odds history. A note says why when there is nothing to draw.
  OddsMovement SelectedOddsMovement() const;

  // --- comparison -----------------------------------------------------------------------------------
  // The button 全ﾚｰｽ比較: compares, ranks and records every race of the loaded day.
  void RunAllRaces();
  // False while the all-race run keeps the main window disabled.
  bool WindowEnabled() const { return windowEnabled_; }
  // A sort button of the entry table (one radio group): re-sorts the entry table by it.
  void SortEntry(EntrySort sort);
  EntrySort EntrySortDown() const { return entrySort_; }

  // --- unprocessed days -----------------------------------------------------------------------------
  // The menu item 未処理データの読込(&R): false (and the reason shown) when the options forbid it;
  // else the year dialog opens with year set to the current year.
  bool OpenUnprocessedDays(int& year);
  // OK of the year dialog: the year's unprocessed days; when there are none the message was shown
  // (days empty) and the list dialog does not open.
  UnprocessedDaysQuery QueryUnprocessed(int year);
  // "Start" of the list dialog: loads (and so analyses) every listed day, last to first.
  void ProcessUnprocessed(const std::vector<std::string>& days);

  // --- parts ------------------------------------------------------------------------------------
  // A failed settings write is told to the user; the value stays in memory.
  void Report(const FileResult& r);
  Settings& GetSettings() { return settings_; }
  const Settings& GetSettings() const { return settings_; }
  const fs::path& ProgDir() const { return progDir_; }
  const ProgramFolders& Folders() const { return folders_; }
  UiPort& Ui() { return ui_; }
  Clock& GetClock() { return clock_; }
  JVLink& JV() { return jv_; }
  Desktop& GetDesktop() { return desktop_; }
  // The real-time commands and timers of a race day.
  LiveDay& Live() { return live_; }
  const LiveDay& Live() const { return live_; }
  // The bet window and the candidate-settings dialog.
  BetWindowCommands& Bets() { return bets_; }
  // The two-horse comparison view, the KT analysis and the copies of the comparison grids.
  ComparisonViews& Views() { return views_; }
  const BetWindowCommands& Bets() const { return bets_; }

 private:
  void Notify(void (WorkbenchView::*what)());
  RaceDayModel& EnsureDay();
  std::string TodayName() const;
  // Today's day was loaded: today's start-time changes fetched and applied at once.
  void OnTodayLoaded();
  // Odds loading for every race slot of the loaded day from the day's odds files (a damaged file
  // is shown once).
  void ReloadAllOdds();
  // The option "AllRace"/"ExecComp" is on after a load: the all-race comparison of the day.
  void RunAllRacesAfterLoad(PastRunCache& pastRuns);
  void RunAllRaces(const AllRaceRunShared& shared);

  fs::path progDir_;
  // The batch of the unprocessed-days run while it goes on: the loads read the lines it holds,
  // the runs add theirs, and it is written once at the end (under the folder lock it holds).
  PredictionBatch* unprocessedBatch_ = nullptr;
  PastRunCache* unprocessedPastRuns_ = nullptr;  // the past-run files, kept from day to day of that run
  UiPort& ui_;
  Clock& clock_;
  JVLink& jv_;
  Desktop& desktop_;
  Settings settings_;
  ProgramFolders folders_;
  WorkbenchView* view_ = nullptr;
  bool shown_ = false;

  bool raceListPanelVisible_ = true;
  std::vector<std::string> dayList_;
  std::vector<std::string> raceList_;
  MainGrids grids_;

  // The loaded race day (allocated at the first load: about 60 MB).
  std::unique_ptr<RaceDayModel> day_;
  std::string dayName_;
  std::vector<int> raceSlots_;  // race slot of each race list item
  int selectedListIndex_ = -1;
  RaceHeader header_;
  ResultsTab results_;
  std::string compareStatus_;
  ComparePick comparePick_;
  bool analysisVisible_ = false;
  bool remainTimeVisible_ = false;
  bool changeInfoTimer_ = false;
  int resultTimerMs_ = 10 * 60000;
  int raceStepMax_ = 0;
  int raceStepPos_ = 0;
  bool windowEnabled_ = true;
  EntrySort entrySort_ = EntrySort::HorseNo;
  BetWindowCommands bets_{*this};
  LiveDay live_{*this};
  ComparisonViews views_{*this};
};

}  // namespace kv
