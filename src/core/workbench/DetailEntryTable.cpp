#include "workbench/DetailEntryTable.h"

#include "compare/PastRunFile.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"
#include "workbench/EntryTable.h"

namespace kv {

namespace {

constexpr int kTitleSize = 10;  // frame, horse number and name
constexpr int kPlaceSize = 9;   // the final place of a past run

const CellColor kWhite = CellColor::Rgb(255, 255, 255);
const CellColor kBlack = CellColor::Rgb(0, 0, 0);

// Adds a piece of regular 8-point black text.
void Put(DrawnCell& c, int line, std::string text, int x = 0, int dy = 0) {
  DrawnText t;
  t.line = line;
  t.x = x;
  t.dy = dy;
  t.text = std::move(text);
  c.texts.push_back(std::move(t));
}

// "%2d-" for 1st, 2nd and 3rd places and "%2d" for 4th or worse.
std::string PlaceCountText(const TRaceAnalysis& a, int category, int k) {
  const int* n = a.PlaceCounts[category][k];
  return Fmt("%2d-%2d-%2d-%2d", n[0], n[1], n[2], n[3]);
}

DrawnCell FrameCell(std::string_view se) {
  const int frame = FldInt(se, kSE_Frame);
  DrawnCell c;
  c.background = FrameColor(frame);
  DrawnText t;
  t.x = 5;
  t.text = Fmt("%1d", frame);
  t.pointSize = kTitleSize;
  t.bold = true;
  t.color = frame == 1 || frame == 5 ? kBlack : kWhite;
  c.texts.push_back(std::move(t));
  return c;
}

DrawnCell HorseNumberCell(std::string_view se) {
  DrawnCell c;
  c.background = CellColor::ToolTipBackground();
  DrawnText t;
  t.text = Fmt("%2d", FldInt(se, kSE_HorseNum));
  t.pointSize = kTitleSize;
  t.bold = true;
  c.texts.push_back(std::move(t));
  return c;
}

DrawnCell HorseCell(std::string_view se, const TRaceAnalysis& a, int k) {
  static const std::string kJockey = J("騎　手:"), kTrainer = J("調教師:"), kThousandYen = J("千円");
  DrawnCell c;
  c.background = kWhite;
  DrawnText name;
  name.text = FldStr(se, kSE_HorseName18);
  name.pointSize = kTitleSize;
  name.bold = true;
  c.texts.push_back(std::move(name));
  Put(c, 1, SexName(Fld(se, kSE_Sex)) + RightAlignNum(Fld(se, kSE_Age)));
  Put(c, 1, Fmt("%7d", a.PrizeTotal[k]) + kThousandYen, 25);
  Put(c, 1, BlinkerText(Fld(se, kSE_Blinker)), 100);
  Put(c, 2, kJockey + FldStr(se, kSE_Jockey));
  Put(c, 3, Fmt("%4.1fkg", FldInt(se, kSE_Weight) / 10.0), 30);
  Put(c, 3, ApprenticeText(Fld(se, kSE_Apprentice)), 100);
  Put(c, 4, kTrainer + FldStr(se, kSE_Trainer));
  return c;
}

DrawnCell DistanceStatsCell(const TRaceAnalysis& a, int k) {
  static const std::string kAll = J("全:"), kShort = J("短:"), kMiddle = J("中:"), kLong = J("長:");
  DrawnCell c;
  c.background = kWhite;
  Put(c, 0, kAll + PlaceCountText(a, 0, k));
  Put(c, 1, kShort + PlaceCountText(a, 5, k), 0, 5);
  Put(c, 2, kMiddle + PlaceCountText(a, 6, k), 0, 5);
  Put(c, 3, kLong + PlaceCountText(a, 7, k), 0, 5);
  return c;
}

DrawnCell SurfaceStatsCell(const TRaceAnalysis& a, int k) {
  static const std::string kTurf = J("芝全:"), kTurfHeavy = J("芝重:"), kDirt = J("ダ全:"), kDirtHeavy = J("ダ重:");
  DrawnCell c;
  c.background = kWhite;
  Put(c, 0, kTurf + PlaceCountText(a, 2, k));
  Put(c, 1, kTurfHeavy + PlaceCountText(a, 1, k));
  Put(c, 2, kDirt + PlaceCountText(a, 4, k), 0, 5);
  Put(c, 3, kDirtHeavy + PlaceCountText(a, 3, k), 0, 5);
  return c;
}

DrawnCell PastRunCell(std::string_view run, int mark) {
  using namespace kak;
  DrawnCell c;
  if (IsBlank(Fld(run, kYear, kYearLen))) {
    c.background = CellColor::Rgb(213, 213, 213);
    return c;
  }
  c.background = kWhite;
  static const std::string kHeads = J("頭"), kPopular = J("人"), kThousandYen = J("千円"), kFront = J(" 前:"),
                           kBack = J(" 後:"), kNoCorner = J("－"), kConformed = J("順当"), kBetrayed = J("裏切"),
                           kFullBlank = J("　");

  // 1: meeting, venue, date, grade and the race label.
  std::string label = RemoveFullBlanks(Trim(Fld(run, kShortName, kShortNameLen)));
  if (label.empty()) label = PastRunClassText(FldInt(run, kCondition, kConditionLen));
  Put(c, 0,
      FldStr(run, kMeeting + 1, 1) + VenueName(Fld(run, kVenue, 2)).substr(0, 4) + FldStr(run, kMonth, 2) + "." +
          FldStr(run, kDay, 2) + std::string(Trim(GradeName(Fld(run, kGrade, 1)))) + " " + label);

  // 2: field size, distance, track, weather and turf going.
  Put(c, 1,
      Fmt("%2d", FldInt(run, kRunners, kRunnersLen)) + kHeads + Fmt("%4d", FldInt(run, kDistance, kDistanceLen)) + "m" +
          TrackShort(Fld(run, kTrack, kTrackLen)) + WeatherName(Fld(run, kWeather, 1)) +
          GoingName(Fld(run, kTurfGoing, 1), 0));

  // 3: jockey, weight carried, circled horse number, popularity; the final place at 125 pixels.
  const std::string_view w = Fld(run, kWeight, kWeightLen);
  Put(c, 2,
      FldStr(run, kJockey, kJockeyLen) + std::string(w.substr(0, 2)) + "." +
          std::string(w.substr(std::min<size_t>(2, w.size()), 1)) + "kg" + CircledNum(Fld(run, kHorseNo, kHorseNoLen)) +
          RightAlignNum(Fld(run, kPopularity, kPopularityLen)) + kPopular);
  const int place = FldInt(run, kFinal, kFinalLen);
  DrawnText p;
  p.line = 2;
  p.x = 125;
  p.text = place == 0 ? std::string(" ") : Fmt("%2d", place);
  p.pointSize = kPlaceSize;
  p.bold = true;
  p.color = place == 1 ? CellColor::Rgb(255, 0, 0) : place == 2 || place == 3 ? CellColor::Rgb(0, 0, 255) : kBlack;
  c.texts.push_back(std::move(p));

  // 4: time, pace figure and last 3 furlongs.
  const int time = FldInt(run, kTime, kTimeLen);
  const int last3f = FldInt(run, kLast3F, kLast3FLen);
  Put(c, 3,
      (time >= 1 && time <= 9998 ? Fmt("%4d", time) : std::string(4, ' ')) + kFront +
          PaceFigure(Fld(run, kTime, kTimeLen), Fld(run, kLast3F, kLast3FLen), Fld(run, kDistance, kDistanceLen)) +
          kBack + (last3f >= 1 && last3f <= 998 ? Fmt("%3d", last3f) : std::string(3, ' ')));

  // 5: the circled places at the four corners, body weight and prize money.
  std::string corners;
  for (int i = 0; i < 4; ++i) {
    const int at = FldInt(run, kCorner + i * kCornerLen, kCornerLen);
    corners += at < 1 ? kNoCorner : CircledNum(at);
  }
  const std::string_view body = Fld(run, kBodyWeight, kBodyWeightLen);
  corners += ParseInt(body) < 1 ? std::string(5, ' ') : std::string(body) + "kg";
  corners += Fmt("%7lld", FldLong(run, kPrize, kPrizeLen) + FldLong(run, kAddedPrize, kPrizeLen)) + kThousandYen;
  Put(c, 4, std::move(corners));

  // 6: the conformity mark, two pixels higher than a full line step.
  DrawnText m;
  m.line = 5;
  m.dy = -2;
  if (mark == 1) {
    m.text = kConformed;
    m.color = CellColor::Rgb(0, 0, 255);
  } else if (mark == 2) {
    m.text = kBetrayed;
    m.color = CellColor::Rgb(128, 0, 0);
  } else {
    m.text = kFullBlank;
  }
  c.texts.push_back(std::move(m));
  return c;
}

}  // namespace

std::string PastRunClassText(int conditionCode) {
  if (conditionCode >= 1 && conditionCode <= 99) return Fmt("%d", conditionCode * 100) + J("下");
  switch (conditionCode) {
    case 100: return J("1億下");
    case 701: return J("新馬");
    case 702: return J("未出走");
    case 703: return J("未勝利");
    case 999: return J("ｵｰﾌﾟﾝ");
    default: return " ";
  }
}

DrawnCell DetailEntryCell(const RaceDayModel& day, int r, int row, int col) {
  if (r < 0 || r >= kMaxRaces || row < 1 || row > kMaxRunners || col < 0 ||
      col >= kDetailFirstPastRunCol + kMaxPastRuns)
    return {};
  const int k = row - 1;
  const std::string_view se = day.Entry(r, k);
  const TRaceAnalysis& a = day.RaceAnalysis(r);
  switch (col) {
    case 0: return FrameCell(se);
    case 1: return HorseNumberCell(se);
    case 2: return HorseCell(se, a, k);
    case 3: return DistanceStatsCell(a, k);
    case 4: return SurfaceStatsCell(a, k);
    default: {
      const int j = col - kDetailFirstPastRunCol;
      return PastRunCell(day.PastRun(r, k, j), day.PastRunMark(r, k, j));
    }
  }
}

}  // namespace kv
