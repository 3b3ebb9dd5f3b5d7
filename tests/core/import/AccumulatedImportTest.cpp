#include "workbench/AccumulatedImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "compare/PastRunFile.h"
#include "jvlink/DayFileStore.h"
#include "app/ErrorLog.h"
#include "app/FolderLock.h"
#include "text/Cp932.h"
#include "text/Format.h"

using namespace kv;
using namespace kv::test;

namespace {

using Kind = RecordingUi::Kind;

// The dialog as the controller sees it: every status line and "作成データ" line in order, the
// timer state, the bars.
class RecordingView : public ImportView {
 public:
  std::vector<std::string> status, made;
  std::vector<bool> timer;
  std::vector<std::string> bars;  // "D 3/10", "R 1/2", "P 0/1"
  void StatusLine(const std::string& t) override { status.push_back(t); }
  void MadeDataLine(const std::string& t) override { made.push_back(t); }
  void Bar(ImportBar b, int pos, int max) override {
    const char* n = b == ImportBar::Download ? "D" : b == ImportBar::Reading ? "R" : "P";
    bars.push_back(std::string(n) + " " + std::to_string(pos) + "/" + std::to_string(max));
  }
  void PollTimer(bool on) override { timer.push_back(on); }
  bool Has(const std::vector<std::string>& v, const std::string& s) const {
    return std::find(v.begin(), v.end(), s) != v.end();
  }
};

// RA / SE / HR / O1 of 2011-04-30 Tokyo (05), meeting 2 day 3.
std::string RA(int race, char kind = '7', const std::string& date = "20110430", const std::string& venue = "05") {
  std::string key = date + venue + "0203" + Fmt("%02d", race);
  return MakeRecord("RA", {{kHdr_DataKind, std::string(1, kind)},
                           {kHdr_MakeDate, "20110502"},
                           {kHdr_RaceKey, key},
                           {kRA_Entered, "02"}});
}
std::string SE(int race, int horse, const std::string& id, char kind = '7') {
  std::string key = "20110430050203" + Fmt("%02d", race);
  return MakeRecord("SE", {{kHdr_DataKind, std::string(1, kind)},
                           {kHdr_RaceKey, key},
                           {kSE_HorseNum, Fmt("%02d", horse)},
                           {kSE_HorseId, id},
                           {kSE_HorseName, J("テストホース")},
                           {kSE_Finish, Fmt("%02d", horse)},
                           {kSE_Time, "1345"},
                           {kSE_Weight, "550"}});
}
std::string HR(int race) {
  return MakeRecord("HR", {{kHdr_DataKind, "2"}, {kHdr_RaceKey, "20110430050203" + Fmt("%02d", race)}});
}
std::string O1(int race, char kind = '5') {
  return MakeRecord("O1", {{kHdr_DataKind, std::string(1, kind)},
                           {kHdr_RaceKey, "20110430050203" + Fmt("%02d", race)}});
}

const std::string kDay = "2011年04月30日";

// Recording ports whose question can let other things happen while it is open (as a modal box
// runs the event loop).
struct QuestionUi : RecordingUi {
  std::function<void()> onAsk;
  bool AskYesNo(const std::string& text) override {
    if (onAsk) onAsk();
    return RecordingUi::AskYesNo(text);
  }
};

struct ImportFixture : ::testing::Test {
  TempDir dir;
  Settings settings{dir.path()};
  QuestionUi ui;
  SetClock clock{DateTime{2011, 5, 10, 9, 30, 15, 0}};
  ScriptedJVLink jv;
  RecordingView view;
  std::unique_ptr<AccumulatedImport> imp;

  void SetUp() override {
    fs::create_directories(dir.path() / "DATA");
    fs::create_directories(dir.path() / "SEI");
    ASSERT_TRUE(settings.Load());
    ASSERT_TRUE(settings.WriteText("JvDataGet", "LastTime", "2011/04/29 10:00:00"));
    MakeImport();
  }
  void MakeImport() {
    imp = std::make_unique<AccumulatedImport>(settings, ui, clock, jv);
    imp->SetView(&view);
    imp->Open();
  }
  // Opens with files to read and none to download.
  void OpenReads(int readCount, std::string stamp = "20110502180000", int downloads = 0) {
    jv.openResults.push_back(JVOpenResult{0, readCount, downloads, std::move(stamp)});
  }
  std::string LastTime() {
    Settings s(dir.path());
    EXPECT_TRUE(s.Load());
    return s.GetText("JvDataGet", "LastTime");
  }
  fs::path Data(const std::string& utf8Name) { return DataFilePath(dir.path(), J(utf8Name)); }
  std::string ErrorLogText() {
    std::string text;
    if (fs::exists(ErrorLogPath(dir.path()))) {
      EXPECT_TRUE(ReadFile(ErrorLogPath(dir.path()), text));
    }
    return text;
  }
};

}  // namespace

// ---- opening ---------------------------------------------------------------------------------

TEST_F(ImportFixture, OpeningTakesLastTimeOrGoes731DaysBackWithSetUpData) {
  EXPECT_FALSE(imp->SetupData());
  EXPECT_EQ(imp->FromDate(), (DateTime{2011, 4, 29, 10, 0, 0, 0}));
  EXPECT_EQ(imp->FromDateText(), "2011/04/29 10:00:00");
  EXPECT_TRUE(imp->FinalOdds());  // default of "KakuteiOzGet"

  // First use, and a "LastTime" that is not a date: set-up data from now - 731 days.
  for (const char* last : {"", "2011/13/01 00:00:00"}) {
    ASSERT_TRUE(settings.WriteText("JvDataGet", "LastTime", last));
    ASSERT_TRUE(settings.WriteBool("JvDataGet", "KakuteiOzGet", false));
    MakeImport();
    EXPECT_TRUE(imp->SetupData()) << last;
    EXPECT_EQ(imp->FromDateText(), "2009/05/09 09:30:15") << last;
    EXPECT_FALSE(imp->FinalOdds());
  }
}

TEST(ImportDates, TextsAndTimeStamps) {
  EXPECT_EQ(FormatLastTime(DateTime{2024, 1, 6, 8, 5, 0, 0}), "2024/01/06 08:05:00");
  EXPECT_EQ(FormatJVTime(DateTime{2024, 1, 6, 8, 5, 0, 0}), "20240106080500");
  EXPECT_EQ(ParseLastTime("2024/02/29 23:59:59"), (DateTime{2024, 2, 29, 23, 59, 59, 0}));
  EXPECT_EQ(ParseJVTime("20240106080500"), (DateTime{2024, 1, 6, 8, 5, 0, 0}));
  for (const char* bad : {"", "              ", "00000000000000", "2024010608050", "20230229000000",
                          "20240106250000", "2024010608050x"})
    EXPECT_FALSE(ParseJVTime(bad).has_value()) << bad;
  for (const char* bad : {"2023/02/29 00:00:00", "2024-01-06 08:05:00", "2024/1/6 8:05:00"})
    EXPECT_FALSE(ParseLastTime(bad).has_value()) << bad;
  const DateTime newYear{2025, 1, 1, 0, 0, 0, 0};
  for (const char* from : {"20250101000000", "2025-01-01", "20250101", "2025/01/01", "2025/01/01 00:00:00"})
    EXPECT_EQ(ParseFromTime(from), newYear) << from;
  EXPECT_EQ(ParseFromTime("20250101123456"), (DateTime{2025, 1, 1, 12, 34, 56, 0}));
  for (const char* bad : {"2025-01/01", "2025-02-29", "2025/13/01", "202501", "2025-1-1", "25-01-01", "abcdefgh"})
    EXPECT_FALSE(ParseFromTime(bad).has_value()) << bad;
  EXPECT_EQ(AddDaysTo(DateTime{2013, 3, 1, 7, 0, 0, 0}, -731), (DateTime{2011, 3, 1, 7, 0, 0, 0}));
  EXPECT_EQ(AddDaysTo(DateTime{2014, 3, 1, 7, 0, 0, 0}, -731), (DateTime{2012, 2, 29, 7, 0, 0, 0}));
}

TEST_F(ImportFixture, FinalOddsBoxIsRememberedUnlessOneOff) {
  imp->SetFinalOdds(false);
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  EXPECT_FALSE(s.GetBool("JvDataGet", "KakuteiOzGet"));
  imp->SetFinalOdds(true, /*remember=*/false);
  ASSERT_TRUE(s.Load());
  EXPECT_FALSE(s.GetBool("JvDataGet", "KakuteiOzGet"));
  EXPECT_TRUE(imp->FinalOdds());
}

TEST_F(ImportFixture, JVLinkSettingsShowsOnlyAFailure) {
  jv.setUICodes = {0, -100};
  imp->JVLinkSettings();
  EXPECT_TRUE(ui.Messages().empty());
  imp->JVLinkSettings();
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("JVSetUIPropertiesエラー：") +
                                                   J("パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)")});
}

// ---- opening JV-Link -------------------------------------------------------------------------

TEST_F(ImportFixture, StartAnnouncesTheFromDateAndOpensWithTheChosenOption) {
  imp->SetSetupData(true);
  OpenReads(0);
  imp->Start();
  ASSERT_GE(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0], J("2011年04月29日10時00分00秒以降のデータ取込を開始します。データ作成が終了するまで"
                                "本ソフトを操作したり他のアプリケーションを操作することは極力避けてください。"));
  ASSERT_EQ(jv.calls[0].op, "JVOpen");
  EXPECT_EQ(jv.calls[0].arg1, "RACEDIFN");
  EXPECT_EQ(jv.calls[0].arg2, "20110429100000");
  EXPECT_EQ(jv.calls[0].number, 3);
  EXPECT_EQ(imp->StartDate(), 20110429);
}

TEST_F(ImportFixture, SecondWriterOfTheFolderIsRefusedUntilTheFirstEnds) {
  FolderLock other = FolderLock::TryLock(dir.path());  // another import of the same folder
  ASSERT_TRUE(other.Held());
  OpenReads(1);
  imp->Start();
  EXPECT_TRUE(jv.calls.empty());
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{J("別のデータ取込が実行中です。終了してから再度実行してください。")}));
  EXPECT_EQ(imp->GetOutcome(), AccumulatedImport::Outcome::Failed);
  EXPECT_FALSE(imp->Busy());
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");

  // While this import runs it holds the lock; once it has ended the folder is free again.
  other.Release();
  jv.AddRecord(RA(1));
  jv.AddReadCode(0);
  int heldWhileReading = 0;
  jv.onCall = [&](const std::string& op) {
    if (op == "JVRead") heldWhileReading += FolderLock::TryLock(dir.path()).GetState() == FolderLock::State::Busy;
  };
  imp->Start();
  EXPECT_EQ(imp->GetOutcome(), AccumulatedImport::Outcome::Completed);
  EXPECT_EQ(heldWhileReading, 2);
  EXPECT_TRUE(FolderLock::TryLock(dir.path()).Held());
}

TEST_F(ImportFixture, OpenWithoutAnythingToReadIsToldAndClosed) {
  struct Case {
    JVOpenResult open;
    std::string message;
  };
  const Case cases[] = {
      {{-1, 0, 0, ""}, J("最新のデータがありません。")},
      {{0, 0, 0, "20110502180000"}, J("最新のデータがありません。")},
      {{-301, 0, 0, ""}, J("JVOpenエラー:認証エラーが発生しました。(-301)")},
      {{-999, 0, 0, ""}, J("JVOpenエラー:(-999)")},
  };
  for (const Case& c : cases) {
    jv.calls.clear();
    ui.Clear();
    jv.openResults.push_back(c.open);
    imp->Start();
    const auto msgs = ui.Messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[1], c.message);
    EXPECT_EQ(jv.CallNames(), (std::vector<std::string>{"JVOpen", "JVClose"}));
    EXPECT_EQ(ui.Texts(Kind::Busy), (std::vector<std::string>{"1", "0"}));
    EXPECT_FALSE(imp->Busy());
    EXPECT_FALSE(imp->PollTimerRunning());
    EXPECT_EQ(imp->GetOutcome(), c.open.code == -1 || c.open.code == 0 ? AccumulatedImport::Outcome::NothingNewer
                                                                       : AccumulatedImport::Outcome::Failed);
  }
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
}

TEST_F(ImportFixture, JVCloseFailureIsShownAndSuccessOnlyBeeps) {
  jv.openResults.push_back({-1, 0, 0, ""});
  jv.closeCodes = {-201};
  imp->Start();
  EXPECT_EQ(ui.Messages().back(), J("JVCloseエラー:(-201)"));
  ui.Clear();
  jv.openResults.push_back({-1, 0, 0, ""});
  imp->Start();
  EXPECT_EQ(ui.events.back().kind, Kind::Beep);
}

// ---- reading ---------------------------------------------------------------------------------

TEST_F(ImportFixture, NoDownloadReadsAtOnceStoresAndWritesLastTime) {
  OpenReads(2);
  jv.AddRecord(RA(1));
  jv.AddRecord(SE(1, 1, "2008100001"));
  jv.AddReadCode(-1);
  jv.AddRecord(HR(1));
  jv.AddRecord(SE(1, 2, "2008100002"));
  jv.AddReadCode(-3);
  jv.AddReadCode(-2);
  jv.AddReadCode(-1);
  jv.AddReadCode(0);
  imp->Start();

  EXPECT_EQ(jv.CountCalls("JVStatus"), 0);
  EXPECT_EQ(jv.CountCalls("JVClose"), 1);
  EXPECT_EQ(jv.calls.back().op, "JVClose");
  for (const auto& c : jv.calls) {
    if (c.op == "JVRead") {
      EXPECT_EQ(c.number, 100000);
    }
  }
  EXPECT_GE(ui.processMessagesCalls, jv.CountCalls("JVRead"));
  EXPECT_TRUE(view.Has(view.bars, "D 100/100"));
  EXPECT_TRUE(view.Has(view.bars, "R 0/2"));
  EXPECT_TRUE(view.Has(view.bars, "R 2/2"));
  EXPECT_EQ(view.status, (std::vector<std::string>{
                             J("JVOpen正常:正常に実行されました。(0)"), "ReadCount:2, DownloadCount:0",
                             J("データ読込み中．．．(0/2)"), J("データ読込み中．．．(1/2)"),
                             J("データ読込み中．．．(2/2)"), J("データ読込み完了(2/2)"),
                             J("データ作成が完了しました。")}));
  EXPECT_EQ(imp->FilesRead(), 2);

  // Stored, listed, built.
  EXPECT_TRUE(fs::exists(Data("2011年04月30日.jvRA")));
  EXPECT_TRUE(fs::exists(Data("2011年04月30日.jvHR")));
  EXPECT_TRUE(fs::exists(Data("2011年04月30日東京.jvSEr")));
  EXPECT_EQ(imp->FinalResultsDays(), std::vector<std::string>{J(kDay + ".jvRA")});
  EXPECT_TRUE(fs::exists(PastRunPath(dir.path(), "2008100001")));
  EXPECT_TRUE(fs::exists(PastRunPath(dir.path(), "2008100002")));
  EXPECT_EQ(imp->BuildDoneText(), J("過去走データを構築しました。"));

  EXPECT_EQ(LastTime(), "2011/05/02 18:00:00");
  EXPECT_EQ(imp->FromDateText(), "2011/05/02 18:00:00");
  EXPECT_EQ(imp->GetOutcome(), AccumulatedImport::Outcome::Completed);
  EXPECT_EQ(imp->GetBar(ImportBar::Download).position, 0);
  EXPECT_EQ(imp->GetBar(ImportBar::Reading).position, 0);
  EXPECT_EQ(imp->GetBar(ImportBar::PastRun).position, 0);
  EXPECT_FALSE(imp->Busy());
}

TEST_F(ImportFixture, DownloadIsPolledUntilEveryFileIsThere) {
  OpenReads(1, "20110502180000", 3);
  jv.statusCodes = {0, 2, 3};
  jv.AddRecord(RA(1));
  jv.AddReadCode(0);
  imp->Start();
  EXPECT_EQ(view.status.back(), J("ダウンロード中・・・"));
  EXPECT_TRUE(imp->PollTimerRunning());
  EXPECT_EQ(imp->GetPhase(), AccumulatedImport::Phase::Downloading);
  EXPECT_EQ(jv.CountCalls("JVRead"), 0);

  imp->PollStatus();
  imp->PollStatus();
  EXPECT_EQ(view.status.back(), J("ダウンロード中．．．(2/3)"));
  EXPECT_EQ(imp->GetBar(ImportBar::Download).position, 2);
  EXPECT_EQ(imp->GetBar(ImportBar::Download).maximum, 3);
  EXPECT_EQ(jv.CountCalls("JVRead"), 0);
  EXPECT_EQ(ui.Texts(Kind::Busy), std::vector<std::string>{"1"});  // busy while downloading

  imp->PollStatus();
  EXPECT_TRUE(view.Has(view.status, J("ダウンロード中．．．(3/3)")));
  EXPECT_FALSE(imp->PollTimerRunning());
  EXPECT_EQ(view.timer, (std::vector<bool>{true, false}));
  EXPECT_EQ(jv.CountCalls("JVRead"), 2);
  EXPECT_EQ(jv.CallNames().back(), "JVClose");
  EXPECT_EQ(view.status.back(), J("データ作成が完了しました。"));
  EXPECT_FALSE(imp->Busy());

  imp->PollStatus();  // a late tick after the end does nothing
  EXPECT_EQ(jv.CountCalls("JVStatus"), 3);
}

TEST_F(ImportFixture, StatusErrorStopsPollingAndCloses) {
  OpenReads(1, "20110502180000", 2);
  jv.statusCodes = {1, -502};
  imp->Start();
  imp->PollStatus();
  imp->PollStatus();
  EXPECT_EQ(ui.Messages().back(), J("JVStatusエラー:ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)"));
  EXPECT_FALSE(imp->PollTimerRunning());
  EXPECT_EQ(jv.CountCalls("JVClose"), 1);
  EXPECT_EQ(jv.CountCalls("JVRead"), 0);
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
}

TEST_F(ImportFixture, OverLongRecordIsNamedByFileAndPositionOnScreenAndInTheLog) {
  OpenReads(2);
  jv.AddRecord(RA(1), "20110502180000-01-RACE.jvd");
  jv.AddReadCode(-1);
  jv.AddRecord(RA(2), "20110502180000-02-RACE.jvd");
  jv.AddRecord(RA(3), "20110502180000-02-RACE.jvd");
  jv.reads.push_back(JVReadResult{-402, "", "20110502180000-02-RACE.jvd"});
  imp->Start();
  const std::string want = J("JVReadエラー:ダウンロードしたファイルサイズが異常です。(-402)（") +
                           "20110502180000-02-RACE.jvd" + J("の3件目のレコード）");
  EXPECT_EQ(ui.Messages().back(), want);
  EXPECT_NE(ErrorLogText().find(want), std::string::npos);
}

TEST_F(ImportFixture, ReadErrorKeepsStoredRecordsButNotLastTime) {
  OpenReads(2);
  jv.AddRecord(RA(1));
  jv.AddRecord(SE(1, 1, "2008100001"));
  jv.AddReadCode(-402);
  jv.AddRecord(RA(2));  // never read
  imp->Start();
  EXPECT_EQ(ui.Messages().back(), J("JVReadエラー:ダウンロードしたファイルサイズが異常です。(-402)"));
  EXPECT_EQ(jv.CountCalls("JVRead"), 3);
  EXPECT_EQ(jv.CallNames().back(), "JVClose");
  EXPECT_TRUE(fs::exists(Data("2011年04月30日.jvRA")));  // flushed on the error path
  EXPECT_FALSE(fs::exists(PastRunPath(dir.path(), "2008100001")));  // no build
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
  EXPECT_FALSE(view.Has(view.status, J("データ作成が完了しました。")));
  EXPECT_EQ(imp->GetOutcome(), AccumulatedImport::Outcome::Failed);
}

TEST_F(ImportFixture, BlankOrZeroTimeStampLeavesLastTime) {
  for (const char* stamp : {"00000000000000", "", "   "}) {
    OpenReads(1, stamp);
    jv.AddRecord(RA(1));
    jv.AddReadCode(0);
    imp->Start();
    EXPECT_EQ(view.status.back(), J("データ作成が完了しました。")) << stamp;
    EXPECT_EQ(LastTime(), "2011/04/29 10:00:00") << stamp;
    EXPECT_EQ(imp->FromDateText(), "2011/04/29 10:00:00");
  }
}

// ---- what is stored and listed ----------------------------------------------------------------

TEST_F(ImportFixture, FinalOddsOffDiscardsOddsAndOnStoresThem) {
  for (bool on : {false, true}) {
    imp->SetFinalOdds(on);
    view.made.clear();
    OpenReads(1);
    jv.AddRecord(O1(1));
    jv.AddReadCode(0);
    imp->Start();
    EXPECT_EQ(fs::exists(Data("2011年04月30日.jvO1")), on);
    EXPECT_EQ(view.made.size(), on ? 1u : 0u);
  }
  EXPECT_EQ(view.made[0], J("単勝確定ｵｯｽﾞ:01R/2011年04月30日.jvO1"));
}

TEST_F(ImportFixture, OnlyStoredKind7RacesAreListedAndShown) {
  OpenReads(1);
  jv.AddRecord(RA(3, 'A'));                            // not central: nowhere
  jv.AddRecord(RA(4, '7', "20110418"));                // below start date - 10: nowhere
  jv.AddRecord(RA(2, '7', "20110501", "08"));          // listed
  jv.AddRecord(RA(1, '2'));                            // stored, not listed
  jv.AddRecord(RA(5, '7'));                            // listed
  jv.AddRecord(RA(6, '7'));                            // same day: once
  jv.AddReadCode(0);
  imp->Start();
  EXPECT_EQ(imp->FinalResultsDays(),
            (std::vector<std::string>{J("2011年04月30日.jvRA"), J("2011年05月01日.jvRA")}));
  EXPECT_EQ(view.made, (std::vector<std::string>{J("開催:2011年05月01日京都02R"), J("開催:2011年04月30日東京01R"),
                                                 J("開催:2011年04月30日東京05R"), J("開催:2011年04月30日東京06R")}));
}

TEST(ImportMadeData, LineTextsPerRecordType) {
  const std::string name = J("テストホース");
  const std::string se = SE(11, 7, "2008100001");
  EXPECT_EQ(AccumulatedImport::MadeDataFor(se, ""),
            J("馬毎:東京11R/⑦") + name + std::string(36 - name.size(), ' '));
  EXPECT_EQ(AccumulatedImport::MadeDataFor(HR(3), ""), J("払戻:2011年04月30日東京03R"));
  EXPECT_EQ(AccumulatedImport::MadeDataFor(RA(12), ""), J("開催:2011年04月30日東京12R"));
  std::string o6 = BlankRecord("O6");
  PutFld(o6, kHdr_RaceKey, "2011043005020309");
  EXPECT_EQ(AccumulatedImport::MadeDataFor(o6, J("2011年04月30日.jvO6")),
            J("3連単確定ｵｯｽﾞ:09R/2011年04月30日.jvO6"));
}

TEST_F(ImportFixture, RejectedRecordIsLoggedAndTheImportGoesOn) {
  OpenReads(1);
  std::string shortRa = RA(1).substr(0, 600) + "\r\n";
  jv.AddRecord(shortRa);
  jv.AddRecord(RA(2));
  jv.AddReadCode(0);
  imp->Start();
  EXPECT_EQ(imp->RejectedRecords(), 1);
  EXPECT_NE(ErrorLogText().find(J("【エラー】09:30:15：")), std::string::npos);
  EXPECT_EQ(view.made, std::vector<std::string>{J("開催:2011年04月30日東京02R")});
  EXPECT_EQ(view.status.back(), J("データ作成が完了しました。"));
  EXPECT_EQ(LastTime(), "2011/05/02 18:00:00");
  EXPECT_EQ(ui.Texts(Kind::Warning).size(), 1u);
}

TEST_F(ImportFixture, ManyRejectedRecordsAreAllLoggedInOrderAfterTheStartUpLines) {
  ASSERT_TRUE(WriteStartupLog(ErrorLogPath(dir.path()), clock.Now(), dir.path()));
  OpenReads(1);
  const int n = 1201;  // more than two batches
  for (int i = 0; i < n; ++i) jv.AddRecord(RA(1 + i % 12).substr(0, 100 + i % 7) + "\r\n");
  jv.AddRecord(RA(2));
  jv.AddReadCode(0);
  imp->Start();
  EXPECT_EQ(imp->RejectedRecords(), n);
  const std::string log = ErrorLogText();
  EXPECT_TRUE(log.starts_with(J("ソフト起動：")));
  size_t lines = 0, last = 0;
  for (size_t at = 0; (at = log.find(J("【エラー】09:30:15："), at)) != std::string::npos; ++at, ++lines) last = at;
  EXPECT_EQ(lines, static_cast<size_t>(n));
  EXPECT_TRUE(log.ends_with("\r\n"));
  EXPECT_EQ(log.find("\r\n", last) + 2, log.size());
}

TEST_F(ImportFixture, UnwritableStoreStopsTheImport) {
  OpenReads(1);
  jv.AddRecord(RA(1));
  jv.AddRecord(RA(2));
  jv.AddReadCode(0);
  // A folder where the race file should be: it can be neither read nor replaced.
  fs::create_directories(Data("2011年04月30日.jvRA"));
  imp->Start();
  EXPECT_EQ(jv.CountCalls("JVRead"), 1);
  EXPECT_EQ(jv.CallNames().back(), "JVClose");
  EXPECT_EQ(ui.Count(Kind::Info), 2);  // the announcement and the failure, once
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
  EXPECT_FALSE(ErrorLogText().empty());
}

// ---- cancel ----------------------------------------------------------------------------------

TEST_F(ImportFixture, CancelAnsweredNoChangesNothing) {
  ui.answers = {false};
  imp->Cancel();
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("データ取込を中止します。実行しますか？")});
  EXPECT_TRUE(jv.calls.empty());
  EXPECT_FALSE(imp->Cancelled());
}

TEST_F(ImportFixture, CancelWhileReadingStopsKeepsRecordsAndClosesOnce) {
  OpenReads(1);
  jv.AddRecord(RA(1));
  jv.AddRecord(SE(1, 1, "2008100001"));
  jv.AddRecord(RA(2));
  jv.AddReadCode(0);
  ui.onProcessMessages = [&] {
    if (jv.CountCalls("JVRead") == 2 && !imp->Cancelled()) imp->Cancel();
  };
  imp->Start();
  EXPECT_TRUE(imp->Cancelled());
  EXPECT_EQ(jv.CountCalls("JVRead"), 2);
  EXPECT_EQ(jv.CountCalls("JVCancel"), 1);
  EXPECT_EQ(jv.CountCalls("JVClose"), 1);
  EXPECT_EQ(jv.CallNames().back(), "JVClose");
  EXPECT_EQ(ui.Messages().back(), J("JVCancel:キャンセルされました"));
  EXPECT_EQ(view.status.back(), J("JVCancel:キャンセルされました"));
  EXPECT_TRUE(fs::exists(Data("2011年04月30日東京.jvSEr")));
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
  EXPECT_EQ(imp->GetOutcome(), AccumulatedImport::Outcome::Cancelled);

  // The next import clears the flag.
  ui.onProcessMessages = nullptr;
  OpenReads(1);
  jv.AddReadCode(0);
  imp->Start();
  EXPECT_FALSE(imp->Cancelled());
  EXPECT_EQ(LastTime(), "2011/05/02 18:00:00");
}

TEST_F(ImportFixture, CancelWhileDownloadingStopsPollingAndCloses) {
  OpenReads(1, "20110502180000", 5);
  jv.statusCodes = {1, 5};
  imp->Start();
  imp->PollStatus();
  // A timer tick while the question is open neither polls nor starts reading.
  ui.onAsk = [&] { imp->PollStatus(); };
  ui.answers = {true};
  imp->Cancel();
  EXPECT_EQ(jv.CountCalls("JVStatus"), 1);
  EXPECT_FALSE(imp->PollTimerRunning());
  EXPECT_FALSE(imp->Busy());
  EXPECT_EQ(jv.CountCalls("JVCancel"), 1);
  EXPECT_EQ(jv.CountCalls("JVClose"), 1);
  EXPECT_EQ(jv.CountCalls("JVRead"), 0);
  EXPECT_EQ(ui.Texts(Kind::Busy), (std::vector<std::string>{"1", "0"}));
  imp->PollStatus();  // a tick already queued before the timer stopped
  EXPECT_EQ(jv.CountCalls("JVStatus"), 1);
  EXPECT_EQ(LastTime(), "2011/04/29 10:00:00");
}

TEST_F(ImportFixture, StartWhileRunningIsIgnored) {
  OpenReads(1, "20110502180000", 2);
  imp->Start();
  imp->Start();
  EXPECT_EQ(jv.CountCalls("JVOpen"), 1);
}

// ---- a real race -----------------------------------------------------------------------------

// Set 4 of the reference records: 2011-04-30 Niigata R1, RA + all 11 SE of kind 7, HR, O1-O5.
TEST_F(ImportFixture, RealRaceBecomesDayFilesAndPastRunFiles) {
  const fs::path records = fs::path(KORVANE_REFDATA) / "records";
  if (!fs::exists(records)) GTEST_SKIP() << "no reference records";
  auto rec = [&](const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadFile(records / (name + ".txt"), bytes)) << name;
    return bytes;
  };
  std::vector<std::string> ids;
  OpenReads(3);
  jv.AddRecord(rec("RA_2"));
  for (int i = 2; i <= 12; ++i) {
    std::string se = rec("SE_" + std::to_string(i));
    ids.push_back(FldStr(se, kSE_HorseId));
    jv.AddRecord(se);
  }
  jv.AddReadCode(-1);
  jv.AddRecord(rec("HR_2"));
  jv.AddReadCode(-1);
  for (int t = 1; t <= 5; ++t) jv.AddRecord(rec("O" + std::to_string(t) + "_2"));
  jv.AddReadCode(-1);
  jv.AddReadCode(0);
  imp->Start();

  ASSERT_EQ(view.status.back(), J("データ作成が完了しました。"));
  EXPECT_EQ(imp->RejectedRecords(), 0);
  EXPECT_EQ(imp->FinalResultsDays(), std::vector<std::string>{J("2011年04月30日.jvRA")});
  EXPECT_EQ(fs::file_size(Data("2011年04月30日.jvRA")), 1272u);
  EXPECT_EQ(fs::file_size(Data("2011年04月30日新潟.jvSEr")), 216u * 555u);
  EXPECT_EQ(fs::file_size(Data("2011年04月30日.jvHR")), 719u);
  for (int t = 1; t <= 5; ++t) EXPECT_TRUE(fs::exists(Data("2011年04月30日.jvO" + std::to_string(t)))) << t;
  EXPECT_EQ(view.made.front(), J("開催:2011年04月30日新潟01R"));
  EXPECT_EQ(view.made.back(), J("3連複確定ｵｯｽﾞ:01R/2011年04月30日.jvO5"));

  ASSERT_EQ(ids.size(), 11u);
  for (const std::string& id : ids) {
    const fs::path p = PastRunPath(dir.path(), id);
    ASSERT_TRUE(fs::exists(p)) << id;
    EXPECT_EQ(fs::file_size(p), 826u) << id;
  }
  EXPECT_EQ(LastTime(), "2011/05/02 18:00:00");
}
