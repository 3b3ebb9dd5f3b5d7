#pragma once
// Stake allocation and bet summaries, worked on the texts of a bet table (BetTypes.h).
//
// A row is live when its "No." cell is not blank and its deletion cell is not "消". Allocate
// spreads one amount A over the live rows by one of four modes, writes stake "%6d", return
// "%7.0f" (stake × odds) and rate "%7.1f" (return / total stake × 100) per row, and the summary
// labels: number of bets "%3d", total stake "%6d" and the expected return rate "%7.1f" (the mean
// per-combination return as a percentage of the total stake; black above 100, red above 0 up to
// 100). Evaluate fills the result columns and the actual return from the race's HR record.
//
//   mode  name  counted rows r               stake of a live row with odds o
//   0     均等  live rows with odds text      Trunc(A / r / 100 + 0.9) × 100, at least 100
//   1     比例  live rows with odds text      share s = (1/o) / Σ(1/o) × 100;
//                                             Trunc(A × s / 10000 + 0.95) × 100, at least 100
//   2     均一  live rows with o > 0          A rounded down to whole hundreds
//   3     期配  live rows with o > 0          Trunc(A / o / 100 + 0.99) × 100, at least 100
//
// Nothing at all changes when A < 100 or the table has more than 4897 rows; nothing beyond that
// when the table has no data row or row 1 has no odds. Odds texts carry one decimal; products
// stake × odds are computed exactly in tenths, so 100 × 2.3 is 230, never 229.
#include <cstdint>
#include <string>
#include <string_view>

#include "bets/BetTypes.h"
#include "text/TextGrid.h"

namespace kv {

enum class AllocationMode { Equal = 0, Proportional = 1, Uniform = 2, PayoutTarget = 3 };
// Captions "均等", "比例", "均一", "期配" (CP932).
const std::string& AllocationModeCaption(AllocationMode m);
inline constexpr int kMaxBetTableRows = 4897;

enum class LabelColor { Default, Black, Red };

// The four summary labels of one bet type (Tan…/Fuk…/… TensuLabel, ToshiLabel,
// YosoKaishuLabel, KaishuLabel). A label keeps its colour until a rule sets another.
struct BetSummary {
  std::string count;         // 買い点数
  std::string total;         // 投票金額
  std::string expectedRate;  // 予想回収率
  LabelColor expectedColor = LabelColor::Default;
  std::string actualReturn;  // 回収金額
  LabelColor actualColor = LabelColor::Default;

  // Empties the four texts (colours stay).
  void ClearTexts() { count.clear(), total.clear(), expectedRate.clear(), actualReturn.clear(); }
};

// The stake of every row in mode 均一: the amount rounded down to whole hundreds, since a vote
// takes stakes in 100-yen units only (150 gives 100, 12345 gives 12300).
inline long long UniformStake(long long amount) { return amount / 100 * 100; }

// True when the row takes part in allocation.
bool IsLiveRow(const TextGrid& table, int row);

// Fills the stake, return and rate columns and the count, total and expected-rate labels.
void Allocate(TextGrid& table, BetType type, AllocationMode mode, long long amount, BetSummary& summary);

// Fills the result columns (payout "%7d", result return "%7d", result popularity "%3d") of every
// row that matches a paid entry of the HR record, and the actual-return label ("%8d", red when
// below the total stake; empty when nothing was won).
void EvaluateResults(TextGrid& table, BetType type, std::string_view hr, BetSummary& summary);

// True when a combination cell is paid in the HR record: win and place compare the cell read as
// a number with the paid horse numbers (above 0); the other types compare the text exactly,
// never for a blank cell. The bet window draws such cells in magenta.
bool IsPaidCombination(BetType type, std::string_view comboCell, std::string_view hr);

// The odds text of a cell in tenths (" 12.3" gives 123); -1 when the cell is blank or not a
// number.
long long OddsTenths(std::string_view cell);

}  // namespace kv
