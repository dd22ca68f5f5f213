#pragma once
// The numbers behind a row's display: the RMS and dynamic range of a filtered
// trace as the labels show them, and the polyline of a trace in the row
// picture's units.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "boardtest/engine/console_state.hpp"

namespace keld::boardtest {

// Full scale of the units against which the dynamic range is given, in counts.
inline constexpr double kFullScale = 5949367.0;

struct RmsLabels {
  float rms = 0;          // over all N samples, single-precision sums
  std::string Label14;    // Format(rms x 0.95, "#0.0###")
  std::string Label23;    // Format(20 log10(full scale / rms), "#0.0"); "---" when rms is 0
};
RmsLabels Calcola_RMS(std::span<const double> y);

// Format(v, "#0.0###") and Format(v, "#0.0").
std::string FormatRms(double v);
std::string FormatDb(double v);

struct TracePoint {
  float x = 0, y = 0;
};

// Disegna_Traccia's polyline of y[0..N-1]: from (0, Y(y[k0-1])) to
// (dx, Y(y[k0])), then one point per sample k0+1..N-1, with
// Y(v) = Centro_Y - v x Scala. With Autoscala the scale first becomes
// picture_height / (2 x the larger of |max| and |min| of samples k0+1..N-1),
// so the trace fills its picture without leaving it; a flat trace keeps the
// scale in force. Empty when N is not above k0.
std::vector<TracePoint> Disegna_Traccia(BoardtestState& s, std::span<const double> y);

}  // namespace keld::boardtest
