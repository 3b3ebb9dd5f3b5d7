#include "verify/VerificationTable.h"

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

constexpr const char* kRaceHeadings[kVerificationRaceCols] = {
    "開催日", "場所", "ﾚｰｽ", "頭", "ﾄﾗｯｸ", "距離", "条件", "ｸﾞﾚｰﾄﾞ", "ﾚｰｽ名", "芝", "ダ", "1着配"};
constexpr const char* kBlockHeadings[kVerificationBlockCols] = {
    "勝数", "順", "逆", "負数", "勝率", "順", "勝pt", "逆", "負pt", "pt勝率", "順", "ｵｯｽﾞ", "人"};

// Block offsets of the rank cells (drawn bold, 1 red, 2 and 3 blue).
constexpr int kRankOffsets[] = {1, 2, 5, 7, 10, 12};

std::string CountCell(const char* fmt, int value) { return value > 0 ? Fmt(fmt, value) : std::string(); }
std::string RateCell(double rate) { return rate >= 0 ? Fmt("%5.1f", rate * 100) : std::string(); }

// Writes runner k's figures into the block starting at column `start`.
void FillBlock(std::vector<std::string>& row, int start, const TRaceAnalysis& a, int k, std::string_view se) {
  std::string* c = &row[static_cast<size_t>(start)];
  for (int i = 0; i < kVerificationBlockCols; ++i) c[i].clear();
  c[0] = CountCell("%2d", a.Wins[k]);
  c[1] = CountCell("%2d", a.WinsRank[k]);
  c[2] = CountCell("%2d", a.WinsRevRank[k]);
  c[3] = CountCell("%2d", a.Losses[k]);
  c[4] = RateCell(a.WinRate[k]);
  c[5] = CountCell("%2d", a.WinRateRank[k]);
  c[6] = CountCell("%4d", a.PointWins[k]);
  c[7] = CountCell("%2d", a.PointWinsRevRank[k]);
  c[8] = CountCell("%4d", a.PointLosses[k]);
  c[9] = RateCell(a.PointWinRate[k]);
  c[10] = CountCell("%2d", a.PointWinRateRank[k]);
  const int odds = FldInt(se, kSE_WinOdds);
  if (odds > 0) c[11] = Fmt("%5.1f", odds / 10.0);
  c[12] = CountCell("%2d", FldInt(se, kSE_Popularity));
}

CellColor ColumnColor(int col) {
  if (col <= 2) return CellColor::Rgb(255, 251, 240);
  if (col <= 10) return CellColor::Rgb(255, 255, 255);
  if (col == 11) return CellColor::Rgb(255, 193, 255);
  if (col < VerificationBlockStart(2)) return CellColor::Rgb(255, 172, 255);
  if (col < VerificationBlockStart(3)) return CellColor::Rgb(202, 218, 253);
  return CellColor::Rgb(208, 255, 208);
}

}  // namespace

const std::vector<std::string>& VerificationHeadings() {
  static const std::vector<std::string> headings = [] {
    std::vector<std::string> h;
    for (const char* t : kRaceHeadings) h.push_back(J(t));
    for (int place = 1; place <= 3; ++place)
      for (const char* t : kBlockHeadings) h.push_back(J(t));
    return h;
  }();
  return headings;
}

bool QualifiesForVerification(const RaceDayModel& day, int r) {
  if (r < 0 || r >= kMaxRaces || day.IsRaceSlotEmpty(r)) return false;
  return FldInt(day.Race(r), kRA_Entered) > 3 && day.RaceAnalysis(r).WinPay[0] > 0;
}

std::vector<std::string> VerificationRow(const RaceDayModel& day, int r) {
  const std::string_view ra = day.Race(r);
  const TRaceAnalysis& a = day.RaceAnalysis(r);
  std::vector<std::string> row(kVerificationCols);
  row[0] = FldStr(ra, kHdr_Year) + "/" + FldStr(ra, kHdr_Month) + "/" + FldStr(ra, kHdr_Day);
  row[1] = std::string(Trim(VenueName(Fld(ra, kHdr_Venue))));
  row[2] = Fmt("%2dR", FldInt(ra, kHdr_RaceNum));
  row[3] = Fmt("%2d", FldInt(ra, kRA_Entered));
  row[4] = TrackName(Fld(ra, kRA_Track));
  row[5] = Fmt("%4d", FldInt(ra, kRA_Distance));
  row[6] = ClassText(Fld(ra, kRA_RaceKind), Fld(ra, kRA_CondYoungest));
  row[7] = GradeName(Fld(ra, kRA_Grade));
  row[8] = FldStr(ra, kRA_RaceNameShort3);
  row[9] = GoingName(Fld(ra, kRA_TurfGoing));
  row[10] = GoingName(Fld(ra, kRA_DirtGoing));
  row[11] = Fmt("%2d", a.WinPay[0]);
  const int n = day.RunnerCount(r);
  for (int k = 0; k < n; ++k) {
    const std::string_view se = day.Entry(r, k);
    const int place = FldInt(se, kSE_Finish);
    if (place >= 1 && place <= 3) FillBlock(row, VerificationBlockStart(place), a, k, se);
  }
  return row;
}

TextGrid BuildVerificationTable(const RaceDayModel& day, std::span<const int> raceSlots,
                                const VerificationVisit& visit) {
  TextGrid table(1, kVerificationCols);
  table.SetRow(0, VerificationHeadings());
  for (size_t i = 0; i < raceSlots.size(); ++i) {
    const int r = raceSlots[i];
    if (r < 0 || r >= kMaxRaces || day.IsRaceSlotEmpty(r) || FldInt(day.Race(r), kRA_Entered) <= 3) continue;
    if (visit) visit(static_cast<int>(i));
    if (!QualifiesForVerification(day, r)) continue;
    const int row = table.RowCount();
    table.SetRowCount(row + 1);
    table.SetRow(row, VerificationRow(day, r));
  }
  return table;
}

bool TallyVerification(const RaceDayModel& day, std::string_view dayName, std::span<const int> raceSlots,
                       UiPort& ui, TextGrid& table, const VerificationVisit& visit) {
  if (IsBlank(dayName)) {
    ui.Info(NoDaySelectedMessage());
    return false;
  }
  if (raceSlots.empty()) {
    ui.Info(NotEnoughDataMessage());
    return false;
  }
  table = BuildVerificationTable(day, raceSlots, visit);
  return true;
}

std::string VerificationClipboardText(const TextGrid& table) {
  // The grid copy puts its leading text and a line break first; the table has no leading text,
  // so that first empty line is left out.
  std::string text = table.CopyText(0, 0, "", table.RowCount() - 1, table.ColCount() - 1);
  if (text.starts_with("\r\n")) text.erase(0, 2);
  return text;
}

bool IsVerificationRankColumn(int col) {
  if (col < kVerificationRaceCols || col >= kVerificationCols) return false;
  const int offset = (col - kVerificationRaceCols) % kVerificationBlockCols;
  for (int o : kRankOffsets)
    if (o == offset) return true;
  return false;
}

CellStyle VerificationCellStyle(const TextGrid& table, int row, int col) {
  CellStyle s;
  s.align = CellAlign::Center;
  if (row == 0) {
    s.background = CellColor::Rgb(228, 224, 63);
    return s;
  }
  s.background = ColumnColor(col);
  if (col == 6) s.align = CellAlign::Left;
  if (IsVerificationRankColumn(col)) {
    s.bold = true;
    const std::string_view text = Trim(table.At(row, col));
    if (!text.empty()) {
      const int rank = ParseInt(text);
      if (rank == 1)
        s.foreground = CellColor::Rgb(255, 0, 0);
      else if (rank == 2 || rank == 3)
        s.foreground = CellColor::Rgb(0, 0, 255);
    }
  }
  return s;
}

GridLayout VerificationLayout() {
  GridLayout l;
  l.columnWidths = {76, 36, 36, 24, 110, 40, 90, 40, 56, 36, 36, 48};
  const int block[kVerificationBlockCols] = {32, 24, 24, 32, 40, 24, 36, 24, 36, 44, 24, 40, 24};
  for (int place = 1; place <= 3; ++place) l.columnWidths.insert(l.columnWidths.end(), block, block + kVerificationBlockCols);
  l.style = VerificationCellStyle;
  return l;
}

}  // namespace kv
