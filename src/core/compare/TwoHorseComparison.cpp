#include "compare/TwoHorseComparison.h"

#include <limits>
#include <vector>

#include "compare/CommonOpponents.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "app/Ports.h"

namespace kv {
namespace {

}  // namespace

void NormalizeHorseNameInto(std::string& out, std::string_view name) {
  static const std::string kPad = J("　　　　　　　　　");
  out.assign(Trim(name));
  out += kPad;
  out.resize(kak::kNameLen);  // a byte cut, as the field entries' names are
}

std::string NormalizeHorseName(std::string_view name) {
  std::string n;
  NormalizeHorseNameInto(n, name);
  return n;
}

PairCounters CompareThroughOpponents(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB,
                                     int raceDate, int weightA, int weightB) {
  OpponentGroups aGroups;
  return CompareThroughOpponents(a, b, nameA, nameB, raceDate, weightA, weightB, aGroups);
}

PairCounters CompareThroughOpponents(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB,
                                     int raceDate, int weightA, int weightB, OpponentGroups& aGroups) {
  PairCounters c;
  // Every race before the analysed one (no lower bound).
  const DateWindow before{std::numeric_limits<int>::min(), raceDate};
  ForEachComparisonByOpponent(a, b, nameA, nameB, before, aGroups, [&](int lineA, int e, int lineB, int f) {
    const PastRunRace& la = a.races[static_cast<size_t>(lineA)];
    const PastRunRace& lb = b.races[static_cast<size_t>(lineB)];
    if (!IsScored(la, e, lb, f)) return;
    const PastRunRunner& ca = la.field[static_cast<size_t>(e)];
    const PastRunRunner& cb = lb.field[static_cast<size_t>(f)];
    AddComparison(c, MarginHundredths(la.time, ca.time, la.weight, ca.weight, weightA, weightB),
                  MarginHundredths(lb.time, cb.time, lb.weight, cb.weight, weightB, weightA));
  });
  return c;
}

int CountMeetings(const PastRunIndex& a, int nameB, int raceDate) {
  if (nameB == PastRunCache::kBlankName) return 0;
  int meetings = 0, counted = -1;  // B's places come in line order; a line counts once
  for (const PastRunPlace& p : a.Find(nameB)) {
    if (p.line == counted) continue;
    const PastRunRace& la = a.races[static_cast<size_t>(p.line)];
    if (la.date < raceDate && la.finalPos >= 1) ++meetings;
    counted = p.line;
  }
  return meetings;
}

bool TwoHorseComparison::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

void TwoHorseComparison::NormaliseAndAnnounce(std::string_view nameA, std::string_view nameB) {
  NormalizeHorseNameInto(normA_, nameA);
  NormalizeHorseNameInto(normB_, nameB);
  if (!ui_) return;
  const size_t n = normA_.size();
  if (shown_.size() == n + 2 + normB_.size() && shown_.compare(0, n, normA_) == 0 &&
      shown_.compare(n + 2, std::string::npos, normB_) == 0)
    return;  // already on show
  shown_.assign(normA_);
  shown_ += "vs";
  shown_ += normB_;
  ui_->ProgressDetail(shown_);
}

TRaceAnalysis& TwoHorseComparison::Results(int raceSlot) {
  return results_ ? *results_ : model_.RaceAnalysis(raceSlot);
}

int TwoHorseComparison::RaceDate(int raceSlot) const {
  return static_cast<int>(FldLong(model_.Race(raceSlot), kHdr_Date));
}

bool TwoHorseComparison::Search2Ba(std::string_view nameA, std::string_view nameB, std::string_view idA,
                                   std::string_view idB, int numberA, int numberB, int raceSlot, int pairNumber,
                                   double weightA, double weightB) {
  error_.clear();
  if (raceSlot < 0 || raceSlot >= kMaxRaces || pairNumber < 1 || pairNumber > kMaxPairs || numberA < 1 ||
      numberA > kMaxRunners || numberB < 1 || numberB > kMaxRunners)
    return Fail(Fmt("Search2Ba: race slot %d, pair %d, horses %d-%d out of range", raceSlot, pairNumber, numberA,
                    numberB));
  NormaliseAndAnnounce(nameA, nameB);
  const std::string &normA = normA_, &normB = normB_;
  struct Pump {  // let pending window messages run once the pair is done, however it ends
    UiPort* ui;
    ~Pump() {
      if (ui) ui->ProcessMessages();
    }
  } pump{ui_};

  if (IsBlank(nameA) || IsBlank(nameB) || !(weightA > 0) || !(weightB > 0) || normA == normB) return true;
  const PastRunIndex* a = cache_.Get(idA, &error_, lane_);
  if (!error_.empty()) return false;
  const PastRunIndex* b = cache_.Get(idB, &error_, lane_);
  if (!error_.empty()) return false;
  if (!a || !b) return true;

  const PairCounters c = CompareThroughOpponents(*a, *b, cache_.NameId(normA, lane_), cache_.NameId(normB, lane_),
                                                 RaceDate(raceSlot), WeightTenths(weightA),
                                                 WeightTenths(weightB), aGroups_);
  TRaceAnalysis& ra = Results(raceSlot);
  const int p = pairNumber - 1, ha = numberA - 1, hb = numberB - 1;
  ra.PairCompared[p] = c.compared;
  ra.PairFirstPt[p] = c.pointsA;
  ra.PairSecondPt[p] = c.pointsB;
  ra.PairFirstOwnPt[p] = c.soleA;
  ra.PairSecondOwnPt[p] = c.soleB;
  ra.PairFirstTotalPt[p] = c.TotalA();
  ra.PairSecondTotalPt[p] = c.TotalB();
  if (c.TotalA() > c.TotalB()) {
    ++ra.Wins[ha];
    ++ra.PairFirstWon[p];
    ++ra.Losses[hb];
  } else if (c.TotalB() > c.TotalA()) {
    ++ra.Wins[hb];
    ++ra.PairSecondWon[p];
    ++ra.Losses[ha];
  }
  ra.PointWins[ha] += c.TotalA();
  ra.PointLosses[ha] += c.TotalB();
  ra.PointWins[hb] += c.TotalB();
  ra.PointLosses[hb] += c.TotalA();
  return true;
}

bool TwoHorseComparison::Search2BaDirect(std::string_view nameA, std::string_view nameB, std::string_view idA,
                                         std::string_view /*idB*/, int raceSlot, int pairNumber) {
  error_.clear();
  if (raceSlot < 0 || raceSlot >= kMaxRaces || pairNumber < 1 || pairNumber > kMaxPairs)
    return Fail(Fmt("Search2BaDirect: race slot %d, pair %d out of range", raceSlot, pairNumber));
  NormaliseAndAnnounce(nameA, nameB);  // pending messages run once per pair, after Search2Ba
  const std::string &normA = normA_, &normB = normB_;

  if (IsBlank(nameA) || IsBlank(nameB) || normA == normB) return true;
  const PastRunIndex* a = cache_.Get(idA, &error_, lane_);
  if (!error_.empty()) return false;
  if (!a) return true;
  Results(raceSlot).PairDirect[pairNumber - 1] = CountMeetings(*a, cache_.NameId(normB, lane_), RaceDate(raceSlot));
  return true;
}

}  // namespace kv
