#include "compare/CompareTables.h"

#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

const std::string& Circle() {
  static const std::string s = J("○");
  return s;
}

std::string ShownName(std::string_view se) { return RemoveFullBlanks(Trim(Fld(se, kSE_HorseName))); }

CellStyle Centred(CellColor background) {
  CellStyle s;
  s.background = background;
  s.align = CellAlign::Center;
  return s;
}

CellColor Silver() { return CellColor::Rgb(192, 192, 192); }
CellColor White() { return CellColor::Rgb(255, 255, 255); }
CellColor Magenta() { return CellColor::Rgb(255, 0, 255); }

}  // namespace

void FillCompareDetail(TextGrid& grid, const RaceDayModel& day, int race) {
  const int n = race >= 0 && race < kMaxRaces ? day.RunnerCount(race) : 0;
  const TRaceAnalysis& ra = day.RaceAnalysis(race >= 0 && race < kMaxRaces ? race : 0);
  grid.Resize(1 + n * (n - 1) / 2, 15);
  grid.ClearRows(1);
  static const std::string kWon = " " + Circle();
  int row = 1;
  for (int a = 1; a < n; ++a)
    for (int b = a + 1; b <= n; ++b, ++row) {
      const int p = ComboNo(ComboKind::Quinella, a, b) - 1;
      grid.SetRow(row, {"", Fmt("%2d", a), ShownName(day.Entry(race, a - 1)), Fmt("%3d", ra.PairFirstPt[p]),
                        Fmt("%3d", ra.PairFirstOwnPt[p]), Fmt("%3d", ra.PairFirstTotalPt[p]),
                        ra.PairFirstWon[p] > 0 ? kWon : "", Fmt("%2d", b), ShownName(day.Entry(race, b - 1)),
                        Fmt("%3d", ra.PairSecondPt[p]), Fmt("%3d", ra.PairSecondOwnPt[p]),
                        Fmt("%3d", ra.PairSecondTotalPt[p]), ra.PairSecondWon[p] > 0 ? kWon : "",
                        Fmt("%3d", ra.PairCompared[p]), Fmt("%3d", ra.PairDirect[p])});
    }
}

void FillWinLoss(TextGrid& grid, const RaceDayModel& day, int race) {
  static const std::string kLost = J("×");
  const int n = race >= 0 && race < kMaxRaces ? day.RunnerCount(race) : 0;
  const TRaceAnalysis& ra = day.RaceAnalysis(race >= 0 && race < kMaxRaces ? race : 0);
  grid.Resize(n + 1, n + 1);
  grid.Clear();
  for (int h = 1; h <= n; ++h) {
    grid.Set(0, h, Fmt("%2d", h));
    grid.Set(h, 0, Fmt("%2d", h));
  }
  for (int a = 1; a < n; ++a)
    for (int b = a + 1; b <= n; ++b) {
      const int p = ComboNo(ComboKind::Quinella, a, b) - 1;
      if (ra.PairFirstWon[p] > 0) {
        grid.Set(a, b, Circle());
        grid.Set(b, a, kLost);
      } else if (ra.PairSecondWon[p] > 0) {
        grid.Set(a, b, kLost);
        grid.Set(b, a, Circle());
      }
    }
}

CellStyle CompareDetailStyle(const TextGrid& grid, int row, int col) {
  if (row == 0 || col == 0) return Centred(Silver());
  switch (col) {
    case 1:
    case 7: return Centred(CellColor::Rgb(47, 255, 151));
    case 2:
    case 8: {
      CellStyle s = Centred(CellColor::Rgb(255, 255, 128));
      s.align = CellAlign::Left;
      return s;
    }
    case 6:
    case 12: return Centred(Trim(grid.At(row, col)) == Circle() ? Magenta() : White());
    case 13:
    case 14: return Centred(CellColor::Rgb(255, 185, 255));
    default: return Centred(White());
  }
}

CellStyle WinLossStyle(const TextGrid& grid, int row, int col) {
  if (row == 0 || col == 0) return Centred(Silver());
  if (row == col) return Centred(CellColor::Rgb(0, 0, 0));
  return Centred(Trim(grid.At(row, col)) == Circle() ? Magenta() : CellColor::Rgb(128, 128, 128));
}

std::string RaceStatusText(const RaceDayModel& day, int race) {
  if (race >= 0 && race < kMaxRaces && day.RaceAnalysis(race).Compared == 1)
    return J("当レースの集計結果は下記の通りです。");
  return J("集計が未実行です。「全レース比較」ボタンをクリックして集計してください。");
}

}  // namespace kv
