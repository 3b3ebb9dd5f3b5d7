// The simulated world and its records: calendar volume, exact record lengths, fields read back
// through the shared positions, and a market whose odds, popularity and payouts agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "Calendar.h"
#include "Records.h"
#include "SimTestSupport.h"
#include "World.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "vocab/Combination.h"

using namespace kv;
using namespace kv::sim;

namespace {

struct SampleWorld {
  std::unique_ptr<World> world;
  std::vector<Race> races;
  std::vector<Race> later;
};

// Four June 2024 race days at three venues (144 races), and then the world runs on for seven
// more weekends (`later`, kept without their markets).
const SampleWorld& Races() {
  static SampleWorld s = [] {
    SampleWorld w;
    w.world = std::make_unique<World>(5, Date{2024, 6, 1});
    Calendar cal;
    for (Date d : {Date{2024, 6, 1}, Date{2024, 6, 2}, Date{2024, 6, 8}, Date{2024, 6, 9}}) {
      auto day = w.world->RunDay(cal.Next(d));
      for (auto& r : day) w.races.push_back(std::move(r));
    }
    for (int s = Date{2024, 6, 15}.Serial(); s <= Date{2024, 7, 28}.Serial(); ++s) {
      const Date d = Date::FromSerial(s);
      if (!IsRacingDate(d)) continue;
      for (auto& r : w.world->RunDay(cal.Next(d))) {
        r.finalMarket = Market{};
        w.later.push_back(std::move(r));
      }
    }
    return w;
  }();
  return s;
}

Market Ranked(const Race& r) {
  Market m = r.finalMarket;
  for (Pool& p : m.pools) RankPool(p);
  return m;
}

bool HasDeadHeat(const Race& r) {
  return std::any_of(r.runners.begin(), r.runners.end(), [](const Runner& x) { return x.deadHeat; });
}

int Hhmm(int minutes) { return minutes / 60 * 100 + minutes % 60; }

void ExpectFramed(const std::string& rec, int length) {
  ASSERT_EQ(static_cast<int>(rec.size()), length) << rec.substr(0, 27);
  EXPECT_EQ(rec.substr(rec.size() - 2), "\r\n");
  EXPECT_EQ(rec.find('\r'), rec.size() - 2) << "a CR inside " << rec.substr(0, 27);
}

}  // namespace

TEST(Calendar, AYearHasTheVolumeOfTheRealCalendar) {
  Calendar cal;
  int races = 0, days = 0;
  std::map<std::string, int> lastDay;
  for (int s = Date{2023, 1, 1}.Serial(); s <= Date{2023, 12, 31}.Serial(); ++s) {
    const Date d = Date::FromSerial(s);
    if (!IsRacingDate(d)) continue;
    const RaceDay rd = cal.Next(d);
    ++days;
    ASSERT_GE(rd.venues.size(), 2u);
    ASSERT_LE(rd.venues.size(), 3u);
    races += 12 * static_cast<int>(rd.venues.size());
    const int wd = d.Weekday();
    EXPECT_EQ(rd.weekdayCode, wd == 6 ? '1' : wd == 0 ? '2' : '3');
    for (const VenueDay& v : rd.venues) {
      const int code = std::stoi(v.venue);
      EXPECT_TRUE(code >= 1 && code <= 10);
      // Days of a meeting count up from 1 without gaps.
      int& last = lastDay[v.venue + std::to_string(v.meeting)];
      EXPECT_EQ(v.day, last + 1) << d.Text8() << " " << v.venue;
      last = v.day;
    }
  }
  EXPECT_GT(days, 100);
  EXPECT_GT(races, 3300);
  EXPECT_LT(races, 3600);
}

TEST(Calendar, DatesAndHolidays) {
  Date d;
  ASSERT_TRUE(ParseDate("2024-02-29", d));
  EXPECT_EQ(d.Plus(1), (Date{2024, 3, 1}));
  EXPECT_EQ(Date::FromSerial(d.Serial()), d);
  EXPECT_EQ((Date{2024, 3, 2}).Weekday(), 6);
  EXPECT_FALSE(ParseDate("2023-02-29", d));
  EXPECT_FALSE(ParseDate("2024-13-01", d));
  EXPECT_FALSE(ParseDate("yesterday", d));
  EXPECT_TRUE(IsRacingDate(Date{2024, 1, 8}));    // second Monday of January
  EXPECT_FALSE(IsRacingDate(Date{2024, 1, 15}));  // an ordinary Monday
  EXPECT_FALSE(IsRacingDate(Date{2023, 12, 30})); // the new-year break
}

TEST(World, FieldsProgrammeAndPostTimes) {
  const auto& s = Races();
  ASSERT_EQ(s.races.size(), 4u * 36u);
  std::map<std::string, std::vector<const Race*>> byVenueDay;
  for (const Race& r : s.races) {
    EXPECT_GE(r.Entered(), 5);
    EXPECT_LE(r.Entered(), 18);
    for (const Runner& ru : r.runners) EXPECT_EQ(ru.frame, BracketOfHorse(r.Entered(), ru.number));
    byVenueDay[r.Key().substr(0, 14)].push_back(&r);
  }
  for (const auto& [key, races] : byVenueDay) {
    ASSERT_EQ(races.size(), 12u) << key;
    EXPECT_GE(races.front()->postTimeCard, 9 * 60 + 50);
    EXPECT_LE(races.back()->postTimeCard, 16 * 60 + 30);
    for (size_t i = 1; i < races.size(); ++i) {
      const int step = races[i]->postTimeCard - races[i - 1]->postTimeCard;
      EXPECT_GE(step, 25);
      EXPECT_LE(step, 35);
    }
  }
}

TEST(World, RecordsHaveExactLengthsAndReadBackAsTheWorldHoldsThem) {
  const auto& s = Races();
  const Date made{2024, 6, 10};
  static const std::string blank = J("　");
  for (const Race& r : s.races) {
    const std::string ra = MakeRA(*s.world, r, '7', made);
    ExpectFramed(ra, kRecLenRA);
    EXPECT_EQ(FldStr(ra, kHdr_RecordType), "RA");
    EXPECT_EQ(FldStr(ra, kHdr_DataKind), "7");
    EXPECT_EQ(FldStr(ra, kHdr_RaceKey), r.Key());
    EXPECT_EQ(FldInt(ra, kHdr_RaceNum), r.number);
    EXPECT_EQ(FldInt(ra, kRA_Entered), r.Entered());
    EXPECT_EQ(FldInt(ra, kRA_Starters), r.Starters());
    EXPECT_EQ(FldInt(ra, kRA_Finishers), r.Finishers());
    EXPECT_EQ(FldInt(ra, kRA_Distance), r.distance);
    EXPECT_EQ(FldInt(ra, kRA_Track), r.track);
    EXPECT_EQ(FldInt(ra, kRA_PostTime), Hhmm(r.postTime));
    EXPECT_EQ(FldInt(ra, kRA_RaceKind), r.kind);
    EXPECT_EQ(FldInt(ra, kRA_CondYoungest), r.cond[4]);
    EXPECT_EQ(FldLong(ra, kRA_FirstPrize), r.prize[0]);
    EXPECT_EQ(Fld(ra, kRA_Grade)[0], r.grade);
    EXPECT_EQ(Fld(ra, kRA_Weather)[0], r.weather);
    if (r.surface == kTurf) { EXPECT_TRUE(r.track >= 10 && r.track <= 22); }
    if (r.surface == kDirt) { EXPECT_TRUE(r.track >= 23 && r.track <= 29); }
    if (r.surface == kJumpCourse) { EXPECT_TRUE(r.track >= 51 && r.track <= 59); }

    for (const Runner& ru : r.runners) {
      const Horse& h = s.world->Horses()[static_cast<size_t>(ru.horse)];
      const std::string se = MakeSE(*s.world, r, ru, '7', made);
      ExpectFramed(se, kRecLenSE);
      EXPECT_EQ(FldStr(se, kHdr_RaceKey), r.Key());
      EXPECT_EQ(FldInt(se, kSE_HorseNum), ru.number);
      EXPECT_EQ(FldInt(se, kSE_Frame), BracketOfHorse(r.Entered(), ru.number));
      EXPECT_EQ(FldStr(se, kSE_HorseId), h.id);
      EXPECT_EQ(FldInt(se, kSE_HorseIdYear), r.date.y - FldInt(se, kSE_Age));
      EXPECT_EQ(FldInt(se, kSE_Weight), ru.weight);
      EXPECT_EQ(FldInt(se, kSE_Finish), ru.place);
      EXPECT_EQ(FldInt(se, kSE_Arrival), ru.arrival);
      EXPECT_EQ(FldInt(se, kSE_WinOdds), ru.winOdds);
      EXPECT_EQ(FldInt(se, kSE_Popularity), ru.popularity);
      EXPECT_EQ(FldInt(se, kSE_Last3F), ru.last3);
      EXPECT_EQ(FldLong(se, kSE_Prize), ru.prize);
      EXPECT_EQ(Fld(se, kSE_Abnormal)[0], ru.abnormal);
      // Time as m ss t.
      const std::string_view t = Fld(se, kSE_Time);
      EXPECT_EQ((t[0] - '0') * 600 + ParseInt(t.substr(1, 3)), ru.time);
      if (ru.place > 0) {
        EXPECT_GT(ru.time, 0);
        EXPECT_GT(FldInt(se, kSE_Last4F), FldInt(se, kSE_Last3F));
      } else {
        EXPECT_EQ(t, "0000");
      }
      // Name: up to nine full-width katakana, then full-width blanks to 36 bytes.
      const std::string_view name = Fld(se, kSE_HorseName);
      bool padding = false;
      int chars = 0;
      for (size_t i = 0; i < name.size(); i += 2) {
        const std::string_view c = name.substr(i, 2);
        if (c == blank) {
          padding = true;
          continue;
        }
        EXPECT_FALSE(padding) << "text after the padding";
        const auto lead = static_cast<unsigned char>(c[0]), trail = static_cast<unsigned char>(c[1]);
        EXPECT_TRUE((lead == 0x83 && trail >= 0x40 && trail <= 0x96) || (lead == 0x81 && trail == 0x5B));
        ++chars;
      }
      EXPECT_GE(chars, 2);
      EXPECT_LE(chars, 9);
      // The race card: frame and number drawn, no body weight, no results.
      const std::string card = MakeSE(*s.world, r, ru, '2', made);
      ExpectFramed(card, kRecLenSE);
      EXPECT_EQ(FldInt(card, kSE_HorseNum), ru.number);
      EXPECT_TRUE(IsBlank(Fld(card, kSE_BodyWeight)));
      EXPECT_EQ(FldStr(card, kSE_Finish), "00");
      EXPECT_EQ(FldStr(card, kSE_Time), "0000");
      EXPECT_EQ(FldStr(card, kSE_WinOdds), "0000");
    }
    ExpectFramed(MakeHR(r, '2', made), kRecLenHR);
    const Market m = Ranked(r);
    for (int t = 1; t <= 6; ++t) ExpectFramed(MakeOdds(t, r, m, '5', made, nullptr), kRecLenOdds[t - 1]);
  }
}

// Payouts in the HR record against the final odds in the O1..O6 records of the same race,
// read through the shared positions.
TEST(World, PayoutsMatchTheFinalOddsOfTheWinningCombinations) {
  const auto& s = Races();
  const Date made{2024, 6, 10};
  int checked = 0;
  for (const Race& r : s.races) {
    const Market m = Ranked(r);
    const std::string hr = MakeHR(r, '2', made);
    std::string odds[7];
    for (int t = 1; t <= 6; ++t) odds[t] = MakeOdds(t, r, m, '5', made, nullptr);
    const bool deadHeat = HasDeadHeat(r);
    // Per group: its odds record, odds field, upper bound (0 none) and how the slot is found.
    struct G {
      int bet, rec;
      RepeatPos oddsPos, maxPos, popPos;
    };
    const G groups[] = {{kWin, 1, kO1_WinOdds, {0, 0, 0}, kO1_WinPop},
                        {kPlace, 1, kO1_PlaceOddsMin, kO1_PlaceOddsMax, kO1_PlacePop},
                        {kBracket, 1, kO1_BracketOdds, {0, 0, 0}, kO1_BracketPop},
                        {kQuinella, 2, kO2_QuinellaOdds, {0, 0, 0}, kO2_QuinellaPop},
                        {kWide, 3, kO3_WideOddsMin, kO3_WideOddsMax, kO3_WidePop},
                        {kExacta, 4, kO4_ExactaOdds, {0, 0, 0}, kO4_ExactaPop},
                        {kTrio, 5, kO5_TrioOdds, {0, 0, 0}, kO5_TrioPop},
                        {kTrifecta, 6, kO6_TrifectaOdds, {0, 0, 0}, kO6_TrifectaPop}};
    for (const G& g : groups) {
      const PayoutGroup& pg = kHR_Groups[g.bet];
      for (int i = 0; i < pg.count; ++i) {
        const std::string_view combo = Fld(hr, pg.combo.At(i));
        if (IsBlank(combo) || ParseInt(combo) == 0) continue;
        int a = 0, b = 0, c = 0;
        if (g.bet == kBracket) {
          a = combo[0] - '0';
          b = combo[1] - '0';
        } else {
          a = ParseInt(combo.substr(0, 2));
          if (combo.size() >= 4) b = ParseInt(combo.substr(2, 2));
          if (combo.size() >= 6) c = ParseInt(combo.substr(4, 2));
        }
        const int slot = SlotOf(g.bet, a, b, c);
        ASSERT_GE(slot, 0);
        const long long pay = FldLong(hr, pg.pay.At(i));
        EXPECT_GE(pay, 100);
        EXPECT_EQ(pay % 10, 0);
        const int o = FldInt(odds[g.rec], g.oddsPos.At(slot));
        EXPECT_EQ(FldInt(hr, pg.pop.At(i)), FldInt(odds[g.rec], g.popPos.At(slot)));
        if (deadHeat) continue;  // a shared pool pays less than the odds
        if (g.maxPos.len) {
          EXPECT_GE(pay, o * 10LL) << r.Key() << " bet " << g.bet;
          EXPECT_LE(pay, FldInt(odds[g.rec], g.maxPos.At(slot)) * 10LL) << r.Key() << " bet " << g.bet;
        } else {
          EXPECT_EQ(pay, std::max(100LL, o * 10LL)) << r.Key() << " bet " << g.bet;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 144 * 10);
}

TEST(World, PopularityRanksFollowTheOdds) {
  const auto& s = Races();
  for (size_t k = 0; k < s.races.size(); k += 7) {
    const Market m = Ranked(s.races[k]);
    for (const Pool& p : m.pools) {
      std::vector<std::pair<int, int>> live;  // odds, popularity
      for (size_t i = 0; i < p.state.size(); ++i)
        if (p.state[i] == Slot::Live && p.votes[i] > 0) live.push_back({p.odds[i], p.pop[i]});
      std::sort(live.begin(), live.end());
      for (size_t i = 1; i < live.size(); ++i) {
        if (live[i].first > live[i - 1].first) { EXPECT_GT(live[i].second, live[i - 1].second); }
        EXPECT_GE(live[i].first, 10);  // 1.0 is the floor
      }
      if (!live.empty()) { EXPECT_EQ(live.front().second, 1); }
    }
  }
}

TEST(World, HorsesMeetAgainAndShareOpponents) {
  const auto& s = Races();
  std::vector<const Race*> all;
  for (const Race& r : s.races) all.push_back(&r);
  for (const Race& r : s.later) all.push_back(&r);
  std::map<int, std::set<int>> met;
  int pairs = 0, sharing = 0, runners = 0, again = 0;
  for (const Race* r : all) {
    std::vector<int> field;
    for (const Runner& ru : r->runners)
      if (ru.place > 0) field.push_back(ru.horse);
    const bool lastWeekend = !(r->date < Date{2024, 7, 27});
    for (size_t a = 0; a < field.size() && lastWeekend; ++a) {
      ++runners;
      const auto x = met.find(field[a]);
      again += x != met.end();
      for (size_t b = a + 1; b < field.size(); ++b) {
        ++pairs;
        const auto y = met.find(field[b]);
        if (x == met.end() || y == met.end()) continue;
        sharing += std::any_of(x->second.begin(), x->second.end(), [&](int o) { return y->second.count(o) > 0; });
      }
    }
    for (int h : field)
      for (int o : field)
        if (h != o) met[h].insert(o);
  }
  ASSERT_GT(pairs, 2000);
  // Eight weeks in (horses rest two to eight weeks between runs) most runners have run before,
  // and pairs already share opponents; over a year the median pair shares several.
  EXPECT_GT(again * 2, runners);
  EXPECT_GT(sharing * 20, pairs);
}

namespace {

// A hand-made race of ten: horse 3 withdrawn before sales, horse 7 scratched after them.
Race TenRunners() {
  Race r;
  r.date = Date{2024, 6, 2};
  r.venue = "05";
  r.meeting = 3;
  r.day = 2;
  r.number = 11;
  for (int h = 1; h <= 10; ++h) {
    Runner ru;
    ru.number = h;
    ru.frame = BracketOfHorse(10, h);
    ru.scratch = h == 3 ? 1 : h == 7 ? 2 : 0;
    r.runners.push_back(ru);
  }
  r.field.entered = 10;
  for (int h = 1; h <= 10; ++h) {
    r.field.frame[static_cast<size_t>(h - 1)] = BracketOfHorse(10, h);
    r.field.scratch[static_cast<size_t>(h - 1)] = r.runners[static_cast<size_t>(h - 1)].scratch;
    r.field.strength[static_cast<size_t>(h - 1)] = 11.0 - h;
  }
  Rng rng(3);
  r.finalMarket = BuildMarket(r.field, 1.0, 0.0, rng, true);
  return r;
}

}  // namespace

TEST(World, OddsSlotsAreFixedAndWithdrawalsShowTheirMarkers) {
  const Race r = TenRunners();
  const Date made{2024, 6, 3};
  const std::string o1 = MakeOdds(1, r, r.finalMarket, '5', made, nullptr);
  EXPECT_EQ(FldStr(o1, kO_AnnounceTime), "00000000");
  EXPECT_EQ(FldInt(o1, kO_Entered), 10);
  EXPECT_EQ(FldInt(o1, kO_Starters), 8);
  EXPECT_EQ(FldStr(o1, kO1_WinHorse.At(2)), "03");
  EXPECT_EQ(FldStr(o1, kO1_WinOdds.At(2)), "----");
  EXPECT_EQ(FldStr(o1, kO1_WinPop.At(2)), "--");
  EXPECT_EQ(FldStr(o1, kO1_WinOdds.At(6)), "****");
  EXPECT_EQ(FldStr(o1, kO1_WinPop.At(6)), "**");
  EXPECT_EQ(FldStr(o1, kO1_PlaceOddsMin.At(6)), "****");
  EXPECT_EQ(FldStr(o1, {44 + 8 * 10, 8}), std::string(8, ' '));  // horse 11: no such runner
  EXPECT_EQ(FldInt(o1, kO1_WinPop.At(0)), 1);                     // the strongest is favourite
  // Brackets of ten: 1-6 single, 7 = {7, 8}, 8 = {9, 10}.
  EXPECT_EQ(FldStr(o1, {604, 9}), std::string(9, ' '));  // 1-1 impossible
  const int b77 = BracketComboNo(" 7- 7") - 1, b13 = BracketComboNo(" 1- 3") - 1, b88 = BracketComboNo(" 8- 8") - 1;
  EXPECT_EQ(FldStr(o1, kO1_BracketCombo.At(b77)), "77");
  EXPECT_EQ(FldStr(o1, {kO1_BracketOdds.At(b77).pos, 7}), "*******");
  EXPECT_EQ(FldStr(o1, {kO1_BracketOdds.At(b13).pos, 7}), "-------");
  EXPECT_GT(FldInt(o1, kO1_BracketOdds.At(b88)), 0);

  // Every present slot names the combination of its place in the numbering.
  struct L {
    int type;
    ComboKind kind;
    RepeatPos combo;
  };
  for (const L& l : {L{2, ComboKind::Quinella, kO2_QuinellaCombo}, L{4, ComboKind::Exacta, kO4_ExactaCombo},
                     L{5, ComboKind::Trio, kO5_TrioCombo}, L{6, ComboKind::Trifecta, kO6_TrifectaCombo}}) {
    const std::string rec = MakeOdds(l.type, r, r.finalMarket, '5', made, nullptr);
    int present = 0;
    for (int i = 0; i < ComboCount(l.kind); ++i) {
      const std::string_view f = Fld(rec, l.combo.At(i));
      const Combo c = ComboOf(l.kind, i + 1);
      const bool inField = c.first <= 10 && c.second <= 10 && c.third <= 10;
      if (!inField) {
        EXPECT_TRUE(IsBlank(f)) << "type " << l.type << " slot " << i;
        continue;
      }
      ++present;
      EXPECT_EQ(ParseInt(f.substr(0, 2)), c.first);
      EXPECT_EQ(ParseInt(f.substr(2, 2)), c.second);
      if (l.combo.len == 6) { EXPECT_EQ(ParseInt(f.substr(4, 2)), c.third); }
    }
    EXPECT_GT(present, 0);
  }
  const std::string o2 = MakeOdds(2, r, r.finalMarket, '5', made, nullptr);
  EXPECT_EQ(FldStr(o2, kO2_QuinellaOdds.At(QuinellaComboNo(" 3- 5") - 1)), "------");
  EXPECT_EQ(FldStr(o2, kO2_QuinellaOdds.At(QuinellaComboNo(" 5- 7") - 1)), "******");
}

TEST(World, ScratchAfterSalesSetsTheRefundFields) {
  Race r = TenRunners();
  // Finishing order by horse number among the starters.
  int place = 0;
  for (Runner& ru : r.runners)
    if (!ru.scratch) ru.place = ru.arrival = ++place;
  PayOut(r);
  const std::string hr = MakeHR(r, '2', Date{2024, 6, 3});
  EXPECT_EQ(FldStr(hr, {50, 9}), "111110111");
  EXPECT_EQ(FldStr(hr, {59, 28}), "0000001000000000000000000000");  // horse 7
  EXPECT_EQ(FldStr(hr, {87, 8}), "00000000");                        // no whole bracket gone
  EXPECT_EQ(FldStr(hr, {95, 8}), "00000010");                        // 7-7 refunded
  EXPECT_EQ(FldInt(hr, kHR_Win.combo.At(0)), 1);
  EXPECT_EQ(FldStr(hr, kHR_Trifecta.combo.At(0)), "010204");
}

TEST(World, SmallFieldsPayTwoPlacesAndSellNoBracketQuinella) {
  Race r;
  r.date = Date{2024, 6, 2};
  r.venue = "02";
  r.number = 8;
  r.field.entered = 6;
  for (int h = 1; h <= 6; ++h) {
    Runner ru;
    ru.number = h;
    ru.frame = h;
    ru.place = ru.arrival = 7 - h;  // horse 6 wins
    r.runners.push_back(ru);
    r.field.frame[static_cast<size_t>(h - 1)] = h;
    r.field.strength[static_cast<size_t>(h - 1)] = h;
  }
  Rng rng(1);
  r.finalMarket = BuildMarket(r.field, 1.0, 0.0, rng, true);
  PayOut(r);
  const Date made{2024, 6, 3};
  const std::string o1 = MakeOdds(1, r, r.finalMarket, '5', made, nullptr);
  EXPECT_EQ(FldStr(o1, {42, 2}), "02");  // bracket quinella not sold, two places paid
  EXPECT_TRUE(IsBlank(Fld(o1, 604, 324)));  // bracket slots
  EXPECT_TRUE(IsBlank(Fld(o1, 950, 11)));   // and their vote total
  const std::string hr = MakeHR(r, '2', made);
  EXPECT_EQ(FldStr(hr, kHR_BracketQuinella.combo.At(0)), "00");
  EXPECT_TRUE(IsBlank(Fld(hr, kHR_BracketQuinella.pay.At(0))));
  EXPECT_EQ(FldInt(hr, kHR_Place.combo.At(0)), 6);
  EXPECT_EQ(FldInt(hr, kHR_Place.combo.At(1)), 5);
  EXPECT_EQ(FldStr(hr, kHR_Place.combo.At(2)), "00");
  EXPECT_TRUE(IsBlank(Fld(hr, kHR_Place.pay.At(2))));
  EXPECT_EQ(r.payouts[kWide].size(), 3u);
}

TEST(World, DeadHeatPaysBothWinners) {
  Race r = TenRunners();
  const int order[] = {2, 1, 4, 5, 6, 8, 9, 10};  // horses 2 and 1 dead-heat for first
  for (int q = 0; q < 8; ++q) {
    Runner& ru = r.runners[static_cast<size_t>(order[q] - 1)];
    ru.arrival = q + 1;
    ru.place = q == 1 ? 1 : q + 1;
    ru.deadHeat = q < 2;
  }
  PayOut(r);
  ASSERT_EQ(r.payouts[kWin].size(), 2u);
  EXPECT_EQ(r.payouts[kQuinella].size(), 1u);
  EXPECT_EQ(r.payouts[kExacta].size(), 2u);
  EXPECT_EQ(r.payouts[kTrio].size(), 1u);
  EXPECT_EQ(r.payouts[kTrifecta].size(), 2u);
  // Each winner is paid from half the profit: less than its odds, never below 100 yen.
  for (const Payout& p : r.payouts[kWin]) {
    const int o = r.finalMarket.pools[kWin].odds[static_cast<size_t>(p.numbers[0] - 1)];
    EXPECT_LT(p.yen, o * 10LL);
    EXPECT_GE(p.yen, 100);
  }
}
