#pragma once
// Occurrence rates: how often a runner of popularity rank p in a race of n entered runners
// finishes first, in the first two or in the first three — in percent. The bet tables show them
// ("%5.1f") in their hidden occurrence columns: win uses the first place, bracket quinella,
// quinella and exacta the first two, place, wide, trio and trifecta the first three (place with
// 5-7 runners pays the first two only, so it uses the first two there).
//
// The estimate joins a model with the results held in the day-file store:
//
//   prior:  each runner's chance to win is proportional to 0.7^(p-1) (the favourite of a
//           16-runner field wins about 30 % of the time, the second about 21 % …, close to
//           JRA experience); the chance to finish in the first k then follows from these
//           strengths by the usual successive-choice (Harville) rule.
//   data:   every runner in the entry files (Data/*.jvSEr) with a popularity (SE 364) and a final
//           place (SE 335) above 0, grouped by its race's number of runners (filled slots of the
//           race block) and its popularity; a hit counts when the place is within k.
//   rate:   (hits + 30 × prior) / (runs + 30) × 100: thirty races' worth of prior, so a thin
//           sample stays near the model and a rich one speaks for itself.
//
// Damaged or unreadable entry files are skipped. The store is read once per program folder and
// kept for the life of the process (ForProgramFolder).
#include <array>
#include <memory>

#include "app/Files.h"

namespace kv {

class OccurrenceRates {
 public:
  // The prior alone.
  OccurrenceRates();

  // Reads every entry file of the day-file store below progDir.
  static OccurrenceRates FromDayFiles(const fs::path& progDir);
  // FromDayFiles, computed on the first call per folder and cached afterwards.
  static std::shared_ptr<const OccurrenceRates> ForProgramFolder(const fs::path& progDir);

  // Adds one finished runner (n runners in the race, popularity p, final place).
  void AddResult(int n, int popularity, int place);

  // Percent (0..100) of runners of popularity p (1..n) in races of n (1..18) runners that
  // finish within the first `within` (1..3) places; 0 outside those ranges.
  double Rate(int n, int popularity, int within) const;
  // The model's value alone (percent).
  static double PriorRate(int n, int popularity, int within);

  // Runners counted for (n, p).
  int Runs(int n, int popularity) const;

 private:
  static constexpr int kMax = 18;
  // [n-1][p-1]
  std::array<std::array<int, kMax>, kMax> runs_{};
  std::array<std::array<std::array<int, 3>, kMax>, kMax> hits_{};  // [within-1]
};

}  // namespace kv
