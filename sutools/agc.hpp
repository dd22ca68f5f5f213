#pragma once
// Automatic gain control: each sample divided by the RMS amplitude of the
// samples in a window around it, so every part of a trace comes out at about
// unit level. The window is the one Seismic Unix's sugain uses, so batch
// files written for it give the same traces: h = NINT(wagc / dt) / 2 whole
// samples (integer halving), and sample i is divided by the RMS of samples
// i - h to i + h - 1, the window cut short by the trace ends.
#include <vector>

namespace keld::sutools {

// h for a window of `wagc` seconds at a sample interval of `dt` seconds:
// NINT(wagc / dt) / 2 in whole numbers (0.1 s at 4 ms: 25 / 2 = 12), at
// least 0.
int AgcHalfWindow(double wagc, double dt);

class Agc {
 public:
  // Gains ns samples in place with the window of samples i - half to
  // i + half - 1 (half below 1 is taken as 1, so the window is never empty).
  // A sample whose window holds only zeros stays 0. O(ns): the sum of squares runs
  // along the trace, and is summed afresh once per window length so that
  // rounding left by a loud event cannot build up over a long trace.
  void apply(float* x, int ns, int half);

 private:
  std::vector<double> sq_;    // squares of the samples as they came in, padded
  std::vector<double> sums_;  // sum of squares in the window of each sample
};

}  // namespace keld::sutools
