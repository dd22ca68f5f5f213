#pragma once
// One gather (or record) of the file in memory, its NMO correction at a
// constant velocity and the stacked-amplitude sums of the panel beside it.
// Samples are counted from 0; sample i lies at delrt + i dt, the time axis of
// the batch's NMO.
#include <cstdint>
#include <string>
#include <vector>

#include "common/su_file.hpp"

namespace keld::velscan {

struct Gather {
  std::vector<int64_t> traces;  // 0-based traces of the file, in file order
  int ns = 0;
  std::vector<SuTraceHeader> headers;
  std::vector<float> samples;  // trace j at samples[j * ns]
  int count() const { return static_cast<int>(headers.size()); }
  const float* trace(int j) const { return samples.data() + static_cast<size_t>(j) * ns; }
  bool dead(int j) const { return headers[static_cast<size_t>(j)].trid == 2; }
};

// Reads the traces named (each checked against the file).
bool ReadGather(SuReader& r, const std::vector<int64_t>& traces, Gather& g, std::string& error);

// The offsets the correction uses: each trace's header offset as stored when
// any trace of the gather has one; otherwise (j x spacing) - offset1 for the
// j-th trace from 0 (offset1 negative when the shot is ahead of the line).
std::vector<double> GatherOffsets(const Gather& g, double spacing, double offset1);
bool HasHeaderOffsets(const Gather& g);

// The gather corrected at `velocity` (m/s) with the batch's NMO and stretch
// mute `smute`; dt in microseconds, delrt in milliseconds.
std::vector<float> NmoGather(const Gather& g, const std::vector<double>& offsets, double velocity, double smute,
                             int dt_us, int delrt_ms);

// The display window: samples first .. last (0-based, inclusive) at `step`.
struct Window {
  int first = 0, last = 0, step = 1;
};

// Each trace's drawing gain: 1000 over its largest positive sample in the
// window; a trace without one keeps the gain of the trace before (0 at the
// start). Dead traces keep it too and get 0.
std::vector<double> TraceGains(const float* data, int n, int ns, const std::vector<bool>& dead, const Window& w);

struct PanelSums {
  std::vector<float> sum;  // ns values; only the window's samples at its step are summed
  int32_t max = 0;         // the largest value a sum reached while adding, the panel's full scale
};

// The stack of the live traces, each scaled by its gain.
PanelSums StackPanel(const float* data, int n, int ns, const std::vector<bool>& dead,
                     const std::vector<double>& gains, const Window& w);

}  // namespace keld::velscan
