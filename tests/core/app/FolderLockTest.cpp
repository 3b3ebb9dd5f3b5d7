#include "app/FolderLock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"

using namespace kv;
using namespace kv::test;

TEST(FolderLock, OneHolderAtATimeAcrossProcessesAndFreedWhenTheHolderGoes) {
  TempDir dir;
  {
    FolderLock first = FolderLock::TryLock(dir.path());
    ASSERT_TRUE(first.Held());
    EXPECT_EQ(FolderLock::TryLock(dir.path()).GetState(), FolderLock::State::Busy);
    // Another process sees the folder busy too.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(FolderLock::TryLock(dir.path()).GetState() == FolderLock::State::Busy ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    FolderLock moved = std::move(first);
    EXPECT_TRUE(moved.Held());
    EXPECT_EQ(FolderLock::TryLock(dir.path()).GetState(), FolderLock::State::Busy);
  }
  EXPECT_TRUE(FolderLock::TryLock(dir.path()).Held());

  const FolderLock missing = FolderLock::TryLock(dir / "no-such-folder");
  EXPECT_EQ(missing.GetState(), FolderLock::State::Failed);
  EXPECT_NE(missing.Message().find("no-such-folder"), std::string::npos);
}
