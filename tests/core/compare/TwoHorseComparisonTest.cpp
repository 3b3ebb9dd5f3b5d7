#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "CompareFixtures.h"
#include "CompareReference.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "compare/TwoHorseComparison.h"
#include "model/RaceDayModel.h"

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kToday = 20110601;
const std::string kIdA = "2005100001", kIdB = "2005100002";

class TwoHorse : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { model_ = std::make_unique<RaceDayModel>(); }
  static void TearDownTestSuite() { model_.reset(); }

  void SetUp() override {
    model_->Reset();
    RaceFields race;
    race.date = std::to_string(kToday);
    model_->RaceRecords.Set(0, MakeRA(race, 18) + "\r\n");
  }

  RaceDayModel& model() { return *model_; }
  const TRaceAnalysis& ra() { return model_->RaceAnalysis(0); }

  // Search2Ba and Search2BaDirect of A = horse 1 and B = horse 2 (pair 1) with a fresh cache.
  bool Compare(const std::string& nameA = "アルファ", const std::string& nameB = "ブラボー", double wA = 55.0,
               double wB = 55.0) {
    PastRunCache cache(dir.path());
    TwoHorseComparison cmp(model(), cache, &ui);
    const bool ok = cmp.Search2Ba(J(nameA), J(nameB), kIdA, kIdB, 1, 2, 0, 1, wA, wB) &&
                    cmp.Search2BaDirect(J(nameA), J(nameB), kIdA, kIdB, 0, 1);
    error = cmp.error();
    return ok;
  }
  PairCounters Pair1() {
    return {ra().PairCompared[0], ra().PairFirstPt[0], ra().PairSecondPt[0], ra().PairFirstOwnPt[0],
            ra().PairSecondOwnPt[0]};
  }
  bool NothingWritten() {
    return Pair1() == PairCounters{} && ra().PairDirect[0] == 0 && ra().Wins[0] == 0 && ra().Losses[0] == 0 &&
           ra().PointWins[0] == 0 && ra().PointWins[1] == 0 && ra().PointLosses[0] == 0 && ra().PointLosses[1] == 0;
  }

  static std::unique_ptr<RaceDayModel> model_;
  TempDir dir;
  RecordingUi ui;
  std::string error;
};
std::unique_ptr<RaceDayModel> TwoHorse::model_;

FieldRunner A(const char* time = "1345", const char* weight = "550") { return {"アルファ", time, weight, kIdA}; }
FieldRunner B(const char* time = "1345", const char* weight = "550") { return {"ブラボー", time, weight, kIdB}; }
FieldRunner C(const char* time = "1345", const char* weight = "550", const char* name = "チャーリー") {
  return {name, time, weight, "2005100003"};
}

}  // namespace

TEST(HorseName, NormalisedToEighteenBytesWithFullWidthPadding) {
  EXPECT_EQ(NormalizeHorseName(J("  アルファ ")), J("アルファ　　　　　"));
  EXPECT_EQ(NormalizeHorseName(J("アルファ　　　　　　　　　　　　　　")), J("アルファ　　　　　"));
  EXPECT_EQ(NormalizeHorseName(J("ABC")), J("ABC　　　　　　　") + "\x81");  // a plain byte cut
  EXPECT_EQ(NormalizeHorseName(J("アイウエオカキクケコ")), J("アイウエオカキクケ"));
}

// The margin rule on one common opponent, as a table of worked cases. Times are "msst", past
// weights in 0.1 kg, today's weights in kg.
TEST_F(TwoHorse, MarginsWithBothWeightCorrectionsDecideThePointAndTheSolePoint) {
  struct Side {
    const char *own, *ownW, *opp, *oppW;
  };
  struct Case {
    const char* what;
    Side a, b;
    double todayA, todayB;
    PairCounters want;
  } cases[] = {
      {"A +0.5 giving 2 kg, B +0.3 level, today level: 0.1 < 0.3", {"1340", "550", "1345", "570"},
       {"1342", "560", "1345", "560"}, 56.0, 56.0, {1, 0, 1, 0, 0}},
      {"same, today A carries 1 kg more: 0.3 > 0.1", {"1340", "550", "1345", "570"},
       {"1342", "560", "1345", "560"}, 57.0, 56.0, {1, 1, 0, 0, 0}},
      {"mA 0.0 and mB -0.1: a zero margin beats the opponent", {"1345", "550", "1345", "550"},
       {"1346", "550", "1345", "550"}, 55.0, 55.0, {1, 1, 0, 1, 0}},
      {"mA -0.2 and mB +0.1: sole point B", {"1347", "550", "1345", "550"}, {"1344", "550", "1345", "550"},
       55.0, 55.0, {1, 0, 1, 0, 1}},
      {"both lose, A by less: point only", {"1346", "550", "1345", "550"}, {"1348", "550", "1345", "550"},
       55.0, 55.0, {1, 1, 0, 0, 0}},
      {"equal margins score nothing", {"1343", "550", "1345", "550"}, {"1333", "570", "1335", "570"}, 55.0,
       55.0, {1, 0, 0, 0, 0}},
      // Weight corrections that cancel exactly: margins are whole hundredths, so equal is equal
      // and zero is zero (in binary fractions these come out a hair apart).
      {"-1.0 + 0.3 - 0.2 against -1.0 - 0.1 + 0.2: both -0.9, no point", {"1355", "550", "1345", "535"},
       {"1355", "550", "1345", "555"}, 55.0, 56.0, {1, 0, 0, 0, 0}},
      {"-1.0 + 0.6 against -0.7 + 0.3, today level: both -0.4, no point", {"1355", "550", "1345", "520"},
       {"1352", "550", "1345", "535"}, 55.0, 55.0, {1, 0, 0, 0, 0}},
      {"-0.9 + 0.7 + 0.2 = 0 against +0.1 - 0.2: point and sole point A", {"1354", "550", "1345", "515"},
       {"1344", "550", "1345", "550"}, 55.0, 54.0, {1, 1, 0, 1, 0}},
      {"-1.0 + 0.8 + 0.2 = 0 against +0.2 - 0.2 = 0: nothing", {"1355", "550", "1345", "510"},
       {"1343", "550", "1345", "550"}, 55.0, 54.0, {1, 0, 0, 0, 0}},
      {"no time for C in A's race: skipped", {"1345", "550", "0000", "550"}, {"1344", "550", "1345", "550"},
       55.0, 55.0, {}},
      {"no time for B: skipped", {"1345", "550", "1346", "550"}, {"    ", "550", "1345", "550"}, 55.0, 55.0, {}},
  };
  for (const Case& c : cases) {
    SetUp();
    WritePastRuns(dir.path(), kIdA, {PastLine(20110501, 1, A(c.a.own, c.a.ownW), "01",
                                              {A(c.a.own, c.a.ownW), C(c.a.opp, c.a.oppW)})});
    WritePastRuns(dir.path(), kIdB, {PastLine(20110502, 1, B(c.b.own, c.b.ownW), "01",
                                              {B(c.b.own, c.b.ownW), C(c.b.opp, c.b.oppW)})});
    ASSERT_TRUE(Compare("アルファ", "ブラボー", c.todayA, c.todayB)) << c.what;
    EXPECT_EQ(Pair1(), c.want) << c.what;
    EXPECT_EQ(ra().PairFirstTotalPt[0], c.want.TotalA()) << c.what;
    EXPECT_EQ(ra().PairSecondTotalPt[0], c.want.TotalB()) << c.what;
  }
}

TEST_F(TwoHorse, RacesWhereBothRanAreLeftOutAndCountedAsMeetings) {
  // 04-01: A, B and C ran together (A beat both); 04-05: A and B met again but A was scratched;
  // 04-10: A and C; 04-15: B and C.
  const std::vector<FieldRunner> together = {A("1340"), B("1342"), C("1345")};
  const std::vector<FieldRunner> scratched = {B("1342"), C("1345"), A("0000")};
  WritePastRuns(dir.path(), kIdA, {PastLine(20110401, 1, A("1340"), "01", together),
                                   PastLine(20110405, 1, A("0000"), "00", scratched),
                                   PastLine(20110410, 1, A("1340"), "01", {A("1340"), C("1345")})});
  WritePastRuns(dir.path(), kIdB, {PastLine(20110401, 1, B("1342"), "02", together),
                                   PastLine(20110405, 1, B("1342"), "01", scratched),
                                   PastLine(20110415, 1, B("1342"), "01", {B("1342"), C("1345")})});
  ASSERT_TRUE(Compare());
  EXPECT_EQ(Pair1(), (PairCounters{1, 1, 0, 0, 0}));  // only 04-10 against 04-15
  EXPECT_EQ(ra().PairDirect[0], 1);
}

TEST_F(TwoHorse, OnlyRacesBeforeTheAnalysedDayCountAndEveryLinePairIsAComparison) {
  // A met C twice before today, once on the day itself and once later; B met C three times
  // before (once without finishing: not usable) and once on the day.
  WritePastRuns(dir.path(), kIdA, {PastLine(20100101, 1, A("1340"), "01", {A("1340"), C()}),
                                   PastLine(20110531, 1, A("1340"), "01", {C(), A("1340")}),
                                   PastLine(kToday, 1, A("1340"), "01", {A("1340"), C()}),
                                   PastLine(20110701, 1, A("1340"), "01", {A("1340"), C()})});
  WritePastRuns(dir.path(), kIdB, {PastLine(20100201, 1, B("1349"), "02", {C(), B("1349")}),
                                   PastLine(20100301, 1, B("1349"), "02", {C(), B("1349")}),
                                   PastLine(20100401, 1, B("0000"), "00", {C(), B("0000")}),
                                   PastLine(kToday, 2, B("1340"), "01", {B("1340"), C()})});
  ASSERT_TRUE(Compare());
  EXPECT_EQ(Pair1(), (PairCounters{4, 4, 0, 4, 0}));
}

TEST_F(TwoHorse, EqualTotalsAreADrawThatStillAddsPointsToBoth) {
  // Five opponents: A scores 3 points (one sole), B 2 points (both sole): 3 + 1 against 2 + 2.
  std::vector<std::string> la, lb;
  const char* names[] = {"ウマイチ", "ウマニ", "ウマサン", "ウマヨン", "ウマゴ"};
  //                      A beats, B loses | A ahead | A ahead | B ahead, A loses | same
  const char* aTimes[] = {"1344", "1346", "1346", "1346", "1350"};
  const char* bTimes[] = {"1346", "1347", "1348", "1344", "1344"};
  for (int i = 0; i < 5; ++i) {
    la.push_back(PastLine(20110401 + i, 1, A(aTimes[i]), "01", {A(aTimes[i]), C("1345", "550", names[i])}));
    lb.push_back(PastLine(20110401 + i, 2, B(bTimes[i]), "01", {B(bTimes[i]), C("1345", "550", names[i])}));
  }
  WritePastRuns(dir.path(), kIdA, la);
  WritePastRuns(dir.path(), kIdB, lb);
  ASSERT_TRUE(Compare());
  EXPECT_EQ(Pair1(), (PairCounters{5, 3, 2, 1, 2}));
  EXPECT_EQ(ra().PairFirstWon[0] + ra().PairSecondWon[0] + ra().Wins[0] + ra().Wins[1] + ra().Losses[0] + ra().Losses[1], 0);
  for (int h : {0, 1}) {
    EXPECT_EQ(ra().PointWins[h], 4);
    EXPECT_EQ(ra().PointLosses[h], 4);
  }
}

TEST_F(TwoHorse, WinsLossesAndPointsAccumulateOverThePairsOfARace) {
  // Horses 1, 2 and 3 each met C once: horse 1 beat it by 0.5 s, horse 2 by 0.3 s, horse 3 lost by 0.1 s.
  WritePastRuns(dir.path(), kIdA, {PastLine(20110401, 1, A("1340"), "01", {A("1340"), C()})});
  WritePastRuns(dir.path(), kIdB, {PastLine(20110402, 1, B("1342"), "01", {B("1342"), C()})});
  WritePastRuns(dir.path(), "2005100004", {PastLine(20110403, 1, {"デルタ", "1346", "550", "2005100004"}, "02",
                                                    {C(), {"デルタ", "1346", "550", "2005100004"}})});
  PastRunCache cache(dir.path());
  TwoHorseComparison cmp(model(), cache, &ui);
  ASSERT_TRUE(cmp.Search2Ba(J("アルファ"), J("ブラボー"), kIdA, kIdB, 1, 2, 0, 1, 55, 55));
  ASSERT_TRUE(cmp.Search2Ba(J("アルファ"), J("デルタ"), kIdA, "2005100004", 1, 3, 0, 2, 55, 55));
  ASSERT_TRUE(cmp.Search2Ba(J("ブラボー"), J("デルタ"), kIdB, "2005100004", 2, 3, 0, 18, 55, 55));
  // 1 beats 2 (1 point), 1 beats 3 (1 + 1 sole), 2 beats 3 (1 + 1 sole).
  EXPECT_EQ(ra().PairFirstWon[0], 1);
  EXPECT_EQ(ra().PairFirstWon[1], 1);
  EXPECT_EQ(ra().PairFirstWon[17], 1);
  EXPECT_EQ(ra().PairFirstTotalPt[17], 2);
  const int wins[] = {2, 1, 0}, losses[] = {0, 1, 2}, pointWins[] = {3, 2, 0}, pointLosses[] = {0, 1, 4};
  for (int h = 0; h < 3; ++h) {
    EXPECT_EQ(ra().Wins[h], wins[h]) << h;
    EXPECT_EQ(ra().Losses[h], losses[h]) << h;
    EXPECT_EQ(ra().PointWins[h], pointWins[h]) << h;
    EXPECT_EQ(ra().PointLosses[h], pointLosses[h]) << h;
  }
  // Each pair shows "A vs B" and lets messages run once.
  EXPECT_EQ(ui.processMessagesCalls, 3);
  EXPECT_EQ(ui.Texts(RecordingUi::Kind::ProgressDetail).back(), N("ブラボー") + "vs" + N("デルタ"));
}

TEST_F(TwoHorse, PairsThatCannotBeComparedStayZero) {
  WritePastRuns(dir.path(), kIdA, {PastLine(20110401, 1, A("1340"), "01", {A("1340"), C()})});
  WritePastRuns(dir.path(), kIdB, {PastLine(20110402, 1, B("1342"), "01", {B("1342"), C()})});
  struct Case {
    const char* what;
    std::string nameA, nameB;
    double wA, wB;
  } cases[] = {
      {"today's weight blank", "アルファ", "ブラボー", 0.0, 55.0},
      {"blank name", "アルファ", "   ", 55.0, 55.0},
      {"equal names", "アルファ", " アルファ", 55.0, 55.0},
  };
  for (const Case& c : cases) {
    SetUp();
    ASSERT_TRUE(Compare(c.nameA, c.nameB, c.wA, c.wB)) << c.what;
    EXPECT_TRUE(NothingWritten()) << c.what;
  }
  // B's file missing: no comparison, but the head-to-head count needs only A's file.
  SetUp();
  fs::remove(PastRunPath(dir.path(), kIdB));
  ASSERT_TRUE(Compare());
  EXPECT_TRUE(NothingWritten());
}

TEST_F(TwoHorse, ADamagedPastRunFileStopsWithItsNameAndWritesNothing) {
  WritePastRuns(dir.path(), kIdA, {PastLine(20110401, 1, A("1340"), "01", {A("1340"), C()})});
  const fs::path b = PastRunPath(dir.path(), kIdB);
  ASSERT_TRUE(WriteFileAtomic(b, std::string(826 + 10, ' ')));
  EXPECT_FALSE(Compare());
  EXPECT_NE(error.find(kIdB + ".kak"), std::string::npos);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(TwoHorse, OpponentsAreMatchedByNameNotById) {
  // B's opponent has C's name under another ID: it is the same opponent to the comparison.
  WritePastRuns(dir.path(), kIdA, {PastLine(20110401, 1, A("1340"), "01", {A("1340"), C()})});
  FieldRunner namesake = C();
  namesake.id = "2009999999";
  WritePastRuns(dir.path(), kIdB, {PastLine(20110402, 1, B("1342"), "01", {B("1342"), namesake})});
  ASSERT_TRUE(Compare("アルファ  ", "ブラボー"));
  EXPECT_EQ(Pair1(), (PairCounters{1, 1, 0, 0, 0}));
}

// The indexed walk against the plain walk, on random worlds: every pair of a race of 18, all
// counters and the meetings equal. Names recur under other IDs, times and positions are
// sometimes missing, and past races lie on both sides of the analysed date.
TEST(TwoHorseEquality, IndexedWalkEqualsThePlainWalkOnRandomWorlds) {
  for (unsigned seed : {1u, 2u}) {
    std::mt19937 rng(seed);
    TempDir dir;
    const int horses = 40;
    std::vector<FieldRunner> pool;
    for (int h = 0; h < horses; ++h)
      pool.push_back({"ウマ" + std::to_string(h % 37), "0000", "550", Fmt("20051%05d", h)});  // 37..39 share names
    std::vector<std::vector<std::string>> lines(horses);
    for (int race = 0; race < 110; ++race) {
      const int date = 20100101 + race * 40 % 20000;  // not all valid dates; only their order matters
      std::vector<int> ids(horses);
      for (int h = 0; h < horses; ++h) ids[static_cast<size_t>(h)] = h;
      std::shuffle(ids.begin(), ids.end(), rng);
      ids.resize(2 + rng() % 15);
      std::vector<FieldRunner> field;
      for (int h : ids) {
        FieldRunner r = pool[static_cast<size_t>(h)];
        r.time = rng() % 12 == 0 ? "0000" : Fmt("1%03d", 330 + static_cast<int>(rng() % 40));
        r.weight = Fmt("%d", 500 + static_cast<int>(rng() % 8) * 10);
        field.push_back(r);
      }
      for (size_t k = 0; k < field.size(); ++k) {
        const std::string finish = field[k].time == "0000" ? "00" : Fmt("%02d", static_cast<int>(k) + 1);
        lines[static_cast<size_t>(ids[k])].push_back(PastLine(date, race % 12 + 1, field[k], finish, field));
      }
    }
    for (int h = 0; h < horses; ++h) WritePastRuns(dir.path(), pool[static_cast<size_t>(h)].id, lines[static_cast<size_t>(h)]);

    const int today = 20100101 + 70 * 40 % 20000;
    PastRunCache cache(dir.path());
    int pairs = 0, compared = 0;
    for (int i = 0; i < 18; ++i)
      for (int j = i + 1; j < 18; ++j) {
        const FieldRunner &a = pool[static_cast<size_t>(i * 2)], &b = pool[static_cast<size_t>(j * 2 + 3)];
        const std::string na = N(a.name), nb = N(b.name);
        const PastRunIndex* ia = cache.Get(a.id);
        const PastRunIndex* ib = cache.Get(b.id);
        ASSERT_TRUE(ia && ib);
        const double wA = 54 + i % 3, wB = 55 + j % 4 * 0.5;
        const PairCounters fast = CompareThroughOpponents(*ia, *ib, cache.NameId(na), cache.NameId(nb), today,
                                                          WeightTenths(wA), WeightTenths(wB));
        RecordFile fa = ReadPastRunRecords(PastRunPath(dir.path(), a.id));
        RecordFile fb = ReadPastRunRecords(PastRunPath(dir.path(), b.id));
        ASSERT_EQ(fast, ReferenceSearch2Ba(fa, fb, na, nb, today, wA, wB)) << seed << " " << i << "-" << j;
        ASSERT_EQ(CountMeetings(*ia, cache.NameId(nb), today), ReferenceMeetings(fa, nb, today));
        ++pairs;
        compared += fast.compared;
      }
    EXPECT_EQ(pairs, 153);
    EXPECT_GT(compared, 153 * 20) << "the worlds must give the walk something to compare";
  }
}
