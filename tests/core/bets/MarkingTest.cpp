#include <gtest/gtest.h>

#include "BetFixtures.h"
#include "TempDir.h"
#include "bets/CandidateSets.h"
#include "bets/Marking.h"

namespace kv {
namespace {

using test::EntryWithMarks;
using test::ResetRace;

// The dialog state holding set "基本設定２".
CandidateSettings SecondDefaultSet() {
  static test::TempDir dir;
  static Settings settings(dir.path());
  CandidateSettings cs;
  EXPECT_TRUE(cs.Open(dir.path(), settings));
  cs.SelectSet(1);
  return cs;
}

TEST(Marking, SecondDefaultSetMarksByAnyCriterion) {
  RaceDayModel& day = ResetRace(12);
  TRaceAnalysis& ra = day.RaceAnalysis(0);
  TOutData& out = day.OutData(0);
  // Runner 1: Pt勝率 11位, 単人気 1位 -> partner only. Runner 2: Pt勝率 2位 -> both axes (the
  // partner list holds Pt勝率 3-12 only). Runner 5: Pt勝率 2位, 単人気 2位 -> all three roles.
  // Runner 3: no rank anywhere -> nothing. Runner 4: Pt勝率 13位 only -> nothing.
  ra.PointWinRateRank[0] = 11;
  out.WinPopularity[0] = 1;
  ra.PointWinRateRank[1] = 2;
  ra.PointWinRateRank[3] = 13;
  ra.PointWinRateRank[4] = 2;
  out.WinPopularity[4] = 2;
  // Runner 13 is beyond the entered count: never marked.
  ra.PointWinRateRank[12] = 1;

  const CandidateSettings cs = SecondDefaultSet();
  ComputeFlags(day, 0, cs);
  auto roles = [&](int k) { return std::to_string(out.Axis1Flags[k]) + std::to_string(out.Axis2Flags[k]) + std::to_string(out.PartnerFlags[k]); };
  EXPECT_EQ(roles(0), "001");
  EXPECT_EQ(roles(1), "110");
  EXPECT_EQ(roles(4), "111");
  EXPECT_EQ(roles(2), "000");
  EXPECT_EQ(roles(3), "000");
  EXPECT_EQ(roles(12), "000");

  CandidateSettings noPopularity = cs;
  noPopularity.TNEnabled = 0;
  ComputeFlags(day, 0, noPopularity);
  EXPECT_EQ(roles(4), "110") << "単人気 is consulted only with TNEnabled";
  EXPECT_EQ(roles(0), "001") << "its Pt勝率 rank alone makes it a partner";
}

TEST(Marking, ComputeClearsOldFlagsAndWriteMarksOnlySetsMarkedCells) {
  RaceDayModel& day = ResetRace(3);
  TOutData& out = day.OutData(0);
  out.Axis2Flags[2] = 1;  // left over from an earlier selection
  day.RaceAnalysis(0).PointWinRateRank[0] = 1;
  const CandidateSettings cs = SecondDefaultSet();

  TextGrid entry = EntryWithMarks(3, {"", "", "3"});  // a hand mark the set does not give
  ApplyCandidateSet(day, 0, cs, entry);
  EXPECT_EQ(out.Axis2Flags[2], 0);
  EXPECT_EQ(entry.At(1, kMarkColAxis1), MarkText());
  EXPECT_EQ(entry.At(1, kMarkColAxis2), MarkText());
  EXPECT_EQ(entry.At(1, kMarkColPartner), "");
  EXPECT_EQ(entry.At(2, kMarkColAxis1), "");
  EXPECT_EQ(entry.At(3, kMarkColPartner), MarkText()) << "a column whose flag is 0 is not touched";
}

TEST(Marking, MarkAllClearAndToggle) {
  TextGrid entry = EntryWithMarks(4, {});
  entry.SetRowCount(6);  // a row beyond the runners (horse number blank)
  MarkAll(entry, kMarkColAxis2);
  for (int row = 1; row < 6; ++row) EXPECT_EQ(entry.At(row, kMarkColAxis2), MarkText());
  EXPECT_EQ(entry.At(0, kMarkColAxis2), "") << "the heading row keeps its text";
  ClearMarks(entry, kMarkColAxis2);
  for (int row = 1; row < 6; ++row) EXPECT_EQ(entry.At(row, kMarkColAxis2), "");
  MarkAll(entry, 23);
  EXPECT_EQ(entry.At(1, 23), "") << "only columns 24-26 are mark columns";

  EXPECT_TRUE(ToggleMark(entry, 2, kMarkColPartner));
  EXPECT_EQ(entry.At(2, kMarkColPartner), MarkText());
  EXPECT_TRUE(ToggleMark(entry, 2, kMarkColPartner));
  EXPECT_EQ(entry.At(2, kMarkColPartner), "");
  EXPECT_FALSE(ToggleMark(entry, 0, kMarkColAxis2)) << "the heading row";
  EXPECT_FALSE(ToggleMark(entry, 5, kMarkColAxis2)) << "no horse number";
  EXPECT_FALSE(ToggleMark(entry, 1, 27));
}

}  // namespace
}  // namespace kv
