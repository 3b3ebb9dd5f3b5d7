#pragma once
// Racing vocabulary: JV-Data code tables and small display helpers.
//
// Every function is pure: it takes the raw record field (CP932 text) or a number and returns
// CP932 text. Codes are looked up with surrounding half-width blanks ignored; a code that is not
// in a table gives the "unknown" text stated per function (an empty text unless noted).
// Byte widths below are CP932 byte counts; "　" is the full-width blank (2 bytes).
#include <string>
#include <string_view>

namespace kv {

// ---- code tables -----------------------------------------------------------------------------

// Venue (競馬場コード, RA/SE/HR position 20, 2 characters): two full-width characters, always
// 4 bytes ("06" -> "中山"). Codes without a name and unknown codes give four blanks.
// This is the short form used for the race list, labels and entry-file names.
std::string VenueName(std::string_view code);

// Weekday (曜日コード, RA position 28): "0" -> "　", "1".."8" -> 土 日 祝 月 火 水 木 金 (2 bytes);
// other codes give "".
std::string WeekdayName(std::string_view code);

// Grade (グレードコード, RA position 615): always 5 bytes ("A" -> "G1   ", "D" -> "重賞 ");
// unknown or blank codes give "　　 ".
std::string GradeName(std::string_view code);

// Race kind (競走種別コード, RA position 617, 2 characters): six full-width characters, always
// 12 bytes ("13" -> "サラ系３歳上"); unknown codes give six "　".
std::string RaceKindName(std::string_view code);

// Race kind in half-width form, 15 bytes filled out with blanks ("11" -> "ｻﾗ系2歳" + 8 blanks);
// unknown codes give "".
std::string RaceKindHalf(std::string_view code);

// Race symbol (競走記号コード, RA position 619, 3 characters): always 24 bytes, filled out with
// "　"; unknown codes give twelve "　".
std::string RaceSymbolName(std::string_view code);

// Weight rule (重量種別コード, RA position 622): "ﾊﾝﾃﾞ", "別定", "馬齢", "定量" (4 bytes); else "".
std::string WeightRuleName(std::string_view code);

// Race condition (競走条件コード, RA positions 623..637, 3 characters each), read as a number:
// 5 "1勝ｸﾗｽ", 10 "2勝ｸﾗｽ", 16 "3勝ｸﾗｽ", 100 "1億下", 701 "新馬", 702 "未出走", 703 "未勝利",
// 999 "オープン"; else "". Not padded.
std::string RaceConditionName(std::string_view code);

// Class text of the day verification table: a short kind text ("2歳", "3歳上", "障4歳上" …)
// followed by a short condition text ("1勝ｸﾗｽ", "10000" for 100, "ｵｰﾌﾟﾝ" …). Either part is ""
// for an unknown code.
std::string ClassText(std::string_view kindCode, std::string_view conditionCode);

// Track (トラックコード, RA position 706, 2 characters), long text ("25" -> "ﾀﾞｰﾄ 左回り 内回り");
// unknown codes give "".
std::string TrackName(std::string_view code);

// Track, two full-width characters ("10" -> "芝直", "23" -> "ダ左", "51".."59" -> "障害");
// codes 25..28 and unknown codes give "".
std::string TrackShort(std::string_view code);

// Weather (天候コード, RA position 888): 晴 曇 雨 小雨 雪 小雪; else "".
std::string WeatherName(std::string_view code);

// Going (馬場状態コード): rendering 0 gives 良 稍重 重 不良; rendering 1 prefixes "芝:" and
// rendering 2 "ダ:". Unknown codes and other renderings give "".
std::string GoingName(std::string_view code, int rendering = 0);

// Sex (性別コード, SE position 79): 牡 牝 ｾﾝ; else "".
std::string SexName(std::string_view code);

// Blinker (SE position 295): "1" gives "ﾌﾞﾘﾝ"; anything else one half-width blank.
std::string BlinkerText(std::string_view code);

// Apprentice allowance (見習区分, SE position 323): "1kg減" … "4kg減", code 9 "2kg減" (5 bytes);
// anything else "　".
std::string ApprenticeText(std::string_view code);

// ---- display helpers -------------------------------------------------------------------------

// Circled number ① … ⑱ (2 bytes) for 1..18; any other value gives "－".
std::string CircledNum(int n);
// The same for a numeric text (read as a number; a blank text reads 0 and gives "－").
std::string CircledNum(std::string_view text);

// The number in text right-aligned in the text's own byte width ("%<n>d"); a number of 0 gives
// n blanks. " 7", "07" and "7 " all give " 7"; "00" and "  " give two blanks.
std::string RightAlignNum(std::string_view text);

// The number in text formatted "%<width>d". With blankZero set, a number of 0 gives "".
std::string NumWithWidth(std::string_view text, int width, bool blankZero);

// The text with every full-width blank "　" removed (whole characters only: the byte pair of a
// "　" inside another double-byte character's bytes is left alone).
std::string RemoveFullBlanks(std::string_view text);

// "hhmm" plus minutes, as "hhmm". Hours are not reduced modulo 24 ("2355" + 10 -> "2405").
// A blank input gives ""; a result before "0000" gives "0000".
std::string AddMinutes(std::string_view hhmm, int minutes);

// "hhmmss" plus seconds, as "hhmmss" (hours not reduced modulo 24). A blank input gives "";
// a result before "000000" gives "000000".
std::string AddSeconds(std::string_view hhmmss, int seconds);

// Date "yyyy/mm/dd" shifted by a number of calendar days, as "yyyy/mm/dd". A blank input, or a
// text that is not a valid calendar date in that form, gives "".
std::string AddDays(std::string_view date, int days);

// Pace figure of the detailed entry table: the average time, in tenths of a second per 600 m,
// over the part of the race before the last 600 m, as "%3.0f" cut to 3 characters.
// raceTime: 4 characters, minutes then seconds and tenths ("1345" = 1:34.5); last3f: 3
// characters in tenths ("345"); distance: 4 characters in metres. Three blanks when any input is
// blank or all zeros, or when the distance is 600 m or less.
std::string PaceFigure(std::string_view raceTime, std::string_view last3f, std::string_view distance);

}  // namespace kv
