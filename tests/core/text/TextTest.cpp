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

TEST(Field, IsBlankRecordAgreesWithIsBlank) {
  const std::string longBlank(70000, ' ');
  std::string longWithMark = longBlank;
  longWithMark[69999] = 'x';
  for (const std::string& s : {std::string(), std::string(" "), std::string("   "), std::string("x"), std::string("  x"),
                               std::string("x  "), std::string("  \r\n"), longBlank, longWithMark}) {
    SCOPED_TRACE(s.size());
    EXPECT_EQ(IsBlankRecord(s), IsBlank(s));
  }
  EXPECT_TRUE(IsBlankRecord(longBlank));
  EXPECT_FALSE(IsBlankRecord(longWithMark));
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

// The Linux build converts with iconv, the Windows build with the system's code page 932: both
// must give the same text for every character of JIS X 0208 (rows 1-84: lead bytes 81-84, 88-9F,
// E0-EA) and half-width katakana, and take it back to the same bytes. The digest is the Linux
// build's; the Windows build runs this same test.
TEST(Cp932, JisX0208TableIsTheSameOnEverySystem) {
  std::uint64_t digest = 1469598103934665603ULL;  // FNV-1a over every conversion
  auto mix = [&digest](const std::string& s) {
    for (unsigned char c : s) digest = (digest ^ c) * 1099511628211ULL;
    digest = (digest ^ 0xFF) * 1099511628211ULL;
  };
  int valid = 0, roundTrips = 0;
  auto check = [&](const std::string& cp932) {
    const std::string utf8 = ToUtf8(cp932);
    mix(utf8);
    if (utf8 == "\xEF\xBF\xBD") return;
    ++valid;
    const std::string back = ToCp932(utf8);
    mix(back);
    if (back == cp932) ++roundTrips;
  };
  for (int lead = 0x81; lead <= 0xEA; ++lead) {
    if (lead >= 0x85 && lead <= 0x87) continue;
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail)
      if (trail != 0x7F) check(std::string{static_cast<char>(lead), static_cast<char>(trail)});
  }
  for (int c = 0xA1; c <= 0xDF; ++c) check(std::string(1, static_cast<char>(c)));
  // Characters that have a CP932 code only one way (written by hand or found in texts).
  for (const char* utf8 : {"¢", "£", "¥", "¬", "—", "‖", "‾", "−", "〜", "～", "－", "①", "髙", "﨑"}) mix(ToCp932(utf8));
  EXPECT_EQ(valid, 6879 + 63);
  EXPECT_EQ(roundTrips, valid);
  EXPECT_EQ(digest, 9070850278504990530ULL);
}
