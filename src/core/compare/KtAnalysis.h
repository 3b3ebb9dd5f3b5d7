#pragma once
// The KT analysis (KT専用): the two-horse comparison view run for every pair of runners of a race,
// one comparison row adopted per pair by a fixed preference, the adopted rows listed in a table
// and the time advantage of each horse over the other entered into a matrix of all runners.
//
// Preference: only rows where A's place, C's entry numbers in both races and B's place are all
// below 10, and whose 差 cells are filled (a comparison the engine scores). Classes, first match
// wins: both 差 equal as text Z; A's place 1 A, 2 B; C's entry number in B's race 1 C, 2 D; A's
// place 3 E, 4 F, 5 G; C's entry in B's race 3 H, 4 I, 5 J; any other row is no candidate. Each
// candidate becomes a 33-character line — class, track flag and distance difference of its first
// and of its second race, A's place, C's entry in B's race, the first race's date, the pair, the
// row number — and the lowest line as text is adopted. The first race is A's for classes A, B,
// E, F, G and Z and B's for C, D, H, I and J; a track flag is 1 on the selected race's track kind
// and 2 otherwise, and the distance difference is the distance from the selected race's.
#include <string>
#include <vector>

#include "app/Ports.h"
#include "compare/TwoHorseView.h"
#include "text/GridStyle.h"
#include "text/TextGrid.h"

namespace kv {

inline constexpr int kKtDataCols = 34;  // the comparison grid's 31 columns, 対象, 表, 裏

// The adopted table back to its heading row and one empty row.
void ResetKtDataGrid(TextGrid& grid);
// The matrix sized for n runners: horse numbers in row 0 and column 0, every other cell empty.
void ResetKtMatrix(TextGrid& matrix, int runners);

// One runner of the race as the view takes it (horse number = index + 1).
struct KtRunner {
  std::string name;    // entry-table name (CP932)
  std::string weight;  // today's carried weight in kg, one decimal
  std::string id;      // horse ID
};

struct KtRace {
  int raceDate = 0;        // yyyymmdd
  int distance = 0;        // metres (RA 698)
  std::string trackCode;   // RA 706, 2 characters
  int dataSpan = 1826;
  std::vector<KtRunner> runners;
};

// The candidate line of comparison-grid row `row` of the pair a-b, or "" when the row is none.
std::string KtCandidateLine(const TextGrid& compare, int row, const KtRace& race, int horseA, int horseB);

// "集計": every pair (1,2), (1,3), … (n−1,n) through the comparison view (into compareGrid, which
// keeps the last pair's rows), adopted rows into `adopted`, advantages into `matrix`. A pair
// whose view cannot run has its message shown on ui and adds nothing. ui's pending messages run
// after every pair.
void RunKtAnalysis(PastRunLines& files, const KtRace& race, TextGrid& compareGrid, TextGrid& adopted,
                   TextGrid& matrix, UiPort& ui);

// How the adopted table and the matrix are drawn.
CellStyle KtDataCellStyle(const TextGrid& grid, int row, int col);
CellStyle KtMatrixCellStyle(const TextGrid& grid, int row, int col);

}  // namespace kv
