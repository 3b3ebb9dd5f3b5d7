// The import end to end: a simulated world written as a JV-Link feed, served by the replay
// JV-Link, imported into a fresh program folder.
#include <gtest/gtest.h>

#include <map>

#include "Feed.h"
#include "ProgramRun.h"
#include "RecordingPorts.h"
#include "SimulatedPastRuns.h"
#include "TempDir.h"
#include "app/ProgramFolders.h"
#include "compare/PastRunBuilder.h"
#include "compare/PastRunFile.h"
#include "workbench/AccumulatedImport.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/ReplayJVLink.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"

using namespace kv;
using namespace kv::test;

namespace {

// Runs one import the way the dialog does: start, then the poll timer until it stops.
void RunImport(AccumulatedImport& imp) {
  imp.Start();
  for (int ticks = 0; imp.PollTimerRunning(); ++ticks) {
    ASSERT_LT(ticks, 10000) << "the download never completed";
    imp.PollStatus();
  }
}

}  // namespace

TEST(FeedImport, SimulatedFeedBecomesDayFilesAndPastRunFiles) {
  TempDir dir;
  const fs::path prog = dir / "prog";
  const fs::path feed = dir / "feed";
  ProgramFolders folders;
  ASSERT_TRUE(CreateProgramFolders(prog, folders));

  sim::FeedOptions o;
  o.out = feed.string();
  o.seed = 7;
  o.from = sim::Date{2024, 4, 20};
  o.to = sim::Date{2024, 4, 21};
  o.hasOddsFrom = true;
  o.oddsFrom = sim::Date{2024, 4, 21};
  sim::FeedStats stats;
  std::string error;
  ASSERT_TRUE(sim::GenerateFeed(o, stats, error)) << error;
  ASSERT_GT(stats.raceDays, 0);

  SetClock clock(DateTime{2024, 4, 25, 12, 0, 0, 0});
  ReplayJVLink jv(feed.string(), clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  RecordingUi ui;
  Settings settings(prog);
  ASSERT_TRUE(settings.Load());

  AccumulatedImport imp(settings, ui, clock, jv);
  imp.Open();
  ASSERT_TRUE(imp.SetupData());  // first use
  imp.SetFromDate(DateTime{2024, 4, 1, 0, 0, 0, 0});
  RunImport(imp);

  ASSERT_EQ(imp.GetOutcome(), AccumulatedImport::Outcome::Completed) << ToUtf8(imp.StatusText());
  EXPECT_EQ(imp.RejectedRecords(), 0);
  EXPECT_GT(imp.DownloadCount(), 0);  // set-up data is downloaded first

  // One race file per race day, every day with final results listed and built.
  const std::vector<std::string> days = ListDays(folders.data);
  EXPECT_EQ(static_cast<int>(days.size()), stats.raceDays);
  EXPECT_EQ(imp.FinalResultsDays().size(), days.size());
  for (const std::string& day : days) {
    const fs::path ra = DataFilePath(prog, day + ".jvRA");
    ASSERT_TRUE(fs::exists(ra)) << ToUtf8(day);
    EXPECT_EQ(fs::file_size(ra) % kRecLenRA, 0u) << ToUtf8(day);
  }
  // Final odds only from the day they start.
  EXPECT_TRUE(fs::exists(DataFilePath(prog, J("2024年04月21日.jvO1"))));
  EXPECT_FALSE(fs::exists(DataFilePath(prog, J("2024年04月20日.jvO1"))));

  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(folders.sei)) {
    if (!e.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(e.path().extension(), ".kak");
    EXPECT_EQ(fs::file_size(e.path()) % kRecLenPastRun, 0u) << e.path();
  }
  EXPECT_GT(files, 0);

  // "LastTime" is the newest file's time stamp; the next import finds nothing newer.
  Settings reread(prog);
  ASSERT_TRUE(reread.Load());
  const std::string last = reread.GetText("JvDataGet", "LastTime");
  ASSERT_FALSE(last.empty());
  AccumulatedImport again(reread, ui, clock, jv);
  again.Open();
  EXPECT_FALSE(again.SetupData());
  EXPECT_EQ(again.FromDateText(), last);
  ui.Clear();
  RunImport(again);
  EXPECT_EQ(again.GetOutcome(), AccumulatedImport::Outcome::NothingNewer);
  EXPECT_EQ(ui.Messages().back(), J("最新のデータがありません。"));
}

TEST(FeedImport, InjectedReadErrorLeavesLastTimeForTheRepeat) {
  TempDir dir;
  const fs::path prog = dir / "prog";
  const fs::path feed = dir / "feed";
  ProgramFolders folders;
  ASSERT_TRUE(CreateProgramFolders(prog, folders));
  sim::FeedOptions o;
  o.out = feed.string();
  o.from = sim::Date{2024, 4, 21};
  o.to = sim::Date{2024, 4, 21};
  sim::FeedStats stats;
  std::string error;
  ASSERT_TRUE(sim::GenerateFeed(o, stats, error)) << error;

  SetClock clock(DateTime{2024, 4, 25, 12, 0, 0, 0});
  ReplayJVLink jv(feed.string(), clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  jv.Inject("JVRead", -503, 40);
  RecordingUi ui;
  Settings settings(prog);
  ASSERT_TRUE(settings.Load());
  ASSERT_TRUE(settings.WriteText("JvDataGet", "LastTime", "2024/04/01 00:00:00"));

  AccumulatedImport imp(settings, ui, clock, jv);
  imp.Open();
  RunImport(imp);
  EXPECT_EQ(imp.GetOutcome(), AccumulatedImport::Outcome::Failed);
  EXPECT_EQ(ui.Messages().back(), J("JVReadエラー:ファイルが見つかりません。(-503)"));
  EXPECT_FALSE(ListDays(folders.data).empty());  // what was read before the error is kept
  Settings reread(prog);
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(reread.GetText("JvDataGet", "LastTime"), "2024/04/01 00:00:00");

  // The repeat from the same from-date opens again (the failed cycle was closed) and completes.
  RunImport(imp);
  EXPECT_EQ(imp.GetOutcome(), AccumulatedImport::Outcome::Completed);
}

// Past-run files built by two imports (the second merging into what the first wrote) are what a
// rebuild from the day files writes, byte for byte; the rebuild repairs missing, cut and altered
// files, leaves a file without any day alone, and writes nothing while a day file is damaged.
TEST(FeedImport, RebuiltPastRunTreeEqualsTheImportedOne) {
  ScratchFolder dir;  // thousands of files, each flushed: in memory where the machine allows
  const fs::path prog = dir.path() / "prog";
  const fs::path feed = dir.path() / "feed";
  ProgramFolders folders;
  ASSERT_TRUE(CreateProgramFolders(prog, folders));
  sim::FeedOptions o;
  o.out = feed.string();
  o.seed = 3;
  o.from = sim::Date{2024, 3, 30};
  o.to = sim::Date{2024, 4, 21};
  o.recentWeeks = 1;
  sim::FeedStats stats;
  std::string error;
  ASSERT_TRUE(sim::GenerateFeed(o, stats, error)) << error;

  RecordingUi ui;
  Settings settings(prog);
  ASSERT_TRUE(settings.Load());
  // The first import sees the weeks published by April 10th; the second, from "LastTime" on,
  // the rest.
  for (const DateTime now : {DateTime{2024, 4, 10, 12, 0, 0, 0}, DateTime{2024, 4, 25, 12, 0, 0, 0}}) {
    SetClock clock(now);
    ReplayJVLink jv(feed.string(), clock);
    ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
    AccumulatedImport imp(settings, ui, clock, jv);
    imp.Open();
    if (imp.SetupData()) imp.SetFromDate(DateTime{2024, 3, 1, 0, 0, 0, 0});
    RunImport(imp);
    ASSERT_EQ(imp.GetOutcome(), AccumulatedImport::Outcome::Completed) << ToUtf8(imp.StatusText());
  }
  const std::map<std::string, std::string> imported = FileTree(folders.sei);
  ASSERT_GT(imported.size(), 100u);

  // Damage the tree: a file removed, one cut short, one with a line of another horse's race, and
  // a file of a horse that ran in none of the days.
  auto it = imported.begin();
  const fs::path removed = folders.sei / it->first, cut = folders.sei / (++it)->first,
                 altered = folders.sei / (++it)->first, stray = folders.sei / "2001" / "2001999999.kak";
  fs::remove(removed);
  fs::resize_file(cut, fs::file_size(cut) - 300);
  ASSERT_TRUE(WriteFileAtomic(altered, it->second + std::next(it)->second.substr(0, kRecLenPastRun)));
  fs::create_directories(stray.parent_path());
  const std::string strayBytes = imported.begin()->second;
  ASSERT_TRUE(WriteFileAtomic(stray, strayBytes));

  // A damaged day file: nothing is rewritten.
  const fs::path ra = DataFilePath(prog, ListDays(folders.data).back() + ".jvRA");
  std::string raBytes;
  ASSERT_TRUE(ReadFile(ra, raBytes));
  ASSERT_TRUE(WriteFileAtomic(ra, raBytes.substr(0, raBytes.size() - 5)));
  std::map<std::string, std::string> damagedTree = FileTree(folders.sei);
  PastRunBuildResult refused = RebuildPastRunFiles(prog);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.filesWritten, 0);
  EXPECT_EQ(FileTree(folders.sei), damagedTree);
  ASSERT_TRUE(WriteFileAtomic(ra, raBytes));

  int progress = 0;
  const PastRunBuildResult r = RebuildPastRunFiles(prog, [&](int done, int total) {
    EXPECT_EQ(done, ++progress);
    EXPECT_EQ(total, stats.raceDays);
  });
  ASSERT_TRUE(r.ok) << ToUtf8(r.error);
  EXPECT_TRUE(r.damaged.empty());
  EXPECT_EQ(r.daysBuilt, stats.raceDays);
  EXPECT_EQ(r.filesWritten, static_cast<int>(imported.size()));  // one write per file
  EXPECT_EQ(r.filesWithoutDays, 1);
  std::map<std::string, std::string> rebuilt = FileTree(folders.sei);
  ASSERT_EQ(rebuilt.count("2001/2001999999.kak"), 1u);
  EXPECT_EQ(rebuilt["2001/2001999999.kak"], strayBytes);
  rebuilt.erase("2001/2001999999.kak");
  EXPECT_TRUE(rebuilt == imported) << "the rebuilt tree differs from the imported one";
}
