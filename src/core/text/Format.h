#pragma once
// printf-style formatting into std::string (byte-wise, so widths count CP932 bytes).
#include <string>

namespace kv {

std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kv
