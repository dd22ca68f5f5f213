#pragma once
// SU files for the display's tests, benchmark and screenshots: a plausible
// shot (first breaks moving out with offset, a reflection, decaying wavelets,
// a little noise), and files of given traces written sample by sample.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::korvan::testing {

struct ShotSpec {
  int traces = 24;
  int ns = 1024;
  int dt_us = 1000;
  double spacing_m = 5;      // receiver spacing
  double shot_m = -2.5;      // shot position; the first receiver is at 0
  double noise = 0.01;       // relative to the first arrival's peak
  bool quiet_start = false;  // exact zeros before the first break
  uint32_t seed = 1;
};

// The samples of each trace of the shot.
std::vector<std::vector<float>> SyntheticShot(const ShotSpec& desc);

// Writes traces of equal length as a little-endian SU file; false on failure.
bool WriteTraces(const std::string& path, const std::vector<std::vector<float>>& traces, int dt_us,
                 int16_t delrt = 0);

}  // namespace keld::korvan::testing
