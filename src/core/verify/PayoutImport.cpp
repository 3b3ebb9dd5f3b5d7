#include "verify/PayoutImport.h"

#include <algorithm>
#include <map>
#include <vector>

#include "jvlink/DayFileStore.h"
#include "jvlink/RecordFile.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

// A race record read for a slot and where its runners are in the venue's entry file.
struct RaceRead {
  std::string_view ra;
  const RecordFile* entries = nullptr;  // null when the venue has no entry file
  int firstEntry = 0;                   // record number of horse 1: (race number - 1) * 18
  int runners = 0;                      // entries read: registered runners, 0..18
};

std::string VenueRace(std::string_view rec) {
  return std::string(Fld(rec, kHdr_Venue)) + std::string(Fld(rec, kHdr_RaceNum));
}

}  // namespace

PayoutImportResult ImportPayouts(RaceDayModel& day, const fs::path& programDir, std::string_view dayName,
                                 int selectedRace) {
  PayoutImportResult result;

  // The selected race, remembered by venue code and race number before its record is re-read.
  std::string selected;
  if (selectedRace >= 0 && selectedRace < kMaxRaces && !day.IsRaceSlotEmpty(selectedRace))
    selected = VenueRace(day.Race(selectedRace));

  // ---- read and check every file first, so a bad file changes nothing ----
  const std::string raceName = std::string(dayName) + ".jvRA";
  const RecordFile raceFile = RecordFile::Read(DataFilePath(programDir, raceName), kRecLenRA);
  if (!raceFile.ok() && !raceFile.missing()) {
    result.error = raceFile.error();
    return result;
  }

  std::vector<RaceRead> races;
  std::map<std::string, RecordFile> entryFiles;  // by venue code
  for (size_t n = 0; n < raceFile.size() && races.size() < static_cast<size_t>(kMaxRaces); ++n) {
    RaceRead rr;
    rr.ra = raceFile.Record(n);
    if (IsBlank(Fld(rr.ra, kHdr_Year))) continue;  // takes no slot: the next record fills it

    const std::string venue(Fld(rr.ra, kHdr_Venue));
    auto it = entryFiles.find(venue);
    if (it == entryFiles.end()) {
      const fs::path path = DataFilePath(programDir, EntryFileName(raceName, venue));
      it = entryFiles.emplace(venue, RecordFile::Read(path, kRecLenSE)).first;
      if (!it->second.ok() && !it->second.missing()) {
        result.error = it->second.error();
        return result;
      }
    }
    const int raceNo = FldInt(rr.ra, kHdr_RaceNum);
    if (it->second.ok() && raceNo >= 1) {
      rr.entries = &it->second;
      rr.firstEntry = (raceNo - 1) * kMaxRunners;
      rr.runners = std::clamp(FldInt(rr.ra, kRA_Entered), 0, kMaxRunners);
      const size_t needed = static_cast<size_t>(rr.firstEntry + rr.runners);
      if (rr.runners > 0 && needed > it->second.size()) {
        result.error = J("ファイルが壊れています：") + PathForMessage(it->second.path()) + J("（") +
                       Fmt("%zu", needed) + J("件目のレコードがありません）");
        return result;
      }
    }
    races.push_back(rr);
  }

  const RecordFile payoutFile =
      RecordFile::Read(DataFilePath(programDir, std::string(dayName) + ".jvHR"), kRecLenHR);
  if (!payoutFile.ok() && !payoutFile.missing()) {
    result.error = payoutFile.error();
    return result;
  }

  // ---- races and their runners ----
  if (raceFile.ok()) {
    for (size_t r = 0; r < races.size(); ++r) {
      const RaceRead& rr = races[r];
      const int slot = static_cast<int>(r);
      day.RaceRecords.Set(slot, rr.ra);
      if (!rr.entries) continue;
      for (int k = 0; k < rr.runners; ++k)
        day.EntryRecords.Set(RaceDayModel::EntryIndex(slot, k),
                             rr.entries->Record(static_cast<size_t>(rr.firstEntry + k)));
    }
    day.RaceCount = static_cast<int>(races.size());
  }

  // ---- payout records, placed by race key ----
  if (payoutFile.ok()) {
    day.PayoutRecords.ClearAll();
    for (size_t n = 0; n < payoutFile.size() && n < static_cast<size_t>(kMaxRaces); ++n) {
      const std::string_view hr = payoutFile.Record(n);
      const std::string_view key = RaceKey(hr);
      if (IsBlank(key)) continue;
      for (int r = 0; r < kMaxRaces; ++r) {
        if (day.IsRaceSlotEmpty(r) || RaceKey(day.Race(r)) != key) continue;
        day.PayoutRecords.Set(r, hr);
        if (!selected.empty() && VenueRace(hr) == selected) result.selectedRaceArrived = true;
        break;
      }
    }
  }

  // ---- payout fields and result texts ----
  for (int r = 0; r < kMaxRaces; ++r)
    if (!day.IsRaceSlotEmpty(r)) day.ReadPayoutsAndResults(r);
  return result;
}

}  // namespace kv
