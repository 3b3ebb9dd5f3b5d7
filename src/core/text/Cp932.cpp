#include "text/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <stdexcept>

namespace kv {
namespace {

// ASCII reads the same in both encodings: no conversion needed.
bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

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

#ifdef _WIN32

// The system's code page 932 tables, one character at a time, so that what cannot be converted
// is replaced exactly as the iconv branch replaces it: "?" for each UTF-8 character CP932 cannot
// hold (a broken UTF-8 sequence is skipped by the length its first byte announces), U+FFFD for
// each byte that is not CP932 (a lead byte takes its trail byte with it). Single bytes that
// Windows maps to private-use code points (0x80, 0xA0, 0xFD-0xFF) count as not CP932, as in
// iconv.

std::string FromCp932(std::string_view in) {
  std::string out;
  out.reserve(in.size() * 2);
  size_t i = 0;
  while (i < in.size()) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const int width = IsLeadByte(c) ? (i + 1 < in.size() ? 2 : 1) : 1;
    wchar_t w[2];
    const bool single = c >= 0xA1 && c <= 0xDF;
    const int n = (width == 2 || single)
                      ? ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in.data() + i, width, w, 2)
                      : 0;
    if (n == 1) {
      AppendUtf8(out, w[0]);
    } else {
      out += "\xEF\xBF\xBD";
    }
    i += static_cast<size_t>(width);
  }
  return out;
}

// Characters that iconv's CP932 takes as another character's code (one way only).
int IconvAlias(unsigned cp) {
  switch (cp) {
    case 0x00A2: return 0x8191;
    case 0x00A3: return 0x8192;
    case 0x00A5: return 0x5C;
    case 0x00AC: return 0x81CA;
    case 0x2014: return 0x815C;
    case 0x2016: return 0x8161;
    case 0x203E: return 0x7E;
    case 0x2212: return 0x817C;
    case 0x301C: return 0x8160;
    default: return -1;
  }
}

std::string FromUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    unsigned cp = n == 4 ? c & 0x07 : n == 3 ? c & 0x0F : c & 0x1F;
    bool valid = n > 1 && c >= 0xC2 && c <= 0xF4 && i + n <= in.size();
    for (size_t k = 1; valid && k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(in[i + k]);
      if ((t & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (valid) {
      const unsigned min = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
      valid = cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (n > in.size() - i) n = in.size() - i;
    i += n;
    if (!valid) {
      out += '?';
      continue;
    }
    if (const int alias = IconvAlias(cp); alias >= 0) {
      if (alias > 0xFF) out += static_cast<char>(alias >> 8);
      out += static_cast<char>(alias & 0xFF);
      continue;
    }
    wchar_t w[2];
    int wn = 1;
    if (cp >= 0x10000) {
      w[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
      w[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      wn = 2;
    } else {
      w[0] = static_cast<wchar_t>(cp);
    }
    char buf[4];
    BOOL usedDefault = FALSE;
    const int bn = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, wn, buf, sizeof buf, nullptr, &usedDefault);
    const unsigned char b0 = static_cast<unsigned char>(buf[0]);
    // A single byte outside ASCII and half-width katakana is Windows' private-use mapping.
    if (bn <= 0 || usedDefault || (bn == 1 && (b0 < 0xA1 || b0 > 0xDF))) {
      out += '?';
      continue;
    }
    out.append(buf, static_cast<size_t>(bn));
  }
  return out;
}

#else

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

std::string FromCp932(std::string_view in) {
  thread_local Converter conv("UTF-8", "CP932");
  return conv.Run(in, "\xEF\xBF\xBD", true);
}

std::string FromUtf8(std::string_view in) {
  thread_local Converter conv("CP932", "UTF-8");
  return conv.Run(in, "?", false);
}

#endif

}  // namespace

std::string ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return FromUtf8(utf8);
}

std::string ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  return FromCp932(cp932);
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
