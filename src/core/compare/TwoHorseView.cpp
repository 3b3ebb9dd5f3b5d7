#include "compare/TwoHorseView.h"

#include <cstdlib>

#include "compare/PastRunFile.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

constexpr const char* kHeadings[kTwoHorseCols] = {
    "開催日", "ﾄﾗｯｸ", "比較される馬", "斤量", "着", "ﾀｲﾑ", "比較する馬", "斤量", "着", "ﾀｲﾑ", "差",
    "修差",   "比差", "勝敗",         "独－", "",   "開催日", "ﾄﾗｯｸ",     "比較する馬", "斤量", "着", "ﾀｲﾑ",
    "比較される馬", "斤量", "着", "ﾀｲﾑ", "差", "修差", "比差", "勝敗", "独－"};

// Columns of one side of a comparison row: A's side starts at 0, B's at 16 (mirrored: the
// compared horse's own columns are 2..5 on A's side and 22..25 on B's).
struct Side {
  int date, track, ownName, ownWeight, ownPlace, ownTime, opp, oppWeight, oppEntry, oppTime, diff, corrected, full,
      won, sole;
};
constexpr Side kSideA{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr Side kSideB{16, 17, 22, 23, 24, 25, 18, 19, 20, 21, 26, 27, 28, 29, 30};

std::string DateText(std::string_view line) {
  return FldStr(line, 1, 4) + "/" + FldStr(line, 5, 2) + "/" + FldStr(line, 7, 2);
}

// First two bytes of the track name and the distance without leading zeros ("芝1800").
std::string TrackText(std::string_view line) {
  return TrackName(Fld(line, kak::kTrack, kak::kTrackLen)).substr(0, 2) +
         std::to_string(FldInt(line, kak::kDistance, kak::kDistanceLen));
}

// A weight "565" as "56.5".
std::string WeightText(std::string_view w3) {
  return std::string(w3.substr(0, 2)) + "." + std::string(w3.substr(std::min<size_t>(2, w3.size()), 1));
}

// A time "1345" as "1.34.5"; empty when it reads 0.
std::string TimeText(std::string_view t4) {
  if (ParseInt(t4) == 0 || t4.size() < 4) return {};
  return std::string(t4.substr(0, 1)) + "." + std::string(t4.substr(1, 2)) + "." + std::string(t4.substr(3, 1));
}

std::string Seconds(int hundredths) { return Fmt("%4.1f", hundredths / 100.0); }

std::string_view Entry(std::string_view line, int e) {
  return Fld(line, kak::kFieldList + e * kak::kEntryLen, kak::kEntryLen);
}

// Today's weight text (kg) in tenths of a kilogram, as the engine takes it.
int TodayWeight(const std::string& kg) { return WeightTenths(std::strtod(std::string(Trim(kg)).c_str(), nullptr)); }

// The checks of both views up to the weights; empty when they pass.
std::string CheckNamesAndWeights(const TwoHorseRequest& req) {
  if (IsBlank(req.nameA) || IsBlank(req.nameB)) return J("２頭の馬名の入力をしてください。");
  if (IsBlank(req.weightA) || IsBlank(req.weightB)) return J("斤量の情報が入力されていません。");
  return {};
}

std::string NoFileMessage(const std::string& normName) { return normName + J("の馬過去走データが見つかりません。"); }

// The file of a horse, or the message why there is none.
const PastRunLines::File* FileOf(PastRunLines& files, const std::string& id, const std::string& normName,
                                 std::string& message) {
  std::string error;
  const PastRunLines::File* f = files.Get(id, &error);
  if (!f) message = error.empty() ? NoFileMessage(normName) : error;
  return f;
}

void Finish(TextGrid& grid, int rows) {
  if (rows == 0)
    grid.Set(1, 0, J("該当ナシ"));
  else
    grid.SetRowCount(rows + 1);  // the empty last row goes
}

}  // namespace

void ResetTwoHorseGrid(TextGrid& grid) {
  grid.Resize(2, kTwoHorseCols);
  grid.Clear();
  for (int c = 0; c < kTwoHorseCols; ++c) grid.Set(0, c, J(kHeadings[c]));
}

CellStyle TwoHorseCellStyle(const TextGrid& grid, int row, int col) {
  CellStyle s;
  s.align = col == 2 || col == 6 || col == 18 || col == 22 ? CellAlign::Left : CellAlign::Center;
  if (row == 0) {
    s.background = CellColor::Rgb(192, 192, 192);
    s.align = CellAlign::Center;
    return s;
  }
  static const std::string kTurf = J("芝"), kDirt = J("ダ"), kDirtHalf = J("ﾀﾞ"), kWin = J("○");
  const std::string& text = grid.At(row, col);
  switch (col) {
    case 0: case 16: s.background = CellColor::Rgb(128, 255, 255); break;
    case 1: case 17:
      // The track name's first two bytes: "芝" for turf, "ﾀﾞ" (half-width) for dirt.
      if (text.starts_with(kTurf)) {
        s.background = CellColor::Rgb(0, 128, 0);
        s.foreground = CellColor::Rgb(255, 255, 255);
      } else if (text.starts_with(kDirt) || text.starts_with(kDirtHalf)) {
        s.background = CellColor::Rgb(128, 0, 0);
        s.foreground = CellColor::Rgb(255, 255, 255);
      }
      break;
    case 2: case 6: case 18: case 22: s.background = CellColor::Rgb(255, 255, 128); break;
    case 3: case 4: case 5: case 7: case 8: case 9: case 19: case 20: case 21: case 23: case 24: case 25:
      s.background = CellColor::ToolTipBackground();
      break;
    case 10: case 11: case 12: case 26: case 27: case 28: s.background = CellColor::Rgb(128, 255, 128); break;
    case 13: case 14: case 29: case 30:
      s.background = Trim(text) == kWin ? CellColor::Rgb(255, 0, 255) : CellColor::Rgb(255, 255, 255);
      break;
    case 15: s.background = CellColor::Rgb(0, 0, 0); break;
    default: break;
  }
  if (col == 4 || col == 8 || col == 20 || col == 24) {
    const int place = ParseInt(text);
    if (place == 1)
      s.foreground = CellColor::Rgb(255, 0, 0);
    else if (place == 2 || place == 3)
      s.foreground = CellColor::Rgb(0, 0, 255);
  }
  return s;
}

DateWindow DataSpanWindow(int raceDate, int spanDays) {
  const std::string date = Fmt("%04d/%02d/%02d", raceDate / 10000, raceDate / 100 % 100, raceDate % 100);
  const std::string start = AddDays(date, -spanDays);
  DateWindow w;
  w.before = raceDate;
  w.after = start.empty() ? raceDate : ParseInt(start.substr(0, 4)) * 10000 + ParseInt(start.substr(5, 2)) * 100 +
                                            ParseInt(start.substr(8, 2));
  return w;
}

const PastRunLines::File* PastRunLines::Get(const std::string& horseId, std::string* error) {
  if (error) error->clear();
  auto [it, added] = files_.try_emplace(horseId);
  if (added) {
    const fs::path path = PastRunPath(cache_.programFolder(), horseId);
    if (!path.empty()) {
      auto f = std::make_unique<File>();
      f->lines = ReadPastRunRecords(path);
      if (f->lines.ok()) {
        f->index = cache_.Parse(f->lines);
        it->second = std::move(f);
      } else if (!f->lines.missing() && error) {
        *error = f->lines.error();
        files_.erase(it);  // a damaged file is reported each time it is asked for
        return nullptr;
      }
    }
  }
  return it->second.get();
}

TwoHorseViewResult CompareTwoHorses(PastRunLines& files, const TwoHorseRequest& req, TextGrid& grid) {
  TwoHorseViewResult res;
  res.message = CheckNamesAndWeights(req);
  if (!res.message.empty()) return res;
  const std::string normA = NormalizeHorseName(req.nameA), normB = NormalizeHorseName(req.nameB);
  const PastRunLines::File* a = FileOf(files, req.idA, normA, res.message);
  if (!a) return res;
  const PastRunLines::File* b = FileOf(files, req.idB, normB, res.message);
  if (!b) return res;
  res.ran = true;
  ResetTwoHorseGrid(grid);
  const int todayA = TodayWeight(req.weightA), todayB = TodayWeight(req.weightB);

  // One side of a row: the compared horse's own line, the opponent's entry in it.
  auto fill = [&grid](int row, const Side& s, std::string_view line, int e, const std::string& ownName, int todayOwn,
                      int todayOther, bool scored) {
    const std::string_view entry = Entry(line, e);
    grid.Set(row, s.date, DateText(line));
    grid.Set(row, s.track, TrackText(line));
    grid.Set(row, s.ownName, ownName);
    grid.Set(row, s.ownWeight, WeightText(Fld(line, kak::kWeight, kak::kWeightLen)));
    grid.Set(row, s.ownPlace, std::to_string(FldInt(line, kak::kFinal, kak::kFinalLen)));
    grid.Set(row, s.ownTime, TimeText(Fld(line, kak::kTime, kak::kTimeLen)));
    grid.Set(row, s.opp, FldStr(entry, kak::kEntryName, kak::kEntryNameLen));
    grid.Set(row, s.oppWeight, WeightText(Fld(entry, kak::kEntryWeight, kak::kEntryWeightLen)));
    grid.Set(row, s.oppEntry, Fmt("%2d", e + 1));
    grid.Set(row, s.oppTime, TimeText(Fld(entry, kak::kEntryTime, kak::kEntryTimeLen)));
    if (!scored) return 0;
    const int own = TimeTenths(Fld(line, kak::kTime, kak::kTimeLen));
    const int opp = TimeTenths(Fld(entry, kak::kEntryTime, kak::kEntryTimeLen));
    const int ownW = FldInt(line, kak::kWeight, kak::kWeightLen);
    const int oppW = FldInt(entry, kak::kEntryWeight, kak::kEntryWeightLen);
    const int full = MarginHundredths(own, opp, ownW, oppW, todayOwn, todayOther);
    grid.Set(row, s.diff, Seconds(MarginHundredths(own, opp, 0, 0, 0, 0)));
    grid.Set(row, s.corrected, Seconds(MarginHundredths(own, opp, ownW, oppW, 0, 0)));
    grid.Set(row, s.full, Seconds(full));
    return full;
  };

  static const std::string kWin = J(" ○");
  ForEachComparison(a->index, b->index, files.NameId(normA), files.NameId(normB), DataSpanWindow(req.raceDate, req.dataSpan),
                    [&](int la, int e, int lb, int f) {
                      const PastRunRace& ra = a->index.races[static_cast<size_t>(la)];
                      const PastRunRace& rb = b->index.races[static_cast<size_t>(lb)];
                      const bool scored = IsScored(ra, e, rb, f);
                      const int row = ++res.rows;
                      grid.SetRowCount(row + 2);
                      const int mA = fill(row, kSideA, a->lines.Line(static_cast<size_t>(la)), e, normA, todayA,
                                          todayB, scored);
                      const int mB = fill(row, kSideB, b->lines.Line(static_cast<size_t>(lb)), f, normB, todayB,
                                          todayA, scored);
                      if (!scored) return;
                      AddComparison(res.scored, mA, mB);
                      const MarginVerdict v = JudgeMargins(mA, mB);
                      if (v.pointA) grid.Set(row, kSideA.won, kWin);
                      if (v.pointB) grid.Set(row, kSideB.won, kWin);
                      if (v.soleA) grid.Set(row, kSideA.sole, kWin);
                      if (v.soleB) grid.Set(row, kSideB.sole, kWin);
                    });
  Finish(grid, res.rows);
  return res;
}

TwoHorseViewResult CompareDirect(PastRunLines& files, const TwoHorseRequest& req, TextGrid& grid) {
  TwoHorseViewResult res;
  res.message = CheckNamesAndWeights(req);
  if (!res.message.empty()) return res;
  const std::string normA = NormalizeHorseName(req.nameA), normB = NormalizeHorseName(req.nameB);
  if (normA == normB) {
    res.message = J("２頭の馬は別の馬名を入力してください。");
    return res;
  }
  const PastRunLines::File* a = FileOf(files, req.idA, normA, res.message);
  if (!a) return res;
  res.ran = true;
  ResetTwoHorseGrid(grid);
  const DateWindow window = DataSpanWindow(req.raceDate, req.dataSpan);
  for (size_t k = 0; k < a->lines.size(); ++k) {
    const std::string_view line = a->lines.Line(k);
    const PastRunRace& r = a->index.races[k];
    if (!window.Contains(r.date) || r.finalPos < 1) continue;
    for (int f = 0; f < r.runners; ++f) {
      const std::string_view entry = Entry(line, f);
      if (Fld(entry, kak::kEntryName, kak::kEntryNameLen) != normB) continue;
      const int row = ++res.rows;
      grid.SetRowCount(row + 2);
      grid.Set(row, 0, DateText(line));
      grid.Set(row, 1, TrackText(line));
      grid.Set(row, 2, normA);
      grid.Set(row, 3, WeightText(Fld(line, kak::kWeight, kak::kWeightLen)));
      grid.Set(row, 4, std::to_string(r.finalPos));
      grid.Set(row, 5, TimeText(Fld(line, kak::kTime, kak::kTimeLen)));
      grid.Set(row, 6, FldStr(entry, kak::kEntryName, kak::kEntryNameLen));
      grid.Set(row, 7, WeightText(Fld(entry, kak::kEntryWeight, kak::kEntryWeightLen)));
      grid.Set(row, 8, Fmt("%2d", f + 1));
      grid.Set(row, 9, TimeText(Fld(entry, kak::kEntryTime, kak::kEntryTimeLen)));
      // B's margin over A only when both times are there.
      const int tB = r.field[static_cast<size_t>(f)].time;
      if (r.time != 0 && tB != 0) grid.Set(row, 10, Seconds(MarginHundredths(r.time, tB, 0, 0, 0, 0)));
    }
  }
  Finish(grid, res.rows);
  return res;
}

std::array<std::string, 4> TwoHorseSummary(const PairCounters& c) {
  return {Fmt("%3d", c.pointsA), Fmt("%3d", c.pointsB), Fmt("%3d", c.soleA), Fmt("%3d", c.soleB)};
}

std::string TwoHorseCounter(int rows) { return J("該当数：") + std::to_string(rows); }

bool TwoHorseGridEmpty(const TextGrid& grid) { return grid.RowCount() <= 2 && grid.At(1, 0).empty(); }

}  // namespace kv
