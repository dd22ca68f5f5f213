#pragma once
// Synthetic CDP-sorted SU files for the tests and benchmarks of velscan and of
// the sort, NMO and stack programs: one reflection (a 25 Hz Ricker wavelet) at
// a zero-offset time t0, moved out along sqrt(t0^2 + x^2 / v^2).
#include <functional>
#include <string>
#include <vector>

#include "common/su_file.hpp"

namespace keld::velscan::testing {

struct SyntheticCdp {
  std::vector<int> folds;            // traces of each CDP, from first_cdp up
  int first_cdp = 100;
  int ns = 500;
  int dt_us = 2000;
  int delrt_ms = 0;
  double t0 = 0.4;                   // seconds
  std::function<double(int cdp)> velocity = [](int) { return 2000.0; };
  double offset0 = 50, doffset = 100;  // offset of the j-th trace of a CDP
  bool store_offsets = true;         // false: every offset word 0
  bool shuffle = false;              // traces in a scrambled order (not CDP-sorted)
};

std::vector<SuTrace> MakeCdpTraces(const SyntheticCdp& s);
void WriteCdpFile(const std::string& path, const SyntheticCdp& s);

// The Ricker wavelet of peak frequency f at time tau from its centre.
double Ricker(double tau, double f = 25.0);

}  // namespace keld::velscan::testing
