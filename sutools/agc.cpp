#include "sutools/agc.hpp"

#include <algorithm>
#include <cmath>

namespace keld::sutools {

int AgcHalfWindow(double wagc, double dt) {
  if (!(dt > 0) || !(wagc > 0)) return 0;
  double h = std::round(wagc / (2.0 * dt));
  return h > 1e9 ? 1000000000 : static_cast<int>(h);
}

void Agc::apply(float* x, int ns, int half) {
  if (ns <= 0) return;
  if (half < 0) half = 0;
  sq_.resize(static_cast<size_t>(ns));
  for (int i = 0; i < ns; ++i) {
    double v = x[i];
    sq_[static_cast<size_t>(i)] = v * v;  // a float squared is exact in a double
  }
  const double* q = sq_.data();
  const int window = 2 * std::min(half, ns) + 1;
  auto window_sum = [&](int lo, int hi) {
    double s = 0;
    for (int j = lo; j <= hi; ++j) s += q[j];
    return s;
  };
  int lo = 0, hi = std::min(half, ns - 1);
  double sum = window_sum(lo, hi);
  int since_fresh = 0;
  for (int i = 0; i < ns; ++i) {
    if (i > 0) {
      int new_lo = std::max(0, i - half);
      int new_hi = std::min(ns - 1, i + half);
      if (++since_fresh >= window) {
        sum = window_sum(new_lo, new_hi);
        since_fresh = 0;
      } else {
        if (new_hi > hi) sum += q[new_hi];
        if (new_lo > lo) sum -= q[lo];
      }
      lo = new_lo;
      hi = new_hi;
    }
    const double mean = sum / (hi - lo + 1);
    x[i] = mean > 0 ? static_cast<float>(x[i] / std::sqrt(mean)) : 0.0f;
  }
}

}  // namespace keld::sutools
