#pragma once
// The PDF writer of the print command lives in a module of its own (korvane2-pdf.so, beside the
// command line), loaded only when a report is printed: the GUI libraries it needs take several
// milliseconds to bind at start-up, which every other command would pay.
#include <cstddef>

namespace kv {
struct PrintDocument;
}

// Writes doc to the PDF file (UTF-8 path) with the title caption (UTF-8). 0 when written;
// otherwise the writer's message is put into error (at most errorSize bytes, NUL-terminated).
extern "C" using KorvaneWritePdf = int(const char* fileUtf8, const kv::PrintDocument* doc, const char* captionUtf8,
                                       char* error, std::size_t errorSize);

namespace kv::cli {
inline constexpr const char* kPdfModuleFile = "korvane2-pdf.so";
inline constexpr const char* kPdfWriterSymbol = "korvane_write_pdf";
}  // namespace kv::cli
