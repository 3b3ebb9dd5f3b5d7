// Past-run files of three simulated years (KORVANE_BENCH_YEARS, default 3): the import that
// stores the day files and builds them, the build alone (every horse's file merged and written
// once, in batches), the same build done one race at a time as a file-by-file merge (each
// runner's file read, merged and written atomically after every race), and the floor: merely
// writing the bytes of the finished files, plainly and through the batched atomic write.
//
// The folders are in memory when /dev/shm exists, so the figures compare the work, not a disk.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "ImportedFeed.h"
#include "ProgramRun.h"
#include "compare/PastRunBuilder.h"
#include "compare/PastRunFile.h"

using namespace kv;
using namespace kv::test;

namespace {

struct World {
  SimulatedFeed feed;
  fs::path prog;
  std::vector<std::string> raceFiles;        // every day's race-file name, oldest first
  std::map<std::string, std::string> built;  // SEI-relative path -> bytes after the import

  static int Years() {
    const char* env = std::getenv("KORVANE_BENCH_YEARS");
    return env ? std::max(1, std::atoi(env)) : 3;
  }

  World() : feed(sim::Date{2021, 1, 1}, sim::Date{2020 + Years(), 12, 31}, nullptr), prog(feed.folder.path() / "prog") {
    if (ImportFeed(feed.feed, prog, feed.now, feed.from) != AccumulatedImport::Outcome::Completed)
      throw std::runtime_error("the import did not complete");
    std::vector<std::string> days = ListDays(LocateProgramFolders(prog).data);
    for (auto it = days.rbegin(); it != days.rend(); ++it) raceFiles.push_back(*it + ".jvRA");
    built = FileTree(Sei());
  }
  fs::path Sei() const { return LocateProgramFolders(prog).sei; }
  void ClearSei() const {
    fs::remove_all(Sei());
    fs::create_directories(Sei());
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void Counters(benchmark::State& state) {
  const World& w = TheWorld();
  state.counters["days"] = static_cast<double>(w.raceFiles.size());
  state.counters["races"] = w.feed.stats.races;
  state.counters["starters"] = w.feed.stats.starters;
  state.counters["files"] = static_cast<double>(w.built.size());
}

// The whole import into a fresh program folder: records stored in the day files, then the build.
void BM_ImportAndBuild(benchmark::State& state) {
  World& w = TheWorld();
  const fs::path prog = w.feed.folder.path() / "import";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(prog);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ImportFeed(w.feed.feed, prog, w.feed.now, w.feed.from));
  }
  if (FileTree(LocateProgramFolders(prog).sei) != w.built) state.SkipWithError("the import built other files");
  fs::remove_all(prog);
  Counters(state);
}

// The build alone, from the stored day files into an empty past-run folder.
void BM_BuildAllDays(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    state.PauseTiming();
    w.ClearSei();
    state.ResumeTiming();
    benchmark::DoNotOptimize(BuildPastRunFiles(w.prog, w.raceFiles).filesWritten);
  }
  if (FileTree(w.Sei()) != w.built) state.SkipWithError("the build wrote other files");
  Counters(state);
}

// One race at a time: after each race, every runner's file read, the line merged, the file
// written atomically.
void BM_RaceByRaceFileMerge(benchmark::State& state) {
  World& w = TheWorld();
  for (auto _ : state) {
    state.PauseTiming();
    w.ClearSei();
    state.ResumeTiming();
    for (const std::string& day : w.raceFiles) {
      PastRunBuildResult ignored;
      for (const PastRunNewLine& l : PastRunDayLines(w.prog, day, ignored)) {
        const fs::path path = PastRunPath(w.prog, l.horseId);
        const RecordFile old = ReadPastRunRecords(path);
        std::vector<std::string> lines;
        for (size_t k = 0; k < old.size(); ++k) lines.emplace_back(old.Line(k));
        MergePastRunLine(lines, l.line);
        benchmark::DoNotOptimize(WritePastRunFile(path, lines));
      }
    }
  }
  if (FileTree(w.Sei()) != w.built) state.SkipWithError("the race-by-race merge wrote other files");
  Counters(state);
}

// The floor: the finished files' bytes written once each, plainly (no temporary, no flush).
void BM_WriteSameBytesPlain(benchmark::State& state) {
  World& w = TheWorld();
  const fs::path sei = w.Sei();
  for (auto _ : state) {
    state.PauseTiming();
    w.ClearSei();
    state.ResumeTiming();
    for (const auto& [rel, bytes] : w.built) {
      const fs::path path = sei / rel;
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
  }
  Counters(state);
}

// The same bytes through the batched atomic write the build uses.
void BM_WriteSameBytesAtomic(benchmark::State& state) {
  World& w = TheWorld();
  const fs::path sei = w.Sei();
  for (auto _ : state) {
    state.PauseTiming();
    w.ClearSei();
    std::vector<FileWrite> all;
    for (const auto& [rel, bytes] : w.built) {
      fs::create_directories((sei / rel).parent_path());
      all.push_back({sei / rel, bytes});
    }
    state.ResumeTiming();
    for (size_t i = 0; i < all.size(); i += 512) {
      std::vector<FileWrite> batch(all.begin() + static_cast<std::ptrdiff_t>(i),
                                   all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), i + 512)));
      benchmark::DoNotOptimize(WriteFilesAtomic(batch));
    }
  }
  Counters(state);
}

}  // namespace

BENCHMARK(BM_ImportAndBuild)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BuildAllDays)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RaceByRaceFileMerge)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteSameBytesPlain)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WriteSameBytesAtomic)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
