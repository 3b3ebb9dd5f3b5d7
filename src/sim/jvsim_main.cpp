// jvsim: writes a simulated JRA racing world as a JV-Link replay feed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Feed.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: jvsim --out FEED --seed N --from YYYY-MM-DD --to YYYY-MM-DD\n"
               "             [--today YYYY-MM-DD] [--odds-from YYYY-MM-DD] [--timeseries DIR]\n"
               "             [--recent-weeks N] [--stats]\n"
               "  --from/--to     history written as accumulated data (RACEDIFN)\n"
               "  --today         a race day unfolding in real time (0B30, 0B12, 0B14)\n"
               "  --odds-from     final odds of the race days from this date on\n"
               "  --timeseries    time-series odds folder for the days with odds\n"
               "  --recent-weeks  weeks before the end with entries, cards and flash results (4)\n"
               "  --stats         also measure the common opponents of paired runners\n");
}

bool DateArg(const char* name, const char* text, kv::sim::Date& out) {
  if (kv::sim::ParseDate(text, out)) return true;
  std::fprintf(stderr, "jvsim: %s: not a date: %s\n", name, text);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  kv::sim::FeedOptions o;
  bool haveFrom = false, haveTo = false, haveSeed = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "jvsim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--out") o.out = value();
    else if (a == "--seed") {
      const char* v = value();
      char* end = nullptr;
      o.seed = std::strtoull(v, &end, 10);
      if (!*v || *end) {
        std::fprintf(stderr, "jvsim: --seed: not a number: %s\n", v);
        return 2;
      }
      haveSeed = true;
    } else if (a == "--from") {
      if (!DateArg("--from", value(), o.from)) return 2;
      haveFrom = true;
    } else if (a == "--to") {
      if (!DateArg("--to", value(), o.to)) return 2;
      haveTo = true;
    } else if (a == "--today") {
      if (!DateArg("--today", value(), o.today)) return 2;
      o.hasToday = true;
    } else if (a == "--odds-from") {
      if (!DateArg("--odds-from", value(), o.oddsFrom)) return 2;
      o.hasOddsFrom = true;
    } else if (a == "--timeseries") o.timeseries = value();
    else if (a == "--recent-weeks") o.recentWeeks = std::atoi(value());
    else if (a == "--stats") o.measureCommonOpponents = true;
    else if (a == "--help" || a == "-h") {
      Usage();
      return 0;
    } else {
      std::fprintf(stderr, "jvsim: unknown option %s\n", a.c_str());
      Usage();
      return 2;
    }
  }
  if (o.out.empty() || !haveFrom || !haveTo || !haveSeed) {
    Usage();
    return 2;
  }
  const auto t0 = std::chrono::steady_clock::now();
  kv::sim::FeedStats st;
  std::string error;
  if (!kv::sim::GenerateFeed(o, st, error)) {
    std::fprintf(stderr, "jvsim: %s\n", error.c_str());
    return 1;
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%d race days, %d races, %d starters (%.1f per race), %d files, %.1f MB in %.1f s\n", st.raceDays,
              st.races, st.starters, st.races ? static_cast<double>(st.starters) / st.races : 0.0, st.files,
              static_cast<double>(st.bytes) / 1e6, secs);
  if (o.measureCommonOpponents) std::printf("median common opponents per pair of runners: %.0f\n", st.medianCommonOpponents);
  return 0;
}
