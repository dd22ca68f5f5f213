#include "korvan/engine/hyperbola.hpp"

#include <algorithm>
#include <cmath>

namespace keld::korvan {

double TwoWayTimeMs(double h, double depth, double velocity) {
  const double path = 2.0 * std::sqrt((h / 2) * (h / 2) + depth * depth);
  return path / velocity * 1000;
}

std::vector<HyperbolaPoint> HyperbolaPoints(const HyperbolaInputs& in) {
  std::vector<HyperbolaPoint> pts;
  if (!(in.spacing > 0) || !(in.velocity > 0) || in.frequency <= 0 || in.receivers <= 0)
    return pts;
  auto add = [&](int32_t column, double h, bool first) {
    HyperbolaPoint p;
    p.column = column;
    p.h = h;
    // Each receiver sits on its trace's zero line, in the middle of its column.
    p.x = in.x0 + in.column * column + in.column / 2;
    p.y = TwoWayTimeMs(h, in.depth, in.velocity) * in.frequency / 1000;
    p.starts_run = first;
    pts.push_back(p);
  };
  const int32_t last = in.receivers - 1;
  if (in.shot <= 0) {
    for (int32_t k = 0; k <= last; ++k) add(k, k * in.spacing - in.shot, k == 0);
    return pts;
  }
  // n is kept as a number: a shot far past the spread still draws the
  // spread's receivers, each at its distance from the shot.
  const double n = std::floor(in.shot / in.spacing);
  const int32_t left_start = n < last ? static_cast<int32_t>(n) : last;
  bool first = true;
  for (int32_t j = left_start; j >= 0; --j) {
    add(j, (n - j + 1) * in.spacing, first);
    first = false;
  }
  first = true;
  for (int32_t j = n < last ? static_cast<int32_t>(n) + 1 : last + 1; j <= last; ++j) {
    add(j, (j - n) * in.spacing, first);
    first = false;
  }
  return pts;
}

}  // namespace keld::korvan
