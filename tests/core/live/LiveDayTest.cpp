// A race day live on a set clock with a scripted JV-Link: the automatic odds fetch and its
// times, the manual fetch, 直前ﾚｰｽ, the count-down, results and start-time changes.
#include <gtest/gtest.h>

#include "../dayload/DayFixture.h"
#include "WorkbenchBench.h"
#include "app/ErrorLog.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/LiveDay.h"

using namespace kv;
using Kind = test::RecordingUi::Kind;

namespace {

constexpr const char* kDate = "20240526";  // the bench clock's day
constexpr const char* kTokyo = "05";
constexpr const char* kKyoto = "08";

std::string Key(std::string_view venue, int race) { return std::string(kDate) + std::string(venue) + "0103" + Fmt("%02d", race); }

// An O1 record of the race with win odds of horse 1 and 2.
std::string O1(std::string_view venue, int race, std::string_view odds1 = "0035", std::string_view odds2 = "0120") {
  std::string rec = test::MakeRecord("O1", {{kHdr_RaceKey, Key(venue, race)}, {kHdr_DataKind, "1"}, {kHdr_MakeDate, "20240526"}});
  PutFld(rec, kO1_WinHorse.At(0), "01");
  PutFld(rec, kO1_WinOdds.At(0), odds1);
  PutFld(rec, kO1_WinHorse.At(1), "02");
  PutFld(rec, kO1_WinOdds.At(1), odds2);
  return rec;
}

std::string Tc(std::string_view venue, int race, std::string_view announced, std::string_view post) {
  std::string rec = test::MakeRecord("TC", {{kHdr_Date, kDate}, {kHdr_Venue, venue}, {kHdr_Meeting, "01"},
                                            {kHdr_MeetingDay, "03"}, {kTC_AnnounceTime, announced},
                                            {kTC_NewPostTime, post}});
  PutFld(rec, kHdr_RaceNum, Fmt("%02d", race));
  return rec;
}

struct Race {
  std::string venue;
  int number;
  std::string post;
};

// Today's day (the clock's date) with two runners in each race, loaded.
struct LiveBench : test::WorkbenchBench {
  std::string dayName = DayNameFromDate(kDate);

  explicit LiveBench(const std::vector<Race>& races = {{kTokyo, 1, "1005"}, {kTokyo, 2, "1525"}, {kTokyo, 3, "1600"}},
                     int oddsSeconds = 0) {
    EXPECT_TRUE(wb.Start());
    wb.GetSettings().WriteInt("Time", "AutoOzGetSec", oddsSeconds);
    std::string ras;
    std::map<std::string, std::vector<std::string>> ses;
    for (const Race& r : races) {
      ras += test::Ra(kDate, r.venue, r.number, 2, r.post);
      for (int h = 1; h <= 2; ++h) ses[r.venue].push_back(test::Se(kDate, r.venue, r.number, h));
    }
    Write(DataFilePath(dir.path(), dayName + ".jvRA"), ras);
    for (const auto& [venue, list] : ses) {
      std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
      for (const auto& se : list)
        grid[static_cast<size_t>((FldInt(se, kHdr_RaceNum) - 1) * 18 + FldInt(se, kSE_HorseNum) - 1)] = se;
      std::string bytes;
      for (const auto& l : grid) bytes += l;
      Write(DataFilePath(dir.path(), EntryFileName(dayName + ".jvRA", venue)), bytes);
    }
    wb.LoadDay(dayName);
    EXPECT_EQ(wb.RaceList().size(), races.size());
    jv.calls.clear();
    ui.Clear();
  }

  static void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    ASSERT_TRUE(WriteFileAtomic(p, bytes));
  }
  std::string Read(const fs::path& p) const {
    std::string bytes;
    (void)ReadFile(p, bytes);
    return bytes;
  }
  std::vector<std::string> ErrorLines() const {
    std::vector<std::string> out;
    const std::string log = Read(ErrorLogPath(dir.path()));
    size_t p = 0;
    while (p < log.size()) {
      size_t e = log.find("\r\n", p);
      if (e == std::string::npos) e = log.size();
      std::string line = log.substr(p, e - p);
      if (line.rfind(J("【エラー】"), 0) == 0) out.push_back(ToUtf8(line));
      p = e + 2;
    }
    return out;
  }
  // The race keys JVRTOpen("0B30") was called with, in order.
  std::vector<std::string> OddsOpens() const {
    std::vector<std::string> keys;
    for (const auto& c : jv.calls)
      if (c.op == "JVRTOpen" && c.arg1 == "0B30") keys.push_back(c.arg2);
    return keys;
  }
  void At(int h, int m, int s) {
    clock.Set(2024, 5, 26, h, m, s);
    wb.Live().OnOddsTimer();
  }
};

TEST(AutomaticOddsFetch, FetchesEachRaceOnceAtItsDueSecondOrTheSecondChance) {
  // Post 15:25, 10 min 30 s before: due 15:14:30, second chance 15:14:35.
  LiveBench b({{kTokyo, 1, "1005"}, {kTokyo, 2, "1525"}}, 30);
  EXPECT_EQ(b.wb.Day()->OutData(1).OddsGetTime, "151430");
  EXPECT_EQ(b.wb.Day()->OutData(1).VoteTime, "151435");
  b.At(15, 14, 28);
  b.At(15, 14, 29);
  EXPECT_TRUE(b.OddsOpens().empty());
  b.jv.AddRecord(O1(kTokyo, 2));
  b.At(15, 14, 30);
  EXPECT_EQ(b.OddsOpens(), std::vector<std::string>{Key(kTokyo, 2)});
  for (int s = 31; s <= 40; ++s) b.At(15, 14, s);
  EXPECT_EQ(b.OddsOpens().size(), 1u);
  EXPECT_TRUE(b.wb.Live().AutoOddsDone(1));
  // Stored (kind and creation date zeroed), loaded and shown; the status line cleared.
  const std::string stored = b.Read(DataFilePath(b.dir.path(), b.dayName + ".jvO1"));
  EXPECT_EQ(stored, std::string(Fld(O1(kTokyo, 2), 1, 2)) + "000000000" + O1(kTokyo, 2).substr(11));
  EXPECT_DOUBLE_EQ(b.wb.Day()->OutData(1).WinOdds[0], 3.5);
  EXPECT_EQ(b.ui.Texts(Kind::Status), (std::vector<std::string>{J("東京 2R ｵｯｽﾞ取得中"), ""}));
  EXPECT_EQ(b.jv.CountCalls("JVClose"), 2);
  EXPECT_TRUE(b.ErrorLines().empty());
}

TEST(AutomaticOddsFetch, SecondChanceAloneFetchesWhenTheDueSecondWasNeverSeen) {
  LiveBench b({{kTokyo, 2, "1525"}}, 30);
  b.At(15, 14, 34);
  b.At(15, 14, 35);  // the due second 15:14:30 fell before the first tick
  EXPECT_EQ(b.OddsOpens().size(), 1u);
}

TEST(AutomaticOddsFetch, NothingBeforeNineOrAfterSixOrOnAnotherDay) {
  LiveBench b({{kTokyo, 1, "0905"}, {kTokyo, 2, "1811"}});
  for (int s = 0; s < 600; s += 1) b.At(8, 54 + s / 60, s % 60);  // 08:54:00 .. 09:03:59
  b.At(18, 0, 0);
  for (int s = 0; s < 10; ++s) b.At(18, 0, s);
  EXPECT_TRUE(b.OddsOpens().empty());

  LiveBench other;
  other.clock.Set(2024, 5, 27, 15, 14, 59);
  other.wb.Live().OnOddsTimer();
  other.clock.Set(2024, 5, 27, 15, 15, 0);  // the day loaded is not today
  other.wb.Live().OnOddsTimer();
  EXPECT_TRUE(other.OddsOpens().empty());
}

TEST(AutomaticOddsFetch, ATickThatSkipsTheDueSecondStillFetchesOnceButNotAfterThePost) {
  LiveBench b;
  b.At(15, 14, 50);
  b.At(15, 15, 20);  // the window was busy over 15:15:00 and 15:15:05
  EXPECT_EQ(b.OddsOpens(), std::vector<std::string>{Key(kTokyo, 2)});
  b.At(15, 15, 21);
  b.At(15, 50, 0);  // race 3 (16:00) due 15:50:00
  EXPECT_EQ(b.OddsOpens(), (std::vector<std::string>{Key(kTokyo, 2), Key(kTokyo, 3)}));

  // Busy from before race 2's due time until after its post time: not fetched at all.
  LiveBench late;
  late.At(15, 14, 0);
  late.At(15, 25, 0);
  late.At(15, 40, 0);
  EXPECT_TRUE(late.OddsOpens().empty());
  EXPECT_FALSE(late.wb.Live().AutoOddsDone(1));
}

TEST(AutomaticOddsFetch, FailuresAreLoggedAndTheQueueGoesOnAndTriesOnceMore) {
  // Two races due at the same second: the first open fails, the second race is still fetched.
  LiveBench b({{kTokyo, 11, "1525"}, {kKyoto, 11, "1525"}});
  b.jv.rtOpenCodes = {-504};
  b.jv.AddRecord(O1(kKyoto, 11));
  b.At(15, 15, 0);
  EXPECT_EQ(b.OddsOpens(), (std::vector<std::string>{Key(kTokyo, 11), Key(kKyoto, 11)}));
  EXPECT_EQ(b.ErrorLines(), std::vector<std::string>{"【エラー】15:15:00：東京11R:サーバーがメンテナンス中です。(-504)"});
  EXPECT_EQ(b.ui.Texts(Kind::Status),
            (std::vector<std::string>{J("東京11R ｵｯｽﾞ取得中"), J("東京11R:サーバーがメンテナンス中です。(-504)"), "",
                                      J("京都11R ｵｯｽﾞ取得中"), ""}));
  EXPECT_EQ(b.ui.Count(Kind::Beep), 1);
  EXPECT_DOUBLE_EQ(b.wb.Day()->OutData(1).WinOdds[0], 3.5);
  // The failed race gets its second chance five seconds later, once.
  b.jv.AddRecord(O1(kTokyo, 11, "0042"));
  for (int s = 1; s <= 10; ++s) b.At(15, 15, s);
  EXPECT_EQ(b.OddsOpens().size(), 3u);
  EXPECT_DOUBLE_EQ(b.wb.Day()->OutData(0).WinOdds[0], 4.2);

  // A read error stops the loop, is shown and logged; what was stored stays.
  LiveBench r;
  r.jv.AddRecord(O1(kTokyo, 2));
  r.jv.AddReadCode(-3);
  r.jv.AddReadCode(-502);
  r.At(15, 15, 0);
  EXPECT_EQ(r.ErrorLines(),
            std::vector<std::string>{"【エラー】15:15:00：ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)"});
  EXPECT_DOUBLE_EQ(r.wb.Day()->OutData(1).WinOdds[0], 3.5);
  EXPECT_EQ(r.ui.status, "");
}

TEST(ManualOddsFetch, FetchesTheSelectedRaceOrNothingWithoutASelection) {
  LiveBench b;
  b.wb.SelectRace(2);
  b.jv.AddRecord(O1(kTokyo, 3));
  b.jv.AddRecord(test::MakeRecord("O1", {{kHdr_RaceKey, Key(kTokyo, 3)}, {kHdr_DataKind, "9"}}));  // not stored
  b.jv.rtOpenCodes = {0};
  b.wb.Live().FetchSelectedRaceOdds();
  EXPECT_EQ(b.OddsOpens(), std::vector<std::string>{Key(kTokyo, 3)});
  EXPECT_EQ(b.ui.Texts(Kind::Status), (std::vector<std::string>{J("東京 3オッズ取得中"), ""}));
  EXPECT_DOUBLE_EQ(b.wb.Day()->OutData(2).WinOdds[1], 12.0);

  b.ui.Clear();
  b.jv.rtOpenCodes = {-1};
  b.wb.Live().FetchSelectedRaceOdds();
  EXPECT_EQ(b.ErrorLines(), std::vector<std::string>{
                                "【エラー】09:30:00：東京 3R:ｵｯｽﾞ取得エラー： 取得済みデータより最新のデータがありません。(-1)"});
  EXPECT_EQ(b.ui.status, "");

  LiveBench none;
  none.wb.LoadDay(J("2030年01月01日"));  // no such day: nothing selected
  none.jv.calls.clear();
  none.ui.Clear();
  none.wb.Live().FetchSelectedRaceOdds();
  EXPECT_TRUE(none.jv.calls.empty());
  EXPECT_TRUE(none.ui.events.empty());
}

TEST(RaceDayAids, NextRaceAndCountDown) {
  LiveBench b;
  b.clock.Set(2024, 5, 26, 10, 4, 59);
  b.wb.Live().SelectNextRace();
  EXPECT_EQ(b.wb.SelectedListIndex(), 0);
  b.clock.Set(2024, 5, 26, 10, 5, 0);
  b.wb.Live().SelectNextRace();
  EXPECT_EQ(b.wb.SelectedListIndex(), 1);
  EXPECT_EQ(ToUtf8(b.wb.Live().RemainTimeText()), "発走までの残り時間：05:20:00");
  b.clock.now.msec = 400;
  EXPECT_EQ(ToUtf8(b.wb.Live().RemainTimeText()), "発走までの残り時間：05:19:59");
  b.clock.Set(2024, 5, 26, 16, 40, 0);  // every race has started: the selection stays
  b.wb.Live().SelectNextRace();
  EXPECT_EQ(b.wb.SelectedListIndex(), 1);
  EXPECT_EQ(ToUtf8(b.wb.Live().RemainTimeText()), "発走済み");
}

TEST(Results, FetchedStoredAndImportedFromTheFirstRaceOn) {
  LiveBench b;  // first post 10:05, AutoRdataGet 10: results after 09:25
  const std::string hr = test::MakeRecord("HR", {{kHdr_RaceKey, Key(kTokyo, 1)}, {kHdr_DataKind, "1"},
                                                 {kHR_Win.combo.At(0), "02"}, {kHR_Win.pay.At(0), "      350"}});
  b.clock.Set(2024, 5, 26, 9, 25, 0);
  b.wb.Live().OnResultsTimer();
  EXPECT_EQ(b.jv.CountCalls("JVRTOpen"), 0);
  b.clock.Set(2024, 5, 26, 10, 15, 0);
  b.jv.AddRecord(hr);
  b.wb.Live().OnResultsTimer();
  ASSERT_EQ(b.jv.CountCalls("JVRTOpen"), 1);
  EXPECT_EQ(b.jv.calls[0].arg1, "0B12");
  EXPECT_EQ(b.jv.calls[0].arg2, kDate);
  EXPECT_EQ(b.Read(DataFilePath(b.dir.path(), b.dayName + ".jvHR")), hr);
  EXPECT_EQ(b.wb.Day()->RaceAnalysis(0).WinPay[0], 350);
  EXPECT_EQ(b.wb.Results().groups[0].empty(), false);
  EXPECT_TRUE(b.wb.Live().ResultsButtonEnabled());
  EXPECT_EQ(b.ui.Texts(Kind::Busy), (std::vector<std::string>{"1", "0"}));

  // Nothing published yet is no failure; a real one is logged, never shown.
  b.ui.Clear();
  b.jv.rtOpenCodes = {-1};
  b.wb.Live().FetchResults();
  b.jv.rtOpenCodes = {-504};
  b.wb.Live().FetchResults();
  EXPECT_EQ(b.ErrorLines(), std::vector<std::string>{"【エラー】10:15:00：サーバーがメンテナンス中です。(-504)"});
  EXPECT_TRUE(b.ui.Messages().empty());
  EXPECT_TRUE(b.ui.Texts(Kind::Status).empty());
}

TEST(StartTimeChanges, StoredAppliedToTheRaceFileTheModelAndTheFetchTimes) {
  LiveBench b;
  b.jv.AddRecord(Tc(kTokyo, 2, "05261300", "1540"));
  b.jv.AddRecord(Tc(kTokyo, 3, "05261310", "0000"));  // no usable time: nothing changes
  b.jv.AddRecord("WE" + std::string(40, ' ') + "\r\n");
  b.wb.Live().FetchChangeInfo();
  EXPECT_EQ(b.jv.calls[0].arg1, "0B14");
  const std::string tc = b.Read(ChangeFilePath(b.dir.path(), b.dayName + ".TC"));
  EXPECT_EQ(tc, Tc(kTokyo, 2, "05261300", "1540") + Tc(kTokyo, 3, "05261310", "0000"));
  const std::string races = b.Read(DataFilePath(b.dir.path(), b.dayName + ".jvRA"));
  EXPECT_EQ(Fld(races, kRecLenRA + kRA_PostTime.pos, 4), "1540");
  EXPECT_EQ(Fld(races, 2 * kRecLenRA + kRA_PostTime.pos, 4), "1600");
  EXPECT_EQ(Fld(b.wb.Day()->Race(1), kRA_PostTime), "1540");
  EXPECT_EQ(b.wb.Day()->OutData(1).OddsGetTime, "153000");
  EXPECT_EQ(b.wb.Day()->OutData(1).VoteTime, "153005");
  EXPECT_EQ(b.wb.Day()->OutData(2).OddsGetTime, "155000");
  EXPECT_EQ(b.ui.Texts(Kind::Status), (std::vector<std::string>{J("開催速報データ取得中"), ""}));
  EXPECT_EQ(b.ui.Count(Kind::Beep), 1);
  // The automatic fetch follows the new time.
  b.At(15, 15, 0);
  EXPECT_TRUE(b.OddsOpens().empty());
  b.At(15, 30, 0);
  EXPECT_EQ(b.OddsOpens(), std::vector<std::string>{Key(kTokyo, 2)});

  // A failed fetch leaves its message on the status line and nothing in the log.
  b.ui.Clear();
  b.jv.rtOpenCodes = {-504};
  b.wb.SelectRace(0);
  b.ui.Clear();
  b.wb.Live().FetchChangeInfo();
  EXPECT_EQ(ToUtf8(b.ui.status), "東京 1R:開催速報データ取得エラー：サーバーがメンテナンス中です。(-504)");
  EXPECT_TRUE(b.ErrorLines().empty());
  // Nothing announced yet is no failure.
  b.jv.rtOpenCodes = {-1};
  b.wb.Live().FetchChangeInfo();
  EXPECT_EQ(b.ui.status, "");
}

TEST(StartTimeChanges, MarkerThresholdAndTheFirstThirtySixRecords) {
  LiveBench b;
  const fs::path tcPath = ChangeFilePath(b.dir.path(), b.dayName + ".TC");
  std::string tc = Tc(kTokyo, 1, "05261130", "1010") + Tc(kTokyo, 2, "05261230", "1530");
  for (int i = 0; i < 34; ++i) tc += Tc("09", 1, "05261230", "1000");
  tc += Tc(kTokyo, 3, "05261300", "1610");  // the 37th record
  LiveBench::Write(tcPath, tc);
  LiveBench::Write(ChangeFilePath(b.dir.path(), b.dayName + ".NEW"), "a\r\nb\r\nc\r\n05261200\r\ne\r\n");
  b.wb.Live().ApplyChanges();
  EXPECT_EQ(Fld(b.wb.Day()->Race(0), kRA_PostTime), "1005");  // announced before the threshold
  EXPECT_EQ(Fld(b.wb.Day()->Race(1), kRA_PostTime), "1530");
  EXPECT_EQ(Fld(b.wb.Day()->Race(2), kRA_PostTime), "1600");  // beyond the 36th record

  // A marker without exactly five lines admits every record.
  LiveBench::Write(ChangeFilePath(b.dir.path(), b.dayName + ".NEW"), "a\r\nb\r\nc\r\n05261200\r\n");
  b.wb.Live().ApplyChanges();
  EXPECT_EQ(Fld(b.wb.Day()->Race(0), kRA_PostTime), "1010");
}

// The live day at 09:40 with its timers, race 1 selected and no call made yet.
struct TimerBench : LiveBench {
  test::SetClock& c = StartAt0940(clock);
  LiveTimers timers{wb, c};
  TimerBench() {
    wb.SelectRace(0);
    jv.calls.clear();
  }
  static test::SetClock& StartAt0940(test::SetClock& clock) {
    clock.Set(2024, 5, 26, 9, 40, 0);
    return clock;
  }
};

TEST(LiveTimersFromTheClock, ResultsEveryIntervalAndChangesEveryFiveMinutes) {
  TimerBench b;
  test::SetClock& c = b.c;
  LiveTimers& timers = b.timers;
  for (int s = 0; s <= 31 * 60; s += 7) {  // 09:40 to 10:11 in uneven steps
    c.Set(2024, 5, 26, 9, 40, 0);
    c.Advance(s);
    timers.Tick();
  }
  int results = 0, changes = 0;
  for (const auto& call : b.jv.calls) {
    results += call.op == "JVRTOpen" && call.arg1 == "0B12";
    changes += call.op == "JVRTOpen" && call.arg1 == "0B14";
  }
  EXPECT_EQ(results, 3);  // 09:50, 10:00, 10:10
  EXPECT_EQ(changes, 6);
}

// Ticks that come while the all-race run has the window disabled (its progress lets pending
// messages run) change nothing; the first tick after it catches up.
TEST(LiveTimersFromTheClock, NoTimerRunsWhileTheAllRaceRunHoldsTheDay) {
  TimerBench b;
  test::SetClock& c = b.c;
  LiveTimers& timers = b.timers;
  timers.Tick();
  b.jv.calls.clear();
  int ticks = 0;
  size_t callsWhileDisabled = 0;
  b.ui.onProcessMessages = [&] {
    c.Advance(11 * 60);  // past a results fetch and a change-information fetch
    timers.Tick();
    if (!b.wb.WindowEnabled()) ++ticks, callsWhileDisabled = b.jv.calls.size();
  };
  b.wb.RunAllRaces();
  b.ui.onProcessMessages = nullptr;
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(callsWhileDisabled, 0u);
  timers.Tick();
  EXPECT_FALSE(b.jv.calls.empty());
}

}  // namespace
