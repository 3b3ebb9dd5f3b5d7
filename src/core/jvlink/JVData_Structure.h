#pragma once
// JV-Data record layout: record lengths per type and the 1-based byte positions of every field
// the program reads. Positions count code page 932 bytes of the record as JV-Link delivers it.
#include <string_view>

#include "text/Field.h"

namespace kv {

// ---------------------------------------------------------------------------------------------
// Record lengths.
//
// kRecLen* constants are the JV-Data record lengths INCLUDING the trailing CR LF. Day files are
// read as fixed-size records of exactly this length (the stored line plus its CR LF), and the
// model keeps raw records byte for byte at this length.
// kLineLen* constants are the stored line lengths WITHOUT CR LF (two bytes shorter).
// ---------------------------------------------------------------------------------------------
inline constexpr int kCrLfLen = 2;

inline constexpr int kRecLenRA = 1272;
inline constexpr int kRecLenSE = 555;
inline constexpr int kRecLenHR = 719;
inline constexpr int kRecLenO1 = 962;
inline constexpr int kRecLenO2 = 2042;
inline constexpr int kRecLenO3 = 2654;
inline constexpr int kRecLenO4 = 4031;
inline constexpr int kRecLenO5 = 12293;
inline constexpr int kRecLenO6 = 83285;
inline constexpr int kRecLenTC = 45;

inline constexpr int kLineLenRA = kRecLenRA - kCrLfLen;  // 1270
inline constexpr int kLineLenSE = kRecLenSE - kCrLfLen;  // 553
inline constexpr int kLineLenHR = kRecLenHR - kCrLfLen;  // 717
inline constexpr int kLineLenO1 = kRecLenO1 - kCrLfLen;  // 960
inline constexpr int kLineLenO2 = kRecLenO2 - kCrLfLen;  // 2040
inline constexpr int kLineLenO3 = kRecLenO3 - kCrLfLen;  // 2652
inline constexpr int kLineLenO4 = kRecLenO4 - kCrLfLen;  // 4029
inline constexpr int kLineLenO5 = kRecLenO5 - kCrLfLen;  // 12291
inline constexpr int kLineLenO6 = kRecLenO6 - kCrLfLen;  // 83283
inline constexpr int kLineLenTC = kRecLenTC - kCrLfLen;  // 43

// The odds records O1..O6 by bet-table index 0..5 (O1 = win/place/bracket quinella, O2 quinella,
// O3 wide, O4 exacta, O5 trio, O6 trifecta); lengths INCLUDING CR LF.
inline constexpr int kRecLenOdds[6] = {kRecLenO1, kRecLenO2, kRecLenO3, kRecLenO4, kRecLenO5, kRecLenO6};

// The largest record (O6) fits the read buffer handed to JV-Link for accumulated data and odds.
inline constexpr int kReadBufferOdds = 100000;
inline constexpr int kReadBufferResults = 60000;
static_assert(kRecLenO6 < kReadBufferOdds);

// The program's own fixed-length files (lengths INCLUDING CR LF unless stated).
inline constexpr int kRecLenPastRun = 826;     // past-run line of a horse's ".kak" file (824 + CR LF)
inline constexpr int kLineLenPastRun = kRecLenPastRun - kCrLfLen;
inline constexpr int kRecLenPrediction = 52;   // prediction line of a horse's ".yos" file (50 + CR LF)
inline constexpr int kLineLenPrediction = kRecLenPrediction - kCrLfLen;
inline constexpr int kLineLenCandidateSet = 456;  // candidate-set line, WITHOUT CR LF

// JV-Data length INCLUDING CR LF of a 2-character record type ("RA", "SE", "HR", "O1".."O6",
// "TC"); 0 for any other text. Only the first two bytes are looked at, so a whole record works.
constexpr int RecordLength(std::string_view type) {
  if (type.size() < 2) return 0;
  const char a = type[0], b = type[1];
  if (a == 'R' && b == 'A') return kRecLenRA;
  if (a == 'S' && b == 'E') return kRecLenSE;
  if (a == 'H' && b == 'R') return kRecLenHR;
  if (a == 'T' && b == 'C') return kRecLenTC;
  if (a == 'O' && b >= '1' && b <= '6') return kRecLenOdds[b - '1'];
  return 0;
}

// Stored line length (WITHOUT CR LF) of a record type; 0 for an unknown type.
constexpr int StoredLineLength(std::string_view type) {
  const int n = RecordLength(type);
  return n > 0 ? n - kCrLfLen : 0;
}

// ---------------------------------------------------------------------------------------------
// Field positions: 1-based byte position and length in the record as delivered (the stored line
// has the same positions, it only lacks the final CR LF).
// ---------------------------------------------------------------------------------------------
struct FieldPos {
  int pos;
  int len;
};

// A field that repeats every `step` bytes: entry i (from 0) is at pos + step * i.
struct RepeatPos {
  int pos;
  int len;
  int step;
  constexpr FieldPos At(int i) const { return {pos + step * i, len}; }
};

inline std::string_view Fld(std::string_view rec, FieldPos f) { return Fld(rec, f.pos, f.len); }
inline std::string FldStr(std::string_view rec, FieldPos f) { return FldStr(rec, f.pos, f.len); }
inline int FldInt(std::string_view rec, FieldPos f) { return FldInt(rec, f.pos, f.len); }
inline long long FldLong(std::string_view rec, FieldPos f) { return FldLong(rec, f.pos, f.len); }
inline void PutFld(std::string& rec, FieldPos f, std::string_view text) { PutFld(rec, f.pos, f.len, text); }

// ---- header shared by every record type kept (RA, SE, HR, O1..O6, TC) -----------------------
inline constexpr FieldPos kHdr_RecordType{1, 2};     // "RA", "SE", "HR", "O1".."O6", "TC"
inline constexpr FieldPos kHdr_DataKind{3, 1};       // RA/SE: "7" = final results; "A"/"B" not central
inline constexpr FieldPos kHdr_MakeDate{4, 8};       // creation date; zeroed when RA/HR are stored
inline constexpr FieldPos kHdr_KindAndMakeDate{3, 9};  // zeroed when odds records are stored
inline constexpr FieldPos kHdr_Year{12, 4};          // "0000" or blanks mark an empty race slot
inline constexpr FieldPos kHdr_Date{12, 8};          // yyyymmdd
inline constexpr FieldPos kHdr_MonthDay{16, 4};      // mmdd
inline constexpr FieldPos kHdr_Month{16, 2};
inline constexpr FieldPos kHdr_Day{18, 2};
inline constexpr FieldPos kHdr_YearShort{14, 2};     // last two digits of the year
inline constexpr FieldPos kHdr_Venue{20, 2};         // venue code
inline constexpr FieldPos kHdr_Meeting{22, 2};       // meeting number (回)
inline constexpr FieldPos kHdr_MeetingDay{24, 2};    // day of the meeting (日目)
inline constexpr FieldPos kHdr_RaceNum{26, 2};       // "01".."12"
inline constexpr FieldPos kHdr_RaceKey{12, 16};      // year, mmdd, venue, meeting, day, race number
inline constexpr FieldPos kHdr_VenueToRace{20, 8};   // venue .. race number (time-series file names)
inline constexpr int kRaceKeyLen = 16;

// ---- RA: race details (1272 bytes with CR LF) -------------------------------------------------
inline constexpr FieldPos kRA_Weekday{28, 1};
inline constexpr FieldPos kRA_RaceName{33, 60};
inline constexpr FieldPos kRA_RaceNameShort6{593, 12};  // race name, 6-character short form
inline constexpr FieldPos kRA_RaceNameShort3{605, 6};   // race name, 3-character short form
inline constexpr FieldPos kRA_RunningNum{612, 3};       // 第 n 回
inline constexpr FieldPos kRA_Grade{615, 1};
inline constexpr FieldPos kRA_RaceKind{617, 2};
inline constexpr FieldPos kRA_RaceSymbol{619, 3};
inline constexpr FieldPos kRA_WeightRule{622, 1};
inline constexpr RepeatPos kRA_AgeCondition{623, 3, 3};  // 4 entries: 2yo, 3yo, 4yo, 5yo and older
inline constexpr int kRA_AgeConditionCount = 4;
inline constexpr FieldPos kRA_Cond2yo = kRA_AgeCondition.At(0);
inline constexpr FieldPos kRA_Cond3yo = kRA_AgeCondition.At(1);
inline constexpr FieldPos kRA_Cond4yo = kRA_AgeCondition.At(2);
inline constexpr FieldPos kRA_Cond5up = kRA_AgeCondition.At(3);
inline constexpr FieldPos kRA_CondYoungest{635, 3};     // condition code of the youngest age
inline constexpr FieldPos kRA_Distance{698, 4};         // metres
inline constexpr FieldPos kRA_Track{706, 2};            // 10..22 turf, 23..29 dirt
inline constexpr RepeatPos kRA_Prize{714, 8, 8};        // 7 entries: prize money of places 1..7
inline constexpr int kRA_PrizeCount = 7;
inline constexpr FieldPos kRA_FirstPrize = kRA_Prize.At(0);
inline constexpr RepeatPos kRA_AddedPrize{810, 8, 8};   // 5 entries: added prize of places 1..5
inline constexpr int kRA_AddedPrizeCount = 5;
inline constexpr FieldPos kRA_PostTime{874, 4};         // "hhmm"
inline constexpr FieldPos kRA_PostHour{874, 2};
inline constexpr FieldPos kRA_PostMinute{876, 2};
inline constexpr FieldPos kRA_Entered{882, 2};          // registered runners: the race's runner count
inline constexpr FieldPos kRA_Starters{884, 2};
inline constexpr FieldPos kRA_Finishers{886, 2};
inline constexpr FieldPos kRA_Weather{888, 1};
inline constexpr FieldPos kRA_TurfGoing{889, 1};
inline constexpr FieldPos kRA_DirtGoing{890, 1};

// ---- SE: runner (555 bytes with CR LF) --------------------------------------------------------
inline constexpr FieldPos kSE_Frame{28, 1};            // frame (枠); below 1 = not yet received
inline constexpr FieldPos kSE_HorseNum{29, 2};         // horse number (馬番)
inline constexpr FieldPos kSE_HorseId{31, 10};         // pedigree registration number
inline constexpr FieldPos kSE_HorseIdYear{31, 4};      // its first four digits (birth year)
inline constexpr FieldPos kSE_HorseName{41, 36};
inline constexpr FieldPos kSE_HorseName18{41, 18};     // the first 18 bytes, where space is short
inline constexpr FieldPos kSE_Sex{79, 1};
inline constexpr FieldPos kSE_Age{83, 2};
inline constexpr FieldPos kSE_Trainer{91, 8};          // trainer short name
inline constexpr FieldPos kSE_Weight{289, 3};          // carried weight in 0.1 kg
inline constexpr FieldPos kSE_Blinker{295, 1};
inline constexpr FieldPos kSE_Jockey{307, 8};          // jockey short name
inline constexpr FieldPos kSE_Apprentice{323, 1};
inline constexpr FieldPos kSE_BodyWeight{325, 3};
inline constexpr FieldPos kSE_BodyWeightSign{328, 1};
inline constexpr FieldPos kSE_BodyWeightDiff{329, 3};
inline constexpr FieldPos kSE_Abnormal{332, 1};
inline constexpr FieldPos kSE_Arrival{333, 2};         // order of crossing the line
inline constexpr FieldPos kSE_Finish{335, 2};          // final place
inline constexpr FieldPos kSE_Time{339, 4};            // m ss t
inline constexpr RepeatPos kSE_Corner{352, 2, 2};      // 4 entries: place at corners 1..4
inline constexpr int kSE_CornerCount = 4;
inline constexpr FieldPos kSE_WinOdds{360, 4};         // final win odds in 0.1
inline constexpr FieldPos kSE_Popularity{364, 2};
inline constexpr FieldPos kSE_Prize{366, 8};           // prize money (本賞金)
inline constexpr FieldPos kSE_AddedPrize{374, 8};      // added prize (付加賞金)
inline constexpr FieldPos kSE_Last4F{388, 3};
inline constexpr FieldPos kSE_Last3F{391, 3};

// ---- HR: payouts (719 bytes with CR LF) -------------------------------------------------------
// One group per bet type; entry i of a group has its horse number or combination, payout (yen
// per 100 yen) and popularity at the three repeating fields.
struct PayoutGroup {
  int count;
  RepeatPos combo;
  RepeatPos pay;
  RepeatPos pop;
};
inline constexpr PayoutGroup kHR_Win{3, {103, 2, 13}, {105, 9, 13}, {114, 2, 13}};
inline constexpr PayoutGroup kHR_Place{5, {142, 2, 13}, {144, 9, 13}, {153, 2, 13}};
inline constexpr PayoutGroup kHR_BracketQuinella{3, {207, 2, 13}, {209, 9, 13}, {218, 2, 13}};  // two 1-digit frames
inline constexpr PayoutGroup kHR_Quinella{3, {246, 4, 16}, {250, 9, 16}, {259, 3, 16}};
inline constexpr PayoutGroup kHR_Wide{7, {294, 4, 16}, {298, 9, 16}, {307, 3, 16}};
inline constexpr PayoutGroup kHR_Exacta{6, {454, 4, 16}, {458, 9, 16}, {467, 3, 16}};
inline constexpr PayoutGroup kHR_Trio{3, {550, 6, 18}, {556, 9, 18}, {565, 3, 18}};
inline constexpr PayoutGroup kHR_Trifecta{6, {604, 6, 19}, {610, 9, 19}, {619, 4, 19}};
// The eight groups in the bet-type order win, place, bracket quinella, quinella, wide, exacta,
// trio, trifecta.
inline constexpr PayoutGroup kHR_Groups[8] = {kHR_Win,  kHR_Place,  kHR_BracketQuinella, kHR_Quinella,
                                              kHR_Wide, kHR_Exacta, kHR_Trio,            kHR_Trifecta};

// ---- O1..O6: odds ---------------------------------------------------------------------------
// k = horse number - 1, i = combination number - 1 (combinations in ascending order).
inline constexpr FieldPos kO_AnnounceTime{28, 8};   // mmddhhmm ("00000000" for final odds)
inline constexpr FieldPos kO_AnnounceHour{32, 2};
inline constexpr FieldPos kO_AnnounceMinute{34, 2};
inline constexpr FieldPos kO_Entered{36, 2};        // registered runners
inline constexpr FieldPos kO_Starters{38, 2};
// O1: win (18 entries), place (18), bracket quinella (36)
inline constexpr RepeatPos kO1_WinHorse{44, 2, 8};
inline constexpr RepeatPos kO1_WinOdds{46, 4, 8};
inline constexpr RepeatPos kO1_WinPop{50, 2, 8};
inline constexpr RepeatPos kO1_PlaceHorse{268, 2, 12};
inline constexpr RepeatPos kO1_PlaceOddsMin{270, 4, 12};
inline constexpr RepeatPos kO1_PlaceOddsMax{274, 4, 12};
inline constexpr RepeatPos kO1_PlacePop{278, 2, 12};
inline constexpr RepeatPos kO1_BracketCombo{604, 2, 9};
inline constexpr RepeatPos kO1_BracketOdds{606, 5, 9};
inline constexpr RepeatPos kO1_BracketPop{611, 2, 9};
// O2: quinella (153)
inline constexpr RepeatPos kO2_QuinellaCombo{41, 4, 13};
inline constexpr RepeatPos kO2_QuinellaOdds{45, 6, 13};
inline constexpr RepeatPos kO2_QuinellaPop{51, 3, 13};
// O3: wide (153); only the lower bound of the odds is read
inline constexpr RepeatPos kO3_WideCombo{41, 4, 17};
inline constexpr RepeatPos kO3_WideOddsMin{45, 5, 17};
inline constexpr RepeatPos kO3_WideOddsMax{50, 5, 17};
inline constexpr RepeatPos kO3_WidePop{55, 3, 17};
// O4: exacta (306)
inline constexpr RepeatPos kO4_ExactaCombo{41, 4, 13};
inline constexpr RepeatPos kO4_ExactaOdds{45, 6, 13};
inline constexpr RepeatPos kO4_ExactaPop{51, 3, 13};
// O5: trio (816)
inline constexpr RepeatPos kO5_TrioCombo{41, 6, 15};
inline constexpr RepeatPos kO5_TrioOdds{47, 6, 15};
inline constexpr RepeatPos kO5_TrioPop{53, 3, 15};
// O6: trifecta (4896)
inline constexpr RepeatPos kO6_TrifectaCombo{41, 6, 17};
inline constexpr RepeatPos kO6_TrifectaOdds{47, 7, 17};
inline constexpr RepeatPos kO6_TrifectaPop{54, 4, 17};

// ---- TC: start-time change (45 bytes with CR LF) --------------------------------------------
inline constexpr FieldPos kTC_AnnounceTime{28, 8};  // mmddhhmm
inline constexpr FieldPos kTC_NewPostTime{36, 4};   // "hhmm"
inline constexpr FieldPos kTC_OldPostTime{40, 4};   // "hhmm" before the change

// The 16-byte race key (positions 12-27) of any record; shorter when the record is cut short.
inline std::string_view RaceKey(std::string_view rec) { return Fld(rec, kHdr_RaceKey); }

// The race date yyyymmdd (positions 12-19) as a number; 0 when blank.
inline int RaceDate(std::string_view rec) { return FldInt(rec, kHdr_Date); }

// True when the record's year (positions 12-15) is blank or "0000": an empty race slot, which
// every loop over races skips.
inline bool IsEmptyRaceRecord(std::string_view rec) {
  std::string_view y = Fld(rec, kHdr_Year);
  return IsBlank(y) || y == "0000";
}

}  // namespace kv
