// The day loader over day files as found on disk (written by anything): the input holds the race
// file, the entry file (stored under the name of every venue the race records name), the payout
// file, the win odds file and one past-run file, as parts. The load either succeeds or refuses
// with a message; the bets of its races are evaluated as the bet window does.
#include "FuzzSupport.h"
#include "bets/BetTypes.h"
#include "bets/StakeAllocation.h"
#include "compare/PastRunFile.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "verify/PayoutImport.h"
#include "workbench/DayLoader.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RaceDayModel* day = new RaceDayModel();  // 60 MB: one for the whole run
  static const std::string kDay = J("2024年04月20日");
  const std::vector<std::string_view> parts =
      fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size), 5);
  const fs::path prog = fuzz::FreshProgramFolder();
  const std::string raceFile = kDay + ".jvRA";
  fuzz::PutFile(DataFilePath(prog, raceFile), parts[0]);
  for (size_t at = 0; at + kRecLenRA <= parts[0].size(); at += kRecLenRA) {
    const std::string venue(Fld(parts[0].substr(at, kRecLenRA), kHdr_Venue));
    fuzz::PutFile(DataFilePath(prog, EntryFileName(raceFile, venue)), parts[1]);
  }
  fuzz::PutFile(DataFilePath(prog, SiblingFileName(raceFile, "HR")), parts[2]);
  fuzz::PutFile(DataFilePath(prog, SiblingFileName(raceFile, "O1")), parts[3]);
  // One past-run file, for the horse ID of the first entry record.
  const std::string id(Fld(parts[1], kSE_HorseId));
  if (const fs::path kak = PastRunPath(prog, id); !kak.empty()) fuzz::PutFile(kak, parts[4]);

  test::SilentUi ui(false);  // answers No: the targets look at what the core does
  const DayLoadResult res = LoadRaceDay(*day, prog, kDay, DayLoadOptions{}, ui);
  if (!res.loaded) return 0;
  for (int slot : res.raceSlots) {
    FUZZ_CHECK(slot >= 0 && slot < kMaxRaces);
    for (BetType t : kAllBetTypes) IsPaidCombination(t, " 1- 2- 3", day->Payout(slot));
  }
  ImportPayouts(*day, prog, kDay, res.raceSlots.empty() ? -1 : res.raceSlots.front());
  return 0;
}
