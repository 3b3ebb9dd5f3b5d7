#pragma once
// The hit report (buttons "的中" and "穴的中"): for a finished day, one HTML line per bet-table row
// that hit, coloured by the size of the payout, and a cumulative plain-text list of the reported
// hits. Both live in the program folder's "HPupload":
//
//   TK<yyyymmdd of the day's first race>.txt   the report, replaced on each run
//   Manbaken.txt                               the hit list, extended by each run
//
// The bet types are examined in the order trifecta, trio, bracket quinella, quinella, wide,
// exacta, win, place. A row hits when the first `chars` characters of its combination equal the
// combination of one of the race's first three result entries of that type; it is reported when
// the payout shown with that entry is above the button's threshold (穴的中: per type; 的中: 0) and
// drawn red from the type's colour threshold on. Nothing is written unless at least two hits were
// reported. Every text taken from the records is HTML-escaped in the report.
//
// Texts are CP932.
#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "app/Ports.h"

namespace kv {

// The button pressed.
enum class HitKind { All, LongShot };  // 的中, 穴的中

// One bet type of the report. typeIndex counts the bet types in their usual order (0 win,
// 1 place, 2 bracket quinella, 3 quinella, 4 wide, 5 exacta, 6 trio, 7 trifecta).
struct HitRule {
  int typeIndex;
  int chars;             // characters of the combination compared
  std::string_view label;  // UTF-8
  int longShotAbove;     // 穴的中 reports payouts above this
  int redFrom;           // red from this payout on
};
// The rules in the order the bet types are examined.
std::span<const HitRule> HitRules();

// One line of the results tab: the combination (or horse number) and the payout texts.
struct HitResultEntry {
  std::string combination;
  std::string payout;
};

// What the report reads of one race, once it is selected.
struct HitRaceInput {
  std::string_view race;  // the race's RA record
  // Per bet type (usual order): the combination cells of the bet table's data rows.
  std::array<std::vector<std::string>, 8> betCombinations;
  // Per bet type (usual order): the results tab's lines.
  std::array<std::vector<HitResultEntry>, 8> results;
};

// &, <, > and " as HTML character references; every other byte as it stands. (No trail byte of a
// CP932 double-byte character is below 0x40, so a byte-wise walk never cuts a character.)
std::string HtmlEscape(std::string_view cp932);

class HitReport {
 public:
  // hitList: the lines of the existing hit list (a missing list starts as the single line
  // " Korvane2", see NewHitList).
  HitReport(HitKind kind, std::vector<std::string> hitList);

  // Adds the report and hit-list lines of one race.
  void AddRace(const HitRaceInput& race);

  const std::vector<std::string>& ReportLines() const { return report_; }
  const std::vector<std::string>& HitListLines() const { return hitList_; }
  int Hits() const { return static_cast<int>(report_.size()) - 1; }
  // True when the report holds its first line and at least two hits.
  bool Publishable() const { return report_.size() > 2; }

 private:
  HitKind kind_;
  std::vector<std::string> report_;
  std::vector<std::string> hitList_;
};

// The first line of a new hit list.
std::vector<std::string> NewHitList();

// The report text: every line ended by CR LF (as the file and the clipboard take it).
std::string HitLinesText(const std::vector<std::string>& lines);

// The files, under the program folder: "HPupload/TK" + RA 12-19 of the day's first race + ".txt"
// and "HPupload/Manbaken.txt".
fs::path HitReportFolder(const fs::path& progDir);
fs::path HitReportPath(const fs::path& progDir, std::string_view firstRace);
fs::path HitListPath(const fs::path& progDir);

// The hit list's lines; a missing file gives NewHitList().
FileResult LoadHitList(const fs::path& progDir, std::vector<std::string>& lines);

// Outcome of a run.
struct HitReportRun {
  bool ok = true;       // false when a file could not be read or written (the user was told)
  bool written = false; // the report and the hit list were written
  int hits = 0;         // hits reported
  fs::path report;      // the report file (when written)
};

// Called for every race of the list, with its list index: selects the race (its view and the bet
// window follow) and returns what the report reads of it.
using HitRaceVisit = std::function<HitRaceInput(int listIndex)>;

// One press of "的中" / "穴的中" over races list entries 0 .. raceCount-1: loads the hit list, visits
// every race, and with at least two hits creates "HPupload" when missing, writes the report, opens
// it with the default viewer (when openViewer), puts its text on the clipboard and saves the
// extended hit list. File errors are shown and end the run.
HitReportRun RunHitReport(const fs::path& progDir, std::string_view firstRace, HitKind kind, int raceCount,
                          const HitRaceVisit& visit, UiPort& ui, Desktop& desktop, bool openViewer);

}  // namespace kv
