#include "sutools/nmo.hpp"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "sutools/interp8.hpp"

namespace keld::sutools {

namespace {

// The eight products summed as a tree, ((p0+p1)+(p2+p3))+((p4+p5)+(p6+p7)):
// four short chains instead of one long one, and the same sums in the same
// order with or without SSE, so the result is the same to the bit.
inline float Dot8(const float* w, const float* x) {
#if defined(__SSE2__)
  const __m128 lo = _mm_mul_ps(_mm_loadu_ps(w), _mm_loadu_ps(x));
  const __m128 hi = _mm_mul_ps(_mm_loadu_ps(w + 4), _mm_loadu_ps(x + 4));
  // (p0+p1, p2+p3, p4+p5, p6+p7)
  const __m128 pairs = _mm_add_ps(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)),
                                  _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
  // (p0+p1)+(p2+p3) and (p4+p5)+(p6+p7)
  const __m128 quads = _mm_add_ps(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(3, 3, 3, 1)));
  return _mm_cvtss_f32(_mm_add_ss(quads, _mm_shuffle_ps(quads, quads, _MM_SHUFFLE(2, 2, 2, 2))));
#else
  return ((w[0] * x[0] + w[1] * x[1]) + (w[2] * x[2] + w[3] * x[3])) +
         ((w[4] * x[4] + w[5] * x[5]) + (w[6] * x[6] + w[7] * x[7]));
#endif
}

#if defined(__SSE2__)
// Four Dot8 at once: the pairs of each as in Dot8, then the four sums of
// pairs side by side, so each output has exactly Dot8's sums in Dot8's order.
inline __m128 Dot8x4(const float* const w[4], const float* const x[4]) {
  __m128 pairs[4];
  for (int j = 0; j < 4; ++j) {
    const __m128 lo = _mm_mul_ps(_mm_loadu_ps(w[j]), _mm_loadu_ps(x[j]));
    const __m128 hi = _mm_mul_ps(_mm_loadu_ps(w[j] + 4), _mm_loadu_ps(x[j] + 4));
    pairs[j] = _mm_add_ps(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)), _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
  }
  _MM_TRANSPOSE4_PS(pairs[0], pairs[1], pairs[2], pairs[3]);
  // pairs[i] now holds pair i of each output.
  return _mm_add_ps(_mm_add_ps(pairs[0], pairs[1]), _mm_add_ps(pairs[2], pairs[3]));
}
#endif

std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}
}  // namespace

Result<NmoVelocities> NmoVelocities::Make(const std::vector<double>& cdps,
                                          const std::vector<std::vector<double>>& tnmo_given,
                                          const std::vector<std::vector<double>>& vnmo_given) {
  using R = Result<NmoVelocities>;
  // Without a cdp= list a missing tnmo= is one time, 0, and a missing vnmo=
  // one velocity, 1500 m/s: "vnmo=1800" alone is a constant velocity.
  std::vector<std::vector<double>> tnmo = tnmo_given, vnmo = vnmo_given;
  if (cdps.empty() && tnmo.empty() && vnmo.size() == 1) tnmo = {{0.0}};
  if (cdps.empty() && vnmo.empty() && tnmo.size() == 1) vnmo = {{1500.0}};
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
  float* pos = w.pos.data();
  // In samples: p = sqrt(k0^2 + (x / dt)^2 s2) - tmin / dt with k0 = k + tmin / dt,
  // single precision (a position within 1e-4 of a sample up to 10^4 samples).
  const float x2 = static_cast<float>(offset * offset / (dt * dt)), shift = static_cast<float>(tmin / dt);
  // t >= |t0| and t >= tmin, so every position is >= 0.
  for (int k = 0; k < ns; ++k) {
    const float k0 = static_cast<float>(k) + shift;
    pos[k] = std::sqrt(k0 * k0 + x2 * s2[k]) - shift;
  }
  // a(k): the input samples that output sample k spans, the backward step
  // (the forward one for the first sample); 1 / a is its stretch.
  auto a = [pos, ns](int k) { return ns == 1 ? 1.0f : k == 0 ? pos[1] - pos[0] : pos[k] - pos[k - 1]; };
  // The first sample stretched no more than smute survives, and every sample
  // after it, whatever the stretch does further down; the search ends at the
  // last sample.
  const float limit = static_cast<float>(1.0 / p.smute);
  int m = 0;
  while (m < ns - 1 && a(m) < limit) ++m;
  std::fill(out, out + m, 0.0f);
  // Past ns + 3 no sample of the trace is within reach of the eight.
  const float reach = static_cast<float>(ns) + 3.0f;
  const std::array<float, 8>* rows = interp.rows();
  // The input at pos[k], from the eight samples around it, the trace taken
  // as 0 outside itself: a position a few samples past the end still gets
  // what the last samples give it, so the trace tapers off there. Near the
  // ends the eight go through the same sum as inside, with zeros for the
  // samples beyond, so the result is that of the trace padded with zeros.
  auto sample = [&](int k) {
    const float x = pos[k];
    if (!(x < reach)) return 0.0f;
    const int ip = static_cast<int>(x);
    const float* wt = rows[Interp8::row(x - static_cast<float>(ip))].data();
    const int base = ip - 3;
    if (base >= 0 && base + 8 <= ns) return Dot8(wt, in + base);
    float near[8] = {};
    for (int j = 0; j < 8; ++j)
      if (base + j >= 0 && base + j < ns) near[j] = in[base + j];
    return Dot8(wt, near);
  };
  // The first lmute samples rise linearly to full amplitude; with sscale
  // every sample is then scaled by 1 / stretch.
  auto finish = [&](int k, float v) {
    if (k - m < p.lmute) v *= static_cast<float>(k - m + 1) / static_cast<float>(p.lmute);
    out[k] = p.sscale ? v * a(k) : v;
  };
  int k = m;
  const int ramped = std::min<int64_t>(ns, std::max<int64_t>(1, static_cast<int64_t>(m) + std::max(0, p.lmute)));
  for (; k < ramped; ++k) finish(k, sample(k));
#if defined(__SSE2__)
  // Past the ramp, four samples at a time where all eight neighbours of each
  // lie in the trace: the same sums as one at a time.
  const __m128 steps = _mm_set1_ps(static_cast<float>(Interp8::kSteps)), half = _mm_set1_ps(0.5f);
  for (; k + 4 <= ns; k += 4) {
    const __m128 x = _mm_loadu_ps(pos + k);
    const __m128i ip = _mm_cvttps_epi32(x);
    const __m128i row = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_sub_ps(x, _mm_cvtepi32_ps(ip)), steps), half));
    alignas(16) int32_t ips[4], rowi[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(ips), ip);
    _mm_store_si128(reinterpret_cast<__m128i*>(rowi), row);
    bool inside = true;
    for (int j = 0; j < 4; ++j) inside = inside && ips[j] >= 3 && ips[j] <= ns - 5 && rowi[j] >= 0 && rowi[j] <= Interp8::kSteps;
    if (!inside) {
      for (int j = 0; j < 4; ++j) finish(k + j, sample(k + j));
      continue;
    }
    const float* w[4];
    const float* src[4];
    for (int j = 0; j < 4; ++j) {
      w[j] = rows[rowi[j]].data();
      src[j] = in + ips[j] - 3;
    }
    __m128 v = Dot8x4(w, src);
    if (p.sscale) v = _mm_mul_ps(v, _mm_sub_ps(x, _mm_loadu_ps(pos + k - 1)));
    _mm_storeu_ps(out + k, v);
  }
#endif
  for (; k < ns; ++k) finish(k, sample(k));
}

}  // namespace keld::sutools
