#include "Records.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"

namespace kv::sim {
namespace {

// Zero-padded decimal number into rec at 1-based pos over len bytes (clamped to len digits).
void PutNum(std::string& rec, int pos, int len, long long v) {
  if (v < 0) v = 0;
  char* p = rec.data() + pos - 1;
  for (int i = len - 1; i >= 0; --i) {
    p[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
}

void PutNum(std::string& rec, FieldPos f, long long v) { PutNum(rec, f.pos, f.len, v); }

void PutChar(std::string& rec, int pos, char c) { rec[static_cast<size_t>(pos - 1)] = c; }

void Fill(std::string& rec, int pos, int len, char c) { std::memset(rec.data() + pos - 1, c, static_cast<size_t>(len)); }

// Full-width blanks over a field of even length.
void PutWideBlank(std::string& rec, int pos, int len) {
  static const std::string blank = J("　");
  for (int i = 0; i + 1 < len; i += 2) rec.replace(static_cast<size_t>(pos - 1 + i), 2, blank);
}

// CP932 text padded with full-width blanks to the field.
void PutWide(std::string& rec, int pos, int len, const std::string& text) {
  PutWideBlank(rec, pos, len);
  const std::string t = CutBytes(text, static_cast<size_t>(len));
  rec.replace(static_cast<size_t>(pos - 1), t.size(), t);
}

std::string Blank(int recLen) {
  std::string r(static_cast<size_t>(recLen), ' ');
  r[static_cast<size_t>(recLen - 2)] = '\r';
  r[static_cast<size_t>(recLen - 1)] = '\n';
  return r;
}

// Record type, data kind, creation date and race key (positions 1-27).
void PutHeader(std::string& rec, const char* type, char kind, const Date& made, const Race& race) {
  rec[0] = type[0];
  rec[1] = type[1];
  rec[2] = kind;
  PutFld(rec, kHdr_MakeDate, made.Text8());
  PutFld(rec, kHdr_RaceKey, race.Key());
}

int Hhmm(int minutes) { return (minutes / 60) * 100 + minutes % 60; }

}  // namespace

std::string Stamp::Mmddhhmm() const {
  char b[16];
  std::snprintf(b, sizeof b, "%02d%02d%02d%02d", date.m % 100, date.d % 100, (minutes / 60) % 100, minutes % 60);
  return b;
}

std::string MakeRA(const World& world, const Race& race, char kind, const Date& made) {
  (void)world;
  std::string r = Blank(kRecLenRA);
  PutHeader(r, "RA", kind, made, race);
  const bool results = kind == '6' || kind == '7' || kind == 'A' || kind == 'B';
  PutChar(r, kRA_Weekday.pos, race.weekdayCode);
  PutNum(r, 29, 4, race.specialNo);
  PutWide(r, kRA_RaceName.pos, kRA_RaceName.len, race.name);
  PutWideBlank(r, 93, 120);  // subtitle and bracket text
  PutWide(r, 573, 20, race.name);
  PutWide(r, kRA_RaceNameShort6.pos, kRA_RaceNameShort6.len, race.name);
  PutWide(r, kRA_RaceNameShort3.pos, kRA_RaceNameShort3.len, race.name);
  PutChar(r, 611, race.special ? '1' : '0');
  PutNum(r, kRA_RunningNum, race.runningNo);
  PutChar(r, kRA_Grade.pos, race.grade);
  PutChar(r, 616, ' ');
  PutNum(r, kRA_RaceKind, race.kind);
  PutFld(r, kRA_RaceSymbol, race.symbol);
  PutChar(r, kRA_WeightRule.pos, race.weightRule);
  for (int i = 0; i < 5; ++i) PutNum(r, 623 + 3 * i, 3, race.cond[static_cast<size_t>(i)]);
  PutWideBlank(r, 638, 60);
  PutNum(r, kRA_Distance, race.distance);
  PutNum(r, 702, 4, 0);
  PutNum(r, kRA_Track, race.track);
  PutNum(r, 708, 2, 0);
  for (int i = 0; i < kRA_PrizeCount; ++i) PutNum(r, kRA_Prize.At(i), race.prize[static_cast<size_t>(i)]);
  PutNum(r, 770, 40, 0);
  for (int i = 0; i < kRA_AddedPrizeCount; ++i) PutNum(r, kRA_AddedPrize.At(i), race.added[static_cast<size_t>(i)]);
  PutNum(r, 850, 24, 0);
  const bool changed = race.postTime != race.postTimeCard;
  // The card shows the announced time; results show the time run and the old one beside it.
  PutNum(r, kRA_PostTime, Hhmm(results ? race.postTime : race.postTimeCard));
  PutNum(r, 878, 4, results && changed ? Hhmm(race.postTimeCard) : 0);
  PutNum(r, kRA_Entered, race.Entered());
  PutNum(r, kRA_Starters, results ? race.Starters() : 0);
  PutNum(r, kRA_Finishers, results ? race.Finishers() : 0);
  PutChar(r, kRA_Weather.pos, results ? race.weather : '0');
  PutChar(r, kRA_TurfGoing.pos, results ? race.turfGoing : '0');
  PutChar(r, kRA_DirtGoing.pos, results ? race.dirtGoing : '0');
  PutNum(r, 891, 75, 0);
  PutNum(r, 966, 16, 0);
  if (results) {
    for (size_t k = 0; k < race.laps.size() && k < 25; ++k) PutNum(r, 891 + 3 * static_cast<int>(k), 3, race.laps[k]);
    if (race.laps.size() >= 4) {
      const auto& l = race.laps;
      PutNum(r, 970, 3, l[0] + l[1] + l[2]);
      PutNum(r, 973, 3, l[0] + l[1] + l[2] + l[3]);
      const size_t n = l.size();
      PutNum(r, 976, 3, l[n - 1] + l[n - 2] + l[n - 3]);
      PutNum(r, 979, 3, l[n - 1] + l[n - 2] + l[n - 3] + l[n - 4]);
    }
  }
  // Corner passing orders: the horse numbers in order at each corner run.
  for (int c = 0; c < 4; ++c) {
    const int pos = 982 + 72 * c;
    std::vector<std::pair<int, int>> at;
    if (results)
      for (const Runner& ru : race.runners)
        if (ru.corner[static_cast<size_t>(c)] > 0) at.push_back({ru.corner[static_cast<size_t>(c)], ru.number});
    if (at.empty()) {
      PutChar(r, pos, '0');
      PutChar(r, pos + 1, '0');
      continue;
    }
    std::sort(at.begin(), at.end());
    std::string text;
    for (size_t k = 0; k < at.size(); ++k) {
      if (k) text += ',';
      text += std::to_string(at[k].second);
    }
    PutChar(r, pos, static_cast<char>('1' + c));
    PutChar(r, pos + 1, '1');
    PutFld(r, pos + 2, 70, text);
  }
  PutChar(r, 1270, '0');
  return r;
}

std::string MakeSE(const World& world, const Race& race, const Runner& ru, char kind, const Date& made) {
  std::string r = Blank(kRecLenSE);
  PutHeader(r, "SE", kind, made, race);
  const Horse& h = world.Horses()[static_cast<size_t>(ru.horse)];
  const Person& tr = world.Trainer(h.trainer);
  const Person& jk = world.Jockey(ru.jockey);
  const bool drawn = kind != '1';
  const bool results = kind == '6' || kind == '7' || kind == 'A' || kind == 'B';
  PutChar(r, kSE_Frame.pos, drawn ? static_cast<char>('0' + ru.frame) : '0');
  PutNum(r, kSE_HorseNum, drawn ? ru.number : 0);
  PutFld(r, kSE_HorseId, h.id);
  PutFld(r, kSE_HorseName, h.name);
  PutNum(r, 77, 2, 0);
  PutChar(r, kSE_Sex.pos, ru.sex);
  PutChar(r, 80, '1');
  PutNum(r, 81, 2, 1 + ru.horse % 7);
  PutNum(r, kSE_Age, ru.age);
  PutChar(r, 85, static_cast<char>('1' + tr.region));
  PutFld(r, 86, 5, tr.code);
  PutFld(r, kSE_Trainer, tr.shortName);
  PutNum(r, 99, 6, 100000 + ru.horse % 800);
  PutWideBlank(r, 105, 64);
  PutWideBlank(r, 169, 60);
  PutNum(r, kSE_Weight, ru.weight);
  PutNum(r, 292, 3, 0);
  PutChar(r, kSE_Blinker.pos, h.blinker ? '1' : '0');
  PutChar(r, 296, '0');
  PutFld(r, 297, 5, jk.code);
  PutNum(r, 302, 5, 0);
  PutFld(r, kSE_Jockey, jk.shortName);
  PutWideBlank(r, 315, 8);
  PutChar(r, kSE_Apprentice.pos, ru.apprentice);
  PutChar(r, 324, '0');
  const bool weighed = results && ru.scratch != 1;
  if (weighed) {
    PutNum(r, kSE_BodyWeight, ru.bodyWeight);
    PutChar(r, kSE_BodyWeightSign.pos, ru.bodyDiff > 0 ? '+' : ru.bodyDiff < 0 ? '-' : ' ');
    PutNum(r, kSE_BodyWeightDiff, ru.bodyDiff < 0 ? -ru.bodyDiff : ru.bodyDiff);
  }
  PutChar(r, kSE_Abnormal.pos, results ? ru.abnormal : '0');
  PutNum(r, kSE_Arrival, results ? ru.arrival : 0);
  PutNum(r, kSE_Finish, results ? ru.place : 0);
  PutChar(r, 337, results && ru.deadHeat ? '1' : '0');
  PutChar(r, 338, results && ru.deadHeat ? '1' : '0');
  PutNum(r, kSE_Time, results ? (ru.time / 600) * 1000 + ru.time % 600 : 0);
  for (int c = 0; c < kSE_CornerCount; ++c) PutNum(r, kSE_Corner.At(c), results ? ru.corner[static_cast<size_t>(c)] : 0);
  PutNum(r, kSE_WinOdds, results ? ru.winOdds : 0);
  PutNum(r, kSE_Popularity, results ? ru.popularity : 0);
  PutNum(r, kSE_Prize, results ? ru.prize : 0);
  PutNum(r, kSE_AddedPrize, results ? ru.addedPrize : 0);
  PutNum(r, 382, 6, 0);
  PutNum(r, kSE_Last4F, results ? ru.last4 : 0);
  PutNum(r, kSE_Last3F, results ? ru.last3 : 0);
  // The horse that beat it (or, for the winner, the runner-up), then two empty entries.
  const Runner* rival = nullptr;
  if (results && ru.place > 0)
    for (const Runner& o : race.runners)
      if (o.number != ru.number && o.arrival == (ru.arrival == 1 ? 2 : 1)) rival = &o;
  for (int k = 0; k < 3; ++k) {
    const int pos = 394 + 46 * k;
    if (k == 0 && rival) {
      const Horse& rh = world.Horses()[static_cast<size_t>(rival->horse)];
      PutFld(r, pos, 10, rh.id);
      PutFld(r, pos + 10, 36, rh.name);
    } else {
      PutNum(r, pos, 10, 0);
      PutWideBlank(r, pos + 10, 36);
    }
  }
  if (results && ru.place > 0) {
    const int d = ru.timeDiff;
    PutChar(r, 532, d < 0 ? '-' : '+');
    PutNum(r, 533, 3, d < 0 ? -d : d);
  } else {
    PutNum(r, 532, 4, 0);
  }
  PutChar(r, 536, '0');
  PutNum(r, 537, 16, 0);
  PutChar(r, 553, results && ru.place > 0 ? static_cast<char>('0' + ru.style) : '0');
  return r;
}

std::string MakeHR(const Race& race, char kind, const Date& made) {
  std::string r = Blank(kRecLenHR);
  PutHeader(r, "HR", kind, made, race);
  const MarketField& f = race.field;
  PutNum(r, 28, 2, race.Entered());
  PutNum(r, 30, 2, race.Starters());
  PutNum(r, 32, 9, 0);  // not established
  PutNum(r, 41, 9, 0);  // special payouts
  // Refunds for runners scratched after sales opened.
  bool refund = false;
  PutNum(r, 59, 28, 0);
  PutNum(r, 87, 8, 0);
  PutNum(r, 95, 8, 0);
  for (const Runner& ru : race.runners)
    if (ru.scratch == 2) {
      refund = true;
      PutChar(r, 59 + ru.number - 1, '1');
    }
  for (int b = 1; b <= 8; ++b) {
    int registered = 0, scratchedAfter = 0, live = 0;
    for (const Runner& ru : race.runners) {
      if (ru.frame != b) continue;
      ++registered;
      if (ru.scratch == 2) ++scratchedAfter;
      if (ru.scratch == 0) ++live;
    }
    if (!f.BracketSold() || scratchedAfter == 0) continue;
    if (live == 0) PutChar(r, 87 + b - 1, '1');                 // the whole bracket refunded
    if (registered >= 2 && live < 2) PutChar(r, 95 + b - 1, '1');  // the same-bracket pair refunded
  }
  for (int t = 0; t < 9; ++t) PutChar(r, 50 + t, refund && t != 5 ? '1' : '0');

  const int places = f.PlacesPaid();
  for (int t = 0; t < kBetTypes; ++t) {
    const PayoutGroup& g = kHR_Groups[t];
    const auto& list = race.payouts[static_cast<size_t>(t)];
    const Pool& pool = race.finalMarket.pools[static_cast<size_t>(t)];
    for (int i = 0; i < g.count && i < static_cast<int>(list.size()); ++i) {
      const Payout& p = list[static_cast<size_t>(i)];
      const FieldPos c = g.combo.At(i);
      if (t == kBracket) {
        PutNum(r, c.pos, 1, p.numbers[0]);
        PutNum(r, c.pos + 1, 1, p.numbers[1]);
      } else {
        for (int k = 0; k < c.len / 2; ++k) PutNum(r, c.pos + 2 * k, 2, p.numbers[static_cast<size_t>(k)]);
      }
      PutNum(r, g.pay.At(i), p.yen);
      PutNum(r, g.pop.At(i), p.popularity);
    }
    // A bet type not sold, and the third place in a small field, show "00" and no payout.
    if (!pool.sold) PutNum(r, g.combo.At(0), 0);
    if (t == kPlace && pool.sold && places == 2 && list.size() <= 2) PutNum(r, g.combo.At(2), 0);
  }
  return r;
}

std::string MakeOdds(int type, const Race& race, const Market& m, char kind, const Date& made, const Stamp* announce) {
  static const int lens[7] = {0, kRecLenO1, kRecLenO2, kRecLenO3, kRecLenO4, kRecLenO5, kRecLenO6};
  std::string r = Blank(lens[type]);
  const char name[3] = {'O', static_cast<char>('0' + type), 0};
  PutHeader(r, name, kind, made, race);
  PutFld(r, kO_AnnounceTime, announce ? announce->Mmddhhmm() : std::string("00000000"));
  PutNum(r, kO_Entered, race.Entered());
  const MarketField& f = race.field;
  int starters = 0;
  for (int i = 0; i < f.entered; ++i) starters += f.scratch[static_cast<size_t>(i)] == 0;
  PutNum(r, kO_Starters, starters);

  // One slot: combination, then odds (and an upper bound) and popularity, or a marker.
  auto slot = [&](const Pool& pool, size_t s, int pos, int comboLen, const std::string& combo, int oddsLen,
                  int maxLen, int popLen) {
    const Slot st = pool.state[s];
    if (st == Slot::Absent) return;
    r.replace(static_cast<size_t>(pos - 1), static_cast<size_t>(comboLen), combo);
    const int o = pos + comboLen;
    if (st == Slot::PreCancel || st == Slot::PostCancel) {
      Fill(r, o, oddsLen + maxLen + popLen, st == Slot::PreCancel ? '-' : '*');
      return;
    }
    PutNum(r, o, oddsLen, pool.votes[s] > 0 ? pool.odds[s] : 0);
    if (maxLen) PutNum(r, o + oddsLen, maxLen, pool.votes[s] > 0 ? pool.oddsMax[s] : 0);
    PutNum(r, o + oddsLen + maxLen, popLen, pool.pop[s]);
  };
  auto two = [](int a) {
    char b[4];
    std::snprintf(b, sizeof b, "%02d", a % 100);
    return std::string(b);
  };
  auto comboText = [&](int bet, size_t s) {
    const auto n = NumbersOf(bet, static_cast<int>(s));
    if (bet == kBracket) return std::string{static_cast<char>('0' + n[0]), static_cast<char>('0' + n[1])};
    std::string t = two(n[0]);
    if (n[1]) t += two(n[1]);
    if (n[2]) t += two(n[2]);
    return t;
  };
  auto total = [&](int pos, const Pool& pool) { PutNum(r, pos, 11, pool.total); };

  if (type == 1) {
    const Pool& win = m.pools[kWin];
    const Pool& place = m.pools[kPlace];
    const Pool& br = m.pools[kBracket];
    PutChar(r, 40, win.sold ? '7' : '0');
    PutChar(r, 41, place.sold ? '7' : '0');
    PutChar(r, 42, br.sold ? '7' : '0');
    PutChar(r, 43, static_cast<char>('0' + f.PlacesPaid()));
    for (size_t s = 0; s < 18; ++s) {
      slot(win, s, 44 + 8 * static_cast<int>(s), 2, two(static_cast<int>(s) + 1), 4, 0, 2);
      if (place.sold) slot(place, s, 268 + 12 * static_cast<int>(s), 2, two(static_cast<int>(s) + 1), 4, 4, 2);
    }
    if (br.sold)
      for (size_t s = 0; s < 36; ++s) slot(br, s, 604 + 9 * static_cast<int>(s), 2, comboText(kBracket, s), 5, 0, 2);
    total(928, win);
    if (place.sold) total(939, place);
    if (br.sold) total(950, br);
    return r;
  }
  struct Layout {
    int bet, count, step, comboLen, oddsLen, maxLen, popLen, totalPos;
  };
  static const Layout layouts[7] = {{},
                                    {},
                                    {kQuinella, 153, 13, 4, 6, 0, 3, 2030},
                                    {kWide, 153, 17, 4, 5, 5, 3, 2642},
                                    {kExacta, 306, 13, 4, 6, 0, 3, 4019},
                                    {kTrio, 816, 15, 6, 6, 0, 3, 12281},
                                    {kTrifecta, 4896, 17, 6, 7, 0, 4, 83273}};
  const Layout& L = layouts[type];
  const Pool& pool = m.pools[static_cast<size_t>(L.bet)];
  PutChar(r, 40, pool.sold ? '7' : '0');
  for (int s = 0; s < L.count; ++s)
    slot(pool, static_cast<size_t>(s), 41 + L.step * s, L.comboLen, comboText(L.bet, static_cast<size_t>(s)), L.oddsLen,
         L.maxLen, L.popLen);
  total(L.totalPos, pool);
  return r;
}

std::string MakeTC(const Race& race, const Date& made, const Stamp& announce) {
  std::string r = Blank(kRecLenTC);
  PutHeader(r, "TC", '1', made, race);
  PutFld(r, kTC_AnnounceTime, announce.Mmddhhmm());
  PutNum(r, kTC_NewPostTime, Hhmm(race.postTime));
  PutNum(r, kTC_OldPostTime, Hhmm(race.postTimeCard));
  return r;
}

std::string MakeWE(const Race& race, const Date& made, const Stamp& announce) {
  std::string r = Blank(42);
  PutHeader(r, "WE", '1', made, race);
  // The weather record has no race number: positions 26-33 hold the announcement time.
  PutFld(r, 26, 8, announce.Mmddhhmm());
  PutChar(r, 34, '1');
  PutChar(r, 35, race.weather);
  PutChar(r, 36, race.turfGoing);
  PutChar(r, 37, race.dirtGoing);
  PutFld(r, 38, 3, "000");
  return r;
}

std::string MakeAV(const World& world, const Race& race, const Runner& ru, const Date& made, const Stamp& announce) {
  std::string r = Blank(78);
  PutHeader(r, "AV", '1', made, race);
  PutFld(r, 28, 8, announce.Mmddhhmm());
  PutNum(r, 36, 2, ru.number);
  PutFld(r, 38, 36, world.Horses()[static_cast<size_t>(ru.horse)].name);
  PutFld(r, 74, 3, "001");
  return r;
}

}  // namespace kv::sim
