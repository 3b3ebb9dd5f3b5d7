#pragma once
// printf-style formatting into std::string (byte-wise, so widths count CP932 bytes).
#include <string>

namespace kv {

std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// A whole number with a comma between groups of three digits: 13200 gives "13,200".
std::string GroupThousands(long long n);

}  // namespace kv
