#pragma once
// Code page 932 (Shift-JIS) is the text of every record, file line and grid cell inside the core.
// Conversion to and from UTF-8 happens only at the edges: Qt, the terminal, file names and
// string literals in the source (which are UTF-8).
#include <string>
#include <string_view>

namespace kv {

// UTF-8 -> CP932. Characters CP932 cannot hold become "?".
std::string ToCp932(std::string_view utf8);
// CP932 -> UTF-8. Bytes that are not valid CP932 become U+FFFD.
std::string ToUtf8(std::string_view cp932);

// A UTF-8 literal of the source as CP932 bytes: J("馬番"). Cheap enough for messages and
// headings; hot loops hold the result in a static.
inline std::string J(std::string_view utf8) { return ToCp932(utf8); }

// True when bytes are valid UTF-8 holding at least one non-ASCII character: tells a UTF-8 text
// file from a CP932 one (CP932 Japanese is almost never valid UTF-8).
bool LooksLikeUtf8(std::string_view bytes);

// UTF-16 (little- or big-endian, without its byte-order mark) -> UTF-8. False when the bytes are
// not UTF-16: an odd count or a lone surrogate.
bool Utf16ToUtf8(std::string_view utf16, bool bigEndian, std::string& utf8);
// UTF-8 -> UTF-16 without a byte-order mark. Bytes that are not UTF-8 become U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

// True for the first byte of a CP932 double-byte character.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The first n bytes of s without splitting a double-byte character (a cut lead byte is dropped).
std::string CutBytes(std::string_view s, size_t n);

}  // namespace kv
