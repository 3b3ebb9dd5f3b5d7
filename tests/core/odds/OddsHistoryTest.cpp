// The odds history of a race: append and read back, one file per race, nothing kept twice, damaged
// lines left in place, the chart's minute of a snapshot and the TSV listing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "TempDir.h"
#include "app/Files.h"
#include "odds/OddsHistory.h"
#include "text/Cp932.h"

namespace kv {
namespace {

using test::MakeRecord;

std::string O1(const std::string& key, const std::string& announced, const std::string& win1) {
  return MakeRecord("O1", {{kHdr_RaceKey, key},
                           {kO_AnnounceTime, announced},
                           {kO_Entered, "02"},
                           {kO1_WinOdds.At(0), win1},
                           {kO1_WinPop.At(0), "01"},
                           {kO1_PlaceOddsMin.At(0), "0011"},
                           {kO1_PlaceOddsMax.At(0), "0015"},
                           {kO1_WinOdds.At(1), "----"},
                           {kO1_PlaceOddsMin.At(1), "----"}});
}

TEST(OddsHistory, AppendsPerRaceSkipsRepeatsAndReadsBack) {
  test::TempDir prog;
  const std::string a = "2026120506050111", b = "2026120506050112";
  std::vector<OddsSnapshot> first = {{"20261205100000", kHistoryRealtime, O1(a, "12050958", "0035")},
                                     {"20261205101000", kHistoryRealtime, O1(b, "12051008", "0120")},
                                     {"20261205102000", kHistoryRealtime, O1(a, "12051018", "0028")},
                                     {"20261205102100", kHistoryRealtime, O1(a, "12051018", "0028")},  // same odds
                                     {"2026120510", kHistoryRealtime, O1(a, "12051018", "0028")},      // bad moment
                                     {"20261205102100", kHistoryRealtime, MakeRecord("O2", {{kHdr_RaceKey, a}})}};
  HistoryAppendResult r = AppendOddsHistory(prog.path(), first);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.kept, 3);
  EXPECT_EQ(r.unchanged, 1);
  EXPECT_EQ(r.rejected, 2);

  const fs::path fileA = OddsHistoryPath(prog.path(), first[0].record);
  EXPECT_EQ(fileA.filename().string(), "2026年12月05日06050111.jvOH");
  EXPECT_EQ(fileA.parent_path().filename(), "DATA");  // the day folder (created as DATA when none exists)
  std::string bytes;
  ASSERT_TRUE(ReadFile(fileA, bytes));
  EXPECT_EQ(bytes.size(), 2u * (kHistoryLineLen + 2));
  EXPECT_EQ(bytes.substr(0, 17), "20261205100000 R ");

  // A second append: a repeat of a kept record adds nothing, a time-series snapshot is added.
  r = AppendOddsHistory(prog.path(), {{"20261205103000", kHistoryRealtime, O1(a, "12050958", "0035")},
                                      {"20261205103000", kHistoryTimeSeries, O1(a, "12051028", "0019")}});
  EXPECT_EQ(r.kept, 1);
  EXPECT_EQ(r.unchanged, 1);

  HistoryReadResult h = ReadOddsHistory(prog.path(), a);
  ASSERT_EQ(h.snapshots.size(), 3u);
  EXPECT_EQ(h.snapshots[0].kept, "20261205100000");
  EXPECT_EQ(h.snapshots[2].source, kHistoryTimeSeries);
  EXPECT_EQ(h.snapshots[2].record, test::StoredLine(O1(a, "12051028", "0019")));
  EXPECT_DOUBLE_EQ(HistoryWinOdds(h.snapshots[2].record, 1), 1.9);
  EXPECT_DOUBLE_EQ(HistoryWinOdds(h.snapshots[2].record, 2), -1.0);
  EXPECT_EQ(ReadOddsHistory(prog.path(), b).snapshots.size(), 1u);
  EXPECT_TRUE(ReadOddsHistory(prog.path(), "2026120506050101").snapshots.empty());  // no history
}

TEST(OddsHistory, ADamagedLineStaysInTheFileAndIsSkippedOnReading) {
  test::TempDir prog;
  const std::string a = "2026120506050111";
  const std::string good = O1(a, "12050958", "0035");
  const fs::path file = OddsHistoryPath(prog.path(), good);
  fs::create_directories(file.parent_path());
  const std::string damaged = "20261205095900 R truncated\r\n";
  ASSERT_TRUE(WriteFileAtomic(file, damaged));

  ASSERT_TRUE(AppendOddsHistory(prog.path(), {{"20261205100000", kHistoryRealtime, good}}).ok());
  std::string bytes;
  ASSERT_TRUE(ReadFile(file, bytes));
  EXPECT_EQ(bytes.substr(0, damaged.size()), damaged);
  const HistoryReadResult h = ReadOddsHistory(prog.path(), a);
  EXPECT_EQ(h.damagedLines, 1);
  ASSERT_EQ(h.snapshots.size(), 1u);
  EXPECT_EQ(h.snapshots[0].kept, "20261205100000");
}

TEST(OddsHistory, MinuteOfTheDayAndTsv) {
  const std::string a = "2026120506050111";
  // Announced on the race day: its announcement; final odds: the moment kept; the day before: none.
  EXPECT_EQ(SnapshotMinute({"20261205100000", kHistoryRealtime, O1(a, "12050958", "0035")}), 9 * 60 + 58);
  EXPECT_EQ(SnapshotMinute({"20261205154100", kHistoryRealtime, O1(a, "00000000", "0035")}), 15 * 60 + 41);
  EXPECT_EQ(SnapshotMinute({"20261204170000", kHistoryRealtime, O1(a, "12041700", "0035")}), -1);
  EXPECT_EQ(AnnouncedMoment(O1(a, "12050958", "0035")), "20261205095800");
  EXPECT_EQ(AnnouncedMoment(O1(a, "00000000", "0035")), "");

  const std::string tsv =
      OddsHistoryTsv({{"20261205100000", kHistoryRealtime, test::StoredLine(O1(a, "12050958", "0035"))}});
  EXPECT_EQ(tsv,
            "kept\tsource\tannounced\thorse\twin\twin_pop\tplace_min\tplace_max\n"
            "20261205100000\tR\t12050958\t1\t3.5\t1\t1.1\t1.5\n"
            "20261205100000\tR\t12050958\t2\t-\t\t-\t-\n");
}

}  // namespace
}  // namespace kv
