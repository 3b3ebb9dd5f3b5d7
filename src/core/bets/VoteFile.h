#pragma once
// Vote-file output ("Tavoro2投票"): the bet table of the active tab written as a CSV vote file
// into the voting plug-in's "kaime" folder, then the plug-in started with the file.
//
// One line per exported row (combination, odds and stake cells not blank, deletion cell not
// "消"), in table order, CP932, CR LF, no heading:
//
//   yyyymmdd,venue,race,CODE,NORMAL,stake,combination,
//
// date = RA 12-19, venue = RA 20-21, race = RA 26-27, CODE = TAN … SANTAN, stake = the stake
// cell trimmed; the combination with each number reformatted: win and place "05"; bracket
// quinella "2-2"; the other types two digits per number joined by "-" ("03-07", "01-05-12").
// The file name is RA 14-19 + ".csv" ("110430.csv"); an existing file is replaced atomically.
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"
#include "bets/BetTypes.h"
#include "text/TextGrid.h"
#include "app/Ports.h"

namespace kv {

inline constexpr const char* kVotePluginProgram = "TavoroTohyoPlugIn2.exe";
inline constexpr const char* kVoteFolderName = "kaime";

// True when the row goes into the vote file.
bool IsExportedVoteRow(const TextGrid& table, BetType type, int row);
// The combination as the plug-in wants it (see above); empty when the cell holds no number.
std::string VoteCombination(BetType type, std::string_view comboCell);
// The CSV text (all lines with CR LF) of a table for the race record ra.
std::string VoteCsv(const TextGrid& table, BetType type, std::string_view ra);
// "yymmdd.csv" from the race record.
std::string VoteFileName(std::string_view ra);

// Items and total stake of the rows a vote file would hold, and the lines that tell the bettor
// about them under the confirmation question: "（132点・合計13,200円）", then a warning when the
// total is more than the amount entered for the race (equal allocation lifts every stake to at
// least 100 yen) and one when the items are more than one online vote takes.
inline constexpr int kMaxVoteItems = 50;
struct VoteTotals {
  int items = 0;
  long long total = 0;
};
VoteTotals VoteTotalsOf(const TextGrid& table, BetType type);
// CP932 lines joined by CR LF; amount <= 0: the amount is not known and not compared.
std::string VoteSummaryText(const VoteTotals& totals, long long amount);

// What the vote command works with.
struct VoteRequest {
  std::string dateBoxText;     // the main window's date box (CP932); blank: no day loaded
  std::string raceListItem;    // the selected race-list item (CP932); empty: no race selected
  const TextGrid* table = nullptr;
  BetType type = BetType::Win;
  std::string_view raceRecord;  // RA record of the selected race
  std::string pluginDir;        // "Dir"/"TavoroTohyo2" (CP932)
  long long amount = 0;         // the race's amount as entered (yen); 0: not known
  bool startPlugin = true;      // false: write the file only (the CLI)
};

enum class VoteOutcome {
  NoDay,          // "開催日ﾃﾞｰﾀを読み込んでください。"
  NoRace,         // "レースデータを読み込んでください。"
  NoBets,         // "買い目が作成されていません。"
  NoPlugin,       // the plug-in folder setting is blank
  Declined,       // the user answered No
  NoKaimeFolder,  // the plug-in folder has no "kaime" folder: nothing written, nothing started
  WriteFailed,    // the file could not be written
  StartFailed,    // the file was written, the plug-in did not start
  Written,        // the file was written and (when asked) the plug-in started
};

struct VoteResult {
  VoteOutcome outcome = VoteOutcome::NoDay;
  fs::path csvPath;  // the file written (Written, StartFailed)
  int lines = 0;
  std::string summary;  // VoteSummaryText of the table (CP932), once the checks passed
};

// Runs the checks, asks, writes the file and starts the plug-in through desktop; every message
// goes through ui.
VoteResult VoteThroughPlugin(const VoteRequest& req, UiPort& ui, Desktop& desktop);

}  // namespace kv
