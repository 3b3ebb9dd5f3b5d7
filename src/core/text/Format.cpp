#include "text/Format.h"

#include <cstdarg>
#include <cstdio>

namespace kv {

std::string Fmt(const char* fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (n < 0) {
    va_end(ap2);
    return {};
  }
  if (static_cast<size_t>(n) < sizeof buf) {
    va_end(ap2);
    return std::string(buf, static_cast<size_t>(n));
  }
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), fmt, ap2);
  va_end(ap2);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string GroupThousands(long long n) {
  const unsigned long long magnitude =
      n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  const std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

}  // namespace kv
