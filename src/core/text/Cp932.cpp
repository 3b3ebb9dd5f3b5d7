#include "text/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace kv {
namespace {

// One converter per direction and thread; iconv_open is far too slow to call per text.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv_open ") + from + "->" + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in; an invalid or unconvertible input sequence is skipped (width bytes) and
  // replaced by `replacement`.
  std::string Run(std::string_view in, std::string_view replacement, bool fromCp932) {
    std::string out;
    out.reserve(in.size() * 2 + 4);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip one character of the input.
        size_t skip = 1;
        if (fromCp932) {
          if (IsLeadByte(static_cast<unsigned char>(*src)) && srcLeft >= 2) skip = 2;
        } else {
          unsigned char c = static_cast<unsigned char>(*src);
          skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
          if (skip > srcLeft) skip = srcLeft;
        }
        src += skip;
        srcLeft -= skip;
        out.append(replacement);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// ASCII reads the same in both encodings: no conversion needed.
bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter conv("CP932", "UTF-8");
  return conv.Run(utf8, "?", false);
}

std::string ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  thread_local Converter conv("UTF-8", "CP932");
  return conv.Run(cp932, "\xEF\xBF\xBD", true);
}

bool LooksLikeUtf8(std::string_view bytes) {
  bool nonAscii = false;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) { ++i; continue; }
    nonAscii = true;
    size_t n;
    unsigned min;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) { n = 1; min = 0x80; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { n = 2; min = 0x800; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 3; min = 0x10000; cp = c & 0x07; }
    else return false;
    if (i + n >= bytes.size()) return false;  // cut short at the end
    for (size_t k = 1; k <= n; ++k) {
      unsigned char t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return nonAscii;
}

std::string CutBytes(std::string_view s, size_t n) {
  if (s.size() <= n) return std::string(s);
  size_t i = 0;
  while (i < n) {
    size_t w = IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + w > n) break;
    i += w;
  }
  return std::string(s.substr(0, i));
}

}  // namespace kv
