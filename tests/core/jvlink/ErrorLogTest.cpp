#include <gtest/gtest.h>

#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/ErrorLog.h"
#include "text/Cp932.h"

using namespace kv;
using kv::test::SetClock;
using kv::test::TempDir;

namespace {

std::string Slurp(const fs::path& p) {
  std::string s;
  EXPECT_TRUE(ReadFile(p, s));
  return s;
}

std::string Numbered(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += "line " + std::to_string(i) + "\r\n";
  return s;
}

}  // namespace

TEST(ErrorLogStartup, KeepsTheLastHundredLinesAndAddsTwo) {
  const DateTime now{2024, 1, 6, 7, 8, 9, 0};
  const fs::path prog = "/home/user/" + std::string("競馬");
  const std::string tail = J("ソフト起動：2024/01/06 07:08:09") + "\r\n" + ToCp932(prog.string()) + "\r\n";
  struct Case { std::string before; std::string after; } cases[] = {
      {Numbered(1, 150), Numbered(51, 150) + tail},     // 150 lines: 100 kept, 102 in all
      {Numbered(1, 100), Numbered(1, 100) + tail},      // exactly 100: all kept
      {Numbered(1, 101), Numbered(2, 101) + tail},
      {"", tail},                                       // empty file
      {"a\nb\nc", "a\r\nb\r\nc\r\n" + tail},           // LF lines, last without a line end
      {"\r\n\r\n", "\r\n\r\n" + tail},                  // blank lines count as lines
  };
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path log = dir / kErrorLogFileName;
    ASSERT_TRUE(WriteFileAtomic(log, c.before));
    ASSERT_TRUE(WriteStartupLog(log, now, prog));
    EXPECT_EQ(Slurp(log), c.after) << c.before.size();
  }
  TempDir fresh;
  ASSERT_TRUE(WriteStartupLog(fresh / kErrorLogFileName, now, prog));
  EXPECT_EQ(Slurp(fresh / kErrorLogFileName), tail) << "a missing log is created";
}

TEST(ErrorLogAppend, ErrorLineFormatAndAppending) {
  EXPECT_EQ(ErrorLogLine(DateTime{2024, 1, 6, 9, 5, 3, 0}, J("JVRTOpenエラー")),
            J("【エラー】09:05:03：JVRTOpenエラー"));
  TempDir dir;
  SetClock clock;
  clock.Set(2024, 1, 6, 23, 59, 58);
  ErrorLog log(ErrorLogPath(dir.path()), clock);
  ASSERT_TRUE(log.Append("a(-1)"));  // a missing log is created
  clock.Advance(3);
  ASSERT_TRUE(log.Append("b(-2)"));
  EXPECT_EQ(Slurp(log.Path()), J("【エラー】23:59:58：a(-1)\r\n【エラー】00:00:01：b(-2)\r\n"));
}

TEST(ErrorLogAppend, LastLineWithoutALineEndIsNotJoined) {
  TempDir dir;
  const fs::path log = dir / kErrorLogFileName;
  ASSERT_TRUE(WriteFileAtomic(log, "old"));
  ASSERT_TRUE(AppendErrorLog(log, DateTime{2024, 1, 6, 1, 2, 3, 0}, "x"));
  EXPECT_EQ(Slurp(log), "old\r\n" + J("【エラー】01:02:03：x") + "\r\n");
}

TEST(ErrorLogAppend, AnUnreadableLogIsLeftAlone) {
  TempDir dir;
  fs::create_directory(dir / kErrorLogFileName);
  EXPECT_FALSE(AppendErrorLog(dir / kErrorLogFileName, DateTime{}, "x"));
  EXPECT_FALSE(WriteStartupLog(dir / kErrorLogFileName, DateTime{}, dir.path()));
  EXPECT_TRUE(fs::is_directory(dir / kErrorLogFileName));
}
