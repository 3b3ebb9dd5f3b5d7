#include <gtest/gtest.h>

#include <map>

#include "CompareFixtures.h"
#include "CompareReference.h"
#include "TempDir.h"
#include "compare/PastRunBuilder.h"

using namespace kv;
using namespace kv::test;

namespace {

std::vector<std::string> Lines(const fs::path& prog, const std::string& id) {
  RecordFile f = ReadPastRunRecords(PastRunPath(prog, id));
  EXPECT_TRUE(f.ok()) << id << " " << ToUtf8(f.error());
  std::vector<std::string> lines;
  for (size_t k = 0; k < f.size(); ++k) lines.emplace_back(f.Line(k));
  return lines;
}

// Every file below SEI, by its path relative to the program folder, with its bytes.
std::map<std::string, std::string> SeiFiles(const fs::path& prog) {
  std::map<std::string, std::string> out;
  if (!fs::exists(prog / "SEI")) return out;
  for (const auto& e : fs::recursive_directory_iterator(prog / "SEI"))
    if (e.is_regular_file()) {
      std::string bytes;
      EXPECT_TRUE(ReadFile(e.path(), bytes));
      out[fs::relative(e.path(), prog).string()] = bytes;
    }
  return out;
}

RaceFixture Race(const std::string& date, int raceNo, std::vector<RunnerFields> runners, const std::string& venue = "05") {
  RaceFixture f;
  f.race.date = date;
  f.race.venue = venue;
  f.race.raceNo = raceNo;
  f.runners = std::move(runners);
  return f;
}

}  // namespace

TEST(PastRunBuilder, WritesOneFramedLinePerRunnerInTheBirthYearFolder) {
  TempDir dir;
  const auto days = StoreRaces(dir.path(), {Race("20110430", 1,
                                                 {{1, "2005100001", "アルファ", "02", "1360"},
                                                  {2, "2008100002", "ブラボー", "01", "1355"},
                                                  {3, "2005100003", "チャーリー", "00", "0000"}})});
  int progressCalls = 0;
  PastRunBuildResult r = BuildPastRunFiles(dir.path(), days, [&](int done, int total) {
    ++progressCalls;
    EXPECT_EQ(done, 1);
    EXPECT_EQ(total, 1);
  });
  ASSERT_TRUE(r.ok) << ToUtf8(r.error);
  EXPECT_EQ(progressCalls, 1);
  EXPECT_EQ(r.filesWritten, 3);
  EXPECT_TRUE(r.skipped.empty());
  EXPECT_TRUE(fs::exists(dir.path() / "SEI" / "2005" / "2005100001.kak"));
  EXPECT_TRUE(fs::exists(dir.path() / "SEI" / "2008" / "2008100002.kak"));
  EXPECT_EQ(fs::file_size(dir.path() / "SEI" / "2005" / "2005100003.kak"), 826u);

  const std::vector<std::string> a = Lines(dir.path(), "2005100001");
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(Fld(a[0], 1, 16), "2011043005020301");
  EXPECT_EQ(Fld(a[0], kak::kName, 18), N("アルファ"));
  EXPECT_EQ(Fld(a[0], kak::kFinal, 2), "02");
  // Field list: the winner, then the 2nd, then the scratched runner, then 15 empty entries.
  EXPECT_EQ(Fld(a[0], 163 + 18, 10), "2008100002");
  EXPECT_EQ(Fld(a[0], 163 + 35 + 18, 10), "2005100001");
  EXPECT_EQ(Fld(a[0], 163 + 70 + 18, 10), "2005100003");
  EXPECT_TRUE(IsBlank(Fld(a[0], 163 + 105, 15 * 35)));
}

TEST(PastRunBuilder, RebuildsAreIdempotentAndARebuiltRaceKeepsOneLineWithTheLatestData) {
  TempDir dir;
  const RaceFixture first = Race("20110430", 1, {{1, "2005100001", "アルファ", "01", "1350"},
                                                  {2, "2005100002", "ブラボー", "02", "1352"}});
  auto days = StoreRaces(dir.path(), {first});
  ASSERT_TRUE(BuildPastRunFiles(dir.path(), days).ok);
  const auto once = SeiFiles(dir.path());
  ASSERT_TRUE(BuildPastRunFiles(dir.path(), days).ok);
  EXPECT_EQ(SeiFiles(dir.path()), once);

  RaceFixture corrected = first;
  corrected.runners[0].time = "1349";
  days = StoreRaces(dir.path(), {corrected});
  ASSERT_TRUE(BuildPastRunFiles(dir.path(), days).ok);
  const std::vector<std::string> a = Lines(dir.path(), "2005100001");
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(Fld(a[0], kak::kTime, 4), "1349");
}

TEST(PastRunBuilder, LinesStayInDateOrderWhenAnOlderRaceIsBuiltLater) {
  TempDir dir;
  const RunnerFields a{1, "2005100001", "アルファ"};
  ASSERT_TRUE(BuildPastRunFiles(dir.path(), StoreRaces(dir.path(), {Race("20110507", 3, {a})})).ok);
  ASSERT_TRUE(BuildPastRunFiles(dir.path(), StoreRaces(dir.path(), {Race("20110430", 5, {a}),
                                                                   Race("20110501", 2, {a}, "08")})).ok);
  const std::vector<std::string> lines = Lines(dir.path(), "2005100001");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(PastRunDate(lines[0]), 20110430);
  EXPECT_EQ(PastRunDate(lines[1]), 20110501);
  EXPECT_EQ(PastRunDate(lines[2]), 20110507);
}

TEST(PastRunBuilder, OnlyFinalResultsAreWrittenAndBadIdsNeverBecomePaths) {
  TempDir dir;
  RaceFixture provisional = Race("20110430", 2, {{1, "2005100009", "デルタ"}});
  provisional.race.kind = '2';
  const auto days = StoreRaces(dir.path(), {Race("20110430", 1,
                                                 {{1, "2005100001", "アルファ", "01"},
                                                  {2, "../../x12345", "ブラボー", "02"},
                                                  {3, "20051abcde", "チャーリー", "03"},
                                                  {4, "2005100004", "エコー", "04", "1400", "550", '2'}}),
                                            provisional});
  PastRunBuildResult r = BuildPastRunFiles(dir.path(), days);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.skipped.size(), 2u);
  EXPECT_EQ(r.skipped[0].horseNumber, 2);
  EXPECT_EQ(r.skipped[0].horseId, "../../x123");
  EXPECT_EQ(r.skipped[0].raceKey, "2011043005020301");
  EXPECT_EQ(r.skipped[1].horseId, "20051abcde");
  // Only the one runner with final results and a good ID has a file; nothing escaped SEI.
  const auto files = SeiFiles(dir.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, "SEI/2005/2005100001.kak");
  int kak = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) kak += e.path().extension() == ".kak";
  EXPECT_EQ(kak, 1);
  // The runner of data kind "2" still appears in the field list of the race.
  EXPECT_EQ(Fld(Lines(dir.path(), "2005100001")[0], 163 + 3 * 35 + 18, 10), "2005100004");
}

TEST(PastRunBuilder, MissingDayFilesYieldNothingAndDamagedFilesAreReportedAndLeftAlone) {
  TempDir dir;
  const auto days = StoreRaces(dir.path(), {Race("20110430", 1, {{1, "2005100001", "アルファ"},
                                                                  {2, "2005100002", "ブラボー", "02"}})});
  // A damaged past-run file of the second horse is not overwritten.
  const fs::path damaged = PastRunPath(dir.path(), "2005100002");
  fs::create_directories(damaged.parent_path());
  ASSERT_TRUE(WriteFileAtomic(damaged, "not a past-run file"));
  std::vector<std::string> list = days;
  list.push_back(J("2011年05月01日.jvRA"));  // no such race file
  PastRunBuildResult r = BuildPastRunFiles(dir.path(), list);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.filesWritten, 1);
  ASSERT_EQ(r.damaged.size(), 1u);
  EXPECT_NE(r.damaged[0].find("2005100002.kak"), std::string::npos);
  std::string bytes;
  ASSERT_TRUE(ReadFile(damaged, bytes));
  EXPECT_EQ(bytes, "not a past-run file");

  // A race whose entry file is missing yields no lines.
  TempDir other;
  const auto days2 = StoreRaces(other.path(), {Race("20110430", 1, {{1, "2005100001", "アルファ"}})});
  fs::remove(DataFilePath(other.path(), EntryFileName(days2[0], "05")));
  EXPECT_TRUE(BuildPastRunFiles(other.path(), days2).ok);
  EXPECT_TRUE(SeiFiles(other.path()).empty());
}

TEST(PastRunBuilder, BatchBuildWritesTheSameBytesAsMergingOneRaceAtATime) {
  // Three days, two venues, horses running on several days, the same race key under two venues'
  // entry files, and existing files (one of them unsorted, with two lines of one race key).
  std::vector<RaceFixture> races;
  const char* dates[] = {"20110430", "20110501", "20110507"};
  int id = 0;
  for (int d = 0; d < 3; ++d)
    for (const char* venue : {"05", "08"})
      for (int raceNo = 1; raceNo <= 3; ++raceNo) {
        std::vector<RunnerFields> runners;
        for (int h = 1; h <= 6; ++h) {
          const int horse = (id++ * 7) % 23;  // horses recur across races and days
          runners.push_back({h, Fmt("20051000%02d", horse), "ウマ" + std::to_string(horse), Fmt("%02d", (h * 5) % 7),
                             Fmt("1%03d", 300 + h * 3 + raceNo), Fmt("%d", 540 + h * 5)});
        }
        races.push_back(Race(dates[d], raceNo, runners, venue));
      }
  std::vector<std::string> existing = {
      PastLine(20110604, 1, {"ウマ3", "1345", "550", "2005100003"}, "01", {{"ウマ3"}}),
      PastLine(20110101, 1, {"ウマ3", "1345", "550", "2005100003"}, "01", {{"ウマ3"}}),
  };
  std::string sameKey = existing[0];
  sameKey[100] = 'x';
  existing.push_back(sameKey);

  TempDir batchDir, refDir, dayByDayDir;
  std::vector<std::string> days;
  for (const TempDir* dir : {&batchDir, &refDir, &dayByDayDir}) {
    days = StoreRaces(dir->path(), races);
    const fs::path path = PastRunPath(dir->path(), "2005100003");
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(WriteFileAtomic(path, PastRunFileBytes(existing)));  // as found: unsorted
  }
  ASSERT_EQ(days.size(), 3u);
  PastRunBuildResult batch = BuildPastRunFiles(batchDir.path(), days);
  PastRunBuildResult reference = ReferenceBuildOneAtATime(refDir.path(), days);
  ASSERT_TRUE(batch.ok);
  ASSERT_TRUE(reference.ok);
  EXPECT_EQ(batch.filesWritten, 23);
  EXPECT_GT(reference.filesWritten, batch.filesWritten);
  const auto batchFiles = SeiFiles(batchDir.path());
  EXPECT_EQ(batchFiles.size(), 23u);
  EXPECT_TRUE(batchFiles == SeiFiles(refDir.path()));
  // Holding at most a byte of lines, the build writes what it holds after every day: the same files.
  PastRunBuildResult dayByDay = BuildPastRunFiles(dayByDayDir.path(), days, {}, PastRunBase::Files, {}, 1);
  ASSERT_TRUE(dayByDay.ok);
  EXPECT_GT(dayByDay.filesWritten, batch.filesWritten);
  EXPECT_TRUE(batchFiles == SeiFiles(dayByDayDir.path()));
}

TEST(PastRunBuilder, BuildsTheRealRaceWithItsElevenRunners) {
  const fs::path records = fs::path(KORVANE_REFDATA) / "records";
  if (!fs::exists(records / "RA_2.txt")) GTEST_SKIP() << "no reference records";
  TempDir dir;
  DayFileStore store(dir.path());
  std::string ra;
  ASSERT_TRUE(ReadFile(records / "RA_2.txt", ra));
  ASSERT_TRUE(store.Store(StoreWriter::Import, ra).stored());
  std::vector<std::string> ids;
  for (int n = 2; n <= 12; ++n) {
    std::string se;
    ASSERT_TRUE(ReadFile(records / ("SE_" + std::to_string(n) + ".txt"), se));
    ASSERT_TRUE(store.Store(StoreWriter::Import, se).stored());
    ids.push_back(FldStr(se, kSE_HorseId));
  }
  ASSERT_TRUE(store.Flush().ok());
  PastRunBuildResult r = BuildPastRunFiles(dir.path(), {DayFileName(ra)});
  ASSERT_TRUE(r.ok) << ToUtf8(r.error);
  EXPECT_EQ(r.filesWritten, 11);
  for (const std::string& id : ids) {
    const std::vector<std::string> lines = Lines(dir.path(), id);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Fld(lines[0], kak::kHorseId, 10), id);
    // Every runner of the field appears once, placed runners in order of position.
    int last = 0;
    for (int e = 0; e < 11; ++e) {
      const std::string_view entry = Fld(lines[0], 163 + 35 * e, 35);
      EXPECT_TRUE(IsHorseId(Fld(entry, 19, 10)));
      const std::vector<std::string> own = Lines(dir.path(), std::string(Fld(entry, 19, 10)));
      ASSERT_EQ(own.size(), 1u);
      const int pos = FldInt(own[0], kak::kFinal, 2);
      if (pos >= 1) {
        EXPECT_GE(pos, last);
        last = pos;
      }
      EXPECT_EQ(Fld(entry, 1, 18), Fld(own[0], kak::kName, 18));
      EXPECT_EQ(Fld(entry, 29, 4), Fld(own[0], kak::kTime, 4));
    }
    EXPECT_TRUE(IsBlank(Fld(lines[0], 163 + 35 * 11, 35 * 7)));
  }
}
