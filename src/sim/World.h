#pragma once
// The simulated racing world: horses with a stable latent ability that meet again and again
// over the seasons, jockeys and trainers, the race programme of each venue-day, entries,
// results and the betting market. Deterministic for a seed.
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Calendar.h"
#include "Market.h"
#include "Rng.h"

namespace kv::sim {

enum Surface { kTurf = 0, kDirt = 1, kJumpCourse = 2 };

struct Person {
  std::string code;       // 5 digits
  std::string shortName;  // 8 bytes CP932, padded with "　"
  char apprentice = '0';  // jockeys: allowance code '1'..'4', '0' none
  int region = 0;         // 0 east, 1 west
};

struct Horse {
  std::string id;         // 10 digits, the first four the birth year
  std::string name;       // 36 bytes CP932: up to nine katakana padded with "　"
  int birthYear = 0;
  char sex = '1';         // '1' colt, '2' filly, '3' gelding
  double ability = 0;     // latent ability, about N(0, 1)
  double mud = 0;         // liking for a soft track
  double style = 0.5;     // 0 front runner .. 1 closer
  int surface = kTurf;    // preferred surface; jumpers run only over jumps
  bool jumper = false;
  int distance = 1600;    // preferred distance in metres
  int region = 0;
  int cls = 0;            // 0 maiden, 1..3 win classes, 4 open
  int debutSerial = 0;    // first day it may run
  int readySerial = 0;    // rested enough from this day on
  int lastRunSerial = -1;
  int runs = 0, wins = 0;
  int bodyWeight = 470;   // kg
  int trainer = 0, jockey = 0;
  bool blinker = false;
  bool retired = false;
  int Age(int year) const { return year - birthYear; }
};

struct Runner {
  int horse = 0;          // index into World::Horses()
  int number = 0;         // horse number 1..18
  int frame = 0;          // bracket 1..8
  int jockey = 0;
  char apprentice = '0';  // allowance applied ('0' none)
  int weight = 0;         // carried weight in 0.1 kg
  int age = 0;
  char sex = '1';
  int bodyWeight = 0;     // kg
  int bodyDiff = 0;       // kg since the last run
  bool debut = false;
  int scratch = 0;        // 0 runs, 1 cancelled before sales, 2 scratched after sales
  char abnormal = '0';    // JV-Data abnormality: 1 cancelled, 2 excluded, 4 did not finish
  double expected = 0;    // ability as the race conditions let it show
  double perf = 0;        // the day's performance (higher is better)
  int arrival = 0;        // order of crossing the line, 0 none
  int place = 0;          // final place, 0 none; equal for a dead heat
  bool deadHeat = false;
  int time = 0;           // race time in tenths of a second, 0 none
  int timeDiff = 0;       // tenths behind the winner (winner: minus the margin to the second)
  int last3 = 0, last4 = 0;  // tenths
  std::array<int, 4> corner{};
  int winOdds = 0;        // final win odds in tenths
  int popularity = 0;
  long prize = 0, addedPrize = 0;  // 100-yen units
  int style = 0;          // running style 1..4
};

// One paid combination of a payout record.
struct Payout {
  std::array<int, 3> numbers{};  // horse numbers (frames for bracket quinella)
  int64_t yen = 0;               // per 100 yen
  int popularity = 0;
};

struct Race {
  Date date;
  char weekdayCode = '1';
  std::string venue;         // "01".."10" (or a local/overseas code for kinds A and B)
  int meeting = 1, day = 1, number = 1;
  char dataKind = '7';       // 'A'/'B' for races outside the central tracks
  int postTime = 0;          // minutes after midnight, as run
  int postTimeCard = 0;      // as first announced
  int changeAnnounced = -1;  // minutes after midnight of a start-time change, -1 none
  int surface = kTurf;
  int track = 17;
  int distance = 1600;
  int kind = 13;             // race kind code 11..19
  std::array<int, 5> cond{}; // condition codes: 2yo, 3yo, 4yo, 5yo+, youngest (0 = none)
  int cls = 0;               // 0 maiden/newcomer .. 4 open
  char grade = ' ';
  std::string symbol = "000";
  char weightRule = '4';
  char weather = '1', turfGoing = '1', dirtGoing = '1';
  bool special = false;
  std::string name;          // CP932: full name (empty for ordinary races)
  int specialNo = 0, runningNo = 0;
  std::array<long, 7> prize{};   // 100-yen units, places 1..7
  std::array<long, 5> added{};
  std::vector<Runner> runners;   // index = horse number - 1
  MarketField field;
  double poolScale = 1.0;
  uint64_t marketSeed = 0;
  Market finalMarket;
  std::array<std::vector<Payout>, kBetTypes> payouts;
  std::vector<int> laps;     // 200 m lap times of the winner, tenths

  std::string Key() const;   // the 16-byte race key
  int Entered() const { return static_cast<int>(runners.size()); }
  int Starters() const;
  int Finishers() const;
};

class World {
 public:
  World(uint64_t seed, const Date& start);

  // Simulates one race day: programme, entries, results, final market and payouts; the horses
  // age, rest, move up in class and retire as they run.
  std::vector<Race> RunDay(const RaceDay& day);

  // A race outside the central tracks (kind 'A' local, 'B' overseas) in which some of the
  // world's horses run; it does not touch the horses' careers.
  Race RunOutsideRace(const Date& date, char kind);

  const std::vector<Horse>& Horses() const { return horses_; }
  const Person& Jockey(int i) const { return jockeys_[static_cast<size_t>(i)]; }
  const Person& Trainer(int i) const { return trainers_[static_cast<size_t>(i)]; }

 private:
  int NewHorse(int birthYear);
  std::string NewHorseName();
  Person NewPerson(int index, int region, bool jockey);
  void StartYear(int year);
  // forceClass >= 0 plans an ordinary flat race of that class for older horses instead of the
  // race number's usual race.
  void PlanRace(Race& race, const VenueDay& vd, int raceNo, int serial, Rng& rng, int forceClass);
  void Enter(Race& race, int serial, Rng& rng, std::vector<uint8_t>& busy);
  void Run(Race& race, Rng& rng);
  void Settle(Race& race, int serial, Rng& rng);
  void Price(Race& race, Rng& rng);
  void BuildBuckets(int serial, int month);

  Rng rng_;
  // Active horses by course (turf, dirt, jumps) and class, rebuilt every race day.
  std::vector<int> buckets_[3][5];
  int year_ = 0;
  std::vector<Horse> horses_;
  std::vector<Person> jockeys_, trainers_;
  std::set<std::string> names_;
  std::array<int, 10000> serialByYear_{};
};

// Fills race.payouts from the places of the runners and the final market: every combination
// a finishing order allows (both orders of a dead heat), each paid from its pool.
void PayOut(Race& race);

}  // namespace kv::sim
