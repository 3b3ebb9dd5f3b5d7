#include "app/Settings.h"

#include <algorithm>
#include <array>
#include <climits>

#include "text/Cp932.h"

namespace kv {
namespace {

using T = SettingType;
using B = DefaultBase;

const std::array kDefs = {
    SettingDef{"locate", "top", T::Int, "10", B::Literal, "main window position", 0, 0},
    SettingDef{"locate", "left", T::Int, "10", B::Literal, "main window position", 0, 0},
    SettingDef{"locate", "width", T::Int, "1000", B::Literal, "main window size", 0, 0},
    SettingDef{"locate", "height", T::Int, "900", B::Literal, "main window size", 0, 0},
    SettingDef{"ReadKako", "IgnoDate", T::Bool, "0", B::Literal,
               "use every past run regardless of the data window", 0, 0},
    SettingDef{"AllRace", "ExecComp", T::Bool, "1", B::Literal,
               "run the all-race comparison after each day load", 0, 0},
    SettingDef{"datalist", "close", T::Bool, "0", B::Literal, "hide the data list after loading (stored only)", 0, 0},
    SettingDef{"DataSpan", "period", T::Int, "1826", B::Literal, "data window in days for past runs", 365, 7300},
    SettingDef{"Time", "AutoOzGet", T::Int, "10", B::Literal,
               "minutes before post time at which automatic odds acquisition starts", 1, 59},
    SettingDef{"Time", "AutoOzGetSec", T::Int, "0", B::Literal, "further seconds before post time", 0, 59},
    SettingDef{"Time", "AutoTohyoInterval", T::Int, "5", B::Literal,
               "seconds from the automatic odds fetch to its second chance", 2, 60},
    SettingDef{"Time", "AutoRdataGet", T::Int, "10", B::Literal, "minutes between automatic result acquisitions", 5, 59},
    SettingDef{"Time", "AutoBataijuGet", T::Int, "37", B::Literal,
               "minutes before post time for body-weight acquisition (stored only)", 2, 59},
    SettingDef{"KaimeSet", "DefaultAmount", T::Int, "3000", B::Literal, "stake per race in yen", 0, 0},
    SettingDef{"KaimeSet", "HaibunSet", T::Int, "0", B::Literal, "index of the stake allocation mode", 0, 0},
    SettingDef{"KaimeSet", "CheckMulti", T::Bool, "1", B::Literal, "bet window option: multi", 0, 0},
    SettingDef{"KaimeSet", "CheckMulti12", T::Bool, "0", B::Literal, "bet window option: multi of 1st and 2nd", 0, 0},
    SettingDef{"KaimeSet", "CheckMulti23", T::Bool, "0", B::Literal, "bet window option: multi of 2nd and 3rd", 0, 0},
    SettingDef{"KaimeSet", "CheckMulti13", T::Bool, "0", B::Literal, "bet window option: multi of 1st and 3rd", 0, 0},
    SettingDef{"KaimeSet", "Bakenshu", T::Int, "0", B::Literal, "index of the bet window's active bet-type tab", 0, 0},
    SettingDef{"OddsSpan", "ceil", T::Text, "10.0", B::Literal, "odds ceiling for the reverse ranks (decimal)", 0, 0},
    SettingDef{"Kaime", "SetIndex", T::Int, "0", B::Literal, "selected candidate-horse setting", 0, 0},
    SettingDef{"UserKaimeForm", "top", T::Int, "100", B::Literal, "candidate settings dialog position", 0, 0},
    SettingDef{"UserKaimeForm", "left", T::Int, "500", B::Literal, "candidate settings dialog position", 0, 0},
    SettingDef{"Kaimelocate", "top", T::Int, "10", B::Literal, "bet window geometry", 0, 0},
    SettingDef{"Kaimelocate", "left", T::Int, "10", B::Literal, "bet window geometry", 0, 0},
    SettingDef{"Kaimelocate", "width", T::Int, "630", B::Literal, "bet window geometry", 0, 0},
    SettingDef{"Kaimelocate", "height", T::Int, "450", B::Literal, "bet window geometry", 0, 0},
    SettingDef{"Printlocate", "top", T::Int, "10", B::Literal, "print preview window geometry", 0, 0},
    SettingDef{"Printlocate", "left", T::Int, "10", B::Literal, "print preview window geometry", 0, 0},
    SettingDef{"Printlocate", "width", T::Int, "630", B::Literal, "print preview window geometry", 0, 0},
    SettingDef{"Printlocate", "height", T::Int, "450", B::Literal, "print preview window geometry", 0, 0},
    SettingDef{"PrintZoom", "ratio", T::Int, "1", B::Literal, "print preview zoom choice", 0, 0},
    SettingDef{"JvDataGet", "LastTime", T::Text, "", B::Literal,
               "time of the last JV data import, yyyy/mm/dd hh:nn:ss (absent: the import starts in set-up mode)", 0, 0},
    SettingDef{"JvDataGet", "KakuteiOzGet", T::Bool, "1", B::Literal,
               "import final odds with the accumulated data", 0, 0},
    SettingDef{"Dir", "yoso", T::Text, "ylzh", B::ProgDir, "folder of the predicted-payout data (stored only)", 0, 0},
    SettingDef{"Dir", "jikeiretu", T::Text, "", B::ProgDir, "folder of the time-series odds data", 0, 0},
    SettingDef{"Dir", "kaime", T::Text, "", B::ProgDir, "folder for vote files (stored only)", 0, 0},
    SettingDef{"Dir", "TavoroTohyo2", T::Text, "", B::Literal, "folder of the voting plug-in, version 2", 0, 0},
    SettingDef{"Dir", "TavoroTohyo", T::Text, "", B::Literal, "folder of the earlier voting plug-in (stored only)", 0, 0},
    SettingDef{"Dir", "mycompi", T::Text, "", B::Literal, "folder of the index-box program (stored only)", 0, 0},
};

// ASCII case folding that leaves the second byte of a double-byte character alone.
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (IsLeadByte(x)) {
      if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Byte offsets of the characters of a CP932 text.
std::vector<size_t> CharStarts(std::string_view s) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < s.size();) {
    starts.push_back(i);
    i += (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
  }
  return starts;
}

// A whole decimal integer (blanks around it allowed); nullopt for anything else.
std::optional<int> StrictInt(std::string_view s) {
  s = TrimBlanks(s);
  if (s.empty()) return std::nullopt;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return std::nullopt;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (neg) v = -v;
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return static_cast<int>(v);
}

// "[name]" with the ']' found character-wise (it can be the second byte of a double-byte character).
size_t HeaderClose(std::string_view t) {
  if (t.empty() || t.front() != '[') return std::string_view::npos;
  std::string_view inner = t.substr(1);
  for (size_t i : CharStarts(inner))
    if (inner[i] == ']') return i + 1;
  return std::string_view::npos;
}
bool IsSectionHeader(std::string_view t) { return HeaderClose(t) != std::string_view::npos; }
std::string SectionName(std::string_view t) { return std::string(TrimBlanks(t.substr(1, HeaderClose(t) - 1))); }

const char kHalfOpen = '\xA2';   // ｢ in CP932
const char kHalfClose = '\xA3';  // ｣ in CP932

}  // namespace

std::span<const SettingDef> SettingDefs() { return kDefs; }

const SettingDef* FindSettingDef(std::string_view section, std::string_view key) {
  for (const SettingDef& d : kDefs)
    if (EqualNoCase(d.section, section) && EqualNoCase(d.key, key)) return &d;
  return nullptr;
}

std::string UnquoteSettingText(std::string_view s) {
  if (s == "\"\"" || s == std::string_view("\xA2\xA3", 2)) return {};
  std::vector<size_t> starts = CharStarts(s);
  if (starts.size() > 2) {
    // Both marks are single bytes; the last character must be one byte long, else the final
    // byte is the second half of a double-byte character that merely looks like a mark.
    bool lastSingle = starts.back() == s.size() - 1;
    char first = s.front(), last = s.back();
    if (lastSingle && ((first == '"' && last == '"') || (first == kHalfOpen && last == kHalfClose)))
      return std::string(s.substr(1, s.size() - 2));
  }
  return std::string(s);
}

Settings::Settings(const fs::path& progDir)
    : progDir_(progDir), path_(ResolveNoCase(progDir, kSettingsFileName)) {}

FileResult Settings::Load() {
  sections_.clear();
  utf8_ = bom_ = undecodable_ = false;
  encoding_ = Encoding::Cp932;
  sections_.push_back(Section{});  // lines before the first header
  std::error_code ec;
  if (!fs::exists(path_, ec)) return {};
  std::string bytes;
  FileResult r = ReadFile(path_, bytes);
  if (!r) return r;
  if (!Parse(bytes)) return Undecodable();
  return {};
}

FileResult Settings::Undecodable() const {
  return FileResult::Fail("cannot decode " + path_.string() +
                          ": not UTF-16, UTF-8 or CP932 text; its settings are not used and the file is left as it is");
}

bool Settings::Parse(std::string_view bytes) {
  sections_.clear();
  sections_.push_back(Section{});  // lines before the first header
  utf8_ = bom_ = undecodable_ = false;
  encoding_ = Encoding::Cp932;
  std::string decoded;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    const bool big = bytes[0] == '\xFE';
    encoding_ = big ? Encoding::Utf16BE : Encoding::Utf16LE;
    bom_ = utf8_ = true;
    if (!Utf16ToUtf8(bytes.substr(2), big, decoded)) undecodable_ = true;
    bytes = decoded;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    encoding_ = Encoding::Utf8;
    bom_ = utf8_ = true;
    bytes.remove_prefix(3);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii && !LooksLikeUtf8(bytes)) undecodable_ = true;
  } else if (LooksLikeUtf8(bytes)) {
    encoding_ = Encoding::Utf8;
    utf8_ = true;
  }
  if (undecodable_) return false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t nl = bytes.find('\n', pos);
    std::string_view raw = bytes.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? bytes.size() : nl + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string text = utf8_ ? ToCp932(raw) : std::string(raw);
    std::string_view t = TrimBlanks(text);
    if (IsSectionHeader(t)) {
      Section s;
      s.name = SectionName(t);
      s.rawHeader = std::string(raw);
      sections_.push_back(std::move(s));
      continue;
    }
    Line line;
    line.raw = std::string(raw);
    size_t eq = t.find('=');  // '=' is never part of a double-byte character
    if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos &&
        !TrimBlanks(t.substr(0, eq)).empty()) {
      line.entry = true;
      line.key = std::string(TrimBlanks(t.substr(0, eq)));
      line.value = std::string(TrimBlanks(t.substr(eq + 1)));
    }
    sections_.back().lines.push_back(std::move(line));
  }
  return true;
}

const std::string* Settings::Find(std::string_view section, std::string_view key) const {
  for (size_t s = 1; s < sections_.size(); ++s) {
    if (!EqualNoCase(sections_[s].name, section)) continue;
    for (const Line& l : sections_[s].lines)
      if (l.entry && EqualNoCase(l.key, key)) return &l.value;
  }
  return nullptr;
}

bool Settings::Has(std::string_view section, std::string_view key) const { return Find(section, key) != nullptr; }

bool Settings::ReadBool(std::string_view section, std::string_view key, bool def) const {
  const std::string* v = Find(section, key);
  if (!v) return def;
  if (std::optional<int> n = StrictInt(*v)) return *n != 0;
  if (EqualNoCase(*v, "true")) return true;
  if (EqualNoCase(*v, "false")) return false;
  return def;
}

int Settings::ReadInt(std::string_view section, std::string_view key, int def) const {
  const std::string* v = Find(section, key);
  if (!v) return def;
  return StrictInt(*v).value_or(def);
}

std::string Settings::ReadText(std::string_view section, std::string_view key, std::string_view def) const {
  const std::string* v = Find(section, key);
  if (!v) return std::string(def);
  return UnquoteSettingText(*v);
}

std::string Settings::DefaultText(const SettingDef& def) const {
  if (def.base == DefaultBase::ProgDir) {
    fs::path p = def.value.empty() ? progDir_ : progDir_ / PathFromUtf8(def.value);
    return PathToCp932(p);
  }
  return J(def.value);
}

bool Settings::GetBool(std::string_view section, std::string_view key) const {
  const SettingDef* d = FindSettingDef(section, key);
  return ReadBool(section, key, d ? StrictInt(d->value).value_or(0) != 0 : false);
}

int Settings::GetInt(std::string_view section, std::string_view key) const {
  const SettingDef* d = FindSettingDef(section, key);
  int v = ReadInt(section, key, d ? StrictInt(d->value).value_or(0) : 0);
  if (d && d->min < d->max) v = std::clamp(v, d->min, d->max);
  return v;
}

std::string Settings::GetText(std::string_view section, std::string_view key) const {
  const SettingDef* d = FindSettingDef(section, key);
  return ReadText(section, key, d ? DefaultText(*d) : std::string());
}

FileResult Settings::WriteBool(std::string_view section, std::string_view key, bool value) {
  return Write(section, key, value ? "1" : "0");
}

FileResult Settings::WriteInt(std::string_view section, std::string_view key, int value) {
  return Write(section, key, std::to_string(value));
}

FileResult Settings::WriteText(std::string_view section, std::string_view key, std::string_view cp932) {
  // A line break inside a value would start a new line of the file and could plant other keys.
  std::string v(cp932);
  std::replace(v.begin(), v.end(), '\r', ' ');
  std::replace(v.begin(), v.end(), '\n', ' ');
  return Write(section, key, std::move(v));
}

FileResult Settings::Write(std::string_view section, std::string_view key, std::string value) {
  // Take over what another program sharing the file has written since it was read.
  FileResult reread;
  std::error_code ec;
  if (fs::exists(path_, ec)) {
    std::string bytes;
    reread = ReadFile(path_, bytes);
    if (reread && !Parse(bytes)) reread = Undecodable();
  }

  if (sections_.empty()) sections_.push_back(Section{});
  bool changed = true;
  Section* sec = nullptr;
  for (size_t s = 1; s < sections_.size() && !sec; ++s)
    if (EqualNoCase(sections_[s].name, section)) sec = &sections_[s];
  Line* found = nullptr;
  if (sec) {
    for (Line& l : sec->lines)
      if (l.entry && EqualNoCase(l.key, key)) { found = &l; break; }
  } else {
    Section s;
    s.name = std::string(section);
    s.changed = true;
    sections_.push_back(std::move(s));
    sec = &sections_.back();
  }
  if (found) {
    changed = found->value != value;
    found->value = std::move(value);
    found->changed = found->changed || changed;
  } else {
    // New keys go after the last key of the section, ahead of trailing blank or comment lines.
    auto lastEntry = std::find_if(sec->lines.rbegin(), sec->lines.rend(), [](const Line& l) { return l.entry; });
    Line line;
    line.entry = line.changed = true;
    line.key = std::string(key);
    line.value = std::move(value);
    sec->lines.insert(lastEntry.base(), std::move(line));
  }

  if (!reread) return reread;  // never overwrite a file that could not be read
  if (!changed) return {};
  return Save();
}

std::string Settings::Render(std::string_view cp932) const { return utf8_ ? ToUtf8(cp932) : std::string(cp932); }

FileResult Settings::Save() const {
  if (undecodable_) return Undecodable();  // never overwrite the user's file
  std::string out;
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& sec = sections_[s];
    if (s > 0) {
      out += sec.changed || sec.rawHeader.empty() ? Render("[" + sec.name + "]") : sec.rawHeader;
      out += "\r\n";
    }
    for (const Line& l : sec.lines) {
      out += l.changed ? Render(l.key + "=" + l.value) : l.raw;
      out += "\r\n";
    }
  }
  switch (encoding_) {
    case Encoding::Utf16LE: out = "\xFF\xFE" + Utf8ToUtf16(out, false); break;
    case Encoding::Utf16BE: out = "\xFE\xFF" + Utf8ToUtf16(out, true); break;
    case Encoding::Utf8: if (bom_) out = "\xEF\xBB\xBF" + out; break;
    case Encoding::Cp932: break;
  }
  return WriteFileAtomic(path_, out);
}

WindowGeometry ReadWindowGeometry(const Settings& settings, std::string_view section) {
  return {settings.GetInt(section, "top"), settings.GetInt(section, "left"), settings.GetInt(section, "width"),
          settings.GetInt(section, "height")};
}

void WriteWindowGeometry(Settings& settings, std::string_view section, const WindowGeometry& g) {
  const WindowGeometry old = ReadWindowGeometry(settings, section);
  const bool stored = settings.Has(section, "top");
  if (!stored || old.top != g.top) settings.WriteInt(section, "top", g.top);
  if (!stored || old.left != g.left) settings.WriteInt(section, "left", g.left);
  if (!stored || old.width != g.width) settings.WriteInt(section, "width", g.width);
  if (!stored || old.height != g.height) settings.WriteInt(section, "height", g.height);
}

}  // namespace kv
