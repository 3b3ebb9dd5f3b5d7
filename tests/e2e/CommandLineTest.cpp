// The command line as a user meets it: the usage text, each command's help and the answer to bad
// arguments, from the built korvane2-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "ProgramRun.h"
#include "SimulatedPastRuns.h"
#include "TempDir.h"
#include "app/FolderLock.h"
#include "app/Settings.h"
#include "app/Files.h"
#include "bets/CandidateSets.h"
#include "bets/VoteFile.h"
#include "text/Cp932.h"

using namespace kv;
using namespace kv::test;
namespace fs = std::filesystem;

namespace {

const fs::path kCli = fs::path(KORVANE_BIN_DIR) / "src/cli/korvane2-cli";
const fs::path kJvsim = fs::path(KORVANE_BIN_DIR) / "src/sim/jvsim";

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

size_t CountFiles(const fs::path& root, const std::string& extension) {
  size_t n = 0;
  for (const auto& e : fs::recursive_directory_iterator(root)) n += e.path().extension() == extension;
  return n;
}

// Blocks of lines separated by empty lines.
std::vector<std::vector<std::string>> Blocks(const std::string& text) {
  std::vector<std::vector<std::string>> out(1);
  for (const std::string& line : Lines(text)) {
    if (line.empty())
      out.emplace_back();
    else
      out.back().push_back(line);
  }
  return out;
}

const std::set<std::string> kResultCaptions = {"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単"};

// A results-tab line: caption, result, popularity, payout.
void ExpectResultLine(const std::string& line) {
  const std::vector<std::string> f = SplitOn(line, '\t');
  ASSERT_EQ(f.size(), 4u) << line;
  EXPECT_EQ(kResultCaptions.count(f[0]), 1u) << line;
  EXPECT_FALSE(f[1].empty()) << line;
}

// An entry table as printed: a heading row and runner rows of 31 cells each.
void ExpectEntryTable(const std::vector<std::string>& rows, size_t first) {
  ASSERT_GT(rows.size(), first + 1);
  EXPECT_EQ(SplitOn(rows[first], '\t')[2], "馬名") << rows[first];
  for (size_t i = first; i < rows.size(); ++i) EXPECT_EQ(SplitOn(rows[i], '\t').size(), 31u) << rows[i];
}

// Runs korvane2-cli on one program folder.
struct Cli {
  fs::path prog, out, err;
  int Run(const std::string& command, const std::string& args = "") {
    return RunProgram(Quote(kCli) + " --home " + Quote(prog) + " " + command + " " + args, out, err);
  }
  std::string Out() const { return ReadAll(out); }
  std::string Err() const { return ReadAll(err); }
};

}  // namespace

// Each command once on a small simulated world, checking the form of what it prints.
TEST(CommandLine, EachCommandRunsOnASmallWorld) {
  ASSERT_TRUE(fs::exists(kCli)) << kCli << " is not built";
  ASSERT_TRUE(fs::exists(kJvsim)) << kJvsim << " is not built";
  ScratchFolder scratch;  // in memory where the machine allows: the import flushes every file
  const fs::path dir = scratch.path();
  const fs::path feed = dir / "feed";
  Cli cli{dir / "prog", dir / "out.txt", dir / "err.txt"};
  ASSERT_EQ(RunProgram(Quote(kJvsim) + " --out " + Quote(feed) +
                           " --seed 9 --from 2024-03-23 --to 2024-04-21 --odds-from 2024-04-20 --recent-weeks 1",
                       cli.out, cli.err),
            0)
      << ReadAll(cli.err);
  const std::string day = "20240421";

  ASSERT_EQ(cli.Run("import", "--setup --from 2024-03-01 --feed " + Quote(feed)), 0) << cli.Out() << cli.Err();
  EXPECT_NE(cli.Out().find("データ作成が完了しました。"), std::string::npos) << cli.Out();

  ASSERT_EQ(cli.Run("days"), 0) << cli.Err();
  const std::vector<std::string> days = Lines(cli.Out());
  ASSERT_GE(days.size(), 8u);
  EXPECT_EQ(days.front(), "2024年04月21日");

  ASSERT_EQ(cli.Run("settings"), 0) << cli.Err();
  for (const std::string& line : Lines(cli.Out())) EXPECT_NE(line.find('='), std::string::npos) << line;
  EXPECT_NE(cli.Out().find("AllRace/ExecComp=1"), std::string::npos);

  // rebuild: the same past-run files the import wrote.
  const fs::path sei = cli.prog / "SEI";
  const std::map<std::string, std::string> imported = FileTree(sei);
  const auto pastRunFiles = std::count_if(imported.begin(), imported.end(), [](const auto& f) {
    return f.first.ends_with(".kak");
  });
  ASSERT_EQ(cli.Run("rebuild"), 0) << cli.Err();
  EXPECT_NE(cli.Out().find("files written\t" + std::to_string(pastRunFiles) + "\n"), std::string::npos)
      << cli.Out();
  EXPECT_TRUE(FileTree(sei) == imported);
  {  // another command writing the folder: rebuild stops and says so
    const FolderLock held = FolderLock::TryLock(cli.prog);
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(cli.Run("rebuild"), 1);
    EXPECT_TRUE(cli.Err().starts_with("rebuild: ")) << cli.Err();
  }

  // export: compared in memory, nothing of the analysis written, and said so.
  ASSERT_EQ(cli.Run("export", "ptr " + day + " --out " + Quote(dir / "ptr.csv")), 0) << cli.Err();
  EXPECT_EQ(Lines(cli.Out()), std::vector<std::string>{(dir / "ptr.csv").string()});
  EXPECT_GT(fs::file_size(dir / "ptr.csv"), 100u);
  EXPECT_NE(cli.Err().find("not analysed yet"), std::string::npos) << cli.Err();
  EXPECT_EQ(CountFiles(sei, ".yos"), 0u);
  EXPECT_FALSE(fs::exists(cli.prog / "yosowriten2024.txt"));

  // payouts: every race's list item, then its paid results.
  ASSERT_EQ(cli.Run("payouts", day), 0) << cli.Err();
  const auto payoutBlocks = Blocks(cli.Out());
  ASSERT_GE(payoutBlocks.size(), 20u);
  for (const auto& block : payoutBlocks) {
    ASSERT_GE(block.size(), 4u) << "a finished race has win, place, … payouts";
    EXPECT_EQ(SplitOn(block[0], '\t').size(), 1u) << block[0];
    for (size_t i = 1; i < block.size(); ++i) ExpectResultLine(block[i]);
    EXPECT_EQ(SplitOn(block[1], '\t')[0], "単勝");
  }

  // load: with AllRace/ExecComp off the comparison columns stay blank, with it on they fill.
  {
    Settings s(cli.prog);
    ASSERT_TRUE(s.Load());
    ASSERT_TRUE(s.WriteBool("AllRace", "ExecComp", false));
  }
  auto winsColumn = [](const std::vector<std::vector<std::string>>& blocks) {
    int filled = 0;
    for (const auto& block : blocks)
      for (size_t i = 2; i < block.size(); ++i)
        filled += SplitOn(block[i], '\t')[8].find_first_of("0123456789") != std::string::npos;
    return filled;
  };
  ASSERT_EQ(cli.Run("load", day), 0) << cli.Err();
  const auto quiet = Blocks(cli.Out());
  ASSERT_EQ(quiet.size(), payoutBlocks.size());
  for (const auto& block : quiet) ExpectEntryTable(block, 1);
  EXPECT_EQ(winsColumn(quiet), 0);
  EXPECT_EQ(CountFiles(sei, ".yos"), 0u);
  {
    Settings s(cli.prog);
    ASSERT_TRUE(s.Load());
    ASSERT_TRUE(s.WriteBool("AllRace", "ExecComp", true));
  }
  ASSERT_EQ(cli.Run("load", day), 0) << cli.Err();
  EXPECT_GT(winsColumn(Blocks(cli.Out())), 0);
  EXPECT_GT(CountFiles(sei, ".yos"), 0u);

  // race: four labels, the entry table, the results tab.
  ASSERT_EQ(cli.Run("race", day + " 2"), 0) << cli.Err();
  const auto race = Blocks(cli.Out());
  ASSERT_EQ(race.size(), 3u) << cli.Out();
  ASSERT_EQ(race[0].size(), 4u);
  EXPECT_TRUE(race[0][0].starts_with("2024年04月21日")) << race[0][0];
  ExpectEntryTable(race[1], 0);
  ASSERT_FALSE(race[2].empty());
  for (const std::string& line : race[2]) ExpectResultLine(line);
  EXPECT_EQ(race[2], std::vector<std::string>(payoutBlocks[1].begin() + 1, payoutBlocks[1].end()));
  EXPECT_EQ(cli.Run("race", day + " 99"), 1);
  EXPECT_NE(cli.Err().find("races"), std::string::npos) << cli.Err();

  ASSERT_EQ(cli.Run("analyse", day), 0) << cli.Err();
  EXPECT_TRUE(cli.Out().starts_with("race\thorse\tname\twins"));

  ASSERT_EQ(cli.Run("unprocessed", "2024"), 0) << cli.Err();
  const std::vector<std::string> unprocessed = Lines(cli.Out());
  EXPECT_EQ(std::count(unprocessed.begin(), unprocessed.end(), "2024年04月21日"), 0);
  EXPECT_EQ(unprocessed.size() + 1, days.size());

  ASSERT_EQ(cli.Run("bets", day + " 1"), 0) << cli.Err();
  EXPECT_NE(cli.Out().find("\n券種\t買い点数\t投票金額\t予想回収率\t回収金額\n"), std::string::npos) << cli.Out();
  // The first bet type with bets in the summary is the one voted below.
  const std::map<std::string, std::string> voteCodes = {{"単勝", "TAN"},    {"複勝", "FUKU"},    {"枠連", "WAKU"},
                                                        {"馬連", "UMAFUKU"}, {"ワイド", "WIDE"},  {"馬単", "UMATAN"},
                                                        {"３連複", "SANFUKU"}, {"３連単", "SANTAN"}};
  std::string voteType;
  for (const std::string& line : Lines(cli.Out())) {
    const std::vector<std::string> f = SplitOn(line, '\t');
    if (f.size() == 5 && voteCodes.count(f[0]) && voteType.empty() && std::atoi(f[1].c_str()) > 0) voteType = voteCodes.at(f[0]);
  }

  {
    Settings s(cli.prog);
    ASSERT_TRUE(s.Load());
    fs::create_directories(dir / "plugin" / kVoteFolderName);
    ASSERT_TRUE(s.WriteText("Dir", "TavoroTohyo2", (dir / "plugin").string()));
  }
  if (voteType.empty()) {
    EXPECT_EQ(cli.Run("vote", day + " 1 --type TAN"), 1);
    EXPECT_NE(cli.Err().find("買い目が作成されていません。"), std::string::npos) << cli.Err();
  } else {
    ASSERT_EQ(cli.Run("vote", day + " 1 --type " + voteType), 0) << cli.Err();
    const std::vector<std::string> said = SplitOn(Lines(cli.Out()).at(0), ' ');
    EXPECT_TRUE(fs::exists(said.at(0))) << cli.Out();
    EXPECT_EQ(fs::path(said.at(0)).parent_path(), dir / "plugin" / kVoteFolderName);
  }

  // backtest over the day with a set that marks by popularity (bets in every race with odds): the
  // first race's lines in the CSV hold what bets prints for it with the same choices, the output
  // says which odds were used, and nothing of the analysis is written.
  {
    CandidateSet popular = ParseSetLine(DefaultSetLines()[0]);
    popular.checks = {};
    popular.checks[0][static_cast<int>(Criterion::WinPopularity)][0] = true;
    popular.checks[1][static_cast<int>(Criterion::WinPopularity)][1] = true;
    for (int r = 3; r <= 5; ++r) popular.checks[2][static_cast<int>(Criterion::WinPopularity)][r - 1] = true;
    popular.name = NameField(ToCp932("人気"));
    std::string sets;
    for (const std::string& line : DefaultSetLines()) sets += line + "\r\n";
    ASSERT_TRUE(WriteFileAtomic(cli.prog / kCandidateSetFileName, sets + FormatSetLine(popular) + "\r\n"));
    const std::string choices = " --set 人気 --mode 1 --amount 2000 --multi 12";
    ASSERT_EQ(cli.Run("bets", day + " 1" + choices), 0) << cli.Err();
    const std::string betsOut = cli.Out();
    const std::string item = betsOut.substr(0, betsOut.find("  "));
    const size_t yos = CountFiles(sei, ".yos");
    ASSERT_EQ(cli.Run("backtest", "--from 2024-04-21 --to " + day + choices + " --csv " + Quote(dir / "bt.csv")), 0)
        << cli.Err();
    EXPECT_NE(cli.Out().find("確定オッズ"), std::string::npos) << cli.Out();
    EXPECT_NE(cli.Out().find("\n券種\tレース数\t買い点数\t投票金額\t回収金額\t回収率\t的中率\t最長連敗\t最大下落\n"),
              std::string::npos)
        << cli.Out();
    EXPECT_EQ(CountFiles(sei, ".yos"), yos);
    const std::string csv = ToUtf8(ReadAll(dir / "bt.csv"));
    int compared = 0;
    for (const std::string& line : Lines(betsOut)) {
      const std::vector<std::string> f = SplitOn(line, '\t');
      if (f.size() != 5 || !voteCodes.count(f[0]) || std::atoi(f[1].c_str()) == 0) continue;
      const std::string want = "2024/04/21," + item + "," + f[0] + "," + std::to_string(std::atoi(f[1].c_str())) + "," +
                               std::to_string(std::atoi(f[2].c_str())) + "," + std::to_string(std::atoi(f[4].c_str()));
      EXPECT_NE(csv.find(want + "\r\n"), std::string::npos) << want << "\n" << csv;
      ++compared;
    }
    EXPECT_GE(compared, 2) << betsOut;
    EXPECT_EQ(cli.Run("backtest", "--from " + day + " --to 2024-04-20"), 2);
  }
}
