#pragma once
// The two-horse comparison: runners A and B of the analysed race are compared on their past
// races through common opponents. Whenever A met some horse C in one of its past races and B met
// the same C (by name) in one of its own, the two time margins over C are corrected for carried
// weight (then and today) and the larger one scores a point; beating C while the other horse lost
// to it scores a sole point as well. Races where A and B met each other are left out; they are
// counted separately as head-to-head meetings.
//
// Only races strictly before the analysed race's date take part, and only lines where the file's
// own horse has a final position. A comparison in which a side has no time (A's or C's time in
// A's race, or B's or C's time in B's race, reads 0) is skipped altogether: it is not counted,
// scores nothing and changes no margin.
//
// The result is that of walking A's lines × field entries × B's lines × field entries in file
// order; the walk here goes through the opponent index of the run's cache, so its cost follows
// the number of real matches rather than the product of the file lengths.
#include <cmath>
#include <string>
#include <string_view>

#include "compare/CommonOpponents.h"
#include "compare/PastRunCache.h"

namespace kv {

class RaceDayModel;
struct TRaceAnalysis;
class UiPort;

// The name with ASCII blanks removed at both ends, followed by nine full-width spaces, cut to its
// first 18 bytes: the form every name test compares byte for byte.
std::string NormalizeHorseName(std::string_view name);

// Counters of one comparison of a pair.
struct PairCounters {
  int compared = 0;           // 比較数
  int pointsA = 0, pointsB = 0;  // Pt: the strictly larger corrected margin
  int soleA = 0, soleB = 0;      // 独Pt: beat the opponent while the other horse lost to it
  int TotalA() const { return pointsA + soleA; }  // 総Pt
  int TotalB() const { return pointsB + soleB; }
  bool operator==(const PairCounters&) const = default;
};

// Today's carried weight in kg (one decimal, as SE positions 289-291 divided by 10) as a whole
// number of tenths of a kilogram; not above 0 stays not above 0.
inline int WeightTenths(double kg) { return kg > 0 ? static_cast<int>(std::lround(kg * 10)) : 0; }

// A horse's margin over an opponent in one past race, corrected by 0.2 s per kg that the opponent
// carried more then and per kg that the other compared horse carries more today, in whole
// hundredths of a second:
//   100 × m = 10 × (oppTime − ownTime) − 2 × (oppWeight − ownWeight) − 2 × (todayOther − todayOwn)
// Times in tenths of a second, every weight (past and today) in tenths of a kilogram. Margins are
// whole numbers so that equal margins compare equal and a zero margin is exactly zero, which
// binary fractions of a second do not guarantee (−0.9 can come out as −0.8999999999999998).
// The engine, the comparison view and every check of them compute margins with this function.
inline int MarginHundredths(int ownTime, int oppTime, int ownWeight, int oppWeight, int todayOwn, int todayOther) {
  return 10 * (oppTime - ownTime) - 2 * (oppWeight - ownWeight) - 2 * (todayOther - todayOwn);
}

// What one comparison scores, from the two margins (hundredths of a second).
struct MarginVerdict {
  bool pointA = false, pointB = false;  // the strictly larger margin
  bool soleA = false, soleB = false;    // beat the opponent (margin >= 0) while the other lost to it
};
inline MarginVerdict JudgeMargins(int marginA, int marginB) {
  MarginVerdict v;
  v.pointA = marginA > marginB;
  v.pointB = marginB > marginA;
  v.soleA = marginA >= 0 && marginB < 0;
  v.soleB = marginB >= 0 && marginA < 0;
  return v;
}
inline void AddComparison(PairCounters& c, int marginA, int marginB) {
  const MarginVerdict v = JudgeMargins(marginA, marginB);
  ++c.compared;
  c.pointsA += v.pointA;
  c.pointsB += v.pointB;
  c.soleA += v.soleA;
  c.soleB += v.soleB;
}

// The common-opponent comparison of two parsed files. nameA and nameB are name ids of the cache
// the files were parsed with (normalised names); raceDate is yyyymmdd of the analysed race;
// today's weights in tenths of a kilogram.
PairCounters CompareThroughOpponents(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB,
                                     int raceDate, int weightA, int weightB);
// The same with A's name groups kept by the caller from pair to pair (see OpponentGroups).
PairCounters CompareThroughOpponents(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB,
                                     int raceDate, int weightA, int weightB, OpponentGroups& aGroups);

// Head-to-head meetings: A's lines before raceDate where A has a final position and name B
// occurs among the first n field names.
int CountMeetings(const PastRunIndex& a, int nameB, int raceDate);

// The comparison operations of a race comparison run, writing into the race's analysis block.
class TwoHorseComparison {
 public:
  // The analysed race's date is read from the race slot's RA record in model; the results go to
  // model.RaceAnalysis(race slot). ui (may be null) shows the pair being compared. The files are
  // parsed in the cache's given lane (one comparison per lane at a time).
  TwoHorseComparison(RaceDayModel& model, PastRunCache& cache, UiPort* ui = nullptr, int lane = 0)
      : model_(model), cache_(cache), ui_(ui), lane_(lane) {}

  // Sends the results to this block instead of the race slot's (null: the slot's again), so that
  // a second thread can compare a race without writing the model others read meanwhile.
  void SendResultsTo(TRaceAnalysis* block) { results_ = block; }
  // Where the results of a race slot go.
  TRaceAnalysis& Results(int raceSlot);

  // Compares A (the lower horse number) and B through common opponents and writes the pair's
  // fields (pair number 1..153) and the horses' totals. A pair with a blank or equal name, a
  // weight not above 0 or a missing past-run file is not compared: nothing is written (a draw
  // with no points). Call at most once per pair between two resets of the totals.
  // False when a past-run file is damaged or unreadable (error() names it; nothing written) or
  // an argument is out of range.
  bool Search2Ba(std::string_view nameA, std::string_view nameB, std::string_view idA, std::string_view idB,
                 int numberA, int numberB, int raceSlot, int pairNumber, double weightA, double weightB);

  // Sets PairDirect of the pair to the number of head-to-head meetings found in A's file.
  bool Search2BaDirect(std::string_view nameA, std::string_view nameB, std::string_view idA,
                       std::string_view idB, int raceSlot, int pairNumber);

  // CP932 message of the last failure.
  const std::string& error() const { return error_; }

 private:
  bool Fail(std::string message);
  // Normalises both names into normA_ / normB_ and shows "A vs B" in the progress window (once:
  // the head-to-head count of the pair just compared does not show it again).
  void NormaliseAndAnnounce(std::string_view nameA, std::string_view nameB);
  int RaceDate(int raceSlot) const;

  RaceDayModel& model_;
  PastRunCache& cache_;
  UiPort* ui_;
  int lane_;
  TRaceAnalysis* results_ = nullptr;
  std::string error_;
  // Kept from pair to pair, so that a pair makes no strings of its own.
  std::string normA_, normB_, shown_;
  OpponentGroups aGroups_;  // A's names: A stays while B changes across a race's pairs
};

// NormalizeHorseName into out, reusing its storage.
void NormalizeHorseNameInto(std::string& out, std::string_view name);

}  // namespace kv
