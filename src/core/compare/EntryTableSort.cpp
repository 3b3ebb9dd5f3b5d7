#include "compare/EntryTableSort.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace kv {

namespace {

constexpr EntrySortButton kButtons[] = {
    {EntrySort::HorseNo, "馬番", 1, false, 11, false},
    {EntrySort::Wins, "勝数", 9, false, 11, true},
    {EntrySort::Finish, "着順", 27, false, 1, false},
    {EntrySort::Losses, "負数", 11, false, 9, true},
    {EntrySort::WinRate, "勝率", 13, false, 9, true},
    {EntrySort::PointsWon, "勝ﾎﾟｲﾝﾄ", 14, true, 16, false},
    {EntrySort::PointsLost, "負ﾎﾟｲﾝﾄ", 16, false, 14, true},
    {EntrySort::PointWinRate, "Pt勝率", 18, false, 14, true},
    {EntrySort::OddsRank, "ｵｯｽﾞ順位", 20, false, 18, false},
};

// -1, 0, 1 as a and b compare byte by byte (unsigned, so CP932 lead bytes sort after ASCII).
int Ordinal(const std::string& a, const std::string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

std::span<const EntrySortButton> EntrySortButtons() { return kButtons; }

const EntrySortButton& EntrySortButtonOf(EntrySort sort) {
  for (const EntrySortButton& b : kButtons)
    if (b.sort == sort) return b;
  return kButtons[0];
}

void SortEntryTable(TextGrid& entry, EntrySort sort) {
  const EntrySortButton& b = EntrySortButtonOf(sort);
  const int rows = entry.RowCount();
  if (rows <= 2) return;
  std::vector<int> order(static_cast<size_t>(rows - 1));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    int c = Ordinal(entry.At(x, b.primary), entry.At(y, b.primary));
    if (b.primaryDescending) c = -c;
    if (c != 0) return c < 0;
    c = Ordinal(entry.At(x, b.secondary), entry.At(y, b.secondary));
    if (b.secondaryDescending) c = -c;
    return c < 0;
  });
  std::vector<std::vector<std::string>> sorted;
  sorted.reserve(order.size());
  for (int r : order) sorted.push_back(entry.Row(r));
  for (int i = 0; i < static_cast<int>(sorted.size()); ++i) entry.SetRow(i + 1, sorted[static_cast<size_t>(i)]);
}

}  // namespace kv
