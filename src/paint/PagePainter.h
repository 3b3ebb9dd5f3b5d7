#pragma once
// Draws the toolkit-free pages of the core (drawing operations in tenths of a millimetre) with a
// QPainter: on a printer, into a PDF and on the screen of the print preview. Fonts are the two
// Japanese fonts of the workbench.
#include <QPageLayout>

#include "app/Files.h"
#include "print/PageDrawing.h"

class QPainter;

namespace kv::paint {

// Resolutions in dots per inch: of the painter's device (one painter unit is one device dot),
// of the screen and of the printer. Pen widths follow the printer and screen: w x printer /
// (screen x 10) printer dots, at least one printer dot, converted to device dots.
struct Resolution {
  double device = 600;
  double screen = 96;
  double printer = 600;
};

// The screen resolution a PDF is drawn for, so that a PDF looks the same on every machine.
inline constexpr double kPdfScreenDpi = 96;
inline constexpr int kPdfDpi = 600;
inline constexpr double kPdfMarginMm = 5;

void PaintPage(QPainter& painter, const PrintPage& page, const Resolution& res);

// The printable area of a page layout in tenths of a millimetre.
PageArea AreaOf(const QPageLayout& layout);
// The PDF's page layout: A4 with 5 mm margins, landscape when asked.
QPageLayout PdfPageLayout(bool landscape);

// Every page of doc into a PDF file (A4, 600 dpi), replacing the file atomically. title (UTF-8)
// is the document's title. Needs a QGuiApplication.
FileResult WritePdf(const fs::path& file, const PrintDocument& doc, const QString& title);

}  // namespace kv::paint
