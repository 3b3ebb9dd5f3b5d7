#pragma once
// Payout import: brings the results that arrived after a day was loaded into the loaded day.
//
// It re-reads the day's race file (".jvRA") and the entry file of every venue (".jvSEr"), places
// each payout (HR) record of ".jvHR" on the race slot with the same race key, and derives every
// race's payout fields and runner result texts (RaceDayModel::ReadPayoutsAndResults, the same
// parsing the day loader uses).
//
// Every file is read and framing-checked before the model is touched: a damaged or unreadable
// file ends the import with a message naming it and leaves the model as it was. A missing race
// file keeps the race and entry records, a missing entry file the entries of its venue, a missing
// payout file the payout records.
//
//   PayoutImportResult res = ImportPayouts(day, progDir, dayName, day.SelectedRace);
//   if (!res.ok()) ui.Info(res.error);
//   else if (res.selectedRaceArrived) SelectRace(...);   // refresh the race on screen
#include <string>
#include <string_view>

#include "app/Files.h"
#include "model/RaceDayModel.h"

namespace kv {

struct PayoutImportResult {
  // The payout record of the selected race (same venue code and race number) was placed: its
  // view should be refreshed.
  bool selectedRaceArrived = false;
  // CP932 message naming the file that could not be read or is damaged; the model is unchanged.
  std::string error;
  bool ok() const { return error.empty(); }
};

// dayName: the 14-byte CP932 day name of the date box ("2011年04月30日" in CP932); the files are
// looked up in the program folder's day folder. selectedRace: the race slot selected in the race
// list, or -1 when no race is selected.
PayoutImportResult ImportPayouts(RaceDayModel& day, const fs::path& programDir, std::string_view dayName,
                                 int selectedRace);

}  // namespace kv
