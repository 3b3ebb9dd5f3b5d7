#include "print/RaceReport.h"

#include <array>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

constexpr CellFont kFixed = CellFont::Fixed;
constexpr CellFont kProp = CellFont::Proportional;

// The texts of the page, converted once.
struct Texts {
  std::string race = J("ﾚｰｽ"), year = J("年"), month = J("月"), dayOpen = J("日("), dayWord = J("日"),
              meeting = J("回"), hour = J("時"), minuteOff = J("分発走　"), runningOpen = J("第"),
              runningClose = J("回 "), runners = J("頭  "), metres = J("ﾒｰﾄﾙ "), unitHead = J("　　　　　　単位（千円）"),
              prizeHead = J("　　本賞金　　　付加賞金"), fullBlank = J("　"), dash = J(" － "), rateNone = J("　－　 "),
              rankNone = J(" － "), revRankNone = J("( － )"), oddsNone = J("　－　"), finalOddsNone = J("　－ "),
              place = J("着"), rank = J("位"), people = J("人)"), kg = J("kg"), thousandYen = J("千円"),
              blinker = J("ﾌﾞﾘﾝｶ");
  std::array<std::string, 4> agePrefix{J("2歳:"), J("3歳:"), J("4歳:"), J("5歳以上:")};
  std::array<std::string, 8> payLabel{J("【単勝】"), J("【複勝】"), J("【枠連】"), J("【馬連】"),
                                      J("【ﾜｲﾄﾞ】"), J("【馬単】"), J("【３連複】"), J("【３連単】")};
  std::array<std::string, 9> frameColour{"",       J("白"), J("黒"), J("赤"), J("青"),
                                         J("黄"), J("緑"), J("橙"), J("桃")};
  struct Heading {
    int x, y;
    double size;
    CellFont font;
    std::string text;
  };
  std::vector<Heading> tableHeadings{
      {55, 615, 11, kFixed, J("枠")},
      {105, 615, 11, kFixed, J("馬")},
      {55, 655, 11, kFixed, J("番")},
      {105, 655, 11, kFixed, J("番")},
      {155, 605, 10, kFixed, J("馬名")},
      {155, 635, 6, kProp, J("性齢・賞金・ﾌﾞﾘﾝｶ")},
      {155, 660, 6, kFixed, J("騎手名・斤量・見習区分")},
      {155, 680, 6, kFixed, J("調教師名")},
      {435, 605, 6, kFixed, J("勝数－負数")},
      {435, 640, 6, kFixed, J("勝率")},
      {435, 675, 6, kFixed, J("勝率順位(勝数逆順位)")},
      {675, 605, 6, kFixed, J("Pt勝数－Pt負数")},
      {675, 640, 6, kFixed, J("Pt勝率")},
      {675, 675, 6, kFixed, J("Pt勝率順位(Pt勝数逆順位)")},
      {945, 605, 6, kFixed, J("当日ｵｯｽﾞ")},
      {945, 650, 6, kFixed, J("人気順位")},
      {1065, 605, 6, kFixed, J("順当勝－裏切数")},
      {1065, 650, 6, kFixed, J("裏切率")},
      {1235, 605, 6, kFixed, J("確定着順")},
      {1235, 640, 6, kFixed, J("走破ﾀｲﾑ")},
      {1235, 675, 6, kFixed, J("確定ｵｯｽﾞ(人気順位)")},
  };
};

const Texts& T() {
  static const Texts t;
  return t;
}

std::string Str(std::string_view s) { return std::string(s); }

// A count as "%<width>d", or the blank text when below 1.
std::string Count(int n, const char* fmt, const std::string& blank) { return n < 1 ? blank : Fmt(fmt, n); }

std::string Rate(double rate) { return rate < 0 ? T().rateNone : Fmt("%5.1f", rate * 100) + " %"; }

std::string Rank(int rank) { return rank < 1 ? T().rankNone : Fmt("%2d", rank) + T().rank; }
std::string RevRank(int rank) { return rank < 1 ? T().revRankNone : "(" + Fmt("%2d", rank) + T().rank + ")"; }

// "<=" / "=>" for rank 1, "<-" / "->" for ranks 2 and 3, else a full-width blank.
std::string Arrow(int rank, const char* first, const char* next) {
  if (rank == 1) return first;
  if (rank == 2 || rank == 3) return next;
  return T().fullBlank;
}

// Circled numbers of a payout combination text (" 3-12", " 1- 5-12") joined by "-"; empty when
// the text is blank or its first number reads 0.
std::string CircledCombo(std::string_view combo) {
  if (IsBlank(combo) || ParseInt(combo) == 0) return {};
  std::string out;
  size_t start = 0;
  while (start <= combo.size()) {
    size_t dash = combo.find('-', start);
    std::string_view part = combo.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start);
    if (!out.empty()) out += '-';
    out += CircledNum(part);
    if (dash == std::string_view::npos) break;
    start = dash + 1;
  }
  return out;
}

void Heading(PrintPage& page, std::string_view ra) {
  const Texts& t = T();
  const int raceNo = FldInt(ra, kHdr_RaceNum);
  const std::string venue = VenueName(Fld(ra, kHdr_Venue));
  page.Text(160, 290, t.race, 10, true);
  page.Text(50, 165, venue, 20, true);
  page.Rect(50, 240, 130, 320, 1, CellColor::Rgb(0, 0, 0));
  page.Text(raceNo > 9 ? 55 : 70, 245, Fmt("%d", raceNo), 20).color = CellColor::Rgb(255, 255, 255);

  page.Text(250, 160,
            Str(Fld(ra, kHdr_Year)) + t.year + Str(Fld(ra, kHdr_Month)) + t.month + Str(Fld(ra, kHdr_Day)) + t.dayOpen +
                WeekdayName(Fld(ra, kRA_Weekday)) + ")" + CutBytes(venue, 4) + " " + Str(Fld(ra, kHdr_Meeting)) +
                t.meeting + Str(Fld(ra, kHdr_MeetingDay)) + t.dayWord + Str(Fld(ra, kHdr_RaceNum)) + "R",
            11, true);
  page.Text(980, 160, Str(Fld(ra, kRA_PostHour)) + t.hour + Str(Fld(ra, kRA_PostMinute)) + t.minuteOff, 11, true);
  const int running = FldInt(ra, kRA_RunningNum);
  page.Text(250, 215,
            (running == 0 ? std::string() : t.runningOpen + Fmt("%d", running) + t.runningClose) +
                Str(TrimRight(Fld(ra, kRA_RaceName))),
            10);
  page.Text(250, 250,
            Fmt("%2d", FldInt(ra, kRA_Entered)) + t.runners + Fmt("%4d", FldInt(ra, kRA_Distance)) + t.metres +
                TrackName(Fld(ra, kRA_Track)) + " " + GradeName(Fld(ra, kRA_Grade)) + " " +
                RaceKindHalf(Fld(ra, kRA_RaceKind)) + " " + RaceSymbolName(Fld(ra, kRA_RaceSymbol)),
            10);
  std::string conditions = WeightRuleName(Fld(ra, kRA_WeightRule));
  for (int a = 0; a < kRA_AgeConditionCount; ++a) {
    const std::string cond = RaceConditionName(Fld(ra, kRA_AgeCondition.At(a)));
    if (!cond.empty()) conditions += " " + t.agePrefix[static_cast<size_t>(a)] + cond;
  }
  page.Text(250, 285, conditions, 10);
  page.Line(250, 205, 1600, 205, 1);
}

void Prizes(PrintPage& page, std::string_view ra) {
  page.Text(1650, 150, T().unitHead, 6);
  page.Text(1650, 170, T().prizeHead, 6);
  for (int p = 1; p <= kRA_PrizeCount; ++p)
    page.Text(1650, 190 + 20 * (p - 1), CircledNum(p) + Fmt("%8d", FldInt(ra, kRA_Prize.At(p - 1))), 6);
  for (int p = 1; p <= kRA_AddedPrizeCount; ++p)
    page.Text(1800, 190 + 20 * (p - 1), CircledNum(p) + Fmt("%8d", FldInt(ra, kRA_AddedPrize.At(p - 1))), 6);
}

void Payouts(PrintPage& page, const TRaceAnalysis& a) {
  const Texts& t = T();
  for (int i = 0; i < 8; ++i) page.Text(50, 350 + 30 * i, t.payLabel[static_cast<size_t>(i)], 8);
  auto entry = [&](int line, int e, const std::string& text) { page.Text(240 * e - 50, 350 + 30 * line, text, 8); };
  auto horses = [&](int line, const int* horse, const int* pay, int n) {
    for (int e = 1; e <= n; ++e)
      if (horse[e - 1] != 0) entry(line, e, t.fullBlank + CircledNum(horse[e - 1]) + " " + Fmt("[%8d]", pay[e - 1]));
  };
  auto combos = [&](int line, const auto* combo, const int* pay, int n) {
    for (int e = 1; e <= n; ++e) {
      const std::string c = CircledCombo(combo[e - 1].View());
      if (!c.empty()) entry(line, e, c + Fmt("[%8d]", pay[e - 1]));
    }
  };
  horses(0, a.WinHorse, a.WinPay, 3);
  horses(1, a.PlaceHorse, a.PlacePay, 5);
  combos(2, a.BracketQuinellaCombo, a.BracketQuinellaPay, 3);
  combos(3, a.QuinellaCombo, a.QuinellaPay, 3);
  combos(4, a.WideCombo, a.WidePay, 7);
  combos(5, a.ExactaCombo, a.ExactaPay, 6);
  combos(6, a.TrioCombo, a.TrioPay, 3);
  combos(7, a.TrifectaCombo, a.TrifectaPay, 6);
  page.Line(50, 335, 1990, 335, 1);
}

void RunnerRow(PrintPage& page, const RaceDayModel& day, int r, int j, int& frameCount) {
  const Texts& t = T();
  const std::string_view e = day.Entry(r, j - 1);
  const TRaceAnalysis& a = day.RaceAnalysis(r);
  const TOutData& out = day.OutData(r);
  const int h = j - 1;
  const int R = 600 + 105 * j;

  // A row whose frame differs from the row above starts a new frame block. The count follows
  // the frame number itself, so a frame left out of the field cannot shift every later block.
  const int frame = FldInt(e, kSE_Frame);
  if (frame == frameCount) {
    page.Line(100, R, 1450, R, 1);
  } else {
    page.Text(60, R + 10, frame >= 1 && frame <= 8 ? t.frameColour[static_cast<size_t>(frame)] : std::string(), 9);
    page.Text(65, R + 55, Fmt("%d", frame), 11);
    page.Line(50, R, 1450, R, 12);
    page.Rect(60, R + 45, 90, R + 95, 1);
    frameCount = frame;
  }

  page.Text(107, R + 30, CircledNum(Fld(e, kSE_HorseNum)), 11);
  page.Text(155, R + 5, Str(TrimRight(Fld(e, kSE_HorseName))), 9, false, kProp);
  page.Text(155, R + 35, SexName(Fld(e, kSE_Sex)) + RightAlignNum(Fld(e, kSE_Age)), 6);
  page.Text(230, R + 35, Fmt("%7d", a.PrizeTotal[h]) + t.thousandYen, 6);
  if (Fld(e, kSE_Blinker) == "1") page.Text(360, R + 35, t.blinker, 6);
  page.Text(155, R + 60,
            Str(Fld(e, kSE_Jockey)) + t.fullBlank + Fmt("%4.1f", FldInt(e, kSE_Weight) / 10.0) + t.kg + t.fullBlank +
                ApprenticeText(Fld(e, kSE_Apprentice)),
            6);
  page.Text(155, R + 80, Str(Fld(e, kSE_Trainer)), 6);

  page.Text(435, R + 5, Count(a.Wins[h], "%3d", t.fullBlank + " ") + t.dash + Count(a.Losses[h], "%3d", t.fullBlank + " "), 8);
  page.Text(490, R + 40, Rate(a.WinRate[h]), 8);
  page.Text(460, R + 75, Rank(a.WinRateRank[h]) + RevRank(a.WinsRevRank[h]), 8);
  page.Text(620, R + 40, Arrow(a.WinRateRank[h], "<=", "<-"), 8);
  page.Text(745, R + 5,
            Count(a.PointWins[h], "%4d", t.fullBlank + t.fullBlank) + t.dash +
                Count(a.PointLosses[h], "%4d", t.fullBlank + t.fullBlank),
            8);
  page.Text(800, R + 40, Rate(a.PointWinRate[h]), 8);
  page.Text(770, R + 75, Rank(a.PointWinRateRank[h]) + RevRank(a.PointWinsRevRank[h]), 8);
  page.Text(690, R + 40, Arrow(a.PointWinRateRank[h], "=>", "->"), 8);

  const double odds = out.WinOdds[h];
  page.Text(950, R + 10, odds > 0 ? Fmt("%6.1f", odds) : t.oddsNone, 8);
  const int pop = out.WinPopularity[h];
  page.Text(970, R + 60, pop >= 1 ? Fmt("%2d", pop) + t.rank : t.rankNone, 8);
  page.Text(1070, R + 10, Count(a.Conformed[h], "%3d", t.fullBlank + " ") + t.dash + Count(a.Betrayed[h], "%3d", t.fullBlank + " "), 8);
  page.Text(1100, R + 60, Rate(a.BetrayalRate[h]), 8);

  const std::string_view finish = a.FinishText[h].View();
  if (IsBlank(finish) || finish == "00") {
    page.Text(1360, R + 5, t.rankNone, 8);
  } else {
    const int place = ParseInt(finish);
    page.Text(1360, R + 5, Fmt("%2d", place) + t.place, 8);
    page.Text(1250, R + 5, Arrow(place, "=>", "->"), 8);
  }
  const std::string_view time = a.RaceTimeText[h].View();
  page.Text(1320, R + 40,
            IsBlank(time) || time == "0000" || time.size() < 4
                ? t.oddsNone
                : Str(time.substr(0, 1)) + "." + Str(time.substr(1, 2)) + "." + Str(time.substr(3, 1)),
            8);
  const std::string_view finalOdds = a.WinOddsText[h].View();
  const std::string_view popularity = a.PopularityText[h].View();
  page.Text(1280, R + 75,
            (IsBlank(finalOdds) || finalOdds == "0000" ? t.finalOddsNone : Fmt("%5.1f", ParseInt(finalOdds) / 10.0)) +
                (IsBlank(popularity) || popularity == "00" ? t.revRankNone
                                                           : "(" + Fmt("%2d", ParseInt(popularity)) + t.people),
            8);
}

void RunnerTable(PrintPage& page, const RaceDayModel& day, int r) {
  const int n = day.RunnerCount(r);
  const int bottom = 600 + 105 * (n + 1);
  page.Rect(50, 600, 1450, 705, 20, CellColor::Rgb(192, 192, 192));
  page.Rect(50, 705, 1450, bottom, 20);
  for (int x : {100, 150, 430, 670, 940, 1060, 1230}) page.Line(x, 600, x, bottom, 5);
  for (int x : {600, 740}) page.Line(x, 700, x, bottom, 5);
  for (const Texts::Heading& h : T().tableHeadings) page.Text(h.x, h.y, h.text, h.size, false, h.font);
  int frameCount = 0;
  for (int j = 1; j <= n; ++j) RunnerRow(page, day, r, j, frameCount);
}

}  // namespace

PrintPage RaceReportPage(const RaceDayModel& day, int r) {
  PrintPage page;
  if (r < 0 || r >= kMaxRaces) return page;
  const std::string_view ra = day.Race(r);
  Heading(page, ra);
  Prizes(page, ra);
  Payouts(page, day.RaceAnalysis(r));
  RunnerTable(page, day, r);
  return page;
}

PrintDocument BuildRaceReport(const RaceDayModel& day, const std::vector<int>& raceSlots) {
  PrintDocument doc;
  doc.pages.reserve(raceSlots.size());
  for (int r : raceSlots) doc.pages.push_back(RaceReportPage(day, r));
  return doc;
}

std::string NothingToPrintMessage() { return J("ﾃﾞｰﾀを読み込んでください。"); }

std::string ReportPreviewCaption() { return J("Korvane2　分析結果　印刷"); }

}  // namespace kv
