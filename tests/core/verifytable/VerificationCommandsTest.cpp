// The verification tab and CSV menu on the workbench: a day loaded from its files, the tally with
// its race selection, the clipboard, the point-rate file and the verification CSV.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "verify/VerificationTable.h"
#include "workbench/VerificationCommands.h"
#include "workbench/Workbench.h"

namespace kv {
namespace {

using test::MakeRecord;
using Kind = test::RecordingUi::Kind;

// Three races at Tokyo on 2011-04-30: R1 with 3 runners (paid), R2 with 8 (paid, horse 4 won),
// R3 with 9 (not paid yet).
struct LoadedBench : test::WorkbenchBench {
  const std::string dayName = J("2011年04月30日");

  LoadedBench() {
    EXPECT_TRUE(wb.Start());
    const int runners[3] = {3, 8, 9};
    std::string ras, hrs;
    std::vector<std::string> grid(12 * kMaxRunners, std::string(kLineLenSE, ' ') + "\r\n");
    for (int race = 1; race <= 3; ++race) {
      const std::string key = Fmt("20110430050203%02d", race);
      ras += MakeRecord("RA", {{kHdr_RaceKey, key}, {kRA_Entered, Fmt("%02d", runners[race - 1])}, {kRA_PostTime, "1000"}});
      for (int h = 1; h <= runners[race - 1]; ++h)
        grid[static_cast<size_t>((race - 1) * kMaxRunners + h - 1)] =
            MakeRecord("SE", {{kHdr_RaceKey, key},
                              {kSE_Frame, "1"},
                              {kSE_HorseNum, Fmt("%02d", h)},
                              {kSE_HorseId, Fmt("20080000%02d", h)},
                              {kSE_Finish, Fmt("%02d", h == 4 ? 1 : h + 4)},
                              {kSE_WinOdds, "0056"},
                              {kSE_Popularity, "02"}});
      if (race <= 2)
        hrs += MakeRecord("HR", {{kHdr_RaceKey, key}, {kHR_Win.combo.At(0), "04"}, {kHR_Win.pay.At(0), "000000560"}});
    }
    std::string entries;
    for (const std::string& l : grid) entries += l;
    fs::create_directories(dir / "DATA");
    const std::string raceFile = dayName + J(".jvRA");
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), raceFile), ras));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), EntryFileName(raceFile, "05")), entries));
    EXPECT_TRUE(WriteFileAtomic(DataFilePath(dir.path(), dayName + ".jvHR"), hrs));
    wb.LoadDay(dayName);
  }
};

TEST(VerificationCommands, NoDayLoaded) {
  test::TempDir dir;
  test::RecordingUi ui;
  test::SetClock clock;
  test::ScriptedJVLink jv;
  test::RecordingDesktop desktop;
  Workbench wb(dir.path(), ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  ui.Clear();

  TallyVerificationTable(wb);
  EXPECT_EQ(ui.Texts(Kind::Info), std::vector<std::string>{J("開催日を選択してﾃﾞｰﾀを読み込んでください。")});
  ui.Clear();
  ExportPointRateFile(wb, PointRateCsv::RateAndRank);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_EQ(ProposeVerificationCsvPath(wb), "");
}

TEST(VerificationCommands, TallyCopyAndExports) {
  LoadedBench b;
  ASSERT_EQ(b.wb.RaceList().size(), 3u);
  b.ui.Clear();

  TallyVerificationTable(b.wb);
  EXPECT_TRUE(b.ui.Messages().empty());
  const TextGrid& table = b.wb.Grids().verification;
  ASSERT_EQ(table.RowCount(), 2);  // R2 only: R1 has 3 runners, R3 no payout
  EXPECT_EQ(table.At(1, 2), " 2R");
  EXPECT_EQ(table.At(1, 11), "560");
  EXPECT_EQ(table.At(1, VerificationBlockStart(1) + 11), "  5.6");
  EXPECT_EQ(b.wb.SelectedListIndex(), 2);  // the last race with more than 3 runners

  CopyVerificationTable(b.wb);
  EXPECT_EQ(b.desktop.clipboard, VerificationClipboardText(table));
  EXPECT_TRUE(b.desktop.clipboard.starts_with(J("開催日") + "\t"));

  ExportPointRateFile(b.wb, PointRateCsv::RankOnly);
  const fs::path ptj = b.dir / "CSV" / "PTj20110430.csv";
  EXPECT_EQ(b.ui.Texts(Kind::Info),
            std::vector<std::string>{J("以下のCSVファイルを出力しました。") + "\r\n" + ToCp932(ptj.string())});
  std::string bytes;
  ASSERT_TRUE(ReadFile(ptj, bytes));
  EXPECT_TRUE(bytes.starts_with("201104300502030101,\r\n201104300502030102,\r\n"));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3 + 8 + 9);

  const std::string proposal = ProposeVerificationCsvPath(b.wb);
  EXPECT_EQ(fs::path(proposal), b.dir / "CSV" / "2011年04月30日.csv");
  ASSERT_TRUE(ExportVerificationCsv(b.wb, proposal));
  ASSERT_TRUE(ReadFile(proposal, bytes));
  EXPECT_EQ(bytes, VerificationCsvText(table));

  // A folder in place of the file: the failure is shown.
  b.ui.Clear();
  fs::create_directories(b.dir / "taken.csv");
  EXPECT_FALSE(ExportVerificationCsv(b.wb, (b.dir / "taken.csv").string()));
  ASSERT_EQ(b.ui.Count(Kind::Info), 1);
  EXPECT_TRUE(b.ui.Texts(Kind::Info)[0].starts_with(J("CSVファイルを書き込めませんでした。")));
}

}  // namespace
}  // namespace kv
