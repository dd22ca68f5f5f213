#include "sutools/bandpass.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>

#include <fftw3.h>

namespace keld::sutools {

Result<BandpassSpec> MakeBandpassSpec(const std::vector<double>& f, const std::vector<double>& amps) {
  using R = Result<BandpassSpec>;
  if (f.size() != 4)
    return R::failure("f= needs four corner frequencies f1,f2,f3,f4 (got " + std::to_string(f.size()) + ")");
  if (!amps.empty() && amps.size() != 4)
    return R::failure("amps= needs four amplitudes, one per corner (got " + std::to_string(amps.size()) + ")");
  BandpassSpec s;
  for (size_t i = 0; i < 4; ++i) {
    s.f[i] = f[i];
    if (i > 0 && f[i] < f[i - 1])
      return R::failure("f= corners must not decrease (f" + std::to_string(i) + " > f" + std::to_string(i + 1) + ")");
    if (!amps.empty()) s.amps[i] = amps[i];
  }
  return s;
}

double BandpassResponse(const BandpassSpec& s, double freq) {
  if (freq < s.f[0]) return s.amps[0];
  for (size_t i = 0; i + 1 < 4; ++i) {
    if (freq < s.f[i + 1]) {  // here f[i] <= freq < f[i+1], so the corners differ
      double t = (freq - s.f[i]) / (s.f[i + 1] - s.f[i]);
      double w = std::sin(0.5 * std::numbers::pi * t);
      return s.amps[i] + (s.amps[i + 1] - s.amps[i]) * w * w;
    }
  }
  return s.amps[3];
}

int FftFriendlySize(int n) {
  if (n <= 1) return 1;
  // Powers of two times 1, 3, 5 or 15: the transforms of these lengths run
  // fastest, and consecutive ones are at most 25 % apart.
  int best = 0;
  for (int m : {1, 3, 5, 15}) {
    long long v = m;
    while (v < n) v *= 2;
    if (best == 0 || v < best) best = static_cast<int>(v);
  }
  return best;
}

int PaddedLength(int ns) {
  // Even, so that a real transform of it is a complex one of half its length.
  const int need = ns + (ns + 1) / 2;
  return 2 * FftFriendlySize((need + 1) / 2);
}

BandpassFilter::BandpassFilter(const BandpassSpec& desc) : desc_(desc) {}

BandpassFilter::~BandpassFilter() { release(); }

void BandpassFilter::release() {
  if (plan_) fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
  if (buf_) fftwf_free(buf_);
  if (out_) fftwf_free(out_);
  plan_ = nullptr;
  buf_ = out_ = nullptr;
  ns_ = nfft_ = 0;
}

// The real transform of length N = 2M is made from one complex transform of
// length M, forward for both directions (the inverse by conjugation): one
// plan instead of a real-to-complex and a complex-to-real one. Making plans
// is what a short run pays for, and korvan runs sufilter once per shot.
Status BandpassFilter::prepare(int ns, double dt) {
  if (ns <= 0) return Status::failure("ns=" + std::to_string(ns) + ": samples per trace must be positive");
  if (!(dt > 0) || !std::isfinite(dt)) return Status::failure("the sample interval must be positive");
  if (ns != ns_) {
    release();
    const int n = PaddedLength(ns);
    const int m = n / 2;
    buf_ = fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(m));
    out_ = fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(m));
    if (!buf_ || !out_) {
      release();
      return Status::failure("out of memory for a transform of " + std::to_string(n) + " samples");
    }
    plan_ = fftwf_plan_dft_1d(m, static_cast<fftwf_complex*>(buf_), static_cast<fftwf_complex*>(out_),
                              FFTW_FORWARD, FFTW_ESTIMATE);
    if (!plan_) {
      release();
      return Status::failure("no transform plan for " + std::to_string(n) + " samples");
    }
    twiddle_.resize(static_cast<size_t>(m) + 1);
    for (int k = 0; k <= m; ++k) {
      const double a = -2.0 * std::numbers::pi * k / n;
      twiddle_[static_cast<size_t>(k)] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
    }
    ns_ = ns;
    nfft_ = n;
    dt_ = 0;  // the response must be sampled again
  }
  if (dt != dt_) {
    const int bins = nfft_ / 2 + 1;
    gain_.resize(static_cast<size_t>(bins));
    const double df = 1.0 / (nfft_ * dt);
    // The inverse below is one of length N/2: its scale is 2/N.
    for (int k = 0; k < bins; ++k)
      gain_[static_cast<size_t>(k)] = static_cast<float>(BandpassResponse(desc_, k * df) * 2.0 / nfft_);
    dt_ = dt;
  }
  return Status::good();
}

Status BandpassFilter::apply(float* x, int ns, double dt) {
  if (auto st = prepare(ns, dt); !st) return st;
  const int m = nfft_ / 2;
  auto* in = static_cast<fftwf_complex*>(buf_);
  auto* z = static_cast<fftwf_complex*>(out_);
  // Even samples as real parts, odd ones as imaginary parts, zero padded:
  // that is the trace's own layout in memory.
  float* inf = reinterpret_cast<float*>(in);
  std::memcpy(inf, x, sizeof(float) * static_cast<size_t>(ns));
  std::memset(inf + ns, 0, sizeof(float) * static_cast<size_t>(nfft_ - ns));
  fftwf_execute_dft(static_cast<fftwf_plan>(plan_), in, z);

  const float* g = gain_.data();
  const Complex* w = twiddle_.data();
  // Bin k of the real transform from Z[k] and Z[M-k], times the response.
  auto filtered = [&](int k) -> Complex {
    const int a = k == m ? 0 : k, b = k == 0 ? 0 : m - k;
    const float zr = z[a][0], zi = z[a][1], cr = z[b][0], ci = -z[b][1];  // Z[k], conj Z[M-k]
    const float er = 0.5f * (zr + cr), ei = 0.5f * (zi + ci);            // even part
    const float orr = 0.5f * (zi - ci), oi = -0.5f * (zr - cr);          // odd part
    const float xr = er + w[k].re * orr - w[k].im * oi;
    const float xi = ei + w[k].re * oi + w[k].im * orr;
    return {g[k] * xr, g[k] * xi};
  };
  // Even and odd parts of the filtered spectrum packed again as one complex
  // spectrum of length M, conjugated so the forward plan inverts it.
  auto pack = [&](int k, Complex y, Complex other) {
    const float cr = other.re, ci = -other.im;  // conj Y[M-k]
    const float er = 0.5f * (y.re + cr), ei = 0.5f * (y.im + ci);
    const float hr = 0.5f * (y.re - cr), hi = 0.5f * (y.im - ci);
    const float orr = hr * w[k].re + hi * w[k].im;  // times conj(W^k)
    const float oi = hi * w[k].re - hr * w[k].im;
    in[k][0] = er - oi;
    in[k][1] = -(ei + orr);
  };
  // Bins k and M-k need each other: both are done in one pass.
  for (int k = 0; 2 * k <= m; ++k) {
    const int l = m - k;
    const Complex yk = filtered(k), yl = filtered(l);
    pack(k, yk, yl);
    if (l != k && l < m) pack(l, yl, yk);
  }
  fftwf_execute_dft(static_cast<fftwf_plan>(plan_), in, z);
  // Undo the conjugation: the odd samples are the negated imaginary parts.
  const float* zf = reinterpret_cast<const float*>(z);
  for (int i = 0; i < ns; ++i) x[i] = (i & 1) ? -zf[i] : zf[i];
  return Status::good();
}

}  // namespace keld::sutools
