#include "PrintPreview.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "PagePainter.h"
#include "print/RaceReport.h"
#include "text/Cp932.h"
#include "workbench/PrintCommands.h"
#include "workbench/Workbench.h"

namespace kv::gui {

namespace {

double ScreenDpi() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->logicalDotsPerInch() : 96.0;
}

// A printer that can take a job: a real printer, or a file for the PDF output.
bool PrinterReady(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) return !printer.outputFileName().isEmpty();
  return printer.isValid() && !printer.printerName().isEmpty();
}

}  // namespace

// One page drawn as on paper: the sheet, and the page's drawing in its printable area.
class PageView : public QWidget {
 public:
  PageView(QPrinter& printer, QWidget* parent) : QWidget(parent), printer_(printer) {
    setObjectName(QStringLiteral("PageView"));
    setAutoFillBackground(false);
  }
  void Show(const PrintPage* page, double zoom) {
    page_ = page;
    zoom_ = zoom;
    const QSizeF mm = printer_.pageLayout().fullRect(QPageLayout::Millimeter).size();
    setFixedSize(QSize(static_cast<int>(mm.width() / 25.4 * logicalDpiX() * zoom_),
                       static_cast<int>(mm.height() / 25.4 * logicalDpiY() * zoom_)));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::darkGray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!page_) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(zoom_, zoom_);
    const QRectF paint = printer_.pageLayout().paintRect(QPageLayout::Millimeter);
    p.translate(paint.left() / 25.4 * logicalDpiX(), paint.top() / 25.4 * logicalDpiY());
    paint::PaintPage(p, *page_, {static_cast<double>(logicalDpiX()), ScreenDpi(),
                                 static_cast<double>(printer_.resolution())});
  }

 private:
  QPrinter& printer_;
  const PrintPage* page_ = nullptr;
  double zoom_ = 0.5;
};

bool PrinterSetup(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
  dialog.setOptions(QAbstractPrintDialog::PrintToFile);
  return dialog.exec() == QDialog::Accepted;
}

bool PrintPages(QPrinter& printer, const PrintDocument& doc, int first, int last, QWidget* parent) {
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(doc.pages.size()) - 1);
  if (first > last) return false;
  if (!PrinterReady(printer) && !PrinterSetup(printer, parent)) return false;
  const bool turned = doc.landscape && printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  bool ok = painter.begin(&printer);
  if (ok) {
    const double dpi = printer.resolution();
    for (int i = first; i <= last; ++i) {
      if (i > first) printer.newPage();
      paint::PaintPage(painter, doc.pages[static_cast<size_t>(i)], {dpi, ScreenDpi(), dpi});
    }
    ok = painter.end();
  }
  if (turned) printer.setPageOrientation(QPageLayout::Portrait);
  return ok;
}

PrintPreview::PrintPreview(Workbench& wb, QPrinter& printer, PrintDocument doc, QWidget* parent)
    : QDialog(parent), wb_(wb), printer_(printer), doc_(std::move(doc)) {
  setObjectName(QStringLiteral("PrintPreview"));
  setWindowTitle(QStringLiteral("全買い目印刷"));
  auto* v = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(QStringLiteral("倍率"), this));
  zoom_ = new QComboBox(this);
  zoom_->setObjectName(QStringLiteral("ZoomCombo"));
  for (int percent : kPrintZoomPercent) zoom_->addItem(QStringLiteral("%1%").arg(percent));
  bar->addWidget(zoom_);
  bar->addSpacing(12);
  bar->addWidget(new QLabel(QStringLiteral("ﾍﾟｰｼﾞ選択"), this));
  page_ = new QSpinBox(this);
  page_->setObjectName(QStringLiteral("PageSpin"));
  page_->setRange(1, std::max(1, PageCount()));
  bar->addWidget(page_);
  bar->addSpacing(12);
  auto* printShown = new QPushButton(QStringLiteral("表示ﾍﾟｰｼﾞ印刷(&P)"), this);
  printShown->setObjectName(QStringLiteral("PrintShownButton"));
  auto* printAll = new QPushButton(QStringLiteral("全ﾍﾟｰｼﾞ印刷(&P)"), this);
  printAll->setObjectName(QStringLiteral("PrintAllButton"));
  auto* setup = new QPushButton(QStringLiteral("ﾌﾟﾘﾝﾀ設定(&S)"), this);
  setup->setObjectName(QStringLiteral("PrinterSetupButton"));
  for (QPushButton* b : {printShown, printAll, setup}) {
    b->setAutoDefault(false);
    bar->addWidget(b);
  }
  bar->addStretch(1);
  v->addLayout(bar);

  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("PageScroll"));
  scroll_->setBackgroundRole(QPalette::Dark);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  view_ = new PageView(printer_, scroll_);
  scroll_->setWidget(view_);
  v->addWidget(scroll_, 1);

  const WindowGeometry g = ReadPrintPreviewGeometry(wb_.GetSettings());
  setGeometry(g.left, g.top, g.width, g.height);
  zoom_->setCurrentIndex(ReadPrintZoom(wb_.GetSettings()));
  setWindowTitle(QString::fromStdString(ToUtf8(ReportPreviewCaption())));  // the pages are built
  ShowPage(1);

  connect(zoom_, &QComboBox::activated, this, [this](int index) {
    SetZoom(index);
    ChoosePrintZoom(wb_, index);
  });
  connect(page_, &QSpinBox::valueChanged, this, [this](int page) { ShowPage(page); });
  connect(printShown, &QPushButton::clicked, this,
          [this] { PrintPages(printer_, doc_, ShownPage() - 1, ShownPage() - 1, this); });
  connect(printAll, &QPushButton::clicked, this, [this] { PrintPages(printer_, doc_, 0, PageCount() - 1, this); });
  connect(setup, &QPushButton::clicked, this, [this] {
    if (PrinterSetup(printer_, this)) ShowPage(ShownPage());  // the paper may have changed
  });
}

int PrintPreview::ShownPage() const { return page_->value(); }

int PrintPreview::ZoomPercent() const {
  const int i = zoom_->currentIndex();
  return i >= 0 && i < static_cast<int>(kPrintZoomPercent.size()) ? kPrintZoomPercent[static_cast<size_t>(i)] : 50;
}

void PrintPreview::ShowPage(int page) {
  const PrintPage* p = page >= 1 && page <= PageCount() ? &doc_.pages[static_cast<size_t>(page - 1)] : nullptr;
  view_->Show(p, ZoomPercent() / 100.0);
}

void PrintPreview::SetZoom(int) { ShowPage(ShownPage()); }

void PrintPreview::done(int result) {
  const QRect r = geometry();
  WritePrintPreviewGeometry(wb_.GetSettings(), {r.top(), r.left(), r.width(), r.height()});
  QDialog::done(result);
}

}  // namespace kv::gui
