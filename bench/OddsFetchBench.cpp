// Real-time odds of a race day through the replay JV-Link: one race fetched (read cycle, the six
// odds records stored in the day's odds files, the race's odds loaded again, the history kept)
// and the one-day fetch of 24 races (each race selected and shown, then fetched), against the
// baseline of loading one race's odds from the day's files.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "SilentUi.h"
#include "TempDir.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/ReplayJVLink.h"
#include "odds/OddsLoader.h"
#include "text/Format.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

constexpr const char* kDate = "20240526";
constexpr int kRaces = 24;  // two venues of twelve races
constexpr int kRunners = 18;

std::string Venue(int i) { return i < 12 ? "05" : "08"; }
int RaceNo(int i) { return i % 12 + 1; }
std::string Key(int i) { return std::string(kDate) + Venue(i) + "0103" + Fmt("%02d", RaceNo(i)); }

// Today's day of 24 full races in the program folder and every race's six odds records in the
// feed, published at 09:30.
struct LiveDayWorld {
  test::TempDir dir;
  test::SilentUi ui;
  test::SetClock clock{DateTime{2024, 5, 26, 10, 0, 0, 0}};
  std::unique_ptr<ReplayJVLink> jv;
  test::RecordingDesktop desktop;
  std::unique_ptr<Workbench> wb;

  LiveDayWorld() {
    const fs::path prog = dir / "prog", feed = dir / "feed";
    const std::string day = DayNameFromDate(kDate);
    fs::create_directories(prog / "DATA");
    fs::create_directories(feed / "0B30");
    std::string ras;
    std::vector<std::string> grids[2];
    for (auto& g : grids) g.assign(216, std::string(kLineLenSE, ' ') + "\r\n");
    for (int i = 0; i < kRaces; ++i) {
      ras += test::MakeRecord("RA", {{kHdr_RaceKey, Key(i)},
                                     {kRA_Entered, Fmt("%02d", kRunners)},
                                     {kRA_PostTime, Fmt("%02d%02d", 10 + RaceNo(i) / 2, RaceNo(i) % 2 * 30)}});
      for (int h = 1; h <= kRunners; ++h)
        grids[i / 12][static_cast<size_t>((RaceNo(i) - 1) * 18 + h - 1)] = test::MakeRecord(
            "SE", {{kHdr_RaceKey, Key(i)}, {kSE_Frame, "1"}, {kSE_HorseNum, Fmt("%02d", h)},
                   {kSE_HorseId, Fmt("20200%02d%03d", i, h)}, {kSE_HorseName, "HORSE" + std::to_string(h)}});
      std::string lines;
      for (int t = 1; t <= 6; ++t) {
        std::string rec = test::MakeRecord("O" + std::to_string(t), {{kHdr_RaceKey, Key(i)},
                                                                      {kHdr_DataKind, "1"},
                                                                      {kO_AnnounceTime, "05260930"},
                                                                      {kO_Entered, Fmt("%02d", kRunners)}});
        if (t == 1)
          for (int h = 1; h <= kRunners; ++h) PutFld(rec, kO1_WinOdds.At(h - 1), Fmt("%04d", 15 + 13 * h));
        lines += std::string(kDate) + "093000 " + rec.substr(0, rec.size() - 2) + "\r\n";
      }
      WriteFileAtomic(feed / "0B30" / (Key(i) + ".txt"), lines);
    }
    WriteFileAtomic(DataFilePath(prog, day + ".jvRA"), ras);
    for (int v = 0; v < 2; ++v) {
      std::string bytes;
      for (const auto& l : grids[v]) bytes += l;
      WriteFileAtomic(DataFilePath(prog, EntryFileName(day + ".jvRA", Venue(v * 12))), bytes);
    }
    WriteFileAtomic(prog / "Korvane2.ini", "[AllRace]\r\nExecComp=0\r\n");
    jv = std::make_unique<ReplayJVLink>(feed.string(), clock);
    wb = std::make_unique<Workbench>(prog, ui, clock, *jv, desktop);
    wb->Start();
    jv->JVInit("bench");
    wb->LoadDay(day);
  }
};

LiveDayWorld& World() {
  static LiveDayWorld world;
  return world;
}

void BM_LoadOddsOfOneRace(benchmark::State& state) {
  LiveDayWorld& w = World();
  w.wb->Live().FetchRaceOdds(0, OddsFetchMode::Manual);  // the race's odds are in the files
  for (auto _ : state) {
    w.wb->Day()->OddsRace = 0;
    benchmark::DoNotOptimize(LoadOdds(*w.wb->Day()).ok());
  }
}
BENCHMARK(BM_LoadOddsOfOneRace)->Unit(benchmark::kMillisecond);

void BM_FetchOneRace(benchmark::State& state) {
  LiveDayWorld& w = World();
  for (auto _ : state) {
    const OddsFetchResult r = w.wb->Live().FetchRaceOdds(5, OddsFetchMode::Manual);
    if (!r.ok() || r.storedLines.size() != 6) state.SkipWithError("the race's six odds records were not stored");
  }
}
BENCHMARK(BM_FetchOneRace)->Unit(benchmark::kMillisecond);

void BM_FetchWholeDay(benchmark::State& state) {
  LiveDayWorld& w = World();
  for (auto _ : state) w.wb->FetchAllRaceOdds();
  if (w.wb->Day()->OutData(kRaces - 1).WinOdds[0] != 2.8) state.SkipWithError("the last race's odds were not loaded");
  state.counters["races"] = kRaces;
}
BENCHMARK(BM_FetchWholeDay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv

BENCHMARK_MAIN();
