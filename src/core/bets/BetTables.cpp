#include "bets/BetTables.h"

#include <string>
#include <vector>

#include "bets/Marking.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"

namespace kv {

MultiOptions MultiOptions::Read(const Settings& s) {
  return {s.GetBool("KaimeSet", "CheckMulti"), s.GetBool("KaimeSet", "CheckMulti12"),
          s.GetBool("KaimeSet", "CheckMulti23"), s.GetBool("KaimeSet", "CheckMulti13")};
}

void MultiOptions::Write(Settings& s) const {
  s.WriteBool("KaimeSet", "CheckMulti", multi);
  s.WriteBool("KaimeSet", "CheckMulti12", multi12);
  s.WriteBool("KaimeSet", "CheckMulti23", multi23);
  s.WriteBool("KaimeSet", "CheckMulti13", multi13);
}

OddsPresence OddsPresenceOf(const RaceDayModel& day, int race) {
  OddsPresence p{};
  if (race < 0 || race >= kMaxRaces) return p;
  for (int t = 1; t <= 6; ++t) p[t - 1] = FldInt(day.OddsRecords(t)[race], kHdr_RaceNum) > 0;
  return p;
}

TextGrid EmptyBetTable(BetType type) {
  const BetTableLayout& L = LayoutOf(type);
  TextGrid g(2, L.columns);
  const auto& head = Headings(type);
  for (int c = 0; c < L.columns; ++c) g.Set(0, c, head[static_cast<size_t>(c)]);
  return g;
}

namespace {

struct Marked {
  std::vector<int> axis1, axis2, partner;  // horse numbers, one per marked row (row order)
};

Marked ReadMarks(const TextGrid& entry, int runners) {
  Marked m;
  const int last = std::min(runners, entry.RowCount() - 1);
  for (int row = 1; row <= last; ++row) {
    const int h = ParseInt(entry.At(row, kEntryColHorse));
    if (h < 1 || h > kMaxRunners) continue;  // never an index outside the odds tables
    if (!entry.At(row, kMarkColAxis1).empty()) m.axis1.push_back(h);
    if (!entry.At(row, kMarkColAxis2).empty()) m.axis2.push_back(h);
    if (!entry.At(row, kMarkColPartner).empty()) m.partner.push_back(h);
  }
  return m;
}

// Odds and popularity tables of a combination bet type.
struct OddsTable {
  const double* odds;
  const int* pop;
  int presentIndex;  // O1..O6 as 0..5
};

OddsTable TableOf(BetType t, const TOutData& out) {
  switch (t) {
    case BetType::Bracket: return {out.BracketOdds, out.BracketPopularity, 0};
    case BetType::Quinella: return {out.QuinellaOdds, out.QuinellaPopularity, 1};
    case BetType::Wide: return {out.WideOdds, out.WidePopularity, 2};
    case BetType::Exacta: return {out.ExactaOdds, out.ExactaPopularity, 3};
    case BetType::Trio: return {out.TrioOdds, out.TrioPopularity, 4};
    case BetType::Trifecta: return {out.TrifectaOdds, out.TrifectaPopularity, 5};
    default: return {out.WinOdds, out.WinPopularity, 0};
  }
}

bool WithinBounds(double odds, int lower, int upper) { return odds > 0 && lower <= odds && odds <= upper; }

// Which place count the occurrence columns of a table speak of.
int OccurrenceWithin(BetType t, int runners) {
  switch (t) {
    case BetType::Win: return 1;
    case BetType::Place: return runners <= 7 ? 2 : 3;
    case BetType::Bracket:
    case BetType::Quinella:
    case BetType::Exacta: return 2;
    default: return 3;
  }
}

// Win popularity standing for a member of a combination: the horse's own, or for a bracket the
// lowest positive popularity among its runners.
int MemberPopularity(BetType t, int member, const BetBuildInput& in) {
  if (t != BetType::Bracket) return member >= 1 && member <= kMaxRunners ? in.out.WinPopularity[member - 1] : 0;
  int best = 0;
  for (int h = 1; h <= in.runners && h <= kMaxRunners; ++h) {
    const int p = in.out.WinPopularity[h - 1];
    if (BracketOfHorse(in.runners, h) == member && p > 0 && (best == 0 || p < best)) best = p;
  }
  return best;
}

TextGrid SingleTable(BetType type, const BetBuildInput& in, const Marked& m) {
  const bool win = type == BetType::Win;
  const int lower = in.bounds[win ? 0 : 2], upper = in.bounds[win ? 1 : 3];
  std::array<bool, kMaxRunners + 1> take{};
  for (int h : m.axis1) {
    const double odds = win ? in.out.WinOdds[h - 1] : in.out.PlaceOddsMin[h - 1];
    if (in.out.WinPopularity[h - 1] > 0 && WithinBounds(odds, lower, upper)) take[h] = true;
  }
  TextGrid g = EmptyBetTable(type);
  int rows = 0;
  for (int h = 1; h <= kMaxRunners; ++h) rows += take[h];
  g.SetRowCount(std::max(2, rows + 1));
  int row = 0;
  for (int h = 1; h <= kMaxRunners; ++h) {
    if (!take[h]) continue;
    ++row;
    const double odds = win ? in.out.WinOdds[h - 1] : in.out.PlaceOddsMin[h - 1];
    const int pop = win ? in.out.WinPopularity[h - 1] : in.out.PlacePopularityMin[h - 1];
    const std::string line = Fmt("%2d%6.1f%2d", h, odds, pop);
    g.Set(row, kColNo, Fmt("%2d", row));
    g.Set(row, kColCombo, FldStr(line, 1, 2));
    g.Set(row, kColOdds, FldStr(line, 3, 6));
    g.Set(row, kColPopularity, FldStr(line, 9, 2));
  }
  return g;
}

// Combination numbers chosen for a table (bitmap indexed by number).
std::vector<bool> CollectCombos(BetType type, const BetBuildInput& in, const Marked& m) {
  const ComboKind kind = ComboKindOf(type);
  std::vector<bool> chosen(static_cast<size_t>(ComboCount(kind)) + 1, false);
  auto add = [&](int a, int b, int c = 0) {
    const int no = ComboNo(kind, a, b, c);
    if (no > 0) chosen[static_cast<size_t>(no)] = true;
  };
  if (MembersOf(type) == 2) {
    for (size_t i = 0; i < m.axis1.size(); ++i)
      for (size_t j = 0; j < m.partner.size(); ++j) {
        const int x = m.axis1[i], y = m.partner[j];
        if (x == y) continue;  // the same row (or the same horse twice) never pairs with itself
        switch (type) {
          case BetType::Bracket: {
            const int bx = BracketOfHorse(in.runners, x), by = BracketOfHorse(in.runners, y);
            add(std::min(bx, by), std::max(bx, by));
            break;
          }
          case BetType::Exacta:
            add(x, y);
            if (in.options.multi) add(y, x);
            break;
          default: add(std::min(x, y), std::max(x, y)); break;
        }
      }
    return chosen;
  }
  const MultiOptions& o = in.options;
  for (int x : m.axis1)
    for (int y : m.axis2) {
      if (y == x) continue;
      for (int z : m.partner) {
        if (z == x || z == y) continue;
        if (type == BetType::Trio) {
          int a = x, b = y, c = z;
          if (a > b) std::swap(a, b);
          if (b > c) std::swap(b, c);
          if (a > b) std::swap(a, b);
          add(a, b, c);
          continue;
        }
        add(x, y, z);
        if (o.multi || o.multi23) add(x, z, y);
        if (o.multi || o.multi12) add(y, x, z);
        if (o.multi || o.multi13) add(z, y, x);
        if (o.multi) {
          add(y, z, x);
          add(z, x, y);
        }
      }
    }
  return chosen;
}

TextGrid ComboTable(BetType type, const BetBuildInput& in, const Marked& m) {
  const ComboKind kind = ComboKindOf(type);
  const OddsTable t = TableOf(type, in.out);
  const bool present = in.present[static_cast<size_t>(t.presentIndex)];
  const int lower = in.bounds[static_cast<size_t>(2 * Index(type))];
  const int upper = in.bounds[static_cast<size_t>(2 * Index(type) + 1)];
  const std::vector<bool> chosen = CollectCombos(type, in, m);

  std::vector<int> numbers;
  for (int no = 1; no < static_cast<int>(chosen.size()); ++no) {
    if (!chosen[static_cast<size_t>(no)]) continue;
    if (present && !WithinBounds(t.odds[no - 1], lower, upper)) continue;
    numbers.push_back(no);
  }

  const bool triple = MembersOf(type) == 3;
  const bool trifecta = type == BetType::Trifecta;
  const int comboLen = triple ? 8 : 5;
  const int oddsLen = trifecta ? 8 : 7;
  const int popLen = trifecta ? 4 : 3;
  const char* oddsFmt = trifecta ? "%8.1f" : "%7.1f";
  const char* popFmt = trifecta ? "%4d" : "%3d";
  const char* noFmt = trifecta ? "%4d" : "%3d";
  const std::string blankOdds(7, ' '), blankPop(3, ' ');

  TextGrid g = EmptyBetTable(type);
  g.SetRowCount(std::max(2, static_cast<int>(numbers.size()) + 1));
  int row = 0;
  for (int no : numbers) {
    ++row;
    const std::string& combo = ComboText(kind, no);
    std::string line = combo;
    if (present) {
      line += Fmt(oddsFmt, t.odds[no - 1]);
      line += Fmt(popFmt, t.pop[no - 1]);
    } else {
      line += blankOdds;
      line += blankPop;
    }
    g.Set(row, kColNo, Fmt(noFmt, row));
    g.Set(row, kColCombo, FldStr(line, 1, comboLen));
    g.Set(row, kColOdds, FldStr(line, comboLen + 1, oddsLen));
    g.Set(row, kColPopularity, FldStr(line, comboLen + oddsLen + 1, popLen));

    const Combo c = ComboOf(kind, no);
    const int members[3] = {c.first, c.second, c.third};
    std::string ren;
    bool all = true;
    for (int i = 0; i < MembersOf(type); ++i) {
      const int p = MemberPopularity(type, members[i], in);
      if (p <= 0) {
        all = false;
        break;
      }
      ren += Fmt(i + 1 < MembersOf(type) ? "%2d-" : "%2d", p);
    }
    if (all) g.Set(row, kColRenPopularity, ren);
  }
  return g;
}

}  // namespace

TextGrid BuildBetTable(BetType type, const BetBuildInput& in) {
  const Marked m = ReadMarks(in.entry, in.runners);
  TextGrid g = MembersOf(type) == 1 ? SingleTable(type, in, m) : ComboTable(type, in, m);
  static const OccurrenceRates prior;
  WriteOccurrenceRates(g, type, in.runners, in.rates ? *in.rates : prior);
  return g;
}

void WriteOccurrenceRates(TextGrid& table, BetType type, int runners, const OccurrenceRates& rates) {
  const BetTableLayout& L = LayoutOf(type);
  const int within = OccurrenceWithin(type, runners);
  for (int row = 1; row < table.RowCount(); ++row) {
    for (int i = 0; i < L.occurrenceCount; ++i) table.Set(row, L.occurrenceCol + i, "");
    if (L.occurrenceCount == 1) {
      const int p = ParseInt(table.At(row, kColPopularity));
      if (p > 0) table.Set(row, L.occurrenceCol, Fmt("%5.1f", rates.Rate(runners, p, within)));
      continue;
    }
    const std::string& ren = table.At(row, kColRenPopularity);
    for (int i = 0; i < L.occurrenceCount; ++i) {
      const int p = ParseInt(Fld(ren, 3 * i + 1, 2));
      if (p > 0) table.Set(row, L.occurrenceCol + i, Fmt("%5.1f", rates.Rate(runners, p, within)));
    }
  }
}

}  // namespace kv
