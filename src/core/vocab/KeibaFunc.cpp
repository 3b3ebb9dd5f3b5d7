#include "vocab/KeibaFunc.h"

#include <cmath>
#include <initializer_list>
#include <unordered_map>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {
namespace {

// A code table: code -> CP932 text, built once from UTF-8 rows.
class CodeTable {
 public:
  struct Row {
    const char* code;
    const char* text;  // UTF-8
  };
  // width > 0: every text is filled out to exactly width bytes with `fill` (a full-width blank
  // fill ends with a half-width blank when one byte is left).
  CodeTable(std::initializer_list<Row> rows, std::string fallback, size_t width = 0, bool fullWidthFill = false)
      : fallback_(std::move(fallback)) {
    for (const Row& r : rows) {
      std::string text = J(r.text);
      if (width > 0) {
        static const std::string kFullBlank = J("　");
        while (fullWidthFill && text.size() + 2 <= width) text += kFullBlank;
        text = PadRight(text, width);
      }
      map_.emplace(r.code, std::move(text));
    }
  }
  std::string operator()(std::string_view code) const {
    auto it = map_.find(std::string(Trim(code)));
    return it == map_.end() ? fallback_ : it->second;
  }

 private:
  std::unordered_map<std::string, std::string> map_;
  std::string fallback_;
};

// The condition code read as a number; -1 when it holds no digits or anything but digits and
// surrounding blanks.
int ConditionNumber(std::string_view code) {
  std::string_view t = Trim(code);
  if (t.empty()) return -1;
  for (char c : t)
    if (c < '0' || c > '9') return -1;
  return ParseInt(t);
}


bool BlankOrZeros(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '0') return false;
  return true;
}

}  // namespace

std::string VenueName(std::string_view code) {
  static const CodeTable table(
      {
          {"01", "札幌"}, {"02", "函館"}, {"03", "福島"}, {"04", "新潟"}, {"05", "東京"}, {"06", "中山"},
          {"07", "中京"}, {"08", "京都"}, {"09", "阪神"}, {"10", "小倉"}, {"30", "門別"}, {"31", "北見"},
          {"32", "岩見"}, {"33", "帯広"}, {"34", "旭川"}, {"35", "盛岡"}, {"36", "水沢"}, {"37", "上山"},
          {"38", "三条"}, {"39", "足利"}, {"40", "宇都"}, {"41", "高崎"}, {"42", "浦和"}, {"43", "船橋"},
          {"44", "大井"}, {"45", "川崎"}, {"46", "金沢"}, {"47", "笠松"}, {"48", "名古"}, {"49", "紀三"},
          {"50", "園田"}, {"51", "姫路"}, {"52", "益田"}, {"53", "福山"}, {"54", "高知"}, {"55", "佐賀"},
          {"56", "荒尾"}, {"57", "中津"}, {"58", "札幌"}, {"59", "函館"}, {"60", "新潟"}, {"61", "中京"},
          {"A0", "他外"}, {"A2", "日本"}, {"A4", "アメ"}, {"A6", "イギ"}, {"A8", "フラ"}, {"B0", "イン"},
          {"B2", "アイ"}, {"B4", "ニュ"}, {"B6", "オー"}, {"B8", "カナ"}, {"C0", "イタ"}, {"C2", "ドイ"},
          {"C4", "    "}, {"C5", "オマ"}, {"C6", "イラ"}, {"C7", "ア首"}, {"C8", "シリ"}, {"D0", "スウ"},
          {"D2", "ハン"}, {"D4", "ポル"}, {"D6", "ロシ"}, {"D8", "ウル"}, {"E0", "ペル"}, {"E2", "アル"},
          {"E4", "ブラ"}, {"E6", "ベル"}, {"E8", "トル"}, {"F0", "韓国"}, {"F1", "中国"}, {"F2", "チリ"},
          {"F4", "    "}, {"F6", "    "}, {"F8", "パナ"}, {"G0", "香港"}, {"G2", "スペ"}, {"G4", "    "},
          {"G6", "    "}, {"G8", "    "}, {"H0", "西独"}, {"H2", "南ア"}, {"H4", "スイ"}, {"H6", "モナ"},
          {"H8", "フィ"}, {"I0", "プエ"}, {"I2", "コロ"}, {"I4", "チェ"}, {"I6", "チェ"}, {"I8", "スロ"},
          {"J0", "エク"}, {"J2", "ギリ"}, {"J4", "マレ"}, {"J6", "メキ"}, {"J8", "モロ"}, {"K0", "パキ"},
          {"K2", "ポー"}, {"K4", "パラ"}, {"K6", "サウ"}, {"K8", "キプ"}, {"L0", "タイ"}, {"L2", "ウク"},
          {"L4", "ベネ"}, {"L6", "ユー"}, {"L8", "デン"}, {"M0", "シン"}, {"M2", "澳門"}, {"M4", "墺国"},
          {"M6", "約  "}, {"M8", "華  "}, {"N0", "東ド"}, {"N2", "バレ"},
      },
      "    ", 4);
  return table(code);
}

std::string WeekdayName(std::string_view code) {
  static const CodeTable table(
      {{"0", "　"}, {"1", "土"}, {"2", "日"}, {"3", "祝"}, {"4", "月"}, {"5", "火"}, {"6", "水"}, {"7", "木"}, {"8", "金"}},
      "");
  return table(code);
}

std::string GradeName(std::string_view code) {
  static const CodeTable table({{"A", "G1"}, {"B", "G2"}, {"C", "G3"}, {"D", "重賞"}, {"E", "特別"}, {"F", "JG1"},
                                {"G", "JG2"}, {"H", "JG3"}, {"L", "List"}},
                               J("　　 "), 5);
  return table(code);
}

std::string RaceKindName(std::string_view code) {
  static const CodeTable table({{"11", "サラ系２歳　"}, {"12", "サラ系３歳　"}, {"13", "サラ系３歳上"},
                                {"14", "サラ系４歳上"}, {"18", "障害３歳上　"}, {"19", "障害４歳上　"},
                                {"21", "アラ系２歳　"}, {"22", "アラ系３歳　"}, {"23", "アラ系３歳上"},
                                {"24", "アラ系４歳上"}},
                               J("　　　　　　"), 12, true);
  return table(code);
}

std::string RaceKindHalf(std::string_view code) {
  static const CodeTable table({{"11", "ｻﾗ系2歳"}, {"12", "ｻﾗ系3歳"}, {"13", "ｻﾗ系3歳以上"}, {"14", "ｻﾗ系4歳以上"},
                                {"18", "ｻﾗ系障害3歳以上"}, {"19", "ｻﾗ系障害4歳以上"}, {"21", "ｱﾗ系2歳"},
                                {"22", "ｱﾗ系3歳"}, {"23", "ｱﾗ系3歳以上"}, {"24", "ｱﾗ系4歳以上"}},
                               "", 15);
  return table(code);
}

std::string RaceSymbolName(std::string_view code) {
  static const CodeTable table(
      {
          {"001", "(指定)"}, {"002", "若手騎手"}, {"003", "[指定]"}, {"004", "(特指)"},
          {"020", "牝"}, {"021", "牝(指定)"}, {"023", "牝[指定]"}, {"024", "牝(特指)"},
          {"030", "牡・ｾﾝ"}, {"031", "牡・ｾﾝ(指定)"}, {"033", "牡・ｾﾝ[指定]"}, {"034", "牡・ｾﾝ(特指)"},
          {"040", "牡・牝"}, {"041", "牡・牝(指定)"}, {"043", "牡・牝[指定]"}, {"044", "牡・牝(特指)"},
          {"A00", "(混合)"}, {"A01", "(混合)(指定)"}, {"A02", "(混合)・若手騎手"}, {"A03", "(混合)[指定]"},
          {"A04", "(混合)(特指)"}, {"A10", "(混合)牡"}, {"A11", "(混合)牡(指定)"}, {"A13", "(混合)牡[指定]"},
          {"A14", "(混合)牡(特指)"}, {"A20", "(混合)牝"}, {"A21", "(混合)牝(指定)"}, {"A23", "(混合)牝[指定]"},
          {"A24", "(混合)牝(特指)"}, {"A30", "(混合)牡・ｾﾝ"}, {"A31", "(混合)牡・ｾﾝ(指定)"},
          {"A33", "(混合)牡・ｾﾝ[指定]"}, {"A34", "(混合)牡・ｾﾝ(特指)"}, {"A40", "(混合)牡・牝"},
          {"A41", "(混合)牡・牝(指定)"}, {"B00", "(父)"}, {"B01", "(父)(指定)"}, {"B03", "(父)[指定]"},
          {"B04", "(父)(特指)"}, {"C00", "(市)"}, {"C01", "(市)(指定)"}, {"C03", "(市)[指定]"},
          {"C04", "(市)(特指)"}, {"D00", "(抽)"}, {"D01", "(抽)(指定)"}, {"D03", "(抽)[指定]"},
          {"E00", "[抽]"}, {"E01", "[抽](指定)"}, {"E03", "[抽][指定]"}, {"F00", "(市)(抽)"},
          {"F01", "(市)(抽)(指定)"}, {"F03", "(市)(抽)[指定]"}, {"F04", "(市)(抽)(特指)"},
          {"G00", "(抽)関西配布馬"}, {"G01", "(抽)関西配布馬(指定)"}, {"G03", "(抽)関西配布馬[指定]"},
          {"H00", "(抽)関東配布馬"}, {"H01", "(抽)関東配布馬(指定)"}, {"I00", "[抽]関西配布馬"},
          {"I01", "[抽]関西配布馬(指定)"}, {"I03", "[抽]関西配布馬[指定]"}, {"J00", "[抽]関東配布馬"},
          {"J01", "[抽]関東配布馬(指定)"}, {"K00", "(市)(抽)関西配布馬"}, {"K01", "(市)(抽)関西配布馬(指定)"},
          {"K03", "(市)(抽)関西配布馬[指定]"}, {"L00", "(市)(抽)関東配布馬"}, {"L01", "(市)(抽)関東配布馬(指定)"},
          {"L03", "(市)(抽)関東配布馬[指定]"}, {"M00", "九州産馬"}, {"M01", "九州産馬(指定)"},
          {"M03", "九州産馬[指定]"}, {"M04", "九州産馬(特指)"}, {"N00", "(国際)"}, {"N01", "(国際)(指定)"},
          {"N03", "(国際)[指定]"}, {"N04", "(国際)(特指)"}, {"N20", "(国際)牝"}, {"N21", "(国際)牝(指定)"},
          {"N23", "(国際)牝[指定]"}, {"N24", "(国際)牝(特指)"}, {"N30", "(国際)牡・ｾﾝ"},
          {"N31", "(国際)牡・ｾﾝ(指定)"}, {"N40", "(国際)牡・牝"}, {"N41", "(国際)牡・牝(指定)"},
          {"N44", "(国際)牡・牝(特指)"},
      },
      J("　　　　　　　　　　　　"), 24, true);
  return table(code);
}

std::string WeightRuleName(std::string_view code) {
  static const CodeTable table({{"1", "ﾊﾝﾃﾞ"}, {"2", "別定"}, {"3", "馬齢"}, {"4", "定量"}}, "");
  return table(code);
}

std::string RaceConditionName(std::string_view code) {
  static const std::string k5 = J("1勝ｸﾗｽ"), k10 = J("2勝ｸﾗｽ"), k16 = J("3勝ｸﾗｽ"), k100 = J("1億下"),
                           k701 = J("新馬"), k702 = J("未出走"), k703 = J("未勝利"), k999 = J("オープン");
  switch (ConditionNumber(code)) {
    case 5: return k5;
    case 10: return k10;
    case 16: return k16;
    case 100: return k100;
    case 701: return k701;
    case 702: return k702;
    case 703: return k703;
    case 999: return k999;
    default: return {};
  }
}

std::string ClassText(std::string_view kindCode, std::string_view conditionCode) {
  static const CodeTable kinds(
      {{"11", "2歳"}, {"12", "3歳"}, {"13", "3歳上"}, {"14", "4歳上"}, {"18", "障3歳上"}, {"19", "障4歳上"}}, "");
  static const std::string k5 = J("1勝ｸﾗｽ"), k10 = J("2勝ｸﾗｽ"), k16 = J("3勝ｸﾗｽ"), k701 = J("新馬"),
                           k702 = J("未出走"), k703 = J("未勝利"), k999 = J("ｵｰﾌﾟﾝ");
  std::string condition;
  switch (ConditionNumber(conditionCode)) {
    case 5: condition = k5; break;
    case 10: condition = k10; break;
    case 16: condition = k16; break;
    case 100: condition = "10000"; break;
    case 701: condition = k701; break;
    case 702: condition = k702; break;
    case 703: condition = k703; break;
    case 999: condition = k999; break;
    default: break;
  }
  return kinds(kindCode) + condition;
}

std::string TrackName(std::string_view code) {
  static const CodeTable table(
      {
          {"10", "芝 直線"}, {"11", "芝 左回り"}, {"12", "芝 左回り 外回り"}, {"13", "芝 左回り 内→外回り"},
          {"14", "芝 左回り 外→内回り"}, {"15", "芝 左回り 内２周"}, {"16", "芝 左回り 外２周"},
          {"17", "芝 右回り"}, {"18", "芝 右回り 外回り"}, {"19", "芝 右回り 内→外回り"},
          {"20", "芝 右回り 外→内回り"}, {"21", "芝 右回り 内２周"}, {"22", "芝 右回り 外２周"},
          {"23", "ﾀﾞｰﾄ 左回り"}, {"24", "ﾀﾞｰﾄ 右回り"}, {"25", "ﾀﾞｰﾄ 左回り 内回り"},
          {"26", "ﾀﾞｰﾄ 右回り 外回り"}, {"27", "ｻﾝﾄﾞ 左回り"}, {"28", "ｻﾝﾄﾞ 右回り"}, {"29", "ﾀﾞｰﾄ 直線"},
          {"51", "障害 芝　襷"}, {"52", "障害 芝→ﾀﾞｰﾄ"}, {"53", "障害 芝　左"}, {"54", "障害 芝"},
          {"55", "障害 芝 外回り"}, {"56", "障害 芝 外→内回り"}, {"57", "障害 芝 内→外回り"},
          {"58", "障害 内２周"}, {"59", "障害 外２周"},
      },
      "");
  return table(code);
}

std::string TrackShort(std::string_view code) {
  static const CodeTable table(
      {
          {"10", "芝直"}, {"11", "芝左"}, {"12", "芝左"}, {"13", "芝左"}, {"14", "芝左"}, {"15", "芝左"},
          {"16", "芝左"}, {"17", "芝右"}, {"18", "芝右"}, {"19", "芝右"}, {"20", "芝右"}, {"21", "芝右"},
          {"22", "芝右"}, {"23", "ダ左"}, {"24", "ダ右"}, {"29", "ダ直"}, {"51", "障害"}, {"52", "障害"},
          {"53", "障害"}, {"54", "障害"}, {"55", "障害"}, {"56", "障害"}, {"57", "障害"}, {"58", "障害"},
          {"59", "障害"},
      },
      "");
  return table(code);
}

std::string WeatherName(std::string_view code) {
  static const CodeTable table(
      {{"1", "晴"}, {"2", "曇"}, {"3", "雨"}, {"4", "小雨"}, {"5", "雪"}, {"6", "小雪"}}, "");
  return table(code);
}

std::string GoingName(std::string_view code, int rendering) {
  static const CodeTable plain({{"1", "良"}, {"2", "稍重"}, {"3", "重"}, {"4", "不良"}}, "");
  static const std::string kTurf = J("芝:"), kDirt = J("ダ:");
  std::string name = plain(code);
  if (name.empty()) return name;
  switch (rendering) {
    case 0: return name;
    case 1: return kTurf + name;
    case 2: return kDirt + name;
    default: return {};
  }
}

std::string SexName(std::string_view code) {
  static const CodeTable table({{"1", "牡"}, {"2", "牝"}, {"3", "ｾﾝ"}}, "");
  return table(code);
}

std::string BlinkerText(std::string_view code) {
  static const std::string kBlinker = J("ﾌﾞﾘﾝ");
  return Trim(code) == "1" ? kBlinker : std::string(" ");
}

std::string ApprenticeText(std::string_view code) {
  static const CodeTable table(
      {{"1", "1kg減"}, {"2", "2kg減"}, {"3", "3kg減"}, {"4", "4kg減"}, {"9", "2kg減"}}, J("　"));
  return table(code);
}

std::string CircledNum(int n) {
  // ① is 0x8740 in CP932 and ① … ⑳ are consecutive.
  if (n >= 1 && n <= 18) return std::string{'\x87', static_cast<char>(0x40 + n - 1)};
  static const std::string kDash = J("－");
  return kDash;
}

std::string CircledNum(std::string_view text) { return CircledNum(ParseInt(text)); }

std::string RightAlignNum(std::string_view text) {
  const int width = static_cast<int>(text.size());
  const int n = ParseInt(text);
  if (n == 0) return std::string(text.size(), ' ');
  return Fmt("%*d", width, n);
}

std::string NumWithWidth(std::string_view text, int width, bool blankZero) {
  const int n = ParseInt(text);
  if (blankZero && n == 0) return {};
  return Fmt("%*d", width, n);
}

std::string RemoveFullBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      if (!(text[i] == '\x81' && text[i + 1] == '\x40')) out.append(text.substr(i, 2));
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string AddMinutes(std::string_view hhmm, int minutes) {
  if (IsBlank(hhmm)) return {};
  long long total = FldLong(hhmm, 1, 2) * 60 + FldLong(hhmm, 3, 2) + minutes;
  if (total < 0) total = 0;
  return Fmt("%02lld%02lld", total / 60, total % 60);
}

std::string AddSeconds(std::string_view hhmmss, int seconds) {
  if (IsBlank(hhmmss)) return {};
  long long total = FldLong(hhmmss, 1, 2) * 3600 + FldLong(hhmmss, 3, 2) * 60 + FldLong(hhmmss, 5, 2) + seconds;
  if (total < 0) total = 0;
  return Fmt("%02lld%02lld%02lld", total / 3600, total % 3600 / 60, total % 60);
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

unsigned DaysInMonth(long long y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return kDays[m - 1];
}

}  // namespace

std::string AddDays(std::string_view date, int days) {
  if (IsBlank(date)) return {};
  if (date.size() != 10 || date[4] != '/' || date[7] != '/') return {};
  std::string_view ys = date.substr(0, 4), ms = date.substr(5, 2), ds = date.substr(8, 2);
  if (!IsDigits(ys) || !IsDigits(ms) || !IsDigits(ds)) return {};
  const long long y = ParseLong(ys);
  const unsigned m = static_cast<unsigned>(ParseInt(ms)), d = static_cast<unsigned>(ParseInt(ds));
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return {};
  long long ny;
  unsigned nm, nd;
  CivilFromDays(DaysFromCivil(y, m, d) + days, ny, nm, nd);
  if (ny < 1 || ny > 9999) return {};
  return Fmt("%04lld/%02u/%02u", ny, nm, nd);
}

std::string PaceFigure(std::string_view raceTime, std::string_view last3f, std::string_view distance) {
  if (BlankOrZeros(raceTime) || BlankOrZeros(last3f) || BlankOrZeros(distance)) return "   ";
  const double t = ParseInt(Fld(raceTime, 1, 1)) * 600.0 + ParseInt(Fld(raceTime, 2, 3));
  const double l = ParseInt(last3f);
  const double d = ParseInt(distance);
  // Without a stretch before the last 600 m there is no pace to show (and no division by zero).
  if (d <= 600.0) return "   ";
  const double figure = (t - l) / (d / 100.0 - 6.0) * 6.0;
  return Fmt("%3.0f", figure).substr(0, 3);
}

}  // namespace kv
