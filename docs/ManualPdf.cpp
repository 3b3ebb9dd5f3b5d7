// korvane2-manual MANUAL.md OUT.pdf: renders the user manual (Markdown, UTF-8) to the PDF that the
// help menu opens, with Qt's own Markdown reader and PDF writer. Runs at build time.
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // fonts need the application
  const QStringList args = QGuiApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: korvane2-manual MANUAL.md OUT.pdf\n");
    return 2;
  }
  QFile in(args[1]);
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "korvane2-manual: cannot read %s\n", qPrintable(args[1]));
    return 1;
  }
  QTextDocument doc;
  QFont font;
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Sans Serif")});
  font.setPointSizeF(10.5);
  doc.setDefaultFont(font);
  doc.setMarkdown(QString::fromUtf8(in.readAll()));

  QPdfWriter pdf(args[2]);
  pdf.setTitle(QStringLiteral("Korvane2 使用解説書"));
  pdf.setCreator(QStringLiteral("Korvane2"));
  pdf.setResolution(300);
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                QPageLayout::Millimeter));
  doc.print(&pdf);
  if (!QFile::exists(args[2])) {
    std::fprintf(stderr, "korvane2-manual: cannot write %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}
