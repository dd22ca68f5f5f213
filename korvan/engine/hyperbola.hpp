#pragma once
// The travel-time curve of a reflection from a horizontal reflector, as the
// points laid over the seismogram: one point per receiver, at the receiver's
// trace column and at the sample of its two-way time.
#include <cstdint>
#include <vector>

namespace keld::korvan {

// Two-way time in ms for a source-receiver distance h over a reflector at
// `depth`: 2 sqrt((h / 2)^2 + depth^2) / velocity x 1000.
double TwoWayTimeMs(double h, double depth, double velocity);

struct HyperbolaInputs {
  double spacing = 0;     // Intertrace, receiver spacing
  double depth = 0;       // reflector depth
  double velocity = 0;    // reflector velocity
  double shot = 0;        // shot distance from the first receiver; <= 0 before the spread
  int frequency = 0;      // Freq_Campionamento, Hz
  double x0 = 0;          // left edge of the first trace column on the display
  double column = 1000;   // width of a trace column
  int32_t receivers = 0;  // traces drawn
};

struct HyperbolaPoint {
  int32_t column = 0;    // 0 for the first receiver
  double h = 0;          // source-receiver distance used
  double x = 0, y = 0;   // display point: the column's zero line, the sample of the time
  bool starts_run = false;  // drawn as a dot; the others as a line from the previous point
};

// A shot at or before the first receiver gives one run over every receiver,
// h = k x spacing - shot for column k. A shot inside the spread is taken
// between columns n and n + 1 (n = Int(shot / spacing)), each one spacing
// from it: a run from column n down to the first column and a run from
// column n + 1 to the last, h growing by a spacing per column. A spacing, a
// velocity or a frequency of 0 or less gives no point.
std::vector<HyperbolaPoint> HyperbolaPoints(const HyperbolaInputs& in);

}  // namespace keld::korvan
