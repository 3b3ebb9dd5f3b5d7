#include <gtest/gtest.h>

#include <algorithm>

#include "TempDir.h"
#include "app/Files.h"
#include "text/Cp932.h"

namespace kv {
namespace {

// A day file's Japanese name is created, listed and opened again under the same name, and the
// atomic write replaces it: on Windows the name must not pass through the system's code page.
TEST(Files, JapaneseFileNamesAreWrittenListedAndReopened) {
  test::TempDir dir;
  const std::string name = J("2025年12月06日中山.jvSEr");
  const fs::path folder = dir.path() / PathFromUtf8("データ");
  fs::create_directories(folder);
  const fs::path file = folder / PathFromCp932(name);
  ASSERT_TRUE(WriteFileAtomic(file, "first\r\n"));
  ASSERT_TRUE(WriteFileAtomic(file, "second\r\n"));
  ASSERT_TRUE(AppendFile(file, "third\r\n"));

  std::vector<std::string> listed;
  for (const auto& e : fs::directory_iterator(folder)) listed.push_back(PathToCp932(e.path().filename()));
  ASSERT_EQ(listed, std::vector<std::string>{name});  // no temporary file is left either
  EXPECT_EQ(PathToUtf8(folder.filename()), "データ");

  std::string bytes;
  ASSERT_TRUE(ReadFile(folder / PathFromCp932(listed[0]), bytes));
  EXPECT_EQ(bytes, "second\r\nthird\r\n");  // binary: no newline is translated
  EXPECT_EQ(ResolveNoCase(dir.path(), "データ"), folder);

  const std::vector<FileResult> batch = WriteFilesAtomic({{file, "batch\r\n"}, {folder / "x" / "missing", "y"}});
  ASSERT_EQ(batch.size(), 2u);
  EXPECT_TRUE(batch[0]);
  EXPECT_FALSE(batch[1]);
  ASSERT_TRUE(ReadFile(file, bytes));
  EXPECT_EQ(bytes, "batch\r\n");
}

// A batch large enough to be written on two threads: every result stays with its own file, in
// both halves, failures included; the files hold their bytes and no temporary file is left.
TEST(Files, LargeBatchKeepsEachResultWithItsFile) {
  test::TempDir dir;
  std::vector<FileWrite> writes;
  for (int i = 0; i < 600; ++i) {
    const fs::path folder = dir.path() / std::to_string(i % 7);
    if (i % 97 != 5) fs::create_directories(folder);  // some targets' folders never exist
    writes.push_back({(i % 97 == 5 ? dir.path() / "none" : folder) / ("f" + std::to_string(i)), "line " + std::to_string(i)});
  }
  ASSERT_TRUE(WriteFileAtomic(writes[1].path, "old"));
  const std::vector<FileResult> results = WriteFilesAtomic(writes);
  ASSERT_EQ(results.size(), writes.size());
  size_t files = 0;
  for (size_t i = 0; i < writes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(static_cast<bool>(results[i]), i % 97 != 5);
    std::string bytes;
    if (results[i]) {
      ASSERT_TRUE(ReadFile(writes[i].path, bytes));
      EXPECT_EQ(bytes, writes[i].bytes);
      ++files;
    } else {
      EXPECT_NE(results[i].error.find(PathToUtf8(dir.path() / "none")), std::string::npos);
    }
  }
  size_t onDisk = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) onDisk += e.is_regular_file();
  EXPECT_EQ(onDisk, files);
}

TEST(Files, StampTellsSizeAndAReplacedFile) {
  test::TempDir dir;
  const fs::path file = dir.path() / "a.txt";
  EXPECT_FALSE(StampOf(file).exists);
  ASSERT_TRUE(WriteFileAtomic(file, "12345"));
  const FileStamp first = StampOf(file);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 5u);
  EXPECT_EQ(StampOf(file), first);
  ASSERT_TRUE(WriteFileAtomic(file, "12345"));  // same size, a new file
  EXPECT_NE(StampOf(file), first);
}

}  // namespace
}  // namespace kv
