// The generated feed: every file framed, the data kinds of a real week, the live race day's
// real-time files, the time-series folder, and byte-identical output for a seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "SimTestSupport.h"
#include "jvlink/JVData_Structure.h"
#include "text/Field.h"

using namespace kv;
using namespace simtest;

namespace {

std::vector<fs::path> FilesUnder(const fs::path& dir) {
  std::vector<fs::path> out;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(Feed, AccumulatedFilesHoldFramedRecordsOfARealWeek) {
  const SampleFeed& f = Sample();
  EXPECT_EQ(f.stats.raceDays, 5);
  EXPECT_EQ(f.stats.races, 5 * 36);
  const auto files = FilesUnder(f.dir / "RACEDIFN");
  ASSERT_FALSE(files.empty());
  std::map<std::string, int> kinds;  // record type + data kind
  std::string lastName;
  for (const fs::path& p : files) {
    const std::string name = p.filename().string();
    ASSERT_GE(name.size(), 18u);
    EXPECT_TRUE(std::all_of(name.begin(), name.begin() + 14, [](char c) { return c >= '0' && c <= '9'; })) << name;
    EXPECT_EQ(p.extension(), ".jvd");
    for (const std::string& rec : SplitRecords(ReadBytes(p))) {
      ASSERT_EQ(static_cast<int>(rec.size()), LengthOf(rec)) << name << " " << rec.substr(0, 27);
      ++kinds[rec.substr(0, 3)];
      if (rec.compare(0, 3, "SE1") == 0) {
        EXPECT_EQ(FldInt(rec, kSE_HorseNum), 0);  // not yet drawn
      }
      if (rec.compare(0, 3, "SE2") == 0) {
        EXPECT_GE(FldInt(rec, kSE_HorseNum), 1);
        EXPECT_TRUE(IsBlank(Fld(rec, kSE_BodyWeight)));
        EXPECT_EQ(FldInt(rec, kSE_Finish), 0);
      }
      if (rec.compare(0, 3, "O15") == 0) {
        EXPECT_EQ(FldStr(rec, kO_AnnounceTime), "00000000");
      }
    }
  }
  for (const char* k : {"RA1", "RA2", "RA6", "RA7", "SE1", "SE2", "SE6", "SE7", "HR1", "HR2", "O15", "O25", "O35",
                        "O45", "O55", "O65", "WE1"})
    EXPECT_GT(kinds[k], 0) << k;
  // Kinds the import must drop: races outside the central tracks, cancelled and deleted odds.
  EXPECT_GT(kinds["RAA"] + kinds["RAB"], 0);
  EXPECT_GT(kinds["O19"], 0);
  EXPECT_GT(kinds["O10"], 0);
  // Final odds only from --odds-from (the last day and the live day).
  EXPECT_EQ(kinds["O65"], 72);
}

TEST(Feed, LiveDayServesOddsResultsAndChangesInTimeOrder) {
  const SampleFeed& f = Sample();
  const std::string day = "20240323";
  const auto odds = FilesUnder(f.dir / "0B30");
  ASSERT_EQ(odds.size(), 36u);
  for (const fs::path& p : odds) {
    const std::string key = p.stem().string();
    ASSERT_EQ(key.size(), 16u);
    std::string prevTs;
    std::set<std::string> types;
    bool final = false;
    for (const std::string& line : SplitRecords(ReadBytes(p))) {
      ASSERT_GT(line.size(), 17u);
      const std::string ts = line.substr(0, 14);
      const std::string rec = line.substr(15);
      EXPECT_LE(prevTs, ts);
      prevTs = ts;
      ASSERT_EQ(static_cast<int>(rec.size()), RecordLength(rec)) << p;  // the line's CR LF ends it
      EXPECT_EQ(FldStr(rec, kHdr_RaceKey), key);
      types.insert(rec.substr(0, 2));
      if (FldStr(rec, kO_AnnounceTime) == "00000000") {
        final = true;
        EXPECT_EQ(rec[2], '3');
      } else if (rec[2] == '1') {
        EXPECT_EQ(FldStr(rec, kO_AnnounceTime), ts.substr(4, 8));  // announced when published
      }
    }
    EXPECT_EQ(types.size(), 6u);
    EXPECT_TRUE(final);
  }
  const auto results = SplitRecords(ReadBytes(f.dir / "0B12" / (day + ".txt")));
  std::map<std::string, int> types;
  for (const std::string& line : results) {
    const std::string rec = line.substr(15);
    ++types[rec.substr(0, 3)];
    EXPECT_EQ(static_cast<int>(rec.size()), RecordLength(rec));
    EXPECT_EQ(line.substr(0, 8), day);
  }
  EXPECT_EQ(types["RA6"], 36);
  EXPECT_EQ(types["HR1"], 36);
  EXPECT_GT(types["SE6"], 36 * 5);
  const auto changes = SplitRecords(ReadBytes(f.dir / "0B14" / (day + ".txt")));
  ASSERT_FALSE(changes.empty());
  for (const std::string& line : changes) {
    const std::string rec = line.substr(15);
    EXPECT_EQ(static_cast<int>(rec.size()), LengthOf(rec));
    if (rec.compare(0, 2, "TC") == 0) {
      EXPECT_EQ(FldStr(rec, kTC_AnnounceTime), line.substr(4, 8));
      EXPECT_GT(FldInt(rec, kTC_NewPostTime), FldInt(rec, kTC_OldPostTime));
    }
  }
}

TEST(Feed, TimeseriesFolderIsLaidOutByDayAndRace) {
  const SampleFeed& f = Sample();
  std::set<std::string> days;
  int files = 0;
  for (const fs::path& p : FilesUnder(f.timeseries)) {
    ++files;
    const std::string dayDir = p.parent_path().filename().string();
    days.insert(dayDir);
    const std::string stem = p.stem().string();  // venue, meeting, day, race
    ASSERT_EQ(stem.size(), 8u);
    const std::string ext = p.extension().string();
    ASSERT_EQ(ext.substr(0, 4), ".jvO");
    int sameDay = 0;
    for (const std::string& line : SplitRecords(ReadBytes(p))) {
      const std::string rec = line.substr(0, line.size() - 2);
      ASSERT_EQ(static_cast<int>(rec.size()), StoredLineLength(rec)) << p;
      EXPECT_EQ(rec.substr(1, 1), ext.substr(4, 1));
      EXPECT_EQ(FldStr(rec, kHdr_Date), dayDir);
      EXPECT_EQ(FldStr(rec, kHdr_VenueToRace), stem);
      sameDay += FldStr(rec, {28, 4}) == FldStr(rec, kHdr_MonthDay);
    }
    EXPECT_GT(sameDay, 0) << p;
  }
  EXPECT_EQ(days, (std::set<std::string>{"20240317", "20240323"}));
  EXPECT_EQ(files, 2 * 36 * 6);
}

TEST(Feed, SameSeedGivesByteIdenticalFeeds) {
  TempDir tmp;
  auto make = [&](const std::string& name, uint64_t seed) {
    kv::sim::FeedOptions o;
    o.out = (tmp.path / name).string();
    o.seed = seed;
    kv::sim::ParseDate("2024-05-11", o.from);
    kv::sim::ParseDate("2024-05-11", o.to);
    o.hasOddsFrom = true;
    o.oddsFrom = o.to;
    kv::sim::FeedStats st;
    std::string error;
    EXPECT_TRUE(kv::sim::GenerateFeed(o, st, error)) << error;
    std::map<std::string, std::string> all;
    for (const fs::path& p : FilesUnder(tmp.path / name)) all[fs::relative(p, tmp.path / name).string()] = ReadBytes(p);
    return all;
  };
  const auto a = make("a", 42), b = make("b", 42), c = make("c", 43);
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
}

TEST(Feed, RejectsOptionsThatMakeNoSense) {
  TempDir tmp;
  kv::sim::FeedOptions o;
  o.out = (tmp.path / "f").string();
  kv::sim::ParseDate("2024-05-12", o.from);
  kv::sim::ParseDate("2024-05-11", o.to);
  kv::sim::FeedStats st;
  std::string error;
  EXPECT_FALSE(kv::sim::GenerateFeed(o, st, error));
  EXPECT_NE(error.find("--to"), std::string::npos);
  o.to = o.from;
  o.hasToday = true;
  o.today = o.from;
  EXPECT_FALSE(kv::sim::GenerateFeed(o, st, error));
  EXPECT_NE(error.find("--today"), std::string::npos);
}
