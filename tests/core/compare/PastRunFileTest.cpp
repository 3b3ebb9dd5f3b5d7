#include <gtest/gtest.h>

#include <random>

#include "CompareFixtures.h"
#include "TempDir.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"

using namespace kv;
using namespace kv::test;

namespace {

std::string ReadRecord(const std::string& name) {
  std::string bytes;
  if (!ReadFile(fs::path(KORVANE_REFDATA) / "records" / name, bytes)) return {};
  return bytes;
}

std::vector<std::string> EntryIds(const std::string& list) {
  std::vector<std::string> ids;
  for (int e = 0; e < kak::kEntries; ++e) ids.push_back(list.substr(static_cast<size_t>(e * 35 + 18), 10));
  return ids;
}

}  // namespace

TEST(PastRunPath, OnlyTenDigitIdsNameAFileInTheirBirthYearFolder) {
  const fs::path prog = "/prog";
  EXPECT_EQ(PastRunPath(prog, "2005100001"), fs::path("/prog/SEI/2005/2005100001.kak"));
  for (const char* bad : {"", "200510000", "20051000011", "200510000a", "../../etc/", "2005 10001", "２００５１"})
    EXPECT_TRUE(PastRunPath(prog, bad).empty()) << bad;
}

TEST(PastRunPath, AnExistingSeiFolderIsUsedWhateverItsCase) {
  TempDir dir;
  fs::create_directories(dir / "Sei" / "2005");
  EXPECT_EQ(PastRunPath(dir.path(), "2005100001"), dir / "Sei" / "2005" / "2005100001.kak");
  EXPECT_EQ(PredictionPath(dir.path(), "2005100001"), dir / "Sei" / "2005" / "2005100001.yos");
}

TEST(PastRunTime, ReadsMinutesSecondsAndTenths) {
  struct Case {
    const char* text;
    int tenths;
  } cases[] = {{"1345", 945}, {"2015", 1215}, {"0599", 599}, {"0000", 0}, {"    ", 0}, {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(TimeTenths(c.text), c.tenths) << c.text;
}

TEST(PastRunFieldList, PlacedRunnersFirstByPositionThenTheRestInSlotOrder) {
  // 16 registered runners: slot s holds horse s + 1; horse 3 scratched ("00"), horse 9 has no
  // final position (blank); slots 17 and 18 are empty.
  RaceFields race;
  std::vector<std::string> records(kak::kEntries);
  std::array<std::string_view, kak::kEntries> slots{};
  const char* finish[16] = {"05", "01", "00", "02", "03", "04", "06", "07", "  ", "08",
                            "09", "10", "11", "12", "13", "14"};
  for (int s = 0; s < 16; ++s) {
    records[static_cast<size_t>(s)] =
        MakeSE(race, {s + 1, Fmt("20050000%02d", s + 1), "ウマ", finish[s], "1345", "550", '7'});
    slots[static_cast<size_t>(s)] = records[static_cast<size_t>(s)];
  }
  const std::string list = PastRunFieldList(slots);
  ASSERT_EQ(list.size(), 630u);
  std::vector<std::string> want = {"2005000002", "2005000004", "2005000005", "2005000006", "2005000001",
                                   "2005000007", "2005000008", "2005000010", "2005000011", "2005000012",
                                   "2005000013", "2005000014", "2005000015", "2005000016", "2005000003",
                                   "2005000009", "          ", "          "};
  EXPECT_EQ(EntryIds(list), want);
  EXPECT_EQ(list.substr(16 * 35), std::string(70, ' '));
  // The entry holds name (first 18 bytes of SE 41), ID, time and weight.
  EXPECT_EQ(list.substr(0, 35), N("ウマ") + "2005000002" + "1345" + "550");
}

TEST(PastRunFieldList, EqualKeysAreOrderedByTheEntry) {
  // A dead heat for 2nd, and the unplaced runner of slot 0 against the runner placed 18th (both
  // have the key "18").
  RaceFields race;
  std::vector<std::string> records(kak::kEntries);
  std::array<std::string_view, kak::kEntries> slots{};
  for (int s = 0; s < 18; ++s) {
    std::string finish = Fmt("%02d", s + 1);
    std::string name = "ウマ";
    if (s == 0) finish = "00", name = "ン";     // sorts after "ア"
    if (s == 17) name = "ア";
    if (s == 2) finish = "02", name = "イ";     // ties with slot 1 ("ウマ") for 2nd
    records[static_cast<size_t>(s)] = MakeSE(race, {s + 1, Fmt("20050000%02d", s + 1), name, finish});
    slots[static_cast<size_t>(s)] = records[static_cast<size_t>(s)];
  }
  std::vector<std::string> want = {"2005000003", "2005000002"};  // "イ" before "ウマ" on the tie for 2nd
  for (int h = 4; h <= 18; ++h) want.push_back(Fmt("20050000%02d", h));
  want.push_back("2005000001");  // key "18" of slot 0 ("ン") after key "18" of the 18th ("ア")
  EXPECT_EQ(EntryIds(PastRunFieldList(slots)), want);
}

TEST(PastRunLine, CopiesEveryFieldOfTheRealRecordsToItsPosition) {
  const std::string ra = ReadRecord("RA_2.txt"), se = ReadRecord("SE_3.txt");
  if (ra.empty() || se.empty()) GTEST_SKIP() << "no reference records";
  const std::string line = BuildPastRunLine(ra, se, std::string(630, '#'));
  ASSERT_EQ(line.size(), 824u);
  struct Pos {
    int at, len;
    char rec;
    int from;
  } layout[] = {
      {1, 4, 'R', 12},    {5, 4, 'R', 16},    {9, 2, 'R', 20},    {11, 2, 'R', 22},   {13, 2, 'R', 24},
      {15, 2, 'R', 26},   {17, 6, 'R', 605},  {23, 1, 'R', 615},  {24, 2, 'R', 617},  {26, 3, 'R', 619},
      {29, 1, 'R', 622},  {30, 3, 'R', 635},  {33, 8, 'R', 714},  {41, 4, 'R', 698},  {45, 2, 'R', 706},
      {47, 2, 'R', 882},  {49, 2, 'R', 884},  {51, 2, 'R', 886},  {53, 1, 'R', 889},  {54, 1, 'R', 890},
      {55, 1, 'R', 888},  {56, 10, 'S', 31},  {66, 18, 'S', 41},  {84, 2, 'S', 29},   {86, 1, 'S', 28},
      {87, 1, 'S', 79},   {88, 2, 'S', 83},   {90, 3, 'S', 289},  {93, 1, 'S', 295},  {94, 8, 'S', 307},
      {102, 1, 'S', 323}, {103, 8, 'S', 91},  {111, 1, 'S', 332}, {112, 3, 'S', 325}, {115, 1, 'S', 328},
      {116, 3, 'S', 329}, {119, 2, 'S', 352}, {121, 2, 'S', 354}, {123, 2, 'S', 356}, {125, 2, 'S', 358},
      {127, 3, 'S', 388}, {130, 3, 'S', 391}, {133, 4, 'S', 339}, {137, 2, 'S', 333}, {139, 2, 'S', 335},
      {141, 2, 'S', 364}, {143, 4, 'S', 360}, {147, 8, 'S', 366}, {155, 8, 'S', 374},
  };
  for (const Pos& p : layout)
    EXPECT_EQ(Fld(line, p.at, p.len), Fld(p.rec == 'R' ? ra : se, p.from, p.len)) << "line position " << p.at;
  EXPECT_EQ(line.substr(162, 630), std::string(630, '#'));
  EXPECT_EQ(line.substr(792), std::string(32, ' '));
}

TEST(PastRunMerge, BatchMergeEqualsMergingOneLineAtATime) {
  // Few race keys so that replacements, appends and (in the unsorted starting file) duplicate
  // keys all occur.
  std::mt19937 rng(7);
  auto line = [&] {
    std::string l(kLineLenPastRun, ' ');
    PutFld(l, 1, 16, Fmt("2011%04d05020301", 100 + static_cast<int>(rng() % 6)));
    PutFld(l, 17, 4, Fmt("%04d", static_cast<int>(rng() % 50)));
    return l;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> file, added;
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) file.push_back(line());
    for (int i = static_cast<int>(rng() % 8); i > 0; --i) added.push_back(line());
    std::vector<std::string> oneByOne = file, batch = file;
    for (const std::string& l : added) MergePastRunLine(oneByOne, l);
    MergePastRunLines(batch, added);
    ASSERT_EQ(batch, oneByOne) << "round " << round;
  }
}

TEST(PastRunFraming, EveryLineIs824BytesPlusCrLfAndDamagedFilesAreReportedByName) {
  TempDir dir;
  const fs::path path = PastRunPath(dir.path(), "2005100001");
  ASSERT_TRUE(WritePastRunFile(path, {std::string(824, 'a'), "short line"}));
  std::string bytes;
  ASSERT_TRUE(ReadFile(path, bytes));
  ASSERT_EQ(bytes.size(), 2u * 826);
  EXPECT_EQ(bytes.substr(824, 2), "\r\n");
  EXPECT_EQ(bytes.substr(1650, 2), "\r\n");

  RecordFile good = ReadPastRunRecords(path);
  ASSERT_TRUE(good.ok());
  ASSERT_EQ(good.size(), 2u);
  EXPECT_EQ(good.Line(1), PadRight("short line", 824));

  struct Case {
    const char* what;
    std::string bytes;
  } damaged[] = {
      {"cut short", bytes.substr(0, 1651)},
      {"line end moved", std::string(825, 'a') + "\r\n" + bytes.substr(0, 825)},
  };
  for (const Case& c : damaged) {
    ASSERT_TRUE(WriteFileAtomic(path, c.bytes));
    RecordFile f = ReadPastRunRecords(path);
    EXPECT_EQ(f.status(), RecordFile::Status::Damaged) << c.what;
    EXPECT_EQ(f.size(), 0u) << c.what;
    EXPECT_NE(f.error().find("2005100001.kak"), std::string::npos) << c.what;
  }
  EXPECT_TRUE(ReadPastRunRecords(PastRunPath(dir.path(), "2005100002")).missing());
}
