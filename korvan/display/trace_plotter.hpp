#pragma once
// The device points of each trace and the shapes they make, by display mode:
// one polyline a trace in the wiggle modes, one polygon a lobe in the filled
// modes. Pure logic: the shapes go to a sink (the picture box, or a test).
#include <QPoint>

#include <cstdint>
#include <vector>

#include "korvan/display/display_params.hpp"

namespace keld::korvan {

class ShapeSink {
 public:
  virtual ~ShapeSink() = default;
  virtual void Polyline(const QPoint* pts, int n, uint32_t pen) = 0;
  virtual void Polygon(const QPoint* pts, int n, uint32_t pen, uint32_t fill) = 0;
};

// How display units and samples map to device pixels.
struct PlotFrame {
  double U = 1;        // display units a pixel column
  double S = 1;        // samples a pixel row (0 or less: every sample on row 0)
  int first = 1;       // first sample drawn (1-based)
  int last = 1;        // last sample drawn
  int step = 1;
  int bottom_row = 0;  // row of the last sample of the window
};

// Nearest whole pixel, halves to even, clamped far outside any picture.
int RoundPixel(double v);

class TracePlotter {
 public:
  TracePlotter(const DrawParams& p, const PlotFrame& f, ShapeSink& sink);

  // One trace: `samples` holds its ns samples (samples[0] is sample 1),
  // `column` counts from 0 for the first trace drawn, F is the amplitude
  // factor (polarity x normalisation x gain). The in-lobe state and the
  // previous amplitude carry over into the next trace, as one drawing goes.
  void Plot(const float* samples, int ns, int column, double F);

  int in_lobe() const { return L_; }
  float previous() const { return p_; }

 private:
  void wiggle_filled(int x, int y, int x0, float a);
  void variable_area(int x, int y, int x0, float a, bool first);
  void two_colour(int x, int y, int x0, float a, bool first);

  DrawParams p_params_;
  PlotFrame f_;
  ShapeSink& sink_;
  int L_ = 0;      // 1 while inside a lobe right of the zero line
  float p_ = 0;    // amplitude of the previous sample drawn
  std::vector<QPoint> T_, N_;  // Points_Trace, Points_Negatifs
};

}  // namespace keld::korvan
