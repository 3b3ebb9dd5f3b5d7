// 払戻取込 on the workbench: a day loaded from its files before its payouts arrived, then payout
// files written for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "WorkbenchBench.h"
#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

using test::MakeRecord;
using Kind = test::RecordingUi::Kind;

std::string Key(int race) { return Fmt("20110430050203%02d", race); }

std::string Hr(int race, const char* winner, const char* pay) {
  return MakeRecord("HR", {{kHdr_RaceKey, Key(race)},
                           {kHR_Win.combo.At(0), winner},
                           {kHR_Win.pay.At(0), pay},
                           {kHR_Win.pop.At(0), "02"}});
}

// Two races at Tokyo on 2011-04-30 with 8 runners each, loaded with no payout file yet; the
// second race is selected.
struct LoadedBench : test::WorkbenchBench {
  const std::string dayName = J("2011年04月30日");

  LoadedBench() {
    EXPECT_TRUE(wb.Start());
    std::string ras;
    std::vector<std::string> grid(12 * kMaxRunners, std::string(kLineLenSE, ' ') + "\r\n");
    for (int race = 1; race <= 2; ++race) {
      ras += MakeRecord("RA", {{kHdr_RaceKey, Key(race)}, {kRA_Entered, "08"}, {kRA_PostTime, "1000"}});
      for (int h = 1; h <= 8; ++h)
        grid[static_cast<size_t>((race - 1) * kMaxRunners + h - 1)] =
            MakeRecord("SE", {{kHdr_RaceKey, Key(race)},
                              {kSE_Frame, "1"},
                              {kSE_HorseNum, Fmt("%02d", h)},
                              {kSE_HorseId, Fmt("20080000%02d", h)}});
    }
    std::string entries;
    for (const std::string& l : grid) entries += l;
    fs::create_directories(dir / "DATA");
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), RaceFile()), ras));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), EntryFileName(RaceFile(), "05")), entries));
    wb.LoadDay(dayName);
    wb.SelectRace(1);
    ui.Clear();
  }
  std::string RaceFile() const { return dayName + J(".jvRA"); }
  void WritePayouts(const std::string& bytes) {
    ASSERT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), dayName + J(".jvHR")), bytes));
  }
  int SelectedSlot() const { return wb.RaceSlots()[static_cast<size_t>(wb.SelectedListIndex())]; }
};

TEST(PayoutImportCommand, NothingWithoutALoadedDay) {
  test::TempDir dir;
  test::RecordingUi ui;
  test::SetClock clock;
  test::ScriptedJVLink jv;
  test::RecordingDesktop desktop;
  Workbench wb(dir.path(), ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  ui.Clear();
  wb.ImportPayouts();
  EXPECT_TRUE(ui.events.empty());
  EXPECT_EQ(wb.Day(), nullptr);
}

TEST(PayoutImportCommand, SelectedRacesPayoutFillsItsFieldsAndResultsTab) {
  LoadedBench b;
  ASSERT_EQ(b.wb.RaceList().size(), 2u);
  ASSERT_EQ(b.wb.SelectedListIndex(), 1);
  EXPECT_TRUE(b.wb.Results().groups[0][0].result.empty());

  b.WritePayouts(Hr(1, "03", "000000310") + Hr(2, "04", "000000560"));
  b.wb.ImportPayouts();
  EXPECT_TRUE(b.ui.Messages().empty());
  const TRaceAnalysis& a = b.wb.Day()->RaceAnalysis(b.SelectedSlot());
  EXPECT_EQ(a.WinHorse[0], 4);
  EXPECT_EQ(a.WinPay[0], 560);
  const ResultLine win = b.wb.Results().groups[0][0];
  EXPECT_EQ(win.result, " 4");
  EXPECT_EQ(win.popularity, " 2");
  EXPECT_EQ(win.payout, "     560");
  EXPECT_EQ(b.wb.SelectedListIndex(), 1);
}

TEST(PayoutImportCommand, OtherRacesPayoutLeavesTheSelectedRaceOnScreenAsItWas) {
  LoadedBench b;
  const int calls = b.ui.processMessagesCalls;
  b.WritePayouts(Hr(1, "03", "000000310"));
  b.wb.ImportPayouts();
  EXPECT_TRUE(b.ui.Messages().empty());
  EXPECT_EQ(b.wb.Day()->RaceAnalysis(b.wb.RaceSlots()[0]).WinPay[0], 310);  // placed on race 1
  EXPECT_EQ(b.ui.processMessagesCalls, calls);                              // race 2 not re-shown
  EXPECT_TRUE(b.wb.Results().groups[0][0].result.empty());
}

TEST(PayoutImportCommand, DamagedPayoutFileIsShownAndTheDayIsKept) {
  LoadedBench b;
  b.WritePayouts(Hr(2, "04", "000000560").substr(0, 300));
  b.wb.ImportPayouts();
  EXPECT_EQ(b.ui.Count(Kind::Warning), 1);
  EXPECT_EQ(b.wb.Day()->RaceAnalysis(b.SelectedSlot()).WinPay[0], 0);
  EXPECT_TRUE(b.wb.Results().groups[0][0].result.empty());
}

// The status line does not keep what an earlier step left there (the demo's hint) once a day loads.
TEST(DayLoadStatus, LoadingADayEmptiesTheStatusLine) {
  LoadedBench b;
  b.ui.Status(J("デモ用データの準備ができました。日付を選んでください。"));
  b.ui.Clear();
  b.wb.LoadDay(b.dayName);
  const std::vector<std::string> statuses = b.ui.Texts(Kind::Status);
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.front(), "");
  EXPECT_EQ(statuses.back(), "");
}

}  // namespace
}  // namespace kv
