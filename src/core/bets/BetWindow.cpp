#include "bets/BetWindow.h"

#include "text/Cp932.h"
#include "text/Field.h"

namespace kv {

namespace {

std::string_view PayoutOf(const RaceDayModel& day, int race) {
  return race >= 0 && race < kMaxRaces ? day.Payout(race) : std::string_view{};
}

// Order in which the amount and mode changes evaluate the results.
constexpr BetType kEvaluateOrder[] = {BetType::Win,  BetType::Place,  BetType::Quinella, BetType::Bracket,
                                      BetType::Wide, BetType::Exacta, BetType::Trio,     BetType::Trifecta};

}  // namespace

BetWindowState::BetWindowState() : rates_(std::make_shared<const OccurrenceRates>()) {
  for (BetType t : kAllBetTypes) tables_[Index(t)] = EmptyBetTable(t);
}

void BetWindowState::LoadOptions(const Settings& settings) {
  int mode = settings.GetInt("KaimeSet", "HaibunSet");
  mode_ = mode >= 0 && mode <= 3 ? static_cast<AllocationMode>(mode) : AllocationMode::Equal;
  options_ = MultiOptions::Read(settings);
}

long long BetWindowState::Amount() const { return ParseLong(amount_); }

void BetWindowState::Clear() {
  for (BetType t : kAllBetTypes) {
    tables_[Index(t)] = EmptyBetTable(t);
    summaries_[Index(t)].ClearTexts();
  }
}

void BetWindowState::Build(const RaceDayModel& day, int race, const TextGrid& entry,
                           const CandidateSettings& candidates) {
  Clear();
  if (race < 0 || race >= kMaxRaces) return;
  runners_ = day.RunnerCount(race);
  OddsBoundsArray bounds{};
  for (int i = 0; i < kOddsBounds; ++i) bounds[static_cast<size_t>(i)] = candidates.Bound(i);
  const BetBuildInput in{entry, runners_, day.OutData(race), OddsPresenceOf(day, race), bounds, options_, rates_.get()};
  for (BetType t : kAllBetTypes) {
    tables_[Index(t)] = BuildBetTable(t, in);
    Allocate(tables_[Index(t)], t, mode_, Amount(), summaries_[Index(t)]);
    EvaluateResults(tables_[Index(t)], t, PayoutOf(day, race), summaries_[Index(t)]);
  }
}

void BetWindowState::Reallocate(BetType t, const RaceDayModel& day, int race) {
  Allocate(tables_[Index(t)], t, mode_, Amount(), summaries_[Index(t)]);
  EvaluateResults(tables_[Index(t)], t, PayoutOf(day, race), summaries_[Index(t)]);
}

void BetWindowState::ReallocateAll(const RaceDayModel& day, int race) {
  for (BetType t : kAllBetTypes) Allocate(tables_[Index(t)], t, mode_, Amount(), summaries_[Index(t)]);
  for (BetType t : kEvaluateOrder) EvaluateResults(tables_[Index(t)], t, PayoutOf(day, race), summaries_[Index(t)]);
}

bool IsAmountText(std::string_view text) { return text.size() <= 8 && IsDigits(text); }

bool BetWindowState::ChangeAmount(const std::string& text, RaceDayModel& day, int race) {
  if (!IsAmountText(text)) return false;
  amount_ = text;
  if (race >= 0 && race < kMaxRaces) day.StakeList[static_cast<size_t>(race)] = std::to_string(Amount());
  ReallocateAll(day, race);
  return true;
}

void BetWindowState::ChooseMode(AllocationMode mode, Settings& settings, const RaceDayModel& day, int race) {
  mode_ = mode;
  settings.WriteInt("KaimeSet", "HaibunSet", static_cast<int>(mode));
  ReallocateAll(day, race);
}

void BetWindowState::ChangeOptions(const MultiOptions& options, Settings& settings, const RaceDayModel& day,
                                   int race, const TextGrid& entry, const CandidateSettings& candidates) {
  options_ = options;
  options_.Write(settings);
  Build(day, race, entry, candidates);
}

bool BetWindowState::ClickRow(BetType type, int row, int col, const RaceDayModel& day, int race) {
  TextGrid& table = tables_[Index(type)];
  if (row < 1 || row >= table.RowCount()) return false;
  if (col == kColDelete) {
    static const std::string mark = J("消");
    table.Set(row, kColDelete, IsBlank(Trim(table.At(row, kColDelete))) ? mark : std::string());
  }
  summaries_[Index(type)].ClearTexts();
  Reallocate(type, day, race);
  WriteOccurrenceRates(table, type, runners_, *rates_);
  return true;
}

}  // namespace kv
