#include <gtest/gtest.h>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "text/TextGrid.h"

using namespace kv;

TEST(Cp932, RoundTripsJapaneseAndKeepsByteWidths) {
  std::string s = J("馬番　ｵｯｽﾞ①～");
  EXPECT_EQ(s.size(), 2u * 2 + 2 + 4 + 2 + 2);  // full-width 2 bytes, half-width kana 1 byte
  EXPECT_EQ(ToUtf8(s), "馬番　ｵｯｽﾞ①～");
  EXPECT_EQ(ToUtf8("\x82\xA0"), "あ");
}

TEST(Cp932, InvalidInputIsReplacedNotDropped) {
  EXPECT_EQ(ToUtf8(std::string("A\xA0\xFD" "B")), "A\xEF\xBF\xBD\xEF\xBF\xBD" "B");
  EXPECT_EQ(ToCp932("A\xF0\x9F\x90\x8E" "B"), "A?B");  // an emoji has no CP932 form
}

TEST(Cp932, CutBytesNeverSplitsADoubleByteCharacter) {
  std::string s = J("ABあい");
  EXPECT_EQ(CutBytes(s, 3), "AB");
  EXPECT_EQ(CutBytes(s, 4), J("ABあ"));
  EXPECT_EQ(PadRight(s, 5), J("ABあ") + " ");
  EXPECT_EQ(PadRight(s, 5).size(), 5u);
}

TEST(Field, ReadsOneBasedPositionsAndNumbers) {
  const std::string rec = "RA7 0012  34x  ";
  EXPECT_EQ(Fld(rec, 1, 2), "RA");
  EXPECT_EQ(Fld(rec, 14, 10), "  ");  // clipped at the end
  EXPECT_EQ(Fld(rec, 40, 3), "");
  struct Case { const char* text; long long value; } cases[] = {
      {"0012", 12}, {"  34x", 34}, {"    ", 0}, {"", 0}, {"x12", 0}, {" -12", -12}, {"+ 5", 0}, {"007 8", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseLong(c.text), c.value) << c.text;
  EXPECT_EQ(FldInt(rec, 4, 5), 12);
}

TEST(Field, IsDigitsWantsAtLeastOneAndOnlyHalfWidthDigits) {
  struct Case { std::string text; bool digits; } cases[] = {
      {"0", true}, {"20240428", true}, {"", false}, {" 12", false}, {"12 ", false}, {"1a", false}, {"-1", false},
      {J("１２"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDigits(c.text), c.digits) << c.text;
}

TEST(Field, PutFldPadsAndCuts) {
  std::string rec(6, '.');
  PutFld(rec, 2, 3, "ab");
  EXPECT_EQ(rec, ".ab ..");
  PutFld(rec, 5, 4, "wxyz1");
  EXPECT_EQ(rec, ".ab wxyz");
}

TEST(Format, PrintfStyleIncludingLongTexts) {
  EXPECT_EQ(Fmt("%2d-%2d", 1, 12), " 1-12");
  EXPECT_EQ(Fmt("%6.1f|%-4s|", 12.34, "ab"), "  12.3|ab  |");
  std::string longText(1000, 'x');
  EXPECT_EQ(Fmt("%s!", longText.c_str()), longText + "!");
}

TEST(Format, ThousandsGroupedWithCommas) {
  const std::pair<long long, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {13200, "13,200"}, {273000, "273,000"}, {1234567, "1,234,567"},
      {-1500, "-1,500"}};
  for (const auto& [n, text] : cases) EXPECT_EQ(GroupThousands(n), text) << n;
}

TEST(TextGrid, ResizeKeepsCellsAndOutsideAccessIsSafe) {
  TextGrid g(2, 2);
  g.Set(1, 1, "a");
  g.Resize(3, 3);
  EXPECT_EQ(g.At(1, 1), "a");
  EXPECT_EQ(g.At(2, 2), "");
  g.Set(9, 9, "ignored");
  EXPECT_EQ(g.At(9, 9), "");
  g.SwapRows(1, 2);
  EXPECT_EQ(g.At(2, 1), "a");
  g.ClearRows(1);
  EXPECT_EQ(g.At(2, 1), "");
}

TEST(TextGrid, CopyTextFollowsTheRangeRules) {
  TextGrid g(2, 3);
  g.SetRow(0, {"h0", "h1", "h2"});
  g.SetRow(1, {"a", "b", "c"});
  EXPECT_EQ(g.CopyText(0, 0, "L", 99, 99), "L\r\nh0\th1\th2\r\na\tb\tc\r\n");
  EXPECT_EQ(g.CopyText(-5, 1, "", 1, 1), "\r\na\tb\r\n");
  EXPECT_EQ(g.CopyText(3, 0, "L", 1, 5), "");   // first column outside
  EXPECT_EQ(g.CopyText(1, 1, "L", 0, 2), "");   // empty row range
  EXPECT_EQ(g.CopyText(2, 0, "L", 1, 1), "");   // empty column range
}
