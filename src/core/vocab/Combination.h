#pragma once
// Bet combination numbering.
//
// A combination is written with "%2d" per number joined by "-": a pair is 5 characters
// (" 1- 2", "10-18"), a triple 8 (" 1- 2- 3"). The unordered types put the smaller number first.
// Its number is its place, from 1, in ascending lexicographic order of the number tuple:
//
//   kind       bet types                       rule                      count
//   Bracket    bracket quinella (枠連)          1 <= i <= j <= 8             36
//   Quinella   quinella (馬連) and wide (ﾜｲﾄﾞ)    1 <= i < j <= 18            153
//   Exacta     exacta (馬単)                    i != j, 1..18              306
//   Trio       trio (３連複)                    1 <= i < j < k <= 18        816
//   Trifecta   trifecta (３連単)                all different, 1..18      4896
//
// The number indexes the odds tables, the per-pair comparison results (quinella numbering) and
// the bet tables. Text lookups are exact: a text that is not exactly one of the table's texts
// (no padding, leading zeros, a trailing blank, the larger number first …) gives 0. All tables
// are built once on first use; every function is thread-safe and allocation-free per call
// except where it returns a new string.
#include <string>
#include <string_view>

namespace kv {

enum class ComboKind { Bracket, Quinella, Exacta, Trio, Trifecta };

// The numbers of one combination; third is 0 for the pair kinds. All 0 for "no combination".
struct Combo {
  int first = 0;
  int second = 0;
  int third = 0;
  bool operator==(const Combo&) const = default;
};

// Number of combinations of the kind: 36, 153, 306, 816, 4896.
int ComboCount(ComboKind kind);

// Number of the combination text, or 0 when the text is not exactly one of the kind's texts.
// For Trifecta only the first 8 characters are compared (anything after them is ignored).
int ComboNo(ComboKind kind, std::string_view text);

// Number of the combination of the given numbers (third ignored for the pair kinds), or 0 when
// they break the kind's rule (e.g. Quinella 2,1 or Bracket 1,9).
int ComboNo(ComboKind kind, int first, int second, int third = 0);

// The combination of number no (1..ComboCount), or an all-zero Combo outside that range.
Combo ComboOf(ComboKind kind, int no);

// The text of number no (1..ComboCount), or "" outside that range. The reference stays valid
// for the life of the program.
const std::string& ComboText(ComboKind kind, int no);

// Text -> number for each kind (0 when the text is not exactly a combination).
inline int BracketComboNo(std::string_view text) { return ComboNo(ComboKind::Bracket, text); }
inline int QuinellaComboNo(std::string_view text) { return ComboNo(ComboKind::Quinella, text); }
inline int ExactaComboNo(std::string_view text) { return ComboNo(ComboKind::Exacta, text); }
inline int TrioComboNo(std::string_view text) { return ComboNo(ComboKind::Trio, text); }
// Only the first 8 characters are compared: "18-17-16 " gives 4896.
inline int TrifectaComboNo(std::string_view text) { return ComboNo(ComboKind::Trifecta, text); }

// Sets text to the quinella combination of number no for 1 <= no <= 153; any other number leaves
// text unchanged.
void QuinellaComboText(int no, std::string& text);

// Bracket (枠番, 1..8) of a horse in a race of `runners` entered runners. With 8 runners or fewer
// the bracket is the horse number; with more, the runners are spread over the 8 brackets in
// number order so that the last (runners mod 8) brackets hold one horse more. Gives 0 outside
// 1 <= horse <= runners <= 18.
int BracketOfHorse(int runners, int horse);

}  // namespace kv
