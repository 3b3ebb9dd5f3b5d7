#pragma once
// The day verification table (tab "検証資料"): one row per finished race, showing how the horses
// placed first, second and third had been rated by the comparison engine.
//
// 51 columns. Columns 0-11 describe the race (date, venue, race number, runners, track, distance,
// class, grade, short name, turf and dirt going, win payout); columns 12-24, 25-37 and 38-50 are
// the blocks of the horses placed 1st, 2nd and 3rd (pair wins and their ranks, losses, win rate
// and rank, points won and their reverse rank, points lost, point win rate and rank, final odds,
// popularity). A race qualifies with more than 3 registered runners and a win payout above 0.
//
//   if (TallyVerification(day, dayName, raceSlots, ui, grids.verification)) refresh the tab;
//   desktop.SetClipboard(VerificationClipboardText(grids.verification));
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/RaceDayModel.h"
#include "text/TextGrid.h"
#include "text/GridStyle.h"
#include "app/Ports.h"

namespace kv {

inline constexpr int kVerificationCols = 51;
inline constexpr int kVerificationRaceCols = 12;   // columns 0-11: the race
inline constexpr int kVerificationBlockCols = 13;  // one placed horse's block
// First column of the block of place 1, 2 or 3.
constexpr int VerificationBlockStart(int place) { return kVerificationRaceCols + (place - 1) * kVerificationBlockCols; }

// The 51 heading texts (CP932).
const std::vector<std::string>& VerificationHeadings();

// True when race slot r gets a row: a race in the slot, more than 3 registered runners (RA 882)
// and a win payout of the first winner above 0.
bool QualifiesForVerification(const RaceDayModel& day, int r);

// The 51 cells of race slot r's row. A runner placed 1, 2 or 3 (SE 335 read as a number) fills
// that place's block; a cell whose condition fails (a count or rank of 0, a rate of -1.0, no odds)
// stays empty. Runners sharing a place (a dead heat) each replace the whole block in horse-number
// order, so the block always shows one horse's figures: the one with the highest number.
std::vector<std::string> VerificationRow(const RaceDayModel& day, int r);

// Called for every race of the list with more than 3 registered runners, with its list index,
// before its row is made: the workbench selects that race in the race list, so the last such race
// stays selected.
using VerificationVisit = std::function<void(int listIndex)>;

// The table of the races in raceSlots (race list order): the heading row, then one row per
// qualifying race.
TextGrid BuildVerificationTable(const RaceDayModel& day, std::span<const int> raceSlots,
                                const VerificationVisit& visit = {});

// The button "集計": with no day chosen (dayName empty) or an empty race list, the reason is shown
// (beep and information box) and false returned, the table left as it was. Otherwise the table is
// rebuilt and true returned.
bool TallyVerification(const RaceDayModel& day, std::string_view dayName, std::span<const int> raceSlots,
                       UiPort& ui, TextGrid& table, const VerificationVisit& visit = {});

// The button "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ": the whole table, heading included, cells separated by a tab and
// every row ended by CR LF. An empty grid gives an empty text.
std::string VerificationClipboardText(const TextGrid& table);

// How a cell is drawn: heading row yellow; columns 0-2 ivory, 3-10 white, 11 pink, the three
// blocks magenta, light blue and light green; the rank columns bold with 1 in red and 2 or 3 in
// blue; column 6 left-aligned in data rows, every other cell centred.
CellStyle VerificationCellStyle(const TextGrid& table, int row, int col);
// True for the rank columns of the blocks (block offsets 1, 2, 5, 7, 10 and 12).
bool IsVerificationRankColumn(int col);
GridLayout VerificationLayout();

}  // namespace kv
