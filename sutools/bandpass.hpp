#pragma once
// Zero-phase band-pass filtering of traces in the frequency domain.
//
// The amplitude response is given at four corner frequencies; between two
// corners it moves from one amplitude to the next along a sine-squared curve,
// and outside the corners it stays at the first or last amplitude. The phase is
// left untouched (the response is real), so events do not move in time.
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "common/result.hpp"

namespace keld::sutools {

struct BandpassSpec {
  std::array<double, 4> f{};                      // corner frequencies, Hz, non-decreasing
  std::array<double, 4> amps{0.0, 1.0, 1.0, 0.0};  // amplitude at each corner
};

// Checks the lists given as f= and amps= (amps may be empty for 0,1,1,0).
Result<BandpassSpec> MakeBandpassSpec(const std::vector<double>& f, const std::vector<double>& amps);

// Amplitude of the response at `freq` Hz (any frequency, also past Nyquist).
double BandpassResponse(const BandpassSpec& desc, double freq);

// Smallest length >= n of the form 2^a, 3 * 2^a, 5 * 2^a or 15 * 2^a.
int FftFriendlySize(int n);
// The transform length for a trace of ns samples: zero padding to at least 1.5
// times the trace, so the filtered trace does not wrap around its ends; even,
// and twice a length FftFriendlySize gives.
int PaddedLength(int ns);

// The transforms of each padded length, shared by the filters of several
// threads: each length is planned once, under a lock (planning is not safe
// on two threads at once), and plans are only executed after that, which is.
// Plans stay while the set lives: there are a few dozen padded lengths at most.
class BandpassPlans {
 public:
  struct Complex {
    float re = 0, im = 0;
  };
  struct Plan {
    void* fft = nullptr;           // complex forward transform of length n/2
    std::vector<Complex> twiddle;  // exp(-2 pi i k / n), k = 0..n/2
  };
  BandpassPlans() = default;
  ~BandpassPlans();
  BandpassPlans(const BandpassPlans&) = delete;
  BandpassPlans& operator=(const BandpassPlans&) = delete;
  // The plan for padded length n (even); nullptr when none can be made.
  const Plan* get(int n);

 private:
  std::map<int, std::unique_ptr<Plan>> plans_;
};

// Filters traces one at a time. The transform and the sampled response are
// made for the first trace of a given length and interval and reused for
// every following one of the same shape. Filters on several threads share
// their plans through one BandpassPlans; each has its own work space.
class BandpassFilter {
 public:
  explicit BandpassFilter(const BandpassSpec& desc, std::shared_ptr<BandpassPlans> plans = nullptr);
  ~BandpassFilter();
  BandpassFilter(const BandpassFilter&) = delete;
  BandpassFilter& operator=(const BandpassFilter&) = delete;

  // Filters ns samples in place; dt is the sample interval in seconds (> 0).
  Status apply(float* x, int ns, double dt);
  int padded_length() const { return nfft_; }

 private:
  using Complex = BandpassPlans::Complex;
  Status prepare(int ns, double dt);
  void release();

  BandpassSpec desc_;
  std::shared_ptr<BandpassPlans> plans_;
  const BandpassPlans::Plan* plan_ = nullptr;
  int ns_ = 0, nfft_ = 0;
  double dt_ = 0;
  Complex* buf_ = nullptr;  // nfft_/2 values: the packed trace, the packed filtered spectrum
  Complex* out_ = nullptr;  // nfft_/2 values: their transforms
  std::vector<float> gain_;   // response per frequency bin, with the 2/nfft scale
  std::vector<int> passed_;   // the k <= M/2 where bin k or bin M-k has a response
};

}  // namespace keld::sutools
