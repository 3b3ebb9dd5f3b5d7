// The module the print command loads to draw its report into a PDF (see PdfWriterModule.h): the
// pages are the workbench's own, drawn by the same painter backend as the print preview, here on
// the offscreen platform so that no display is needed.
#include "PdfWriterModule.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "PagePainter.h"
#include "print/PageDrawing.h"

extern "C" __attribute__((visibility("default"))) int korvane_write_pdf(const char* fileUtf8,
                                                                         const kv::PrintDocument* doc,
                                                                         const char* captionUtf8, char* error,
                                                                         std::size_t errorSize) {
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) {
    static int argc = 3;
    static char arg0[] = "korvane2-cli", arg1[] = "-platform", arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  const std::string file(fileUtf8);
  const kv::FileResult written = kv::paint::WritePdf(kv::fs::path(std::u8string(file.begin(), file.end())), *doc,
                                                     QString::fromUtf8(captionUtf8));
  if (written) return 0;
  if (errorSize > 0) {
    const size_t n = std::min(written.error.size(), errorSize - 1);
    std::memcpy(error, written.error.data(), n);
    error[n] = '\0';
  }
  return 1;
}
