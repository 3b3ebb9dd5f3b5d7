#include <gtest/gtest.h>

#include "LoadedWorkbench.h"
#include "WorkbenchBench.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "app/Files.h"
#include "app/Settings.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/FeedJVLink.h"
#include "workbench/Workbench.h"

using namespace kv;
using Kind = test::RecordingUi::Kind;

namespace {

struct Bench : test::WorkbenchBench {
  Bench() { EXPECT_TRUE(wb.Start()); }
  // The value as stored in the file (a fresh store reads it).
  Settings Stored() const {
    Settings s(dir.path());
    EXPECT_TRUE(s.Load());
    return s;
  }
};

TEST(OddsCeiling, AcceptsOneToTwentyAndRefusesTheRestWithItsMessage) {
  struct Case {
    const char* field;
    const char* message;
    const char* stored;  // nullptr: nothing stored
  } cases[] = {
      {"", "入力がありません。", nullptr},
      {"   ", "入力がありません。", nullptr},
      {"0.9", "１倍未満のｵｯｽﾞは指定できません。", nullptr},
      {"1", "ｵｯｽﾞの上限を 1.0に指定しました。", " 1.0"},
      {"20", "ｵｯｽﾞの上限を20.0に指定しました。", "20.0"},
      {"20.1", "２０倍越のｵｯｽﾞは指定できません。", nullptr},
      {" 12.5", "ｵｯｽﾞの上限を12.5に指定しました。", "12.5"},
      {"1x", "数値を入力してください。", nullptr},
  };
  for (const Case& c : cases) {
    Bench b;
    EXPECT_EQ(b.wb.ApplyOddsCeiling(c.field), c.stored != nullptr) << c.field;
    ASSERT_EQ(b.ui.Messages().size(), 1u) << c.field;
    EXPECT_EQ(b.ui.events.back().kind, Kind::Info);
    EXPECT_EQ(ToUtf8(b.ui.Messages()[0]), c.message) << c.field;
    // Written as "%4.1f"; the ini store trims values when it reads them.
    EXPECT_EQ(Trim(b.Stored().GetText("OddsSpan", "ceil")), Trim(c.stored ? c.stored : "10.0")) << c.field;
  }
}

TEST(UserSettingDialogs, ClampToTheirRangesAndStoreAtOnce) {
  Bench b;
  EXPECT_EQ(b.wb.DataSpanPreset(), 1826);
  for (auto [entered, stored] : {std::pair{100, 365}, {9000, 7300}, {400, 400}}) {
    b.wb.ApplyDataSpan(entered);
    EXPECT_EQ(b.Stored().ReadInt("DataSpan", "period", -1), stored) << entered;
  }

  EXPECT_EQ(b.wb.StakePreset(), 3000);
  for (auto [entered, stored] : {std::pair{0, 100}, {99, 100}, {100, 100}, {2500, 2500}}) {
    b.wb.ApplyStake(entered);
    EXPECT_EQ(b.Stored().ReadInt("KaimeSet", "DefaultAmount", -1), stored) << entered;
  }

  EXPECT_EQ(b.wb.TimingPreset(), (TimingSettings{10, 0, 5, 10, 37}));
  b.wb.ApplyTiming({0, 75, 1, 60, 0});
  const Settings s = b.Stored();
  EXPECT_EQ(s.ReadInt("Time", "AutoOzGet", -1), 1);
  EXPECT_EQ(s.ReadInt("Time", "AutoOzGetSec", -1), 59);
  EXPECT_EQ(s.ReadInt("Time", "AutoTohyoInterval", -1), 2);
  EXPECT_EQ(s.ReadInt("Time", "AutoRdataGet", -1), 59);
  EXPECT_EQ(s.ReadInt("Time", "AutoBataijuGet", -1), 37);  // always written as 37
  EXPECT_TRUE(b.ui.Messages().empty());
}

// OK of 投資金設定 with a day loaded: the races still at the old amount take the new one and the
// selected race is selected again, so the bet window works with the new amount at once.
TEST(UserSettingDialogs, StakeOkRebuildsTheBetWindowWithTheNewAmount) {
  test::LoadedBench b;
  const int selected = b.SelectedSlot(), other = b.wb.RaceSlots()[0];
  EXPECT_EQ(b.wb.Bets().State().AmountText(), "3000");
  b.wb.Day()->StakeList[static_cast<size_t>(other)] = "1200";  // typed for that race
  b.wb.ApplyStake(5000);
  EXPECT_EQ(b.wb.Bets().State().AmountText(), "5000");
  EXPECT_EQ(b.wb.Day()->StakeList[static_cast<size_t>(selected)], "5000");
  EXPECT_EQ(b.wb.Day()->StakeList[static_cast<size_t>(other)], "1200");
  EXPECT_EQ(b.wb.SelectedListIndex(), 1);
}

TEST(UserSettingDialogs, RangesAgreeWithTheSettingsTable) {
  struct Row {
    const char* section;
    const char* key;
    IntRange range;
  } rows[] = {{"DataSpan", "period", kDataSpanRange},      {"Time", "AutoOzGet", kOddsMinutesRange},
              {"Time", "AutoOzGetSec", kOddsSecondsRange}, {"Time", "AutoTohyoInterval", kVoteIntervalRange},
              {"Time", "AutoRdataGet", kResultMinutesRange}, {"Time", "AutoBataijuGet", kBodyWeightMinutesRange}};
  for (const Row& r : rows) {
    const SettingDef* d = FindSettingDef(r.section, r.key);
    ASSERT_NE(d, nullptr) << r.key;
    EXPECT_EQ(d->min, r.range.min) << r.key;
    EXPECT_EQ(d->max, r.range.max) << r.key;
  }
}

TEST(Options, EachClickTogglesAndWritesTheCheck) {
  Bench b;
  EXPECT_FALSE(b.wb.OptionChecked(OptionCheck::IgnorePastRunDates));
  EXPECT_TRUE(b.wb.OptionChecked(OptionCheck::CompareAfterLoad));
  EXPECT_FALSE(b.wb.OptionChecked(OptionCheck::HideDataListAfterLoad));
  b.wb.ToggleOption(OptionCheck::CompareAfterLoad);
  b.wb.ToggleOption(OptionCheck::HideDataListAfterLoad);
  EXPECT_FALSE(b.Stored().ReadBool("AllRace", "ExecComp", true));
  EXPECT_TRUE(b.Stored().ReadBool("datalist", "close", false));
  b.wb.ToggleOption(OptionCheck::CompareAfterLoad);
  EXPECT_TRUE(b.Stored().ReadBool("AllRace", "ExecComp", false));
}

TEST(Placement, DefaultsOnFirstStartAndSurvivesARestart) {
  Bench b;
  EXPECT_EQ(b.wb.SavedPlacement(), (WindowPlacement{10, 10, 1000, 900}));
  b.wb.SavePlacement({25, 40, 1200, 700});
  Workbench next(b.dir.path(), b.ui, b.clock, b.jv, b.desktop);
  ASSERT_TRUE(next.Start());
  EXPECT_EQ(next.SavedPlacement(), (WindowPlacement{25, 40, 1200, 700}));
}

TEST(Help, MissingManualIsToldAndAPresentOneIsOpened) {
  Bench b;
  b.wb.OpenManual();
  EXPECT_EQ(b.ui.Texts(Kind::Info), std::vector<std::string>{J("使用解説書[Korvane2.pdf]が見つかりません。")});
  EXPECT_TRUE(b.desktop.opened.empty());

  b.ui.Clear();
  ASSERT_TRUE(WriteFileAtomic(b.dir / "Korvane2.pdf", "%PDF-1.4"));
  b.wb.OpenManual();
  EXPECT_TRUE(b.ui.Messages().empty());
  EXPECT_EQ(b.desktop.opened, std::vector<std::string>{(b.dir / "Korvane2.pdf").string()});

  EXPECT_EQ(b.wb.AboutText(), "Korvane2  Ver.2.20");
}

TEST(Folders, PickerOpensAtTheStoredFolderAndStoresTheChoice) {
  Bench b;
  EXPECT_EQ(b.wb.FolderPickerStart("kaime"), b.dir.path().string());  // default: the program folder
  const fs::path chosen = b.dir / "投票";
  fs::create_directories(chosen);
  b.wb.SetFolder("kaime", chosen.string());
  EXPECT_EQ(ToUtf8(b.Stored().GetText("Dir", "kaime")), chosen.string());
  EXPECT_EQ(b.wb.FolderPickerStart("kaime"), chosen.string());
  // A stored folder that has gone away opens the picker at the program folder.
  fs::remove(chosen);
  EXPECT_EQ(b.wb.FolderPickerStart("kaime"), b.dir.path().string());
}

TEST(Startup, DayListIsNewestFirstAndJVLinkIsInitialisedOnceWhenShown) {
  test::TempDir dir;
  fs::create_directories(dir / "Data");
  for (const char* day : {"2024年05月25日", "2024年05月26日", "2023年12月28日"})
    ASSERT_TRUE(WriteFileAtomic(dir / "Data" / PathFromUtf8(std::string(day) + ".jvRA"), ""));
  test::RecordingUi ui;
  test::SetClock clock;
  test::ScriptedJVLink jv;
  jv.version = "0480";
  test::RecordingDesktop desktop;
  Workbench wb(dir.path(), ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  ASSERT_EQ(wb.DayList().size(), 3u);
  EXPECT_EQ(ToUtf8(wb.DayList()[0]), "2024年05月26日");
  EXPECT_EQ(ToUtf8(wb.DayList()[2]), "2023年12月28日");
  EXPECT_EQ(wb.StakeList()[35], "3000");
  EXPECT_EQ(wb.Grids().entry.ColCount(), 31);
  EXPECT_EQ(ToUtf8(wb.Grids().entry.At(0, 30)), "確人");

  wb.OnShown();
  wb.OnShown();
  EXPECT_EQ(ui.Count(Kind::Info), 1);  // the old-version notice, once
}

TEST(FeedFolder, RelativeToTheProgramFolderAndEmptyWithoutSetting) {
  test::TempDir dir;
  test::SetClock clock{DateTime{2024, 5, 26, 9, 30, 0, 0}};
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  EXPECT_TRUE(FeedFolder(s).empty());
  EXPECT_TRUE(MissingFeedFolderMessage(s).empty());  // no feed set: nothing to tell
  ASSERT_TRUE(s.WriteText(kFeedSection, kFeedKey, "feed"));
  EXPECT_EQ(FeedFolder(s), dir / "feed");
  EXPECT_EQ(ToUtf8(MissingFeedFolderMessage(s)).find("JV-Linkのデータフォルダ[" + (dir / "feed").string() + "]"), 0u);

  // The JV-Link serves the folder, also when it appears after the JV-Link was made.
  auto jv = MakeFeedJVLink(s, clock);
  ASSERT_TRUE(jv);
  EXPECT_TRUE(jv->Available());
  ASSERT_EQ(jv->JVInit(kJVSoftwareId), 0);
  EXPECT_EQ(jv->JVOpen("RACEDIFN", "20240101000000", 1).code, -1);
  fs::create_directories(dir / "feed" / "RACEDIFN");
  ASSERT_TRUE(WriteFileAtomic(dir / "feed" / "RACEDIFN" / "20240525170000-01-RACE.jvd", "x\r\n"));
  EXPECT_TRUE(MissingFeedFolderMessage(s).empty());
  const JVOpenResult open = jv->JVOpen("RACEDIFN", "20240101000000", 1);
  EXPECT_EQ(open.code, 0);
  EXPECT_EQ(open.readCount, 1);
  jv->JVClose();
}

}  // namespace
