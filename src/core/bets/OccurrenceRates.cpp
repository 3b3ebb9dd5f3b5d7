#include "bets/OccurrenceRates.h"

#include <map>
#include <mutex>

#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"

namespace kv {

namespace {

constexpr int kMax = 18;
constexpr double kStrengthRatio = 0.7;
constexpr double kPriorWeight = 30.0;

// prior[n-1][p-1][within-1] in percent.
using PriorTable = std::array<std::array<std::array<double, 3>, kMax>, kMax>;

PriorTable BuildPrior() {
  PriorTable t{};
  for (int n = 1; n <= kMax; ++n) {
    std::array<double, kMax> s{};
    double sum = 0;
    for (int p = 0; p < n; ++p) sum += s[p] = p == 0 ? 1.0 : s[p - 1] * kStrengthRatio;
    for (int p = 0; p < n; ++p) s[p] /= sum;
    for (int i = 0; i < n; ++i) {
      // Successive choice: the next place goes to a remaining runner in proportion to strength.
      double first = s[i], second = 0, third = 0;
      for (int j = 0; j < n; ++j) {
        if (j == i) continue;
        const double pj = s[j];
        second += pj * s[i] / (1.0 - pj);
        for (int k = 0; k < n; ++k) {
          if (k == i || k == j) continue;
          const double rest = 1.0 - pj - s[k];
          if (rest > 0) third += pj * s[k] / (1.0 - pj) * s[i] / rest;
        }
      }
      t[n - 1][i][0] = 100.0 * first;
      t[n - 1][i][1] = 100.0 * (first + second);
      t[n - 1][i][2] = 100.0 * (first + second + third);
    }
  }
  return t;
}

const PriorTable& Prior() {
  static const PriorTable table = BuildPrior();
  return table;
}

bool InRange(int n, int p, int within) { return n >= 1 && n <= kMax && p >= 1 && p <= n && within >= 1 && within <= 3; }

}  // namespace

OccurrenceRates::OccurrenceRates() = default;

double OccurrenceRates::PriorRate(int n, int popularity, int within) {
  if (!InRange(n, popularity, within)) return 0.0;
  return Prior()[n - 1][popularity - 1][within - 1];
}

void OccurrenceRates::AddResult(int n, int popularity, int place) {
  if (!InRange(n, popularity, 1) || place < 1) return;
  ++runs_[n - 1][popularity - 1];
  for (int w = 1; w <= 3; ++w)
    if (place <= w) ++hits_[n - 1][popularity - 1][w - 1];
}

int OccurrenceRates::Runs(int n, int popularity) const {
  return InRange(n, popularity, 1) ? runs_[n - 1][popularity - 1] : 0;
}

double OccurrenceRates::Rate(int n, int popularity, int within) const {
  if (!InRange(n, popularity, within)) return 0.0;
  const double runs = runs_[n - 1][popularity - 1];
  const double hits = hits_[n - 1][popularity - 1][within - 1];
  return (hits + kPriorWeight * PriorRate(n, popularity, within) / 100.0) / (runs + kPriorWeight) * 100.0;
}

OccurrenceRates OccurrenceRates::FromDayFiles(const fs::path& progDir) {
  OccurrenceRates rates;
  std::error_code ec;
  const fs::path data = ResolveNoCase(progDir, "Data");
  if (!fs::is_directory(data, ec)) return rates;
  for (fs::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    if (path.extension() != ".jvSEr") continue;
    RecordFile file = RecordFile::ReadType(path, "SE");
    if (!file.ok()) continue;
    // The entry file is a grid: line (race - 1) * 18 + (horse - 1); an empty slot is blank.
    for (size_t block = 0; block * kMax < file.size(); ++block) {
      const size_t first = block * kMax;
      const size_t last = std::min(file.size(), first + kMax);
      int runners = 0;
      for (size_t i = first; i < last; ++i) runners += FldInt(file.Line(i), kSE_HorseNum) > 0;
      for (size_t i = first; i < last; ++i) {
        std::string_view se = file.Line(i);
        rates.AddResult(runners, FldInt(se, kSE_Popularity), FldInt(se, kSE_Finish));
      }
    }
  }
  return rates;
}

std::shared_ptr<const OccurrenceRates> OccurrenceRates::ForProgramFolder(const fs::path& progDir) {
  static std::mutex mutex;
  static std::map<fs::path, std::shared_ptr<const OccurrenceRates>> cache;
  std::lock_guard lock(mutex);
  auto& slot = cache[progDir];
  if (!slot) slot = std::make_shared<const OccurrenceRates>(FromDayFiles(progDir));
  return slot;
}

}  // namespace kv
