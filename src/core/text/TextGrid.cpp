#include "text/TextGrid.h"

#include <algorithm>
#include <utility>

namespace kv {

void TextGrid::Resize(int rows, int cols) {
  rows = std::max(rows, 0);
  cols = std::max(cols, 0);
  if (rows == rows_ && cols == cols_) return;
  if (cols == cols_) {  // rows added or cut at the end: amortised, so a grid can grow row by row
    cells_.resize(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    rows_ = rows;
    return;
  }
  std::vector<std::string> next(static_cast<size_t>(rows) * static_cast<size_t>(cols));
  int keepRows = std::min(rows, rows_), keepCols = std::min(cols, cols_);
  for (int r = 0; r < keepRows; ++r)
    for (int c = 0; c < keepCols; ++c)
      next[static_cast<size_t>(r) * cols + c] = std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
  cells_ = std::move(next);
  rows_ = rows;
  cols_ = cols;
}

const std::string& TextGrid::At(int row, int col) const {
  static const std::string empty;
  if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return empty;
  return cells_[static_cast<size_t>(row) * cols_ + col];
}

void TextGrid::Set(int row, int col, std::string text) {
  if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return;
  cells_[static_cast<size_t>(row) * cols_ + col] = std::move(text);
}

std::vector<std::string> TextGrid::Row(int row) const {
  std::vector<std::string> r;
  for (int c = 0; c < cols_; ++c) r.push_back(At(row, c));
  return r;
}

void TextGrid::SetRow(int row, const std::vector<std::string>& cells) {
  for (int c = 0; c < cols_ && c < static_cast<int>(cells.size()); ++c) Set(row, c, cells[c]);
}

void TextGrid::ClearRows(int from) {
  for (int r = std::max(from, 0); r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) cells_[static_cast<size_t>(r) * cols_ + c].clear();
}

void TextGrid::SwapRows(int a, int b) {
  if (a < 0 || b < 0 || a >= rows_ || b >= rows_ || a == b) return;
  for (int c = 0; c < cols_; ++c)
    std::swap(cells_[static_cast<size_t>(a) * cols_ + c], cells_[static_cast<size_t>(b) * cols_ + c]);
}

std::string TextGrid::CopyText(int firstCol, int firstRow, const std::string& leading, int lastRow,
                               int lastCol) const {
  if (lastCol < firstCol || lastRow < firstRow || lastCol < 0 || lastRow < 0) return {};
  if (firstCol >= cols_ || firstRow >= rows_) return {};
  firstCol = std::max(firstCol, 0);
  firstRow = std::max(firstRow, 0);
  lastCol = std::min(lastCol, cols_ - 1);
  lastRow = std::min(lastRow, rows_ - 1);
  std::string out = leading + "\r\n";
  for (int r = firstRow; r <= lastRow; ++r) {
    for (int c = firstCol; c < lastCol; ++c) {
      out += At(r, c);
      out += '\t';
    }
    out += At(r, lastCol);
    out += "\r\n";
  }
  return out;
}

}  // namespace kv
