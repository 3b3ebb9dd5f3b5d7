// Payout and odds parsing. The first byte picks what the rest is: an HR record evaluated against
// a bet table of every bet type (what the bet window does whenever the amount changes), or the
// six odds records O1..O6 (cut apart like a multi-part input) built into a race's odds tables.
#include "FuzzSupport.h"
#include "bets/BetTypes.h"
#include "bets/StakeAllocation.h"
#include "model/RaceDayModel.h"
#include "odds/OddsLoader.h"
#include "text/TextGrid.h"

using namespace kv;

namespace {

void Payout(std::string_view hr) {
  static const char* const kCells[] = {" 1", " 3", " 1- 2", " 2- 5", " 1- 2- 3", "12-13-14", "", "x"};
  for (BetType t : kAllBetTypes) {
    const BetTableLayout& L = LayoutOf(t);
    TextGrid table(1 + static_cast<int>(std::size(kCells)), L.columns);
    int row = 1;
    for (const char* cell : kCells) {
      table.Set(row, kColNo, "1");
      table.Set(row, kColCombo, cell);
      table.Set(row, L.stakeCol, "100");
      IsPaidCombination(t, cell, hr);
      ++row;
    }
    BetSummary summary;
    summary.total = "800";
    EvaluateResults(table, t, hr, summary);
  }
}

void Odds(std::string_view bytes, int runners) {
  static TOutData* out = new TOutData();
  const std::vector<std::string_view> parts = fuzz::SplitParts(bytes, 6);
  std::array<std::string_view, 6> o;
  for (size_t i = 0; i < 6; ++i) o[i] = parts[i];
  BuildOddsTables(*out, runners, o);
  for (std::string_view p : parts) OddsFieldValue(p.substr(0, std::min<size_t>(p.size(), 8)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1)
    Payout(rest);
  else
    Odds(rest, (data[0] >> 1) % 20);  // 0..19 registered runners, one beyond the largest field
  return 0;
}
