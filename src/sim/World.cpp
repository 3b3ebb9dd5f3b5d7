#include "World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/Cp932.h"
#include "vocab/Combination.h"

namespace kv::sim {
namespace {

// ---- vocabulary of the generated names (UTF-8 here, CP932 once converted) -------------------

const std::vector<std::string>& Cp932List(std::initializer_list<const char*> utf8, std::vector<std::string>& cache) {
  if (cache.empty())
    for (const char* s : utf8) cache.push_back(J(s));
  return cache;
}

const std::vector<std::string>& NamePrefixes() {
  static std::vector<std::string> v;
  return Cp932List({"ゴールド", "シルバー", "キング", "クイーン", "ダイヤ", "スター", "ミラクル", "サニー", "ロード",
                    "レッド", "ブルー", "グリーン", "ホワイト", "ブラック", "ビッグ", "リトル", "ハッピー", "ラッキー",
                    "スーパー", "グランド", "ロイヤル", "ノーブル", "セント", "マジック", "ファイン", "ブライト",
                    "ワンダー", "ミスター", "ミス", "ムーン", "サン", "スカイ", "ウインド", "ファスト", "ドリーム",
                    "ナイト", "フラワー", "ルビー", "パール", "オーシャン"},
                   v);
}

const std::vector<std::string>& NameSuffixes() {
  static std::vector<std::string> v;
  return Cp932List({"ボーイ", "ガール", "ハート", "ソング", "ダンス", "ライト", "ウェイ", "ロマン", "シチー", "ラン",
                    "フラッシュ", "スピリット", "パワー", "ビート", "エース", "ウイング", "アロー", "クラウン",
                    "ジュエル", "レディ", "プリンス", "ホープ", "ブレイブ", "ジョイ", "ベル", "リバー", "ヒル",
                    "ストーム", "ファイア", "シャイン", "ノヴァ", "テイル", "ワルツ", "メロディ", "ロック", "サーガ",
                    "ゲート", "マーチ", "ライン", "カフェ"},
                   v);
}

const std::vector<std::string>& Syllables() {
  static std::vector<std::string> v;
  return Cp932List({"ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ", "チ",
                    "ツ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ", "ム",
                    "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ガ", "ギ", "グ", "ゲ", "ゴ",
                    "ザ", "ジ", "ズ", "ゼ", "ゾ", "ダ", "デ", "ド", "バ", "ビ", "ブ", "ベ", "ボ", "パ", "ピ", "プ",
                    "ペ", "ポ", "ン", "ー"},
                   v);
}

const std::vector<std::string>& Surnames() {
  static std::vector<std::string> v;
  return Cp932List({"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤", "吉田", "山田",
                    "山口", "松本", "井上", "木村", "斎藤", "清水", "山崎", "池田", "橋本", "阿部", "石川", "山下",
                    "中島", "石井", "小川", "前田", "岡田", "藤田", "後藤", "近藤", "村上", "遠藤", "青木", "坂本",
                    "林", "森", "原", "松", "西", "東", "南", "北"},
                   v);
}

const std::vector<std::string>& GivenChars() {
  static std::vector<std::string> v;
  return Cp932List({"一", "二", "健", "誠", "翔", "大", "拓", "和", "勇", "隆", "浩", "雄", "太", "亮", "修", "真",
                    "悠", "優", "直", "康", "光", "達", "恵", "智", "博", "義", "正", "信", "剛", "純"},
                   v);
}

const std::vector<std::string>& RaceWords() {
  static std::vector<std::string> v;
  return Cp932List({"朝日", "若葉", "青葉", "白百合", "紫苑", "春風", "夏空", "秋桜", "冬晴", "初雪", "睦月", "如月",
                    "弥生", "卯月", "水無月", "文月", "葉月", "長月", "神無月", "霜月", "師走", "銀河", "北斗", "飛鳥",
                    "桂", "楓", "欅", "椿", "菖蒲", "紅梅", "白梅", "松風", "潮風", "海原", "富士", "比叡", "六甲",
                    "阿蘇", "筑紫", "大雪", "磐梯", "赤城", "妙高", "伊吹", "鈴鹿", "吉野", "嵐山", "鳴門", "錦",
                    "鞍馬", "玄海", "天草", "桜島", "昴", "雅", "湘南", "房総", "浜名湖", "琵琶湖", "淀"},
                   v);
}

const std::vector<std::string>& SpecialSuffixes() {
  static std::vector<std::string> v;
  return Cp932List({"特別", "ステークス", "賞", "ハンデキャップ", "カップ"}, v);
}

const std::vector<std::string>& StakesSuffixes() {
  static std::vector<std::string> v;
  return Cp932List({"記念", "カップ", "ステークス", "賞", "大賞典", "杯"}, v);
}

// ---- courses ------------------------------------------------------------------------------

int VenueIndex(const std::string& venue) { return std::max(0, std::min(9, std::atoi(venue.c_str()) - 1)); }

bool LeftHanded(int vi) { return vi == 3 || vi == 4 || vi == 6; }  // Niigata, Tokyo, Chukyo
int VenueRegion(int vi) { return (vi == 6 || vi == 7 || vi == 8 || vi == 9 || vi == 1) ? 1 : 0; }

const std::vector<int>& TurfDistances(int vi) {
  static const std::vector<int> t[10] = {
      {1200, 1500, 1800, 2000, 2600}, {1200, 1800, 2000, 2600},       {1200, 1800, 2000, 2600},
      {1000, 1200, 1400, 1600, 1800, 2000, 2200, 2400},             {1400, 1600, 1800, 2000, 2300, 2400},
      {1200, 1600, 1800, 2000, 2200, 2500},                         {1200, 1400, 1600, 2000, 2200},
      {1200, 1400, 1600, 1800, 2000, 2200, 2400},                   {1200, 1400, 1600, 1800, 2000, 2200, 2400},
      {1200, 1800, 2000, 2600}};
  return t[vi];
}

const std::vector<int>& DirtDistances(int vi) {
  static const std::vector<int> t[10] = {{1000, 1700, 2400}, {1000, 1700, 2400}, {1150, 1700, 2400},
                                         {1200, 1800, 2500}, {1300, 1400, 1600, 2100}, {1200, 1800, 2400},
                                         {1200, 1400, 1800, 1900}, {1200, 1400, 1800, 1900},
                                         {1200, 1400, 1800, 2000}, {1000, 1700, 2400}};
  return t[vi];
}

constexpr int kJumpDistances[] = {2750, 2860, 2880, 3000, 3110, 3140, 3300, 3570};

// Condition code of a class: 0 maiden, 1..3 win classes, 4 open.
int ClassCode(int cls, bool newcomer) {
  static const int codes[5] = {703, 5, 10, 16, 999};
  return cls == 0 && newcomer ? 701 : codes[cls];
}

double AgeEffect(int age, int month) {
  if (age <= 2) return -0.55 + 0.04 * (month - 6);
  if (age == 3) return -0.3 + 0.025 * month;
  if (age <= 5) return 0.0;
  if (age == 6) return -0.1;
  return -0.25;
}

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(hi, v)); }

// Pads CP932 text with full-width blanks to exactly `bytes` bytes (cut when longer).
std::string PadWide(const std::string& s, size_t bytes) {
  static const std::string blank = J("　");
  std::string r = CutBytes(s, bytes);
  while (r.size() + 2 <= bytes) r += blank;
  if (r.size() < bytes) r += ' ';
  return r;
}

}  // namespace

// ---- Race ---------------------------------------------------------------------------------

std::string Race::Key() const {
  char b[32];
  std::snprintf(b, sizeof b, "%04d%02d%02d%2.2s%02d%02d%02d", date.y % 10000, date.m % 100, date.d % 100,
                venue.c_str(), meeting % 100, day % 100, number % 100);
  return b;
}

int Race::Starters() const {
  int n = 0;
  for (const Runner& r : runners) n += r.scratch == 0;
  return n;
}

int Race::Finishers() const {
  int n = 0;
  for (const Runner& r : runners) n += r.place > 0;
  return n;
}


// ---- World --------------------------------------------------------------------------------

World::World(uint64_t seed, const Date& start) : rng_(seed) {
  for (int i = 0; i < 150; ++i) jockeys_.push_back(NewPerson(i, i % 2, true));
  for (int i = 0; i < 200; ++i) trainers_.push_back(NewPerson(i, i % 2, false));

  // The horses in training on the first day: crops of 2 to 7 year olds, the older ones spread
  // over the classes by ability.
  year_ = start.y;
  const int startSerial = start.Serial();
  const int cropSize[6] = {3200, 3200, 1800, 1300, 800, 400};
  for (int a = 2; a <= 7; ++a) {
    const int by = start.y - a;
    std::vector<int> crop;
    for (int k = 0; k < cropSize[a - 2]; ++k) crop.push_back(NewHorse(by));
    if (a == 2) continue;  // debuts from June
    // Rank the crop by ability seen through noise: the better ones have won more.
    std::vector<std::pair<double, int>> order;
    for (int h : crop) order.push_back({horses_[static_cast<size_t>(h)].ability + 0.5 * rng_.Normal(), h});
    std::sort(order.begin(), order.end(), [](const auto& x, const auto& y) {
      return x.first != y.first ? x.first > y.first : x.second < y.second;
    });
    const size_t n = order.size();
    for (size_t q = 0; q < n; ++q) {
      Horse& h = horses_[static_cast<size_t>(order[q].second)];
      const double rank = static_cast<double>(q) / static_cast<double>(n);
      if (a == 3) {
        h.cls = rank < 0.02 ? 4 : rank < 0.10 ? 2 : rank < 0.40 ? 1 : 0;
        h.debutSerial = rng_.Chance(0.75) ? startSerial - 30 : startSerial + rng_.Below(120);
        h.runs = h.debutSerial < startSerial ? 1 + rng_.Below(4) + (h.cls > 0 ? 2 : 0) : 0;
      } else {
        h.cls = rank < 0.10 ? 4 : rank < 0.25 ? 3 : rank < 0.55 ? 2 : 1;
        h.debutSerial = startSerial - 400;
        h.runs = 4 + rng_.Below(16);
        if (rng_.Chance(0.05)) {
          h.jumper = true;
          h.surface = kJumpCourse;
          h.cls = rng_.Chance(0.6) ? 0 : 4;
          h.distance = 3000;
        }
      }
      h.wins = h.cls == 4 ? 4 : h.cls;
      if (h.runs > 0) {
        h.lastRunSerial = startSerial - 14 - rng_.Below(50);
        h.readySerial = startSerial + rng_.Below(35);
      }
    }
  }
}

Person World::NewPerson(int index, int region, bool jockey) {
  Person p;
  char code[16];
  std::snprintf(code, sizeof code, "%05d", ((jockey ? 1000 : 100) + index * 7) % 100000);
  p.code = code;
  const auto& sn = Surnames();
  const auto& gc = GivenChars();
  std::string name = sn[static_cast<size_t>(rng_.Below(static_cast<int>(sn.size())))];
  while (name.size() < 8) name += gc[static_cast<size_t>(rng_.Below(static_cast<int>(gc.size())))];
  p.shortName = PadWide(name, 8);
  p.region = region;
  if (jockey && index >= 130) p.apprentice = index >= 147 ? '4' : static_cast<char>('1' + (index - 130) % 3);
  return p;
}

std::string World::NewHorseName() {
  const auto& pre = NamePrefixes();
  const auto& suf = NameSuffixes();
  const auto& syl = Syllables();
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::string n;
    if (attempt < 20 && rng_.Chance(0.45)) {
      n = pre[static_cast<size_t>(rng_.Below(static_cast<int>(pre.size())))] +
          suf[static_cast<size_t>(rng_.Below(static_cast<int>(suf.size())))];
    } else {
      const int len = 3 + rng_.Below(5);
      for (int i = 0; i < len; ++i) {
        // "ン" and "ー" never open a name.
        int k = rng_.Below(static_cast<int>(syl.size()) - (i == 0 ? 2 : 0));
        n += syl[static_cast<size_t>(k)];
      }
    }
    if (n.size() > 18) continue;  // nine full-width characters at most
    if (names_.insert(n).second) return PadWide(n, 36);
  }
  // Practically unreachable: a long syllable name is always found.
  std::string n;
  for (int i = 0; i < 9; ++i) n += syl[static_cast<size_t>(rng_.Below(60))];
  names_.insert(n);
  return PadWide(n, 36);
}

int World::NewHorse(int birthYear) {
  Horse h;
  int& serial = serialByYear_[static_cast<size_t>(birthYear % 10000)];
  if (serial == 0) serial = 100000;
  ++serial;
  char id[16];
  std::snprintf(id, sizeof id, "%04d%06d", birthYear % 10000, serial % 1000000);
  h.id = id;
  h.name = NewHorseName();
  h.birthYear = birthYear;
  h.sex = rng_.Chance(0.5) ? '1' : '2';
  h.ability = rng_.Normal();
  h.mud = 0.15 * rng_.Normal();
  h.style = rng_.Uniform();
  h.region = rng_.Below(2);
  h.surface = rng_.Chance(0.5) ? kTurf : kDirt;
  h.distance = h.surface == kTurf ? Clamp(static_cast<int>(1800 + 380 * rng_.Normal()), 1000, 3200)
                                  : Clamp(static_cast<int>(1500 + 260 * rng_.Normal()), 1000, 2500);
  h.bodyWeight = Clamp(static_cast<int>(470 + 26 * rng_.Normal()), 380, 580);
  h.blinker = rng_.Chance(0.1);
  const int t = rng_.Below(100) * 2 + h.region;  // trainers alternate east and west
  h.trainer = t % static_cast<int>(trainers_.size());
  h.jockey = (rng_.Below(75) * 2 + h.region) % static_cast<int>(jockeys_.size());
  h.debutSerial = Date{birthYear + 2, 6, 1}.Serial() + rng_.Below(330);
  horses_.push_back(h);
  return static_cast<int>(horses_.size()) - 1;
}

void World::StartYear(int year) {
  for (int y = year_ + 1; y <= year; ++y) {
    for (int k = 0; k < 3200; ++k) NewHorse(y - 2);
    for (Horse& h : horses_)
      if (!h.retired && h.Age(y) >= 8) h.retired = true;
  }
  year_ = year;
}

void World::BuildBuckets(int serial, int month) {
  for (auto& row : buckets_)
    for (auto& b : row) b.clear();
  for (size_t i = 0; i < horses_.size(); ++i) {
    Horse& h = horses_[i];
    if (h.retired) continue;
    const int age = h.Age(year_);
    if (age < 2 || h.debutSerial > serial + 30) continue;
    // Flat maidens leave at the end of the 3-year-old summer: some go jumping, most retire.
    if (!h.jumper && h.cls == 0 && (age >= 4 || (age == 3 && month >= 10))) {
      if (h.sex != '2' && rng_.Chance(0.2)) {
        h.jumper = true;
        h.surface = kJumpCourse;
        h.distance = 3000;
      } else {
        h.retired = true;
        continue;
      }
    }
    buckets_[h.jumper ? 2 : h.surface][h.cls].push_back(static_cast<int>(i));
  }
}

std::vector<Race> World::RunDay(const RaceDay& rd) {
  if (rd.date.y != year_) StartYear(rd.date.y);
  const int serial = rd.date.Serial();
  const int month = rd.date.m;
  BuildBuckets(serial, month);
  Rng dayRng = rng_.Fork(static_cast<uint64_t>(serial));
  std::vector<uint8_t> busy(horses_.size(), 0);
  std::vector<Race> races;

  for (size_t v = 0; v < rd.venues.size(); ++v) {
    const VenueDay& vd = rd.venues[v];
    // The day's weather and going at this venue.
    char weather = '1', turf = '1', dirt = '1';
    const double w = dayRng.Uniform();
    if (w < 0.55) weather = '1';
    else if (w < 0.83) weather = '2';
    else if (w < 0.91) weather = '3';
    else if (w < 0.97) weather = '4';
    else weather = (month <= 2 || month == 12) ? '5' : '3';
    if (weather == '3' || weather == '5') {
      turf = dayRng.Chance(0.5) ? '3' : '4';
      dirt = dayRng.Chance(0.5) ? '3' : '4';
    } else if (weather == '4' || dayRng.Chance(0.15)) {
      turf = '2';
      dirt = dayRng.Chance(0.5) ? '2' : '3';
    }
    // Post times: the first race at about 09:50, then every 25 to 35 minutes.
    int post = 9 * 60 + 50 + 5 * static_cast<int>(v) + (dayRng.Chance(0.2) ? 10 : 0);
    // A start-time change now and then: from one race on, the venue runs a few minutes late.
    int delayFrom = 99, delay = 0, announced = -1;
    if (dayRng.Chance(0.2)) {
      delayFrom = dayRng.Range(5, 12);
      delay = dayRng.Chance(0.5) ? 5 : 10;
    }
    for (int r = 1; r <= 12; ++r) {
      Race race;
      race.date = rd.date;
      race.weekdayCode = rd.weekdayCode;
      race.venue = vd.venue;
      race.meeting = vd.meeting;
      race.day = vd.day;
      race.number = r;
      race.weather = weather;
      race.turfGoing = turf;
      race.dirtGoing = dirt;
      race.postTimeCard = post;
      race.postTime = post;
      if (r >= delayFrom) {
        if (announced < 0) announced = post - 40 - dayRng.Below(30);
        race.postTime = post + delay;
        race.changeAnnounced = announced;
      }
      Rng raceRng = dayRng.Fork(static_cast<uint64_t>(v * 100 + static_cast<size_t>(r)));
      PlanRace(race, vd, r, serial, raceRng, -1);
      Enter(race, serial, raceRng, busy);
      // A race that does not fill (too few eligible horses) becomes an ordinary race for
      // older horses, as a real programme would have written it.
      for (int fallback = 1; race.Entered() < 5 && fallback <= 3; ++fallback) {
        for (const Runner& ru : race.runners) busy[static_cast<size_t>(ru.horse)] = 0;
        race.runners.clear();
        race.special = false;
        race.grade = ' ';
        race.name.clear();
        race.specialNo = race.runningNo = 0;
        race.added = {};
        PlanRace(race, vd, r, serial, raceRng, fallback);
        Enter(race, serial, raceRng, busy);
      }
      Run(race, raceRng);
      Price(race, raceRng);
      PayOut(race);
      Settle(race, serial, raceRng);
      races.push_back(std::move(race));
      post += 25 + dayRng.Below(11);
    }
  }
  return races;
}

void World::PlanRace(Race& race, const VenueDay& vd, int r, int serial, Rng& rng, int forceClass) {
  (void)serial;
  const int m = race.date.m;
  const int vi = VenueIndex(vd.venue);
  const bool sunday = race.weekdayCode != '1';
  int kindFlat = m <= 5 ? 14 : 13;  // older horses: 4yo and up until May, 3yo and up after
  int kind = kindFlat, cls = 1;
  bool newcomer = false, jump = false;
  const bool twoYo = m >= 6;

  switch (forceClass >= 0 ? 0 : r) {
    case 0: cls = forceClass; break;
    case 1:
    case 2:
    case 3:
      kind = m <= 9 ? 12 : 11;
      cls = 0;
      if (m <= 9 && m >= 6 && r == 3) kind = 11;
      break;
    case 4:
      if (vi != 0 && vi != 1 && rng.Chance(0.4)) {
        jump = true;
        kind = m <= 5 ? 19 : 18;
        cls = rng.Chance(0.6) ? 0 : 4;
      } else {
        kind = twoYo ? 11 : 12;
        cls = 0;
        newcomer = twoYo;
      }
      break;
    case 5:
      if (twoYo) {
        kind = 11;
        cls = 0;
        newcomer = true;
      } else if (m <= 3) {
        kind = 12;
        cls = 0;
        newcomer = true;
      } else {
        kind = 12;
        cls = 1;
      }
      break;
    case 6:
    case 7: cls = 1; if (m <= 6 && r == 7 && rng.Chance(0.4)) kind = 12; break;
    case 8: cls = rng.Chance(0.5) ? 1 : 2; break;
    case 9:
      race.special = true;
      if (m <= 6 && rng.Chance(0.4)) {
        kind = 12;
        cls = 1;
      } else if (m >= 9 && rng.Chance(0.3)) {
        kind = 11;
        cls = 1;
      } else {
        cls = 2;
      }
      break;
    case 10: race.special = true; cls = rng.Chance(0.5) ? 2 : 3; break;
    case 11:
      race.special = true;
      cls = rng.Chance(0.3) ? 3 : 4;
      if (m <= 6 && rng.Chance(0.3)) kind = 12;
      break;
    default: cls = rng.Chance(0.6) ? 1 : 2; break;
  }
  race.kind = kind;
  race.cls = cls;

  // Grade: graded stakes on Sunday main races, listed and other stakes, specials.
  if (race.special) {
    race.grade = 'E';
    if (cls == 4) {
      const double g = rng.Uniform();
      const double gradedChance = sunday ? 0.45 : 0.2;
      if (g < gradedChance) {
        const double k = rng.Uniform();
        race.grade = k < 0.12 ? 'A' : k < 0.4 ? 'B' : k < 0.85 ? 'C' : 'D';
      } else if (g < gradedChance + 0.25) {
        race.grade = 'L';
      } else {
        race.grade = ' ';  // an open race without a grade
      }
    }
  }
  if (jump && cls == 4 && rng.Chance(0.08)) {
    race.grade = rng.Chance(0.2) ? 'F' : rng.Chance(0.5) ? 'G' : 'H';
    race.special = true;
  }

  // Course.
  if (jump) {
    race.surface = kJumpCourse;
    race.distance = kJumpDistances[rng.Below(8)];
    race.track = 51 + rng.Below(4);
  } else {
    const bool turfRace = (r % 2 == 0) ? rng.Chance(0.65) : rng.Chance(0.4);
    race.surface = turfRace ? kTurf : kDirt;
    const auto& ds = turfRace ? TurfDistances(vi) : DirtDistances(vi);
    race.distance = ds[static_cast<size_t>(rng.Below(static_cast<int>(ds.size())))];
    if (turfRace) {
      race.track = LeftHanded(vi) ? 11 : 17;
      if (race.distance == 1000 && vi == 3) race.track = 10;
      else if (race.distance >= 1600 && rng.Chance(0.35)) race.track = LeftHanded(vi) ? 12 : 18;
    } else {
      race.track = LeftHanded(vi) ? 23 : 24;
    }
  }

  // Age conditions: 2yo, 3yo, 4yo, 5yo and older, youngest.
  const int code = ClassCode(cls, newcomer);
  race.cond = {0, 0, 0, 0, 0};
  switch (kind) {
    case 11: race.cond[0] = code; break;
    case 12: race.cond[1] = code; break;
    case 13:
    case 18: race.cond[1] = race.cond[2] = race.cond[3] = code; break;
    default: race.cond[2] = race.cond[3] = code; break;
  }
  race.cond[4] = code;

  // Symbol and weight rule.
  const bool fillies = !jump && rng.Chance(0.12);
  const char* mixed = rng.Chance(0.5) ? "A" : "0";
  char sym[4];
  std::snprintf(sym, sizeof sym, "%s%s", mixed, fillies ? "20" : (rng.Chance(0.5) ? "01" : "00"));
  race.symbol = sym;
  if (cls == 0) race.weightRule = '3';
  else if (race.grade == 'A') race.weightRule = (kind == 11 || kind == 12) ? '3' : '4';
  else if (race.special && cls >= 3) race.weightRule = rng.Chance(0.35) ? '1' : '2';
  else if (race.special) race.weightRule = rng.Chance(0.2) ? '1' : '4';
  else race.weightRule = '4';
  if (jump) race.weightRule = cls == 4 ? '2' : '4';

  // Names of special races: the same slot of the calendar keeps its name from year to year.
  if (race.special) {
    const auto& words = RaceWords();
    const auto& sfx = (race.grade == ' ' || race.grade == 'E') ? SpecialSuffixes() : StakesSuffixes();
    const uint64_t h = static_cast<uint64_t>(vi * 1000 + m * 40 + vd.day * 3 + r) * 2654435761ULL;
    const std::string& wd = words[h % words.size()];
    std::string nm = wd + sfx[(h >> 20) % sfx.size()];
    if (race.grade == 'L' || race.grade == 'D') nm = wd + J("ステークス");
    race.name = nm;
    race.specialNo = static_cast<int>(h % 9000) + 100;
    race.runningNo = race.grade == 'E' ? 0 : static_cast<int>((h >> 8) % 60) + race.date.y - 2000;
  }

  // Prize money (100-yen units): first prize by class, the rest as JRA shares it.
  static const long firstByClass[5] = {55000, 78000, 106000, 154000, 220000};
  long first = firstByClass[cls];
  if (race.grade == 'L') first = 250000;
  if (race.grade == 'D' || race.grade == 'C' || race.grade == 'H') first = 400000;
  if (race.grade == 'B' || race.grade == 'G') first = 600000;
  if (race.grade == 'A' || race.grade == 'F') first = 1500000;
  if (jump && cls == 0) first = 70000;
  race.prize = {first, first * 4 / 10, first / 4, first * 15 / 100, first / 10, 0, 0};
  if (race.special) race.added = {first / 50, first / 140, first / 200, 0, 0};
  race.poolScale = (0.6 + 0.25 * cls) * (race.grade == 'A' ? 8.0 : (race.grade >= 'B' && race.grade <= 'D') ? 2.5 : 1.0) *
                   (0.8 + 0.4 * rng.Uniform());
}

void World::Enter(Race& race, int serial, Rng& rng, std::vector<uint8_t>& busy) {
  const int vi = VenueIndex(race.venue);
  const int region = VenueRegion(vi);
  const bool filliesOnly = race.symbol.size() == 3 && race.symbol[1] == '2';
  const bool newcomer = race.cond[4] == 701;
  const int surface = race.surface;
  auto ageOk = [&](int age) {
    switch (race.kind) {
      case 11: return age == 2;
      case 12: return age == 3;
      case 13:
      case 18: return age >= 3;
      default: return age >= 4;
    }
  };

  int target;
  if (surface == kJumpCourse) target = 7 + rng.Below(8);
  else if (newcomer) target = 8 + rng.Below(11);
  else target = rng.Chance(0.3) ? 16 + rng.Below(3) : 8 + rng.Below(10);

  struct Cand {
    double score;
    int horse;
  };
  std::vector<Cand> cands;
  auto gather = [&](int bucketSurface, int cls, bool ignoreRest, double bonus) {
    for (int hi : buckets_[bucketSurface][cls]) {
      const Horse& h = horses_[static_cast<size_t>(hi)];
      if (busy[static_cast<size_t>(hi)] || h.retired || h.debutSerial > serial) continue;
      if (!ignoreRest && h.readySerial > serial) continue;
      if (!ageOk(h.Age(race.date.y))) continue;
      if (filliesOnly && h.sex != '2') continue;
      if (newcomer && h.runs > 0) continue;
      const double wait = std::min(60, std::max(0, serial - h.readySerial)) / 60.0;
      // Horses keep to their region and their distance, so the same rivals meet again.
      const double score = bonus - std::abs(race.distance - h.distance) / 250.0 + (h.region == region ? 1.5 : 0.0) +
                           0.8 * rng.Uniform() + 0.8 * wait;
      cands.push_back({score, hi});
    }
  };
  const int bucketSurface = surface;
  gather(bucketSurface, race.cls, false, 0.0);
  if (race.cls == 0 && surface != kJumpCourse) gather(1 - bucketSurface, 0, false, -0.8);
  if (static_cast<int>(cands.size()) < target && race.cls > 0) gather(bucketSurface, race.cls - 1, false, -1.5);
  if (static_cast<int>(cands.size()) < 5) gather(bucketSurface, race.cls, true, -3.0);
  if (static_cast<int>(cands.size()) < 5 && surface != kJumpCourse) gather(1 - bucketSurface, race.cls, false, -4.0);
  if (static_cast<int>(cands.size()) < 5 && surface != kJumpCourse)
    for (int c = 0; c < 5; ++c) gather(bucketSurface, c, true, -6.0);
  std::sort(cands.begin(), cands.end(), [](const Cand& a, const Cand& b) {
    return a.score != b.score ? a.score > b.score : a.horse < b.horse;
  });
  // A horse found through two buckets is entered once.
  std::vector<int> chosen;
  for (const Cand& c : cands) {
    if (static_cast<int>(chosen.size()) >= target) break;
    if (std::find(chosen.begin(), chosen.end(), c.horse) != chosen.end()) continue;
    chosen.push_back(c.horse);
  }
  // The draw decides the horse numbers.
  for (size_t i = chosen.size(); i > 1; --i) std::swap(chosen[i - 1], chosen[static_cast<size_t>(rng.Below(static_cast<int>(i)))]);

  const int n = static_cast<int>(chosen.size());
  std::vector<uint8_t> jockeyUsed(jockeys_.size(), 0);
  // Handicaps: the better horses carry more.
  double abilityMax = -9, abilityMin = 9;
  for (int hi : chosen) {
    abilityMax = std::max(abilityMax, horses_[static_cast<size_t>(hi)].ability);
    abilityMin = std::min(abilityMin, horses_[static_cast<size_t>(hi)].ability);
  }
  for (int i = 0; i < n; ++i) {
    const int hi = chosen[static_cast<size_t>(i)];
    Horse& h = horses_[static_cast<size_t>(hi)];
    busy[static_cast<size_t>(hi)] = 1;
    Runner ru;
    ru.horse = hi;
    ru.number = i + 1;
    ru.frame = BracketOfHorse(n, i + 1);
    ru.age = h.Age(race.date.y);
    ru.sex = (h.sex == '1' && ru.age >= 4 && std::atoi(h.id.c_str() + 4) % 11 == 0) ? '3' : h.sex;  // some colts are gelded
    int j = h.jockey;
    if (jockeyUsed[static_cast<size_t>(j)]) {
      do j = rng.Below(static_cast<int>(jockeys_.size()));
      while (jockeyUsed[static_cast<size_t>(j)]);
    }
    jockeyUsed[static_cast<size_t>(j)] = 1;
    ru.jockey = j;
    // Carried weight by the weight rule, age and sex.
    const bool female = ru.sex == '2';
    int w;
    if (surface == kJumpCourse) {
      w = female ? 580 : 600;
      if (race.weightRule == '2') w += 10 * std::min(3, h.wins);
    } else if (race.weightRule == '3') {
      w = ru.age == 2 ? 550 : 570;
      if (female) w -= 20;
    } else if (race.weightRule == '1') {
      const double span = abilityMax - abilityMin;
      const double rel = span > 0 ? (h.ability - abilityMin) / span : 0.5;
      w = 500 + 5 * static_cast<int>(std::lround(rel * 16));
    } else {
      w = ru.age == 3 ? (race.date.m >= 9 ? 560 : 550) : 580;
      if (female) w -= 20;
      if (race.weightRule == '2') w += 10 * std::min(3, std::max(0, h.wins - race.cls));
    }
    const char app = jockeys_[static_cast<size_t>(j)].apprentice;
    if (app != '0' && !race.special && race.weightRule != '1' && surface != kJumpCourse) {
      ru.apprentice = app;
      w -= 10 * (app - '0');
    }
    ru.weight = w;
    // Body weight and its change since the last run.
    ru.debut = h.runs == 0;
    ru.bodyDiff = ru.debut ? 0 : 2 * static_cast<int>(std::lround(2.2 * rng.Normal()));
    ru.bodyWeight = Clamp(h.bodyWeight + ru.bodyDiff, 360, 600);
    // How the horse can run today.
    double e = h.ability + AgeEffect(ru.age, race.date.m);
    if (surface != kJumpCourse && h.surface != surface) e -= 0.6;
    e -= std::abs(race.distance - h.distance) / 1600.0;
    const char going = surface == kDirt ? race.dirtGoing : race.turfGoing;
    e += h.mud * (going - '1');
    e -= (w - 550) * 0.008;
    ru.expected = e;
    race.runners.push_back(ru);
  }

  // Withdrawals: before sales open (cancelled) or after (scratched at the gate).
  if (n >= 8 && rng.Chance(0.05)) {
    Runner& ru = race.runners[static_cast<size_t>(rng.Below(n))];
    ru.scratch = 1;
    ru.abnormal = '1';
  }
  if (n >= 8 && rng.Chance(0.03)) {
    Runner& ru = race.runners[static_cast<size_t>(rng.Below(n))];
    if (ru.scratch == 0) {
      ru.scratch = 2;
      ru.abnormal = '2';
    }
  }
}

void World::Run(Race& race, Rng& rng) {
  const int n = race.Entered();
  const bool jump = race.surface == kJumpCourse;
  std::vector<int> order;  // finishers, best first
  std::vector<int> dnf;
  for (int i = 0; i < n; ++i) {
    Runner& ru = race.runners[static_cast<size_t>(i)];
    if (ru.scratch) continue;
    ru.perf = ru.expected + 0.55 * rng.Normal();
    if (rng.Chance(jump ? 0.05 : 0.006)) {
      ru.abnormal = '4';
      dnf.push_back(i);
    } else {
      order.push_back(i);
    }
  }
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const double pa = race.runners[static_cast<size_t>(a)].perf, pb = race.runners[static_cast<size_t>(b)].perf;
    return pa != pb ? pa > pb : a < b;
  });
  if (order.empty()) return;

  // Winner's time from the course's par, going and class.
  const char going = race.surface == kDirt ? race.dirtGoing : race.turfGoing;
  const double furlongs = race.distance / 200.0;
  double per = race.surface == kTurf ? 118.0 + (race.distance - 1600) / 400.0 * 1.0
             : race.surface == kDirt ? 124.0 + (race.distance - 1600) / 400.0 * 1.2
                                     : 136.0;
  if (race.surface == kTurf) per += 0.6 * (going - '1');
  if (race.surface == kDirt) per -= 0.3 * (going - '1');
  per -= 0.4 * race.cls;
  const Runner& best = race.runners[static_cast<size_t>(order[0])];
  const int winTime = static_cast<int>(std::lround(per * furlongs - 4.0 * best.perf * furlongs / 8.0 + 3.0 * rng.Normal()));
  const double scale = 9.0 * race.distance / 1600.0;
  int prev = winTime;
  for (size_t q = 0; q < order.size(); ++q) {
    Runner& ru = race.runners[static_cast<size_t>(order[q])];
    int t = winTime + static_cast<int>(std::lround((best.perf - ru.perf) * scale));
    ru.time = std::max(t, prev);
    prev = ru.time;
    ru.arrival = static_cast<int>(q) + 1;
    ru.place = static_cast<int>(q) + 1;
  }
  // A rare dead heat: two horses share a place and a time.
  if (order.size() >= 4 && rng.Chance(0.004)) {
    const size_t p = static_cast<size_t>(rng.Below(static_cast<int>(std::min<size_t>(5, order.size() - 1))));
    Runner& a = race.runners[static_cast<size_t>(order[p])];
    Runner& b = race.runners[static_cast<size_t>(order[p + 1])];
    b.time = a.time;
    b.place = a.place;
    a.deadHeat = b.deadHeat = true;
  }
  const int second = order.size() > 1 ? race.runners[static_cast<size_t>(order[1])].time : winTime;
  for (int i : order) {
    Runner& ru = race.runners[static_cast<size_t>(i)];
    ru.timeDiff = ru.arrival == 1 ? -(second - winTime) : ru.time - winTime;
  }

  // Closing sections: the winner's last 3 furlongs, the others from their margin and style.
  const int l3w = Clamp(static_cast<int>(std::lround((race.surface == kTurf ? 345 : race.surface == kDirt ? 370 : 390) +
                                                     5.0 * (going - '1') + (race.distance - 1600) / 200.0 * 1.5 +
                                                     6.0 * rng.Normal())),
                        320, 450);
  for (int i : order) {
    Runner& ru = race.runners[static_cast<size_t>(i)];
    const Horse& h = horses_[static_cast<size_t>(ru.horse)];
    ru.last3 = std::max(l3w - 8, l3w + static_cast<int>(std::lround((ru.time - winTime) * 0.4 - (h.style - 0.5) * 12 + 4 * rng.Normal())));
    if (ru.arrival == 1) ru.last3 = l3w;
    ru.last4 = ru.last3 + 115 + static_cast<int>(std::lround(3 * rng.Normal()));
  }

  // Corner positions: early on by running style, later more and more by the finish.
  int corners = 4;
  if (race.track == 10 || race.track == 29) corners = 0;
  else if (!jump && race.distance <= 1400) corners = 2;
  std::vector<int> running = order;
  running.insert(running.end(), dnf.begin(), dnf.end());
  const double m = static_cast<double>(running.size());
  static const double weightOfFinish[4] = {0.1, 0.2, 0.4, 0.65};
  for (int c = 4 - corners; c < 4; ++c) {
    std::vector<std::pair<double, int>> pos;
    for (size_t q = 0; q < running.size(); ++q) {
      const int i = running[q];
      const Horse& h = horses_[static_cast<size_t>(race.runners[static_cast<size_t>(i)].horse)];
      const double fin = static_cast<double>(q) / m;
      pos.push_back({(1 - weightOfFinish[c]) * h.style + weightOfFinish[c] * fin + 0.08 * rng.Normal(), i});
    }
    std::sort(pos.begin(), pos.end());
    for (size_t k = 0; k < pos.size(); ++k) race.runners[static_cast<size_t>(pos[k].second)].corner[static_cast<size_t>(c)] = static_cast<int>(k) + 1;
  }
  for (int i : dnf) {  // a horse pulled up is not seen at the last corners
    Runner& ru = race.runners[static_cast<size_t>(i)];
    ru.corner[3] = 0;
    if (corners == 4) ru.corner[2] = 0;
  }
  for (int i : running) {
    Runner& ru = race.runners[static_cast<size_t>(i)];
    const int first = corners == 0 ? ru.arrival : ru.corner[static_cast<size_t>(4 - corners)];
    const double rel = static_cast<double>(first) / m;
    ru.style = first == 1 ? 1 : rel <= 0.35 ? 2 : rel <= 0.7 ? 3 : 4;
    if (ru.place >= 1 && ru.place <= 5) ru.prize = race.prize[static_cast<size_t>(ru.place - 1)];
    if (ru.place >= 1 && ru.place <= 5) ru.addedPrize = race.added[static_cast<size_t>(ru.place - 1)];
  }

  // The winner's 200 m laps (flat races): a quick start, an even middle, the last three
  // furlongs as run; the middle absorbs the rounding so the laps add up to the time.
  if (!jump) {
    const int lapCount = (race.distance + 199) / 200;
    race.laps.assign(static_cast<size_t>(lapCount), 0);
    const int firstLap = race.distance % 200 == 0 ? 124 : (race.distance % 200) * 124 / 200 + 10;
    race.laps[0] = firstLap;
    int rest = winTime - firstLap;
    const int tailCount = std::min(3, lapCount - 1);
    int tail = tailCount == 3 ? l3w : rest * tailCount / std::max(1, lapCount - 1);
    for (int k = 0; k < tailCount; ++k) race.laps[static_cast<size_t>(lapCount - tailCount + k)] = tail / tailCount + (k < tail % tailCount ? 1 : 0);
    rest -= tail;
    const int mid = lapCount - 1 - tailCount;
    for (int k = 0; k < mid; ++k) race.laps[static_cast<size_t>(1 + k)] = rest / mid + (k < rest % mid ? 1 : 0);
    if (mid == 0 && lapCount > 1) race.laps[static_cast<size_t>(lapCount - 1)] += rest;
  }
}

void World::Price(Race& race, Rng& rng) {
  MarketField& f = race.field;
  f.entered = race.Entered();
  for (int i = 0; i < f.entered; ++i) {
    const Runner& ru = race.runners[static_cast<size_t>(i)];
    f.frame[static_cast<size_t>(i)] = ru.frame;
    f.scratch[static_cast<size_t>(i)] = ru.scratch;
    // The public sees the horse's form through its own noise.
    f.strength[static_cast<size_t>(i)] = std::exp(1.6 * (ru.expected + 0.3 * rng.Normal()));
  }
  race.marketSeed = rng.Next();
  Rng mrng(race.marketSeed);
  race.finalMarket = BuildMarket(f, race.poolScale, 0.25, mrng, false);
  const Pool& win = race.finalMarket.pools[kWin];
  for (int i = 0; i < f.entered; ++i) {
    Runner& ru = race.runners[static_cast<size_t>(i)];
    if (ru.scratch) continue;
    ru.winOdds = win.odds[static_cast<size_t>(i)];
    ru.popularity = PopularityOf(win, i);
  }
}

void PayOut(Race& race) {
  for (auto& p : race.payouts) p.clear();
  // Every finishing order the result allows (a dead heat allows both orders of the pair).
  std::vector<int> base;  // horse numbers by arrival
  for (const Runner& ru : race.runners)
    if (ru.place > 0) base.push_back(ru.number);
  std::sort(base.begin(), base.end(), [&](int a, int b) {
    return race.runners[static_cast<size_t>(a - 1)].arrival < race.runners[static_cast<size_t>(b - 1)].arrival;
  });
  if (base.empty()) return;
  std::vector<std::vector<int>> orders = {base};
  for (size_t q = 0; q + 1 < base.size(); ++q) {
    if (race.runners[static_cast<size_t>(base[q] - 1)].place == race.runners[static_cast<size_t>(base[q + 1] - 1)].place) {
      std::vector<int> alt = base;
      std::swap(alt[q], alt[q + 1]);
      orders.push_back(alt);
    }
  }
  const int places = race.field.PlacesPaid();
  static constexpr size_t kCap[kBetTypes] = {3, 5, 3, 3, 7, 6, 3, 6};
  std::array<std::vector<std::array<int, 3>>, kBetTypes> combos;
  auto add = [&](int t, std::array<int, 3> c) {
    auto& v = combos[static_cast<size_t>(t)];
    if (std::find(v.begin(), v.end(), c) == v.end()) v.push_back(c);
  };
  auto frameOf = [&](int h) { return race.runners[static_cast<size_t>(h - 1)].frame; };
  for (const auto& o : orders) {
    const size_t k = o.size();
    add(kWin, {o[0], 0, 0});
    for (size_t q = 0; q < static_cast<size_t>(places) && q < k; ++q) add(kPlace, {o[q], 0, 0});
    if (k >= 2) {
      add(kBracket, {std::min(frameOf(o[0]), frameOf(o[1])), std::max(frameOf(o[0]), frameOf(o[1])), 0});
      add(kQuinella, {std::min(o[0], o[1]), std::max(o[0], o[1]), 0});
      add(kExacta, {o[0], o[1], 0});
    }
    if (k >= 3) {
      add(kWide, {std::min(o[0], o[1]), std::max(o[0], o[1]), 0});
      add(kWide, {std::min(o[0], o[2]), std::max(o[0], o[2]), 0});
      add(kWide, {std::min(o[1], o[2]), std::max(o[1], o[2]), 0});
      std::array<int, 3> t3 = {o[0], o[1], o[2]};
      std::sort(t3.begin(), t3.end());
      add(kTrio, t3);
      add(kTrifecta, {o[0], o[1], o[2]});
    }
  }
  // A dead heat for the last paid place pays one more place.
  if (places > 0 && base.size() > static_cast<size_t>(places)) {
    const Runner& last = race.runners[static_cast<size_t>(base[static_cast<size_t>(places - 1)] - 1)];
    const Runner& next = race.runners[static_cast<size_t>(base[static_cast<size_t>(places)] - 1)];
    if (last.place == next.place) add(kPlace, {next.number, 0, 0});
  }

  for (int t = 0; t < kBetTypes; ++t) {
    const Pool& pool = race.finalMarket.pools[static_cast<size_t>(t)];
    if (!pool.sold) continue;
    auto& list = combos[static_cast<size_t>(t)];
    if (list.size() > kCap[t]) list.resize(kCap[t]);
    std::vector<int> slots;
    for (const auto& c : list) slots.push_back(SlotOf(t, c[0], c[1], c[2]));
    for (size_t q = 0; q < list.size(); ++q) {
      Payout p;
      p.numbers = list[q];
      p.yen = PayoutYen(pool, t, slots, slots[q]);
      p.popularity = PopularityOf(pool, slots[q]);
      race.payouts[static_cast<size_t>(t)].push_back(p);
    }
  }
}

void World::Settle(Race& race, int serial, Rng& rng) {
  for (const Runner& ru : race.runners) {
    Horse& h = horses_[static_cast<size_t>(ru.horse)];
    if (ru.scratch) {
      h.readySerial = serial + 14;
      continue;
    }
    h.lastRunSerial = serial;
    h.readySerial = serial + 14 + rng.Below(42);
    ++h.runs;
    h.bodyWeight = ru.bodyWeight;
    if (ru.place == 1) {
      ++h.wins;
      if (h.jumper) h.cls = 4;
      else if (h.cls < 4) h.cls = std::min(4, std::max(h.cls, race.cls) + 1);
    }
    const int age = ru.age;
    if (age >= 8 || rng.Chance(0.03) || (ru.abnormal == '4' && rng.Chance(0.3))) h.retired = true;
  }
}

Race World::RunOutsideRace(const Date& date, char kind) {
  Race race;
  race.date = date;
  race.dataKind = kind;
  race.weekdayCode = date.Weekday() == 6 ? '1' : date.Weekday() == 0 ? '2' : '4';
  static const char* local[] = {"44", "45", "43", "42", "35", "47"};
  static const char* abroad[] = {"A6", "A8", "G0", "C7", "B6"};
  Rng rng = rng_.Fork(static_cast<uint64_t>(date.Serial()) * 31 + static_cast<uint64_t>(kind));
  race.venue = kind == 'A' ? local[rng.Below(6)] : abroad[rng.Below(5)];
  race.meeting = 1 + rng.Below(9);
  race.day = 1 + rng.Below(6);
  race.number = kind == 'A' ? 11 : 1 + rng.Below(10);
  race.postTime = race.postTimeCard = kind == 'A' ? 20 * 60 + 10 : 23 * 60 + 40;
  race.surface = kind == 'A' ? kDirt : kTurf;
  race.track = kind == 'A' ? 24 : 17;
  race.distance = kind == 'A' ? 2000 : 2400;
  race.kind = 13;
  race.cls = 4;
  race.cond = {0, 999, 999, 999, 999};
  race.special = true;
  race.grade = kind == 'A' ? ' ' : 'A';
  race.name = J(kind == 'A' ? "交流記念" : "国際招待");
  race.prize = {500000, 200000, 125000, 75000, 50000, 0, 0};
  // Visitors from the world's open class, plus local rivals not known to the world.
  std::vector<int> open;
  for (size_t i = 0; i < horses_.size() && open.size() < 400; ++i)
    if (!horses_[i].retired && !horses_[i].jumper && horses_[i].cls == 4) open.push_back(static_cast<int>(i));
  const int n = std::min<int>(static_cast<int>(open.size()), 8 + rng.Below(5));
  for (int i = 0; i < n; ++i) {
    Runner ru;
    ru.horse = open[static_cast<size_t>(rng.Below(static_cast<int>(open.size())))];
    bool dup = false;
    for (const Runner& o : race.runners) dup |= o.horse == ru.horse;
    if (dup) continue;
    const Horse& h = horses_[static_cast<size_t>(ru.horse)];
    ru.number = static_cast<int>(race.runners.size()) + 1;
    ru.age = h.Age(date.y);
    ru.sex = h.sex;
    ru.jockey = h.jockey;
    ru.weight = 570;
    ru.bodyWeight = h.bodyWeight;
    ru.expected = h.ability;
    race.runners.push_back(ru);
  }
  const int entered = race.Entered();
  for (Runner& ru : race.runners) ru.frame = BracketOfHorse(entered, ru.number);
  Run(race, rng);
  return race;
}

}  // namespace kv::sim
