#include "sutools/interp8.hpp"

#include <cmath>
#include <numbers>

namespace keld::sutools {

namespace {

// Solves the 8 x 8 system a x = b in place by Gaussian elimination with
// partial pivoting.
std::array<double, 8> Solve(std::array<std::array<double, 8>, 8> a, std::array<double, 8> b) {
  for (int c = 0; c < 8; ++c) {
    int p = c;
    for (int r = c + 1; r < 8; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    std::swap(a[c], a[p]);
    std::swap(b[c], b[p]);
    for (int r = c + 1; r < 8; ++r) {
      double f = a[r][c] / a[c][c];
      for (int k = c; k < 8; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::array<double, 8> x{};
  for (int r = 7; r >= 0; --r) {
    double s = b[r];
    for (int k = r + 1; k < 8; ++k) s -= a[r][k] * x[k];
    x[r] = s / a[r][r];
  }
  return x;
}

// The integral over [0, W] of cos(w d): W for d = 0, sin(W d) / d otherwise.
double CosIntegral(double W, double d) { return std::fabs(d) < 1e-12 ? W : std::sin(W * d) / d; }

// Weights for samples -3..4 that best reproduce every frequency up to W
// (radians a sample) at position frac: the normal equations of the squared
// error integrated over the band.
std::array<float, 8> Design(double frac) {
  const double W = 0.65 * std::numbers::pi;
  std::array<std::array<double, 8>, 8> a{};
  std::array<double, 8> b{};
  for (int m = 0; m < 8; ++m) {
    for (int n = 0; n < 8; ++n) a[m][n] = CosIntegral(W, m - n) + (m == n ? 1e-9 : 0.0);
    b[m] = CosIntegral(W, (m - 3) - frac);
  }
  auto x = Solve(a, b);
  std::array<float, 8> w{};
  for (int k = 0; k < 8; ++k) w[k] = static_cast<float>(x[k]);
  return w;
}

}  // namespace

Interp8::Interp8() : table_(kSteps + 1) {
  for (int i = 1; i < kSteps; ++i) table_[i] = Design(static_cast<double>(i) / kSteps);
  // On a sample the sample itself is exact: no smoothing of unshifted traces.
  table_[0] = {0, 0, 0, 1, 0, 0, 0, 0};
  table_[kSteps] = {0, 0, 0, 0, 1, 0, 0, 0};
}

float Interp8::at(const float* x, int n, double pos) const {
  const double fl = std::floor(pos);
  if (!(fl > -5.0 && fl < n + 4.0)) return 0.0f;
  const int base = static_cast<int>(fl) - 3;
  const auto& w = weights(pos - fl);
  float s = 0;
  if (base >= 0 && base + 8 <= n) {
    for (int k = 0; k < 8; ++k) s += w[k] * x[base + k];
  } else {
    for (int k = 0; k < 8; ++k) {
      int j = base + k;
      if (j >= 0 && j < n) s += w[k] * x[j];
    }
  }
  return s;
}

const Interp8& SharedInterp8() {
  static const Interp8 table;
  return table;
}

}  // namespace keld::sutools
