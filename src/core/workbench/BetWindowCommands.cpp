#include "workbench/BetWindowCommands.h"

#include <algorithm>

#include "bets/Marking.h"
#include "bets/OccurrenceRates.h"
#include "compare/EntryTableSort.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/EntryTable.h"
#include "workbench/Workbench.h"

namespace kv {

std::string RaceAmountText(const RaceDayModel& day, int race, const Settings& settings) {
  std::string amount(Trim(day.StakeList[static_cast<size_t>(race)]));
  if (amount.empty()) amount = std::to_string(settings.GetInt("KaimeSet", "DefaultAmount"));
  return amount;
}

void BuildRaceBets(RaceDayModel& day, int race, const CandidateSettings& candidates, TextGrid& entry,
                   BetWindowState& bets) {
  day.SelectedRace = day.WorkRace = race;
  entry.ClearRows(1);
  entry.SetRowCount(day.RunnerCount(race) + 1);
  FillEntryTable(entry, day, race);
  SortEntryTable(entry, EntrySort::HorseNo);
  ApplyCandidateSet(day, race, candidates, entry);
  bets.Build(day, race, entry, candidates);
}

void BetWindowCommands::AddView(BetWindowView* view) {
  if (view && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void BetWindowCommands::RemoveView(BetWindowView* view) { std::erase(views_, view); }

void BetWindowCommands::Changed() {
  // A copy: a view may remove itself while being told.
  const std::vector<BetWindowView*> views = views_;
  for (BetWindowView* v : views) v->BetsChanged();
}

void BetWindowCommands::Create() {
  Settings& settings = wb_.GetSettings();
  state_.LoadOptions(settings);
  tab_ = ReadBakenshu(settings);
  created_ = true;
  OpenCandidateSettings();
}

void BetWindowCommands::EnsureCreated() {
  if (!created_) Create();
}

void BetWindowCommands::OpenCandidateSettings() {
  candidates_ = CandidateSettings();
  const FileResult r = candidates_.Open(wb_.ProgDir(), wb_.GetSettings(), &wb_.GetClock());
  if (!r)
    wb_.Ui().Warning(J("買い目候補馬設定ファイルを読み書きできませんでした。") + "\r\n" + ToCp932(r.error));
}

CandidateSettings::Position BetWindowCommands::CandidateDialogPosition() const {
  return CandidateSettings::ReadPosition(wb_.GetSettings());
}

void BetWindowCommands::SaveCandidateDialogPosition(CandidateSettings::Position p) {
  if (p.top == CandidateDialogPosition().top && p.left == CandidateDialogPosition().left &&
      wb_.GetSettings().Has("UserKaimeForm", "top"))
    return;
  CandidateSettings::WritePosition(wb_.GetSettings(), p);
}

void BetWindowCommands::DayGone() {
  state_.Clear();
  Changed();
}

int BetWindowCommands::SelectedRace() const {
  const RaceDayModel* day = wb_.Day();
  if (!day || wb_.SelectedListIndex() < 0) return -1;
  const int r = day->SelectedRace;
  return r >= 0 && r < kMaxRaces ? r : -1;
}

std::string_view BetWindowCommands::SelectedPayout() const {
  const int r = SelectedRace();
  return r < 0 ? std::string_view{} : wb_.Day()->Payout(r);
}

void BetWindowCommands::ApplyCandidateSetToRace() {
  EnsureCreated();
  const int r = SelectedRace();
  if (r < 0) return;
  RaceDayModel& day = *wb_.Day();
  state_.SetAmountText(RaceAmountText(day, r, wb_.GetSettings()));
  ApplyCandidateSet(day, r, candidates_, wb_.Grids().entry);
  Build();
}

void BetWindowCommands::Build() {
  EnsureCreated();
  if (!ratesSet_) {
    // Read once per program folder, on the first build rather than at start-up.
    state_.SetOccurrenceRates(OccurrenceRates::ForProgramFolder(wb_.ProgDir()));
    ratesSet_ = true;
  }
  const int r = SelectedRace();
  if (r < 0) {
    // No race shown: every table empty (Build with no race empties them).
    if (const RaceDayModel* day = wb_.Day()) state_.Build(*day, -1, wb_.Grids().entry, candidates_);
    Changed();
    return;
  }
  state_.Build(*wb_.Day(), r, wb_.Grids().entry, candidates_);
  Changed();
}

void BetWindowCommands::MarkAll(int col) {
  if (col < kMarkColAxis1 || col > kMarkColPartner) return;
  kv::MarkAll(wb_.Grids().entry, col);
  Build();
}

void BetWindowCommands::ClearAll(int col) {
  if (col < kMarkColAxis1 || col > kMarkColPartner) return;
  ClearMarks(wb_.Grids().entry, col);
  Build();
}

void BetWindowCommands::Show() {
  Build();
  const std::vector<BetWindowView*> views = views_;
  for (BetWindowView* v : views) v->ShowRequested();
}

bool BetWindowCommands::ChangeAmount(std::string_view text) {
  EnsureCreated();
  const int r = SelectedRace();
  bool changed = false;
  if (r >= 0) {
    changed = state_.ChangeAmount(std::string(text), *wb_.Day(), r);
  } else {
    // No race: only the field itself changes.
    const bool digits = IsAmountText(text);
    if (digits) state_.SetAmountText(std::string(text));
    changed = digits;
  }
  if (changed) Changed();
  return changed;
}

void BetWindowCommands::ChooseMode(int index) {
  EnsureCreated();
  if (index < 0 || index > 3) return;
  const int r = SelectedRace();
  if (r >= 0) {
    state_.ChooseMode(static_cast<AllocationMode>(index), wb_.GetSettings(), *wb_.Day(), r);
  } else {
    // Without a race the tables are empty: the choice is only stored.
    wb_.GetSettings().WriteInt("KaimeSet", "HaibunSet", index);
    state_.LoadOptions(wb_.GetSettings());
  }
  Changed();
}

bool BetWindowCommands::Option(MultiOption option) const {
  const MultiOptions& o = state_.Options();
  switch (option) {
    case MultiOption::Multi: return o.multi;
    case MultiOption::Multi12: return o.multi12;
    case MultiOption::Multi23: return o.multi23;
    case MultiOption::Multi13: return o.multi13;
  }
  return false;
}

void BetWindowCommands::SetOption(MultiOption option, bool on) {
  EnsureCreated();
  MultiOptions o = state_.Options();
  switch (option) {
    case MultiOption::Multi: o.multi = on; break;
    case MultiOption::Multi12: o.multi12 = on; break;
    case MultiOption::Multi23: o.multi23 = on; break;
    case MultiOption::Multi13: o.multi13 = on; break;
  }
  const int r = SelectedRace();
  if (r >= 0) {
    state_.ChangeOptions(o, wb_.GetSettings(), *wb_.Day(), r, wb_.Grids().entry, candidates_);
  } else {
    o.Write(wb_.GetSettings());
    state_.LoadOptions(wb_.GetSettings());
  }
  Changed();
}

void BetWindowCommands::ChangeTab(int tab) {
  if (tab < 0 || tab >= kBetTypeCount) return;
  tab_ = tab;
  WriteBakenshu(wb_.GetSettings(), tab);
  Changed();
}

bool BetWindowCommands::PressCell(BetType type, int row, int col) {
  const int r = SelectedRace();
  if (r < 0) return false;
  const TextGrid& table = state_.Table(type);
  if (row < 1 || row >= table.RowCount() || IsBlank(table.At(row, kColNo))) return false;
  if (!state_.ClickRow(type, row, col, *wb_.Day(), r)) return false;
  Changed();
  return true;
}

bool BetWindowCommands::PressHeading(BetType type, int col) {
  if (!PressBetTableHeading(state_.MutableTable(type), type, col, dirs_)) return false;
  Changed();
  return true;
}

VoteResult BetWindowCommands::Vote() {
  VoteRequest req;
  req.dateBoxText = wb_.LoadedDayName();
  const int item = wb_.SelectedListIndex();
  const int r = SelectedRace();
  if (item >= 0 && item < static_cast<int>(wb_.RaceList().size()) && r >= 0) {
    req.raceListItem = wb_.RaceList()[static_cast<size_t>(item)];
    req.raceRecord = wb_.Day()->Race(r);
  }
  req.type = ActiveType();
  req.table = &state_.Table(req.type);
  req.pluginDir = wb_.GetSettings().GetText("Dir", "TavoroTohyo2");
  req.amount = state_.Amount();
  return VoteThroughPlugin(req, wb_.Ui(), wb_.GetDesktop());
}

GridLayout BetWindowCommands::TableLayout(BetType type) const {
  return BetTableGridLayout(type, [this] { return SelectedPayout(); });
}

BetWindowGeometry BetWindowCommands::Geometry() const { return ReadBetWindowGeometry(wb_.GetSettings()); }

bool BetWindowCommands::GeometryStored() const { return wb_.GetSettings().Has("Kaimelocate", "top"); }

void BetWindowCommands::SaveGeometry(const BetWindowGeometry& g) { WriteBetWindowGeometry(wb_.GetSettings(), g); }

}  // namespace kv
