#pragma once
// The day verification table as CSV (button "CSVファイル"): every data row, each cell in double
// quotes, cells joined by a comma, code page 932 with CR LF line ends, to a file the user chooses.
#include <string>
#include <string_view>

#include "app/Files.h"
#include "text/TextGrid.h"

namespace kv {

// The verification CSV: one line per row below the heading row, '"' + cells joined by '","' +
// '"', each ended by CR LF. Quotes inside cells are written as they stand.
std::string VerificationCsvText(const TextGrid& table);

// The save dialog's proposal: the program folder's CSV folder + the day name + ".csv".
fs::path VerificationCsvProposal(const fs::path& progDir, std::string_view dayName);

// Writes the verification CSV to target (the path the user confirmed), creating its folder when
// missing.
FileResult WriteVerificationCsv(const TextGrid& table, const fs::path& target);

}  // namespace kv
