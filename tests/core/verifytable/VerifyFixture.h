#pragma once
// A small race day built in memory for the verification table and the CSV exports: race records
// with chosen runners and win payout, entry records with final place, odds and popularity, and the
// comparison figures set by the test.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "model/RaceDayModel.h"
#include "text/Format.h"

namespace kv::test {

class DayFixture {
 public:
  DayFixture() : day_(std::make_unique<RaceDayModel>()) { day_->Reset(); }

  RaceDayModel& day() { return *day_; }
  TRaceAnalysis& analysis(int r) { return day_->RaceAnalysis(r); }

  // Race slot r: race number raceNo of 2011-04-30 at Tokyo (venue 05, meeting 2, day 3) with
  // `runners` registered runners; a payout record with the win payout when winPay > 0. Every
  // runner gets an entry record with its horse number and no result yet.
  std::string AddRace(int r, int raceNo, int runners, int winPay) {
    const std::string key = Fmt("2011043005%s%02d", "0203", raceNo);
    day_->RaceRecords.Set(r, MakeRecord("RA", {{kHdr_RaceKey, key},
                                               {kRA_Entered, Fmt("%02d", runners)},
                                               {kRA_Distance, "1600"},
                                               {kRA_Track, "11"}}));
    for (int k = 0; k < runners && k < kMaxRunners; ++k) SetEntry(r, k + 1, 0, 0, 0);
    if (winPay > 0)
      day_->PayoutRecords.Set(r, MakeRecord("HR", {{kHdr_RaceKey, key},
                                                   {kHR_Win.combo.At(0), "01"},
                                                   {kHR_Win.pay.At(0), Fmt("%09d", winPay)}}));
    day_->RaceCount = std::max(day_->RaceCount, r + 1);
    return key;
  }

  // Entry record of horse `horse` in race slot r with its final place, win odds in tenths and
  // popularity (0 writes "00").
  void SetEntry(int r, int horse, int finish, int oddsTenths, int popularity) {
    const std::string key(RaceKey(day_->Race(r)));
    day_->EntryRecords.Set(RaceDayModel::EntryIndex(r, horse - 1),
                           MakeRecord("SE", {{kHdr_RaceKey, key},
                                             {kSE_Frame, "1"},
                                             {kSE_HorseNum, Fmt("%02d", horse)},
                                             {kSE_Finish, Fmt("%02d", finish)},
                                             {kSE_WinOdds, Fmt("%04d", oddsTenths)},
                                             {kSE_Popularity, Fmt("%02d", popularity)}}));
  }

  // Payout fields and result texts of every race, as the payout import derives them.
  void DerivePayouts() {
    for (int r = 0; r < kMaxRaces; ++r) day_->ReadPayoutsAndResults(r);
  }

 private:
  std::unique_ptr<RaceDayModel> day_;
};

}  // namespace kv::test
