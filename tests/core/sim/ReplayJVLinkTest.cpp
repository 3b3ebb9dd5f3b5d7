// The replay JV-Link driven the way the import and the real-time loops drive it: the read
// cycle with downloads and file boundaries, result codes, scripted failures and real-time data
// as of the clock.
#include "jvlink/ReplayJVLink.h"

#include <gtest/gtest.h>

#include <fstream>

#include "SimTestSupport.h"
#include "jvlink/JVData_Structure.h"
#include "text/Field.h"

using namespace kv;
using namespace simtest;

namespace {

// A record of the type's length: type, data kind, then `tag` (the rest blank), CR LF.
std::string Rec(const std::string& type, char kind, const std::string& tag) {
  std::string r(static_cast<size_t>(RecordLength(type)), ' ');
  r.replace(0, 2, type);
  r[2] = kind;
  r.replace(11, tag.size(), tag);
  r[r.size() - 2] = '\r';
  r[r.size() - 1] = '\n';
  return r;
}

void Write(const fs::path& p, const std::string& data) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << data;
}

struct SmallFeed {
  TempDir dir;
  FixedClock clock;
  std::string a1 = Rec("RA", '7', "A1"), a2 = Rec("SE", '7', "A2"), b1 = Rec("HR", '2', "B1");
  std::string c1 = Rec("TC", '1', "C1"), c2 = Rec("TC", '1', "C2"), c3 = Rec("TC", '1', "C3");
  SmallFeed() {
    const fs::path acc = dir.path / "RACEDIFN";
    Write(acc / "20240101170000-01-RACE.jvd", a1 + a2);
    Write(acc / "20240108170000-01-PAY.jvd", b1);
    Write(acc / "20240115170000-01-RACE.jvd", c1 + c2 + c3);
    Write(acc / "20240120170000-01-RACE.jvd", Rec("RA", '7', "D1"));  // published after "now"
    Write(acc / "notes.txt", "not a feed file");
    clock.now = DateTime{2024, 1, 16, 12, 0, 0, 0};
  }
};

// Reads to the end, collecting records and the other codes in order.
std::vector<std::string> ReadAll(ReplayJVLink& jv, int buffer = kReadBufferOdds) {
  std::vector<std::string> out;
  for (int guard = 0; guard < 100000; ++guard) {
    JVReadResult r = jv.JVRead(buffer);
    if (r.code > 0) {
      EXPECT_EQ(r.code, static_cast<int>(r.record.size()));
      out.push_back(r.record);
    } else if (r.code == -3) {
      continue;
    } else {
      out.push_back(std::to_string(r.code));
      if (r.code != -1) break;
    }
  }
  return out;
}

}  // namespace

TEST(ReplayJVLink, AccumulatedReadCycle) {
  SmallFeed f;
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  EXPECT_TRUE(jv.Available());
  EXPECT_EQ(jv.Version(), "0490");
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  const JVOpenResult o = jv.JVOpen("RACEDIFN", "20240101000000", 1);
  ASSERT_EQ(o.code, 0);
  EXPECT_EQ(o.readCount, 3);  // the file published after "now" is not there yet
  EXPECT_EQ(o.downloadCount, 3);
  EXPECT_EQ(o.lastFileTimestamp, "20240115170000");
  // The download completes call by call.
  std::vector<int> status;
  for (int i = 0; i < 4; ++i) status.push_back(jv.JVStatus());
  EXPECT_EQ(status, (std::vector<int>{1, 2, 3, 3}));
  EXPECT_EQ(ReadAll(jv), (std::vector<std::string>{f.a1, f.a2, "-1", f.b1, "-1", f.c1, f.c2, f.c3, "0"}));
  EXPECT_EQ(jv.JVClose(), 0);

  // Files already downloaded are not downloaded again; set-up data always is.
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).downloadCount, 0);
  EXPECT_EQ(jv.JVClose(), 0);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 3).downloadCount, 3);
  EXPECT_EQ(jv.JVClose(), 0);
}

TEST(ReplayJVLink, FromTimeAndClockChooseTheFiles) {
  SmallFeed f;
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  struct Case {
    const char* from;
    DateTime now;
    int code, files;
    const char* newest;
  };
  const Case cases[] = {
      {"20240108170000", {2024, 1, 16, 12, 0, 0, 0}, 0, 1, "20240115170000"},  // strictly newer only
      {"20240115170000", {2024, 1, 16, 12, 0, 0, 0}, -1, 0, "00000000000000"},
      {"20240115170000", {2024, 1, 20, 17, 0, 0, 0}, 0, 1, "20240120170000"},  // published at that moment
      {"00000000000000", {2024, 1, 1, 16, 59, 59, 0}, -1, 0, "00000000000000"},
  };
  for (const Case& c : cases) {
    f.clock.now = c.now;
    const JVOpenResult o = jv.JVOpen("RACEDIFN", c.from, 1);
    EXPECT_EQ(o.code, c.code) << c.from;
    EXPECT_EQ(o.readCount, c.files) << c.from;
    EXPECT_EQ(o.lastFileTimestamp, c.newest) << c.from;
    EXPECT_EQ(jv.JVClose(), 0);
  }
}

TEST(ReplayJVLink, ReadingAheadOfTheDownloadWaits) {
  SmallFeed f;
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  ASSERT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, 0);
  // No JVStatus polling: the first read finds the file still downloading.
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).code, -3);
  int waits = 1;
  JVReadResult r;
  do {
    r = jv.JVRead(kReadBufferOdds);
    waits += r.code == -3;
  } while (r.code == -3);
  EXPECT_EQ(r.record, f.a1);
  EXPECT_EQ(r.fileName, "20240101170000-01-RACE.jvd");
  EXPECT_GE(waits, 1);
  // A buffer smaller than the record is an error, and the record is not lost.
  EXPECT_EQ(jv.JVRead(100).code, -402);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).record, f.a2);
  // Cancelling ends the reading.
  jv.JVCancel();
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).code, 0);
  EXPECT_EQ(jv.JVClose(), 0);
}

TEST(ReplayJVLink, ResultCodesOfMisuse) {
  SmallFeed f;
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, -201);
  EXPECT_EQ(jv.JVRTOpen("0B12", "20240116"), -201);
  EXPECT_EQ(jv.JVStatus(), -201);
  EXPECT_EQ(jv.JVInit(""), -101);
  EXPECT_EQ(jv.JVInit(std::string(64, 'S')), -102);
  EXPECT_EQ(jv.JVInit(" SID"), -103);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).code, -203);
  EXPECT_EQ(jv.JVStatus(), -203);
  EXPECT_EQ(jv.JVOpen("RACE", "20240101000000", 1).code, -111);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "2024", 1).code, -112);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "2024010100000x", 1).code, -112);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 2).code, -115);
  EXPECT_EQ(jv.JVRTOpen("0B99", "20240116"), -111);
  EXPECT_EQ(jv.JVRTOpen("0B12", "2024011"), -114);
  EXPECT_EQ(jv.JVRTOpen("0B30", "20240116"), -114);
  EXPECT_EQ(jv.JVRTOpen("0B12", "20240116"), -1);  // no such day in the feed
  ASSERT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, 0);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, -202);
  EXPECT_EQ(jv.JVRTOpen("0B12", "20240116"), -202);
  EXPECT_EQ(jv.JVClose(), 0);
}

TEST(ReplayJVLink, ScriptedResultCodesFireOnceAtTheirCall) {
  SmallFeed f;
  Write(f.dir.path / "inject.txt",
        "# operation code after-calls\r\nJVOpen -504 0\r\nJVStatus -502 1\r\nJVRead -403 2\r\nJVClose -201 1\r\n"
        "Version 0480\r\nAvailable 1\r\n");
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  EXPECT_FALSE(jv.Available());
  EXPECT_EQ(jv.Version(), "0480");
  jv.Inject("JVRTOpen", -301, 0);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  EXPECT_EQ(jv.JVRTOpen("0B12", "20240116"), -301);
  EXPECT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, -504);
  EXPECT_EQ(jv.JVClose(), 0);  // a failed open is closed too
  ASSERT_EQ(jv.JVOpen("RACEDIFN", "20240101000000", 1).code, 0);
  EXPECT_EQ(jv.JVStatus(), 1);
  EXPECT_EQ(jv.JVStatus(), -502);
  EXPECT_EQ(jv.JVStatus(), 2);
  EXPECT_EQ(jv.JVStatus(), 3);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).record, f.a1);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).record, f.a2);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).code, -403);
  EXPECT_EQ(jv.JVRead(kReadBufferOdds).code, -1);  // the read goes on where it stood
  EXPECT_EQ(jv.JVClose(), -201);
}

TEST(ReplayJVLink, RealTimeDataAsOfTheClock) {
  SmallFeed f;
  const std::string key = "2024011605010211";
  auto odds = [&](const char* type, const char* at) {
    std::string r = Rec(type, '1', key);
    r.replace(27, 8, at);
    return r;
  };
  const std::string o1a = odds("O1", "01161400"), o2a = odds("O2", "01161400"), o1b = odds("O1", "01161430");
  auto line = [](const char* ts, const std::string& rec) { return std::string(ts) + " " + rec; };
  Write(f.dir.path / "0B30" / (key + ".txt"),
        line("20240116140000", o1a) + line("20240116140000", o2a) + line("20240116143000", o1b));
  const std::string ra1 = Rec("RA", '6', "2024011605010201"), ra2 = Rec("RA", '6', "2024011605010202");
  const std::string hr1 = Rec("HR", '1', "2024011605010201");
  Write(f.dir.path / "0B12" / "20240116.txt",
        line("20240116100300", ra1) + line("20240116100800", hr1) + line("20240116103300", ra2));
  ReplayJVLink jv(f.dir.path.string(), f.clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);

  struct Case {
    const char* spec;
    std::string key;
    DateTime now;
    int code;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"0B30", key, {2024, 1, 16, 13, 59, 0, 0}, -1, {}},
      {"0B30", key, {2024, 1, 16, 14, 10, 0, 0}, 0, {o1a, o2a}},
      {"0B30", key, {2024, 1, 16, 14, 45, 0, 0}, 0, {o2a, o1b}},  // the latest of each type
      {"0B12", "20240116", {2024, 1, 16, 10, 5, 0, 0}, 0, {ra1}},
      {"0B12", "20240116", {2024, 1, 16, 12, 0, 0, 0}, 0, {ra1, hr1, ra2}},
      {"0B14", "20240116", {2024, 1, 16, 12, 0, 0, 0}, -1, {}},
  };
  for (const Case& c : cases) {
    f.clock.now = c.now;
    ASSERT_EQ(jv.JVRTOpen(c.spec, c.key), c.code) << c.spec << " " << c.now.hour << ":" << c.now.minute;
    if (c.code == 0) {
      std::vector<std::string> want = c.records;
      want.push_back("0");
      EXPECT_EQ(ReadAll(jv, kReadBufferResults), want) << c.spec;
    }
    EXPECT_EQ(jv.JVClose(), 0);
  }
}

// The generated sample feed read as the import reads it.
TEST(ReplayJVLink, ServesAGeneratedFeedCompletely) {
  const SampleFeed& f = Sample();
  FixedClock clock;
  clock.now = DateTime{2024, 4, 30, 12, 0, 0, 0};
  ReplayJVLink jv(f.dir.string(), clock);
  ASSERT_EQ(jv.JVInit(kJVSoftwareId), 0);
  size_t files = 0, records = 0;
  for (const auto& e : fs::directory_iterator(f.dir / "RACEDIFN")) {
    ++files;
    records += SplitRecords(ReadBytes(e.path())).size();
  }
  const JVOpenResult o = jv.JVOpen("RACEDIFN", "20240101000000", 1);
  ASSERT_EQ(o.code, 0);
  EXPECT_EQ(static_cast<size_t>(o.readCount), files);
  int polls = 0;
  while (jv.JVStatus() < o.downloadCount) ASSERT_LT(++polls, 100);
  size_t got = 0, boundaries = 0;
  for (;;) {
    const JVReadResult r = jv.JVRead(kReadBufferOdds);
    if (r.code > 0) {
      ++got;
      ASSERT_EQ(r.code, LengthOf(r.record));
    } else if (r.code == -1) {
      ++boundaries;
    } else {
      ASSERT_EQ(r.code, 0);
      break;
    }
  }
  EXPECT_EQ(got, records);
  EXPECT_EQ(boundaries, files - 1);
  EXPECT_EQ(jv.JVClose(), 0);

  // At noon of the live day: the odds of one race so far, and the results of the races run.
  clock.now = DateTime{2024, 3, 23, 12, 0, 0, 0};
  const std::string key = fs::directory_iterator(f.dir / "0B30")->path().stem().string();
  ASSERT_EQ(jv.JVRTOpen("0B30", key), 0);
  int oddsRecords = 0;
  for (JVReadResult r = jv.JVRead(kReadBufferOdds); r.code > 0; r = jv.JVRead(kReadBufferOdds)) {
    ++oddsRecords;
    EXPECT_EQ(FldStr(r.record, kHdr_RaceKey), key);
    const std::string at = FldStr(r.record, kO_AnnounceTime);
    if (at != "00000000") {
      EXPECT_LE(at, "03231200");
    }
  }
  EXPECT_TRUE(oddsRecords == 0 || oddsRecords == 6);
  EXPECT_EQ(jv.JVClose(), 0);
  ASSERT_EQ(jv.JVRTOpen("0B12", "20240323"), 0);
  int races = 0;
  for (JVReadResult r = jv.JVRead(kReadBufferResults); r.code > 0; r = jv.JVRead(kReadBufferResults)) {
    if (r.record.compare(0, 2, "RA") == 0) {
      ++races;
      EXPECT_LE(FldInt(r.record, kRA_PostTime), 1157);
    }
  }
  EXPECT_GT(races, 0);
  EXPECT_LT(races, 36);
  EXPECT_EQ(jv.JVClose(), 0);
}
