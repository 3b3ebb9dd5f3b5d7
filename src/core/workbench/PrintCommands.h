#pragma once
// The print commands of the main window: the analysis report of the loaded day (印刷(&P)...), the
// print of the two-horse comparison grid, and the settings of the report's preview window
// ("PrintZoom"/"ratio" and the window place "Printlocate").
#include <array>
#include <optional>

#include "app/Settings.h"
#include "print/PageDrawing.h"

namespace kv {

class Workbench;

// The preview's zoom choices (倍率), in per cent; the setting holds the index.
inline constexpr std::array<int, 4> kPrintZoomPercent{25, 50, 75, 100};
// The stored zoom index, 0..3; a missing or out-of-range value gives 1 (50 %).
int ReadPrintZoom(const Settings& settings);
// A zoom click: stores the index (a failed write is told to the user).
void ChoosePrintZoom(Workbench& wb, int index);
WindowGeometry ReadPrintPreviewGeometry(const Settings& settings);
void WritePrintPreviewGeometry(Settings& settings, const WindowGeometry& g);

// 印刷(&P)...: one page per race-list item, in list order. With an empty race list the user is
// told "ﾃﾞｰﾀを読み込んでください。" and there is nothing to print.
std::optional<PrintDocument> ReportPrint(Workbench& wb);

// The comparison grid (２頭比較) on pages of the given printable area, with name A + " vs " +
// name B at the top of every page. Without a comparison in the grid the user is told
// "２頭比較を行ってください。" and there is nothing to print.
std::optional<PrintDocument> ComparisonGridPrint(Workbench& wb, const PageArea& area);

}  // namespace kv
