#include "workbench/UserSettingRules.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

TimingSettings ClampTiming(TimingSettings t) {
  t.oddsMinutes = kOddsMinutesRange.Clamp(t.oddsMinutes);
  t.oddsSeconds = kOddsSecondsRange.Clamp(t.oddsSeconds);
  t.voteInterval = kVoteIntervalRange.Clamp(t.voteInterval);
  t.resultMinutes = kResultMinutesRange.Clamp(t.resultMinutes);
  t.bodyWeightMinutes = kBodyWeightMinutesFixed;
  return t;
}

OddsCeilingOutcome CheckOddsCeiling(std::string_view fieldText) {
  const std::string text(Trim(fieldText));
  if (text.empty()) return {J("入力がありません。"), std::nullopt};
  // The whole field must be one decimal number; anything else is refused rather than read as 0.
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    return {J("数値を入力してください。"), std::nullopt};
  if (value < 1) return {J("１倍未満のｵｯｽﾞは指定できません。"), std::nullopt};
  if (value > 20) return {J("２０倍越のｵｯｽﾞは指定できません。"), std::nullopt};
  const std::string stored = Fmt("%4.1f", value);
  return {J("ｵｯｽﾞの上限を") + stored + J("に指定しました。"), stored};
}

}  // namespace kv
