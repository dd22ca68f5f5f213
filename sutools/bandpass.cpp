#include "sutools/bandpass.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
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

namespace {

// FFTW's planner is one for the whole program: making and destroying plans
// takes this lock, whichever set of plans they belong to.
std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

BandpassPlans::~BandpassPlans() {
  std::lock_guard<std::mutex> lock(PlannerLock());
  for (auto& [n, p] : plans_)
    if (p->fft) fftwf_destroy_plan(static_cast<fftwf_plan>(p->fft));
}

// The real transform of length N = 2M is made from one complex transform of
// length M, forward for both directions (the inverse by conjugation): one
// plan instead of a real-to-complex and a complex-to-real one. Making plans
// is what a short run pays for, and korvan runs sufilter once per shot.
const BandpassPlans::Plan* BandpassPlans::get(int n) {
  std::lock_guard<std::mutex> lock(PlannerLock());
  if (auto it = plans_.find(n); it != plans_.end()) return it->second.get();
  const int m = n / 2;
  // Planned on arrays of the alignment every filter's work space has; an
  // estimated plan does not touch them.
  auto* a = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(m)));
  auto* b = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(m)));
  void* fft = a && b ? fftwf_plan_dft_1d(m, a, b, FFTW_FORWARD, FFTW_ESTIMATE) : nullptr;
  fftwf_free(a);
  fftwf_free(b);
  if (!fft) return nullptr;
  auto p = std::make_unique<Plan>();
  p->fft = fft;
  // exp(-i pi k / m): a quarter of them computed, the rest mirrored
  // (w[m-k] = -conj w[k]; w[m/2-k] = -i conj w[k] for even m).
  auto& w = p->twiddle;
  w.resize(static_cast<size_t>(m) + 1);
  for (int k = 0; k <= m; ++k) {
    auto& wk = w[static_cast<size_t>(k)];
    if (2 * k > m) {
      const auto& o = w[static_cast<size_t>(m - k)];
      wk = {-o.re, o.im};
    } else if (m % 2 == 0 && 4 * k > m) {
      const auto& o = w[static_cast<size_t>(m / 2 - k)];
      wk = {-o.im, -o.re};
    } else {
      const double angle = -2.0 * std::numbers::pi * k / n;
      wk = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
    }
  }
  return (plans_[n] = std::move(p)).get();
}

namespace {

// Work space of the alignment FFTW's vector code wants (that of the planning
// arrays), from the C library: safe on any thread.
constexpr size_t kAlign = 64;
BandpassPlans::Complex* AlignedComplex(int m) {
  const size_t bytes = (sizeof(BandpassPlans::Complex) * static_cast<size_t>(m) + kAlign - 1) / kAlign * kAlign;
  return static_cast<BandpassPlans::Complex*>(std::aligned_alloc(kAlign, bytes));
}

}  // namespace

BandpassFilter::BandpassFilter(const BandpassSpec& desc, std::shared_ptr<BandpassPlans> plans)
    : desc_(desc), plans_(plans ? std::move(plans) : std::make_shared<BandpassPlans>()) {}

BandpassFilter::~BandpassFilter() { release(); }

void BandpassFilter::release() {
  std::free(buf_);
  std::free(out_);
  buf_ = out_ = nullptr;
  plan_ = nullptr;
  ns_ = nfft_ = 0;
}

Status BandpassFilter::prepare(int ns, double dt) {
  if (ns <= 0) return Status::failure("ns=" + std::to_string(ns) + ": samples per trace must be positive");
  if (!(dt > 0) || !std::isfinite(dt)) return Status::failure("the sample interval must be positive");
  if (ns != ns_) {
    const int n = PaddedLength(ns);
    if (n != nfft_) {
      release();
      const int m = n / 2;
      buf_ = AlignedComplex(m);
      out_ = AlignedComplex(m);
      plan_ = buf_ && out_ ? plans_->get(n) : nullptr;
      if (!plan_) {
        const bool memory = !buf_ || !out_;
        release();
        return Status::failure(memory ? "out of memory for a transform of " + std::to_string(n) + " samples"
                                      : "no transform plan for " + std::to_string(n) + " samples");
      }
      nfft_ = n;
      dt_ = 0;  // the response must be sampled again
    }
    ns_ = ns;
  }
  if (dt != dt_) {
    const int bins = nfft_ / 2 + 1;
    gain_.resize(static_cast<size_t>(bins));
    const double df = 1.0 / (nfft_ * dt);
    // The inverse below is one of length N/2: its scale is 2/N.
    for (int k = 0; k < bins; ++k)
      gain_[static_cast<size_t>(k)] = static_cast<float>(BandpassResponse(desc_, k * df) * 2.0 / nfft_);
    const int m = nfft_ / 2;
    passed_.clear();
    for (int k = 0; 2 * k <= m; ++k)
      if (gain_[static_cast<size_t>(k)] != 0 || gain_[static_cast<size_t>(m - k)] != 0) passed_.push_back(k);
    dt_ = dt;
  }
  return Status::good();
}

Status BandpassFilter::apply(float* x, int ns, double dt) {
  if (auto st = prepare(ns, dt); !st) return st;
  const int m = nfft_ / 2;
  auto* in = reinterpret_cast<fftwf_complex*>(buf_);
  auto* z = reinterpret_cast<fftwf_complex*>(out_);
  const auto fft = static_cast<fftwf_plan>(plan_->fft);
  // Even samples as real parts, odd ones as imaginary parts, zero padded:
  // that is the trace's own layout in memory.
  float* inf = reinterpret_cast<float*>(in);
  std::memcpy(inf, x, sizeof(float) * static_cast<size_t>(ns));
  std::memset(inf + ns, 0, sizeof(float) * static_cast<size_t>(nfft_ - ns));
  fftwf_execute_dft(fft, in, z);

  const float* g = gain_.data();
  const Complex* w = plan_->twiddle.data();
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
  // Bins k and M-k need each other: both are done in one pass, only where
  // the response is not 0 at both (a band-pass passes few of the bins).
  std::memset(in, 0, sizeof(fftwf_complex) * static_cast<size_t>(m));
  for (const int k : passed_) {
    const int l = m - k;
    const Complex yk = filtered(k), yl = filtered(l);
    pack(k, yk, yl);
    if (l != k && l < m) pack(l, yl, yk);
  }
  fftwf_execute_dft(fft, in, z);
  // Undo the conjugation: the odd samples are the negated imaginary parts.
  const float* zf = reinterpret_cast<const float*>(z);
  int i = 0;
  for (; i + 1 < ns; i += 2) {
    x[i] = zf[i];
    x[i + 1] = -zf[i + 1];
  }
  if (i < ns) x[i] = zf[i];
  return Status::good();
}

}  // namespace keld::sutools
