#pragma once
// Race comparison and rankings: every pair of runners of a race is compared through common
// opponents, and the per-horse totals become rates and ranks.
//
// Every ranking formats each ranked runner as a fixed-width text key, sorts the keys as text and
// reads the horse number back from characters 21-22. The formats decide the rounding and the ties:
//
//   ranking            key                                             rank 1 is
//   win rate           "%10.3f" WinRate     "%10d" Wins          "%2d" horse   the last line
//   point win rate     "%10.3f" PointWinRate "%10d" PointWins    "%2d" horse   the last line
//   pair wins          "%10d" Wins          "%10.5f" PointWinRate "%2d" horse  the last line
//   reverse pair wins  "%10d" Wins          "%10d" WinPopularity "%2d" horse   the first line
//   reverse points     "%10d" PointWins     "%10d" WinPopularity "%2d" horse   the first line
//
// So rates tie after rounding to three decimals, the second number breaks ties, and the horse
// number breaks what is left: the higher number ranks better in the first three rankings, the
// lower one in the two reverse rankings.
#include <string>
#include <string_view>
#include <vector>

#include "model/RaceDayModel.h"

namespace kv {

class Settings;
class TwoHorseComparison;

// ---- key lines ---------------------------------------------------------------------------------
std::string WinRateKey(double winRate, int wins, int horse);
std::string PointWinRateKey(double pointWinRate, int pointWins, int horse);
std::string WinsKey(int wins, double pointWinRate, int horse);
std::string WinsRevKey(int wins, int winPopularity, int horse);
std::string PointWinsRevKey(int pointWins, int winPopularity, int horse);

// The horse number of a key line (characters 21-22).
int KeyHorse(std::string_view key);

// Sorts the key lines ascending and stores a rank per horse (index horse - 1): with bestLast the
// line at index k of c lines gets c - k, otherwise k + 1. Horses without a line are not touched.
void RankByKeyLines(std::vector<std::string> keys, bool bestLast, int* ranks);

// ---- race comparison ---------------------------------------------------------------------------

// Compares every pair i < j of the race's registered runners (RA 882) in the order (0,1), (0,2)
// … (1,2) …: Search2Ba then Search2BaDirect with the names (SE 41, 18 bytes), IDs (SE 31-40) and
// today's weights (SE 289-291 / 10); then sets the rates and their ranks and Compared = 1.
// The totals are not reset here: the all-race run resets them before any race is compared.
// A race without registered runners is skipped (true). False when a comparison failed (a damaged
// past-run file): cmp.error() says why, and the race is left half compared, without ranks. The
// results go where cmp sends them (TwoHorseComparison::Results).
bool CompareRace(const RaceDayModel& day, int race, TwoHorseComparison& cmp);

// Win rates, point win rates and their ranks of the first `runners` horses from their totals.
// A horse with no decided pair (no points) keeps the rate -1.0 and rank 0.
void RankRates(TRaceAnalysis& ra, int runners);

// ---- win ranking -------------------------------------------------------------------------------

// The odds ceiling of the reverse ranks: "OddsSpan"/"ceil" read as a decimal number; a value
// that does not read as one gives the default 10.0.
double OddsCeiling(const Settings& settings);

// Ranks by pair wins and the two reverse ranks of one race from its totals and current win
// odds. Only runners with odds above 0 and not above the ceiling get reverse ranks.
void RankRaceWins(TRaceAnalysis& ra, const TOutData& out, int runners, double ceiling);

// The win ranking of every race slot of the day (slots with a blank or "0000" year skipped).
// It runs after the all-race run and after every odds load, so the reverse ranks follow the odds.
void RankWins(RaceDayModel& day, double ceiling);

// Makes every odds load end with the win ranking of its day, on the ceiling stored in the
// settings of the day's program folder (day.ProgDir) at that moment. Holds no pointer to
// anything, so it may be installed once and stay.
void InstallWinRankingAfterOddsLoads();

}  // namespace kv
