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

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::string& out, unsigned unit, bool bigEndian) {
  const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
  out += bigEndian ? hi : lo;
  out += bigEndian ? lo : hi;
}

}  // namespace

bool Utf16ToUtf8(std::string_view utf16, bool bigEndian, std::string& utf8) {
  utf8.clear();
  if (utf16.size() % 2 != 0) return false;
  auto unit = [&](size_t i) {
    const unsigned a = static_cast<unsigned char>(utf16[i]), b = static_cast<unsigned char>(utf16[i + 1]);
    return bigEndian ? (a << 8) | b : (b << 8) | a;
  };
  utf8.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); i += 2) {
    unsigned cp = unit(i);
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 3 >= utf16.size()) return false;
      const unsigned low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(utf8, cp);
  }
  return true;
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t n = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    unsigned cp = n == 0 ? c : n == 1 ? c & 0x1F : n == 2 ? c & 0x0F : c & 0x07;
    bool ok = c < 0x80 || (n > 0 && i + n < utf8.size());
    for (size_t k = 1; ok && k <= n; ++k) {
      const unsigned char t = static_cast<unsigned char>(utf8[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      AppendUtf16(out, 0xFFFD, bigEndian);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      AppendUtf16(out, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
      AppendUtf16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
    } else {
      AppendUtf16(out, cp, bigEndian);
    }
    i += n + 1;
  }
  return out;
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
