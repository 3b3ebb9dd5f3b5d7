#include "text/Field.h"

#include "text/Cp932.h"

namespace kv {

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) if (c < '0' || c > '9') return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

std::string_view TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return s.substr(0, e);
}

std::string PadRight(std::string_view s, size_t width) {
  std::string r = CutBytes(s, width);
  r.append(width - r.size(), ' ');
  return r;
}

std::string PadLeft(std::string_view s, size_t width) {
  std::string r = CutBytes(s, width);
  return std::string(width - r.size(), ' ') + r;
}

void PutFld(std::string& rec, int pos, int len, std::string_view text) {
  if (pos < 1 || len <= 0) return;
  size_t need = static_cast<size_t>(pos - 1 + len);
  if (rec.size() < need) rec.resize(need, ' ');
  rec.replace(static_cast<size_t>(pos - 1), static_cast<size_t>(len), PadRight(text, static_cast<size_t>(len)));
}

}  // namespace kv
