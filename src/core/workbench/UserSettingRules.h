#pragma once
// The rules of the ﾕｰｻﾞｰ指定 dialogs: field ranges, clamping and the messages shown on OK.
// The dialogs only show the fields; what a value may be and what OK says live here.
#include <optional>
#include <string>
#include <string_view>

namespace kv {

struct IntRange {
  int min = 0;
  int max = 0;
  int Clamp(int v) const { return v < min ? min : (v > max ? max : v); }
};

// 過去走データ利用範囲指定: the data span in days.
inline constexpr IntRange kDataSpanRange{365, 7300};

// データ自動取得時刻設定: the five keys of section "Time".
struct TimingSettings {
  int oddsMinutes = 10;       // AutoOzGet
  int oddsSeconds = 0;        // AutoOzGetSec
  int voteInterval = 5;       // AutoTohyoInterval
  int resultMinutes = 10;     // AutoRdataGet
  int bodyWeightMinutes = 37; // AutoBataijuGet: never shown, always written as 37
  bool operator==(const TimingSettings&) const = default;
};
inline constexpr IntRange kOddsMinutesRange{1, 59};
inline constexpr IntRange kOddsSecondsRange{0, 59};
inline constexpr IntRange kVoteIntervalRange{2, 60};
inline constexpr IntRange kResultMinutesRange{5, 59};
inline constexpr IntRange kBodyWeightMinutesRange{2, 59};
inline constexpr int kBodyWeightMinutesFixed = 37;
// Each field brought into its range; the body-weight minutes always become 37.
TimingSettings ClampTiming(TimingSettings t);

// 投資金額設定: a stake per race of at most six digits; below 100 is raised to 100.
inline constexpr IntRange kStakeRange{100, 999999};
inline constexpr int kStakeFieldMax = 999999;

// オッズシキイ値設定: what OK answers for the field's text.
struct OddsCeilingOutcome {
  std::string message;               // CP932, shown in an information box
  std::optional<std::string> stored; // the text written to OddsSpan/ceil, when accepted
};
OddsCeilingOutcome CheckOddsCeiling(std::string_view fieldText);

}  // namespace kv
