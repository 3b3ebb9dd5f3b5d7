#pragma once
// The printed analysis report: one page per race with its heading, prize money, payouts and the
// runner table (frames, wins and losses, rates and ranks, odds, conformity and results), laid out
// in tenths of a millimetre as drawing operations.
#include <string>
#include <vector>

#include "model/RaceDayModel.h"
#include "print/PageDrawing.h"

namespace kv {

// The page of race slot r of the loaded day.
PrintPage RaceReportPage(const RaceDayModel& day, int r);

// One page per race slot, in the order given (the race list's order). Portrait.
PrintDocument BuildRaceReport(const RaceDayModel& day, const std::vector<int>& raceSlots);

// What printing says when no day is loaded: "ﾃﾞｰﾀを読み込んでください。" (CP932).
std::string NothingToPrintMessage();

// The caption of the report's preview window: "Korvane2　分析結果　印刷" (CP932).
std::string ReportPreviewCaption();

}  // namespace kv
