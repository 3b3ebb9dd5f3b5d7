#pragma once
// JV-Data records of the simulated world, each at its exact JV-Data length and ending in CR LF.
//
// Data kinds: RA/SE 1 runner names (horse numbers not yet drawn), 2 race card, 6 flash
// results, 7 results, A/B races outside the central tracks; HR 1 flash, 2 results; odds 1
// interim, 2 final of day-before sales, 3 final, 5 confirmed, 9 cancelled, 0 delete.
#include <string>

#include "Calendar.h"
#include "Market.h"
#include "World.h"

namespace kv::sim {

// "yyyymmdd" creation date and the minutes after midnight of an announcement.
struct Stamp {
  Date date;
  int minutes = 0;
  std::string Mmddhhmm() const;
};

std::string MakeRA(const World& world, const Race& race, char kind, const Date& made);
std::string MakeSE(const World& world, const Race& race, const Runner& runner, char kind, const Date& made);
std::string MakeHR(const Race& race, char kind, const Date& made);
// Odds record O1..O6 (type 1..6) from a market whose pools are ranked (RankPool). announce is
// null for final odds ("00000000").
std::string MakeOdds(int type, const Race& race, const Market& market, char kind, const Date& made,
                     const Stamp* announce);
// Start-time change of a race announced at `announce`.
std::string MakeTC(const Race& race, const Date& made, const Stamp& announce);
// Weather and going of a venue-day (42 bytes) and a scratch notice (78 bytes): record types the
// workbench does not store.
std::string MakeWE(const Race& race, const Date& made, const Stamp& announce);
std::string MakeAV(const World& world, const Race& race, const Runner& runner, const Date& made, const Stamp& announce);

}  // namespace kv::sim
