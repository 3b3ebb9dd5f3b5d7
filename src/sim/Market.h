#pragma once
// The betting market of one race: votes per combination for the eight bet types, odds after
// JRA's takeout, popularity ranks, and the payouts that a result gives.
//
// Combination slots follow the fixed JV-Data numbering: win and place by horse number (18),
// bracket quinella 36, quinella and wide 153, exacta 306, trio 816, trifecta 4896, each in
// ascending lexicographic order of the number tuple.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Rng.h"

namespace kv::sim {

enum BetType { kWin, kPlace, kBracket, kQuinella, kWide, kExacta, kTrio, kTrifecta, kBetTypes };

// Takeout in per mille: win and place 20 %, bracket quinella, quinella and wide 22.5 %, exacta
// and trio 25 %, trifecta 27.5 %.
inline constexpr int kTakeoutPerMille[kBetTypes] = {200, 200, 225, 225, 225, 250, 250, 275};
inline constexpr int kSlotCount[kBetTypes] = {18, 18, 36, 153, 153, 306, 816, 4896};

// What a combination slot holds in an odds record.
enum class Slot : uint8_t {
  Absent,      // no such runner or combination: spaces
  Live,        // sold: odds and popularity
  PreCancel,   // cancelled before sales (a runner withdrawn before betting opened): all "-"
  PostCancel,  // cancelled after sales (a runner scratched after betting opened): all "*"
};

struct Pool {
  bool sold = false;
  int64_t total = 0;              // votes of the pool in 100-yen units
  std::vector<Slot> state;        // per slot
  std::vector<int64_t> votes;     // per slot, 100-yen units
  std::vector<int> odds;          // tenths; for place and wide the lower bound
  std::vector<int> oddsMax;       // place and wide: upper bound in tenths
  std::vector<int> pop;           // popularity rank, 1 = most voted; 0 = no votes
};

// The runners as the market sees them, indexed by horse number - 1.
struct MarketField {
  int entered = 0;                 // registered runners (1..18)
  std::array<int, 18> frame{};     // bracket of each horse number
  std::array<int, 18> scratch{};   // 0 runs, 1 cancelled before sales, 2 scratched after sales
  std::array<double, 18> strength{};  // the market's relative belief (> 0 for runners)
  int Starters() const;
  int PlacesPaid() const;          // 2 with 7 starters or fewer, else 3; 0 below 5 starters
  bool BracketSold() const { return entered >= 9; }
};

struct Market {
  std::array<Pool, kBetTypes> pools;
};

// Builds the market for a field. poolScale multiplies the base pool sizes (sales so far and
// the race's appeal); noise is the spread of the public's vote share around the model
// probabilities (0 gives the exact model). Popularity ranks are filled only when withRanks
// (sorting the 4896 trifecta slots is the dearest step and payouts need only a few ranks).
Market BuildMarket(const MarketField& field, double poolScale, double noise, Rng& rng, bool withRanks);

// Fills pool.pop: 1 for the most voted slot, equal votes share a rank, 0 for unvoted slots.
void RankPool(Pool& pool);

// The popularity rank of one slot as RankPool gives it, without ranking the whole pool.
int PopularityOf(const Pool& pool, int slot);

// The odds (tenths) a pool pays on one combination slot whose winning set is given: the net
// pool shared among the winning combinations as JRA shares it (the profit split in equal parts
// among the winning combinations), floored to 10 yen per 100 yen, at least 100 yen.
int64_t PayoutYen(const Pool& pool, int betType, const std::vector<int>& winningSlots, int slot);

// Slot index (0-based) of a combination; numbers are horse numbers (brackets for kBracket).
int SlotOf(int betType, int a, int b = 0, int c = 0);

// The numbers of a slot (0-based index): {a, b, c}, c = 0 for pairs, b = c = 0 for win/place.
std::array<int, 3> NumbersOf(int betType, int slot);

}  // namespace kv::sim
