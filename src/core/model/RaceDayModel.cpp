#include "model/RaceDayModel.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "text/Cp932.h"
#include "text/Format.h"

namespace kv {

namespace {

void CheckIndex(int i, int count, const char* what) {
  if (i < 0 || i >= count) throw std::out_of_range(Fmt("%s index %d outside 0..%d", what, i, count - 1));
}

template <typename T, size_t N>
void Fill(T (&a)[N], T v) {
  std::fill(a, a + N, v);
}

// Combination text of the numbers in field c, each `width` digits: "%2d-" for every number but
// the last, "%2d" for the last; empty when any number reads below 1.
std::string ComboText(std::string_view c, int width, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    int n = ParseInt(Fld(c, 1 + i * width, width));
    if (n < 1) return {};
    s += Fmt(i + 1 < count ? "%2d-" : "%2d", n);
  }
  return s;
}

// A group of combinations whose numbers are `width` digits each (1 for brackets, 2 for horses).
template <int M>
void ReadComboGroup(std::string_view hr, const PayoutGroup& g, int width, ShortStr<M>* combos, int* pops,
                    int* pays) {
  for (int i = 0; i < g.count; ++i) {
    combos[i] = ComboText(Fld(hr, g.combo.At(i)), width, g.combo.len / width);
    pops[i] = FldInt(hr, g.pop.At(i));
    pays[i] = FldInt(hr, g.pay.At(i));
  }
}

void ReadHorseGroup(std::string_view hr, const PayoutGroup& g, int* horses, int* pops, int* pays) {
  for (int i = 0; i < g.count; ++i) {
    horses[i] = FldInt(hr, g.combo.At(i));
    pops[i] = FldInt(hr, g.pop.At(i));
    pays[i] = FldInt(hr, g.pay.At(i));
  }
}

void ClearPayoutFields(TRaceAnalysis& a) {
  Fill(a.WinHorse, 0);
  Fill(a.PlaceHorse, 0);
  for (auto& s : a.BracketQuinellaCombo) s.Clear();
  for (auto& s : a.QuinellaCombo) s.Clear();
  for (auto& s : a.WideCombo) s.Clear();
  for (auto& s : a.ExactaCombo) s.Clear();
  for (auto& s : a.TrioCombo) s.Clear();
  for (auto& s : a.TrifectaCombo) s.Clear();
  for (int* p : {a.WinPop, a.WinPay, a.BracketQuinellaPop, a.BracketQuinellaPay, a.QuinellaPop, a.QuinellaPay,
                 a.TrioPop, a.TrioPay})
    std::fill(p, p + 3, 0);
  for (int* p : {a.PlacePop, a.PlacePay}) std::fill(p, p + 5, 0);
  for (int* p : {a.WidePop, a.WidePay}) std::fill(p, p + 7, 0);
  for (int* p : {a.ExactaPop, a.ExactaPay, a.TrifectaPop, a.TrifectaPay}) std::fill(p, p + 6, 0);
}

void ClearResultTexts(TRaceAnalysis& a, int k) {
  a.RaceTimeText[k].Clear();
  a.FinishText[k].Clear();
  a.PopularityText[k].Clear();
  a.WinOddsText[k].Clear();
}

void ResetAnalysis(TRaceAnalysis& a) {
  ClearPayoutFields(a);
  for (int k = 0; k < kMaxRunners; ++k) ClearResultTexts(a, k);
  Fill(a.PrizeTotal, 0);
  std::memset(a.PlaceCounts, 0, sizeof a.PlaceCounts);
  Fill(a.Conformed, 0);
  Fill(a.Betrayed, 0);
  Fill(a.BetrayalRate, -1.0);
  for (int* p : {a.Wins, a.Losses, a.WinRateRank, a.WinsRank, a.WinsRevRank, a.PointWins, a.PointLosses,
                 a.PointWinRateRank, a.PointWinsRevRank})
    std::fill(p, p + kMaxRunners, 0);
  Fill(a.WinRate, -1.0);
  Fill(a.PointWinRate, -1.0);
  for (int* p : {a.PairCompared, a.PairFirstWon, a.PairSecondWon, a.PairFirstPt, a.PairSecondPt, a.PairFirstOwnPt,
                 a.PairSecondOwnPt, a.PairFirstTotalPt, a.PairSecondTotalPt, a.PairDirect})
    std::fill(p, p + kMaxPairs, 0);
  a.Compared = 0;
}

}  // namespace

// ---- TOutData / TRaceAnalysis helpers ----------------------------------------------------------

void ClearOddsTables(TOutData& o) {
  for (double* p : {o.WinOdds, o.PlaceOddsMin, o.PlaceOddsMax}) std::fill(p, p + kMaxRunners, 0.0);
  Fill(o.BracketOdds, 0.0);
  Fill(o.QuinellaOdds, 0.0);
  Fill(o.WideOdds, 0.0);
  Fill(o.ExactaOdds, 0.0);
  Fill(o.TrioOdds, 0.0);
  Fill(o.TrifectaOdds, 0.0);
  for (int* p : {o.WinPopularity, o.PlacePopularityMin, o.PlacePopularityMax}) std::fill(p, p + kMaxRunners, 0);
  Fill(o.BracketPopularity, 0);
  Fill(o.QuinellaPopularity, 0);
  Fill(o.WidePopularity, 0);
  Fill(o.ExactaPopularity, 0);
  Fill(o.TrioPopularity, 0);
  Fill(o.TrifectaPopularity, 0);
}

void ReadPayoutFields(TRaceAnalysis& a, std::string_view hr) {
  ReadHorseGroup(hr, kHR_Win, a.WinHorse, a.WinPop, a.WinPay);
  ReadHorseGroup(hr, kHR_Place, a.PlaceHorse, a.PlacePop, a.PlacePay);
  ReadComboGroup(hr, kHR_BracketQuinella, 1, a.BracketQuinellaCombo, a.BracketQuinellaPop, a.BracketQuinellaPay);
  ReadComboGroup(hr, kHR_Quinella, 2, a.QuinellaCombo, a.QuinellaPop, a.QuinellaPay);
  ReadComboGroup(hr, kHR_Wide, 2, a.WideCombo, a.WidePop, a.WidePay);
  ReadComboGroup(hr, kHR_Exacta, 2, a.ExactaCombo, a.ExactaPop, a.ExactaPay);
  ReadComboGroup(hr, kHR_Trio, 2, a.TrioCombo, a.TrioPop, a.TrioPay);
  ReadComboGroup(hr, kHR_Trifecta, 2, a.TrifectaCombo, a.TrifectaPop, a.TrifectaPay);
}

void ReadResultTexts(TRaceAnalysis& a, int k, std::string_view se) {
  CheckIndex(k, kMaxRunners, "runner slot");
  a.RaceTimeText[k] = Fld(se, kSE_Time);
  a.FinishText[k] = Fld(se, kSE_Finish);
  a.PopularityText[k] = Fld(se, kSE_Popularity);
  a.WinOddsText[k] = Fld(se, kSE_WinOdds);
}

// ---- FixedRecords ------------------------------------------------------------------------------

FixedRecords::FixedRecords(int count, int recordLength)
    : count_(count), len_(recordLength),
      // Left unwritten: the pages of a large allocation are only touched when a slot is written.
      bytes_(new char[static_cast<size_t>(count) * static_cast<size_t>(recordLength)]),
      used_(static_cast<size_t>(count), 0),
      blank_(static_cast<size_t>(recordLength), ' ') {}

size_t FixedRecords::Offset(int i) const {
  CheckIndex(i, count_, "record");
  return static_cast<size_t>(i) * static_cast<size_t>(len_);
}

std::string_view FixedRecords::operator[](int i) const {
  const size_t at = Offset(i);
  if (!used_[static_cast<size_t>(i)]) return blank_;
  return {bytes_.get() + at, static_cast<size_t>(len_)};
}

char* FixedRecords::Data(int i) {
  char* d = bytes_.get() + Offset(i);
  if (!used_[static_cast<size_t>(i)]) {
    std::memset(d, ' ', static_cast<size_t>(len_));
    used_[static_cast<size_t>(i)] = 1;
  }
  return d;
}

void FixedRecords::Set(int i, std::string_view rec) {
  char* d = bytes_.get() + Offset(i);
  size_t n = std::min(rec.size(), static_cast<size_t>(len_));
  std::memcpy(d, rec.data(), n);
  std::memset(d + n, ' ', static_cast<size_t>(len_) - n);
  used_[static_cast<size_t>(i)] = 1;
}

void FixedRecords::Clear(int i) {
  Offset(i);  // the index check
  used_[static_cast<size_t>(i)] = 0;
}

void FixedRecords::ClearAll() { std::fill(used_.begin(), used_.end(), std::uint8_t{0}); }

// ---- RaceDayModel --------------------------------------------------------------------------------

RaceDayModel::RaceDayModel()
    : RaceRecords(kMaxRaces, kRecLenRA),
      EntryRecords(kMaxRaces * kMaxRunners, kRecLenSE),
      PayoutRecords(kMaxRaces, kRecLenHR),
      OddsRecords1(kMaxRaces, kRecLenO1),
      OddsRecords2(kMaxRaces, kRecLenO2),
      OddsRecords3(kMaxRaces, kRecLenO3),
      OddsRecords4(kMaxRaces, kRecLenO4),
      OddsRecords5(kMaxRaces, kRecLenO5),
      OddsRecords6(kMaxRaces, kRecLenO6),
      PastRuns(kMaxRaces * kMaxRunners * kMaxPastRuns, kRecLenPastRun),
      raceAnalysis_(std::make_unique<std::array<TRaceAnalysis, kMaxRaces>>()),
      outData_(std::make_unique<std::array<TOutData, kMaxRaces>>()),
      pastRunMarks_(static_cast<size_t>(kMaxRaces) * kMaxRunners * kMaxPastRuns, 0) {
  for (auto& o : *outData_) {  // the odds tables are cleared by Reset
    Fill(o.Axis1Flags, 0);
    Fill(o.Axis2Flags, 0);
    Fill(o.PartnerFlags, 0);
  }
  Reset();
}

FixedRecords& RaceDayModel::OddsRecords(int type) {
  return const_cast<FixedRecords&>(static_cast<const RaceDayModel&>(*this).OddsRecords(type));
}

const FixedRecords& RaceDayModel::OddsRecords(int type) const {
  switch (type) {
    case 1: return OddsRecords1;
    case 2: return OddsRecords2;
    case 3: return OddsRecords3;
    case 4: return OddsRecords4;
    case 5: return OddsRecords5;
    case 6: return OddsRecords6;
  }
  throw std::out_of_range(Fmt("odds record type %d outside 1..6", type));
}

int& RaceDayModel::PastRunMark(int r, int k, int j) {
  CheckIndex(r, kMaxRaces, "race slot");
  CheckIndex(k, kMaxRunners, "runner slot");
  CheckIndex(j, kMaxPastRuns, "past run");
  return pastRunMarks_[static_cast<size_t>(PastRunIndex(r, k, j))];
}

int RaceDayModel::PastRunMark(int r, int k, int j) const {
  return const_cast<RaceDayModel&>(*this).PastRunMark(r, k, j);
}

TRaceAnalysis& RaceDayModel::RaceAnalysis(int r) {
  CheckIndex(r, kMaxRaces, "race slot");
  return (*raceAnalysis_)[static_cast<size_t>(r)];
}

const TRaceAnalysis& RaceDayModel::RaceAnalysis(int r) const {
  CheckIndex(r, kMaxRaces, "race slot");
  return (*raceAnalysis_)[static_cast<size_t>(r)];
}

TOutData& RaceDayModel::OutData(int r) {
  CheckIndex(r, kMaxRaces, "race slot");
  return (*outData_)[static_cast<size_t>(r)];
}

const TOutData& RaceDayModel::OutData(int r) const {
  CheckIndex(r, kMaxRaces, "race slot");
  return (*outData_)[static_cast<size_t>(r)];
}

int RaceDayModel::RunnerCount(int r) const {
  return std::clamp(FldInt(Race(r), kRA_Entered), 0, kMaxRunners);
}

void RaceDayModel::Reset() {
  for (auto& a : *raceAnalysis_) ResetAnalysis(a);
  for (auto& o : *outData_) {
    o.OddsTime.clear();
    o.OddsGetTime.clear();
    o.VoteTime.clear();
    ClearOddsTables(o);
  }
}

void RaceDayModel::ClearRecords() {
  RaceRecords.ClearAll();
  EntryRecords.ClearAll();
  PayoutRecords.ClearAll();
  for (int t = 1; t <= 6; ++t) OddsRecords(t).ClearAll();
  PastRuns.ClearAll();
  std::fill(pastRunMarks_.begin(), pastRunMarks_.end(), 0);
}

void RaceDayModel::SetAllStakes(int amount) {
  for (auto& s : StakeList) s = Fmt("%d", amount);
}

void RaceDayModel::ReadPayoutsAndResults(int r) {
  TRaceAnalysis& a = RaceAnalysis(r);
  ReadPayoutFields(a, Payout(r));
  const int n = RunnerCount(r);
  for (int k = 0; k < kMaxRunners; ++k) {
    if (k < n)
      ReadResultTexts(a, k, Entry(r, k));
    else
      ClearResultTexts(a, k);
  }
}

std::string NoDaySelectedMessage() { return J("開催日を選択してﾃﾞｰﾀを読み込んでください。"); }
std::string NotEnoughDataMessage() { return J("データが不十分なようです。"); }

}  // namespace kv
