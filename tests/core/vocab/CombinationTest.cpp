#include <gtest/gtest.h>

#include <string>

#include "text/Format.h"
#include "vocab/Combination.h"

using namespace kv;

namespace {

const ComboKind kKinds[] = {ComboKind::Bracket, ComboKind::Quinella, ComboKind::Exacta, ComboKind::Trio,
                            ComboKind::Trifecta};

int (*const kTextFns[])(std::string_view) = {BracketComboNo, QuinellaComboNo, ExactaComboNo, TrioComboNo,
                                             TrifectaComboNo};

// Closed forms of the numbering, an independent check of the tables.
int Binom2(int n) { return n * (n - 1) / 2; }
int ClosedForm(ComboKind kind, int i, int j, int k) {
  switch (kind) {
    case ComboKind::Bracket: {
      int n = 0;
      for (int x = 1; x < i; ++x) n += 9 - x;
      return n + (j - i + 1);
    }
    case ComboKind::Quinella: return (i - 1) * 18 - (i - 1) * i / 2 + (j - i);
    case ComboKind::Exacta: return (i - 1) * 17 + (j < i ? j : j - 1);
    case ComboKind::Trio: {
      int n = 0;
      for (int x = 1; x < i; ++x) n += Binom2(18 - x);
      for (int y = i + 1; y < j; ++y) n += 18 - y;
      return n + (k - j);
    }
    case ComboKind::Trifecta: {
      int j2 = j < i ? j : j - 1;
      int k2 = k - (i < k) - (j < k);
      return (i - 1) * 272 + (j2 - 1) * 16 + k2;
    }
  }
  return -1;
}

}  // namespace

TEST(Combination, TellingRows) {
  struct Case {
    ComboKind kind;
    const char* text;
    int no;
  } cases[] = {
      {ComboKind::Bracket, " 1- 1", 1},        {ComboKind::Bracket, " 1- 8", 8},
      {ComboKind::Bracket, " 2- 2", 9},        {ComboKind::Bracket, " 7- 7", 34},
      {ComboKind::Bracket, " 8- 8", 36},       {ComboKind::Quinella, " 1- 2", 1},
      {ComboKind::Quinella, " 1-18", 17},      {ComboKind::Quinella, " 2- 3", 18},
      {ComboKind::Quinella, "17-18", 153},     {ComboKind::Exacta, " 1- 2", 1},
      {ComboKind::Exacta, " 2- 1", 18},        {ComboKind::Exacta, " 2- 3", 19},
      {ComboKind::Exacta, "18-17", 306},       {ComboKind::Trio, " 1- 2- 3", 1},
      {ComboKind::Trio, " 1-17-18", 136},      {ComboKind::Trio, " 2- 3- 4", 137},
      {ComboKind::Trio, "16-17-18", 816},      {ComboKind::Trifecta, " 1- 2- 3", 1},
      {ComboKind::Trifecta, " 1- 2-18", 16},   {ComboKind::Trifecta, " 1- 3- 2", 17},
      {ComboKind::Trifecta, " 2- 1- 3", 273},  {ComboKind::Trifecta, " 9-18-17", 2448},
      {ComboKind::Trifecta, "10- 1- 2", 2449}, {ComboKind::Trifecta, "18-17-16", 4896},
  };
  for (const auto& c : cases) {
    const int kind = static_cast<int>(c.kind);
    EXPECT_EQ(kTextFns[kind](c.text), c.no) << kind << " '" << c.text << "'";
    EXPECT_EQ(ComboText(c.kind, c.no), c.text) << kind << " " << c.no;
  }
}

// Every number of every kind: its text, its numbers and the closed form agree, and the text
// maps back to the number.
TEST(Combination, TablesAreConsistentBothWays) {
  const int counts[] = {36, 153, 306, 816, 4896};
  for (ComboKind kind : kKinds) {
    const int k = static_cast<int>(kind);
    ASSERT_EQ(ComboCount(kind), counts[k]);
    const bool triple = kind == ComboKind::Trio || kind == ComboKind::Trifecta;
    for (int no = 1; no <= counts[k]; ++no) {
      const Combo c = ComboOf(kind, no);
      const std::string text =
          triple ? Fmt("%2d-%2d-%2d", c.first, c.second, c.third) : Fmt("%2d-%2d", c.first, c.second);
      ASSERT_EQ(ComboText(kind, no), text) << k << " " << no;
      ASSERT_EQ(kTextFns[k](text), no) << k << " " << text;
      ASSERT_EQ(ComboNo(kind, c.first, c.second, c.third), no) << k << " " << text;
      ASSERT_EQ(ClosedForm(kind, c.first, c.second, c.third), no) << k << " " << text;
    }
    EXPECT_EQ(ComboOf(kind, 0), Combo{});
    EXPECT_EQ(ComboOf(kind, counts[k] + 1), Combo{});
    EXPECT_EQ(ComboText(kind, 0), "");
    EXPECT_EQ(ComboText(kind, counts[k] + 1), "");
  }
}

TEST(Combination, TextsThatAreNotExactlyACombinationGiveZero) {
  struct Case {
    const char* text;
    int bracket, quinella, exacta, trio, trifecta;
  } cases[] = {
      {" 2- 1", 0, 0, 18, 0, 0},         // larger first: only the exacta keeps order
      {" 1- 9", 0, 8, 8, 0, 0},          // bracket numbers stop at 8
      {" 1- 1", 1, 0, 0, 0, 0},          // only brackets pair with themselves
      {"", 0, 0, 0, 0, 0},
      {"1-2", 0, 0, 0, 0, 0},            // no padding
      {"01-02", 0, 0, 0, 0, 0},          // leading zeros
      {" 1 - 2", 0, 0, 0, 0, 0},
      {" 1- 2 ", 0, 0, 0, 0, 0},         // trailing blank
      {" 0- 1", 0, 0, 0, 0, 0},
      {"18-19", 0, 0, 0, 0, 0},
      {" 1-2 ", 0, 0, 0, 0, 0},
      {"18-17-16", 0, 0, 0, 0, 4896},
      {"18-17-16 ", 0, 0, 0, 0, 4896},   // the trifecta compares only 8 characters
      {" 1- 2- 3xyz", 0, 0, 0, 0, 1},
      {" 1- 2- 3", 0, 0, 0, 1, 1},
      {" 1- 2- 3 ", 0, 0, 0, 0, 1},      // a trailing blank breaks the trio
      {" 3- 2- 1", 0, 0, 0, 0, 561},     // descending: only the trifecta keeps order
      {" 1- 1- 2", 0, 0, 0, 0, 0},
      {" 1- 2-19", 0, 0, 0, 0, 0},
      {" 1- 2-  ", 0, 0, 0, 0, 0},
      {" 1- 2- 0", 0, 0, 0, 0, 0},
      {" 1- 2", 2, 1, 1, 0, 0},          // a pair is not a triple
  };
  for (const auto& c : cases) {
    const int want[] = {c.bracket, c.quinella, c.exacta, c.trio, c.trifecta};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(kTextFns[k](c.text), want[k]) << k << " '" << c.text << "'";
  }
}

TEST(Combination, NumbersBreakingTheRuleGiveZero) {
  EXPECT_EQ(ComboNo(ComboKind::Bracket, 1, 9), 0);
  EXPECT_EQ(ComboNo(ComboKind::Quinella, 2, 1), 0);
  EXPECT_EQ(ComboNo(ComboKind::Quinella, 3, 3), 0);
  EXPECT_EQ(ComboNo(ComboKind::Exacta, 0, 1), 0);
  EXPECT_EQ(ComboNo(ComboKind::Trio, 1, 3, 2), 0);
  EXPECT_EQ(ComboNo(ComboKind::Trio, 1, 2, 0), 0);
  EXPECT_EQ(ComboNo(ComboKind::Trifecta, 1, 2, 19), 0);
  EXPECT_EQ(ComboNo(ComboKind::Trifecta, -1, 2, 3), 0);
  EXPECT_EQ(ComboNo(ComboKind::Quinella, 1, 2, 7), 1);  // the third number is ignored for pairs
}

TEST(Combination, QuinellaComboTextLeavesTheOutputAloneOutOfRange) {
  std::string text = "keep";
  for (int no : {0, 154, -1}) {
    QuinellaComboText(no, text);
    EXPECT_EQ(text, "keep") << no;
  }
  QuinellaComboText(1, text);
  EXPECT_EQ(text, " 1- 2");
  QuinellaComboText(153, text);
  EXPECT_EQ(text, "17-18");
}

// The bracket of a horse equals the spread rule: the runners go over the 8 brackets in number
// order, the last (runners mod 8) brackets holding one more.
TEST(Combination, BracketOfHorseFollowsTheSpreadRule) {
  for (int runners = 1; runners <= 18; ++runners) {
    int bracketOf[19] = {};
    if (runners <= 8) {
      for (int h = 1; h <= runners; ++h) bracketOf[h] = h;
    } else {
      const int base = runners / 8, larger = runners % 8;
      int h = 1;
      for (int b = 1; b <= 8; ++b) {
        const int size = base + (b > 8 - larger ? 1 : 0);
        for (int n = 0; n < size; ++n) bracketOf[h++] = b;
      }
      ASSERT_EQ(h, runners + 1);
    }
    for (int h = 1; h <= runners; ++h) EXPECT_EQ(BracketOfHorse(runners, h), bracketOf[h]) << runners << " " << h;
  }

  struct Case {
    int runners, horse, bracket;
  } cases[] = {
      {8, 8, 8}, {9, 7, 7}, {9, 8, 8}, {9, 9, 8}, {10, 6, 6}, {10, 7, 7}, {10, 9, 8},
      {16, 1, 1}, {16, 16, 8}, {17, 15, 8}, {17, 14, 7}, {18, 15, 7}, {18, 16, 8}, {18, 13, 7}, {18, 12, 6},
      {8, 9, 0}, {8, 0, 0}, {19, 1, 0}, {0, 1, 0},  // outside 1 <= horse <= runners <= 18
  };
  for (const auto& c : cases) EXPECT_EQ(BracketOfHorse(c.runners, c.horse), c.bracket) << c.runners << " " << c.horse;
}
