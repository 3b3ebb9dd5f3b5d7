#pragma once
// Printing from the workbench: the preview window of the analysis report ("全買い目印刷") with
// its zoom, page selector and print buttons, the printer set-up dialog, and print jobs of any
// drawn pages (the report, the comparison grid).
#include <QDialog>

#include "print/PageDrawing.h"

class QComboBox;
class QPrinter;
class QScrollArea;
class QSpinBox;

namespace kv {
class Workbench;
}

namespace kv::gui {

class PageView;

// The printer set-up dialog of the platform on printer. True on OK.
bool PrinterSetup(QPrinter& printer, QWidget* parent);

// Pages first..last (0-based, inclusive) of doc as one print job. When no printer or output file
// is chosen yet the set-up dialog opens first. With doc.landscape the printer is turned to
// landscape for the job (when it allows) and back to portrait after it. False when nothing was
// printed.
bool PrintPages(QPrinter& printer, const PrintDocument& doc, int first, int last, QWidget* parent);

class PrintPreview : public QDialog {
  Q_OBJECT
 public:
  // The preview of doc at page 1, placed as "Printlocate" says, zoomed as "PrintZoom" says.
  PrintPreview(Workbench& wb, QPrinter& printer, PrintDocument doc, QWidget* parent = nullptr);

  int PageCount() const { return static_cast<int>(doc_.pages.size()); }
  int ShownPage() const;  // 1-based
  int ZoomPercent() const;

 protected:
  void done(int result) override;

 private:
  void ShowPage(int page);
  void SetZoom(int index);

  Workbench& wb_;
  QPrinter& printer_;
  PrintDocument doc_;
  QComboBox* zoom_ = nullptr;
  QSpinBox* page_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  PageView* view_ = nullptr;
};

}  // namespace kv::gui
