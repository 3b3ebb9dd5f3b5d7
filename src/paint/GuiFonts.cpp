#include "GuiFonts.h"

#include <QStringList>

namespace kv::gui {

namespace {
QFont MakeFont(const QStringList& families, int pointSize, bool bold) {
  QFont f;
  f.setFamilies(families);
  f.setPointSize(pointSize > 0 ? pointSize : 9);
  f.setBold(bold);
  return f;
}
}  // namespace

QFont FixedFont(int pointSize, bool bold) {
  QFont f = MakeFont({QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic"), QStringLiteral("Monospace")},
                     pointSize, bold);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  return f;
}

QFont ProportionalFont(int pointSize, bool bold) {
  QFont f = MakeFont({QStringLiteral("IPAPGothic"), QStringLiteral("MS PGothic"), QStringLiteral("Sans Serif")},
                     pointSize, bold);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QFont GridFont(CellFont kind, int pointSize, bool bold) {
  return kind == CellFont::Fixed ? FixedFont(pointSize, bold) : ProportionalFont(pointSize, bold);
}

}  // namespace kv::gui
