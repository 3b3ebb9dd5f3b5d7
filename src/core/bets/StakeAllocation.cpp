#include "bets/StakeAllocation.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

const std::string& DeleteMark() {
  static const std::string mark = J("消");
  return mark;
}

// The combination text of payout entry i of the bet type's group ("" for win and place).
std::string PaidComboText(BetType type, std::string_view hr, int i) {
  const PayoutGroup& g = kHR_Groups[Index(type)];
  const std::string_view f = Fld(hr, g.combo.At(i));
  switch (type) {
    case BetType::Win:
    case BetType::Place: return {};
    // Fld clips: an empty or short payout record (no payout yet) reads blank numbers.
    case BetType::Bracket: return Fmt("%2d-%2d", FldInt(f, 1, 1), FldInt(f, 2, 1));
    case BetType::Trio:
    case BetType::Trifecta: return Fmt("%2d-%2d-%2d", FldInt(f, 1, 2), FldInt(f, 3, 2), FldInt(f, 5, 2));
    default: return Fmt("%2d-%2d", FldInt(f, 1, 2), FldInt(f, 3, 2));
  }
}

bool EntryMatches(BetType type, std::string_view cell, std::string_view hr, int i) {
  if (type == BetType::Win || type == BetType::Place) {
    const int horse = FldInt(hr, kHR_Groups[Index(type)].combo.At(i));
    return horse > 0 && ParseInt(cell) == horse;
  }
  return !IsBlank(cell) && cell == PaidComboText(type, hr, i);
}

}  // namespace

const std::string& AllocationModeCaption(AllocationMode m) {
  static const std::string captions[] = {J("均等"), J("比例"), J("均一"), J("期配")};
  return captions[static_cast<int>(m)];
}

long long OddsTenths(std::string_view cell) {
  const std::string text(Trim(cell));
  if (text.empty()) return -1;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return -1;
  return std::llround(v * 10.0);
}

bool IsLiveRow(const TextGrid& table, int row) {
  return !IsBlank(table.At(row, kColNo)) && table.At(row, kColDelete) != DeleteMark();
}

void Allocate(TextGrid& table, BetType type, AllocationMode mode, long long amount, BetSummary& summary) {
  if (amount < 100 || table.RowCount() > kMaxBetTableRows) return;
  if (table.RowCount() < 2 || IsBlank(table.At(1, kColOdds))) return;
  const BetTableLayout& L = LayoutOf(type);
  const int rows = table.RowCount();
  for (int row = 1; row < rows; ++row) {
    table.Set(row, L.stakeCol, "");
    table.Set(row, L.returnCol, "");
    table.Set(row, L.rateCol, "");
  }

  // Live rows with an odds text, and their odds in tenths.
  std::vector<int> withOdds;
  std::vector<long long> tenths(static_cast<size_t>(rows), -1);
  for (int row = 1; row < rows; ++row) {
    if (!IsLiveRow(table, row) || IsBlank(table.At(row, kColOdds))) continue;
    withOdds.push_back(row);
    tenths[static_cast<size_t>(row)] = OddsTenths(table.At(row, kColOdds));
  }
  int positive = 0;
  for (int row : withOdds) positive += tenths[static_cast<size_t>(row)] > 0;

  std::vector<long long> stake(static_cast<size_t>(rows), -1);
  long long r = 0;
  switch (mode) {
    case AllocationMode::Equal: {
      r = static_cast<long long>(withOdds.size());
      if (r == 0) break;
      long long unit = static_cast<long long>(std::trunc(static_cast<double>(amount) / r / 100.0 + 0.9)) * 100;
      if (unit < 100) unit = 100;
      for (int row : withOdds) stake[static_cast<size_t>(row)] = unit;
      break;
    }
    case AllocationMode::Proportional: {
      r = static_cast<long long>(withOdds.size());
      // Weights 1/o (the scale of the first row's odds cancels in the share).
      double sum = 0;
      for (int row : withOdds) {
        const long long o = tenths[static_cast<size_t>(row)];
        if (o > 0) sum += 10.0 / static_cast<double>(o);
      }
      for (int row : withOdds) {
        const long long o = tenths[static_cast<size_t>(row)];
        const double share = o > 0 && sum > 0 ? 10.0 / static_cast<double>(o) / sum * 100.0 : 0.0;
        long long s = static_cast<long long>(std::trunc(static_cast<double>(amount) * share / 10000.0 + 0.95)) * 100;
        if (s < 100) s = 100;
        stake[static_cast<size_t>(row)] = s;
      }
      break;
    }
    case AllocationMode::Uniform:
      r = positive;
      if (r == 0) break;
      for (int row : withOdds) stake[static_cast<size_t>(row)] = UniformStake(amount);
      break;
    case AllocationMode::PayoutTarget:
      r = positive;
      for (int row : withOdds) {
        const long long o = tenths[static_cast<size_t>(row)];
        if (o <= 0) continue;  // no odds to aim at: no stake rather than a division by zero
        long long s = static_cast<long long>(std::trunc(static_cast<double>(amount) * 10.0 / o / 100.0 + 0.99)) * 100;
        if (s < 100) s = 100;
        stake[static_cast<size_t>(row)] = s;
      }
      break;
  }

  long long total = 0;
  for (int row : withOdds) {
    const long long s = stake[static_cast<size_t>(row)];
    if (s < 0) continue;
    table.Set(row, L.stakeCol, Fmt("%6lld", s));
    total += s;
  }

  const bool proportional = mode == AllocationMode::Proportional;
  if (proportional || r > 0) {
    summary.count = Fmt("%3lld", r);
    summary.total = Fmt("%6lld", total);
  }
  if (!(proportional ? total > 0 : r > 0) || total <= 0 || r <= 0) return;

  std::int64_t returns = 0;
  for (int row : withOdds) {
    const long long s = stake[static_cast<size_t>(row)];
    const long long o = tenths[static_cast<size_t>(row)];
    if (s < 0) continue;
    // stake × odds, exact: stakes are whole yen and odds whole tenths.
    const long long pay10 = s * (o > 0 ? o : 0);
    const double pay = static_cast<double>(pay10) / 10.0;
    table.Set(row, L.returnCol, Fmt("%7.0f", pay));
    table.Set(row, L.rateCol, Fmt("%7.1f", pay / static_cast<double>(total) * 100.0));
    returns += pay10 / 10;
  }
  const double e = static_cast<double>(returns) / static_cast<double>(r) / static_cast<double>(total) * 100.0;
  summary.expectedRate = Fmt("%7.1f", e);
  if (e > 100) summary.expectedColor = LabelColor::Black;
  else if (e > 0) summary.expectedColor = LabelColor::Red;
}

void EvaluateResults(TextGrid& table, BetType type, std::string_view hr, BetSummary& summary) {
  if (table.RowCount() < 2) return;
  const BetTableLayout& L = LayoutOf(type);
  const PayoutGroup& g = kHR_Groups[Index(type)];
  std::int64_t total = 0;
  for (int row = 1; row < table.RowCount(); ++row) {
    const std::string& cell = table.At(row, kColCombo);
    for (int i = 0; i < g.count; ++i) {
      if (!EntryMatches(type, cell, hr, i)) continue;
      const long long p = FldLong(hr, g.pay.At(i));
      const long long s = ParseLong(table.At(row, L.stakeCol));
      table.Set(row, L.payoutCol, Fmt("%7lld", p));
      const long long back = p * s / 100;
      if (type == BetType::Bracket && p * s <= 0) table.Set(row, L.resultReturnCol, "");
      else table.Set(row, L.resultReturnCol, Fmt("%7lld", back));
      total += back;
      table.Set(row, L.resultPopCol, Fmt("%3d", FldInt(hr, g.pop.At(i))));
    }
  }
  if (total != 0) {
    summary.actualReturn = Fmt("%8lld", static_cast<long long>(total));
    summary.actualColor = total < ParseLong(summary.total) ? LabelColor::Red : LabelColor::Black;
  } else {
    summary.actualReturn.clear();
  }
}

bool IsPaidCombination(BetType type, std::string_view comboCell, std::string_view hr) {
  const PayoutGroup& g = kHR_Groups[Index(type)];
  for (int i = 0; i < g.count; ++i)
    if (EntryMatches(type, comboCell, hr, i)) return true;
  return false;
}

}  // namespace kv
