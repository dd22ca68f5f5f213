#pragma once
// One worksheet's cells as values: empty, a number or a text, addressed by row
// and column from 1 as the spreadsheet programs number them.
#include <cstdint>
#include <string>
#include <vector>

namespace keld {

struct SheetCell {
  enum class Kind { Empty, Number, Text };
  Kind kind = Kind::Empty;
  double number = 0;
  std::string text;
  bool operator==(const SheetCell&) const = default;
};

// The extent of a worksheet: rows and columns from 1.
struct SheetSize {
  int64_t rows = 0;
  int64_t cols = 0;
};

class Sheet {
 public:
  // The cell at (row, col); an empty cell outside what was set.
  SheetCell at(int row, int col) const;
  SheetCell::Kind kind(int row, int col) const;
  double number(int row, int col) const;  // 0 unless a number
  void set(int row, int col, SheetCell cell);
  void set_number(int row, int col, double v);
  void set_text(int row, int col, std::string s);
  void clear(int row, int col) { set(row, col, {}); }
  // Last row and column that hold a cell (empty cells at the end included
  // only when set explicitly).
  int rows() const { return static_cast<int>(cells_.size()); }
  int cols() const { return cols_; }
  // Cells held in a row: the cells of columns beyond are empty.
  int cols_in_row(int row) const;
  // Copies every non-empty cell of `other` over this one.
  void overlay(const Sheet& other);
  // Copies the non-empty cells of `other` where this one is empty.
  void underlay(const Sheet& other);

 private:
  // Numbers in place, texts apart: a worksheet of numbers costs 16 bytes a
  // cell.
  struct Slot {
    double number = 0;
    int32_t text = -1;  // index into texts_
    SheetCell::Kind kind = SheetCell::Kind::Empty;
  };
  Slot& slot(int row, int col);  // grows the rows and the row as needed
  const Slot* find(int row, int col) const;
  std::vector<std::vector<Slot>> cells_;  // [row-1][col-1]
  std::vector<std::string> texts_;
  int cols_ = 0;
};

// "A", "Z", "AA", "CH" ... for column 1, 26, 27, 86; "CH4" for row 4 of it.
std::string SheetColumnName(int64_t col);
std::string SheetCellName(int64_t row, int64_t col);

}  // namespace keld
