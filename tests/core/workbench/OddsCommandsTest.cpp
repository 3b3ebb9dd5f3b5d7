// 時系列オッズより取得 and 1日分の全オッズを一括取得 on the workbench, and the odds movement of the
// selected race.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../dayload/DayFixture.h"
#include "JVRecordBuilder.h"
#include "WorkbenchBench.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "odds/OddsHistory.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

using test::MakeRecord;
using Kind = test::RecordingUi::Kind;

std::string Key(int race) { return Fmt("20240526050203%02d", race); }

// A time-series line of race 1: win odds of horses 1..3 (fields of 4 digits), announced hh:mm.
std::string Snapshot(int hour, int minute, const char* w1, const char* w2, const char* w3) {
  return test::StoredLine(MakeRecord("O1", {{kHdr_RaceKey, Key(1)},
                                            {kO_AnnounceTime, Fmt("0526%02d%02d", hour, minute)},
                                            {kO_Entered, "03"},
                                            {kO1_WinOdds.At(0), w1},
                                            {kO1_WinOdds.At(1), w2},
                                            {kO1_WinOdds.At(2), w3}})) +
         "\r\n";
}

// One race at Tokyo on 2024-05-26 (today of the bench's clock), three runners, post time 10:00:
// its odds are due at 09:50.
struct TimeSeriesBench : test::WorkbenchBench {
  const std::string dayName = J("2024年05月26日");
  const fs::path ts = dir / "ts";

  TimeSeriesBench() {
    EXPECT_TRUE(wb.Start());
    std::vector<std::string> grid(12 * kMaxRunners, std::string(kLineLenSE, ' ') + "\r\n");
    for (int h = 1; h <= 3; ++h)
      grid[static_cast<size_t>(h - 1)] = MakeRecord("SE", {{kHdr_RaceKey, Key(1)},
                                                           {kSE_Frame, "1"},
                                                           {kSE_HorseNum, Fmt("%02d", h)},
                                                           {kSE_HorseName, J("ﾎｰｽ") + std::to_string(h)}});
    std::string entries;
    for (const std::string& l : grid) entries += l;
    fs::create_directories(dir / "DATA");
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), dayName + J(".jvRA")),
                                MakeRecord("RA", {{kHdr_RaceKey, Key(1)}, {kRA_Entered, "03"}, {kRA_PostTime, "1000"}})));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), EntryFileName(dayName + J(".jvRA"), "05")), entries));
    fs::create_directories(ts / "20240526");
    EXPECT_TRUE(WriteFileAtomic(ts / "20240526" / "05020301.jvO1",
                                Snapshot(9, 30, "0050", "0030", "0100") + Snapshot(9, 48, "0040", "0032", "0150") +
                                    Snapshot(9, 55, "0020", "0045", "0200")));
  }
};

TEST(TimeSeriesCommand, AsksForTheFolderThenForTheDay) {
  TimeSeriesBench b;
  b.ui.Clear();
  b.wb.ImportTimeSeriesOdds();  // the folder setting is the program folder by default
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。")});

  b.wb.SetFolder("jikeiretu", b.ts.string());
  b.ui.Clear();
  b.wb.ImportTimeSeriesOdds();  // no day loaded
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。")});
  std::error_code ec;
  EXPECT_FALSE(fs::exists(DataFilePath(b.dir.path(), b.dayName + J(".jvO1")), ec));
}

TEST(TimeSeriesCommand, TakesTheSnapshotNearTheFetchTimeReloadsTheOddsAndDrawsTheMorning) {
  TimeSeriesBench b;
  b.wb.SetFolder("jikeiretu", b.ts.string());
  b.wb.LoadDay(b.dayName);
  ASSERT_TRUE(b.ui.Messages().empty()) << ToUtf8(b.ui.Messages()[0]);
  ASSERT_EQ(b.wb.SelectedListIndex(), 0);
  EXPECT_EQ(b.wb.SelectedOddsMovement().snapshots, 0);
  b.ui.Clear();

  b.wb.ImportTimeSeriesOdds();
  ASSERT_EQ(b.ui.Messages().size(), 1u);
  EXPECT_EQ(b.ui.Messages()[0].substr(0, J("1ﾚｰｽ分の単複枠ｵｯｽﾞ、").size()), J("1ﾚｰｽ分の単複枠ｵｯｽﾞ、"));
  EXPECT_EQ(b.ui.Texts(Kind::Busy), (std::vector<std::string>{"1", "0"}));

  // 09:48 is nearest to 09:50: its odds are loaded and shown.
  const TOutData& out = b.wb.Day()->OutData(0);
  EXPECT_DOUBLE_EQ(out.WinOdds[0], 4.0);
  EXPECT_DOUBLE_EQ(out.WinOdds[1], 3.2);
  EXPECT_EQ(out.WinPopularity[1], 1);

  const OddsMovement m = b.wb.SelectedOddsMovement();
  EXPECT_EQ(m.snapshots, 3);
  EXPECT_EQ(m.postMinute, 600);
  EXPECT_EQ(m.firstMinute, 570);
  EXPECT_EQ(m.lastMinute, 595);
  ASSERT_EQ(m.lines.size(), 3u);
  EXPECT_EQ(m.lines[0].horse, 2);  // by current popularity
  EXPECT_EQ(m.lines[0].name, J("ﾎｰｽ2"));
  EXPECT_EQ(m.lines[2].horse, 3);
  ASSERT_EQ(m.lines[2].points.size(), 3u);
  EXPECT_EQ(m.lines[2].points[1].minute, 588);
  EXPECT_DOUBLE_EQ(m.lines[2].points[2].odds, 20.0);
  EXPECT_TRUE(m.note.empty());
}

// Today (the bench clock's day) with three races at Tokyo of two runners each, posts 10:05, 10:35
// and 11:05; the second race is selected.
struct DayOddsBench : test::WorkbenchBench {
  const std::string date = "20240526";
  const std::string dayName = DayNameFromDate(date);

  DayOddsBench() {
    EXPECT_TRUE(wb.Start());
    std::string ras;
    std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
    const char* posts[] = {"1005", "1035", "1105"};
    for (int race = 1; race <= 3; ++race) {
      ras += test::Ra(date, "05", race, 2, posts[race - 1]);
      for (int h = 1; h <= 2; ++h) grid[static_cast<size_t>((race - 1) * 18 + h - 1)] = test::Se(date, "05", race, h);
    }
    std::string entries;
    for (const auto& l : grid) entries += l;
    fs::create_directories(dir / "DATA");
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), dayName + ".jvRA"), ras));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), EntryFileName(dayName + ".jvRA", "05")), entries));
    wb.LoadDay(dayName);
    wb.SelectRace(1);
    jv.calls.clear();
    ui.Clear();
  }
  std::string RaceKeyOf(int race) const { return date + "050103" + Fmt("%02d", race); }
  // The race's O1 record as real-time odds: win odds of horse 1 given, horse 2 at 2.0.
  std::string O1(int race, const char* win1) const {
    return MakeRecord("O1", {{kHdr_RaceKey, RaceKeyOf(race)},
                             {kHdr_DataKind, "1"},
                             {kO_AnnounceTime, "05260925"},
                             {kO1_WinOdds.At(0), win1},
                             {kO1_WinOdds.At(1), "0020"}});
  }
};

TEST(DayOddsFetch, EveryRaceFetchedInTurnWithProgressAndKeptInTheHistory) {
  DayOddsBench b;
  for (int race = 1; race <= 3; ++race) {
    b.jv.AddRecord(b.O1(race, race == 2 ? "0099" : "0050"));
    b.jv.AddReadCode(0);
  }
  // The automatic timer fires inside the read loops at race 3's due second: it must wait.
  b.jv.onCall = [&](const std::string& op) {
    if (op != "JVRead") return;
    b.clock.Set(2024, 5, 26, 10, 55, 0);
    b.wb.Live().OnOddsTimer();
  };
  b.wb.FetchAllRaceOdds();
  b.jv.onCall = nullptr;

  std::vector<std::string> opened;
  for (const auto& c : b.jv.calls)
    if (c.op == "JVRTOpen") opened.push_back(c.arg1 + " " + c.arg2);
  EXPECT_EQ(opened, (std::vector<std::string>{"0B30 " + b.RaceKeyOf(1), "0B30 " + b.RaceKeyOf(2),
                                              "0B30 " + b.RaceKeyOf(3)}));
  for (int slot = 0; slot < 3; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_DOUBLE_EQ(b.wb.Day()->OutData(slot).WinOdds[0], slot == 1 ? 9.9 : 5.0);
    const HistoryReadResult h = ReadOddsHistory(b.dir.path(), b.RaceKeyOf(slot + 1));
    ASSERT_EQ(h.snapshots.size(), 1u);
    EXPECT_EQ(h.snapshots[0].source, kHistoryRealtime);
  }
  EXPECT_EQ(b.wb.SelectedListIndex(), 2);  // each race selected in turn: the last one stays
  EXPECT_EQ(b.ui.Texts(Kind::ProgressBar), (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));
  EXPECT_EQ(b.ui.Count(Kind::ProgressHide), 1);
  EXPECT_FALSE(b.wb.Live().OddsQueueBusy());
  EXPECT_TRUE(b.ui.Messages().empty());
}

TEST(DayOddsFetch, AsksForADayFirst) {
  test::WorkbenchBench b;
  ASSERT_TRUE(b.wb.Start());
  b.ui.Clear();
  b.wb.FetchAllRaceOdds();
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("ﾃﾞｰﾀを読み込んでください。")});
  EXPECT_EQ(b.jv.CountCalls("JVRTOpen"), 0);
}

}  // namespace
}  // namespace kv
