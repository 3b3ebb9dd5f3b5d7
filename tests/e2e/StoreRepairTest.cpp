// A program folder with one damaged file of each kind, checked and repaired from the command
// line: the check lists them, the repair moves them into damaged/<time>/ and rebuilds the
// past-run file, the import it advises brings the day file back, and the analysis of the day
// then prints what it printed before the damage.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "TempDir.h"
#include "app/Files.h"
#include "app/ProgramFolders.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "compare/UnprocessedDays.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"

using namespace kv;
using namespace kv::test;

namespace {

const fs::path kBin(KORVANE_BIN_DIR);

// Cuts the last byte off a file: its framing no longer fits.
void Damage(const fs::path& p) {
  std::string bytes;
  ASSERT_TRUE(ReadFile(p, bytes)) << p;
  ASSERT_FALSE(bytes.empty()) << p;
  bytes.pop_back();
  ASSERT_TRUE(WriteFileAtomic(p, bytes)) << p;
}

size_t CountFiles(const fs::path& dir) {
  size_t n = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    n += it->is_regular_file(ec);
  return n;
}

TEST(StoreRepair, OneDamagedFileOfEachKindIsCheckedMovedAsideRebuiltAndImportedBack) {
  TempDir dir;
  const fs::path feed = dir / "feed", prog = dir / "prog", out = dir / "out.txt", err = dir / "err.txt";
  const std::string cli = Quote(kBin / "src/cli/korvane2-cli") + " --home " + Quote(prog) + " ";
  ASSERT_EQ(RunProgram(Quote(kBin / "src/sim/jvsim") + " --out " + Quote(feed) +
                           " --seed 7 --from 2024-03-02 --to 2024-04-21 --recent-weeks 1",
                       out, err),
            0)
      << ReadAll(err);
  ASSERT_EQ(RunProgram(cli + "import --setup --from 20240301 --feed " + Quote(feed), out, err), 0) << ReadAll(err);
  ASSERT_EQ(RunProgram(cli + "analyse 20240421", out, err), 0) << ReadAll(err);
  const std::string before = ReadAll(out);
  ASSERT_EQ(RunProgram(cli + "bets 20240421 1", out, err), 0) << ReadAll(err);  // writes the candidate sets
  ASSERT_EQ(RunProgram(cli + "check", out, err), 0) << ReadAll(out) << ReadAll(err);

  // One of each kind: a day file of an earlier day, the past-run and prediction files of a
  // runner of the analysed day, the year's processed-days list and the candidate sets.
  const ProgramFolders folders = LocateProgramFolders(prog);
  const fs::path dayFile = DataFilePath(prog, J("2024年04月14日.jvHR"));
  std::string horse;
  for (const fs::path& p : fs::directory_iterator(folders.data)) {
    if (!p.filename().string().starts_with("2024年04月21日") || p.extension() != ".jvSEr") continue;
    std::string grid;
    ASSERT_TRUE(ReadFile(p, grid));
    horse = grid.substr(30, 10);  // SE 31-40 of the first slot
    break;
  }
  ASSERT_TRUE(IsHorseId(horse)) << horse;
  const fs::path kak = PastRunPath(prog, horse), yos = PredictionPath(prog, horse);
  std::string kakBefore;
  ASSERT_TRUE(ReadFile(kak, kakBefore));
  const std::vector<fs::path> damaged = {dayFile, kak, yos, ProcessedDaysPath(prog, "2024"), prog / "userkaimeset2.dat"};
  for (const fs::path& p : damaged) Damage(p);

  EXPECT_EQ(RunProgram(cli + "check", out, err), 1);
  std::string report = ReadAll(out);
  for (const fs::path& p : damaged) EXPECT_NE(report.find(p.filename().string()), std::string::npos) << p << report;
  // The analysis stops at the damaged past-run file and says how to get out of it.
  EXPECT_NE(RunProgram(cli + "analyse 20240421", out, err), 0);
  EXPECT_NE(ReadAll(err).find("check --repair"), std::string::npos) << ReadAll(err);

  ASSERT_EQ(RunProgram(cli + "check --repair", out, err), 0) << ReadAll(out) << ReadAll(err);
  report = ReadAll(out);
  EXPECT_NE(report.find("import --setup --from 20240414"), std::string::npos) << report;
  EXPECT_EQ(CountFiles(prog / "damaged"), damaged.size()) << "moved, never deleted";
  std::string kakAfter;
  ASSERT_TRUE(ReadFile(kak, kakAfter));
  EXPECT_EQ(kakAfter, kakBefore) << "the past-run file is built again from the day files";
  EXPECT_FALSE(fs::exists(dayFile));

  ASSERT_EQ(RunProgram(cli + "import --setup --from 20240414 --feed " + Quote(feed), out, err), 0) << ReadAll(err);
  EXPECT_TRUE(fs::exists(dayFile));
  ASSERT_EQ(RunProgram(cli + "analyse 20240421", out, err), 0) << ReadAll(err);
  EXPECT_EQ(ReadAll(out), before);
  ASSERT_EQ(RunProgram(cli + "bets 20240421 1", out, err), 0) << ReadAll(err);
  EXPECT_EQ(RunProgram(cli + "check", out, err), 0) << ReadAll(out) << ReadAll(err);
}

}  // namespace
