// The command line as a user meets it: the usage text, each command's help and the answer to bad
// arguments, from the built korvane2-cli.
#include <gtest/gtest.h>

#include <map>

#include "ProgramRun.h"
#include "TempDir.h"

using namespace kv::test;
namespace fs = std::filesystem;

namespace {

const fs::path kCli = fs::path(KORVANE_BIN_DIR) / "src/cli/korvane2-cli";

// Where the description of a command starts in the usage text.
constexpr size_t kSummaryColumn = 30;

// The entries of the usage text's command section: name → its lines.
std::map<std::string, std::string> CommandEntries(const std::string& usage, std::vector<std::string>& order) {
  std::map<std::string, std::string> entries;
  const std::vector<std::string> lines = Lines(usage);
  size_t i = 0;
  while (i < lines.size() && lines[i] != "commands:") ++i;
  std::string current;
  for (++i; i < lines.size() && !lines[i].empty(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with(std::string(kSummaryColumn, ' '))) {
      EXPECT_NE(line[kSummaryColumn], ' ') << "a continued description starts in its column: " << line;
      EXPECT_FALSE(current.empty()) << line;
    } else {
      EXPECT_TRUE(line.starts_with("  ") && line[2] != ' ') << "a command's line: " << line;
      current = line.substr(2, line.find(' ', 2) - 2);
      EXPECT_EQ(entries.count(current), 0u) << current << " is listed twice";
      order.push_back(current);
      // Name and synopsis, then the description in its column; or a long synopsis alone, the
      // description on the next lines.
      if (line.size() > kSummaryColumn && line.substr(kSummaryColumn - 2, 2) == "  ") {
        EXPECT_NE(line[kSummaryColumn], ' ') << line;
      } else {
        EXPECT_EQ(line.find("  ", 2), std::string::npos) << line;
      }
    }
    entries[current] += line + "\n";
  }
  return entries;
}

TEST(CommandLine, UsageListsEachCommandOnceAlignedWithExitCodesAndEachCommandHasItsHelp) {
  ASSERT_TRUE(fs::exists(kCli)) << kCli << " is not built";
  TempDir dir;
  const fs::path out = dir / "out.txt", err = dir / "err.txt";
  ASSERT_EQ(RunProgram(Quote(kCli) + " --help", out, err), 0);
  const std::string usage = ReadAll(out);
  EXPECT_NE(usage.find("exit codes:\n  0  "), std::string::npos) << usage;
  EXPECT_NE(usage.find("\n  1  "), std::string::npos) << usage;
  EXPECT_NE(usage.find("\n  2  "), std::string::npos) << usage;

  std::vector<std::string> order;
  const std::map<std::string, std::string> entries = CommandEntries(usage, order);
  for (const char* name : {"days", "settings", "import", "load", "analyse", "unprocessed", "export", "bets", "vote", "hits"})
    EXPECT_EQ(entries.count(name), 1u) << name;
  for (const char* form : {"yyyymmddhhnnss", "yyyymmdd", "yyyy-mm-dd", "yyyy/mm/dd"})
    EXPECT_NE(entries.at("import").find(form), std::string::npos) << "the usage names the --from form " << form;

  // Each command's --help is its entry, whatever else is on the line, and needs no program folder.
  for (const std::string& name : order) {
    EXPECT_EQ(RunProgram(Quote(kCli) + " --home " + Quote(dir / "none") + " " + name + " --help", out, err), 0) << name;
    EXPECT_EQ(ReadAll(out), entries.at(name)) << name;
    EXPECT_EQ(RunProgram(Quote(kCli) + " help " + name, out, err), 0) << name;
    EXPECT_EQ(ReadAll(out), entries.at(name)) << name;
  }
  EXPECT_FALSE(fs::exists(dir / "none"));

  // Bad arguments: exit code 2, the reason and the command's entry on the error output.
  struct Bad {
    const char* args;
    const char* command;
    const char* says;
  };
  for (const Bad& b : {Bad{"load", "load", ""}, Bad{"import --from 2025-02-30", "import", "2025-02-30"},
                       Bad{"export csv 20240101", "export", ""}, Bad{"days extra", "days", ""},
                       Bad{"hits 20240101 --wide", "hits", ""}}) {
    EXPECT_EQ(RunProgram(Quote(kCli) + " --home " + Quote(dir / "prog") + " " + b.args, out, err), 2) << b.args;
    const std::string said = ReadAll(err);
    EXPECT_NE(said.find(entries.at(b.command)), std::string::npos) << b.args << '\n' << said;
    EXPECT_NE(said.find(b.says), std::string::npos) << b.args << '\n' << said;
    EXPECT_EQ(ReadAll(out), "") << b.args;
  }
  EXPECT_EQ(RunProgram(Quote(kCli) + " frobnicate", out, err), 2);
  EXPECT_NE(ReadAll(err).find("unknown command: frobnicate"), std::string::npos);
  EXPECT_NE(ReadAll(err).find("commands:"), std::string::npos);
}

}  // namespace
