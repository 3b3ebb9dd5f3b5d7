#include "workbench/ComparisonViews.h"

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/EntryTable.h"
#include "workbench/Workbench.h"

namespace kv {

namespace {

int RaceDate(const RaceDayModel& day, int r) { return static_cast<int>(FldLong(day.Race(r), kHdr_Date)); }

}  // namespace

bool ComparisonViews::Request(TwoHorseRequest& req) const {
  const RaceDayModel* day = wb_.Day();
  if (!day || wb_.SelectedListIndex() < 0) return false;
  const ComparePick& pick = wb_.CompareHorses();
  req = TwoHorseRequest{pick.nameA, pick.nameB, pick.weightA, pick.weightB, pick.horseIdA, pick.horseIdB,
                        RaceDate(*day, day->SelectedRace), wb_.DataSpanPreset()};
  return true;
}

void ComparisonViews::Show(const TwoHorseViewResult& res, bool summary) {
  if (!res.ran) {
    wb_.Ui().Info(res.message);
    return;
  }
  counter_ = TwoHorseCounter(res.rows);
  summary_ = summary ? TwoHorseSummary(res.scored) : std::array<std::string, 4>{};
  Changed(AnalysisTab::TwoHorse);
}

void ComparisonViews::CompareTwoHorses() {
  TwoHorseRequest req;
  if (!Request(req)) return;
  PastRunLines files(wb_.ProgDir());
  Show(kv::CompareTwoHorses(files, req, wb_.Grids().twoHorse), true);
}

void ComparisonViews::CompareDirect() {
  TwoHorseRequest req;
  if (!Request(req)) return;
  PastRunLines files(wb_.ProgDir());
  Show(kv::CompareDirect(files, req, wb_.Grids().twoHorse), false);
}

void ComparisonViews::Clear() {
  wb_.ClearCompareHorses();
  Changed(AnalysisTab::Entry);
}

void ComparisonViews::RunKt() {
  const RaceDayModel* day = wb_.Day();
  if (!day || wb_.SelectedListIndex() < 0) return;
  const int r = day->SelectedRace;
  const std::string_view ra = day->Race(r);
  KtRace race;
  race.raceDate = RaceDate(*day, r);
  race.distance = FldInt(ra, kRA_Distance);
  race.trackCode = FldStr(ra, kRA_Track);
  race.dataSpan = wb_.DataSpanPreset();
  for (int k = 0; k < day->RunnerCount(r); ++k) {
    const std::vector<std::string> row = EntryTableRow(*day, r, k);
    race.runners.push_back({row[kEntryColName], row[kEntryColWeight], FldStr(day->Entry(r, k), kSE_HorseId)});
  }
  PastRunLines files(wb_.ProgDir());
  MainGrids& g = wb_.Grids();
  wb_.Ui().BusyCursor(true);
  RunKtAnalysis(files, race, g.twoHorse, g.ktData, g.ktMatrix, wb_.Ui());
  wb_.Ui().BusyCursor(false);
  Changed(AnalysisTab::Kt);
}

void ComparisonViews::Copy(const TextGrid& grid, bool withNames) {
  const RaceHeader& h = wb_.Header();
  std::string leading = h.label1 + "\r\n" + h.label2 + "\r\n" + h.label3 + "\r\n" + h.label4;
  if (withNames) leading += "\r\n" + wb_.CompareHorses().nameA + "\r\n" + wb_.CompareHorses().nameB;
  wb_.GetDesktop().SetClipboard(grid.CopyText(0, 0, leading, grid.RowCount() - 1, grid.ColCount() - 1));
}

void ComparisonViews::CopyTwoHorse() {
  if (TwoHorseGridEmpty(wb_.Grids().twoHorse)) {
    wb_.Ui().Info(J("２頭比較を行ってください。"));
    return;
  }
  Copy(wb_.Grids().twoHorse, true);
}

void ComparisonViews::CopyCompareDetail() { Copy(wb_.Grids().compareDetail, false); }
void ComparisonViews::CopyWinLoss() { Copy(wb_.Grids().winLoss, false); }
void ComparisonViews::CopyKtData() { Copy(wb_.Grids().ktData, false); }
void ComparisonViews::CopyKtMatrix() { Copy(wb_.Grids().ktMatrix, false); }

}  // namespace kv
