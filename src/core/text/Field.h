#pragma once
// Fixed-width field reading: a field is the substring at a 1-based byte position and length.
#include <string>
#include <cstring>
#include <string_view>

namespace kv {

// The field at 1-based byte position pos with len bytes; clipped to the text (empty past its end).
inline std::string_view Fld(std::string_view rec, int pos, int len) {
  if (pos < 1 || len <= 0) return {};
  size_t start = static_cast<size_t>(pos - 1);
  if (start >= rec.size()) return {};
  return rec.substr(start, static_cast<size_t>(len));
}
inline std::string FldStr(std::string_view rec, int pos, int len) { return std::string(Fld(rec, pos, len)); }

// A decimal number: leading blanks skipped, an optional sign, digits up to the first non-digit.
// A blank (or digit-less) text reads 0. Inline: a run parses every field of every record it reads.
inline long long ParseLong(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    neg = s[i] == '-';
    ++i;
  }
  long long v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (v < 100000000000000000LL) v = v * 10 + (s[i] - '0');
    ++i;
  }
  return neg ? -v : v;
}
inline int ParseInt(std::string_view s) { return static_cast<int>(ParseLong(s)); }
inline int FldInt(std::string_view rec, int pos, int len) { return ParseInt(Fld(rec, pos, len)); }
inline long long FldLong(std::string_view rec, int pos, int len) { return ParseLong(Fld(rec, pos, len)); }

// True when the text is empty or only half-width blanks.
inline bool IsBlank(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}
// The same for a long text such as a whole record: every byte compared with the next in one
// library sweep instead of one by one.
inline bool IsBlankRecord(std::string_view s) {
  return s.empty() || (s[0] == ' ' && std::memcmp(s.data(), s.data() + 1, s.size() - 1) == 0);
}

// True when the text is not empty and only the digits 0-9.
bool IsDigits(std::string_view s);

// Half-width blanks removed at both ends / the right end.
std::string_view Trim(std::string_view s);
std::string_view TrimRight(std::string_view s);

// s padded with half-width blanks (or cut, never splitting a double-byte character) to exactly width bytes.
std::string PadRight(std::string_view s, size_t width);
std::string PadLeft(std::string_view s, size_t width);

// Writes text into rec at 1-based position pos over len bytes (padded/cut to len).
void PutFld(std::string& rec, int pos, int len, std::string_view text);

}  // namespace kv
