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

int PaddedLength(int ns) { return FftFriendlySize(ns + (ns + 1) / 2); }

BandpassFilter::BandpassFilter(const BandpassSpec& desc) : spec_(desc) {}

BandpassFilter::~BandpassFilter() { release(); }

void BandpassFilter::release() {
  if (forward_) fftwf_destroy_plan(static_cast<fftwf_plan>(forward_));
  if (inverse_) fftwf_destroy_plan(static_cast<fftwf_plan>(inverse_));
  if (time_) fftwf_free(time_);
  if (freq_) fftwf_free(freq_);
  forward_ = inverse_ = nullptr;
  time_ = nullptr;
  freq_ = nullptr;
  ns_ = nfft_ = 0;
}

Status BandpassFilter::prepare(int ns, double dt) {
  if (ns <= 0) return Status::failure("ns=" + std::to_string(ns) + ": samples per trace must be positive");
  if (!(dt > 0) || !std::isfinite(dt)) return Status::failure("the sample interval must be positive");
  if (ns != ns_) {
    release();
    const int n = PaddedLength(ns);
    time_ = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<size_t>(n)));
    freq_ = fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(n / 2 + 1));
    if (!time_ || !freq_) {
      release();
      return Status::failure("out of memory for a transform of " + std::to_string(n) + " samples");
    }
    auto* c = static_cast<fftwf_complex*>(freq_);
    forward_ = fftwf_plan_dft_r2c_1d(n, time_, c, FFTW_ESTIMATE);
    inverse_ = fftwf_plan_dft_c2r_1d(n, c, time_, FFTW_ESTIMATE);
    if (!forward_ || !inverse_) {
      release();
      return Status::failure("no transform plan for " + std::to_string(n) + " samples");
    }
    ns_ = ns;
    nfft_ = n;
    dt_ = 0;  // the response must be sampled again
  }
  if (dt != dt_) {
    const int bins = nfft_ / 2 + 1;
    gain_.resize(static_cast<size_t>(bins));
    const double df = 1.0 / (nfft_ * dt);
    for (int k = 0; k < bins; ++k)
      gain_[static_cast<size_t>(k)] = static_cast<float>(BandpassResponse(spec_, k * df) / nfft_);
    dt_ = dt;
  }
  return Status::good();
}

Status BandpassFilter::apply(float* x, int ns, double dt) {
  if (auto st = prepare(ns, dt); !st) return st;
  std::memcpy(time_, x, sizeof(float) * static_cast<size_t>(ns));
  std::memset(time_ + ns, 0, sizeof(float) * static_cast<size_t>(nfft_ - ns));
  fftwf_execute(static_cast<fftwf_plan>(forward_));
  auto* c = static_cast<fftwf_complex*>(freq_);
  const float* g = gain_.data();
  const int bins = nfft_ / 2 + 1;
  for (int k = 0; k < bins; ++k) {
    c[k][0] *= g[k];
    c[k][1] *= g[k];
  }
  fftwf_execute(static_cast<fftwf_plan>(inverse_));
  std::memcpy(x, time_, sizeof(float) * static_cast<size_t>(ns));
  return Status::good();
}

}  // namespace keld::sutools
