#include "sutools/agc.hpp"

#include <algorithm>
#include <cmath>

namespace keld::sutools {

int AgcHalfWindow(double wagc, double dt) {
  if (!(dt > 0) || !(wagc > 0)) return 0;
  const double n = std::round(wagc / dt);  // NINT: halves away from zero
  if (!(n < 2e9)) return 1000000000;
  return static_cast<int>(n) / 2;
}

void Agc::apply(float* x, int ns, int half) {
  if (ns <= 0) return;
  // A window wider than the trace holds the whole trace wherever it stands.
  const int h = std::clamp(half, 1, ns);
  const int w = 2 * h;
  // Squares with h zeros before and h after: the window sum of sample i is
  // the sum of sq[i .. i + w - 1] with no test for the trace ends. A float
  // squared is exact in a double.
  sq_.assign(static_cast<size_t>(ns) + w, 0.0);
  double* q = sq_.data() + h;
  for (int i = 0; i < ns; ++i) q[i] = static_cast<double>(x[i]) * x[i];
  q = sq_.data();
  sums_.resize(static_cast<size_t>(ns));
  for (int start = 0; start < ns; start += w) {
    // Summed afresh once per window length, then carried along, so that
    // rounding left by a loud event cannot build up over a long trace.
    double sum = 0;
    for (int j = start; j < start + w; ++j) sum += q[j];
    sums_[static_cast<size_t>(start)] = sum;
    const int end = std::min(ns, start + w);
    for (int i = start + 1; i < end; ++i) {
      sum += q[i + w - 1] - q[i - 1];
      sums_[static_cast<size_t>(i)] = sum;
    }
  }
  for (int i = 0; i < ns; ++i) {
    const int count = std::min(ns - 1, i + h - 1) - std::max(0, i - h) + 1;
    const double s = sums_[static_cast<size_t>(i)];
    x[i] = s > 0 ? static_cast<float>(x[i] * std::sqrt(count / s)) : 0.0f;
  }
}

}  // namespace keld::sutools
