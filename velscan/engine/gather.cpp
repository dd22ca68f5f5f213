#include "velscan/engine/gather.hpp"

#include <algorithm>
#include <cmath>

#include "common/numtext.hpp"
#include "sutools/nmo.hpp"

namespace keld::velscan {

bool ReadGather(SuReader& r, const std::vector<int64_t>& traces, Gather& g, std::string& error) {
  g.traces.clear();
  g.headers.clear();
  g.samples.clear();
  g.ns = r.ns();
  if (traces.empty()) {
    error = "no trace to read";
    return false;
  }
  g.headers.assign(traces.size(), {});
  g.samples.assign(traces.size() * static_cast<size_t>(g.ns), 0.0f);
  for (size_t j = 0; j < traces.size(); ++j) {
    if (!r.read_header(traces[j], g.headers[j]) || !r.read_samples(traces[j], g.samples.data() + j * g.ns)) {
      error = r.error();
      g.headers.clear();
      g.samples.clear();
      return false;
    }
  }
  g.traces = traces;
  return true;
}

bool HasHeaderOffsets(const Gather& g) {
  return std::any_of(g.headers.begin(), g.headers.end(), [](const SuTraceHeader& h) { return h.offset != 0; });
}

std::vector<double> GatherOffsets(const Gather& g, double spacing, double offset1) {
  std::vector<double> x(static_cast<size_t>(g.count()));
  const bool stored = HasHeaderOffsets(g);
  for (int j = 0; j < g.count(); ++j)
    x[static_cast<size_t>(j)] = stored ? g.headers[static_cast<size_t>(j)].offset : j * spacing - offset1;
  return x;
}

std::vector<float> NmoGather(const Gather& g, const std::vector<double>& offsets, double velocity, double smute,
                             int dt_us, int delrt_ms) {
  std::vector<float> out(g.samples.size(), 0.0f);
  if (g.ns <= 0 || dt_us <= 0 || !(velocity > 0)) return out;
  const double dt = dt_us * 1e-6, tmin = delrt_ms * 1e-3;
  std::vector<float> s2(static_cast<size_t>(g.ns), static_cast<float>(1.0 / (velocity * velocity)));
  sutools::NmoParams p;
  p.smute = smute;
  sutools::NmoWork work;
  for (int j = 0; j < g.count(); ++j)
    sutools::ApplyNmo(g.trace(j), out.data() + static_cast<size_t>(j) * g.ns, g.ns, dt, tmin,
                      offsets[static_cast<size_t>(j)], s2.data(), p, work);
  return out;
}

std::vector<double> TraceGains(const float* data, int n, int ns, const std::vector<bool>& dead, const Window& w) {
  std::vector<double> gains(static_cast<size_t>(n), 0.0);
  double g = 0;
  const int step = std::max(1, w.step);
  for (int j = 0; j < n; ++j) {
    if (!dead[static_cast<size_t>(j)]) {
      float peak = 0;
      const float* t = data + static_cast<size_t>(j) * ns;
      for (int i = std::max(0, w.first); i <= w.last && i < ns; i += step) peak = std::max(peak, t[i]);
      if (peak > 0) g = 1000.0 / peak;
    }
    gains[static_cast<size_t>(j)] = g;
  }
  return gains;
}

PanelSums StackPanel(const float* data, int n, int ns, const std::vector<bool>& dead,
                     const std::vector<double>& gains, const Window& w) {
  PanelSums p;
  p.sum.assign(static_cast<size_t>(std::max(0, ns)), 0.0f);
  const int step = std::max(1, w.step);
  for (int j = 0; j < n; ++j) {
    if (dead[static_cast<size_t>(j)]) continue;
    const float* t = data + static_cast<size_t>(j) * ns;
    const double g = gains[static_cast<size_t>(j)];
    for (int i = std::max(0, w.first); i <= w.last && i < ns; i += step) {
      float& s = p.sum[static_cast<size_t>(i)];
      s = static_cast<float>(s + g * t[i]);
      if (s > p.max) p.max = CLng(s).value_or(p.max);
    }
  }
  return p;
}

}  // namespace keld::velscan
