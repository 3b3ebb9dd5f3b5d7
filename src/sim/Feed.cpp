#include "Feed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "Records.h"
#include "World.h"

namespace kv::sim {
namespace {

namespace fs = std::filesystem;

// "yyyymmddhhnnss" of a date and minutes after midnight.
std::string Ts(const Date& d, int minutes) {
  char b[32];
  std::snprintf(b, sizeof b, "%04d%02d%02d%02d%02d00", d.y % 10000, d.m % 100, d.d % 100, (minutes / 60) % 100, minutes % 60);
  return b;
}

// The first weekday after a race weekend, when the week's final results are published.
Date ResultsDay(const Date& last) {
  Date p = last.Plus(1);
  while (p.Weekday() == 0 || p.Weekday() == 6 || IsRacingDate(p)) p = p.Plus(1);
  return p;
}

class Writer {
 public:
  Writer(FeedStats& stats, std::string& error) : stats_(stats), error_(error) {}

  // Writes a new file through a temporary name, so a stopped run never leaves a short file
  // under a real name.
  bool Put(const fs::path& path, const std::string& data) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    fs::path tmp = path;
    tmp += ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      out.write(data.data(), static_cast<std::streamsize>(data.size()));
      if (!out) {
        error_ = "cannot write " + tmp.string();
        return false;
      }
    }
    fs::rename(tmp, path, ec);
    if (ec) {
      error_ = "cannot rename " + tmp.string() + ": " + ec.message();
      return false;
    }
    ++stats_.files;
    stats_.bytes += static_cast<long long>(data.size());
    return true;
  }

  // An accumulated-data file published at `ts`; files of one moment keep the order given.
  bool Accumulated(const fs::path& root, const std::string& ts, const char* label, const std::string& data) {
    if (data.empty()) return true;
    int& seq = seqByTs_[ts];
    ++seq;
    char name[64];
    std::snprintf(name, sizeof name, "%s-%02d-%s.jvd", ts.c_str(), seq % 100, label);
    return Put(root / "RACEDIFN" / name, data);
  }

 private:
  FeedStats& stats_;
  std::string& error_;
  std::map<std::string, int> seqByTs_;
};

std::string StripCrLf(const std::string& rec) { return rec.substr(0, rec.size() - 2); }

void RankAll(Market& m) {
  for (Pool& p : m.pools) RankPool(p);
}

// One odds snapshot of a race: when it was announced and the market then.
struct Snapshot {
  Date date;
  int minutes = 0;
  char kind = '1';
  bool final = false;
  Market market;
};

// The odds snapshots of a race: the close of day-before sales for the main races, interim odds
// through the race day (dense for a live day), and the final odds at the off.
std::vector<Snapshot> Snapshots(const Race& race, bool dense) {
  std::vector<Snapshot> out;
  static const int denseOffsets[] = {150, 90, 60, 30, 20, 10, 5, 2};
  static const int sparseOffsets[] = {60, 20, 5};
  std::vector<std::pair<Date, int>> times;  // announcement date and minute, minutes to post
  std::vector<int> toPost;
  if (race.number >= 9) {
    times.push_back({race.date.Plus(-1), 17 * 60});
    toPost.push_back(24 * 60);
  }
  const int* offs = dense ? denseOffsets : sparseOffsets;
  const int count = dense ? 8 : 3;
  for (int k = 0; k < count; ++k) {
    const int at = race.postTime - offs[k];
    if (at < 9 * 60) continue;  // sales open at nine
    times.push_back({race.date, at});
    toPost.push_back(offs[k]);
  }
  for (size_t k = 0; k < times.size(); ++k) {
    Snapshot s;
    s.date = times[k].first;
    s.minutes = times[k].second;
    s.kind = s.date == race.date ? '1' : '2';
    const double tau = std::min(1.0, toPost[k] / 180.0);
    MarketField f = race.field;
    Rng rng(race.marketSeed ^ (0x9E3779B97F4A7C15ULL * (k + 1)));
    for (int i = 0; i < f.entered; ++i) {
      // A runner scratched at the gate was still being bet on until its withdrawal.
      if (f.scratch[static_cast<size_t>(i)] == 2 && toPost[k] > 40 && s.date == race.date) f.scratch[static_cast<size_t>(i)] = 0;
      if (s.date != race.date && f.scratch[static_cast<size_t>(i)] == 2) f.scratch[static_cast<size_t>(i)] = 0;
      f.strength[static_cast<size_t>(i)] *= std::exp((0.05 + 0.35 * tau) * rng.Normal());
    }
    s.market = BuildMarket(f, race.poolScale * (0.2 + 0.8 * (1.0 - tau)), 0.3, rng, true);
    out.push_back(std::move(s));
  }
  Snapshot fin;
  fin.date = race.date;
  fin.minutes = race.postTime + 1;
  fin.kind = '3';
  fin.final = true;
  fin.market = race.finalMarket;
  RankAll(fin.market);
  out.push_back(std::move(fin));
  return out;
}

std::string OddsOf(const Race& race, const Snapshot& s, int type) {
  Stamp st{s.date, s.minutes};
  return MakeOdds(type, race, s.market, s.kind, s.date, s.final ? nullptr : &st);
}

// The time-series folder: <dir>/<yyyymmdd>/<venue meeting day race>.jvO1 .. .jvO6, one
// snapshot per line.
bool WriteTimeseries(Writer& w, const fs::path& dir, const Race& race, const std::vector<Snapshot>& snaps) {
  const std::string key = race.Key();
  const fs::path folder = dir / key.substr(0, 8);
  for (int t = 1; t <= 6; ++t) {
    std::string data;
    for (const Snapshot& s : snaps) {
      data += StripCrLf(OddsOf(race, s, t));
      data += "\r\n";
    }
    if (!w.Put(folder / (key.substr(8, 8) + ".jvO" + std::to_string(t)), data)) return false;
  }
  return true;
}

std::string RaceAndRunners(const World& world, const Race& race, char kind, const Date& made) {
  std::string s = MakeRA(world, race, kind, made);
  for (const Runner& ru : race.runners) s += MakeSE(world, race, ru, kind, made);
  return s;
}

// Records for the real-time files: "yyyymmddhhnnss record-without-CR-LF" lines.
void RtLine(std::string& out, const std::string& ts, const std::string& rec) {
  out += ts;
  out += ' ';
  out.append(rec, 0, rec.size() - 2);
  out += "\r\n";
}

class CommonOpponents {
 public:
  explicit CommonOpponents(size_t horses) : met_(horses) {}
  // Counts the pairs of this race (when `count`) and then records who met whom.
  void Race(const kv::sim::Race& race, bool count) {
    std::vector<int> field;
    for (const Runner& ru : race.runners)
      if (ru.scratch == 0) field.push_back(ru.horse);
    for (size_t a = 0; a < field.size() && count; ++a)
      for (size_t b = a + 1; b < field.size(); ++b) counts_.push_back(Common(field[a], field[b]));
    for (int h : field) {
      if (static_cast<size_t>(h) >= met_.size()) met_.resize(static_cast<size_t>(h) + 1);
      auto& m = met_[static_cast<size_t>(h)];
      for (int o : field)
        if (o != h) m.insert(std::lower_bound(m.begin(), m.end(), o), o);
      m.erase(std::unique(m.begin(), m.end()), m.end());
    }
  }
  double Median() {
    if (counts_.empty()) return 0;
    const size_t mid = counts_.size() / 2;
    std::nth_element(counts_.begin(), counts_.begin() + static_cast<long>(mid), counts_.end());
    return counts_[mid];
  }

 private:
  int Common(int a, int b) const {
    if (static_cast<size_t>(std::max(a, b)) >= met_.size()) return 0;
    const auto& x = met_[static_cast<size_t>(a)];
    const auto& y = met_[static_cast<size_t>(b)];
    int n = 0;
    for (size_t i = 0, j = 0; i < x.size() && j < y.size();) {
      if (x[i] < y[j]) ++i;
      else if (y[j] < x[i]) ++j;
      else ++n, ++i, ++j;
    }
    return n;
  }
  std::vector<std::vector<int>> met_;
  std::vector<int> counts_;
};

}  // namespace

FeedOptions DemoFeedOptions(const std::string& out, const Date& today, const std::string& timeseries) {
  FeedOptions o;
  o.out = out;
  o.seed = 20240601;
  o.from = today.Plus(-730);
  o.to = today.Plus(-1);
  o.hasToday = true;
  o.today = today;
  o.hasOddsFrom = true;
  o.oddsFrom = today.Plus(-14);
  o.timeseries = timeseries;
  return o;
}

bool GenerateFeed(const FeedOptions& o, FeedStats& stats, std::string& error) {
  stats = FeedStats{};
  if (o.out.empty()) {
    error = "no feed folder given";
    return false;
  }
  if (o.to < o.from) {
    error = "the history ends before it begins (--to is before --from)";
    return false;
  }
  if (o.hasToday && !(o.to < o.today)) {
    error = "--today must come after --to";
    return false;
  }
  const fs::path root(o.out);
  std::error_code ec;
  for (const char* sub : {"RACEDIFN", "0B30", "0B12", "0B14"}) fs::remove_all(root / sub, ec);
  fs::create_directories(root / "RACEDIFN", ec);
  if (ec) {
    error = "cannot create " + (root / "RACEDIFN").string() + ": " + ec.message();
    return false;
  }
  Writer w(stats, error);
  World world(o.seed, o.from);
  Calendar cal;
  CommonOpponents common(0);
  // Pairs are counted over the second half of the history, once the horses have a past.
  const int measureFrom = (o.from.Serial() + o.to.Serial()) / 2;

  // Race weekends: Tuesday to Monday, so a Monday holiday joins its weekend.
  auto weekKey = [](const Date& d) { return d.Serial() - (d.Weekday() + 5) % 7; };
  std::vector<std::vector<Date>> groups;
  for (int s = o.from.Serial(); s <= o.to.Serial(); ++s) {
    const Date d = Date::FromSerial(s);
    if (!IsRacingDate(d)) continue;
    if (groups.empty() || weekKey(groups.back().front()) != weekKey(d)) groups.emplace_back();
    groups.back().push_back(d);
  }
  const bool oddsOn = o.hasOddsFrom;
  auto withOdds = [&](const Date& d) { return oddsOn && !(d < o.oddsFrom); };
  const int lastWeek = groups.empty() ? 0 : weekKey(groups.back().front());
  const fs::path ts = o.timeseries.empty() ? fs::path() : fs::path(o.timeseries);

  // Publishes one race weekend (or the live day) as accumulated files.
  auto publish = [&](const std::vector<std::vector<Race>>& days, bool recent, bool live, size_t groupNo) -> bool {
    const Date first = days.front().front().date;
    const Date last = days.back().front().date;
    if (recent) {
      // Thursday: runner names; the day before each race day: the race card.
      const Date thu = first.Plus(-2);
      std::string names;
      for (const auto& day : days)
        for (const Race& r : day) names += RaceAndRunners(world, r, '1', thu);
      if (!w.Accumulated(root, Ts(thu, 17 * 60), "RACE", names)) return false;
      for (const auto& day : days) {
        const Date eve = day.front().date.Plus(-1);
        std::string card;
        for (const Race& r : day) card += RaceAndRunners(world, r, '2', eve);
        if (!w.Accumulated(root, Ts(eve, 10 * 60), "RACE", card)) return false;
      }
      // The race-day evening: flash results, flash payouts, and weather notes the store ignores.
      for (const auto& day : days) {
        const Date d = day.front().date;
        std::string flash, pay;
        std::string lastVenue;
        for (const Race& r : day) {
          if (r.venue != lastVenue) flash += MakeWE(r, d, Stamp{d, 8 * 60 + 30});
          lastVenue = r.venue;
          flash += RaceAndRunners(world, r, '6', d);
          pay += MakeHR(r, '1', d);
        }
        if (!w.Accumulated(root, Ts(d, 17 * 60 + 30), "RACE", flash)) return false;
        if (!w.Accumulated(root, Ts(d, 17 * 60 + 30), "PAY", pay)) return false;
      }
    }
    // The first weekday after: results, payouts and confirmed final odds.
    const Date pub = ResultsDay(last);
    const std::string pts = Ts(pub, 17 * 60);
    std::string results, pay, odds;
    bool noiseDone = false;
    for (const auto& day : days)
      for (const Race& r : day) {
        results += RaceAndRunners(world, r, '7', pub);
        pay += MakeHR(r, '2', pub);
        if (!withOdds(r.date)) continue;
        Market m = r.finalMarket;
        RankAll(m);
        for (int t = 1; t <= 6; ++t) odds += MakeOdds(t, r, m, '5', pub, nullptr);
        if (!noiseDone) {
          // A cancelled and a deleted win/place record: kinds a correct import never stores.
          std::string cancelled = MakeOdds(1, r, m, '9', pub, nullptr);
          std::string deleted = MakeOdds(1, r, m, '0', pub, nullptr);
          odds += cancelled;
          odds += deleted;
          noiseDone = true;
        }
      }
    if (!live && groupNo % 3 == 0) {
      // Now and then one of the world's horses runs outside the central tracks.
      const Race outside = world.RunOutsideRace(last, groupNo % 2 == 0 ? 'A' : 'B');
      results += RaceAndRunners(world, outside, outside.dataKind, pub);
    }
    if (!w.Accumulated(root, pts, "RACE", results)) return false;
    if (!w.Accumulated(root, pts, "PAY", pay)) return false;
    if (!w.Accumulated(root, pts, "ODDS", odds)) return false;
    return true;
  };

  for (size_t g = 0; g < groups.size(); ++g) {
    std::vector<std::vector<Race>> days;
    for (const Date& d : groups[g]) {
      days.push_back(world.RunDay(cal.Next(d)));
      ++stats.raceDays;
      for (const Race& r : days.back()) {
        ++stats.races;
        stats.starters += r.Starters();
        if (o.measureCommonOpponents) common.Race(r, r.date.Serial() >= measureFrom);
      }
    }
    const bool recent = weekKey(groups[g].front()) > lastWeek - 7 * o.recentWeeks;
    if (!publish(days, recent, false, g)) return false;
    if (!ts.empty())
      for (const auto& day : days)
        for (const Race& r : day)
          if (withOdds(r.date) && !WriteTimeseries(w, ts, r, Snapshots(r, false))) return false;
  }

  if (o.hasToday) {
    const Date d = o.today;
    std::vector<std::vector<Race>> days = {world.RunDay(cal.Next(d))};
    ++stats.raceDays;
    for (const Race& r : days.front()) {
      ++stats.races;
      stats.starters += r.Starters();
    }
    if (!publish(days, true, true, groups.size())) return false;
    // Real time: odds snapshots per race, results as races finish, changes as announced.
    std::string results, changes;
    std::string lastVenue;
    for (const Race& r : days.front()) {
      const std::vector<Snapshot> snaps = Snapshots(r, true);
      std::string odds;
      for (const Snapshot& s : snaps)
        for (int t = 1; t <= 6; ++t) RtLine(odds, Ts(s.date, s.minutes), OddsOf(r, s, t));
      if (!w.Put(root / "0B30" / (r.Key() + ".txt"), odds)) return false;
      if (!ts.empty() && !WriteTimeseries(w, ts, r, snaps)) return false;

      RtLine(results, Ts(d, r.postTime + 3), MakeRA(world, r, '6', d));
      for (const Runner& ru : r.runners) RtLine(results, Ts(d, r.postTime + 3), MakeSE(world, r, ru, '6', d));
      RtLine(results, Ts(d, r.postTime + 8), MakeHR(r, '1', d));

      if (r.venue != lastVenue) RtLine(changes, Ts(d, 8 * 60 + 30), MakeWE(r, d, Stamp{d, 8 * 60 + 30}));
      lastVenue = r.venue;
      if (r.changeAnnounced >= 0)
        RtLine(changes, Ts(d, r.changeAnnounced), MakeTC(r, d, Stamp{d, r.changeAnnounced}));
      for (const Runner& ru : r.runners)
        if (ru.scratch == 2) RtLine(changes, Ts(d, r.postTime - 40), MakeAV(world, r, ru, d, Stamp{d, r.postTime - 40}));
    }
    // Lines in time order (a stable sort keeps the records of one moment together).
    auto sortLines = [](const std::string& text) {
      std::vector<std::string> lines;
      size_t p = 0;
      while (p < text.size()) {
        const size_t e = text.find("\r\n", p);
        lines.push_back(text.substr(p, e - p + 2));
        p = e + 2;
      }
      std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.compare(0, 14, b, 0, 14) < 0;
      });
      std::string out;
      for (const auto& l : lines) out += l;
      return out;
    };
    if (!w.Put(root / "0B12" / (d.Text8() + ".txt"), sortLines(results))) return false;
    if (!w.Put(root / "0B14" / (d.Text8() + ".txt"), sortLines(changes))) return false;
  }
  if (o.measureCommonOpponents) stats.medianCommonOpponents = common.Median();
  return true;
}

}  // namespace kv::sim
