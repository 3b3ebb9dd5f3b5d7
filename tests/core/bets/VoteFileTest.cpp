#include <gtest/gtest.h>

#include <algorithm>

#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/Files.h"
#include "bets/BetTables.h"
#include "bets/VoteFile.h"
#include "text/Cp932.h"
#include "text/Format.h"

namespace kv {
namespace {

using test::RecordingDesktop;
using test::RecordingUi;
using test::TempDir;

const std::string kRa = test::MakeRecord("RA", {{kHdr_RaceKey, "2011043005020811"}, {kRA_Entered, "12"}});

TextGrid QuinellaRows() {
  TextGrid g = EmptyBetTable(BetType::Quinella);
  g.SetRowCount(3);
  g.Set(1, kColNo, "  1"), g.Set(1, kColCombo, " 3- 7"), g.Set(1, kColOdds, "   12.3"), g.Set(1, 6, "   300");
  g.Set(2, kColNo, "  2"), g.Set(2, kColCombo, " 3-12"), g.Set(2, kColOdds, "   45.6"), g.Set(2, 6, "   200");
  g.Set(2, kColDelete, J("消"));
  return g;
}

TEST(VoteCsv, LinesPerBetType) {
  EXPECT_EQ(VoteCsv(QuinellaRows(), BetType::Quinella, kRa), "20110430,05,11,UMAFUKU,NORMAL,300,03-07,\r\n");

  TextGrid win = EmptyBetTable(BetType::Win);
  win.Set(1, kColNo, " 1"), win.Set(1, kColCombo, " 5"), win.Set(1, kColOdds, "   3.4"), win.Set(1, 5, "  1200");
  EXPECT_EQ(VoteCsv(win, BetType::Win, kRa), "20110430,05,11,TAN,NORMAL,1200,05,\r\n");

  struct Case {
    BetType type;
    const char* cell;
    const char* vote;
  } cases[] = {
      {BetType::Place, "12", "12"},          {BetType::Bracket, " 2- 2", "2-2"},
      {BetType::Wide, " 1-18", "01-18"},     {BetType::Exacta, "12- 3", "12-03"},
      {BetType::Trio, " 1- 5-12", "01-05-12"}, {BetType::Trifecta, "18- 1- 9", "18-01-09"},
  };
  for (const Case& c : cases) EXPECT_EQ(VoteCombination(c.type, c.cell), c.vote) << c.cell;
  EXPECT_EQ(VoteCombination(BetType::Quinella, " 3"), "") << "a pair type needs two numbers";
  EXPECT_EQ(VoteFileName(kRa), "110430.csv");
}

class VoteThroughPluginTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingUi ui;
  RecordingDesktop desktop;
  TextGrid table = QuinellaRows();
  VoteRequest req;

  void SetUp() override {
    fs::create_directories(plugin() / "kaime");
    req.dateBoxText = J("2011年04月30日");
    req.raceListItem = J("福島11R");
    req.table = &table;
    req.type = BetType::Quinella;
    req.raceRecord = kRa;
    req.pluginDir = ToCp932(plugin().string());
  }
  // The plug-in's own folder name is Japanese.
  fs::path plugin() const { return dir.path() / "Tavoro投票プラグイン２"; }
  fs::path csv() const { return plugin() / "kaime" / "110430.csv"; }
};

TEST_F(VoteThroughPluginTest, WritesAsksAndStartsThePlugin) {
  const VoteResult r = VoteThroughPlugin(req, ui, desktop);
  EXPECT_EQ(r.outcome, VoteOutcome::Written);
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{J("[福島11R:馬連]に投票します。実行してよろしいですか？\r\n（1点・合計300円）")});
  std::string bytes;
  ASSERT_TRUE(ReadFile(csv(), bytes));
  EXPECT_EQ(bytes, "20110430,05,11,UMAFUKU,NORMAL,300,03-07,\r\n");
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].program, (plugin() / "TavoroTohyoPlugIn2.exe").string());
  // The parameter is CP932 text: converted back it names the file that was written.
  EXPECT_EQ(ToUtf8(desktop.started[0].parameter), csv().string());
  EXPECT_TRUE(fs::exists(fs::path(ToUtf8(desktop.started[0].parameter))));
  EXPECT_EQ(desktop.started[0].workDir, plugin().string());
}

TEST_F(VoteThroughPluginTest, ChecksStopBeforeAnythingIsWritten) {
  struct Case {
    void (*change)(VoteRequest&, TextGrid&);
    const char* message;
    VoteOutcome outcome;
  } cases[] = {
      {[](VoteRequest& r, TextGrid&) { r.dateBoxText = "  "; }, "開催日ﾃﾞｰﾀを読み込んでください。", VoteOutcome::NoDay},
      {[](VoteRequest& r, TextGrid&) { r.raceListItem.clear(); }, "レースデータを読み込んでください。", VoteOutcome::NoRace},
      {[](VoteRequest&, TextGrid& t) { t.Set(1, 6, "      "); }, "買い目が作成されていません。", VoteOutcome::NoBets},
      {[](VoteRequest&, TextGrid& t) { t.Set(1, kColDelete, J("消")); }, "買い目が作成されていません。", VoteOutcome::NoBets},
      {[](VoteRequest& r, TextGrid&) { r.pluginDir = " "; },
       "「Tavoro投票プラグイン２」が正常にインストールされていません。再インストールしてください。", VoteOutcome::NoPlugin},
  };
  for (const Case& c : cases) {
    VoteRequest r = req;
    TextGrid t = QuinellaRows();
    r.table = &t;
    c.change(r, t);
    ui.Clear();
    EXPECT_EQ(VoteThroughPlugin(r, ui, desktop).outcome, c.outcome) << c.message;
    EXPECT_EQ(ui.Messages(), std::vector<std::string>{J(c.message)});
  }
  EXPECT_FALSE(fs::exists(csv()));
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(VoteThroughPluginTest, NoWritesNothingAndStartsNothing) {
  ui.answers = {false};
  EXPECT_EQ(VoteThroughPlugin(req, ui, desktop).outcome, VoteOutcome::Declined);
  EXPECT_FALSE(fs::exists(csv()));
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(VoteThroughPluginTest, MissingKaimeFolderIsReportedAndNothingStarts) {
  fs::remove_all(plugin() / "kaime");
  EXPECT_EQ(VoteThroughPlugin(req, ui, desktop).outcome, VoteOutcome::NoKaimeFolder);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_NE(ui.Messages()[1].find(J("投票ファイルの保存先フォルダーがありません。")), std::string::npos);
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(VoteThroughPluginTest, AFailedStartIsReported) {
  desktop.startResult = false;
  EXPECT_EQ(VoteThroughPlugin(req, ui, desktop).outcome, VoteOutcome::StartFailed);
  EXPECT_TRUE(fs::exists(csv()));
  EXPECT_EQ(ui.Messages().back(), J("投票プラグイン２の呼び出しでエラーが発生しました。\r\n"
                                    "投票プラグイン２が正しくインストールされているか確認してください。"));
}

TEST_F(VoteThroughPluginTest, WithoutStartingOnlyTheFileIsWritten) {
  req.startPlugin = false;
  EXPECT_EQ(VoteThroughPlugin(req, ui, desktop).outcome, VoteOutcome::Written);
  EXPECT_TRUE(fs::exists(csv()));
  EXPECT_TRUE(desktop.started.empty());
}

// The second line of the confirmation: items and total of the rows that go out, and warnings when
// the total passes the amount entered or the items pass what one vote takes. The file itself is
// the same either way.
TEST_F(VoteThroughPluginTest, TheConfirmationTellsItemsTotalAndWhatIsTooMuch) {
  auto trifectaLike = [](int items, const char* stake) {
    TextGrid g = EmptyBetTable(BetType::Quinella);
    g.SetRowCount(items + 1);
    for (int row = 1; row <= items; ++row) {
      g.Set(row, kColNo, Fmt("%3d", row)), g.Set(row, kColCombo, Fmt("%2d-%2d", row % 17 + 1, 18));
      g.Set(row, kColOdds, "   12.3"), g.Set(row, 6, stake);
    }
    return g;
  };
  const std::string ask = J("[福島11R:馬連]に投票します。実行してよろしいですか？\r\n");
  struct Case {
    int items;
    const char* stake;
    long long amount;
    const char* lines;
  } cases[] = {
      {30, "   100", 3000, "（30点・合計3,000円）"},
      {30, "   100", 0, "（30点・合計3,000円）"},  // amount not known: nothing to compare
      {31, "   100", 3000, "（31点・合計3,100円）\r\n※合計が投資金額3,000円を超えています。"},
      {51, "   100", 10000, "（51点・合計5,100円）\r\n※1回の投票は50点までです。このファイルは51点あります。"},
      {132, "   100", 3000,
       "（132点・合計13,200円）\r\n※合計が投資金額3,000円を超えています。\r\n"
       "※1回の投票は50点までです。このファイルは132点あります。"},
  };
  for (const Case& c : cases) {
    TextGrid t = trifectaLike(c.items, c.stake);
    req.table = &t;
    req.amount = c.amount;
    ui.Clear();
    const VoteResult r = VoteThroughPlugin(req, ui, desktop);
    EXPECT_EQ(r.outcome, VoteOutcome::Written) << c.items;
    EXPECT_EQ(r.summary, J(c.lines));
    ASSERT_FALSE(ui.Messages().empty());
    EXPECT_EQ(ui.Messages()[0], ask + J(c.lines));
    std::string bytes;
    ASSERT_TRUE(ReadFile(csv(), bytes));
    EXPECT_EQ(bytes, VoteCsv(t, BetType::Quinella, kRa));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), c.items);
  }
}

}  // namespace
}  // namespace kv
