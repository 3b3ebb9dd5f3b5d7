#pragma once
// Bet-table construction: the eight bet tables of a race from the entry-table marks, the odds
// tables and the odds filter.
//
//   win, place                          every runner marked ◎ (column 24)
//   bracket quinella, quinella, wide,   ◎ to ▲ (columns 24, 26): every ordered pair of different
//   exacta                              rows; exacta adds the reversed order under "マルチ"
//   trio, trifecta                      ◎ / ○ / ▲ formation over three different rows;
//                                       trifecta orders by the multi options
//
// Only entry rows 1 … n (n = entered runners) are read; a row is marked when its mark cell is not
// empty; its horse is column 1. Each table lists every combination once, in ascending text order
// (which is also the numbering order). When the race has odds of the kind (the race number of its
// O1 … O6 record is above 0), a combination is listed only when its odds are above 0 and within
// the inclusive bounds; otherwise every combination is listed with blank odds and popularity.
// Win and place need the runner's win popularity above 0 and odds above 0 within their bounds.
//
// Row cells are cut from one line per combination (see BetTypes.h for the columns):
//   win, place      "%2d" horse + "%6.1f" odds + "%2d" popularity; No. "%2d"
//   pair types      combination (5) + "%7.1f" + "%3d"; No. "%3d"
//   trio            combination (8) + "%7.1f" + "%3d"; No. "%3d"
//   trifecta        combination (8) + "%8.1f" + "%4d"; No. "%4d"
// Column 5 of the pair and triple tables (連人気, hidden) joins the win popularities of the
// combination's horses ("%2d-" … "%2d") when all are above 0; for bracket quinella each bracket
// stands for its best-supported horse (the lowest win popularity among its runners). The hidden
// occurrence columns hold OccurrenceRates (see there) for the popularity in column 4 (win,
// place) or for each number of column 5, "%5.1f".
#include <array>

#include "app/Settings.h"
#include "bets/BetTypes.h"
#include "bets/OccurrenceRates.h"
#include "model/RaceDayModel.h"
#include "text/TextGrid.h"

namespace kv {

// マルチ指定 (settings section "KaimeSet").
struct MultiOptions {
  bool multi = true;     // "マルチ" CheckMulti: exacta both orders, trifecta all six
  bool multi12 = false;  // "1,2着マルチ" CheckMulti12: trifecta first and second swapped
  bool multi23 = false;  // "2,3着マルチ" CheckMulti23: trifecta second and third swapped
  bool multi13 = false;  // "1,3着マルチ" CheckMulti13: trifecta first and third swapped

  static MultiOptions Read(const Settings& settings);
  void Write(Settings& settings) const;
};

// Sixteen bounds in OddsBoundFields order (lower, upper per bet type).
using OddsBoundsArray = std::array<int, 16>;

// Which odds kinds are published: [0] O1 (win, place, bracket quinella) … [5] O6 (trifecta).
using OddsPresence = std::array<bool, 6>;
OddsPresence OddsPresenceOf(const RaceDayModel& day, int race);

struct BetBuildInput {
  const TextGrid& entry;       // the entry table (marks in columns 24-26)
  int runners = 0;             // entered runners n (rows 1 … n are read)
  const TOutData& out;         // odds and popularity tables
  OddsPresence present{};
  OddsBoundsArray bounds{};
  MultiOptions options;
  const OccurrenceRates* rates = nullptr;  // nullptr: the prior alone
};

// A fresh table: the headings in row 0, one blank data row.
TextGrid EmptyBetTable(BetType type);
// The table of one bet type (headings, rows; at least 2 rows). Stake and result columns empty.
TextGrid BuildBetTable(BetType type, const BetBuildInput& in);
// Fills the occurrence columns of every row from its popularity texts.
void WriteOccurrenceRates(TextGrid& table, BetType type, int runners, const OccurrenceRates& rates);

}  // namespace kv
