#include "sutools/nmo.hpp"

#include <algorithm>
#include <cmath>

#include "sutools/interp8.hpp"

namespace keld::sutools {

namespace {
std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}
}  // namespace

Result<NmoVelocities> NmoVelocities::Make(const std::vector<double>& cdps,
                                          const std::vector<std::vector<double>>& tnmo,
                                          const std::vector<std::vector<double>>& vnmo) {
  using R = Result<NmoVelocities>;
  if (tnmo.size() != vnmo.size())
    return R::failure("number of tnmo and vnmo parameters must be equal (" + std::to_string(tnmo.size()) +
                      " tnmo, " + std::to_string(vnmo.size()) + " vnmo)");
  const size_t nf = tnmo.empty() ? 1 : tnmo.size();
  if (cdps.size() > 1 || nf > 1) {
    if (cdps.size() != nf)
      return R::failure("number of cdp values (" + std::to_string(cdps.size()) +
                        ") must equal the number of tnmo/vnmo pairs (" + std::to_string(nf) + ")");
  }
  NmoVelocities nv;
  nv.single_ = cdps.size() <= 1 && nf == 1;
  for (size_t j = 0; j < nf; ++j) {
    Function f;
    if (tnmo.empty()) {
      f.t = {0.0};
      f.v = {1500.0};
    } else {
      f.t = tnmo[j];
      f.v = vnmo[j];
    }
    const std::string which = nf > 1 ? " (function " + std::to_string(j + 1) + ")" : "";
    if (f.t.size() != f.v.size())
      return R::failure("number of tnmo and vnmo values must be equal" + which + ": " +
                        std::to_string(f.t.size()) + " times, " + std::to_string(f.v.size()) + " velocities");
    if (f.t.empty()) return R::failure("empty tnmo/vnmo list" + which);
    for (size_t k = 1; k < f.t.size(); ++k)
      if (!(f.t[k] > f.t[k - 1]))
        return R::failure("tnmo values must increase" + which + ": " + Num(f.t[k - 1]) + " then " + Num(f.t[k]));
    for (double v : f.v)
      if (!(v > 0)) return R::failure("vnmo values must be positive" + which + ": " + Num(v));
    int64_t key = 0;
    if (!cdps.empty()) {
      double c = cdps[j < cdps.size() ? j : 0];
      if (c != std::floor(c) || std::fabs(c) > 9e15) return R::failure("cdp=" + Num(c) + " is not a whole number");
      key = static_cast<int64_t>(c);
    }
    if (!nv.single_ && nv.functions_.count(key)) return R::failure("cdp " + std::to_string(key) + " given twice");
    nv.functions_[key] = std::move(f);
  }
  return nv;
}

double NmoVelocities::velocity(const Function& f, double t) const {
  if (t <= f.t.front()) return f.v.front();
  if (t >= f.t.back()) return f.v.back();
  auto it = std::upper_bound(f.t.begin(), f.t.end(), t);
  size_t k = static_cast<size_t>(it - f.t.begin());
  double a = (t - f.t[k - 1]) / (f.t[k] - f.t[k - 1]);
  return f.v[k - 1] + a * (f.v[k] - f.v[k - 1]);
}

void NmoVelocities::SlownessSquared(int64_t cdp, int ns, double dt, double tmin, std::vector<float>& out) const {
  out.resize(static_cast<size_t>(ns));
  auto slow = [&](const Function& f, double t) {
    double v = velocity(f, t);
    return 1.0 / (v * v);
  };
  if (single_ || functions_.size() == 1) {
    const Function& f = functions_.begin()->second;
    for (int k = 0; k < ns; ++k) out[k] = static_cast<float>(slow(f, tmin + k * dt));
    return;
  }
  auto hi = functions_.lower_bound(cdp);
  if (hi == functions_.end()) {
    const Function& f = std::prev(hi)->second;
    for (int k = 0; k < ns; ++k) out[k] = static_cast<float>(slow(f, tmin + k * dt));
    return;
  }
  if (hi->first == cdp || hi == functions_.begin()) {
    for (int k = 0; k < ns; ++k) out[k] = static_cast<float>(slow(hi->second, tmin + k * dt));
    return;
  }
  auto lo = std::prev(hi);
  const double a = static_cast<double>(cdp - lo->first) / static_cast<double>(hi->first - lo->first);
  for (int k = 0; k < ns; ++k) {
    double t = tmin + k * dt;
    out[k] = static_cast<float>((1 - a) * slow(lo->second, t) + a * slow(hi->second, t));
  }
}

void ApplyNmo(const float* in, float* out, int ns, double dt, double tmin, double offset, const float* s2,
              const NmoParams& p, NmoWork& w) {
  if (ns <= 0) return;
  const Interp8& interp = SharedInterp8();
  w.pos.resize(static_cast<size_t>(ns));
  w.stretch.resize(static_cast<size_t>(ns));
  const double x2 = offset * offset;
  for (int k = 0; k < ns; ++k) {
    double t0 = tmin + k * dt;
    double t = std::sqrt(t0 * t0 + x2 * s2[k]);
    w.pos[k] = (t - tmin) / dt;
  }
  // Stretch dt0/dt: one output sample over the input samples it spans.
  for (int k = 0; k < ns; ++k) {
    double d = ns == 1 ? 1.0 : (k + 1 < ns ? w.pos[k + 1] - w.pos[k] : w.pos[k] - w.pos[k - 1]);
    w.stretch[k] = d > 0 ? 1.0 / d : HUGE_VAL;
  }
  // The mute ends after the last sample stretched beyond the limit.
  int kmute = 0;
  for (int k = ns - 1; k >= 0; --k)
    if (w.stretch[k] > p.smute) {
      kmute = k + 1;
      break;
    }
  for (int k = 0; k < kmute; ++k) out[k] = 0;
  const double last = ns - 1;
  for (int k = kmute; k < ns; ++k) {
    const double pos = w.pos[k];
    if (pos > last + 0.5 || pos < -0.5) {
      out[k] = 0;
      continue;
    }
    double v = interp.at(in, ns, pos);
    if (p.sscale) v /= w.stretch[k];
    if (k - kmute < p.lmute && kmute > 0) v *= static_cast<double>(k - kmute + 1) / (p.lmute + 1);
    out[k] = static_cast<float>(v);
  }
}

}  // namespace keld::sutools
