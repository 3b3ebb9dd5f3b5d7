#include "workbench/EntryTable.h"

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"
#include "workbench/MainGrids.h"

namespace kv {

namespace {

const std::string& FullBlank() {
  static const std::string s = J("　");
  return s;
}

// "%2d" (or another format) of a count or rank; `blank` when it is below 1.
std::string IntOrBlank(const char* fmt, int v, const std::string& blank) { return v < 1 ? blank : Fmt(fmt, v); }

// A rate 0..1 as a percentage "%5.1f"; five blanks when negative (no rate).
std::string RateText(double rate) { return rate < 0 ? std::string(5, ' ') : Fmt("%5.1f", rate * 100.0); }

bool BlankOrZeros(std::string_view s) { return IsBlank(s) || s == "0000"; }

// Columns whose texts are ranks: bold, 1 in red, 2 and 3 in blue.
bool IsRankColumn(int col) {
  switch (col) {
    case 9: case 10: case 13: case 15: case 18: case 20: case 27: case 30: return true;
    default: return false;
  }
}

CellColor ColumnBackground(int col) {
  if (col == kEntryColHorse) return CellColor::ToolTipBackground();
  if ((col >= 2 && col <= 7) || (col >= kMarkColAxis1 && col <= kMarkColPartner)) return CellColor::Rgb(255, 255, 255);
  if (col >= 8 && col <= 13) return CellColor::Rgb(255, 206, 206);
  if (col >= 14 && col <= 18) return CellColor::Rgb(198, 255, 198);
  if (col == 19 || col == 20) return CellColor::Rgb(255, 255, 128);
  if (col >= 21 && col <= 23) return CellColor::Rgb(227, 227, 255);
  if (col >= 27 && col <= 30) return CellColor::Rgb(196, 255, 255);
  return {};
}

}  // namespace

std::string EntryHorseName(std::string_view se) { return RemoveFullBlanks(Trim(Fld(se, kSE_HorseName))); }

std::vector<std::string> EntryTableRow(const RaceDayModel& day, int r, int k) {
  const std::string_view e = day.Entry(r, k);
  const TRaceAnalysis& a = day.RaceAnalysis(r);
  const TOutData& o = day.OutData(r);
  const std::string& fb = FullBlank();
  std::vector<std::string> c(kEntryTableCols);

  c[0] = Fmt("%2d", FldInt(e, kSE_Frame));
  c[1] = Fmt("%2d", FldInt(e, kSE_HorseNum));
  c[2] = EntryHorseName(e);
  c[3] = SexName(Fld(e, kSE_Sex)) + RightAlignNum(Fld(e, kSE_Age));
  c[4] = FldStr(e, kSE_Jockey);
  const std::string_view w = Fld(e, kSE_Weight);
  c[5] = std::string(w.substr(0, 2)) + "." + std::string(w.substr(std::min<size_t>(2, w.size()), 1));
  c[6] = ApprenticeText(Fld(e, kSE_Apprentice));
  c[7] = FldStr(e, kSE_Trainer);

  c[8] = IntOrBlank("%2d", a.Wins[k], fb);
  c[9] = IntOrBlank("%2d", a.WinsRank[k], fb);
  c[10] = IntOrBlank("%2d", a.WinsRevRank[k], fb);
  c[11] = IntOrBlank("%2d", a.Losses[k], fb);
  c[12] = RateText(a.WinRate[k]);
  c[13] = IntOrBlank("%2d", a.WinRateRank[k], fb);
  c[14] = IntOrBlank("%4d", a.PointWins[k], "  ");
  c[15] = IntOrBlank("%2d", a.PointWinsRevRank[k], fb);
  c[16] = IntOrBlank("%4d", a.PointLosses[k], fb);
  c[17] = RateText(a.PointWinRate[k]);
  c[18] = IntOrBlank("%2d", a.PointWinRateRank[k], fb);
  c[19] = o.WinOdds[k] > 0 ? Fmt("%6.1f", o.WinOdds[k]) : fb + fb + fb;
  c[20] = IntOrBlank("%2d", o.WinPopularity[k], fb);
  c[21] = IntOrBlank("%3d", a.Conformed[k], "   ");
  c[22] = IntOrBlank("%3d", a.Betrayed[k], "   ");
  c[23] = RateText(a.BetrayalRate[k]);

  c[27] = IntOrBlank("%2d", ParseInt(a.FinishText[k].View()), fb);
  const std::string_view t = a.RaceTimeText[k].View();
  if (BlankOrZeros(t) || t.size() < 4)
    c[28] = std::string(6, ' ');
  else
    c[28] = std::string(t.substr(0, 1)) + "." + std::string(t.substr(1, 2)) + "." + std::string(t.substr(3, 1));
  const std::string_view odds = Fld(e, kSE_WinOdds);
  c[29] = BlankOrZeros(odds) ? std::string(5, ' ') : Fmt("%5.1f", ParseInt(odds) / 10.0);
  c[30] = IntOrBlank("%2d", FldInt(e, kSE_Popularity), fb);
  return c;
}

void FillEntryTable(TextGrid& grid, const RaceDayModel& day, int r) {
  for (int row = 1; row < grid.RowCount() && row <= kMaxRunners; ++row) {
    std::vector<std::string> cells = EntryTableRow(day, r, row - 1);
    for (int col = 0; col < static_cast<int>(cells.size()); ++col) {
      if (col >= kMarkColAxis1 && col <= kMarkColPartner) continue;
      grid.Set(row, col, std::move(cells[static_cast<size_t>(col)]));
    }
  }
}

CellColor FrameColor(int frame) {
  switch (frame) {
    case 1: return CellColor::Rgb(255, 255, 255);
    case 2: return CellColor::Rgb(128, 128, 128);
    case 3: return CellColor::Rgb(255, 0, 0);
    case 4: return CellColor::Rgb(0, 0, 255);
    case 5: return CellColor::Rgb(255, 255, 0);
    case 6: return CellColor::Rgb(0, 128, 0);
    case 7: return CellColor::Rgb(255, 128, 0);
    case 8: return CellColor::Rgb(255, 0, 255);
    default: return {};
  }
}

CellStyle EntryTableCellStyle(const TextGrid& grid, int row, int col) {
  CellStyle s;
  s.align = row > 0 && col == kEntryColName ? CellAlign::Left : CellAlign::Center;
  if (row == 0) {
    s.background = HeadingSilver();
    return s;
  }
  s.background = col == kEntryColFrame ? FrameColor(ParseInt(grid.At(row, col))) : ColumnBackground(col);
  if (IsRankColumn(col)) {
    s.bold = true;
    const int v = ParseInt(grid.At(row, col));
    if (v == 1)
      s.foreground = CellColor::Rgb(255, 0, 0);
    else if (v == 2 || v == 3)
      s.foreground = CellColor::Rgb(0, 0, 255);
  }
  if (col >= kMarkColAxis1 && col <= kMarkColPartner) s.bold = true;
  return s;
}

bool IsMarkColumnCell(const TextGrid& grid, int row, int col) {
  return row >= 1 && row < grid.RowCount() && col >= kMarkColAxis1 && col <= kMarkColPartner;
}

bool PickCompareHorse(ComparePick& pick, const TextGrid& grid, const RaceDayModel& day, int r, int row, int col) {
  if (row < 1 || row >= grid.RowCount() || col < 0 || col > kEntryColName) return false;
  const int horse = ParseInt(grid.At(row, kEntryColHorse));
  if (horse < 1 || horse > kMaxRunners || r < 0 || r >= kMaxRaces) return false;
  const std::string& name = grid.At(row, kEntryColName);
  const std::string id = FldStr(day.Entry(r, horse - 1), kSE_HorseId);
  if (pick.nameA.empty()) {
    pick.nameA = name;
    pick.weightA = grid.At(row, kEntryColWeight);
    pick.horseIdA = id;
    return true;
  }
  if (name == pick.nameA) return false;
  pick.nameB = name;
  pick.weightB = grid.At(row, kEntryColWeight);
  pick.horseIdB = id;
  return true;
}

}  // namespace kv
