#include "workbench/RaceSelection.h"

#include <algorithm>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"
#include "vocab/KeibaFunc.h"
#include "workbench/EntryTable.h"

namespace kv {

namespace {

// Result line of a horse-number group (単勝, 複勝): shown when the horse number is not 0.
void HorseLines(std::vector<ResultLine>& out, const int* horses, const int* pops, const int* pays, int count) {
  for (int i = 0; i < count; ++i) {
    if (horses[i] != 0)
      out.push_back({Fmt("%2d", horses[i]), Fmt("%2d", pops[i]), Fmt("%8d", pays[i])});
    else
      out.push_back({});
  }
}

// Result line of a combination group: shown when the text is neither blank nor all zeros.
template <int N>
void ComboLines(std::vector<ResultLine>& out, const ShortStr<N>* combos, const int* pops, const int* pays, int count,
                std::string_view zeros) {
  for (int i = 0; i < count; ++i) {
    const std::string_view c = combos[i].View();
    if (!IsBlank(c) && c != zeros)
      out.push_back({std::string(c), Fmt("%2d", pops[i]), Fmt("%8d", pays[i])});
    else
      out.push_back({});
  }
}

}  // namespace

RaceHeader BuildRaceHeader(const RaceDayModel& day, int r) {
  static const std::string kNen = J("年"), kTsuki = J("月"), kNichiOpen = J("日("), kKai = J("回"), kNichi = J("日"),
                           kHasso = J("発走"), kDai = J("第"), kKaiSp = J("回 "), kTo = J("頭  "),
                           kMeter = J("ﾒｰﾄﾙ ");
  static const std::array<std::string, kRA_AgeConditionCount> kAges = {J("2歳:"), J("3歳:"), J("4歳:"),
                                                                        J("5歳以上:")};
  const std::string_view ra = day.Race(r);
  RaceHeader h;
  h.label1 = FldStr(ra, kHdr_Year) + kNen + FldStr(ra, kHdr_Month) + kTsuki + FldStr(ra, kHdr_Day) + kNichiOpen +
             WeekdayName(Fld(ra, kRA_Weekday)) + ")" + VenueName(Fld(ra, kHdr_Venue)) + FldStr(ra, kHdr_Meeting) +
             kKai + FldStr(ra, kHdr_MeetingDay) + kNichi + FldStr(ra, kHdr_RaceNum) + "R   " +
             FldStr(ra, kRA_PostHour) + "." + FldStr(ra, kRA_PostMinute) + kHasso;
  if (FldInt(ra, kRA_RunningNum) != 0) h.label2 = kDai + FldStr(ra, kRA_RunningNum) + kKaiSp;
  h.label2 += FldStr(ra, kRA_RaceName);
  h.label3 = Fmt("%2d", day.RunnerCount(r)) + kTo + Fmt("%4d", FldInt(ra, kRA_Distance)) + kMeter +
             TrackName(Fld(ra, kRA_Track)) + " " + GradeName(Fld(ra, kRA_Grade)) + " " +
             RaceKindName(Fld(ra, kRA_RaceKind)) + " " + RaceSymbolName(Fld(ra, kRA_RaceSymbol));
  h.label4 = WeightRuleName(Fld(ra, kRA_WeightRule));
  for (int i = 0; i < kRA_AgeConditionCount; ++i) {
    const std::string cond = RaceConditionName(Fld(ra, kRA_AgeCondition.At(i)));
    h.label4 += " ";
    if (!cond.empty()) h.label4 += kAges[static_cast<size_t>(i)] + cond;
  }
  const int track = FldInt(ra, kRA_Track);
  h.panel = track < 10 || track > 22 ? CellColor::Rgb(170, 166, 106) : CellColor::Rgb(0, 128, 0);
  h.venue = VenueName(Fld(ra, kHdr_Venue));
  h.raceNo = std::string(Trim(RightAlignNum(Fld(ra, kHdr_RaceNum))));
  const std::string_view o1 = day.OddsRecords1[r];
  h.oddsTime = FldStr(o1, kO_AnnounceHour) + ":" + FldStr(o1, kO_AnnounceMinute);
  return h;
}

void FillPastRunHeadings(TextGrid& detail, const RaceDayModel& day, int r) {
  constexpr int kFirst = 5, kShown = 50;
  static const std::string kRunsAgo = J("走前");
  if (detail.ColCount() < kFirst + kShown) detail.SetColCount(kFirst + kShown);
  for (int c = kFirst; c < kFirst + kShown; ++c) detail.Set(0, c, {});
  int most = 0;
  for (int k = 0; k < day.RunnerCount(r); ++k) {
    int j = 0;
    while (j < kShown && !IsBlank(Fld(day.PastRun(r, k, j), 1, 4))) ++j;
    most = std::max(most, j);
  }
  for (int j = 1; j <= most; ++j) detail.Set(0, kFirst - 1 + j, Fmt("%3d", j) + kRunsAgo);
}

void CopyEntryColumnsToDetail(TextGrid& detail, const TextGrid& entry) {
  for (int row = 1; row < detail.RowCount() && row < entry.RowCount(); ++row)
    for (int c = 0; c <= kEntryColName; ++c) detail.Set(row, c, entry.At(row, c));
}

ResultsTab BuildResultsTab(const TRaceAnalysis& a) {
  ResultsTab t;
  static const std::string kPair = " 0- 0", kTriple = " 0- 0- 0";
  HorseLines(t.groups[0], a.WinHorse, a.WinPop, a.WinPay, 3);
  HorseLines(t.groups[1], a.PlaceHorse, a.PlacePop, a.PlacePay, 5);
  ComboLines(t.groups[2], a.BracketQuinellaCombo, a.BracketQuinellaPop, a.BracketQuinellaPay, 3, kPair);
  ComboLines(t.groups[3], a.QuinellaCombo, a.QuinellaPop, a.QuinellaPay, 3, kPair);
  ComboLines(t.groups[4], a.WideCombo, a.WidePop, a.WidePay, 7, kPair);
  ComboLines(t.groups[5], a.ExactaCombo, a.ExactaPop, a.ExactaPay, 6, kPair);
  ComboLines(t.groups[6], a.TrioCombo, a.TrioPop, a.TrioPay, 3, kTriple);
  ComboLines(t.groups[7], a.TrifectaCombo, a.TrifectaPop, a.TrifectaPay, 6, kTriple);
  return t;
}

const std::array<std::string, 8>& BetTypeCaptions() {
  static const std::array<std::string, 8> captions = {J("単勝"), J("複勝"), J("枠連"),   J("馬連"),
                                                      J("ワイド"), J("馬単"), J("３連複"), J("３連単")};
  return captions;
}

std::string EntryTableCopyText(const TextGrid& entry, const RaceHeader& h) {
  const std::string leading = h.label1 + "\r\n" + h.label2 + "\r\n" + h.label3 + "\r\n" + h.label4;
  return entry.CopyText(0, 0, leading, entry.RowCount() - 1, entry.ColCount() - 1);
}

}  // namespace kv
