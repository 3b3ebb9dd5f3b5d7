// CP932 and the other text encodings read at the edges: any bytes convert without a crash, the
// UTF-8 produced is valid, and a cut never splits a double-byte character.
#include "FuzzSupport.h"
#include "app/Settings.h"
#include "text/Cp932.h"

using namespace kv;

namespace {

bool ValidUtf8(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return LooksLikeUtf8(s);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = ToUtf8(bytes);
  FUZZ_CHECK(ValidUtf8(utf8));
  const std::string back = ToCp932(utf8);
  ToCp932(bytes);
  LooksLikeUtf8(bytes);
  for (size_t n : {size_t{0}, size_t{1}, size / 2, size}) {
    const std::string cut = CutBytes(bytes, n);
    FUZZ_CHECK(cut.size() <= n && bytes.substr(0, cut.size()) == cut);
  }
  UnquoteSettingText(bytes);
  return 0;
}
