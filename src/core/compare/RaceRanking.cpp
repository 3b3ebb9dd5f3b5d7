#include "compare/RaceRanking.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "app/Settings.h"
#include "compare/TwoHorseComparison.h"
#include "odds/OddsLoader.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"

namespace kv {

// ---- key lines ---------------------------------------------------------------------------------

std::string WinRateKey(double winRate, int wins, int horse) { return Fmt("%10.3f%10d%2d", winRate, wins, horse); }

std::string PointWinRateKey(double pointWinRate, int pointWins, int horse) {
  return Fmt("%10.3f%10d%2d", pointWinRate, pointWins, horse);
}

std::string WinsKey(int wins, double pointWinRate, int horse) {
  return Fmt("%10d%10.5f%2d", wins, pointWinRate, horse);
}

std::string WinsRevKey(int wins, int winPopularity, int horse) {
  return Fmt("%10d%10d%2d", wins, winPopularity, horse);
}

std::string PointWinsRevKey(int pointWins, int winPopularity, int horse) {
  return Fmt("%10d%10d%2d", pointWins, winPopularity, horse);
}

int KeyHorse(std::string_view key) { return FldInt(key, 21, 2); }

void RankByKeyLines(std::vector<std::string> keys, bool bestLast, int* ranks) {
  std::sort(keys.begin(), keys.end());
  const int c = static_cast<int>(keys.size());
  for (int k = 0; k < c; ++k) {
    const int h = KeyHorse(keys[static_cast<size_t>(k)]);
    if (h >= 1 && h <= kMaxRunners) ranks[h - 1] = bestLast ? c - k : k + 1;
  }
}

// ---- race comparison ---------------------------------------------------------------------------

void RankRates(TRaceAnalysis& ra, int runners) {
  std::vector<std::string> rateKeys, pointKeys;
  for (int h = 0; h < runners; ++h) {
    const int horse = h + 1;
    if (ra.Wins[h] + ra.Losses[h] > 0) {
      ra.WinRate[h] = static_cast<double>(ra.Wins[h]) / (ra.Wins[h] + ra.Losses[h]);
      rateKeys.push_back(WinRateKey(ra.WinRate[h], ra.Wins[h], horse));
    }
    if (ra.PointWins[h] + ra.PointLosses[h] > 0) {
      ra.PointWinRate[h] = static_cast<double>(ra.PointWins[h]) / (ra.PointWins[h] + ra.PointLosses[h]);
      pointKeys.push_back(PointWinRateKey(ra.PointWinRate[h], ra.PointWins[h], horse));
    }
  }
  RankByKeyLines(std::move(rateKeys), true, ra.WinRateRank);
  RankByKeyLines(std::move(pointKeys), true, ra.PointWinRateRank);
}

bool CompareRace(const RaceDayModel& day, int race, TwoHorseComparison& cmp) {
  const int n = day.RunnerCount(race);
  if (n <= 0) return true;
  for (int i = 0; i < n; ++i) {
    const std::string_view a = day.Entry(race, i);
    for (int j = i + 1; j < n; ++j) {
      const std::string_view b = day.Entry(race, j);
      const int pair = ComboNo(ComboKind::Quinella, i + 1, j + 1);
      const std::string_view nameA = Fld(a, kSE_HorseName18), nameB = Fld(b, kSE_HorseName18);
      const std::string_view idA = Fld(a, kSE_HorseId), idB = Fld(b, kSE_HorseId);
      if (!cmp.Search2Ba(nameA, nameB, idA, idB, i + 1, j + 1, race, pair, FldInt(a, kSE_Weight) / 10.0,
                         FldInt(b, kSE_Weight) / 10.0) ||
          !cmp.Search2BaDirect(nameA, nameB, idA, idB, race, pair))
        return false;
    }
  }
  TRaceAnalysis& ra = cmp.Results(race);
  RankRates(ra, n);
  ra.Compared = 1;
  return true;
}

// ---- win ranking -------------------------------------------------------------------------------

double OddsCeiling(const Settings& settings) {
  const std::string text(Trim(settings.GetText("OddsSpan", "ceil")));
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return 10.0;
  return value;
}

void RankRaceWins(TRaceAnalysis& ra, const TOutData& out, int runners, double ceiling) {
  std::vector<std::string> winsRev, pointsRev, wins;
  for (int h = 0; h < runners; ++h) {
    const int horse = h + 1;
    ra.WinsRevRank[h] = 0;
    ra.PointWinsRevRank[h] = 0;
    const bool withinCeiling = out.WinOdds[h] > 0 && out.WinOdds[h] <= ceiling;
    if (ra.Wins[h] > 0 && withinCeiling) winsRev.push_back(WinsRevKey(ra.Wins[h], out.WinPopularity[h], horse));
    if (ra.PointWins[h] > 0 && withinCeiling)
      pointsRev.push_back(PointWinsRevKey(ra.PointWins[h], out.WinPopularity[h], horse));
    if (ra.Wins[h] > 0) wins.push_back(WinsKey(ra.Wins[h], ra.PointWinRate[h], horse));
  }
  RankByKeyLines(std::move(winsRev), false, ra.WinsRevRank);
  RankByKeyLines(std::move(pointsRev), false, ra.PointWinsRevRank);
  RankByKeyLines(std::move(wins), true, ra.WinsRank);
}

void RankWins(RaceDayModel& day, double ceiling) {
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    RankRaceWins(day.RaceAnalysis(r), day.OutData(r), day.RunnerCount(r), ceiling);
  }
}

void InstallWinRankingAfterOddsLoads() {
  SetWinRankingHook([](RaceDayModel& day) {
    // The ceiling as the settings file holds it now. A day's load loads the odds of every race,
    // so the file is read again only when it changed (another file, size or time).
    struct Cached {
      fs::path::string_type progDir;
      fs::path file;
      FileStamp stamp;
      double ceiling = 0;
    };
    thread_local std::optional<Cached> cached;
    if (!cached || cached->progDir != day.ProgDir.native() || StampOf(cached->file) != cached->stamp) {
      Settings settings(day.ProgDir);
      const FileStamp before = StampOf(settings.Path());
      settings.Load();  // a missing or unreadable file gives the default ceiling
      cached = Cached{day.ProgDir.native(), settings.Path(), before, OddsCeiling(settings)};
    }
    RankWins(day, cached->ceiling);
  });
}

}  // namespace kv
