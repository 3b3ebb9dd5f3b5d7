#pragma once
// The race-day model: every figure of the one loaded race day, held in fixed-size arrays that are
// allocated once and live as long as their owner. Race slot r (0..35) is the line order of the
// day's race file, runner slot k (0..17) is horse number - 1, past run j (0..99) counts from the
// newest kept run, and pair p (1..153) is stored at index p - 1.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jvlink/JVData_Structure.h"

namespace kv {

inline constexpr int kMaxRaces = 36;
inline constexpr int kMaxRunners = 18;
inline constexpr int kMaxPastRuns = 100;
inline constexpr int kMaxPairs = 153;  // 18 * 17 / 2 unordered pairs of runners

// Combinations per bet type (numbered 1..n in ascending order; stored at index number - 1).
inline constexpr int kBracketCombos = 36;
inline constexpr int kQuinellaCombos = 153;
inline constexpr int kWideCombos = 153;
inline constexpr int kExactaCombos = 306;
inline constexpr int kTrioCombos = 816;
inline constexpr int kTrifectaCombos = 4896;

// PlaceCounts dimensions: 8 categories x 18 runners x 4 place slots (1st, 2nd, 3rd, 4th or worse).
// Categories: 0 every run, 1 turf heavy going, 2 turf, 3 dirt heavy going, 4 dirt,
// 5 up to 1600 m, 6 1601..2200 m, 7 2201 m and more.
inline constexpr int kPlaceCategories = 8;
inline constexpr int kPlaceSlots = 4;

// A short text of at most N bytes held in place (no allocation): a length and the bytes.
template <int N>
class ShortStr {
 public:
  ShortStr() = default;
  // Keeps the first N bytes of s.
  void Assign(std::string_view s) {
    len_ = static_cast<std::uint8_t>(s.size() < N ? s.size() : N);
    for (int i = 0; i < len_; ++i) buf_[i] = s[static_cast<size_t>(i)];
  }
  ShortStr& operator=(std::string_view s) {
    Assign(s);
    return *this;
  }
  void Clear() { len_ = 0; }
  bool Empty() const { return len_ == 0; }
  int Size() const { return len_; }
  static constexpr int Capacity() { return N; }
  std::string_view View() const { return {buf_, len_}; }
  std::string Str() const { return std::string(View()); }
  operator std::string_view() const { return View(); }
  friend bool operator==(const ShortStr& a, std::string_view b) { return a.View() == b; }

 private:
  std::uint8_t len_ = 0;
  char buf_[N] = {};
};

// Derived figures of one race.
struct TRaceAnalysis {
  // Filled by the day loader from the runners' in-window past runs.
  int PrizeTotal[kMaxRunners];                                  // prize + added prize, as stored
  int PlaceCounts[kPlaceCategories][kMaxRunners][kPlaceSlots];  // [category][runner][place slot]

  // Comparison results and ranks; ranks 1 = best, 0 = none; rates 0..1, -1.0 = none.
  int Wins[kMaxRunners];
  int Losses[kMaxRunners];
  double WinRate[kMaxRunners];
  int WinRateRank[kMaxRunners];
  int WinsRank[kMaxRunners];
  int WinsRevRank[kMaxRunners];
  int PointWins[kMaxRunners];
  int PointLosses[kMaxRunners];
  double PointWinRate[kMaxRunners];
  int PointWinRateRank[kMaxRunners];
  int PointWinsRevRank[kMaxRunners];

  // Per pair of runners a < b, at index p - 1 (p: the quinella number of "a-b").
  int PairCompared[kMaxPairs];
  int PairFirstWon[kMaxPairs];   // > 0 when the lower-numbered horse won the pair
  int PairSecondWon[kMaxPairs];  // > 0 when the higher-numbered horse won the pair
  int PairFirstPt[kMaxPairs];
  int PairSecondPt[kMaxPairs];
  int PairFirstOwnPt[kMaxPairs];
  int PairSecondOwnPt[kMaxPairs];
  int PairFirstTotalPt[kMaxPairs];
  int PairSecondTotalPt[kMaxPairs];
  int PairDirect[kMaxPairs];

  // Marked past runs that finished 1st-3rd (conformed) or 4th or worse (betrayed).
  int Conformed[kMaxRunners];
  int Betrayed[kMaxRunners];
  double BetrayalRate[kMaxRunners];  // Betrayed / (Conformed + Betrayed); -1.0 with no marked run

  // Result texts copied from the runner's SE record.
  ShortStr<5> RaceTimeText[kMaxRunners];   // SE 339 (4)
  ShortStr<3> FinishText[kMaxRunners];     // SE 335 (2)
  ShortStr<3> PopularityText[kMaxRunners]; // SE 364 (2)
  ShortStr<5> WinOddsText[kMaxRunners];    // SE 360 (4)

  // Payouts, in the HR record's order of the paid combinations. Combination texts are "%2d-"
  // for every number but the last and "%2d" for the last (" 3-12", " 1- 5-12"); empty when none.
  int WinHorse[3];
  int PlaceHorse[5];
  ShortStr<6> BracketQuinellaCombo[3];
  ShortStr<6> QuinellaCombo[3];
  ShortStr<6> WideCombo[7];
  ShortStr<6> ExactaCombo[6];
  ShortStr<9> TrioCombo[3];
  ShortStr<9> TrifectaCombo[6];
  int WinPop[3], PlacePop[5], BracketQuinellaPop[3], QuinellaPop[3], WidePop[7], ExactaPop[6], TrioPop[3],
      TrifectaPop[6];
  int WinPay[3], PlacePay[5], BracketQuinellaPay[3], QuinellaPay[3], WidePay[7], ExactaPay[6], TrioPay[3],
      TrifectaPay[6];

  std::uint8_t Compared;  // 1 once the race comparison has run for this race
};

// Odds tables, fetch times and runner roles of one race. Odds: > 0 the odds, 0.0 not loaded,
// -1.0 cancelled, -2.0 no such horse or combination. Popularity: 1.. rank, 0 none.
// Per-horse arrays are indexed by horse number - 1, combination arrays by combination number - 1.
struct TOutData {
  std::string OddsTime;     // "hhmm" of the O1 announcement
  std::string OddsGetTime;  // "hhmmss": automatic odds fetch due
  std::string VoteTime;     // "hhmmss": second chance of the automatic fetch

  double WinOdds[kMaxRunners];
  double PlaceOddsMin[kMaxRunners];
  double PlaceOddsMax[kMaxRunners];
  double BracketOdds[kBracketCombos];
  double QuinellaOdds[kQuinellaCombos];
  double WideOdds[kWideCombos];
  double ExactaOdds[kExactaCombos];
  double TrioOdds[kTrioCombos];
  double TrifectaOdds[kTrifectaCombos];

  int WinPopularity[kMaxRunners];
  int PlacePopularityMin[kMaxRunners];
  int PlacePopularityMax[kMaxRunners];
  int BracketPopularity[kBracketCombos];
  int QuinellaPopularity[kQuinellaCombos];
  int WidePopularity[kWideCombos];
  int ExactaPopularity[kExactaCombos];
  int TrioPopularity[kTrioCombos];
  int TrifectaPopularity[kTrifectaCombos];

  // Runner roles by runner slot, each 0 or 1: axis horse 1 (◎), axis horse 2 (○), partner (▲).
  int Axis1Flags[kMaxRunners];
  int Axis2Flags[kMaxRunners];
  int PartnerFlags[kMaxRunners];
};

// Every odds value to 0.0 and every popularity to 0 (the fetch times and role flags stay).
void ClearOddsTables(TOutData& out);

// Payout fields of a race from its HR record (a record of spaces, or a short one, gives zero
// numbers and empty texts). Every payout field is overwritten.
void ReadPayoutFields(TRaceAnalysis& ra, std::string_view hr);

// The four result texts of runner slot k from its SE record.
void ReadResultTexts(TRaceAnalysis& ra, int k, std::string_view se);

// Records of one fixed length held back to back in one allocation. A record is kept byte for
// byte as read (including its CR LF); an empty slot is all spaces.
//
// A slot that was never written (or was cleared) is not stored as spaces: it reads as one shared
// record of spaces, and its bytes are only blanked when it is written. So making the records and
// clearing them costs a flag per record, not the whole allocation (the past runs of a day are
// 53 MB, of which a day uses a few).
class FixedRecords {
 public:
  FixedRecords(int count, int recordLength);

  int Count() const { return count_; }
  int RecordLength() const { return len_; }

  // The whole record i (RecordLength bytes).
  std::string_view operator[](int i) const;
  // Writable bytes of record i (blanked first when the slot is empty), for reading a file
  // straight into the slot. The pointer stays valid as long as the records.
  char* Data(int i);
  // Record i becomes rec, cut or padded with spaces to RecordLength.
  void Set(int i, std::string_view rec);
  void Clear(int i);  // record i to spaces
  void ClearAll();    // every record to spaces

 private:
  size_t Offset(int i) const;
  int count_;
  int len_;
  std::unique_ptr<char[]> bytes_;  // only the slots flagged in used_ hold their record
  std::vector<std::uint8_t> used_;
  std::string blank_;              // one record of spaces: what an empty slot reads as
};

// The loaded race day. Large (about 60 MB): construct it once and keep it.
class RaceDayModel {
 public:
  RaceDayModel();
  RaceDayModel(const RaceDayModel&) = delete;
  RaceDayModel& operator=(const RaceDayModel&) = delete;

  // ---- raw records, byte for byte as read from the day files ----
  FixedRecords RaceRecords;    // 36 RA records
  FixedRecords EntryRecords;   // 36 x 18 SE records, index EntryIndex(r, k)
  FixedRecords PayoutRecords;  // 36 HR records
  FixedRecords OddsRecords1;   // 36 O1 records
  FixedRecords OddsRecords2;
  FixedRecords OddsRecords3;
  FixedRecords OddsRecords4;
  FixedRecords OddsRecords5;
  FixedRecords OddsRecords6;
  FixedRecords PastRuns;       // 36 x 18 x 100 past-run lines (826 bytes), index PastRunIndex(r, k, j)

  // ---- single values ----
  int RaceCount = 0;     // race records read for the day (0..36)
  int SelectedRace = 0;  // race slot shown in the main window
  int WorkRace = 0;      // race slot being compared
  int OddsRace = 0;      // race slot whose odds are loaded next
  bool TodayLoaded = false;
  std::filesystem::path DayFilePath;              // the day's race file
  std::array<std::string, kMaxRaces> StakeList;   // stake amount text per race slot
  std::filesystem::path ProgDir;                  // the program folder

  static int EntryIndex(int r, int k) { return r * kMaxRunners + k; }
  static int PastRunIndex(int r, int k, int j) { return (r * kMaxRunners + k) * kMaxPastRuns + j; }

  std::string_view Race(int r) const { return RaceRecords[r]; }
  std::string_view Entry(int r, int k) const { return EntryRecords[EntryIndex(r, k)]; }
  std::string_view Payout(int r) const { return PayoutRecords[r]; }
  std::string_view PastRun(int r, int k, int j) const { return PastRuns[PastRunIndex(r, k, j)]; }
  // O1..O6 records by type 1..6.
  FixedRecords& OddsRecords(int type);
  const FixedRecords& OddsRecords(int type) const;

  // 0 not marked, 1 conformed, 2 betrayed.
  int& PastRunMark(int r, int k, int j);
  int PastRunMark(int r, int k, int j) const;

  TRaceAnalysis& RaceAnalysis(int r);
  const TRaceAnalysis& RaceAnalysis(int r) const;
  TOutData& OutData(int r);
  const TOutData& OutData(int r) const;

  // True when race slot r holds no race (RA year blank or "0000"); such slots are skipped.
  bool IsRaceSlotEmpty(int r) const { return IsEmptyRaceRecord(Race(r)); }
  // Entered runners of race slot r (RA 882), limited to 0..18 so it is always a safe bound
  // for runner slots.
  int RunnerCount(int r) const;

  // Before every day load: clears, for every race slot, the derived figures of TRaceAnalysis
  // (payouts, result texts, per-runner past-run statistics, comparison results, ranks, pairs and
  // the Compared flag; rates to -1.0) and the fetch times, odds and popularity of TOutData.
  // Raw records, past runs and their marks, the role flags and the single values are kept.
  void Reset();
  // Every raw record array and PastRuns to spaces, every PastRunMarks entry to 0.
  void ClearRecords();
  // Every StakeList entry becomes the amount as decimal text.
  void SetAllStakes(int amount);
  // Payout fields from the race's HR record and the result texts of its runners from their SE
  // records (runner slots at or beyond the entered count get empty texts).
  void ReadPayoutsAndResults(int r);

 private:
  std::unique_ptr<std::array<TRaceAnalysis, kMaxRaces>> raceAnalysis_;
  std::unique_ptr<std::array<TOutData, kMaxRaces>> outData_;
  std::vector<std::int32_t> pastRunMarks_;
};

// What the day commands say when no day is loaded or the loaded day has no usable race (CP932).
std::string NoDaySelectedMessage();    // "開催日を選択してﾃﾞｰﾀを読み込んでください。"
std::string NotEnoughDataMessage();    // "データが不十分なようです。"

}  // namespace kv
