#pragma once
// JV-Data record layout: record lengths per type and the 1-based byte positions of every field
// the program reads. Positions count code page 932 bytes of the record as JV-Link delivers it.
#include <string_view>

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

}  // namespace kv
