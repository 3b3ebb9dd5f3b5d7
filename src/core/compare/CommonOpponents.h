#pragma once
// The walk of the two-horse comparison: every comparison of horses A and B through a common
// opponent C, in the order of walking A's lines × field entries × B's lines × field entries in
// file order. The engine scores what it visits; the comparison view lists it row by row. Both go
// through this one walk, so a row of the view is a comparison of the engine.
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

}  // namespace kv
