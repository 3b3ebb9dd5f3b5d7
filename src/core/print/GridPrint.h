#pragma once
// Printing a grid as it is shown: the cells with their colours, the heading row repeated at the
// top of every page and a title line above it. Columns are as wide as their widest text; when
// the grid is wider than the page the font shrinks until it fits (down to a least size, beyond
// which the right-hand columns are cut at the page edge).
#include <string>

#include "print/PageDrawing.h"
#include "text/GridStyle.h"
#include "text/TextGrid.h"

namespace kv {

// title (CP932) is written at the top of every page. The pages ask for landscape.
PrintDocument BuildGridPrint(const TextGrid& grid, const GridLayout& layout, const std::string& title,
                             const PageArea& area);

// The title of the comparison grid's print: name A + " vs " + name B.
std::string ComparisonPrintTitle(const std::string& nameA, const std::string& nameB);

}  // namespace kv
