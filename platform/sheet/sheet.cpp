#include "platform/sheet/sheet.hpp"

#include <algorithm>

namespace keld {

const Sheet::Slot* Sheet::find(int row, int col) const {
  if (row < 1 || col < 1 || row > rows()) return nullptr;
  const auto& r = cells_[static_cast<size_t>(row - 1)];
  if (col > static_cast<int>(r.size())) return nullptr;
  return &r[static_cast<size_t>(col - 1)];
}

SheetCell::Kind Sheet::kind(int row, int col) const {
  const Slot* s = find(row, col);
  return s ? s->kind : SheetCell::Kind::Empty;
}

double Sheet::number(int row, int col) const {
  const Slot* s = find(row, col);
  return s ? s->number : 0;
}

SheetCell Sheet::at(int row, int col) const {
  const Slot* s = find(row, col);
  if (!s) return {};
  if (s->kind == SheetCell::Kind::Text) return {s->kind, 0, texts_[static_cast<size_t>(s->text)]};
  return {s->kind, s->number, {}};
}

int Sheet::cols_in_row(int row) const {
  if (row < 1 || row > rows()) return 0;
  return static_cast<int>(cells_[static_cast<size_t>(row - 1)].size());
}

Sheet::Slot& Sheet::slot(int row, int col) {
  if (row > rows()) cells_.resize(static_cast<size_t>(row));
  auto& r = cells_[static_cast<size_t>(row - 1)];
  if (col > static_cast<int>(r.size())) {
    // Rows are filled from the left: grow once to the sheet's width rather
    // than doubling cell by cell.
    if (static_cast<size_t>(col) > r.capacity()) r.reserve(static_cast<size_t>(std::max(col, cols_)));
    r.resize(static_cast<size_t>(col));
  }
  cols_ = std::max(cols_, col);
  return r[static_cast<size_t>(col - 1)];
}

void Sheet::set(int row, int col, SheetCell cell) {
  if (row < 1 || col < 1) return;
  Slot& s = slot(row, col);
  s.kind = cell.kind;
  s.number = cell.kind == SheetCell::Kind::Number ? cell.number : 0;
  if (cell.kind != SheetCell::Kind::Text) return;
  if (s.text < 0) {
    s.text = static_cast<int32_t>(texts_.size());
    texts_.push_back(std::move(cell.text));
  } else {
    texts_[static_cast<size_t>(s.text)] = std::move(cell.text);
  }
}

void Sheet::set_number(int row, int col, double v) {
  if (row < 1 || col < 1) return;
  Slot& s = slot(row, col);
  s.kind = SheetCell::Kind::Number;
  s.number = v;
}

void Sheet::set_text(int row, int col, std::string text) { set(row, col, {SheetCell::Kind::Text, 0, std::move(text)}); }

void Sheet::overlay(const Sheet& other) {
  for (int r = 1; r <= other.rows(); ++r)
    for (int c = 1; c <= other.cols_in_row(r); ++c)
      if (other.kind(r, c) != SheetCell::Kind::Empty) set(r, c, other.at(r, c));
}

void Sheet::underlay(const Sheet& other) {
  for (int r = 1; r <= other.rows(); ++r)
    for (int c = 1; c <= other.cols_in_row(r); ++c)
      if (other.kind(r, c) != SheetCell::Kind::Empty && kind(r, c) == SheetCell::Kind::Empty) set(r, c, other.at(r, c));
}

std::string SheetColumnName(int64_t col) {
  std::string s;
  for (int64_t c = col; c > 0; c = (c - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
  return s;
}

std::string SheetCellName(int64_t row, int64_t col) { return SheetColumnName(col) + std::to_string(row); }

}  // namespace keld
