// The import into the day-file store and the day loader after it: the input is a sequence of
// records (cut at CR LF) as JV-Link would hand them over. Whatever the store accepts must make a
// day the loader can read (or refuses with a message); nothing may crash.
#include "FuzzSupport.h"
#include "app/ProgramFolders.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "verify/PayoutImport.h"
#include "workbench/DayLoader.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RaceDayModel* day = new RaceDayModel();  // 60 MB: one for the whole run
  const fs::path prog = fuzz::FreshProgramFolder();
  std::string_view in(reinterpret_cast<const char*>(data), size);
  {
    DayFileStore store(prog);
    int n = 0;
    while (!in.empty() && n++ < 64) {
      const size_t end = in.find("\r\n");
      const std::string_view record = in.substr(0, end == std::string_view::npos ? in.size() : end + 2);
      in.remove_prefix(record.size());
      const StoreWriter writer = n % 5 == 4 ? StoreWriter::RealtimeResults : StoreWriter::Import;
      const StoreResult r = store.Store(writer, record, {20000101, true});
      FUZZ_CHECK(r.ok() || !r.message.empty());
    }
    store.Flush();
  }
  test::SilentUi ui(false);  // answers No: the targets look at what the core does
  int loaded = 0;
  for (const std::string& name : ListDays(prog / "DATA")) {
    if (loaded++ == 2) break;
    const DayLoadResult res = LoadRaceDay(*day, prog, name, DayLoadOptions{}, ui);
    if (!res.loaded) continue;
    for (int slot : res.raceSlots) FUZZ_CHECK(slot >= 0 && slot < kMaxRaces);
    ImportPayouts(*day, prog, name, res.raceSlots.empty() ? -1 : res.raceSlots.front());
  }
  return 0;
}
