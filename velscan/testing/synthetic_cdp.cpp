#include "velscan/testing/synthetic_cdp.hpp"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace keld::velscan::testing {

double Ricker(double tau, double f) {
  const double a = std::numbers::pi * std::numbers::pi * f * f * tau * tau;
  return (1 - 2 * a) * std::exp(-a);
}

std::vector<SuTrace> MakeCdpTraces(const SyntheticCdp& s) {
  std::vector<SuTrace> out;
  const double dt = s.dt_us * 1e-6, tmin = s.delrt_ms * 1e-3;
  int n = 0;
  for (size_t c = 0; c < s.folds.size(); ++c) {
    const int cdp = s.first_cdp + static_cast<int>(c);
    const double v = s.velocity(cdp);
    for (int j = 0; j < s.folds[c]; ++j) {
      SuTrace t;
      const double x = s.offset0 + j * s.doffset;
      t.header.tracl = t.header.tracr = ++n;
      t.header.fldr = 1 + j;
      t.header.cdp = cdp;
      t.header.cdpt = j + 1;
      t.header.trid = 1;
      t.header.offset = s.store_offsets ? static_cast<int32_t>(x) : 0;
      t.header.ns = static_cast<int16_t>(s.ns);
      t.header.dt = static_cast<int16_t>(s.dt_us);
      t.header.delrt = static_cast<int16_t>(s.delrt_ms);
      const double tx = std::sqrt(s.t0 * s.t0 + x * x / (v * v));
      t.samples.resize(static_cast<size_t>(s.ns));
      for (int i = 0; i < s.ns; ++i) t.samples[static_cast<size_t>(i)] = static_cast<float>(Ricker(tmin + i * dt - tx));
      out.push_back(std::move(t));
    }
  }
  if (s.shuffle)  // a fixed scramble: every 7th trace first, and so on
    for (size_t i = 0; i < out.size(); ++i) std::swap(out[i], out[(i * 7919) % out.size()]);
  return out;
}

void WriteCdpFile(const std::string& path, const SyntheticCdp& s) {
  Status st = WriteSuFile(path, MakeCdpTraces(s));
  if (!st) throw std::runtime_error(st.error);
}

}  // namespace keld::velscan::testing
