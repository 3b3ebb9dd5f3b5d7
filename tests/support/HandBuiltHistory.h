#pragma once
// A history built record by record for the backtest: days of races with eight runners at one
// venue, final win and place odds with a chosen favourite, and win and place payouts; candidate
// sets chosen by rank positions.
#include <array>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "app/Files.h"
#include "bets/CandidateSets.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::test {

// A candidate set: ◎ by win popularity ranks, ○ by point-win-rate and win popularity ranks, ▲ by
// win popularity and win-rate ranks; the odds bounds of the first default set.
inline std::string SetLine(const std::string& name, std::vector<int> axis1Pop, std::vector<int> axis2PointRate,
                    std::vector<int> axis2Pop, std::vector<int> partnerPop, std::vector<int> partnerWinRate) {
  CandidateSet set = ParseSetLine(DefaultSetLines()[0]);
  set.checks = {};
  for (int r : axis1Pop) set.checks[0][static_cast<int>(Criterion::WinPopularity)][r - 1] = true;
  for (int r : axis2PointRate) set.checks[1][static_cast<int>(Criterion::PointWinRate)][r - 1] = true;
  for (int r : axis2Pop) set.checks[1][static_cast<int>(Criterion::WinPopularity)][r - 1] = true;
  for (int r : partnerPop) set.checks[2][static_cast<int>(Criterion::WinPopularity)][r - 1] = true;
  for (int r : partnerWinRate) set.checks[2][static_cast<int>(Criterion::WinRate)][r - 1] = true;
  set.name = NameField(J(name.c_str()));
  return FormatSetLine(set);
}

inline bool WriteSets(const fs::path& prog, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  return WriteFileAtomic(prog / kCandidateSetFileName, bytes).ok;
}

// One race of the hand-built history: eight runners, horse `favourite` the first in win
// popularity at `winOdds` tenths; the result pays `winPay` to `winner` and place to `placed`.
struct HandRace {
  std::string key;  // 16-digit race key
  int favourite;
  int winOdds;
  int winner;
  int winPay;
  std::array<int, 3> placed;
  std::array<int, 3> placePay;
};

// Writes the race, entry, odds and payout files of one day of hand races (all at one venue);
// false when a file could not be written.
inline bool WriteDay(const fs::path& prog, const std::vector<HandRace>& races) {
  const std::string dayName = DayName(MakeRecord("RA", {{kHdr_RaceKey, races[0].key}}));
  std::string ra, o1, hr;
  std::vector<std::string> grid(12 * kMaxRunners, std::string(kLineLenSE, ' ') + "\r\n");
  for (const HandRace& r : races) {
    const int no = ParseInt(r.key.substr(14, 2));
    ra += MakeRecord("RA", {{kHdr_RaceKey, r.key}, {kRA_Entered, "08"}, {kRA_PostTime, "1000"}});
    std::string odds = MakeRecord("O1", {{kHdr_RaceKey, r.key}});
    for (int h = 1; h <= 8; ++h) {
      grid[static_cast<size_t>((no - 1) * kMaxRunners + h - 1)] = MakeRecord(
          "SE", {{kHdr_RaceKey, r.key}, {kSE_Frame, "1"}, {kSE_HorseNum, Fmt("%02d", h)},
                 {kSE_HorseId, Fmt("20080000%02d", h)}});
      // Popularity: the favourite first, the others after it in horse-number order.
      const int pop = h == r.favourite ? 1 : (h < r.favourite ? h + 1 : h);
      const int tenths = h == r.favourite ? r.winOdds : 50 + 10 * pop;
      PutFld(odds, kO1_WinOdds.At(h - 1), Fmt("%04d", tenths));
      PutFld(odds, kO1_WinPop.At(h - 1), Fmt("%02d", pop));
      PutFld(odds, kO1_PlaceOddsMin.At(h - 1), Fmt("%04d", 10 + pop));
      PutFld(odds, kO1_PlaceOddsMax.At(h - 1), Fmt("%04d", 20 + pop));
      PutFld(odds, kO1_PlacePop.At(h - 1), Fmt("%02d", pop));
    }
    o1 += odds;
    std::string pay = MakeRecord("HR", {{kHdr_RaceKey, r.key},
                                        {kHR_Win.combo.At(0), Fmt("%02d", r.winner)},
                                        {kHR_Win.pay.At(0), Fmt("%09d", r.winPay)},
                                        {kHR_Win.pop.At(0), "01"}});
    for (int i = 0; i < 3; ++i) {
      PutFld(pay, kHR_Place.combo.At(i), Fmt("%02d", r.placed[static_cast<size_t>(i)]));
      PutFld(pay, kHR_Place.pay.At(i), Fmt("%09d", r.placePay[static_cast<size_t>(i)]));
      PutFld(pay, kHR_Place.pop.At(i), "01");
    }
    hr += pay;
  }
  std::string entries;
  for (const std::string& l : grid) entries += l;
  fs::create_directories(prog / "DATA");
  return WriteFileAtomic(DataFilePath(prog, dayName + J(".jvRA")), ra).ok &&
         WriteFileAtomic(DataFilePath(prog, EntryFileName(dayName + J(".jvRA"), "05")), entries).ok &&
         WriteFileAtomic(DataFilePath(prog, dayName + J(".jvO1")), o1).ok &&
         WriteFileAtomic(DataFilePath(prog, dayName + J(".jvHR")), hr).ok;
}

}  // namespace kv::test
