#include "verify/VerificationCsv.h"

#include "compare/CsvExports.h"
#include "text/Cp932.h"

namespace kv {

std::string VerificationCsvText(const TextGrid& table) {
  std::string text;
  for (int row = 1; row < table.RowCount(); ++row) {
    text += '"';
    for (int col = 0; col < table.ColCount(); ++col) {
      if (col > 0) text += "\",\"";
      text += table.At(row, col);
    }
    text += "\"\r\n";
  }
  return text;
}

fs::path VerificationCsvProposal(const fs::path& progDir, std::string_view dayName) {
  return CsvFolder(progDir) / PathFromCp932(std::string(dayName) + ".csv");
}

FileResult WriteVerificationCsv(const TextGrid& table, const fs::path& target) {
  if (target.has_parent_path()) {
    FileResult f = MakeCsvFolder(target.parent_path());
    if (!f) return f;
  }
  return WriteFileAtomic(target, VerificationCsvText(table));
}

}  // namespace kv
