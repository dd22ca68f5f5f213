#include "boardtest/engine/trace_measures.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace keld::boardtest {

// Format's patterns round halves away from zero.
std::string FormatRms(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", std::round(v * 1e4) / 1e4);
  std::string s = buf;
  // Decimals past the first are written only when significant.
  while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}

std::string FormatDb(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", std::round(v * 10) / 10);
  return buf;
}

RmsLabels Calcola_RMS(std::span<const double> y) {
  RmsLabels r;
  const size_t n = y.size();
  if (n == 0) {
    r.Label14 = FormatRms(0);
    r.Label23 = "---";
    return r;
  }
  float sum = 0;
  for (double v : y) sum += static_cast<float>(v);
  const float mean = sum / static_cast<float>(n);
  float s = 0;
  for (double v : y) {
    const float d = static_cast<float>(v) - mean;
    s += d * d;
  }
  r.rms = std::sqrt(s / static_cast<float>(n));
  r.Label14 = FormatRms(r.rms * 0.95);
  // A flat trace has no noise to measure a range against.
  r.Label23 = r.rms > 0 ? FormatDb(20 * std::log10(kFullScale / r.rms)) : "---";
  return r;
}

std::vector<TracePoint> Disegna_Traccia(BoardtestState& s, std::span<const double> y) {
  std::vector<TracePoint> pts;
  const int64_t n = static_cast<int64_t>(y.size());
  const int64_t k0 = std::max<int64_t>(s.Salta_Campioni, 1);
  if (n <= k0) return pts;
  if (s.Autoscala) {
    float hi = 0, lo = 0;
    for (int64_t k = k0 + 1; k < n; ++k) {
      const float v = static_cast<float>(y[static_cast<size_t>(k)]);
      hi = std::max(hi, v);
      lo = std::min(lo, v);
    }
    const float peak = std::max(std::fabs(hi), std::fabs(lo));
    if (peak > 0) s.Scala = static_cast<float>(s.picture_height / (2.0 * peak));
  }
  auto Y = [&](double v) { return static_cast<float>(s.Centro_Y - v * s.Scala); };
  const double dx = s.Passo_X;
  pts.reserve(static_cast<size_t>(n - k0 + 1));
  // The trace starts from the filtered sample before the first one drawn.
  pts.push_back({0.0f, Y(y[static_cast<size_t>(k0 - 1)])});
  pts.push_back({static_cast<float>(dx), Y(y[static_cast<size_t>(k0)])});
  double x = dx;
  for (int64_t k = k0 + 1; k < n; ++k) {
    pts.push_back({static_cast<float>(x), Y(y[static_cast<size_t>(k)])});
    x += dx;
  }
  return pts;
}

}  // namespace keld::boardtest
