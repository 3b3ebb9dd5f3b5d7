// The workbench's comparison commands: the 全ﾚｰｽ比較 button, the sort radio group and the
// unprocessed-days menu, dialogs and Start, on days stored through the day-file store.
#include <gtest/gtest.h>

#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "TempDir.h"
#include "compare/UnprocessedDays.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "workbench/Workbench.h"
#include "JVRecordBuilder.h"

using namespace kv;
using namespace kv::test;

namespace {

// Stores a day of `races` races of 6 runners each through the store.
void StoreDay(const fs::path& prog, const std::string& date, int races) {
  DayFileStore store(prog);
  for (int r = 1; r <= races; ++r) {
    const std::string num = Fmt("%02d", r);
    ASSERT_TRUE(store.Store(StoreWriter::Import, MakeRecord("RA", {{kHdr_DataKind, "7"}, {kHdr_Date, date}, {kHdr_Venue, "05"},
                                                                   {kHdr_Meeting, "02"}, {kHdr_MeetingDay, "03"},
                                                                   {kHdr_RaceNum, num}, {kRA_Entered, "06"}}))
                    .stored());
    for (int k = 1; k <= 6; ++k)
      ASSERT_TRUE(store.Store(StoreWriter::Import,
                              MakeRecord("SE", {{kHdr_DataKind, "7"}, {kHdr_Date, date}, {kHdr_Venue, "05"},
                                                {kHdr_Meeting, "02"}, {kHdr_MeetingDay, "03"}, {kHdr_RaceNum, num},
                                                {kSE_Frame, Fmt("%d", (k + 1) / 2)}, {kSE_HorseNum, Fmt("%02d", k)},
                                                {kSE_HorseId, Fmt("2008%02d%04d", r, k)},
                                                {kSE_HorseName, J("ウマ") + Fmt("%d", r * 10 + k)},
                                                {kSE_Weight, "550"}}))
                      .stored());
  }
  ASSERT_TRUE(store.Flush().ok());
}

struct Bench {
  TempDir dir;
  RecordingUi ui;
  SetClock clock{DateTime{2011, 6, 1, 12, 0, 0, 0}};
  ScriptedJVLink jv;
  RecordingDesktop desktop;
};

class CountingView : public WorkbenchView {
 public:
  explicit CountingView(const Workbench& wb) : wb_(wb) {}
  void WindowEnabledChanged() override { states.push_back(wb_.WindowEnabled()); }
  std::vector<bool> states;

 private:
  const Workbench& wb_;
};

}  // namespace

TEST(WorkbenchCommands, AllRaceButtonSortAndUnprocessedDays) {
  Bench b;
  StoreDay(b.dir.path(), "20110430", 8);
  StoreDay(b.dir.path(), "20110501", 7);
  StoreDay(b.dir.path(), "20110507", 6);  // too few races to be recorded
  Workbench wb(b.dir.path(), b.ui, b.clock, b.jv, b.desktop);
  ASSERT_TRUE(wb.Start());
  CountingView view(wb);
  wb.SetView(&view);
  b.ui.Clear();

  wb.RunAllRaces();
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("出馬表が読み込まれていません。")});

  // Unprocessed days: the menu's checks, the year dialog, the list, Start.
  int year = 0;
  ASSERT_TRUE(wb.OpenUnprocessedDays(year));
  EXPECT_EQ(year, 2011);
  b.ui.Clear();
  EXPECT_TRUE(wb.QueryUnprocessed(2010).days.empty());
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("2010年の未処理データはありません。")});
  const UnprocessedDaysQuery q = wb.QueryUnprocessed(2011);
  ASSERT_EQ(q.days, (std::vector<std::string>{J("2011年05月07日"), J("2011年05月01日"), J("2011年04月30日")}));
  b.ui.Clear();
  wb.ProcessUnprocessed(q.days);
  EXPECT_EQ(wb.LoadedDayName(), J("2011年05月07日"));  // last to first: the newest day is loaded last
  EXPECT_EQ(b.ui.Messages(), std::vector<std::string>{J("処理が終了しました。")});
  EXPECT_EQ(view.states, (std::vector<bool>{false, true, false, true, false, true}));
  EXPECT_TRUE(wb.WindowEnabled());
  EXPECT_EQ(ReadProcessedDays(b.dir.path(), "2011"),
            (std::vector<std::string>{J("2011年04月30日"), J("2011年05月01日")}));
  EXPECT_EQ(wb.QueryUnprocessed(2011).days, std::vector<std::string>{J("2011年05月07日")});
  EXPECT_EQ(wb.CompareStatus(), J("当レースの集計結果は下記の通りです。"));

  // The sort group: a press re-sorts, a race selection presses 馬番.
  wb.SortEntry(EntrySort::OddsRank);
  EXPECT_EQ(wb.EntrySortDown(), EntrySort::OddsRank);
  wb.SelectRace(1);
  EXPECT_EQ(wb.EntrySortDown(), EntrySort::HorseNo);
  EXPECT_EQ(wb.Grids().entry.At(1, 1), " 1");

  // The options forbid the menu.
  wb.ToggleOption(OptionCheck::IgnorePastRunDates);
  b.ui.Clear();
  EXPECT_FALSE(wb.OpenUnprocessedDays(year));
  EXPECT_EQ(b.ui.Messages(),
            std::vector<std::string>{J("メニューの「ｵﾌﾟｼｮﾝ」－「データ読込時過去走の日付を無視する」のﾁｪｯｸをはずしてから実行してください。")});
}
