#pragma once
// The walk of the two-horse comparison: every comparison of horses A and B through a common
// opponent C, in the order of walking A's lines × field entries × B's lines × field entries in
// file order. The engine scores what it visits; the comparison view lists it row by row. Both go
// through this one walk, so a row of the view is a comparison of the engine.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "compare/PastRunCache.h"

namespace kv {

// Races that take part: after < date < before (yyyymmdd). The engine has no lower bound; the
// comparison view's window has one.
struct DateWindow {
  int after = 0;
  int before = 0;
  bool Contains(int date) const { return after < date && date < before; }
};

inline bool FieldHasName(const PastRunRace& r, int name) {
  for (int e = 0; e < r.runners; ++e)
    if (r.field[static_cast<size_t>(e)].name == name) return true;
  return false;
}

// True when a comparison is scored: A's and C's times in A's race and B's and C's times in B's
// race are all there. The engine skips any other comparison; the view lists it unscored.
inline bool IsScored(const PastRunRace& la, int entryA, const PastRunRace& lb, int entryB) {
  return la.time != 0 && la.field[static_cast<size_t>(entryA)].time != 0 && lb.time != 0 &&
         lb.field[static_cast<size_t>(entryB)].time != 0;
}

// Calls visit(lineA, entryA, lineB, entryB) (indexes into a.races / b.races and their fields)
// for each comparison: A's lines inside the window where A has a final position and B did not
// run; each field entry C of such a line that is neither blank nor A nor B; each place of C in
// B's lines inside the window where B has a final position and not both A and B ran. nameA and
// nameB are name ids of the cache both files were parsed with.
template <class Visit>
void ForEachComparison(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB, DateWindow window,
                       Visit&& visit) {
  thread_local std::vector<char> usableB;  // kept from pair to pair: no allocation per pair
  usableB.resize(b.races.size());
  for (size_t k = 0; k < b.races.size(); ++k)
    usableB[k] = window.Contains(b.races[k].date) && b.races[k].finalPos >= 1;
  for (const PastRunPlace& p : b.Find(nameA))
    if (FieldHasName(b.races[static_cast<size_t>(p.line)], nameB)) usableB[static_cast<size_t>(p.line)] = 0;

  for (size_t la = 0; la < a.races.size(); ++la) {
    const PastRunRace& ra = a.races[la];
    if (!window.Contains(ra.date) || ra.finalPos < 1 || FieldHasName(ra, nameB)) continue;
    for (int e = 0; e < ra.runners; ++e) {
      const int c = ra.field[static_cast<size_t>(e)].name;
      if (c == PastRunCache::kBlankName || c == nameA || c == nameB) continue;
      for (const PastRunPlace& p : b.Find(c))
        if (usableB[static_cast<size_t>(p.line)]) visit(static_cast<int>(la), e, p.line, p.entry);
    }
  }
}

// The name groups of one file (A) by name id, so that another file's names are looked up against
// it in one step each. Held across the pairs of a race: A stays the same while B changes, and the
// groups are marked again only when A changes. Stamps spare the clearing of the arrays.
class OpponentGroups {
 public:
  // Makes a the file looked up against (nothing to do when it already is). a must stay alive and
  // unchanged while it is held.
  void Hold(const PastRunIndex& a) {
    if (held_ == &a) return;
    held_ = &a;
    if (++epoch_ == 0) {  // wrapped: old stamps could match again
      std::fill(stamp_.begin(), stamp_.end(), 0u);
      epoch_ = 1;
    }
    if (!a.names.empty() && static_cast<size_t>(a.names.back()) >= stamp_.size()) {
      const size_t size = std::max<size_t>(static_cast<size_t>(a.names.back()) + 1, stamp_.size() * 2);
      stamp_.resize(size, 0u);
      group_.resize(size, -1);
    }
    for (size_t g = 0; g < a.names.size(); ++g) {
      stamp_[static_cast<size_t>(a.names[g])] = epoch_;
      group_[static_cast<size_t>(a.names[g])] = static_cast<int>(g);
    }
  }
  // The group of a name in the held file; -1 when the file does not hold it.
  int Group(int name) const {
    return name >= 0 && static_cast<size_t>(name) < stamp_.size() && stamp_[static_cast<size_t>(name)] == epoch_
               ? group_[static_cast<size_t>(name)]
               : -1;
  }

 private:
  const PastRunIndex* held_ = nullptr;
  std::uint32_t epoch_ = 0;
  std::vector<std::uint32_t> stamp_;
  std::vector<int> group_;
};

// The same comparisons as ForEachComparison, each visited once, grouped by opponent instead of in
// file order: for a scorer that only sums. B's opponents are looked up in A's groups (aGroups
// holds a) instead of every field entry of every line of A being looked up in B.
template <class Visit>
void ForEachComparisonByOpponent(const PastRunIndex& a, const PastRunIndex& b, int nameA, int nameB,
                                 DateWindow window, OpponentGroups& aGroups, Visit&& visit) {
  aGroups.Hold(a);
  thread_local std::vector<char> usableA, usableB;  // kept from pair to pair: no allocation per pair
  usableA.resize(a.races.size());
  usableB.resize(b.races.size());
  for (size_t k = 0; k < a.races.size(); ++k)
    usableA[k] = window.Contains(a.races[k].date) && a.races[k].finalPos >= 1;
  for (size_t k = 0; k < b.races.size(); ++k)
    usableB[k] = window.Contains(b.races[k].date) && b.races[k].finalPos >= 1;
  if (nameB == PastRunCache::kBlankName) {  // blanks are not indexed: look at the fields
    for (size_t k = 0; k < a.races.size(); ++k)
      if (FieldHasName(a.races[k], nameB)) usableA[k] = 0;
  } else {
    for (const PastRunPlace& p : a.Find(nameB)) usableA[static_cast<size_t>(p.line)] = 0;
  }
  for (const PastRunPlace& p : b.Find(nameA))
    if (FieldHasName(b.races[static_cast<size_t>(p.line)], nameB)) usableB[static_cast<size_t>(p.line)] = 0;

  for (size_t j = 0; j < b.names.size(); ++j) {
    const int c = b.names[j];
    const int i = aGroups.Group(c);
    if (i < 0 || c == nameA || c == nameB) continue;
    const PastRunPlace* bFirst = b.places.data() + b.starts[j];
    const PastRunPlace* bLast = b.places.data() + b.starts[j + 1];
    const PastRunPlace* aLast = a.places.data() + a.starts[static_cast<size_t>(i) + 1];
    for (const PastRunPlace* pa = a.places.data() + a.starts[static_cast<size_t>(i)]; pa != aLast; ++pa) {
      if (!usableA[static_cast<size_t>(pa->line)]) continue;
      for (const PastRunPlace* pb = bFirst; pb != bLast; ++pb)
        if (usableB[static_cast<size_t>(pb->line)]) visit(pa->line, pa->entry, pb->line, pb->entry);
    }
  }
}

}  // namespace kv
