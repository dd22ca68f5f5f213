#include "keysheet/core/range_rules.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/numtext.hpp"

namespace keld::keysheet {

namespace {
// A box's value rounded to a whole trace number, kept within a sane span so
// that absurd texts never overflow.
int64_t Whole(double v) {
  if (!std::isfinite(v)) return v > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
  v = std::clamp(v, -2147483648.0, 2147483647.0);
  return static_cast<int64_t>(RoundHalfEven(v));
}
}  // namespace

TraceRange GridRange(double first_typed, int64_t traces) {
  TraceRange r;
  r.first = std::max<int64_t>(1, Whole(first_typed));
  r.last = r.first + kGridTraces;
  if (r.last > traces) {
    r.last = std::max<int64_t>(traces, 1);
    r.first = std::max<int64_t>(1, traces - kGridTraces);
  }
  return r;
}

bool SheetFirstTooLarge(double first_typed, int64_t traces) { return first_typed > static_cast<double>(traces); }

int64_t SheetFirstAfterTooLarge(int64_t traces) { return std::max<int64_t>(1, traces - 24); }

TraceRange SheetRange(double first_typed, double last_typed, int64_t traces) {
  TraceRange r;
  r.first = std::max<int64_t>(1, Whole(first_typed));
  r.last = std::min<int64_t>(traces, Whole(last_typed));
  return r;
}

int64_t GridColumns(int64_t traces) { return std::clamp<int64_t>(traces, 0, kGridTraces); }

}  // namespace keld::keysheet
