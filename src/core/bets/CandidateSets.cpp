#include "bets/CandidateSets.h"

#include "app/DamagedFiles.h"
#include "app/LocalClock.h"

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

constexpr int kFlagsPerRole = kCriteria * kRankItems;  // 108
constexpr int kBoundsPos = kRoles * kFlagsPerRole + 1;  // 325
constexpr int kBoundWidth = 7;
constexpr int kNamePos = kBoundsPos + kOddsBounds * kBoundWidth;  // 437

// "[" + the trimmed name + "]" (built by appending, which also keeps GCC's -Wrestrict quiet).
std::string Bracketed(std::string_view name) {
  std::string text = "[";
  text += Trim(name);
  text += ']';
  return text;
}

int FlagPos(int role, int criterion, int rank) { return kFlagsPerRole * role + kRankItems * criterion + rank; }

}  // namespace

const std::string& CriterionCaption(int criterion) {
  static const std::array<std::string, kCriteria> captions = {J("Pt勝率"),   J("勝率"),     J("単人気"),
                                                              J("勝数逆順"), J("勝Pt逆順"), J("勝数")};
  return captions[static_cast<size_t>(criterion)];
}

std::string RankItemCaption(int rank) {
  static const std::string suffix = J("位");
  return Fmt("%2d", rank) + suffix;
}

const std::array<OddsBoundField, kOddsBounds>& OddsBoundFields() {
  static constexpr std::array<OddsBoundField, kOddsBounds> fields = {{
      {"Tan1Edit", 0, 1000},   {"Tan2Edit", 1, 1000},   {"Fuk1Edit", 0, 1000},     {"Fuk2Edit", 1, 1000},
      {"WR1Edit", 0, 10000},   {"WR2Edit", 1, 10000},   {"UR1Edit", 0, 100000},    {"UR2Edit", 1, 100000},
      {"WD1Edit", 0, 10000},   {"WD2Edit", 1, 10000},   {"UT1Edit", 0, 100000},    {"UT2Edit", 1, 100000},
      {"SRF1Edit", 0, 100000}, {"SRF2Edit", 1, 100000}, {"SRT1Edit", 0, 1000000}, {"SRT2Edit", 1, 1000000},
  }};
  return fields;
}

CandidateSet ParseSetLine(std::string_view line) {
  CandidateSet set;
  for (int g = 0; g < kRoles; ++g)
    for (int n = 0; n < kCriteria; ++n)
      for (int r = 1; r <= kRankItems; ++r) set.checks[g][n][r - 1] = Fld(line, FlagPos(g, n, r), 1) == "1";
  for (int i = 0; i < kOddsBounds; ++i) set.bounds[i] = FldInt(line, kBoundsPos + kBoundWidth * i, kBoundWidth);
  set.name = SetLineName(line);
  return set;
}

bool IsSetLine(std::string_view line) {
  if (line.empty() || line.size() > static_cast<size_t>(kSetLineLength)) return false;
  for (size_t i = 0; i < line.size() && i < static_cast<size_t>(kBoundsPos - 1); ++i)
    if (line[i] != '0' && line[i] != '1') return false;
  for (int i = 0; i < kOddsBounds; ++i) {
    const std::string_view f = Trim(Fld(line, kBoundsPos + kBoundWidth * i, kBoundWidth));
    const std::string_view digits = f.starts_with('-') ? f.substr(1) : f;
    if (!f.empty() && !IsDigits(digits)) return false;
  }
  return true;
}

std::string FormatSetLine(const CandidateSet& set) {
  std::string line;
  line.reserve(kSetLineLength);
  for (int g = 0; g < kRoles; ++g)
    for (int n = 0; n < kCriteria; ++n)
      for (int r = 0; r < kRankItems; ++r) line += set.checks[g][n][r] ? '1' : '0';
  for (int b : set.bounds) line += Fmt("%7d", b);
  line += NameField(set.name);
  return line;
}

std::string SetLineName(std::string_view line) { return PadRight(Fld(line, kNamePos, kSetNameLength), kSetNameLength); }

std::string NameField(std::string_view name) { return PadRight(name, kSetNameLength); }

std::vector<std::string> DefaultSetLines() {
  const int pt = static_cast<int>(Criterion::PointWinRate);
  const int tn = static_cast<int>(Criterion::WinPopularity);
  CandidateSet base;
  base.bounds = {0, 1000, 0, 1000, 0, 1000, 0, 100000, 0, 10000, 0, 100000, 0, 100000, 0, 1000000};
  for (int r = 1; r <= 2; ++r) base.checks[0][pt][r - 1] = true;
  for (int r = 1; r <= 3; ++r) base.checks[1][pt][r - 1] = true;
  CandidateSet first = base, second = base;
  for (int r = 1; r <= 10; ++r) first.checks[2][pt][r - 1] = true;
  first.name = J("基本設定１");
  for (int r = 3; r <= 12; ++r) second.checks[2][pt][r - 1] = true;
  for (int r = 1; r <= 2; ++r) second.checks[2][tn][r - 1] = true;
  second.name = J("基本設定２");
  return {FormatSetLine(first), FormatSetLine(second)};
}

// ---- the dialog's state ------------------------------------------------------------------

CandidateSettings::CandidateSettings() : NameEdit(J("ユーザー設定1")) {
  const auto& fields = OddsBoundFields();
  for (int i = 0; i < kOddsBounds; ++i) bounds_[i] = i % 2 == 0 ? 0 : fields[i].max;
}

FileResult CandidateSettings::Open(const fs::path& progDir, Settings& settings, const Clock* clock) {
  TNEnabled = 1;
  settings_ = &settings;
  path_ = progDir / kCandidateSetFileName;
  FileResult result;
  KaimeSetList.clear();
  std::vector<size_t> notSets;  // 1-based numbers of the lines that are not sets
  std::error_code ec;
  if (fs::exists(path_, ec)) {
    std::string bytes;
    result = ReadFile(path_, bytes);
    size_t start = 0, number = 0;
    while (result && start < bytes.size()) {
      size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string_view line(bytes.data() + start, end - start);
      ++number;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (IsSetLine(line))
        KaimeSetList.emplace_back(line);
      else if (!line.empty())
        notSets.push_back(number);
      start = end + 1;
    }
  }
  if (result && !notSets.empty()) {
    // Lines that are not sets (another file, random bytes): the user is told which, the file is
    // kept aside as it was, and the sets that did read (else the defaults) are written anew.
    std::string which;
    for (size_t i = 0; i < notSets.size() && i < 10; ++i) which += (i ? ", " : "") + std::to_string(notSets[i]);
    if (notSets.size() > 10) which += ", ...";
    const LocalClock local;
    const DateTime now = (clock ? *clock : static_cast<const Clock&>(local)).Now();
    fs::path movedTo;
    const FileResult moved = MoveToDamaged(progDir, path_, DamagedStamp(now), &movedTo);
    std::string error = path_.string() + ": line" + (notSets.size() == 1 ? " " : "s ") + which +
                        (notSets.size() == 1 ? " is" : " are") + " not a candidate set";
    if (KaimeSetList.empty()) KaimeSetList = DefaultSetLines();
    if (!moved) {
      error += "; the file could not be kept aside (" + moved.error + ") and is left as it is";
    } else {
      error += "; the file was kept as " + movedTo.string();
      if (const FileResult saved = Save(); !saved) error += "; " + saved.error;
    }
    result = FileResult::Fail(error);
  } else if (KaimeSetList.empty()) {
    // First start (or an emptied file): the two default sets, which are then saved. An
    // unreadable file is left as it is; the defaults are only held in memory then.
    KaimeSetList = DefaultSetLines();
    if (result) result = Save();
  }
  int index = settings.GetInt("Kaime", "SetIndex");
  if (index < 0 || index >= static_cast<int>(KaimeSetList.size())) index = 0;
  SelectSet(index);
  return result;
}

std::vector<std::string> CandidateSettings::SelectorItems() const {
  std::vector<std::string> items;
  items.reserve(KaimeSetList.size());
  for (const std::string& line : KaimeSetList) items.push_back(SetLineName(line));
  return items;
}

FileResult CandidateSettings::SelectSet(int index) {
  if (!ApplySet(index)) return {};
  if (settings_) return settings_->WriteInt("Kaime", "SetIndex", index);
  return {};
}

bool CandidateSettings::ApplySet(int index) {
  if (index < 0 || index >= static_cast<int>(KaimeSetList.size())) return false;
  CandidateSet set = ParseSetLine(KaimeSetList[static_cast<size_t>(index)]);
  current_.checks = set.checks;
  for (int i = 0; i < kOddsBounds; ++i)
    if (set.bounds[i] >= 0) SetBound(i, set.bounds[i]);
  selected_ = index;
  return true;
}

int CandidateSettings::FindSet(std::string_view name) const {
  const std::string_view want = Trim(name);
  for (size_t i = 0; i < KaimeSetList.size(); ++i)
    if (Trim(SetLineName(KaimeSetList[i])) == want) return static_cast<int>(i);
  return -1;
}

bool CandidateSettings::Check(int role, int criterion, int rank) const {
  if (role < 0 || role >= kRoles || criterion < 0 || criterion >= kCriteria || rank < 1 || rank > kRankItems)
    return false;
  return current_.checks[role][criterion][rank - 1];
}

void CandidateSettings::SetCheck(int role, int criterion, int rank, bool on) {
  if (role < 0 || role >= kRoles || criterion < 0 || criterion >= kCriteria || rank < 1 || rank > kRankItems) return;
  current_.checks[role][criterion][rank - 1] = on;
}

void CandidateSettings::SetBound(int field, int value) {
  if (field < 0 || field >= kOddsBounds) return;
  bounds_[field] = OddsBoundFields()[field].Clamp(value);
  current_.bounds[field] = bounds_[field];
}

void CandidateSettings::PressCheckList(int role, int criterion) {
  if (role < 0 || role >= kRoles || criterion < 0 || criterion >= kCriteria) return;
  pressedRole_ = role;
  pressedCriterion_ = criterion;
}

void CandidateSettings::SetAllOnLastPressed(bool on) {
  if (pressedRole_ < 0) return;
  current_.checks[pressedRole_][pressedCriterion_].fill(on);
}

FileResult CandidateSettings::Save() {
  if (path_.empty()) return FileResult::Fail("the candidate-set file has no folder (the dialog was not opened)");
  std::string bytes;
  for (const std::string& line : KaimeSetList) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteFileAtomic(path_, bytes);
}

bool CandidateSettings::AddSet(UiPort& ui) {
  const std::string name = NameField(NameEdit);
  if (IsBlank(name)) {
    ui.Info(J("設定名を入力してください。"));
    return false;
  }
  CandidateSet set = current_;
  set.bounds = bounds_;
  set.name = name;
  const std::string line = FormatSetLine(set);

  std::vector<std::string> lines = KaimeSetList;
  bool replaced = false;
  for (std::string& existing : lines) {
    if (SetLineName(existing) != name) continue;
    if (!ui.AskYesNo(Bracketed(name) + J("はすでに存在しています。上書きしますか?"))) return false;
    existing = line;
    replaced = true;
  }
  if (!replaced) lines.push_back(line);

  std::vector<std::string> before = std::move(KaimeSetList);
  KaimeSetList = std::move(lines);
  if (FileResult r = Save(); !r) {
    KaimeSetList = std::move(before);
    ui.Info(J("設定を保存できませんでした。") + ToCp932(r.error));
    return false;
  }
  int index = 0;
  for (size_t i = 0; i < KaimeSetList.size(); ++i)
    if (SetLineName(KaimeSetList[i]) == name) {
      index = static_cast<int>(i);
      break;
    }
  selected_ = index;
  if (settings_) settings_->WriteInt("Kaime", "SetIndex", index);
  return true;
}

bool CandidateSettings::DeleteSet(UiPort& ui) {
  if (KaimeSetList.size() <= 1) {
    ui.Info(J("選択中の設定を削除できません。設定名は最低ひとつは残す必要があります。"));
    return false;
  }
  if (selected_ < 0 || selected_ >= static_cast<int>(KaimeSetList.size())) return false;
  const std::string name = SetLineName(KaimeSetList[static_cast<size_t>(selected_)]);
  if (!ui.AskYesNo(Bracketed(name) + J("を削除します。よろしいですか?"))) return false;
  std::vector<std::string> before = KaimeSetList;
  KaimeSetList.erase(KaimeSetList.begin() + selected_);
  if (FileResult r = Save(); !r) {
    KaimeSetList = std::move(before);
    ui.Info(J("設定を保存できませんでした。") + ToCp932(r.error));
    return false;
  }
  selected_ = 0;
  if (settings_) settings_->WriteInt("Kaime", "SetIndex", 0);
  return true;
}

CandidateSettings::Position CandidateSettings::ReadPosition(const Settings& settings) {
  return {settings.GetInt("UserKaimeForm", "top"), settings.GetInt("UserKaimeForm", "left")};
}

void CandidateSettings::WritePosition(Settings& settings, Position p) {
  settings.WriteInt("UserKaimeForm", "top", p.top);
  settings.WriteInt("UserKaimeForm", "left", p.left);
}

}  // namespace kv
