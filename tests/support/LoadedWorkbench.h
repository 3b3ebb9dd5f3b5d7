#pragma once
// A workbench on a small loaded day: two races at Tokyo on 2011-04-30 with 8 runners each, loaded
// from their day files with no payout file yet; the second race is selected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "WorkbenchBench.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "workbench/Workbench.h"

namespace kv::test {

inline std::string Key(int race) { return Fmt("20110430050203%02d", race); }

struct LoadedBench : WorkbenchBench {
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

}  // namespace kv::test
