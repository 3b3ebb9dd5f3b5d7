// Time-series odds: the snapshot nearest the fetch time (ties, the distance cap, other days and
// other races), and the import of a day into the day's odds files and the odds history.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "TempDir.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "model/RaceDayModel.h"
#include "odds/OddsHistory.h"
#include "odds/TimeSeriesOdds.h"
#include "text/Cp932.h"

namespace kv {
namespace {

using test::MakeRecord;
using test::StoredLine;

constexpr const char* kKey = "2026120506050111";  // 2026-12-05, venue 06, meeting 05, day 01, race 11

// A time-series line: an odds record of `type` for race key `key`, announced at mmddhhmm, with a
// tag in the first win odds field so the chosen line can be told apart.
std::string Snap(const std::string& announced, const std::string& tag = "0010", const std::string& type = "O1",
                 const std::string& key = kKey) {
  return StoredLine(MakeRecord(type, {{kHdr_RaceKey, key}, {kO_AnnounceTime, announced}, {kO1_WinOdds.At(0), tag},
                                      {kO_Entered, "03"}}));
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

TEST(ChooseSnapshot, NearestOnTheRaceDayEarliestOnTiesNeverAtTheCap) {
  const int target = 14 * 60 + 50;
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int target;
    const char* chosenTag;  // nullptr: none chosen
  } cases[] = {
      {"nearest of three", {Snap("12051438", "0001"), Snap("12051447", "0002"), Snap("12051453", "0003")}, target, "0002"},
      {"tie: the earlier line in the file", {Snap("12051447", "0001"), Snap("12051453", "0002")}, target, "0001"},
      {"tie, later time first in the file", {Snap("12051453", "0001"), Snap("12051447", "0002")}, target, "0001"},
      {"previous day ignored however close", {Snap("12041450", "0001"), Snap("12051430", "0002")}, target, "0002"},
      {"another race's line ignored", {Snap("12051450", "0001", "O1", "2026120506050112"), Snap("12051400", "0002")},
       target, "0002"},
      {"final odds (00000000) ignored", {Snap("00000000", "0001")}, target, nullptr},
      {"999 minutes away is taken", {Snap("12051639", "0001")}, 0, "0001"},   // 16:39 = 999 minutes
      {"1000 minutes away never", {Snap("12051640", "0001")}, 0, nullptr},    // 16:40 = 1000 minutes
      {"empty file", {}, target, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = Lines(c.lines);
    const auto chosen = ChooseSnapshot(text, c.target, kKey);
    if (!c.chosenTag) {
      EXPECT_FALSE(chosen.has_value());
      continue;
    }
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->size(), static_cast<size_t>(kLineLenO1));  // without its line end
    EXPECT_EQ(Fld(*chosen, kO1_WinOdds.At(0)), c.chosenTag);
  }
  // Lines ending in LF only read the same.
  const std::string lf = Snap("12051447", "0002") + "\n" + Snap("12051449", "0003") + "\n";
  ASSERT_TRUE(ChooseSnapshot(lf, target).has_value());
  EXPECT_EQ(Fld(*ChooseSnapshot(lf, target), kO1_WinOdds.At(0)), "0003");
}

class TimeSeriesImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    day_ = std::make_unique<RaceDayModel>();
    day_->RaceRecords.Set(0, MakeRecord("RA", {{kHdr_RaceKey, kKey}, {kRA_PostTime, "1500"}, {kRA_Entered, "03"}}));
    day_->OutData(0).OddsGetTime = "145000";
    day_->RaceRecords.Set(1, MakeRecord("RA", {{kHdr_RaceKey, "2026120506050112"}, {kRA_PostTime, "1540"}}));
    day_->OutData(1).OddsGetTime = "153000";  // race 12 has no time-series files
    fs::create_directories(ts_ / "20261205");
  }
  void WriteSource(const std::string& ext, const std::vector<std::string>& lines) {
    ASSERT_TRUE(WriteFileAtomic(ts_ / "20261205" / ("06050111" + ext), Lines(lines)));
  }
  std::string DayFile(const std::string& ext) {
    std::string bytes;
    ReadFile(DataFilePath(prog_.path(), J("2026年12月05日") + ext), bytes);
    return bytes;
  }

  test::TempDir prog_, tsDir_;
  fs::path ts_ = tsDir_.path();
  std::unique_ptr<RaceDayModel> day_;
};

TEST_F(TimeSeriesImportTest, TakesTheNearestSnapshotPerTypeKeepsOtherRacesAndTheWholeMorningInTheHistory) {
  fs::create_directories(prog_.path() / "Data");
  // The day's O1 file already holds race 10 and an older snapshot of race 11.
  const std::string race10 = Snap("12051300", "0099", "O1", "2026120506050110");
  ASSERT_TRUE(WriteFileAtomic(DataFilePath(prog_.path(), J("2026年12月05日.jvO1")),
                              Lines({race10, Snap("12050930", "0077")})));
  WriteSource(".jvO1", {Snap("12041700", "0050"), Snap("12051438", "0001"), Snap("12051447", "0002"),
                        Snap("12051453", "0003"), Snap("00000000", "0004")});
  WriteSource(".JVO2", {Snap("12051449", "0011", "O2")});  // another spelling of the extension
  WriteSource(".jvO3", {Snap("12041449", "0021", "O3")});  // only the day before: nothing taken

  TimeSeriesImportResult res = ImportTimeSeriesOdds(*day_, prog_.path(), ts_);
  ASSERT_TRUE(res.ok()) << res.error;
  EXPECT_TRUE(res.problems.empty());
  EXPECT_EQ(res.counts, (std::array<int, 6>{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(DayFile(".jvO1"), Lines({race10, Snap("12051447", "0002")}));
  EXPECT_EQ(DayFile(".jvO2"), Lines({Snap("12051449", "0011", "O2")}));
  EXPECT_EQ(DayFile(".jvO3"), "");

  // Every race-day O1 snapshot with a time, in the file's order, kept at its announcement.
  HistoryReadResult h = ReadOddsHistory(prog_.path(), kKey);
  ASSERT_EQ(h.snapshots.size(), 3u);
  EXPECT_EQ(h.snapshots[0].kept, "20261205143800");
  EXPECT_EQ(h.snapshots[2].kept, "20261205145300");
  EXPECT_EQ(h.snapshots[1].source, kHistoryTimeSeries);
  EXPECT_EQ(h.snapshots[1].record, Snap("12051447", "0002"));

  // Running it again changes nothing: same files, no snapshot kept twice.
  res = ImportTimeSeriesOdds(*day_, prog_.path(), ts_);
  EXPECT_EQ(res.counts, (std::array<int, 6>{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(DayFile(".jvO1"), Lines({race10, Snap("12051447", "0002")}));
  EXPECT_EQ(ReadOddsHistory(prog_.path(), kKey).snapshots.size(), 3u);

  EXPECT_EQ(ToUtf8(TimeSeriesSummary(res.counts)),
            "1ﾚｰｽ分の単複枠ｵｯｽﾞ、\r\n1ﾚｰｽ分の馬連ｵｯｽﾞ\r\n0ﾚｰｽ分のﾜｲﾄﾞｵｯｽﾞ\r\n0ﾚｰｽ分の馬単ｵｯｽﾞ\r\n"
            "0ﾚｰｽ分の3連複ｵｯｽﾞ\r\n0ﾚｰｽ分の3連単ｵｯｽﾞ\r\nを取りこみました。");
}

TEST_F(TimeSeriesImportTest, AMalformedSnapshotIsReportedAndNotCounted) {
  WriteSource(".jvO1", {Snap("12051447", "0002").substr(0, 500)});  // cut short
  const TimeSeriesImportResult res = ImportTimeSeriesOdds(*day_, prog_.path(), ts_);
  EXPECT_TRUE(res.ok());
  EXPECT_EQ(res.counts[0], 0);
  ASSERT_EQ(res.problems.size(), 1u);
  EXPECT_NE(res.problems[0].find("06050111.jvO1"), std::string::npos);
  EXPECT_EQ(DayFile(".jvO1"), "");
}

}  // namespace
}  // namespace kv
