// The two-horse comparison view and the KT analysis built on it.
#include <gtest/gtest.h>

#include <functional>

#include "CompareFixtures.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "compare/KtAnalysis.h"
#include "compare/TwoHorseView.h"

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kToday = 20110601;
const std::string kIdA = "2005100001", kIdB = "2005100002";

FieldRunner A(const char* time = "1345", const char* weight = "550") { return {"アルファ", time, weight, kIdA}; }
FieldRunner B(const char* time = "1345", const char* weight = "550") { return {"ブラボー", time, weight, kIdB}; }
FieldRunner C(const char* time = "1345", const char* weight = "550", const char* name = "チャーリー") {
  return {name, time, weight, "2005100003"};
}

// A past-run line on a turf mile (or the given track and distance).
std::string Line(int date, const FieldRunner& self, const std::string& finish, const std::vector<FieldRunner>& field,
                 const char* track = "11", int distance = 1600) {
  std::string l = PastLine(date, 1, self, finish, field);
  PutFld(l, kak::kTrack, 2, track);
  PutFld(l, kak::kDistance, 4, Fmt("%04d", distance));
  return l;
}

class TwoHorseViewTest : public ::testing::Test {
 protected:
  TwoHorseRequest Req(int span = 1826) {
    return {J("アルファ"), J("ブラボー"), "55.0", "55.0", kIdA, kIdB, kToday, span};
  }
  TwoHorseViewResult Compare(const TwoHorseRequest& req) {
    PastRunLines files(dir.path());
    return CompareTwoHorses(files, req, grid);
  }
  std::string Cell(int row, int col) const { return ToUtf8(grid.At(row, col)); }

  TempDir dir;
  TextGrid grid;
};

TEST_F(TwoHorseViewTest, RowShowsBothRacesMarginsAndMarks) {
  // A beat C by 0.5 s carrying 2 kg less; B beat C by 0.3 s at level weights; today A carries 1 kg
  // more: 比差 A 0.1 + 0.2 = 0.3 against B 0.3 − 0.2 = 0.1.
  WritePastRuns(dir.path(), kIdA, {Line(20110501, A("1340", "550"), "01", {A("1340", "550"), C("1345", "570")})});
  WritePastRuns(dir.path(), kIdB,
                {Line(20110502, B("1342", "560"), "02", {C("1341", "560", "デルタ"), B("1342", "560"), C("1345", "560")},
                      "24", 1800)});
  TwoHorseRequest req = Req();
  req.weightA = "57.0";
  req.weightB = "56.0";
  const TwoHorseViewResult r = Compare(req);
  ASSERT_TRUE(r.ran) << ToUtf8(r.message);
  ASSERT_EQ(r.rows, 1);
  ASSERT_EQ(grid.RowCount(), 2);
  const std::vector<std::string> want = {
      "2011/05/01", "芝1600", "アルファ　　　　　", "55.0", "1", "1.34.0", "チャーリー　　　　", "57.0", " 2",
      "1.34.5", " 0.5", " 0.1", " 0.3", " ○", "", "",
      "2011/05/02", "ﾀﾞ1800", "チャーリー　　　　", "56.0", " 3", "1.34.5", "ブラボー　　　　　", "56.0", "2",
      "1.34.2", " 0.3", " 0.3", " 0.1", "", ""};
  for (int c = 0; c < kTwoHorseCols; ++c) EXPECT_EQ(Cell(1, c), want[static_cast<size_t>(c)]) << "column " << c;
  EXPECT_EQ(r.scored, (PairCounters{1, 1, 0, 0, 0}));
  EXPECT_EQ(ToUtf8(TwoHorseSummary(r.scored)[0]), "  1");
  EXPECT_EQ(ToUtf8(TwoHorseCounter(r.rows)), "該当数：1");
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 13).background, CellColor::Rgb(255, 0, 255));
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 29).background, CellColor::Rgb(255, 255, 255));
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 1).background, CellColor::Rgb(0, 128, 0));
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 17).background, CellColor::Rgb(128, 0, 0));
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 4).foreground, CellColor::Rgb(255, 0, 0));
  EXPECT_EQ(TwoHorseCellStyle(grid, 1, 24).foreground, CellColor::Rgb(0, 0, 255));
}

// A comparison with a missing time stays visible, is not scored, and the summary is the engine's.
TEST_F(TwoHorseViewTest, MissingTimeRowsAreListedButNotScored) {
  WritePastRuns(dir.path(), kIdA,
                {Line(20110501, A("1340"), "01", {A("1340"), C("0000")}),
                 Line(20110510, A("1340"), "01", {A("1340"), C("1346", "550", "デルタ")})});
  WritePastRuns(dir.path(), kIdB,
                {Line(20110502, B("1342"), "01", {B("1342"), C("1345"), C("1343", "550", "デルタ")})});
  const TwoHorseViewResult r = Compare(Req());
  ASSERT_EQ(r.rows, 2);
  EXPECT_EQ(Cell(1, 6), "チャーリー　　　　");
  EXPECT_EQ(Cell(1, 9), "");  // C has no time in A's race
  for (int c : {10, 11, 12, 13, 14, 26, 27, 28, 29, 30}) EXPECT_EQ(Cell(1, c), "") << "column " << c;
  EXPECT_EQ(Cell(2, 10), " 0.6");
  EXPECT_EQ(Cell(2, 13), " ○");
  EXPECT_EQ(r.scored, (PairCounters{1, 1, 0, 0, 0}));

  // The engine over the same files (no lower date bound, but every race lies inside the span).
  PastRunCache cache(dir.path());
  const PastRunIndex* a = cache.Get(kIdA);
  const PastRunIndex* b = cache.Get(kIdB);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(CompareThroughOpponents(*a, *b, cache.NameId(N("アルファ")), cache.NameId(N("ブラボー")), kToday, 550, 550),
            r.scored);
}

TEST_F(TwoHorseViewTest, DataSpanBoundsAreStrict) {
  EXPECT_EQ(DataSpanWindow(20110601, 365).after, 20100601);
  EXPECT_EQ(DataSpanWindow(20120301, 1).after, 20120229);
  struct Case {
    int dateA, dateB, span, rows;
  } cases[] = {
      {20100601, 20110501, 365, 0},  // A's race exactly one span back: outside
      {20100602, 20110501, 365, 1},
      {20110501, 20100601, 365, 0},  // the same bound for B's race
      {20110601, 20110501, 365, 0},  // the race day itself is outside
      {20090101, 20090102, 7300, 1},
  };
  for (const Case& c : cases) {
    WritePastRuns(dir.path(), kIdA, {Line(c.dateA, A("1340"), "01", {A("1340"), C("1345")})});
    WritePastRuns(dir.path(), kIdB, {Line(c.dateB, B("1342"), "01", {B("1342"), C("1345")})});
    const TwoHorseViewResult r = Compare(Req(c.span));
    EXPECT_EQ(r.rows, c.rows) << c.dateA << " " << c.dateB;
    if (c.rows == 0) EXPECT_EQ(Cell(1, 0), "該当ナシ");
  }
}

TEST_F(TwoHorseViewTest, DirectMeetingsAndNoneFound) {
  WritePastRuns(dir.path(), kIdA,
                {Line(20110501, A("1340"), "01", {A("1340"), C("1341"), B("1345")}),
                 Line(20110508, A("1340"), "00", {B("1340"), A("0000")}),  // A did not finish
                 Line(20110515, A("1346"), "02", {B("1344"), A("1346")})});
  PastRunLines files(dir.path());
  TwoHorseViewResult r = CompareDirect(files, Req(), grid);
  ASSERT_EQ(r.rows, 2);
  EXPECT_EQ(Cell(1, 6), "ブラボー　　　　　");
  EXPECT_EQ(Cell(1, 8), " 3");
  EXPECT_EQ(Cell(1, 10), " 0.5");
  EXPECT_EQ(Cell(2, 10), "-0.2");
  EXPECT_EQ(Cell(2, 11), "");

  TwoHorseRequest other = Req();
  other.nameB = J("エコー");
  r = CompareDirect(files, other, grid);
  EXPECT_EQ(r.rows, 0);
  EXPECT_EQ(Cell(1, 0), "該当ナシ");
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_FALSE(TwoHorseGridEmpty(grid));
}

TEST_F(TwoHorseViewTest, ChecksInOrder) {
  WritePastRuns(dir.path(), kIdA, {Line(20110501, A(), "01", {A(), C()})});
  PastRunLines files(dir.path());
  struct Case {
    std::function<void(TwoHorseRequest&)> change;
    bool direct;
    const char* message;
  } cases[] = {
      {[](TwoHorseRequest& r) { r.nameB.clear(); }, false, "２頭の馬名の入力をしてください。"},
      {[](TwoHorseRequest& r) { r.weightA = " "; }, false, "斤量の情報が入力されていません。"},
      {[](TwoHorseRequest&) {}, false, "ブラボー　　　　　の馬過去走データが見つかりません。"},
      {[](TwoHorseRequest& r) { r.idA = "2005199999"; }, true, "アルファ　　　　　の馬過去走データが見つかりません。"},
      {[](TwoHorseRequest& r) { r.nameB = r.nameA; }, true, "２頭の馬は別の馬名を入力してください。"},
  };
  ResetTwoHorseGrid(grid);
  grid.Set(1, 0, "kept");
  for (const Case& c : cases) {
    TwoHorseRequest req = Req();
    c.change(req);
    const TwoHorseViewResult r = c.direct ? CompareDirect(files, req, grid) : CompareTwoHorses(files, req, grid);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(ToUtf8(r.message), c.message);
  }
  EXPECT_EQ(grid.At(1, 0), "kept");  // a failed check leaves the grid alone
}

// ---- KT ------------------------------------------------------------------------------------

// A comparison-grid row with the cells the extraction reads.
void Row(TextGrid& g, int row, int posA, int entryA, int entryB, int posB, const char* diffA, const char* diffB,
         const char* trackA = "芝1600", const char* trackB = "芝1600", const char* dateA = "2011/05/01",
         const char* dateB = "2011/05/02") {
  if (g.RowCount() <= row) g.SetRowCount(row + 1);
  g.Set(row, 0, dateA);
  g.Set(row, 1, J(trackA));
  g.Set(row, 4, std::to_string(posA));
  g.Set(row, 8, Fmt("%2d", entryA));
  g.Set(row, 10, diffA);
  g.Set(row, 16, dateB);
  g.Set(row, 17, J(trackB));
  g.Set(row, 20, Fmt("%2d", entryB));
  g.Set(row, 24, std::to_string(posB));
  g.Set(row, 26, diffB);
}

KtRace Race() {
  KtRace r;
  r.raceDate = kToday;
  r.distance = 1600;
  r.trackCode = "17";  // turf
  return r;
}

TEST(KtCandidates, ClassesAndLines) {
  TextGrid g;
  ResetTwoHorseGrid(g);
  struct Case {
    int posA, entryB;
    const char *diffA, *diffB;
    char cls;
  } cases[] = {
      {1, 5, " 0.3", " 0.3", 'Z'}, {1, 1, " 0.3", " 0.1", 'A'}, {2, 1, " 0.3", " 0.1", 'B'},
      {6, 1, " 0.3", " 0.1", 'C'}, {6, 2, " 0.3", " 0.1", 'D'}, {3, 1, " 0.3", " 0.1", 'C'},
      {3, 6, " 0.3", " 0.1", 'E'}, {4, 6, " 0.3", " 0.1", 'F'}, {5, 6, " 0.3", " 0.1", 'G'},
      {6, 3, " 0.3", " 0.1", 'H'}, {6, 4, " 0.3", " 0.1", 'I'}, {6, 5, " 0.3", " 0.1", 'J'},
      {6, 6, " 0.3", " 0.1", 0},   {10, 1, " 0.3", " 0.1", 0},  {1, 1, "", "", 0},
  };
  for (const Case& c : cases) {
    Row(g, 1, c.posA, 3, c.entryB, 2, c.diffA, c.diffB);
    const std::string line = KtCandidateLine(g, 1, Race(), 3, 12);
    if (c.cls == 0) {
      EXPECT_EQ(line, "") << c.posA << " " << c.entryB;
      continue;
    }
    ASSERT_EQ(line.size(), 33u);
    EXPECT_EQ(line[0], c.cls) << c.posA << " " << c.entryB;
    EXPECT_EQ(line.substr(25, 5), " 3x12");
    EXPECT_EQ(line.substr(30, 3), "  1");
  }
  // The first race is B's for C..J: its track, distance and date lead.
  Row(g, 1, 6, 3, 1, 2, " 0.3", " 0.1", "ダ1800", "芝1400", "2011/05/01", "2011/04/30");
  EXPECT_EQ(KtCandidateLine(g, 1, Race(), 1, 2), "C1 2002 200 6 12011/04/30 1x 2  1");
  Row(g, 1, 1, 3, 1, 2, " 0.3", " 0.1", "ダ1800", "芝1400");
  EXPECT_EQ(KtCandidateLine(g, 1, Race(), 1, 2), "A2 2001 200 1 12011/05/01 1x 2  1");
}

TEST(KtCandidates, AdoptedRowAndMatrix) {
  // Three runners; pair 1-2 has two rows (class B on the race's track and distance, class A on
  // dirt over 2400 m: A wins), pair 1-3 only a Z row, pair 2-3 no comparison at all.
  TempDir dir;
  const std::string id1 = "2005100001", id2 = "2005100002", id3 = "2005100003";
  const FieldRunner h1{"アルファ", "1340", "550", id1}, h2{"ブラボー", "1342", "550", id2},
      h3{"コスモ", "1340", "550", id3}, c{"チャーリー", "1345", "550", "2005100009"},
      e{"エコー", "1344", "550", "2005100008"};
  WritePastRuns(dir.path(), id1,
                {Line(20110501, h1, "02", {e, h1, c}, "11", 1600), Line(20110508, h1, "01", {h1, c}, "24", 2400)});
  WritePastRuns(dir.path(), id2, {Line(20110502, h2, "01", {h2, c})});
  WritePastRuns(dir.path(), id3, {Line(20110503, h3, "01", {h3, e})});
  KtRace race = Race();
  race.runners = {{J("アルファ"), "55.0", id1}, {J("ブラボー"), "55.0", id2}, {J("コスモ"), "55.0", id3}};
  PastRunLines files(dir.path());
  TextGrid compare, adopted, matrix;
  RecordingUi ui;
  RunKtAnalysis(files, race, compare, adopted, matrix, ui);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(adopted.RowCount(), 3);  // heading, 1x 2, 1x 3
  EXPECT_EQ(adopted.At(1, 31), " 1x 2");
  EXPECT_EQ(adopted.At(1, 0), "2011/05/08");  // the class A row (A won its race)
  EXPECT_EQ(adopted.At(1, 32), " -0.2");      // B's 0.3 against A's 0.5 over C
  EXPECT_EQ(adopted.At(1, 33), "  0.2");
  EXPECT_EQ(adopted.At(2, 31), " 1x 3");
  EXPECT_EQ(adopted.At(2, 32), "  0.0");
  EXPECT_EQ(matrix.At(2, 1), " -0.2");
  EXPECT_EQ(matrix.At(1, 2), "  0.2");
  EXPECT_EQ(matrix.At(1, 3), "  0.0");
  EXPECT_EQ(matrix.At(2, 3), "");
  EXPECT_EQ(matrix.At(0, 3), " 3");
  EXPECT_EQ(KtMatrixCellStyle(matrix, 1, 3).background, CellColor::Rgb(255, 255, 172));
  EXPECT_EQ(KtMatrixCellStyle(matrix, 2, 1).background, CellColor::Rgb(198, 255, 255));
  EXPECT_EQ(KtMatrixCellStyle(matrix, 1, 2).background, CellColor::Rgb(255, 193, 255));
  EXPECT_EQ(KtMatrixCellStyle(matrix, 2, 3).background, CellColor::Rgb(128, 128, 128));
  EXPECT_EQ(KtMatrixCellStyle(matrix, 2, 2).background, CellColor::Rgb(0, 0, 0));
}

}  // namespace
