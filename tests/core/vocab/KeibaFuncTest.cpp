#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Files.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "vocab/KeibaFunc.h"

using namespace kv;

namespace {

// Every code of `len` characters drawn from digits and capital letters.
std::vector<std::string> AllCodes(int len) {
  static const std::string kChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> codes{""};
  for (int n = 0; n < len; ++n) {
    std::vector<std::string> next;
    for (const auto& c : codes)
      for (char ch : kChars) next.push_back(c + ch);
    codes.swap(next);
  }
  return codes;
}

// A CP932 text that converted cleanly from the source: no "?" left by a failed conversion and
// no broken double-byte character.
bool CleanCp932(const std::string& s) {
  return s.find('?') == std::string::npos && ToUtf8(s).find("\xEF\xBF\xBD") == std::string::npos;
}

}  // namespace

// Fixed-width tables: every possible code gives a text of exactly the table's width, and the
// number of named codes matches the table.
TEST(CodeTables, FixedWidthTablesHaveTheirWidthForEveryCode) {
  struct Case {
    const char* name;
    std::function<std::string(std::string_view)> fn;
    int codeLen;
    size_t width;
    std::string unknown;  // the text of an unknown code
    int named;            // codes whose text differs from `unknown`
  } cases[] = {
      {"venue", VenueName, 2, 4, "    ", 106},
      {"grade", GradeName, 1, 5, J("　　 "), 9},
      {"race kind", RaceKindName, 2, 12, J("　　　　　　"), 10},
      {"race symbol", RaceSymbolName, 3, 24, J("　　　　　　　　　　　　"), 86},
  };
  for (const auto& c : cases) {
    int named = 0;
    for (const auto& code : AllCodes(c.codeLen)) {
      const std::string text = c.fn(code);
      ASSERT_EQ(text.size(), c.width) << c.name << " " << code << " " << ToUtf8(text);
      ASSERT_TRUE(CleanCp932(text)) << c.name << " " << code;
      if (text != c.unknown) ++named;
    }
    EXPECT_EQ(named, c.named) << c.name;
    EXPECT_EQ(c.fn(""), c.unknown) << c.name;
  }
}

// Tables whose texts share a width but where an unknown code gives a different text.
TEST(CodeTables, KnownCodesHaveTheirWidthAndUnknownOnesTheirFallback) {
  struct Case {
    const char* name;
    std::function<std::string(std::string_view)> fn;
    int codeLen;
    size_t width;
    std::string unknown;
    int named;
  } cases[] = {
      {"weekday", WeekdayName, 1, 2, "", 9},
      {"race kind half", RaceKindHalf, 2, 15, "", 10},
      {"weight rule", WeightRuleName, 1, 4, "", 4},
      {"track short", TrackShort, 2, 4, "", 25},
      {"sex", SexName, 1, 0, "", 3},
      {"apprentice", ApprenticeText, 1, 5, J("　"), 5},
      {"blinker", BlinkerText, 1, 4, " ", 1},
      {"track", TrackName, 2, 0, "", 29},
      {"weather", WeatherName, 1, 0, "", 6},
      {"going", [](std::string_view c) { return GoingName(c, 0); }, 1, 0, "", 4},
  };
  for (const auto& c : cases) {
    int named = 0;
    for (const auto& code : AllCodes(c.codeLen)) {
      const std::string text = c.fn(code);
      ASSERT_TRUE(CleanCp932(text)) << c.name << " " << code;
      if (text == c.unknown) continue;
      ++named;
      if (c.width) {
        ASSERT_EQ(text.size(), c.width) << c.name << " " << code << " " << ToUtf8(text);
      }
    }
    EXPECT_EQ(named, c.named) << c.name;
  }
}

TEST(CodeTables, RenderingsByValue) {
  struct Case {
    std::string got;
    const char* want;  // UTF-8
  } cases[] = {
      {VenueName("06"), "中山"},
      {VenueName("C4"), "    "},
      {VenueName("ZZ"), "    "},
      {VenueName("M6"), "約  "},
      {VenueName("M4"), "墺国"},
      {WeekdayName("0"), "　"},
      {WeekdayName("3"), "祝"},
      {WeekdayName("9"), ""},
      {GradeName("A"), "G1   "},
      {GradeName("D"), "重賞 "},
      {GradeName("L"), "List "},
      {GradeName(" "), "　　 "},
      {RaceKindName("18"), "障害３歳上　"},
      {RaceKindName("99"), "　　　　　　"},
      {RaceKindHalf("11"), "ｻﾗ系2歳        "},
      {RaceKindHalf("19"), "ｻﾗ系障害4歳以上"},
      {RaceSymbolName("A03"), "(混合)[指定]　　　　　　"},
      {RaceSymbolName("030"), "牡・ｾﾝ　　　　　　　　　"},
      {RaceSymbolName("K01"), "(市)(抽)関西配布馬(指定)"},
      {RaceSymbolName("000"), "　　　　　　　　　　　　"},
      {WeightRuleName("1"), "ﾊﾝﾃﾞ"},
      {RaceConditionName("005"), "1勝ｸﾗｽ"},
      {RaceConditionName("016"), "3勝ｸﾗｽ"},
      {RaceConditionName("100"), "1億下"},
      {RaceConditionName("999"), "オープン"},
      {RaceConditionName("000"), ""},
      {RaceConditionName("   "), ""},
      {ClassText("13", "100"), "3歳上10000"},
      {ClassText("19", "999"), "障4歳上ｵｰﾌﾟﾝ"},
      {ClassText("11", "703"), "2歳未勝利"},
      {ClassText("99", "005"), "1勝ｸﾗｽ"},
      {TrackName("25"), "ﾀﾞｰﾄ 左回り 内回り"},
      {TrackName("51"), "障害 芝　襷"},
      {TrackShort("25"), ""},
      {TrackShort("29"), "ダ直"},
      {TrackShort("16"), "芝左"},
      {WeatherName("4"), "小雨"},
      {GoingName("2", 0), "稍重"},
      {GoingName("4", 1), "芝:不良"},
      {GoingName("1", 2), "ダ:良"},
      {GoingName("0", 1), ""},
      {GoingName("1", 3), ""},
      {SexName("3"), "ｾﾝ"},
      {BlinkerText("1"), "ﾌﾞﾘﾝ"},
      {BlinkerText("0"), " "},
      {ApprenticeText("9"), "2kg減"},
      {ApprenticeText("0"), "　"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(c.got), c.want);
}

TEST(CodeTables, RealRaceRecordsRender) {
  const std::filesystem::path dir = std::filesystem::path(KORVANE_REFDATA) / "records";
  if (!std::filesystem::exists(dir / "RA_3.txt")) GTEST_SKIP() << "reference records not present";
  std::string ra;
  ASSERT_TRUE(ReadFile(dir / "RA_3.txt", ra));  // 2011 Kyoto G1, 3200 m turf
  EXPECT_EQ(ToUtf8(VenueName(Fld(ra, 20, 2))), "京都");
  EXPECT_EQ(ToUtf8(WeekdayName(Fld(ra, 28, 1))), "日");
  EXPECT_EQ(ToUtf8(GradeName(Fld(ra, 615, 1))), "G1   ");
  EXPECT_EQ(ToUtf8(RaceKindName(Fld(ra, 617, 2))), "サラ系４歳上");
  EXPECT_EQ(ToUtf8(RaceSymbolName(Fld(ra, 619, 3))), "(国際)(指定)　　　　　　");
  EXPECT_EQ(ToUtf8(WeightRuleName(Fld(ra, 622, 1))), "定量");
  EXPECT_EQ(ToUtf8(RaceConditionName(Fld(ra, 635, 3))), "オープン");
  EXPECT_EQ(ToUtf8(TrackName(Fld(ra, 706, 2))), "芝 右回り 外回り");
  EXPECT_EQ(ToUtf8(WeatherName(Fld(ra, 888, 1))), "曇");
  EXPECT_EQ(ToUtf8(GoingName(Fld(ra, 889, 1), 1)), "芝:稍重");
}

TEST(DisplayHelpers, CircledNumbers) {
  EXPECT_EQ(CircledNum(1), J("①"));
  EXPECT_EQ(CircledNum(10), J("⑩"));
  EXPECT_EQ(CircledNum(18), J("⑱"));
  for (int n : {0, -1, 19, 20}) EXPECT_EQ(CircledNum(n), J("－")) << n;
  EXPECT_EQ(CircledNum(std::string_view("07")), J("⑦"));
  EXPECT_EQ(CircledNum(std::string_view("  ")), J("－"));
}

TEST(DisplayHelpers, Numbers) {
  struct Case {
    const char* text;
    const char* want;
  } right[] = {{" 7", " 7"}, {"07", " 7"}, {"7 ", " 7"}, {"00", "  "}, {"  ", "  "}, {"0012", "  12"}, {"", ""}};
  for (const auto& c : right) EXPECT_EQ(RightAlignNum(c.text), c.want) << "'" << c.text << "'";

  EXPECT_EQ(NumWithWidth("0012", 5, false), "   12");
  EXPECT_EQ(NumWithWidth("0000", 3, false), "  0");
  EXPECT_EQ(NumWithWidth("0000", 3, true), "");
  EXPECT_EQ(NumWithWidth("12345", 3, true), "12345");
}

TEST(DisplayHelpers, RemoveFullBlanksWorksOnWholeCharacters) {
  EXPECT_EQ(RemoveFullBlanks(J("　ディープ　インパクト　　")), J("ディープインパクト"));
  EXPECT_EQ(RemoveFullBlanks("AB  C"), "AB  C");
  // "＝" is 0x81 0x81; followed by "@" (0x40) its trail byte and the "@" look like a "　".
  const std::string tricky = J("＝@　");
  EXPECT_EQ(RemoveFullBlanks(tricky), J("＝@"));
}

TEST(DisplayHelpers, AddTime) {
  struct Case {
    const char* time;
    int add;
    const char* want;
  } minutes[] = {
      {"0955", 10, "1005"}, {"2355", 10, "2405"}, {"1530", -31, "1459"}, {"1000", 0, "1000"},
      {"    ", 10, ""},     {"", 5, ""},          {"0005", -10, "0000"},
  };
  for (const auto& c : minutes) EXPECT_EQ(AddMinutes(c.time, c.add), c.want) << c.time << " " << c.add;

  struct Case seconds[] = {
      {"095950", 15, "100005"}, {"235959", 2, "240001"}, {"100000", -1, "095959"}, {"      ", 3, ""},
      {"000010", -20, "000000"},
  };
  for (const auto& c : seconds) EXPECT_EQ(AddSeconds(c.time, c.add), c.want) << c.time << " " << c.add;
}

TEST(DisplayHelpers, AddDays) {
  struct Case {
    const char* date;
    int add;
    const char* want;
  } cases[] = {
      {"2023/09/02", 1, "2023/09/03"},  {"2023/12/31", 1, "2024/01/01"}, {"2024/02/28", 1, "2024/02/29"},
      {"2023/02/28", 1, "2023/03/01"},  {"2000/03/01", -1, "2000/02/29"}, {"2100/03/01", -1, "2100/02/28"},
      {"2023/01/01", -365, "2022/01/01"}, {"2023/05/07", 0, "2023/05/07"}, {"          ", 1, ""},
      {"2023/02/30", 1, ""},            {"2023-09-02", 1, ""},           {"2023/9/2", 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AddDays(c.date, c.add), c.want) << c.date << " " << c.add;
}

TEST(DisplayHelpers, PaceFigure) {
  struct Case {
    const char* time;
    const char* last3f;
    const char* distance;
    const char* want;
  } cases[] = {
      {"1345", "345", "1600", "360"},  // (945 - 345) / 10 * 6
      {"1100", "350", "1200", "350"},  // (700 - 350) / 6 * 6
      {"1121", "355", "1150", "399"},  // (721 - 355) / 5.5 * 6 = 399.27
      {"0000", "345", "1600", "   "},
      {"1345", "000", "1600", "   "},
      {"1345", "345", "0000", "   "},
      {"    ", "345", "1600", "   "},
      {"0345", "345", "0600", "   "},  // no stretch before the last 600 m
      {"9999", "100", "0700", "377"},  // 37794 is cut to its first three characters
  };
  for (const auto& c : cases)
    EXPECT_EQ(PaceFigure(c.time, c.last3f, c.distance), c.want) << c.time << " " << c.last3f << " " << c.distance;
}
