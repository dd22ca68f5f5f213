#include "korvan/display/normalisation.hpp"

#include <cmath>
#include <limits>

#include "common/numtext.hpp"
#include "korvan/display/display_params.hpp"

namespace keld::korvan {

double Normaliser::LargestSample(const float* samples, int upto, int step) {
  double r = -std::numeric_limits<double>::infinity();
  for (int k = 1; k <= upto; k += step)
    if (samples[k - 1] > r) r = samples[k - 1];  // NaN never wins
  return r;
}

double Normaliser::HalfRule(const float* samples, int ns, int step) {
  // Starting from 0, a sample replaces the reference when its half is larger.
  float r = 0;
  for (int k = 1; k <= ns; k += step) {
    float v = samples[k - 1];
    if (static_cast<float>(v / 2.0) > r) r = v;
  }
  return r;
}

double Normaliser::Next(const float* samples, int ns, bool first_trace) {
  switch (egali_) {
    case kTrueAmplitude:
      if (first_trace) {
        double r = LargestSample(samples, ns, step_) + 0.0001;
        if (r > 0 && std::isfinite(r)) factor_ = 500 / r;
      }
      break;
    case kNormalEqualization:
    case kAverageEqualization:
    case kQuarterEqualization: {
      double r = egali_ == kNormalEqualization   ? LargestSample(samples, ns, step_)
                 : egali_ == kAverageEqualization ? HalfRule(samples, ns, step_)
                                                  : LargestSample(samples, static_cast<int>(RoundHalfEven(ns / 4.0)), step_);
      if (r > 0 && std::isfinite(r)) factor_ = 500 / r;
      break;
    }
    default:
      factor_ = 1;
  }
  return factor_;
}

}  // namespace keld::korvan
