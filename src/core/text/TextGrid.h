#pragma once
// A grid of cell texts (CP932), exactly what the user sees in a table. Row 0 is usually the
// heading row. Sorting, marking, stakes and exports read and write these texts.
#include <string>
#include <vector>

namespace kv {

class TextGrid {
 public:
  TextGrid() = default;
  TextGrid(int rows, int cols) { Resize(rows, cols); }

  int RowCount() const { return rows_; }
  int ColCount() const { return cols_; }
  // Changes the size; cells inside both sizes keep their texts, new cells are empty.
  void Resize(int rows, int cols);
  void SetRowCount(int rows) { Resize(rows, cols_); }
  void SetColCount(int cols) { Resize(rows_, cols); }

  // Cell access by row and column; reading outside the grid gives an empty text,
  // writing outside it is ignored.
  const std::string& At(int row, int col) const;
  void Set(int row, int col, std::string text);

  std::vector<std::string> Row(int row) const;
  void SetRow(int row, const std::vector<std::string>& cells);
  // Empties every cell of rows from..RowCount-1 (keeps the heading row when from is 1).
  void ClearRows(int from = 0);
  void Clear() { ClearRows(0); }
  // Swaps two rows' texts.
  void SwapRows(int a, int b);

  // Clipboard text of a cell range: leading text + CR LF, then each row's cells joined by a
  // tab and ended by CR LF. An empty, negative or outside range gives an empty text; a range
  // reaching beyond the grid is cut to it.
  std::string CopyText(int firstCol, int firstRow, const std::string& leading, int lastRow, int lastCol) const;

  bool operator==(const TextGrid&) const = default;

 private:
  int rows_ = 0;
  int cols_ = 0;
  std::vector<std::string> cells_;
};

}  // namespace kv
