#include "compare/KtAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

// A "%4.1f" cell in tenths of a second; 0 when it is not a number.
int Tenths(const std::string& text) {
  const std::string t(Trim(text));
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str()) return 0;
  return static_cast<int>(std::lround(v * 10));
}

std::string SecondsText(int tenths) { return Fmt("%5.1f", tenths / 10.0); }

// Track flag and distance difference of a race from its ﾄﾗｯｸ cell ("芝1800").
std::string TrackPart(const std::string& cell, const KtRace& race) {
  const std::string own = TrackName(race.trackCode).substr(0, 2);
  const std::string flag = cell.substr(0, 2) == own ? "1" : "2";
  const int distance = cell.size() > 2 ? ParseInt(std::string_view(cell).substr(2, 4)) : 0;
  return flag + Fmt("%4d", std::abs(race.distance - distance));
}

char ClassOf(const TextGrid& g, int row) {
  const int posA = ParseInt(g.At(row, 4)), entryB = ParseInt(g.At(row, 20));
  if (g.At(row, kTwoHorseDiffA) == g.At(row, kTwoHorseDiffB)) return 'Z';
  switch (posA) {
    case 1: return 'A';
    case 2: return 'B';
    default: break;
  }
  switch (entryB) {
    case 1: return 'C';
    case 2: return 'D';
    default: break;
  }
  switch (posA) {
    case 3: return 'E';
    case 4: return 'F';
    case 5: return 'G';
    default: break;
  }
  switch (entryB) {
    case 3: return 'H';
    case 4: return 'I';
    case 5: return 'J';
    default: return 0;
  }
}

void Adopt(const TextGrid& compare, int row, int horseA, int horseB, TextGrid& adopted, TextGrid& matrix) {
  int at = 1;
  if (!adopted.At(1, 0).empty()) {
    at = adopted.RowCount();
    adopted.SetRowCount(at + 1);
  }
  for (int c = 0; c < kTwoHorseCols; ++c) adopted.Set(at, c, compare.At(row, c));
  const int a = Tenths(compare.At(row, kTwoHorseDiffA)), b = Tenths(compare.At(row, kTwoHorseDiffB));
  adopted.Set(at, 31, Fmt("%2dx%2d", horseA, horseB));
  adopted.Set(at, 32, SecondsText(b - a));
  adopted.Set(at, 33, SecondsText(a - b));
  if (horseA > 0 && horseB > 0) {
    matrix.Set(horseB, horseA, SecondsText(b - a));
    matrix.Set(horseA, horseB, SecondsText(a - b));
  }
}

}  // namespace

void ResetKtDataGrid(TextGrid& grid) {
  ResetTwoHorseGrid(grid);
  grid.SetColCount(kKtDataCols);
  grid.Set(0, 31, J("対象"));
  grid.Set(0, 32, J("表"));
  grid.Set(0, 33, J("裏"));
}

void ResetKtMatrix(TextGrid& matrix, int runners) {
  matrix.Resize(runners + 1, runners + 1);
  matrix.Clear();
  for (int h = 1; h <= runners; ++h) {
    matrix.Set(0, h, Fmt("%2d", h));
    matrix.Set(h, 0, Fmt("%2d", h));
  }
}

std::string KtCandidateLine(const TextGrid& g, int row, const KtRace& race, int horseA, int horseB) {
  const int posA = ParseInt(g.At(row, 4)), entryA = ParseInt(g.At(row, 8)), entryB = ParseInt(g.At(row, 20)),
            posB = ParseInt(g.At(row, 24));
  if (posA >= 10 || entryA >= 10 || entryB >= 10 || posB >= 10) return {};
  // A comparison the engine does not score (a time missing) has no margins to adopt.
  if (Trim(g.At(row, kTwoHorseDiffA)).empty() || Trim(g.At(row, kTwoHorseDiffB)).empty()) return {};
  const char cls = ClassOf(g, row);
  if (cls == 0) return {};
  const bool aFirst = std::string_view("ABEFGZ").find(cls) != std::string_view::npos;
  const int first = aFirst ? 0 : 16, second = aFirst ? 16 : 0;
  return std::string(1, cls) + TrackPart(g.At(row, first + 1), race) + TrackPart(g.At(row, second + 1), race) +
         Fmt("%2d%2d", posA, entryB) + g.At(row, first) + Fmt("%2dx%2d%3d", horseA, horseB, row);
}

void RunKtAnalysis(PastRunLines& files, const KtRace& race, TextGrid& compareGrid, TextGrid& adopted,
                   TextGrid& matrix, UiPort& ui) {
  const int n = static_cast<int>(race.runners.size());
  ResetKtDataGrid(adopted);
  ResetKtMatrix(matrix, n);
  for (int j = 1; j < n; ++j) {
    for (int k = j + 1; k <= n; ++k) {
      const KtRunner& a = race.runners[static_cast<size_t>(j - 1)];
      const KtRunner& b = race.runners[static_cast<size_t>(k - 1)];
      const TwoHorseRequest req{a.name, b.name, a.weight, b.weight, a.id, b.id, race.raceDate, race.dataSpan};
      const TwoHorseViewResult view = CompareTwoHorses(files, req, compareGrid);
      ui.ProcessMessages();
      if (!view.ran) {
        ui.Info(view.message);
        continue;
      }
      if (view.rows == 0) continue;
      std::vector<std::string> lines;
      for (int row = 1; row <= view.rows; ++row) {
        std::string line = KtCandidateLine(compareGrid, row, race, j, k);
        if (!line.empty()) lines.push_back(std::move(line));
      }
      if (lines.empty()) continue;
      const std::string& best = *std::min_element(lines.begin(), lines.end());
      Adopt(compareGrid, ParseInt(std::string_view(best).substr(30, 3)), j, k, adopted, matrix);
    }
  }
}

CellStyle KtDataCellStyle(const TextGrid& grid, int row, int col) {
  if (col < kTwoHorseCols) return TwoHorseCellStyle(grid, row, col);
  CellStyle s;
  s.align = CellAlign::Center;
  s.background = row == 0 ? CellColor::Rgb(192, 192, 192) : CellColor::Rgb(255, 193, 255);
  return s;
}

CellStyle KtMatrixCellStyle(const TextGrid& grid, int row, int col) {
  CellStyle s;
  s.align = CellAlign::Center;
  if (row == 0 || col == 0) {
    s.background = CellColor::Rgb(192, 192, 192);
    return s;
  }
  if (row == col) {
    s.background = CellColor::Rgb(0, 0, 0);
    return s;
  }
  const std::string text(Trim(grid.At(row, col)));
  if (text.empty()) {
    s.background = CellColor::Rgb(128, 128, 128);
  } else if (text == "0.0") {
    s.background = CellColor::Rgb(255, 255, 172);
  } else {
    const double v = std::strtod(text.c_str(), nullptr);
    s.background = v > 0 ? CellColor::Rgb(255, 193, 255)
                 : v < 0 ? CellColor::Rgb(198, 255, 255)
                         : CellColor::Rgb(255, 251, 240);
  }
  return s;
}

}  // namespace kv
