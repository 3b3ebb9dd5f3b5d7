// The settings file as found on disk (any encoding, any bytes). Every setting reads; a value
// written reads back after the file is read again, or the write is refused and the file stays
// as it was.
#include "FuzzSupport.h"
#include "app/Files.h"
#include "app/Settings.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fs::path prog = fuzz::FreshProgramFolder();
  fuzz::PutFile(prog / kSettingsFileName, bytes);
  Settings s(prog);
  s.Load();
  for (const SettingDef& d : SettingDefs()) {
    s.GetBool(d.section, d.key);
    s.GetInt(d.section, d.key);
    s.GetText(d.section, d.key);
  }
  const int amount = 1234 + static_cast<int>(size);
  const FileResult w = s.WriteInt("KaimeSet", "DefaultAmount", amount);
  const FileResult t = s.WriteText("JvDataGet", "LastTime", "2024/04/27 08:00:00");
  std::string after;
  ReadFile(prog / kSettingsFileName, after);
  if (!w.ok && !t.ok) {
    FUZZ_CHECK(after == bytes);  // refused: the file stays as it was
    return 0;
  }
  Settings again(prog);
  FUZZ_CHECK(again.Load().ok);
  if (w.ok) FUZZ_CHECK(again.GetInt("KaimeSet", "DefaultAmount") == amount);
  if (t.ok) FUZZ_CHECK(again.GetText("JvDataGet", "LastTime") == "2024/04/27 08:00:00");
  return 0;
}
