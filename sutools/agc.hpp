#pragma once
// Automatic gain control: each sample divided by the RMS amplitude of the
// samples in a window centred on it, so every part of a trace comes out at
// about unit level. Near the trace ends the window is cut short by the ends.
#include <vector>

namespace keld::sutools {

// Samples on each side of the centre for a window of `wagc` seconds at a
// sample interval of `dt` seconds: round(wagc / (2 dt)), at least 0.
int AgcHalfWindow(double wagc, double dt);

class Agc {
 public:
  // Gains ns samples in place with a window of 2 half + 1 samples. A sample
  // whose window holds only zeros stays 0. O(ns): the sum of squares runs
  // along the trace, and is summed afresh once per window length so that
  // rounding left by a loud event cannot build up over a long trace.
  void apply(float* x, int ns, int half);

 private:
  std::vector<double> sq_;    // squares of the samples as they came in, padded
  std::vector<double> sums_;  // sum of squares in the window of each sample
};

}  // namespace keld::sutools
