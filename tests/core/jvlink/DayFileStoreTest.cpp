#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>
#include <functional>

#include "JVRecordBuilder.h"
#include "app/Files.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/RecordFile.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"

using namespace kv;

namespace {

// Positions 36-39 carry a tag that tells test records apart.
constexpr FieldPos kTag{36, 4};

// A JV-Data record of the given type with chosen header fields, at its exact length with CR LF.
struct Rec {
  std::string type = "RA";
  std::string kind = "7";
  std::string created = "20110502";
  std::string date = "20110430";
  std::string venue = "04";
  std::string race = "01";
  std::string horse = "01";    // SE 29-30
  std::string runners = "11";  // RA 882-883
  std::string tag = "TAG1";

  std::string Record() const {
    std::string r = test::MakeRecord(type, {{kHdr_DataKind, kind}, {kHdr_MakeDate, created}, {kHdr_Date, date},
                                            {kHdr_Venue, venue}, {kHdr_Meeting, "01"}, {kHdr_MeetingDay, "03"},
                                            {kHdr_RaceNum, race}, {kTag, tag}});
    if (type == "SE") PutFld(r, kSE_HorseNum, horse);
    if (type == "RA") PutFld(r, kRA_Entered, runners);
    return r;
  }
  std::string Line() const { return test::StoredLine(Record()); }
  Rec& With(std::function<void(Rec&)> f) { f(*this); return *this; }
};

std::vector<std::string> Lines(const fs::path& p) {
  std::string bytes;
  EXPECT_TRUE(ReadFile(p, bytes)) << p;
  std::vector<std::string> out;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "last line of " << p << " lacks CR LF";
    if (end == std::string::npos) break;
    out.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

std::string Slurp(const fs::path& p) {
  std::string bytes;
  EXPECT_TRUE(ReadFile(p, bytes)) << p;
  return bytes;
}

std::string Tag(std::string_view line) { return std::string(TrimRight(Fld(line, kTag))); }

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("kv_store_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "DATA");
    fs::create_directories(dir / "CHG");
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path Data(const std::string& utf8Name) const { return dir / "DATA" / PathFromUtf8(utf8Name); }
  fs::path Chg(const std::string& utf8Name) const { return dir / "CHG" / PathFromUtf8(utf8Name); }
  void Put(const fs::path& p, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) bytes += l + "\r\n";
    ASSERT_TRUE(WriteFileAtomic(p, bytes));
  }
  StoreResult StoreOne(StoreWriter w, const std::string& record, ImportOptions o = {}) {
    DayFileStore s(dir);
    StoreResult r = s.Store(w, record, o);
    StoreResult f = s.Flush();
    EXPECT_TRUE(f.ok()) << ToUtf8(f.message);
    return r;
  }

  fs::path dir;
  const std::string raFile = "2011年04月30日.jvRA";
};

// ---- naming ----------------------------------------------------------------------------------

TEST(DayFileNaming, NamesFollowDateVenueAndType) {
  struct Case { Rec rec; const char* name; } cases[] = {
      {Rec{}, "2011年04月30日.jvRA"},
      {Rec{.type = "SE", .venue = "06"}, "2011年04月30日中山.jvSEr"},
      {Rec{.type = "HR", .date = "20231231"}, "2023年12月31日.jvHR"},
      {Rec{.type = "O3"}, "2011年04月30日.jvO3"},
      {Rec{.type = "O6"}, "2011年04月30日.jvO6"},
      {Rec{.type = "TC"}, "2011年04月30日.TC"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(DayFileName(c.rec.Line())), c.name) << c.rec.type;
  EXPECT_EQ(DayName(Rec{}.Line()).size(), 14u);
  EXPECT_EQ(DayFileName(Rec{.type = "UM"}.Line() + std::string(100, ' ')), "");

  const std::string race = J("2011年04月30日.jvRA");
  EXPECT_EQ(ToUtf8(EntryFileName(race, "05")), "2011年04月30日東京.jvSEr");
  EXPECT_EQ(ToUtf8(SiblingFileName(race, "HR")), "2011年04月30日.jvHR");
  EXPECT_EQ(ToUtf8(SiblingFileName(race, "O5")), "2011年04月30日.jvO5");
}

TEST_F(StoreTest, DayFolderIsFoundWithoutRegardToCase) {
  fs::remove_all(dir / "DATA");
  fs::create_directories(dir / "Data");
  EXPECT_EQ(StoreFilePath(dir, Rec{}.Line()), dir / "Data" / PathFromUtf8(raFile));
  EXPECT_EQ(StoreFilePath(dir, Rec{.type = "TC"}.Line()), Chg("2011年04月30日.TC"));
  ASSERT_TRUE(StoreOne(StoreWriter::Import, Rec{}.Record()).stored());
  EXPECT_TRUE(fs::exists(dir / "Data" / PathFromUtf8(raFile)));
  EXPECT_FALSE(fs::exists(dir / "DATA"));
}

// ---- acceptance per writer -------------------------------------------------------------------

TEST_F(StoreTest, AcceptanceAndZeroingPerWriter) {
  const ImportOptions imp{.startDate = 20110440, .finalOdds = true};  // start - 10 = 20110430
  struct Case {
    const char* what;
    StoreWriter writer;
    Rec rec;
    ImportOptions opt;
    bool stored;
    int zeroFrom;  // positions zeroFrom..11 are "0" when stored; 0 = stored as received
  } cases[] = {
      {"import RA", StoreWriter::Import, Rec{}, imp, true, 4},
      {"import RA kind A", StoreWriter::Import, Rec{.kind = "A"}, imp, false, 0},
      {"import RA kind B", StoreWriter::Import, Rec{.kind = "B"}, imp, false, 0},
      {"import RA 11 below start", StoreWriter::Import, Rec{.date = "20110429"}, imp, false, 0},
      {"import RA race 0", StoreWriter::Import, Rec{.race = "00"}, imp, false, 0},
      {"import RA runners 0", StoreWriter::Import, Rec{.runners = "00"}, imp, false, 0},
      {"import RA runners 18", StoreWriter::Import, Rec{.runners = "18"}, imp, true, 4},
      {"import SE", StoreWriter::Import, Rec{.type = "SE"}, imp, true, 0},
      {"import SE kind B", StoreWriter::Import, Rec{.type = "SE", .kind = "B"}, imp, false, 0},
      {"import SE old", StoreWriter::Import, Rec{.type = "SE", .date = "20110101"}, imp, false, 0},
      {"import HR", StoreWriter::Import, Rec{.type = "HR", .kind = "A"}, imp, true, 4},
      {"import HR old", StoreWriter::Import, Rec{.type = "HR", .date = "20110429"}, imp, false, 0},
      {"import O1", StoreWriter::Import, Rec{.type = "O1", .kind = "5"}, imp, true, 3},
      {"import O1 kind 9", StoreWriter::Import, Rec{.type = "O1", .kind = "9"}, imp, false, 0},
      {"import O4 no final odds", StoreWriter::Import, Rec{.type = "O4", .kind = "5"},
       ImportOptions{.startDate = 20110440, .finalOdds = false}, false, 0},
      {"import TC", StoreWriter::Import, Rec{.type = "TC"}, imp, false, 0},
      {"odds O2", StoreWriter::RealtimeOdds, Rec{.type = "O2", .kind = "1"}, {}, true, 3},
      {"odds O2 kind 0", StoreWriter::RealtimeOdds, Rec{.type = "O2", .kind = "0"}, {}, false, 0},
      {"odds O6 race 0", StoreWriter::RealtimeOdds, Rec{.type = "O6", .race = "00"}, {}, false, 0},
      {"odds RA", StoreWriter::RealtimeOdds, Rec{}, {}, false, 0},
      {"results HR", StoreWriter::RealtimeResults, Rec{.type = "HR"}, {}, true, 0},
      {"results HR race 0", StoreWriter::RealtimeResults, Rec{.type = "HR", .race = "00"}, {}, false, 0},
      {"results RA no race file", StoreWriter::RealtimeResults, Rec{}, {}, false, 0},
      {"results SE no entry file", StoreWriter::RealtimeResults, Rec{.type = "SE"}, {}, false, 0},
      {"results O1", StoreWriter::RealtimeResults, Rec{.type = "O1"}, {}, false, 0},
      {"change TC", StoreWriter::ChangeInfo, Rec{.type = "TC", .race = "00"}, {}, true, 0},
      {"change RA", StoreWriter::ChangeInfo, Rec{}, {}, false, 0},
      {"time series O5", StoreWriter::TimeSeries, Rec{.type = "O5", .kind = "0"}, {}, true, 0},
      {"time series HR", StoreWriter::TimeSeries, Rec{.type = "HR"}, {}, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir);
    fs::create_directories(dir / "DATA");
    StoreResult r = StoreOne(c.writer, c.rec.Record(), c.opt);
    EXPECT_EQ(r.outcome, c.stored ? StoreOutcome::Stored : StoreOutcome::Skipped) << ToUtf8(r.message);
    const fs::path p = StoreFilePath(dir, c.rec.Line());
    EXPECT_EQ(fs::exists(p), c.stored);
    if (!c.stored || c.rec.type == "SE") continue;
    std::vector<std::string> lines = Lines(p);
    ASSERT_EQ(lines.size(), 1u);
    std::string want = c.rec.Line();
    if (c.zeroFrom) want.replace(c.zeroFrom - 1, 12 - c.zeroFrom, 12 - c.zeroFrom, '0');
    EXPECT_EQ(lines[0], want);
  }
}

// ---- keyed store -----------------------------------------------------------------------------

TEST_F(StoreTest, LaterRecordOfTheSameRaceReplacesTheEarlierWhateverItsKind) {
  DayFileStore s(dir);
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.kind = "1", .tag = "OLD1"}.Record()).stored());
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.race = "02", .tag = "R2"}.Record()).stored());
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.kind = "7", .tag = "NEW1"}.Record()).stored());
  ASSERT_TRUE(s.Flush().ok());
  std::vector<std::string> lines = Lines(Data(raFile));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Tag(lines[0]), "NEW1");
  EXPECT_EQ(Tag(lines[1]), "R2");
  // Written at exact length: the fixed-length reader finds record n at n × 1272.
  RecordFile f = RecordFile::Read(Data(raFile), kRecLenRA);
  ASSERT_TRUE(f.ok()) << ToUtf8(f.error());
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(Tag(f.Record(1)), "R2");
}

TEST_F(StoreTest, OrderRulesPerWriter) {
  // A race file out of order (race 3 before race 1), lines as the store writes them.
  const std::vector<std::string> start = {Rec{.created = "00000000", .race = "03", .tag = "R3"}.Line(),
                                          Rec{.created = "00000000", .race = "01", .tag = "R1"}.Line()};
  struct Case {
    const char* what;
    StoreWriter writer;
    Rec rec;
    std::vector<std::string> tags;
  } cases[] = {
      // Import sorts the whole file.
      {"import replaces and sorts", StoreWriter::Import, Rec{.race = "03", .tag = "N3"}, {"R1", "N3"}},
      {"import appends and sorts", StoreWriter::Import, Rec{.race = "02", .tag = "N2"}, {"R1", "N2", "R3"}},
      // Real-time results keep the order: replace in place, append at the end.
      {"results replace in place", StoreWriter::RealtimeResults, Rec{.race = "03", .tag = "N3"}, {"N3", "R1"}},
      {"results append at end", StoreWriter::RealtimeResults, Rec{.race = "02", .tag = "N2"}, {"R3", "R1", "N2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Put(Data(raFile), start);
    ASSERT_TRUE(StoreOne(c.writer, c.rec.Record(), {.startDate = 0}).stored());
    std::vector<std::string> tags;
    for (const auto& l : Lines(Data(raFile))) tags.push_back(Tag(l));
    EXPECT_EQ(tags, c.tags);
  }
}

TEST_F(StoreTest, SortIgnoresLetterCase) {
  // Kinds "a" and "B" of a TC file: "a" sorts before "B" without regard to case.
  const std::string tc = "2011年04月30日.TC";
  Put(Chg(tc), {Rec{.type = "TC", .kind = "B", .race = "05", .tag = "KB"}.Line()});
  ASSERT_TRUE(StoreOne(StoreWriter::ChangeInfo, Rec{.type = "TC", .kind = "a", .race = "06", .tag = "Ka"}.Record()).stored());
  std::vector<std::string> lines = Lines(Chg(tc));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Tag(lines[0]), "Ka");
}

TEST_F(StoreTest, ChangeInfoInsertsNewRacesSortedAndReplacesInPlace) {
  const std::string tc = "2011年04月30日.TC";
  Put(Chg(tc), {Rec{.type = "TC", .race = "09", .tag = "T9"}.Line(), Rec{.type = "TC", .race = "03", .tag = "T3"}.Line()});
  DayFileStore s(dir);
  ASSERT_TRUE(s.Store(StoreWriter::ChangeInfo, Rec{.type = "TC", .race = "09", .tag = "N9"}.Record()).stored());
  ASSERT_TRUE(s.Flush().ok());
  std::vector<std::string> tags;
  for (const auto& l : Lines(Chg(tc))) tags.push_back(Tag(l));
  EXPECT_EQ(tags, (std::vector<std::string>{"N9", "T3"}));  // replaced: order kept
  ASSERT_TRUE(s.Store(StoreWriter::ChangeInfo, Rec{.type = "TC", .race = "05", .tag = "N5"}.Record()).stored());
  ASSERT_TRUE(s.Flush().ok());
  tags.clear();
  for (const auto& l : Lines(Chg(tc))) tags.push_back(Tag(l));
  EXPECT_EQ(tags, (std::vector<std::string>{"T3", "N5", "N9"}));  // appended: sorted, then inserted
}

TEST_F(StoreTest, TimeSeriesReplacesEveryLineOfTheRaceAndKeepsTheLineAsReceived) {
  const std::string o1 = "2011年04月30日.jvO1";
  Put(Data(o1), {Rec{.type = "O1", .race = "02", .tag = "A2"}.Line(), Rec{.type = "O1", .tag = "A1"}.Line(),
                 Rec{.type = "O1", .tag = "B1"}.Line()});
  const Rec snap{.type = "O1", .kind = "1", .tag = "S1"};
  ASSERT_TRUE(StoreOne(StoreWriter::TimeSeries, snap.Line()).stored());  // a line without CR LF
  std::vector<std::string> lines = Lines(Data(o1));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Tag(lines[0]), "A2");
  EXPECT_EQ(lines[1], snap.Line());
  EXPECT_EQ(lines[2], snap.Line());
}

TEST_F(StoreTest, BlankLinesOfOddsFiles) {
  const std::string o2 = "2011年04月30日.jvO2";
  const std::string blank(kLineLenO2, ' ');
  const std::string r1 = Rec{.type = "O2", .kind = "0", .created = "00000000", .tag = "OLD1"}.Line();
  // Empty lines (and a blank line of the wrong length) hold nothing and would break fixed-length
  // reading: every writer drops them. A blank line of full length sorts first and is dropped by
  // the writers that drop a blank first line.
  Put(Data(o2), {r1, "", "   ", blank, ""});
  ASSERT_TRUE(StoreOne(StoreWriter::RealtimeOdds, Rec{.type = "O2", .kind = "1", .race = "02", .tag = "R2"}.Record()).stored());
  std::vector<std::string> lines = Lines(Data(o2));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Tag(lines[0]), "OLD1");
  EXPECT_EQ(Tag(lines[1]), "R2");
  EXPECT_TRUE(RecordFile::Read(Data(o2), kRecLenO2).ok());

  // The time-series writer keeps a full-length blank line (its order is left as it is).
  Put(Data(o2), {blank, r1, ""});
  ASSERT_TRUE(StoreOne(StoreWriter::TimeSeries, Rec{.type = "O2", .race = "02", .tag = "T2"}.Record()).stored());
  lines = Lines(Data(o2));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], blank);
  EXPECT_EQ(Tag(lines[2]), "T2");
}

// ---- entry grid ------------------------------------------------------------------------------

TEST_F(StoreTest, EntryGridSlots) {
  const fs::path se = Data("2011年04月30日新潟.jvSEr");
  DayFileStore s(dir);
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.type = "SE", .race = "12", .horse = "18", .tag = "L215"}.Record()).stored());
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.type = "SE", .race = "02", .horse = "03", .tag = "L020"}.Record()).stored());
  // Horse 00 (entries before the draw) holds no slot yet; race 13 or horse 19 is no race or horse
  // at all, for every writer, and is rejected with its reason.
  EXPECT_EQ(s.Store(StoreWriter::Import, Rec{.type = "SE", .horse = "00"}.Record()).outcome, StoreOutcome::Skipped);
  for (StoreWriter w : {StoreWriter::Import, StoreWriter::RealtimeResults}) {
    EXPECT_EQ(s.Store(w, Rec{.type = "SE", .horse = "19"}.Record()).outcome, StoreOutcome::Rejected);
    EXPECT_EQ(s.Store(w, Rec{.type = "SE", .race = "13"}.Record()).outcome, StoreOutcome::Rejected);
  }
  ASSERT_TRUE(s.Flush().ok());

  std::vector<std::string> lines = Lines(se);
  ASSERT_EQ(lines.size(), 216u);
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 553u) << i;
    if (i == 215) EXPECT_EQ(Tag(lines[i]), "L215");
    else if (i == 20) EXPECT_EQ(Tag(lines[i]), "L020");
    else EXPECT_TRUE(IsBlank(lines[i])) << i;
  }
  // Real-time results update an existing grid in place.
  ASSERT_TRUE(StoreOne(StoreWriter::RealtimeResults, Rec{.type = "SE", .race = "02", .horse = "03", .tag = "NEW"}.Record()).stored());
  EXPECT_EQ(Tag(Lines(se)[20]), "NEW");
  EXPECT_EQ(Slurp(se).size(), 216u * 555);
}

TEST_F(StoreTest, EntryFileWithEmptyLinesForBlankSlotsIsRepaired) {
  const fs::path se = Data("2011年04月30日新潟.jvSEr");
  std::vector<std::string> grid(216, "");
  grid[5] = Rec{.type = "SE", .horse = "06", .tag = "KEEP"}.Line();
  Put(se, grid);
  ASSERT_TRUE(StoreOne(StoreWriter::RealtimeResults, Rec{.type = "SE", .horse = "01"}.Record()).stored());
  RecordFile f = RecordFile::Read(se, kRecLenSE);
  ASSERT_TRUE(f.ok()) << ToUtf8(f.error());
  ASSERT_EQ(f.size(), 216u);
  EXPECT_EQ(Tag(f.Line(5)), "KEEP");
  EXPECT_TRUE(IsBlank(f.Line(1)));
}

// ---- bad input -------------------------------------------------------------------------------

TEST_F(StoreTest, MalformedRecordsAreRejectedWithAReason) {
  const std::string ra = Rec{}.Record();
  struct Case { const char* what; std::string record; const char* says; } cases[] = {
      {"one byte short", ra.substr(0, 1271), "1271"},
      {"one byte long", ra + " ", "1273"},
      {"no CR LF at the end", ra.substr(0, 1270) + "xx", "1272"},
      {"SE cut short", Rec{.type = "SE"}.Record().substr(0, 300), "555"},
      {"date with a slash", Rec{.date = "2011/4/3"}.Record(), "2011/4/3"},
      {"blank date", Rec{.date = "        "}.Record(), "日付"},
      {"SE of an unknown venue", Rec{.type = "SE", .venue = "99"}.Record(), "99"},
      // Key fields that would make the day unloadable or put the record into another's slot.
      {"race 13", Rec{.race = "13"}.Record(), "レース番号"},
      {"race number not digits", Rec{.type = "HR", .race = "1 "}.Record(), "レース番号"},
      {"19 runners", Rec{.runners = "19"}.Record(), "登録頭数"},
      {"horse 19", Rec{.type = "SE", .horse = "19"}.Record(), "馬番"},
      {"no such day", Rec{.type = "O1", .kind = "5", .date = "20110229"}.Record(), "日付"},
      {"month 13", Rec{.date = "20111301"}.Record(), "日付"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DayFileStore s(dir);
    StoreResult r = s.Store(StoreWriter::Import, c.record);
    EXPECT_EQ(r.outcome, StoreOutcome::Rejected);
    EXPECT_NE(r.message.find(J(c.says)), std::string::npos) << ToUtf8(r.message);
    EXPECT_TRUE(s.Flush().ok());
    EXPECT_TRUE(fs::is_empty(dir / "DATA"));
  }
}

TEST_F(StoreTest, DamagedFilesAreReportedAndLeftAlone) {
  struct Case { const char* what; std::string name; std::vector<std::string> lines; Rec rec; } cases[] = {
      {"race file with a cut line", raFile, {Rec{.race = "02"}.Line().substr(0, 600)}, Rec{}},
      {"entry file of 200 lines", "2011年04月30日新潟.jvSEr", std::vector<std::string>(200, std::string(553, ' ')),
       Rec{.type = "SE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Put(Data(c.name), c.lines);
    const std::string before = Slurp(Data(c.name));
    DayFileStore s(dir);
    StoreResult r = s.Store(StoreWriter::Import, c.rec.Record());
    EXPECT_EQ(r.outcome, StoreOutcome::Failed);
    EXPECT_NE(r.message.find(PathForMessage(Data(c.name))), std::string::npos) << ToUtf8(r.message);
    EXPECT_TRUE(s.Flush().ok());
    EXPECT_EQ(Slurp(Data(c.name)), before);
  }
}

// ---- session ---------------------------------------------------------------------------------

#ifndef _WIN32  // needs a POSIX process (fork) or file-size limit (setrlimit)
TEST_F(StoreTest, FailedWriteKeepsTheOldFileWholeAndTheRecordPending) {
  Put(Data(raFile), {Rec{.race = "01", .tag = "OLD1"}.Line()});
  const std::string before = Slurp(Data(raFile));
  DayFileStore s(dir);
  ASSERT_TRUE(s.Store(StoreWriter::Import, Rec{.race = "02", .tag = "NEW2"}.Record()).stored());
  ASSERT_TRUE(s.Store(StoreWriter::ChangeInfo, Rec{.type = "TC"}.Record()).stored());

  // Files above 2000 bytes cannot be written: the two-line race file (2544 bytes) fails, the
  // TC file (45 bytes) goes through.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 2000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  StoreResult f = s.Flush();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(f.outcome, StoreOutcome::Failed);
  EXPECT_EQ(ToUtf8(f.fileName), raFile);
  EXPECT_NE(f.message.find(PathForMessage(Data(raFile))), std::string::npos) << ToUtf8(f.message);
  EXPECT_EQ(Slurp(Data(raFile)), before);
  EXPECT_EQ(Lines(Chg("2011年04月30日.TC")).size(), 1u);
  for (const auto& e : fs::directory_iterator(dir / "DATA"))
    EXPECT_EQ(e.path().filename(), raFile) << "temporary file left behind";

  // The record is still pending and reaches the file on the next flush.
  ASSERT_TRUE(s.Flush().ok());
  EXPECT_EQ(Lines(Data(raFile)).size(), 2u);
}
#endif

TEST_F(StoreTest, ChangesMadeOnDiskDuringASessionAreKept) {
  DayFileStore a(dir);
  ASSERT_TRUE(a.Store(StoreWriter::RealtimeOdds, Rec{.type = "O1", .race = "01", .tag = "A1"}.Record()).stored());
  {
    // Another writer (a timer's fetch) writes the same file meanwhile.
    DayFileStore b(dir);
    ASSERT_TRUE(b.Store(StoreWriter::RealtimeOdds, Rec{.type = "O1", .race = "02", .tag = "B2"}.Record()).stored());
    ASSERT_TRUE(b.Store(StoreWriter::RealtimeOdds, Rec{.type = "O1", .race = "01", .tag = "B1"}.Record()).stored());
    ASSERT_TRUE(b.Flush().ok());
  }
  ASSERT_TRUE(a.Store(StoreWriter::RealtimeOdds, Rec{.type = "O1", .race = "03", .tag = "A3"}.Record()).stored());
  ASSERT_TRUE(a.Flush().ok());
  std::vector<std::string> tags;
  for (const auto& l : Lines(Data("2011年04月30日.jvO1"))) tags.push_back(Tag(l));
  // a's records are applied after b's, as if each had been written at once.
  EXPECT_EQ(tags, (std::vector<std::string>{"A1", "B2", "A3"}));
}

TEST_F(StoreTest, ASmallCacheGivesTheSameFilesAsOneFlushAtTheEnd) {
  std::vector<std::string> records;
  for (int day = 1; day <= 3; ++day)
    for (int race = 1; race <= 12; ++race)
      for (const char* type : {"RA", "SE", "HR", "O1", "O2"})
        for (int horse = 1; horse <= (std::string(type) == "SE" ? 3 : 1); ++horse) {
          Rec r{.type = type, .kind = race % 2 ? "5" : "7", .date = "2011050" + std::to_string(day),
                .race = (race < 10 ? "0" : "") + std::to_string(race), .horse = "0" + std::to_string(horse),
                .tag = "T" + std::to_string(race)};
          records.push_back(r.Record());
          if (race % 4 == 0) records.push_back(r.With([](Rec& x) { x.tag = "AGN"; }).Record());
        }
  auto run = [&](const fs::path& root, size_t limit) {
    fs::create_directories(root / "DATA");
    DayFileStore s(root, limit);
    for (const auto& r : records) ASSERT_TRUE(s.Store(StoreWriter::Import, r).stored());
    ASSERT_TRUE(s.Flush().ok());
  };
  run(dir / "big", DayFileStore::kDefaultCacheLimit);
  run(dir / "small", 5000);
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir / "big" / "DATA")) {
    ++files;
    EXPECT_EQ(Slurp(e.path()), Slurp(dir / "small" / "DATA" / e.path().filename())) << e.path();
  }
  EXPECT_EQ(files, 3u * 5);
}

// ---- fixed-length reading --------------------------------------------------------------------

TEST_F(StoreTest, RecordFileChecksFraming) {
  const fs::path p = dir / "x.TC";
  const std::string tc = Rec{.type = "TC"}.Record();
  struct Case { const char* what; std::string bytes; RecordFile::Status status; size_t count; } cases[] = {
      {"three records", tc + tc + tc, RecordFile::Status::Ok, 3},
      {"empty", "", RecordFile::Status::Ok, 0},
      {"one byte short", tc + tc.substr(0, 44), RecordFile::Status::Damaged, 0},
      {"one byte over", tc + "\n", RecordFile::Status::Damaged, 0},
      {"LF only lines, same size", tc.substr(0, 43) + "\n " + tc.substr(0, 43) + "\r\n", RecordFile::Status::Damaged, 0},
      {"shifted by one", " " + tc.substr(0, 44), RecordFile::Status::Damaged, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileAtomic(p, c.bytes));
    RecordFile f = RecordFile::Read(p, kRecLenTC);
    EXPECT_EQ(f.status(), c.status);
    EXPECT_EQ(f.size(), c.count);
    if (c.status == RecordFile::Status::Damaged) {
      EXPECT_NE(f.error().find(PathForMessage(p)), std::string::npos) << ToUtf8(f.error());
    }
    EXPECT_EQ(Slurp(p), c.bytes);  // a reader never changes the file
  }
  RecordFile missing = RecordFile::ReadType(dir / "none.jvRA", "RA");
  EXPECT_TRUE(missing.missing());
  EXPECT_EQ(missing.size(), 0u);
}

// ---- real records ----------------------------------------------------------------------------

std::string RefRecord(const std::string& name) {
  std::string bytes;
  if (!ReadFile(fs::path(KORVANE_REFDATA) / "records" / name, bytes)) return {};
  return bytes;
}

TEST_F(StoreTest, RealRaceStoredAndReadBack) {
  if (!fs::exists(fs::path(KORVANE_REFDATA) / "records" / "RA_2.txt")) GTEST_SKIP() << "no reference records";
  const std::string ra = RefRecord("RA_2.txt");
  ASSERT_EQ(ra.size(), 1272u);
  DayFileStore s(dir);
  const ImportOptions opt{.startDate = 20110401, .finalOdds = true};
  StoreResult r = s.Store(StoreWriter::Import, ra, opt);
  ASSERT_TRUE(r.stored()) << ToUtf8(r.message);
  EXPECT_EQ(ToUtf8(r.fileName), "2011年04月30日.jvRA");
  std::vector<std::string> ses;
  for (int i = 2; i <= 12; ++i) {
    ses.push_back(RefRecord("SE_" + std::to_string(i) + ".txt"));
    StoreResult e = s.Store(StoreWriter::Import, ses.back(), opt);
    ASSERT_TRUE(e.stored()) << i << ToUtf8(e.message);
    EXPECT_EQ(ToUtf8(e.fileName), "2011年04月30日新潟.jvSEr");
  }
  const std::string hr = RefRecord("HR_2.txt");
  ASSERT_TRUE(s.Store(StoreWriter::Import, hr, opt).stored());
  std::vector<std::string> odds;
  for (int t = 1; t <= 5; ++t) {
    odds.push_back(RefRecord("O" + std::to_string(t) + "_2.txt"));
    ASSERT_TRUE(s.Store(StoreWriter::Import, odds.back(), opt).stored()) << t;
  }
  const std::string tc = RefRecord("TC_1.txt");
  ASSERT_TRUE(s.Store(StoreWriter::ChangeInfo, tc).stored());
  ASSERT_TRUE(s.Flush().ok());

  auto zeroed = [](std::string rec, int from) {
    rec.replace(from - 1, 12 - from, 12 - from, '0');
    return rec;
  };
  RecordFile raf = RecordFile::ReadType(Data(raFile), "RA");
  ASSERT_TRUE(raf.ok()) << ToUtf8(raf.error());
  ASSERT_EQ(raf.size(), 1u);
  EXPECT_EQ(raf.Record(0), zeroed(ra, 4));

  // The entry file is found from the race file's name and the race's venue code.
  const std::string entry = EntryFileName(J(raFile), Fld(ra, 20, 2));
  RecordFile sef = RecordFile::ReadType(DataFilePath(dir, entry), "SE");
  ASSERT_TRUE(sef.ok()) << ToUtf8(sef.error());
  for (size_t k = 0; k < ses.size(); ++k) EXPECT_EQ(sef.Record(k), ses[k]) << "horse " << k + 1;
  EXPECT_TRUE(IsBlank(sef.Line(11)));

  RecordFile hrf = RecordFile::ReadType(DataFilePath(dir, SiblingFileName(J(raFile), "HR")), "HR");
  ASSERT_TRUE(hrf.ok());
  EXPECT_EQ(hrf.Record(0), zeroed(hr, 4));
  for (int t = 1; t <= 5; ++t) {
    const std::string type = "O" + std::to_string(t);
    RecordFile of = RecordFile::ReadType(DataFilePath(dir, SiblingFileName(J(raFile), type)), type);
    ASSERT_TRUE(of.ok()) << type;
    EXPECT_EQ(of.Record(0), zeroed(odds[t - 1], 3)) << type;
  }
  RecordFile tcf = RecordFile::ReadType(ChangeFilePath(dir, J("2023年09月02日.TC")), "TC");
  ASSERT_TRUE(tcf.ok());
  EXPECT_EQ(tcf.Record(0), tc);
}

TEST_F(StoreTest, TrimmedBulkPayoutLinesAreRejectedNotStoredShort) {
  std::string bulk;
  if (!ReadFile(fs::path(KORVANE_REFDATA) / "bulk" / "HR_100_as_found.txt", bulk)) GTEST_SKIP() << "no bulk records";
  DayFileStore s(dir);
  StoreResult r = s.Store(StoreWriter::Import, bulk.substr(0, 624));  // trailing blanks trimmed at the source
  EXPECT_EQ(r.outcome, StoreOutcome::Rejected);
  EXPECT_NE(r.message.find("HR"), std::string::npos);
}

}  // namespace
