#include "platform/sheet/sheet.hpp"

#include <algorithm>

namespace keld {

const SheetCell& Sheet::at(int row, int col) const {
  static const SheetCell empty;
  if (row < 1 || col < 1 || row > rows()) return empty;
  const auto& r = cells_[static_cast<size_t>(row - 1)];
  if (col > static_cast<int>(r.size())) return empty;
  return r[static_cast<size_t>(col - 1)];
}

void Sheet::set(int row, int col, SheetCell cell) {
  if (row < 1 || col < 1) return;
  if (row > rows()) cells_.resize(static_cast<size_t>(row));
  auto& r = cells_[static_cast<size_t>(row - 1)];
  if (col > static_cast<int>(r.size())) r.resize(static_cast<size_t>(col));
  r[static_cast<size_t>(col - 1)] = std::move(cell);
}

int Sheet::cols() const {
  size_t n = 0;
  for (const auto& r : cells_) n = std::max(n, r.size());
  return static_cast<int>(n);
}

void Sheet::overlay(const Sheet& other) {
  for (int r = 1; r <= other.rows(); ++r)
    for (int c = 1; c <= other.cols(); ++c)
      if (other.at(r, c).kind != SheetCell::Kind::Empty) set(r, c, other.at(r, c));
}

}  // namespace keld
