#include "Market.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "vocab/Combination.h"

namespace kv::sim {
namespace {

ComboKind KindOf(int betType) {
  switch (betType) {
    case kBracket: return ComboKind::Bracket;
    case kQuinella:
    case kWide: return ComboKind::Quinella;
    case kExacta: return ComboKind::Exacta;
    case kTrio: return ComboKind::Trio;
    default: return ComboKind::Trifecta;
  }
}

// Base pool sizes in 100-yen units for poolScale 1.
constexpr double kBasePool[kBetTypes] = {2.0e6, 2.6e6, 0.8e6, 5.0e6, 2.4e6, 3.6e6, 6.0e6, 14.0e6};
// Largest odds each record field can hold, in tenths.
constexpr int kMaxOdds[kBetTypes] = {9999, 9999, 99999, 999999, 99999, 999999, 999999, 9999999};

int64_t NetPool(const Pool& pool, int betType) {
  return pool.total * (1000 - kTakeoutPerMille[betType]) / 1000;
}

// Tenths paid per unit on a slot with `parts` winning combinations whose votes sum to winVotes.
int64_t PayTenths(int64_t net, int64_t v, int64_t winVotes, int parts) {
  if (v <= 0) v = 1;
  const int64_t profit = net - winVotes;
  if (profit <= 0) return 10;
  const int64_t t = (v * parts + profit) * 10 / (static_cast<int64_t>(parts) * v);
  return std::max<int64_t>(t, 10);
}

// The order of popularity: most votes first; place and wide by their lower (then upper) odds,
// which is how the public reads a range. Equal keys share a rank.
bool Ranged(const Pool& pool) { return !pool.oddsMax.empty(); }

bool Ahead(const Pool& pool, size_t a, size_t b) {
  if (Ranged(pool)) {
    if (pool.odds[a] != pool.odds[b]) return pool.odds[a] < pool.odds[b];
    return pool.oddsMax[a] < pool.oddsMax[b];
  }
  return pool.votes[a] > pool.votes[b];
}

bool Ranked(const Pool& pool, size_t s) { return pool.state[s] == Slot::Live && pool.votes[s] > 0; }

}  // namespace

void RankPool(Pool& pool) {
  const size_t n = pool.votes.size();
  std::vector<size_t> idx;
  idx.reserve(n);
  for (size_t i = 0; i < n; ++i)
    if (Ranked(pool, i)) idx.push_back(i);
  std::sort(idx.begin(), idx.end(), [&](size_t a, size_t b) {
    if (Ahead(pool, a, b)) return true;
    if (Ahead(pool, b, a)) return false;
    return a < b;
  });
  for (size_t r = 0; r < idx.size(); ++r) {
    const size_t s = idx[r];
    if (r > 0 && !Ahead(pool, idx[r - 1], s))
      pool.pop[s] = pool.pop[idx[r - 1]];
    else
      pool.pop[s] = static_cast<int>(r) + 1;
  }
}

int PopularityOf(const Pool& pool, int slot) {
  const size_t s = static_cast<size_t>(slot);
  if (!Ranked(pool, s)) return 0;
  int above = 0;
  for (size_t i = 0; i < pool.votes.size(); ++i)
    if (Ranked(pool, i) && Ahead(pool, i, s)) ++above;
  return above + 1;
}

int MarketField::Starters() const {
  int s = 0;
  for (int i = 0; i < entered; ++i)
    if (scratch[static_cast<size_t>(i)] == 0) ++s;
  return s;
}

int MarketField::PlacesPaid() const {
  const int s = Starters();
  if (s < 5) return 0;
  return s <= 7 ? 2 : 3;
}

int SlotOf(int betType, int a, int b, int c) {
  if (betType == kWin || betType == kPlace) return a - 1;
  return ComboNo(KindOf(betType), a, b, c) - 1;
}

std::array<int, 3> NumbersOf(int betType, int slot) {
  if (betType == kWin || betType == kPlace) return {slot + 1, 0, 0};
  const Combo c = ComboOf(KindOf(betType), slot + 1);
  return {c.first, c.second, c.third};
}

Market BuildMarket(const MarketField& f, double poolScale, double noise, Rng& rng, bool withRanks) {
  Market m;
  const int n = f.entered;
  double p[18] = {};
  double sum = 0;
  for (int i = 0; i < n; ++i)
    if (f.scratch[static_cast<size_t>(i)] == 0) sum += f.strength[static_cast<size_t>(i)];
  for (int i = 0; i < n; ++i)
    if (f.scratch[static_cast<size_t>(i)] == 0 && sum > 0) p[i] = f.strength[static_cast<size_t>(i)] / sum;
  const int places = f.PlacesPaid();

  // Harville: the chance of i first and j second, and of i, j, k in that order.
  auto ex = [&](int i, int j) {
    const double d = 1.0 - p[i];
    return d > 1e-12 ? p[i] * p[j] / d : 0.0;
  };
  auto tri = [&](int i, int j, int k) {
    const double d = 1.0 - p[i] - p[j];
    return d > 1e-12 ? ex(i, j) * p[k] / d : 0.0;
  };

  // Slot state: whether every number of the combination is a registered runner, and whether a
  // withdrawn runner is part of it.
  auto runnerState = [&](int h) -> Slot {
    if (h < 1 || h > n) return Slot::Absent;
    const int s = f.scratch[static_cast<size_t>(h - 1)];
    return s == 0 ? Slot::Live : s == 1 ? Slot::PreCancel : Slot::PostCancel;
  };
  auto combine = [](Slot a, Slot b) {
    if (a == Slot::Absent || b == Slot::Absent) return Slot::Absent;
    if (a == Slot::PostCancel || b == Slot::PostCancel) return Slot::PostCancel;
    if (a == Slot::PreCancel || b == Slot::PreCancel) return Slot::PreCancel;
    return Slot::Live;
  };

  for (int t = 0; t < kBetTypes; ++t) {
    Pool& pool = m.pools[static_cast<size_t>(t)];
    const size_t cnt = static_cast<size_t>(kSlotCount[t]);
    pool.state.assign(cnt, Slot::Absent);
    pool.votes.assign(cnt, 0);
    pool.odds.assign(cnt, 0);
    pool.pop.assign(cnt, 0);
    if (t == kPlace || t == kWide) pool.oddsMax.assign(cnt, 0);
    pool.sold = !(t == kBracket && !f.BracketSold()) && !(t == kPlace && places == 0);
    if (!pool.sold) continue;

    std::vector<double> prob(cnt, 0.0);
    for (size_t s = 0; s < cnt; ++s) {
      const auto num = NumbersOf(t, static_cast<int>(s));
      Slot st = Slot::Absent;
      double pr = 0;
      if (t == kBracket) {
        // Possible with the registered runners, and still live with the starters? Brackets
        // rise with the horse number, so a pair h1 < h2 has frame(h1) <= frame(h2).
        bool possible = false, live = false, post = false;
        for (int h1 = 1; h1 <= n; ++h1) {
          for (int h2 = h1 + 1; h2 <= n; ++h2) {
            if (f.frame[static_cast<size_t>(h1 - 1)] != num[0] || f.frame[static_cast<size_t>(h2 - 1)] != num[1]) continue;
            possible = true;
            const Slot c = combine(runnerState(h1), runnerState(h2));
            if (c == Slot::Live) {
              live = true;
              pr += ex(h1 - 1, h2 - 1) + ex(h2 - 1, h1 - 1);
            } else if (c == Slot::PostCancel) {
              post = true;
            }
          }
        }
        st = !possible ? Slot::Absent : live ? Slot::Live : post ? Slot::PostCancel : Slot::PreCancel;
      } else {
        const int a = num[0] - 1, b = num[1] - 1, c = num[2] - 1;
        st = runnerState(num[0]);
        if (num[1] > 0) st = combine(st, runnerState(num[1]));
        if (num[2] > 0) st = combine(st, runnerState(num[2]));
        if (st == Slot::Live) {
          switch (t) {
            case kWin: pr = p[a]; break;
            case kPlace: {
              pr = p[a];
              for (int j = 0; j < n; ++j) {
                if (j == a) continue;
                pr += ex(j, a);
                if (places == 3)
                  for (int k = 0; k < n; ++k)
                    if (k != a && k != j) pr += tri(j, k, a);
              }
              pr /= places;
              break;
            }
            case kQuinella: pr = ex(a, b) + ex(b, a); break;
            case kWide:
              for (int k = 0; k < n; ++k)
                if (k != a && k != b)
                  pr += tri(a, b, k) + tri(b, a, k) + tri(a, k, b) + tri(b, k, a) + tri(k, a, b) + tri(k, b, a);
              pr /= 3.0;
              break;
            case kExacta: pr = ex(a, b); break;
            case kTrio: pr = tri(a, b, c) + tri(a, c, b) + tri(b, a, c) + tri(b, c, a) + tri(c, a, b) + tri(c, b, a); break;
            default: pr = tri(a, b, c); break;
          }
        }
      }
      pool.state[s] = st;
      prob[s] = pr;
    }

    const double size = kBasePool[t] * poolScale;
    for (size_t s = 0; s < cnt; ++s) {
      if (pool.state[s] != Slot::Live) continue;
      double share = prob[s];
      // The public's deviation from the model: a cheap symmetric spread (this runs for every
      // one of the 4896 trifecta slots of every race).
      if (noise > 0) share *= 1.0 + noise * (2.0 * rng.Uniform() - 1.0);
      const double v = std::floor(share * size + 0.5);
      pool.votes[s] = static_cast<int64_t>(std::max(0.0, v));
      pool.total += pool.votes[s];
    }

    const int64_t net = NetPool(pool, t);
    for (size_t s = 0; s < cnt; ++s) {
      if (pool.state[s] != Slot::Live || pool.votes[s] <= 0) continue;
      const int64_t v = pool.votes[s];
      if (t == kPlace) {
        // The payout depends on which runners place with this one: the lower bound when the
        // most-voted others place with it, the upper bound when the least-voted do.
        std::vector<int64_t> others;
        for (int j = 0; j < n; ++j)
          if (j != static_cast<int>(s) && pool.state[static_cast<size_t>(j)] == Slot::Live) others.push_back(pool.votes[static_cast<size_t>(j)]);
        std::sort(others.begin(), others.end());
        const size_t k = static_cast<size_t>(places - 1);
        int64_t lowSum = v, highSum = v;
        for (size_t q = 0; q < k && q < others.size(); ++q) {
          highSum += others[q];
          lowSum += others[others.size() - 1 - q];
        }
        pool.odds[s] = static_cast<int>(std::min<int64_t>(PayTenths(net, v, lowSum, places), kMaxOdds[t]));
        pool.oddsMax[s] = static_cast<int>(std::min<int64_t>(PayTenths(net, v, highSum, places), kMaxOdds[t]));
      } else if (t == kWide) {
        const auto num = NumbersOf(t, static_cast<int>(s));
        int64_t lo = -1, hi = -1;
        for (int k = 1; k <= n; ++k) {
          if (k == num[0] || k == num[1] || runnerState(k) != Slot::Live) continue;
          const int s1 = SlotOf(kWide, std::min(num[0], k), std::max(num[0], k));
          const int s2 = SlotOf(kWide, std::min(num[1], k), std::max(num[1], k));
          const int64_t win = v + pool.votes[static_cast<size_t>(s1)] + pool.votes[static_cast<size_t>(s2)];
          const int64_t tenths = PayTenths(net, v, win, 3);
          lo = lo < 0 ? tenths : std::min(lo, tenths);
          hi = std::max(hi, tenths);
        }
        if (lo < 0) lo = hi = PayTenths(net, v, v, 1);
        pool.odds[s] = static_cast<int>(std::min<int64_t>(lo, kMaxOdds[t]));
        pool.oddsMax[s] = static_cast<int>(std::min<int64_t>(hi, kMaxOdds[t]));
      } else {
        pool.odds[s] = static_cast<int>(std::min<int64_t>(PayTenths(net, v, v, 1), kMaxOdds[t]));
      }
    }
    if (withRanks) RankPool(pool);
  }
  return m;
}

int64_t PayoutYen(const Pool& pool, int betType, const std::vector<int>& winningSlots, int slot) {
  int64_t winVotes = 0;
  for (int w : winningSlots) winVotes += std::max<int64_t>(pool.votes[static_cast<size_t>(w)], 1);
  const int64_t v = pool.votes[static_cast<size_t>(slot)];
  const int64_t tenths = PayTenths(NetPool(pool, betType), v, winVotes, static_cast<int>(winningSlots.size()));
  return std::max<int64_t>(tenths * 10, 100);
}

}  // namespace kv::sim
