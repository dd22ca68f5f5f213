#pragma once
// One worksheet's cells as values: empty, a number or a text, addressed by row
// and column from 1 as the spreadsheet programs number them.
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

class Sheet {
 public:
  // The cell at (row, col); an empty cell outside what was set.
  const SheetCell& at(int row, int col) const;
  void set(int row, int col, SheetCell cell);
  void set_number(int row, int col, double v) { set(row, col, {SheetCell::Kind::Number, v, {}}); }
  void set_text(int row, int col, std::string s) { set(row, col, {SheetCell::Kind::Text, 0, std::move(s)}); }
  // Last row and column that hold a cell (empty cells at the end included
  // only when set explicitly).
  int rows() const { return static_cast<int>(cells_.size()); }
  int cols() const;
  // Copies every non-empty cell of `other` over this one.
  void overlay(const Sheet& other);

 private:
  std::vector<std::vector<SheetCell>> cells_;  // [row-1][col-1]
};

}  // namespace keld
