#pragma once
// The bet window's state without widgets (買い目表): the eight bet tables, their summary labels,
// the amount field, the allocation mode and the multi options, with the window's commands.
// The Qt window shows Tables()[t] on tab t and Summary(t) in the summary panel, and calls the
// commands below for the user's actions; the workbench calls Build after every marking action.
//
//   BetWindowState bets;
//   bets.LoadOptions(settings);                       // mode and multi options, no rebuild
//   bets.SetAmountText(day.StakeList[race]);           // race selection puts the race's amount
//   ApplyCandidateSet(day, race, candidates, entry);  // 新買い目算出 …
//   bets.Build(day, race, entry, candidates);          // … and the rebuild (買い目)
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "app/Settings.h"
#include "bets/BetTables.h"
#include "bets/BetTypes.h"
#include "bets/CandidateSets.h"
#include "bets/StakeAllocation.h"
#include "model/RaceDayModel.h"
#include "text/TextGrid.h"

namespace kv {

// True for what the amount field takes: 1 to 8 digits.
bool IsAmountText(std::string_view text);

class BetWindowState {
 public:
  BetWindowState();

  // Reads the allocation mode ("KaimeSet"/"HaibunSet") and the multi options; builds nothing.
  void LoadOptions(const Settings& settings);

  // Occurrence rates for the hidden columns (default: the prior alone).
  void SetOccurrenceRates(std::shared_ptr<const OccurrenceRates> rates) { rates_ = std::move(rates); }

  // 買い目: empties every table and summary label and builds the eight tables of `race` from the
  // entry table's marks and the candidate settings' odds bounds; then allocates the amount and
  // evaluates the race's payouts on each table.
  void Build(const RaceDayModel& day, int race, const TextGrid& entry, const CandidateSettings& candidates);
  // Every table back to its empty form and the summaries blank (the race they were built for is gone).
  void Clear();

  // The amount field's text (digits only, at most 8). Race selection puts StakeList[race] here.
  const std::string& AmountText() const { return amount_; }
  void SetAmountText(std::string text) { amount_ = std::move(text); }
  long long Amount() const;

  // The user changed the amount: stores it into day.StakeList[race] as decimal text, then
  // allocates and evaluates all eight tables. A text that is not an amount (IsAmountText)
  // changes nothing and returns false.
  bool ChangeAmount(const std::string& text, RaceDayModel& day, int race);

  // The user chose a mode: writes "KaimeSet"/"HaibunSet", then allocates and evaluates again.
  void ChooseMode(AllocationMode mode, Settings& settings, const RaceDayModel& day, int race);
  AllocationMode Mode() const { return mode_; }
  // The mode and the options for this state only (nothing written, nothing rebuilt): a CLI run
  // that overrides the stored choice.
  void SetMode(AllocationMode mode) { mode_ = mode; }
  void SetOptions(const MultiOptions& options) { options_ = options; }

  // The user clicked a multi option: writes it, then rebuilds.
  void ChangeOptions(const MultiOptions& options, Settings& settings, const RaceDayModel& day, int race,
                     const TextGrid& entry, const CandidateSettings& candidates);
  const MultiOptions& Options() const { return options_; }

  // A click on data row `row` of table `type`: in column 0 toggles the deletion mark "消"; in any
  // column empties the summary labels of the type, allocates and evaluates the table again and
  // refreshes its occurrence columns. False (nothing done) outside the data rows.
  bool ClickRow(BetType type, int row, int col, const RaceDayModel& day, int race);

  // Allocate and evaluate one table / all tables with the current mode and amount.
  void Reallocate(BetType type, const RaceDayModel& day, int race);
  void ReallocateAll(const RaceDayModel& day, int race);

  const std::array<TextGrid, kBetTypeCount>& Tables() const { return tables_; }
  const TextGrid& Table(BetType t) const { return tables_[Index(t)]; }
  // Writable access for the views (sorting rows).
  TextGrid& MutableTable(BetType t) { return tables_[Index(t)]; }
  const BetSummary& Summary(BetType t) const { return summaries_[Index(t)]; }

 private:
  std::array<TextGrid, kBetTypeCount> tables_;
  std::array<BetSummary, kBetTypeCount> summaries_;
  std::string amount_;
  AllocationMode mode_ = AllocationMode::Equal;
  MultiOptions options_;
  int runners_ = 0;
  std::shared_ptr<const OccurrenceRates> rates_;
};

}  // namespace kv
