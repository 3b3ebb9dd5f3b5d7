#include "PagePainter.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "GuiFonts.h"
#include "text/Cp932.h"

namespace kv::paint {

namespace {

QColor ColourOf(const CellColor& c, const QColor& fallback) {
  if (c.kind == CellColor::Kind::Rgb) return QColor(c.r, c.g, c.b);
  if (c.kind == CellColor::Kind::ToolTip) return QColor(255, 255, 225);
  return fallback;
}

QString Q(const std::string& cp932) { return QString::fromStdString(ToUtf8(cp932)); }

}  // namespace

void PaintPage(QPainter& p, const PrintPage& page, const Resolution& res) {
  const double dot = res.device / 254.0;  // device dots per tenth of a millimetre
  auto penOf = [&](const DrawOp& op) {
    if (op.penWidth <= 0) return QPen(Qt::NoPen);
    const double width = std::max(op.penWidth * res.device / (res.screen * 10), res.device / res.printer);
    QPen pen(ColourOf(op.color, Qt::black));
    pen.setWidthF(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
  };
  p.save();
  for (const DrawOp& op : page.ops) {
    switch (op.kind) {
      case DrawKind::Text: {
        QFont f = gui::GridFont(op.font, 9, op.bold);
        f.setPointSizeF(op.pointSize);
        p.setFont(f);
        p.setPen(ColourOf(op.color, Qt::black));
        const bool boxed = op.x2 > op.x1;
        const double width = boxed ? (op.x2 - op.x1) * dot : 1e6;
        int flags = Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine;
        flags |= !boxed || op.align == CellAlign::Left ? Qt::AlignLeft
                 : op.align == CellAlign::Right         ? Qt::AlignRight
                                                        : Qt::AlignHCenter;
        p.drawText(QRectF(op.x1 * dot, op.y1 * dot, width, 1e6), flags, Q(op.text));
        break;
      }
      case DrawKind::Line:
        p.setPen(penOf(op));
        p.drawLine(QPointF(op.x1 * dot, op.y1 * dot), QPointF(op.x2 * dot, op.y2 * dot));
        break;
      case DrawKind::Rect:
        p.setPen(penOf(op));
        p.setBrush(op.fill.IsDefault() ? QBrush(Qt::NoBrush) : QBrush(ColourOf(op.fill, Qt::white)));
        p.drawRect(QRectF(QPointF(op.x1 * dot, op.y1 * dot), QPointF(op.x2 * dot, op.y2 * dot)));
        p.setBrush(Qt::NoBrush);
        break;
    }
  }
  p.restore();
}

PageArea AreaOf(const QPageLayout& layout) {
  const QRectF mm = layout.paintRect(QPageLayout::Millimeter);
  return {static_cast<int>(mm.width() * 10), static_cast<int>(mm.height() * 10)};
}

QPageLayout PdfPageLayout(bool landscape) {
  return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm), QPageLayout::Millimeter);
}

FileResult WritePdf(const fs::path& file, const PrintDocument& doc, const QString& title) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(PdfPageLayout(doc.landscape));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Korvane2"));
    QPainter painter;
    if (!painter.begin(&writer)) return FileResult::Fail("cannot start the PDF: " + file.string());
    const Resolution res{kPdfDpi, kPdfScreenDpi, kPdfDpi};
    for (size_t i = 0; i < doc.pages.size(); ++i) {
      if (i > 0) writer.newPage();
      PaintPage(painter, doc.pages[i], res);
    }
    painter.end();
  }
  return WriteFileAtomic(file, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace kv::paint
