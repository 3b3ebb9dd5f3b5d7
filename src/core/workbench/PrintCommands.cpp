#include "workbench/PrintCommands.h"

#include "print/GridPrint.h"
#include "print/RaceReport.h"
#include "text/Cp932.h"
#include "workbench/Workbench.h"

namespace kv {

namespace {
constexpr const char* kZoomSection = "PrintZoom";
constexpr const char* kZoomKey = "ratio";
constexpr const char* kPreviewSection = "Printlocate";
}  // namespace

int ReadPrintZoom(const Settings& settings) {
  const int index = settings.GetInt(kZoomSection, kZoomKey);
  return index >= 0 && index < static_cast<int>(kPrintZoomPercent.size()) ? index : 1;
}

void ChoosePrintZoom(Workbench& wb, int index) {
  if (index < 0 || index >= static_cast<int>(kPrintZoomPercent.size())) return;
  wb.Report(wb.GetSettings().WriteInt(kZoomSection, kZoomKey, index));
}

WindowGeometry ReadPrintPreviewGeometry(const Settings& settings) {
  return ReadWindowGeometry(settings, kPreviewSection);
}

void WritePrintPreviewGeometry(Settings& settings, const WindowGeometry& g) {
  WriteWindowGeometry(settings, kPreviewSection, g);
}

std::optional<PrintDocument> ReportPrint(Workbench& wb) {
  if (wb.RaceList().empty() || !wb.Day()) {
    wb.Ui().Info(NothingToPrintMessage());
    return std::nullopt;
  }
  return BuildRaceReport(*wb.Day(), wb.RaceSlots());
}

std::optional<PrintDocument> ComparisonGridPrint(Workbench& wb, const PageArea& area) {
  const TextGrid& grid = wb.Grids().twoHorse;
  // At most one data row with an empty first cell: no comparison has filled the grid.
  if (grid.RowCount() <= 2 && grid.At(1, 0).empty()) {
    wb.Ui().Info(J("２頭比較を行ってください。"));
    return std::nullopt;
  }
  const ComparePick& pick = wb.CompareHorses();
  return BuildGridPrint(grid, PlainGridLayout(), ComparisonPrintTitle(pick.nameA, pick.nameB), area);
}

}  // namespace kv
