#pragma once
// Candidate sets: which runners of a race become axis horse 1 (◎), axis horse 2 (○) and partner
// (▲), by rank positions under six ranking criteria, plus an odds range per bet type.
//
// The file "userkaimeset2.dat" in the program folder holds one set per line (CP932, CR LF),
// exactly 456 bytes, 1-based positions:
//
//   1-108    role 1 (axis 1) flags: criterion n (1-6), rank r (1-18) at 18 (n - 1) + r
//   109-216  role 2 (axis 2) flags, same layout
//   217-324  role 3 (partner) flags, same layout
//   325-436  sixteen odds bounds "%7d": lower, upper of win, place, bracket quinella, quinella,
//            wide, exacta, trio, trifecta
//   437-456  set name, blank-padded to 20 bytes; the key of the set
//
// A flag is "1" (checked) or "0"; anything else reads unchecked. A short line reads its missing
// flags unchecked and its missing bounds 0 (which clamps to 1 for an upper bound).
//
// CandidateSettings is the state of the candidate-settings dialog (軸・ヒモ馬ユーザー設定): the
// 324 check items, sixteen bounds, the set selector and the name edit. Marking and bet building
// read this working state, saved or not. The dialog only shows it and forwards the user's
// actions to the methods below.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/Settings.h"
#include "app/Ports.h"

namespace kv {

inline constexpr const char* kCandidateSetFileName = "userkaimeset2.dat";
inline constexpr int kSetLineLength = 456;
inline constexpr int kSetNameLength = 20;
inline constexpr int kRoles = 3;       // 0 axis 1, 1 axis 2, 2 partner
inline constexpr int kCriteria = 6;    // see Criterion
inline constexpr int kRankItems = 18;  // " 1位" … "18位"
inline constexpr int kOddsBounds = 16;

// Ranking criteria in their fixed order (dialog, file, marking).
enum class Criterion { PointWinRate, WinRate, WinPopularity, WinsRev, PointWinsRev, Wins };
// Captions "Pt勝率", "勝率", "単人気", "勝数逆順", "勝Pt逆順", "勝数" (CP932).
const std::string& CriterionCaption(int criterion);
// Check item captions " 1位" … "18位" (rank 1..18, CP932).
std::string RankItemCaption(int rank);

// One odds spin field: its name and range. Index 2 t is the lower, 2 t + 1 the upper bound of bet
// type t (BetType order).
struct OddsBoundField {
  const char* name;  // "Tan1Edit" …
  int min, max;
  int Clamp(int v) const { return v < min ? min : (v > max ? max : v); }
};
const std::array<OddsBoundField, kOddsBounds>& OddsBoundFields();

// One parsed set line.
struct CandidateSet {
  // checks[role][criterion][rank - 1]
  std::array<std::array<std::array<bool, kRankItems>, kCriteria>, kRoles> checks{};
  std::array<int, kOddsBounds> bounds{};  // as stored (not clamped); 0 where a field does not read
  std::string name;                       // the 20-byte name field as stored (blank-padded)
};

// True when line can be a set line: at most 456 bytes, every flag present "0" or "1" and every
// bound present a number (blank-padded). Anything else is not a set (random bytes, another file).
bool IsSetLine(std::string_view line);
// Reads a set line (short lines as described above).
CandidateSet ParseSetLine(std::string_view line);
// The 456-byte line of a set; the name is padded or cut to 20 bytes (see NameField).
std::string FormatSetLine(const CandidateSet& set);
// Bytes 437-456 of a line, blank-padded to 20 bytes.
std::string SetLineName(std::string_view line);
// A name edit's text as the 20-byte key: padded with blanks, or cut to 20 bytes without
// splitting a double-byte character (a cut lead byte becomes a blank).
std::string NameField(std::string_view name);
// The two lines written when the file does not exist: "基本設定１" and "基本設定２".
std::vector<std::string> DefaultSetLines();

class CandidateSettings {
 public:
  // `TNEnabled`: marking consults the 単人気 lists only when this is 1.
  int TNEnabled = 1;
  // The set lines in file order.
  std::vector<std::string> KaimeSetList;
  // The name edit (default "ユーザー設定1").
  std::string NameEdit;

  CandidateSettings();

  // Opening the dialog: TNEnabled = 1; loads the file into KaimeSetList, or, when it does not
  // exist (or holds no set), writes the two default sets; selects "Kaime"/"SetIndex" (the first
  // set when that names no line) and applies it. A file that cannot be read or written is
  // reported in the result; the default sets are then held in memory. Lines that are not sets
  // (IsSetLine) are reported by number: the file is moved into damaged/<time>/ (clock: the time,
  // the computer's when null) and the sets that read, or the defaults, are written anew.
  FileResult Open(const fs::path& progDir, Settings& settings, const Clock* clock = nullptr);

  // The selector: the 20-byte name of every line, in order.
  std::vector<std::string> SelectorItems() const;
  int SelectedIndex() const { return selected_; }

  // Selector change: applies line `index` to the check items and the bounds (each bound that
  // reads 0 or more is clamped into its field's range; a negative one leaves the field) and
  // writes "Kaime"/"SetIndex"; the result is that write's (a failure names the settings file).
  // An index that names no line does nothing.
  FileResult SelectSet(int index);
  // The same without remembering the choice in the settings (a run over the stored history that
  // tries a set). False when the index names no line (nothing changes).
  bool ApplySet(int index);
  // The index of the line whose name is `name` (both without surrounding blanks), -1 when none.
  int FindSet(std::string_view name) const;

  // 追加: saves the current state under NameEdit. Asks before overwriting each line of the same
  // name; a No saves nothing. Returns true when the file was written.
  bool AddSet(UiPort& ui);
  // 削除: deletes the selected set after asking; the last set cannot be deleted. Returns true
  // when the file was written.
  bool DeleteSet(UiPort& ui);

  // Check items and bounds of the working state.
  bool Check(int role, int criterion, int rank) const;
  void SetCheck(int role, int criterion, int rank, bool on);
  int Bound(int field) const { return bounds_[static_cast<size_t>(field)]; }
  // Clamps into the field's range.
  void SetBound(int field, int value);
  const CandidateSet& Current() const { return current_; }

  // A mouse button pressed on the check list of role/criterion (remembered for the context menu).
  void PressCheckList(int role, int criterion);
  // 全選択 / 全クリア on the check list last pressed; nothing when none was pressed yet.
  void SelectAllOnLastPressed() { SetAllOnLastPressed(true); }
  void ClearAllOnLastPressed() { SetAllOnLastPressed(false); }

  // Window position ("UserKaimeForm"/"top", "left").
  struct Position {
    int top = 100, left = 500;
  };
  static Position ReadPosition(const Settings& settings);
  static void WritePosition(Settings& settings, Position p);

  const fs::path& FilePath() const { return path_; }

 private:
  FileResult Save();
  void SetAllOnLastPressed(bool on);

  fs::path path_;
  Settings* settings_ = nullptr;
  CandidateSet current_;
  std::array<int, kOddsBounds> bounds_{};
  int selected_ = 0;
  int pressedRole_ = -1, pressedCriterion_ = -1;
};

}  // namespace kv
