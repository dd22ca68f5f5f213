#pragma once
// What a good read of a simulated unit must leave in the link's arrays, and
// pumps that stand in for the window system in the link's tests.
#include <functional>
#include <vector>

#include "boardsim/samples.hpp"
#include "platform/pump.hpp"

namespace keld::board::testing {

// Samples 0..blocks*64-1 as the unit sent them, with the mean of samples
// 1..n-1 (summed in single precision) taken off samples 0..n-1.
inline std::vector<float> DemeanedFloat(const sim::ShotSpec& s, int unit, int n, int blocks) {
  const auto raw = sim::UnitSamples(s, unit, 0, int64_t{blocks} * 64);
  std::vector<float> f(raw.begin(), raw.end());
  if (n >= 2) {
    float sum = 0;
    for (int i = 1; i < n; ++i) sum += f[static_cast<size_t>(i)];
    const float mean = sum / static_cast<float>(n - 1);
    for (int i = 0; i < n; ++i) f[static_cast<size_t>(i)] -= mean;
  }
  return f;
}

inline std::vector<double> DemeanedDouble(const sim::ShotSpec& s, int unit, int n, int blocks) {
  const auto raw = sim::UnitSamples(s, unit, 0, int64_t{blocks} * 64);
  std::vector<double> d(raw.begin(), raw.end());
  if (n >= 2) {
    double sum = 0;
    for (int i = 1; i < n; ++i) sum += d[static_cast<size_t>(i)];
    const double mean = sum / (n - 1);
    for (int i = 0; i < n; ++i) d[static_cast<size_t>(i)] -= mean;
  }
  return d;
}

// Counts its passes and runs `at_pass` once when the count reaches `when`.
struct ScriptedPump : EventPump {
  int passes = 0;
  int when = -1;
  std::function<void()> at_pass;
  std::function<void()> every_pass;
  void pump() override {
    ++passes;
    if (every_pass) every_pass();
    if (passes == when && at_pass) at_pass();
  }
};

inline double SecondsSince(MonoClock::time_point t0) {
  return std::chrono::duration<double>(MonoClock::now() - t0).count();
}

}  // namespace keld::board::testing
