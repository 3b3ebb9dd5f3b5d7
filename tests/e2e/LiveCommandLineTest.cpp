// The race day's commands from a terminal on a program folder whose today (the computer's date)
// has one race at 10:00 and a feed with its odds: odds prints the win/place table, live runs the
// timers on its own fast clock and prints the fetch as one line, and bad times are refused.
#include <gtest/gtest.h>

#include <ctime>

#include "JVRecordBuilder.h"
#include "ProgramRun.h"
#include "TempDir.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::test;

namespace {

const fs::path kCli = fs::path(KORVANE_BIN_DIR) / "src/cli/korvane2-cli";

std::string Today() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return Fmt("%04d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

struct LiveFolder {
  TempDir dir;
  std::string date = Today();
  std::string key = date + "05" + "0103" + "01";

  LiveFolder() {
    const fs::path prog = dir.path();
    const std::string day = DayNameFromDate(date);
    fs::create_directories(prog / "DATA");
    std::string ra = MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_PostTime, "1000"}, {kRA_Entered, "02"}});
    WriteFileAtomic(DataFilePath(prog, day + ".jvRA"), ra);
    std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
    for (int h = 1; h <= 2; ++h) {
      std::string se = MakeRecord("SE", {{kHdr_RaceKey, key}, {kSE_Frame, Fmt("%d", h)}, {kSE_HorseId, Fmt("20200000%02d", h)},
                                         {kSE_HorseName, "HORSE" + std::to_string(h)}});
      PutFld(se, kSE_HorseNum, Fmt("%02d", h));
      grid[static_cast<size_t>(h - 1)] = se;
    }
    std::string entries;
    for (const auto& l : grid) entries += l;
    WriteFileAtomic(DataFilePath(prog, EntryFileName(day + ".jvRA", "05")), entries);
    // Odds published at midnight of today: already out whatever the time the test runs.
    std::string o1 = MakeRecord("O1", {{kHdr_RaceKey, key}, {kHdr_DataKind, "1"}, {kHdr_MakeDate, date}});
    PutFld(o1, kO1_WinHorse.At(0), "01");
    PutFld(o1, kO1_WinOdds.At(0), "0035");
    PutFld(o1, kO1_WinHorse.At(1), "02");
    PutFld(o1, kO1_WinOdds.At(1), "0120");
    fs::create_directories(prog / "feed" / "0B30");
    WriteFileAtomic(prog / "feed" / "0B30" / (key + ".txt"), date + "000000 " + o1);
    WriteFileAtomic(prog / "Korvane2.ini", "[JvReplay]\r\nFeedDir=feed\r\n[AllRace]\r\nExecComp=0\r\n");
  }

  int Run(const std::string& args, std::string& out, std::string& err) {
    const int rc = RunProgram(Quote(kCli) + " --home " + Quote(dir.path()) + " " + args, dir / "out.txt", dir / "err.txt");
    out = ReadAll(dir / "out.txt");
    err = ReadAll(dir / "err.txt");
    return rc;
  }
};

TEST(LiveCommandLine, OddsFetchesAndPrintsTheWinPlaceTable) {
  LiveFolder f;
  std::string out, err;
  ASSERT_EQ(f.Run("odds " + f.date + " 1", out, err), 0) << err;
  const std::vector<std::string> lines = Lines(out);
  auto has = [&](const std::string& start) {
    for (const auto& l : lines)
      if (l.starts_with(start)) return true;
    return false;
  };
  EXPECT_TRUE(has(" 1\tHORSE1\t3.5\t1")) << out;
  EXPECT_TRUE(has(" 2\tHORSE2\t12.0\t2")) << out;
  EXPECT_EQ(f.Run("odds " + f.date + " 2", out, err), 2) << "no second race";
}

TEST(LiveCommandLine, LiveRunsTheTimersOnItsClockAndPrintsEachFetch) {
  LiveFolder f;
  std::string out, err;
  ASSERT_EQ(f.Run("live " + f.date + " --clock 09:40 --until 10:05 --speed 100000", out, err), 0) << err;
  const std::vector<std::string> lines = Lines(out);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.front().starts_with("09:40:00 開始")) << out;
  EXPECT_NE(out.find("09:50:00 ｵｯｽﾞ取得 東京 1R 発走10:00 1件"), std::string::npos) << out;
  EXPECT_TRUE(lines.back().starts_with("10:05:00 終了")) << out;

  EXPECT_EQ(f.Run("live " + f.date + " --clock 25:00", out, err), 2);
  EXPECT_EQ(f.Run("live " + f.date + " --clock 10:00 --until 09:00", out, err), 2);
  EXPECT_EQ(f.Run("live " + f.date + " --speed 0", out, err), 2);
}

}  // namespace
