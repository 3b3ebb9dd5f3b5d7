// The candidate-set file as found on disk: opened as the dialog opens it, every set selected, and
// each line read and written back: a set written reads back as the same set.
#include "FuzzSupport.h"
#include "app/Settings.h"
#include "bets/CandidateSets.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fs::path prog = fuzz::FreshProgramFolder();
  fuzz::PutFile(prog / kCandidateSetFileName, bytes);
  Settings settings(prog);
  CandidateSettings cs;
  cs.Open(prog, settings);
  const std::vector<std::string> items = cs.SelectorItems();
  for (size_t i = 0; i < items.size() && i < 8; ++i) cs.SelectSet(static_cast<int>(i));
  for (const std::string& line : cs.KaimeSetList) {
    const CandidateSet set = ParseSetLine(line);
    const std::string written = FormatSetLine(set);
    FUZZ_CHECK(written.size() == static_cast<size_t>(kSetLineLength));
    const CandidateSet back = ParseSetLine(written);
    FUZZ_CHECK(back.checks == set.checks);
  }
  return 0;
}
