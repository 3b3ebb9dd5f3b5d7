#pragma once
// The main window's state and commands, without widgets. Every menu item and button of the
// window is a method here; the window only calls them and renders what they leave behind
// (lists, grids, flags). Everything the user is told goes through the ports.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "jvlink/JVLink.h"
#include "workbench/MainGrids.h"
#include "workbench/Ports.h"
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
  void OpenManual();
  std::string AboutText() const;  // CP932

  // --- lists and grids --------------------------------------------------------------------------
  // The day list: the day names (14 bytes, CP932) of the race files in DATA, newest first.
  void BuildDayList();
  const std::vector<std::string>& DayList() const { return dayList_; }
  const std::vector<std::string>& RaceList() const { return raceList_; }
  const MainGrids& Grids() const { return grids_; }
  MainGrids& Grids() { return grids_; }
  const std::array<std::string, 36>& StakeList() const { return stakeList_; }

  // --- parts ------------------------------------------------------------------------------------
  Settings& GetSettings() { return settings_; }
  const Settings& GetSettings() const { return settings_; }
  const fs::path& ProgDir() const { return progDir_; }
  const ProgramFolders& Folders() const { return folders_; }
  UiPort& Ui() { return ui_; }
  Clock& GetClock() { return clock_; }
  JVLink& JV() { return jv_; }
  Desktop& GetDesktop() { return desktop_; }

 private:
  // A failed settings write is told to the user; the value stays in memory.
  void Report(const FileResult& r);
  void Notify(void (WorkbenchView::*what)());
  void FillStakeList();

  fs::path progDir_;
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
  std::array<std::string, 36> stakeList_;
};

}  // namespace kv
