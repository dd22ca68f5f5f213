#include "korvan/display/tests/synthetic_shot.hpp"

#include <algorithm>
#include <cmath>
#include <random>

#include "common/su_file.hpp"

namespace keld::korvan::testing {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A ringing wavelet: a sine of frequency f starting at tau = 0 with a short
// ramp, dying away over a few periods.
double Ringing(double tau, double f, double periods) {
  if (tau < 0) return 0;
  double ramp = std::min(1.0, tau * f * 4);
  return ramp * std::sin(2 * kPi * f * tau) * std::exp(-tau * f / periods);
}

double Ricker(double t, double f) {
  double a = kPi * f * t;
  return (1 - 2 * a * a) * std::exp(-a * a);
}

}  // namespace

std::vector<std::vector<float>> SyntheticShot(const ShotSpec& desc) {
  std::mt19937 rng(desc.seed);
  std::normal_distribution<double> gauss(0, 1);
  const double dt = desc.dt_us / 1e6;
  // A shallow two-layer ground: slow soil over faster rock, one reflector.
  const double v_direct = 600, v_refr = 2000, t_intercept = 0.020;
  const double t0_refl = 0.25, v_refl = 1800;
  const double v_ground_roll = 250;
  std::vector<std::vector<float>> out(static_cast<size_t>(desc.traces));
  for (int i = 0; i < desc.traces; ++i) {
    auto& tr = out[static_cast<size_t>(i)];
    tr.assign(static_cast<size_t>(desc.ns), 0.0f);
    const double x = std::abs(i * desc.spacing_m - desc.shot_m);
    const double t_direct = x / v_direct;
    const double t_refr = t_intercept + x / v_refr;
    const double t_first = std::min(t_direct, t_refr);
    const double t_refl = std::sqrt(t0_refl * t0_refl + (x / v_refl) * (x / v_refl));
    const double spread = 1 / (1 + x / 15);  // amplitudes fall off with offset
    for (int k = 0; k < desc.ns; ++k) {
      const double t = k * dt;
      double v = 1000 * spread * Ringing(t - t_first, 60, 2.5);
      if (t_refr > t_direct) v += 500 * spread * Ringing(t - t_refr, 70, 2);  // refraction behind the direct wave
      else v += 700 * spread * Ringing(t - t_direct, 50, 2);                   // direct wave behind the refraction
      v += 120 * Ricker(t - t_refl, 45);
      v += 900 * spread * Ringing(t - x / v_ground_roll, 18, 3);
      bool before = t < t_first;
      if (before && desc.quiet_start)
        v = 0;
      else
        v += desc.noise * 1000 * gauss(rng) * (0.3 + spread);
      tr[static_cast<size_t>(k)] = static_cast<float>(v);
    }
  }
  return out;
}

bool WriteTraces(const std::string& path, const std::vector<std::vector<float>>& traces, int dt_us,
                 int16_t delrt) {
  SuWriter w(path);
  if (!w.is_open()) return false;
  for (size_t i = 0; i < traces.size(); ++i) {
    SuTraceHeader h;
    h.tracl = h.tracr = static_cast<int32_t>(i + 1);
    h.tracf = static_cast<int32_t>(i + 1);
    h.fldr = 1;
    h.trid = 1;
    h.ns = static_cast<int16_t>(traces[i].size());
    h.dt = static_cast<int16_t>(dt_us);
    h.delrt = delrt;
    h.Nb_Samples = static_cast<int32_t>(traces[i].size());
    if (!w.write(h, traces[i].data(), static_cast<int>(traces[i].size()))) return false;
  }
  return w.commit();
}

}  // namespace keld::korvan::testing
