#pragma once
// Values of a uniformly sampled trace between its samples, from the eight
// samples around each position. The eight weights of each fractional position
// are the least-squares fit of a band-limited signal up to 65 % of Nyquist,
// so a sine below 60 % of Nyquist is reproduced within 1 % in amplitude.
// The weights are tabulated at 1/512 of a sample.
#include <array>
#include <cstddef>
#include <vector>

namespace keld::sutools {

class Interp8 {
 public:
  Interp8();
  // The trace x[0..n-1] at position pos (in samples from x[0]); samples
  // outside the trace count as 0.
  float at(const float* x, int n, double pos) const;
  // The weights applied to x[floor(pos) - 3 .. floor(pos) + 4] for a
  // fractional part `frac` in [0, 1].
  const std::array<float, 8>& weights(float frac) const { return table_[static_cast<std::size_t>(row(frac))]; }

  // The row weights() takes for `frac`: round(frac * kSteps), within the table.
  static int row(float frac) {
    int i = static_cast<int>(frac * kSteps + 0.5f);
    return i < 0 ? 0 : (i > kSteps ? kSteps : i);
  }
  // Rows 0 .. kSteps, each the eight weights of one fractional position.
  const std::array<float, 8>* rows() const { return table_.data(); }

  static constexpr int kSteps = 512;

 private:
  std::vector<std::array<float, 8>> table_;  // kSteps + 1 rows
};

// The shared table (built once).
const Interp8& SharedInterp8();

}  // namespace keld::sutools
