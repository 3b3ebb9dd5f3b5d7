#include <gtest/gtest.h>

#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/Files.h"
#include "bets/CandidateSets.h"
#include "text/Cp932.h"

namespace kv {
namespace {

using test::RecordingUi;
using test::TempDir;

std::vector<std::string> FileLines(const fs::path& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFile(path, bytes));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(CandidateSetLine, DefaultLinesAreLaidOutExactly) {
  const std::vector<std::string> lines = DefaultSetLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string odds =
      "      0   1000      0   1000      0   1000      0 100000      0  10000      0 100000      0 100000      01000000";
  const std::string name1 = J("基本設定１") + std::string(10, ' ');
  const std::string name2 = J("基本設定２") + std::string(10, ' ');
  const std::string none(18, '0');
  const std::string zeros5 = std::string(90, '0');
  // Role 1: Pt勝率 1-2; role 2: Pt勝率 1-3; role 3: Pt勝率 1-10 / 3-12 and 単人気 1-2.
  const std::string role1 = "110000000000000000" + zeros5;
  const std::string role2 = "111000000000000000" + zeros5;
  const std::string role3a = "111111111100000000" + zeros5;
  const std::string role3b = "001111111111000000" + none + "110000000000000000" + std::string(54, '0');
  EXPECT_EQ(lines[0], role1 + role2 + role3a + odds + name1);
  EXPECT_EQ(lines[1], role1 + role2 + role3b + odds + name2);
  for (const std::string& l : lines) EXPECT_EQ(l.size(), 456u);
}

TEST(CandidateSetLine, FlagPositionsAndRoundTrip) {
  CandidateSet set;
  set.checks[1][4][16] = true;  // role 2, criterion 5, rank 17
  set.bounds = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1000000};
  set.name = "abc";
  const std::string line = FormatSetLine(set);
  ASSERT_EQ(line.size(), 456u);
  EXPECT_EQ(line[108 * 1 + 18 * 4 + 17 - 1], '1');
  EXPECT_EQ(std::count(line.begin(), line.begin() + 324, '1'), 1);
  EXPECT_EQ(line.substr(422, 14), "     151000000");
  EXPECT_EQ(line.substr(436), "abc" + std::string(17, ' '));
  const CandidateSet back = ParseSetLine(line);
  EXPECT_EQ(back.checks, set.checks);
  EXPECT_EQ(back.bounds, set.bounds);
}

TEST(CandidateSetLine, ShortLineReadsUncheckedAndZeroAndAnyOtherCharIsUnchecked) {
  const CandidateSet set = ParseSetLine("1x1");
  EXPECT_TRUE(set.checks[0][0][0]);
  EXPECT_FALSE(set.checks[0][0][1]);
  EXPECT_TRUE(set.checks[0][0][2]);
  for (int b : set.bounds) EXPECT_EQ(b, 0);
  EXPECT_EQ(set.name, std::string(20, ' '));
}

TEST(CandidateSetLine, NameIsCutAtTwentyBytesWithoutSplittingACharacter) {
  // 19 ASCII bytes then a double-byte character: the character does not fit and becomes a blank.
  const std::string name = std::string(19, 'a') + J("馬");
  EXPECT_EQ(NameField(name), std::string(19, 'a') + " ");
  EXPECT_EQ(NameField(J("あいうえおかきくけこさ")), J("あいうえおかきくけこ"));
  EXPECT_EQ(NameField("x"), "x" + std::string(19, ' '));
}

class CandidateSettingsTest : public ::testing::Test {
 protected:
  TempDir dir;
  Settings settings{dir.path()};
  RecordingUi ui;
  CandidateSettings cs;
  fs::path file() const { return dir.path() / "userkaimeset2.dat"; }

  void WriteSets(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    ASSERT_TRUE(WriteFileAtomic(file(), bytes));
  }
};

TEST_F(CandidateSettingsTest, FirstStartWritesTheDefaultsAndAppliesTheFirst) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  EXPECT_EQ(FileLines(file()), DefaultSetLines());
  EXPECT_EQ(cs.SelectorItems(), (std::vector<std::string>{J("基本設定１") + std::string(10, ' '),
                                                           J("基本設定２") + std::string(10, ' ')}));
  EXPECT_EQ(cs.SelectedIndex(), 0);
  EXPECT_TRUE(cs.Check(2, 0, 10));
  EXPECT_FALSE(cs.Check(2, 2, 1));
  EXPECT_EQ(cs.Bound(4), 0);
  EXPECT_EQ(cs.Bound(5), 1000);  // bracket quinella upper of the default set
  EXPECT_EQ(cs.TNEnabled, 1);
}

TEST_F(CandidateSettingsTest, StoredIndexIsAppliedAndAnIndexNamingNoLineFallsBackToTheFirst) {
  settings.WriteInt("Kaime", "SetIndex", 1);
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  EXPECT_EQ(cs.SelectedIndex(), 1);
  EXPECT_TRUE(cs.Check(2, 2, 1));

  settings.WriteInt("Kaime", "SetIndex", 7);
  CandidateSettings again;
  ASSERT_TRUE(again.Open(dir.path(), settings));
  EXPECT_EQ(again.SelectedIndex(), 0);
  EXPECT_EQ(settings.GetInt("Kaime", "SetIndex"), 0);
}

TEST_F(CandidateSettingsTest, BoundsAreClampedWhenApplied) {
  CandidateSet set;
  set.bounds.fill(1000000);
  set.bounds[1] = 0;  // an upper bound of 0 becomes 1
  set.name = "big";
  std::string shortLine = DefaultSetLines()[0].substr(0, 330);  // bounds cut off: win lower "     " reads 0
  WriteSets({FormatSetLine(set), shortLine});
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  EXPECT_EQ(cs.Bound(0), 1000);
  EXPECT_EQ(cs.Bound(1), 1);
  EXPECT_EQ(cs.Bound(4), 0 + 10000);
  EXPECT_EQ(cs.Bound(15), 1000000);
  cs.SelectSet(1);
  EXPECT_EQ(cs.Bound(3), 1);  // missing upper bound: 0, clamped to 1
  EXPECT_EQ(cs.Bound(2), 0);
  cs.SetBound(6, -5);
  EXPECT_EQ(cs.Bound(6), 0);
}

TEST_F(CandidateSettingsTest, AddAppendsTheCurrentStateUnderTheName) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  cs.SetCheck(0, 5, 18, true);
  cs.SetBound(1, 50);
  cs.NameEdit = "mine";
  ASSERT_TRUE(cs.AddSet(ui));
  EXPECT_TRUE(ui.Messages().empty());
  const auto lines = FileLines(file());
  ASSERT_EQ(lines.size(), 3u);
  const CandidateSet added = ParseSetLine(lines[2]);
  EXPECT_TRUE(added.checks[0][5][17]);
  EXPECT_EQ(added.bounds[1], 50);
  EXPECT_EQ(cs.SelectedIndex(), 2);
  EXPECT_EQ(settings.GetInt("Kaime", "SetIndex"), 2);
}

TEST_F(CandidateSettingsTest, AddWithABlankNameSaysSoAndChangesNothing) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  cs.NameEdit = "   ";
  EXPECT_FALSE(cs.AddSet(ui));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("設定名を入力してください。")});
  EXPECT_EQ(FileLines(file()).size(), 2u);
}

TEST_F(CandidateSettingsTest, OverwriteAsksPerSameNamedLine) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  cs.NameEdit = J("基本設定１");
  cs.SetCheck(1, 3, 4, true);

  ui.answers = {false};
  EXPECT_FALSE(cs.AddSet(ui));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("[基本設定１]はすでに存在しています。上書きしますか?")});
  EXPECT_EQ(FileLines(file()), DefaultSetLines());

  ui.Clear();
  ui.answers = {true};
  ASSERT_TRUE(cs.AddSet(ui));
  const auto lines = FileLines(file());
  ASSERT_EQ(lines.size(), 2u);  // replaced in place, order kept
  EXPECT_TRUE(ParseSetLine(lines[0]).checks[1][3][3]);
  EXPECT_EQ(lines[1], DefaultSetLines()[1]);
  EXPECT_EQ(cs.SelectedIndex(), 0);
}

TEST_F(CandidateSettingsTest, NamesEqualInTheirFirstTwentyBytesAreOneSet) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  cs.NameEdit = std::string(20, 'n') + "first";
  ASSERT_TRUE(cs.AddSet(ui));
  cs.NameEdit = std::string(20, 'n') + "second";
  ui.answers = {true};
  ASSERT_TRUE(cs.AddSet(ui));
  EXPECT_EQ(ui.Count(RecordingUi::Kind::Ask), 1);
  EXPECT_EQ(FileLines(file()).size(), 3u);
}

TEST_F(CandidateSettingsTest, DeleteAsksRefusesTheLastSetAndSelectsTheFirst) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  ui.answers = {false};
  EXPECT_FALSE(cs.DeleteSet(ui));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("[基本設定１]を削除します。よろしいですか?")});
  EXPECT_EQ(FileLines(file()).size(), 2u);

  ui.Clear();
  ASSERT_TRUE(cs.DeleteSet(ui));  // entry 0 of two
  EXPECT_EQ(FileLines(file()), std::vector<std::string>{DefaultSetLines()[1]});
  EXPECT_EQ(cs.SelectedIndex(), 0);
  EXPECT_EQ(cs.SelectorItems(), std::vector<std::string>{J("基本設定２") + std::string(10, ' ')});
  EXPECT_TRUE(cs.Check(2, 0, 1)) << "the deleted set's checks stay until another set is selected";

  ui.Clear();
  EXPECT_FALSE(cs.DeleteSet(ui));
  EXPECT_EQ(ui.Messages(),
            std::vector<std::string>{J("選択中の設定を削除できません。設定名は最低ひとつは残す必要があります。")});
  EXPECT_EQ(FileLines(file()).size(), 1u);
}

TEST_F(CandidateSettingsTest, SelectAllAndClearAllActOnTheListLastPressed) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  const CandidateSet before = cs.Current();
  cs.SelectAllOnLastPressed();
  EXPECT_EQ(cs.Current().checks, before.checks) << "nothing pressed yet";

  cs.PressCheckList(1, 4);
  cs.SelectAllOnLastPressed();
  for (int r = 1; r <= 18; ++r) EXPECT_TRUE(cs.Check(1, 4, r));
  cs.PressCheckList(0, 0);
  cs.ClearAllOnLastPressed();
  for (int r = 1; r <= 18; ++r) EXPECT_FALSE(cs.Check(0, 0, r));
  EXPECT_TRUE(cs.Check(1, 4, 1));
}

TEST_F(CandidateSettingsTest, AChosenSetWhoseIndexCannotBeStoredSaysSo) {
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  fs::remove(dir / kSettingsFileName);
  fs::create_directory(dir / kSettingsFileName);  // the settings file can be neither read nor replaced
  const FileResult r = cs.SelectSet(1);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(kSettingsFileName), std::string::npos) << r.error;
  EXPECT_EQ(cs.SelectedIndex(), 1);  // chosen for this run all the same
}

TEST(CandidateSetLine, OnlyFlagsAndNumbersMakeASet) {
  for (const std::string& line : DefaultSetLines()) EXPECT_TRUE(IsSetLine(line));
  EXPECT_TRUE(IsSetLine("0101"));  // short: the rest unchecked
  for (const std::string bad : {std::string(""), std::string("01x1"), std::string(457, '0'),
                                std::string(324, '0') + "   12ab" + std::string(125, ' '), std::string("\x89\x50NG")})
    EXPECT_FALSE(IsSetLine(bad)) << bad.substr(0, 8);
}

TEST_F(CandidateSettingsTest, AnEmptyFileGetsTheDefaults) {
  WriteSets({});
  ASSERT_TRUE(cs.Open(dir.path(), settings));
  EXPECT_EQ(FileLines(file()), DefaultSetLines());
}

TEST_F(CandidateSettingsTest, LinesThatAreNotSetsAreReportedAndTheFileIsKeptAside) {
  const std::string bytes = DefaultSetLines()[1] + "\r\n\x89PNG\x1a garbage\r\n";
  ASSERT_TRUE(WriteFileAtomic(file(), bytes));
  const FileResult r = cs.Open(dir.path(), settings);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error.find("line 2 is not a candidate set"), std::string::npos) << r.error;
  // The file as it was, kept under damaged/<time>/; the set that read is written anew.
  std::vector<fs::path> kept;
  for (const auto& e : fs::recursive_directory_iterator(dir.path() / "damaged"))
    if (e.is_regular_file()) kept.push_back(e.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].filename(), "userkaimeset2.dat");
  std::string keptBytes;
  ASSERT_TRUE(ReadFile(kept[0], keptBytes));
  EXPECT_EQ(keptBytes, bytes);
  EXPECT_EQ(FileLines(file()), std::vector<std::string>{DefaultSetLines()[1]});
  EXPECT_EQ(cs.SelectorItems().size(), 1u);
}

TEST_F(CandidateSettingsTest, WindowPositionDefaultsAndIsStored) {
  EXPECT_EQ(CandidateSettings::ReadPosition(settings).top, 100);
  EXPECT_EQ(CandidateSettings::ReadPosition(settings).left, 500);
  CandidateSettings::WritePosition(settings, {12, 34});
  Settings reread(dir.path());
  ASSERT_TRUE(reread.Load());
  EXPECT_EQ(CandidateSettings::ReadPosition(reread).top, 12);
  EXPECT_EQ(CandidateSettings::ReadPosition(reread).left, 34);
}

}  // namespace
}  // namespace kv
