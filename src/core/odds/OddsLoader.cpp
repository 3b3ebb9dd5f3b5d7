#include "odds/OddsLoader.h"

#include <algorithm>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

WinRankingHook& Hook() {
  static WinRankingHook hook;
  return hook;
}

bool AllOf(std::string_view s, char c) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [c](char x) { return x == c; });
}

// One combination table: odds and popularity of `count` fixed entries.
void ReadComboTable(std::string_view rec, RepeatPos odds, RepeatPos pop, int count, double* outOdds,
                    int* outPop) {
  if (IsBlankRecord(rec)) {  // no record (a race without odds): every field would read blank
    std::fill(outOdds, outOdds + count, kOddsNone);
    std::fill(outPop, outPop + count, 0);
    return;
  }
  for (int i = 0; i < count; ++i) {
    outOdds[i] = OddsFieldValue(Fld(rec, odds.At(i)));
    outPop[i] = IsOddsMarker(outOdds[i]) ? 0 : FldInt(rec, pop.At(i));
  }
}

// Ranks horses by the ascending text order of their key lines: the line at position p (from 1)
// gives rank p to the horse number in characters 13-14. The keys hold digits, blanks, '.' and
// '-' only, so byte order is the case-free text order the ranking is defined on.
void RankByKeys(std::vector<std::string>& keys, int* popularity) {
  std::sort(keys.begin(), keys.end());
  int p = 0;
  for (const std::string& key : keys) {
    ++p;
    const int h = ParseInt(Fld(key, 13, 2));
    if (h >= 1 && h <= kMaxRunners) popularity[h - 1] = p;
  }
}

}  // namespace

// ---- odds files ------------------------------------------------------------------------------

DayOddsFiles::DayOddsFiles(fs::path raceFilePath) : raceFilePath_(std::move(raceFilePath)) {}

fs::path DayOddsFiles::PathOf(int type) const {
  fs::path p = raceFilePath_;
  p.replace_extension(Fmt(".jvO%d", type));
  return p;
}

const RecordFile& DayOddsFiles::File(int type) {
  const size_t t = static_cast<size_t>(type - 1);
  if (!read_[t]) {
    files_[t] = RecordFile::Read(PathOf(type), kRecLenOdds[t]);
    read_[t] = true;
  }
  return files_[t];
}

std::string_view DayOddsFiles::Find(int type, std::string_view venueRace) {
  if (type < 1 || type > 6 || venueRace.size() != 4) return {};
  const RecordFile& f = File(type);
  for (size_t n = 0; n < f.size(); ++n) {
    std::string_view rec = f.Record(n);
    if (Fld(rec, kHdr_Venue) == venueRace.substr(0, 2) && Fld(rec, kHdr_RaceNum) == venueRace.substr(2, 2))
      return rec;
  }
  return {};
}

const std::string& DayOddsFiles::Error(int type) {
  static const std::string kNone;
  if (type < 1 || type > 6) return kNone;
  return File(type).error();
}

// ---- parsing ---------------------------------------------------------------------------------

double OddsFieldValue(std::string_view field) {
  if (IsBlank(field)) return kOddsNone;
  if (AllOf(field, '-') || AllOf(field, '*')) return kOddsCancelled;
  return static_cast<double>(ParseLong(field)) / 10.0;
}

void BuildOddsTables(TOutData& out, int runners, const std::array<std::string_view, 6>& o) {
  ClearOddsTables(out);
  const int n = std::clamp(runners, 0, kMaxRunners);
  const std::string_view o1 = o[0];

  // Win and place, with the key lines of the three popularity rankings.
  std::vector<std::string> winKeys, lowKeys, highKeys;
  for (int k = 0; k < n; ++k) {
    const int h = k + 1;
    out.WinOdds[k] = OddsFieldValue(Fld(o1, kO1_WinOdds.At(k)));
    const double low = OddsFieldValue(Fld(o1, kO1_PlaceOddsMin.At(k)));
    if (IsOddsMarker(low)) {
      out.PlaceOddsMin[k] = out.PlaceOddsMax[k] = low;
    } else {
      out.PlaceOddsMin[k] = low;
      out.PlaceOddsMax[k] = static_cast<double>(FldLong(o1, kO1_PlaceOddsMax.At(k))) / 10.0;
    }
    const double win = out.WinOdds[k], lo = out.PlaceOddsMin[k], hi = out.PlaceOddsMax[k];
    if (win > 0) winKeys.push_back(Fmt("%6.1f%6.1f%2d", win, lo, h));
    if (lo > 0) lowKeys.push_back(Fmt("%6.1f%6.1f%2d", lo, hi, h));
    if (hi > 0) highKeys.push_back(Fmt("%6.1f%6.1f%2d", hi, lo, h));
  }
  RankByKeys(winKeys, out.WinPopularity);
  RankByKeys(lowKeys, out.PlacePopularityMin);
  RankByKeys(highKeys, out.PlacePopularityMax);

  ReadComboTable(o1, kO1_BracketOdds, kO1_BracketPop, kBracketCombos, out.BracketOdds, out.BracketPopularity);
  ReadComboTable(o[1], kO2_QuinellaOdds, kO2_QuinellaPop, kQuinellaCombos, out.QuinellaOdds,
                 out.QuinellaPopularity);
  ReadComboTable(o[2], kO3_WideOddsMin, kO3_WidePop, kWideCombos, out.WideOdds, out.WidePopularity);
  ReadComboTable(o[3], kO4_ExactaOdds, kO4_ExactaPop, kExactaCombos, out.ExactaOdds, out.ExactaPopularity);
  ReadComboTable(o[4], kO5_TrioOdds, kO5_TrioPop, kTrioCombos, out.TrioOdds, out.TrioPopularity);
  ReadComboTable(o[5], kO6_TrifectaOdds, kO6_TrifectaPop, kTrifectaCombos, out.TrifectaOdds,
                 out.TrifectaPopularity);

  out.OddsTime = Fld(o1, kO_AnnounceHour);
  out.OddsTime += Fld(o1, kO_AnnounceMinute);
}

// ---- loading ---------------------------------------------------------------------------------

OddsLoadResult LoadOdds(RaceDayModel& day, DayOddsFiles& files) {
  OddsLoadResult result;
  const int r = day.OddsRace;
  if (r < 0 || r >= kMaxRaces) {
    result.errors.push_back(J("オッズを読み込むレースがありません：") + Fmt("%d", r));
    return result;
  }

  // Records are looked up only for a slot with a race number and a venue/race key.
  const std::string_view ra = day.Race(r);
  const std::string venueRace = std::string(Fld(ra, kHdr_Venue)) + std::string(Fld(ra, kHdr_RaceNum));
  const bool lookUp = FldInt(ra, kHdr_RaceNum) >= 1 && !IsBlank(venueRace);
  for (int t = 1; t <= 6; ++t) {
    if (!lookUp) break;
    std::string_view rec = files.Find(t, venueRace);
    if (!rec.empty()) day.OddsRecords(t).Set(r, rec);
    if (const std::string& e = files.Error(t); !e.empty()) result.errors.push_back(e);
  }

  std::array<std::string_view, 6> raw;
  for (int t = 1; t <= 6; ++t) raw[static_cast<size_t>(t - 1)] = day.OddsRecords(t)[r];
  BuildOddsTables(day.OutData(r), day.RunnerCount(r), raw);

  if (Hook()) Hook()(day);
  return result;
}

OddsLoadResult LoadOdds(RaceDayModel& day) {
  DayOddsFiles files(day.DayFilePath);
  return LoadOdds(day, files);
}

void SetWinRankingHook(WinRankingHook hook) { Hook() = std::move(hook); }

}  // namespace kv
