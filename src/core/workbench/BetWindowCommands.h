#pragma once
// The bet window (買い目表) and the candidate-settings dialog (軸・ヒモ馬ユーザー設定) as
// commands of the workbench, without widgets. The workbench owns one of these; the bet window
// shows State().Table(t) on tab t and State().Summary(t) in the summary panel, the dialog edits
// Candidates(), and both hand every user action to a method here.
//
// Flow, as the main window's buttons press each other:
//   race selection   -> ApplyCandidateSetToRace: the race's amount from StakeList into the
//                       amount field, 新買い目算出 (flags, "ν" into the entry table), 買い目
//   全 / CL / a click on a mark cell of the entry table -> MarkAll / ClearAll / Build (買い目)
//   買い目画面        -> Show: 買い目, then the window is shown
//   a multi option   -> written to the settings, 買い目
//   amount, mode     -> stakes and results of all eight tables again
//   a row click      -> "消" toggled (column 0), that table's stakes and results again
//   a heading press  -> the table sorted by the column (flags in SortDirections)
//   a tab change     -> "KaimeSet"/"Bakenshu", the summary panel's active colours
//   Tavoro2投票       -> the vote file of the active tab's table, the plug-in started
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bets/BetTableViews.h"
#include "bets/BetWindow.h"
#include "bets/CandidateSets.h"
#include "bets/VoteFile.h"
#include "text/GridStyle.h"

namespace kv {

class Workbench;

// The amount field's text for a race as race selection puts it there: the race's stake in
// StakeList, else the setting "KaimeSet"/"DefaultAmount".
std::string RaceAmountText(const RaceDayModel& day, int race, const Settings& settings);

// Race selection as far as the bet window goes, on an entry table of the caller's (its headings
// in row 0): the race's runners filled in and sorted by horse number (selection presses 馬番),
// the candidate set's marks written (新買い目算出) and the eight tables built (買い目) with the
// mode, options and amount already in bets. The command line and the backtest see a race through
// this exactly as the bet window shows it.
void BuildRaceBets(RaceDayModel& day, int race, const CandidateSettings& candidates, TextGrid& entry,
                   BetWindowState& bets);

// What the bet window learns after a command changed what it shows.
class BetWindowView {
 public:
  virtual ~BetWindowView() = default;
  // Tables, summary labels, amount, mode, options or the active tab changed.
  virtual void BetsChanged() {}
  // 買い目画面: the window is to be shown (and raised).
  virtual void ShowRequested() {}
};

// The four check boxes of マルチ指定.
enum class MultiOption { Multi, Multi12, Multi23, Multi13 };

class BetWindowCommands {
 public:
  explicit BetWindowCommands(Workbench& wb) : wb_(wb) {}

  void AddView(BetWindowView* view);
  void RemoveView(BetWindowView* view);

  // Creation at program start (after the settings were read): the allocation mode, the multi
  // options and the active tab from the settings, and the candidate sets from their file (the
  // dialog is created at start and marking reads it from then on). Nothing is built.
  void Create();
  bool Created() const { return created_; }

  // --- candidate settings (買い目候補馬設定(&K)) --------------------------------------------------
  // Each opening of the dialog starts again from the file and the stored set index; unsaved
  // edits of the previous opening are dropped. A file problem is shown as a warning.
  void OpenCandidateSettings();
  CandidateSettings& Candidates() { return candidates_; }
  const CandidateSettings& Candidates() const { return candidates_; }
  // Window position of the dialog ("UserKaimeForm"/"top", "left").
  CandidateSettings::Position CandidateDialogPosition() const;
  void SaveCandidateDialogPosition(CandidateSettings::Position p);

  // --- marking and building ----------------------------------------------------------------------
  // The end of race selection: StakeList[race] into the amount field, then 新買い目算出 and 買い目.
  void ApplyCandidateSetToRace();
  // 買い目: the eight tables of the selected race from the entry table's marks.
  void Build();
  // The day the tables were built for is gone (another day loaded, or none): the tables empty.
  void DayGone();
  // 全 / CL above entry-table column col (24, 25 or 26), then 買い目.
  void MarkAll(int col);
  void ClearAll(int col);
  // 買い目画面: 買い目, then the window is shown.
  void Show();

  // --- the bet window's controls ---------------------------------------------------------------
  // The amount field changed (digits only, at most 8): stored for the race, stakes again. False
  // when the text is not such an amount (nothing changes).
  bool ChangeAmount(std::string_view text);
  // 資金配分: mode index 0-3 ("均等", "比例", "均一", "期配"); other indexes are ignored.
  void ChooseMode(int index);
  // マルチ指定: writes the option and rebuilds.
  void SetOption(MultiOption option, bool on);
  bool Option(MultiOption option) const;
  // Tab change: writes "KaimeSet"/"Bakenshu".
  void ChangeTab(int tab);
  int ActiveTab() const { return tab_; }
  BetType ActiveType() const { return kAllBetTypes[static_cast<size_t>(tab_)]; }

  // A press on data cell (row, col) of type's table, row 0 being the heading row: in column 0 of
  // a row holding a combination, toggles "消"; then that table's stakes and results again. True
  // when something changed. A row without a combination (the blank row of an empty table) takes
  // no mark.
  bool PressCell(BetType type, int row, int col);
  // A press on heading column col: sorts type's table (see SortDirections).
  bool PressHeading(BetType type, int col);
  const SortDirections& Directions() const { return dirs_; }

  // Tavoro2投票: the active tab's table as the vote file, then the plug-in.
  VoteResult Vote();

  // --- what the window shows ---------------------------------------------------------------------
  const BetWindowState& State() const { return state_; }
  // The presentation of type's table (colours against the selected race's payouts).
  GridLayout TableLayout(BetType type) const;
  // The selected race's HR record (empty when no race is selected).
  std::string_view SelectedPayout() const;
  CellColor SummaryBackground(BetType type) const { return SummaryLabelBackground(type, tab_); }

  BetWindowGeometry Geometry() const;
  // False until the window's place was first saved: the window then chooses its first place.
  bool GeometryStored() const;
  void SaveGeometry(const BetWindowGeometry& g);

 private:
  // The selected race slot, or -1 when no race is shown.
  int SelectedRace() const;
  void EnsureCreated();
  void Changed();

  Workbench& wb_;
  BetWindowState state_;
  CandidateSettings candidates_;
  SortDirections dirs_;
  int tab_ = 0;
  bool created_ = false;
  bool ratesSet_ = false;
  std::vector<BetWindowView*> views_;
};

}  // namespace kv
