#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/ProgramFolders.h"
#include "app/Startup.h"
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

void Touch(const fs::path& p) { ASSERT_TRUE(WriteFileAtomic(p, "")); }

}  // namespace

TEST(ProgramFolders, StartUpCreatesTheDataFoldersAndReusesAnyCaseSpelling) {
  TempDir dir;
  fs::create_directory(dir / "Data");
  Touch(dir / "Data" / "keep.txt");
  SetClock clock;
  clock.Set(2024, 1, 6, 9, 5, 7);
  StartedProgram p = StartProgram(dir.path(), clock);
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.problems.empty());
  EXPECT_EQ(p.folders.data, dir / "Data");
  EXPECT_FALSE(fs::exists(dir / "DATA")) << "Data and DATA are one folder";
  EXPECT_TRUE(fs::exists(dir / "Data" / "keep.txt"));
  for (const char* name : {"SEI", "CSV", "CHG"}) EXPECT_TRUE(fs::is_directory(dir / name)) << name;
  EXPECT_EQ(p.folders.sei, dir / "SEI");
  EXPECT_EQ(Slurp(dir / kErrorLogFileName),
            J("ソフト起動：2024/01/06 09:05:07") + "\r\n" + ToCp932(dir.path().string()) + "\r\n");
}

TEST(ProgramFolders, AFolderThatCannotBeMadeStopsTheStart) {
  TempDir dir;
  Touch(dir / "SEI");  // a file where a folder belongs
  SetClock clock;
  StartedProgram p = StartProgram(dir.path(), clock);
  EXPECT_FALSE(p.ok);
  ASSERT_EQ(p.problems.size(), 1u);
  EXPECT_NE(p.problems[0].find("SEI"), std::string::npos);
}

TEST(ProgramFolders, StartUpReadsTheSettingsAndReportsAnUnreadableFile) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / kSettingsFileName, "[KaimeSet]\r\nDefaultAmount=1200\r\n"));
  SetClock clock;
  EXPECT_EQ(StartProgram(dir.path(), clock).settings.GetInt("KaimeSet", "DefaultAmount"), 1200);

  TempDir bad;
  fs::create_directory(bad / kSettingsFileName);
  StartedProgram p = StartProgram(bad.path(), clock);
  EXPECT_TRUE(p.ok) << "the program goes on with defaults";
  EXPECT_EQ(p.problems.size(), 1u);
  EXPECT_EQ(p.settings.GetInt("KaimeSet", "DefaultAmount"), 3000);
}

TEST(ProgramFolders, HomeGivenOrTheExecutablesFolder) {
  EXPECT_EQ(ChooseProgramFolder(fs::path("/srv/k2/./x/..")), fs::path("/srv/k2"));
  EXPECT_TRUE(ChooseProgramFolder(fs::path("rel")).is_absolute());
  EXPECT_EQ(ChooseProgramFolder(std::nullopt), ExecutableFolder());
  EXPECT_FALSE(ExecutableFolder().empty());
}

TEST(DayList, RaceFilesNewestFirst) {
  TempDir dir;
  fs::create_directory(dir / "DATA");
  for (const char* name : {"2024年01月06日.jvRA", "2023年12月28日.jvRA", "2024年01月07日.jvRA",
                           "2024年01月08日.JVRA", "2024年01月09日.jvHR", "2024年01月06日東京.jvSEr"})
    Touch(dir / "DATA" / PathFromUtf8(name));
  fs::create_directory(dir / "DATA" / PathFromUtf8("2099年01月01日.jvRA"));  // a folder is no race file
  std::vector<std::string> days = ListDays(dir / "DATA");
  std::vector<std::string> want = {J("2024年01月08日"), J("2024年01月07日"), J("2024年01月06日"),
                                   J("2023年12月28日")};
  EXPECT_EQ(days, want);
  for (const std::string& d : days) EXPECT_EQ(d.size(), 14u);
  EXPECT_TRUE(ListDays(dir / "SEI").empty()) << "a missing folder lists nothing";
}

#ifndef _WIN32  // needs a POSIX process (fork) or file-size limit (setrlimit)
TEST(ProgramFolders, StartUpRemovesTemporaryFilesOfKilledWritesOnly) {
  TempDir dir;
  const pid_t gone = ::fork();  // a process id that no longer runs
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone), live = std::to_string(::getppid());
  fs::create_directories(dir / "SEI" / "2019");
  fs::create_directories(dir / "DATA");
  const fs::path stale[] = {dir / "SEI" / "2019" / (".2019104321.kak.tmp" + dead + "_3"),
                            dir / "DATA" / (".x.jvRA.btmp" + dead + "_0"), dir / (".Korvane2.ini.tmp" + dead + "_12")};
  const fs::path kept[] = {dir / "DATA" / (".x.jvRA.tmp" + live + "_1"),  // a writer still running
                           dir / "DATA" / ("x.jvRA.tmp" + dead + "_1"), dir / "DATA" / (".x.tmp_1"),
                           dir / "SEI" / "2019" / "2019104321.kak"};
  for (const fs::path& p : stale) Touch(p);
  for (const fs::path& p : kept) Touch(p);
  SetClock clock;
  ASSERT_TRUE(StartProgram(dir.path(), clock).ok);
  for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
  for (const fs::path& p : kept) EXPECT_TRUE(fs::exists(p)) << p;

  // The past-run folder is searched once a day; the other folders at every start.
  const fs::path inSei = stale[0], inData = stale[1];
  Touch(inSei);
  Touch(inData);
  ASSERT_TRUE(StartProgram(dir.path(), clock).ok);
  EXPECT_TRUE(fs::exists(inSei)) << "searched already today";
  EXPECT_FALSE(fs::exists(inData));
  clock.Advance(24 * 3600);
  ASSERT_TRUE(StartProgram(dir.path(), clock).ok);
  EXPECT_FALSE(fs::exists(inSei)) << "the next day's first start searches it";
}
#endif
