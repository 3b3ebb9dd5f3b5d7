#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/DamagedFiles.h"
#include "text/Cp932.h"

namespace kv {
namespace {

TEST(DamagedFiles, MovedBesideTheirPathNeverOverwrittenNeverDeleted) {
  test::TempDir dir;
  const fs::path prog = dir.path();
  fs::create_directories(prog / "SEI" / "2019");
  const fs::path kak = prog / "SEI" / "2019" / "2019100001.kak";
  const std::string stamp = DamagedStamp(DateTime{2026, 12, 10, 14, 5, 9});
  EXPECT_EQ(stamp, "20261210-140509");

  for (const char* content : {"first", "second"}) {
    ASSERT_TRUE(WriteFileAtomic(kak, content));
    fs::path moved;
    ASSERT_TRUE(MoveToDamaged(prog, kak, stamp, &moved));
    EXPECT_FALSE(fs::exists(kak));
    std::string bytes;
    ASSERT_TRUE(ReadFile(moved, bytes));
    EXPECT_EQ(bytes, content);
  }
  // The second file of the same name and moment is kept beside the first.
  EXPECT_TRUE(fs::exists(prog / "damaged" / stamp / "SEI" / "2019" / "2019100001.kak"));
  EXPECT_TRUE(fs::exists(prog / "damaged" / stamp / "SEI" / "2019" / "2019100001~2.kak"));

  EXPECT_FALSE(MoveToDamaged(prog, prog / "missing.txt", stamp));
}

TEST(DamagedFiles, AdviceNamesTheRepairAndForADayTheSetUpImport) {
  EXPECT_TRUE(IsDamagedFileMessage(J("ファイルが壊れています：x（1行目）")));
  EXPECT_FALSE(IsDamagedFileMessage(J("ファイルがありません")));
  const std::string general = ToUtf8(DamagedFileAdvice());
  EXPECT_NE(general.find("check --repair"), std::string::npos);
  EXPECT_EQ(general.find("import --setup"), std::string::npos);
  const std::string day = ToUtf8(DamagedFileAdvice(J("2024年04月14日.jvHR")));
  EXPECT_NE(day.find("2024/04/14"), std::string::npos) << day;
  EXPECT_NE(day.find("import --setup --from 20240414"), std::string::npos) << day;
}

}  // namespace
}  // namespace kv
