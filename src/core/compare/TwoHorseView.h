#pragma once
// The two-horse comparison view (２頭比較): the comparisons between two runners listed row by row
// with their margins and the points they score ("２頭の比較"), or the races in which the two met
// ("直接対決の比較"). Both look back only over the data span: a past race counts when
// race date − span < its date < race date.
//
// The rows are the engine's comparisons (the walk of CommonOpponents.h) and their margins come
// from the engine's margin function, so a ○ in the view is a point in the engine. A comparison
// in which a time is missing is not scored by the engine: the view still lists it (the user sees
// the opponent) but leaves its 差, 修差 and 比差 cells empty and marks no ○, and the summary
// counts only the scored rows.
//
// Grid columns (31; row 0 the headings): 0/16 開催日, 1/17 ﾄﾗｯｸ, 2 A, 3/7/19/23 斤量 (A, C, C, B),
// 4/8/20/24 着 (A's place, C's entry, C's entry, B's place), 5/9/21/25 ﾀｲﾑ, 6/18 C, 22 B,
// 10/26 差, 11/27 修差, 12/28 比差, 13/29 勝敗, 14/30 独－, 15 separator.
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/Files.h"
#include "compare/CommonOpponents.h"
#include "compare/PastRunCache.h"
#include "compare/TwoHorseComparison.h"
#include "jvlink/RecordFile.h"
#include "text/GridStyle.h"
#include "text/TextGrid.h"

namespace kv {

inline constexpr int kTwoHorseCols = 31;
inline constexpr int kTwoHorseDiffA = 10, kTwoHorseDiffB = 26;  // the 差 columns

// The grid emptied to its heading row and one empty data row.
void ResetTwoHorseGrid(TextGrid& grid);

// How a cell of the comparison grid (and of the adopted table, columns 0..30) is drawn.
CellStyle TwoHorseCellStyle(const TextGrid& grid, int row, int col);

// The data span window before a race (yyyymmdd): race date minus span calendar days, exclusive
// at both ends.
DateWindow DataSpanWindow(int raceDate, int spanDays);

// The two horses of a view as the user picked them.
struct TwoHorseRequest {
  std::string nameA, nameB;      // display names (CP932)
  std::string weightA, weightB;  // today's carried weights as shown, kilograms with one decimal
  std::string idA, idB;          // horse IDs (their past-run files)
  int raceDate = 0;              // yyyymmdd of the selected race
  int dataSpan = 1826;           // days
};

// The past-run files of a series of views (the KT analysis runs one per pair), each read and
// parsed once, with the raw lines the grid shows.
class PastRunLines {
 public:
  explicit PastRunLines(fs::path programFolder) : cache_(std::move(programFolder)) {}
  struct File {
    RecordFile lines;
    PastRunIndex index;
  };
  // The file of a horse; nullptr when it is missing (or the ID is not a horse ID). A damaged or
  // unreadable file gives nullptr with error set to its message.
  const File* Get(const std::string& horseId, std::string* error);
  int NameId(std::string_view normalizedName) const { return cache_.NameId(normalizedName); }

 private:
  PastRunCache cache_;
  std::map<std::string, std::unique_ptr<File>> files_;
};

struct TwoHorseViewResult {
  bool ran = false;         // false: a check failed and `message` says why (the grid is unchanged)
  std::string message;      // CP932
  int rows = 0;             // rows listed (0: the grid shows "該当ナシ")
  PairCounters scored;      // points and sole points of the scored rows
};

// "２頭の比較" into grid (emptied first). Checks, in order: both names, both weights, A's file,
// B's file.
TwoHorseViewResult CompareTwoHorses(PastRunLines& files, const TwoHorseRequest& req, TextGrid& grid);

// "直接対決の比較" into grid: A's races inside the window, A placed, with B among the field
// (columns 0..10). Checks: both names, both weights, different names, A's file.
TwoHorseViewResult CompareDirect(PastRunLines& files, const TwoHorseRequest& req, TextGrid& grid);

// The four summary labels: A's points, B's points, A's sole points, B's sole points ("%3d").
std::array<std::string, 4> TwoHorseSummary(const PairCounters& c);
// The counter label: "該当数：" and the number of rows.
std::string TwoHorseCounter(int rows);

// True when the grid holds no comparison (at most one data row with an empty first cell).
bool TwoHorseGridEmpty(const TextGrid& grid);

}  // namespace kv
