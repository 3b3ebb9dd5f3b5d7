// 払戻取込 on the workbench: a day loaded from its files before its payouts arrived, then payout
// files written for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "LoadedWorkbench.h"
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

using test::Key;
using test::LoadedBench;
using test::MakeRecord;
using Kind = test::RecordingUi::Kind;

std::string Hr(int race, const char* winner, const char* pay) {
  return MakeRecord("HR", {{kHdr_RaceKey, Key(race)},
                           {kHR_Win.combo.At(0), winner},
                           {kHR_Win.pay.At(0), pay},
                           {kHR_Win.pop.At(0), "02"}});
}

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
