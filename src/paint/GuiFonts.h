#pragma once
// The two Japanese fonts of the workbench: a fixed-pitch one for grids and records, a
// proportional one for labels and dialogs.
#include <QFont>

#include "text/GridStyle.h"

namespace kv::gui {

QFont FixedFont(int pointSize = 9, bool bold = false);
QFont ProportionalFont(int pointSize = 9, bool bold = false);
QFont GridFont(CellFont kind, int pointSize, bool bold = false);

}  // namespace kv::gui
