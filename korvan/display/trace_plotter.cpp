#include "korvan/display/trace_plotter.hpp"

#include <algorithm>
#include <cmath>

namespace keld::korvan {

int RoundPixel(double v) {
  constexpr double kLimit = 1 << 22;  // pixels; anything further is off any picture
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

TracePlotter::TracePlotter(const DrawParams& p, const PlotFrame& f, ShapeSink& sink)
    : p_params_(p), f_(f), sink_(sink) {
  if (f_.step < 1) f_.step = 1;
  int m = p_params_.Mode_Affichage;
  if (m != kModeWiggle && m != kModeVariableArea && m != kModeTwoColour) p_params_.Mode_Affichage = kModeWiggleFilled;
  size_t rows = f_.last >= f_.first ? static_cast<size_t>((f_.last - f_.first) / f_.step + 1) : 0;
  T_.reserve(2 * rows + 2);
  if (p_params_.Mode_Affichage == kModeTwoColour) N_.reserve(rows + 2);
}

void TracePlotter::Plot(const float* samples, int ns, int column, double F) {
  const double centre = 1000.0 * column + 500;
  const int x0 = RoundPixel(centre / f_.U);
  const int mode = p_params_.Mode_Affichage;
  T_.clear();
  N_.clear();
  const int last = std::min(f_.last, ns);
  for (int s = f_.first; s <= last; s += f_.step) {
    const int y = f_.S > 0 ? RoundPixel((s - f_.first) / f_.S) : 0;
    float v = samples[s - 1];
    if (std::isnan(v)) v = 0;
    float a = static_cast<float>(v * F);
    if (p_params_.cclip && std::fabs(a) > 500) a = a > 0 ? 500.0f : -500.0f;
    const int x = RoundPixel((centre + a) / f_.U);
    const bool first = s == f_.first;
    switch (mode) {
      case kModeWiggle: T_.emplace_back(x, y); break;
      case kModeVariableArea: variable_area(x, y, x0, a, first); break;
      case kModeTwoColour: two_colour(x, y, x0, a, first); break;
      default: wiggle_filled(x, y, x0, a); break;
    }
    p_ = a;
  }
  // The trace closes on the zero line at the bottom of the window drawn.
  T_.emplace_back(x0, f_.bottom_row);
  if (mode == kModeWiggle || mode == kModeWiggleFilled)
    sink_.Polyline(T_.data(), static_cast<int>(T_.size()), kBlack);
}

void TracePlotter::wiggle_filled(int x, int y, int x0, float a) {
  T_.emplace_back(x, y);
  if (a > 0) T_.emplace_back(x0, y);  // a stroke back to the zero line fills the right side
}

void TracePlotter::variable_area(int x, int y, int x0, float a, bool first) {
  if (first && a > 0) T_.emplace_back(x0, y);
  if (p_ <= 0 && a > 0) {
    T_.emplace_back(x0, y);
    L_ = 1;
  }
  if (a > 0 && L_ == 1) T_.emplace_back(x, y);
  if (p_ > 0 && a <= 0) {
    T_.emplace_back(x0, y);
    L_ = 0;
    sink_.Polygon(T_.data(), static_cast<int>(T_.size()), kBlack, p_params_.Couleur_Remplissage);
    T_.clear();
  }
}

void TracePlotter::two_colour(int x, int y, int x0, float a, bool first) {
  if (first && a > 0) T_.emplace_back(x0, y);
  if (first && a < 0) N_.emplace_back(x0, y);
  if (p_ <= 0 && a > 0) {
    T_.emplace_back(x0, y);
    L_ = 1;  // a right lobe starts here, also after exact zeros
  }
  if (a >= 0 && L_ == 1) T_.emplace_back(x, y);
  if (a <= 0 && L_ == 0) N_.emplace_back(x, y);
  if (p_ > 0 && a <= 0) {
    N_.emplace_back(x0, y);
    T_.emplace_back(x0, y);
    sink_.Polygon(T_.data(), static_cast<int>(T_.size()), p_params_.Couleur_Positive, p_params_.Couleur_Positive);
    T_.clear();
    L_ = 0;
  }
  if (p_ < 0 && a >= 0) {
    N_.emplace_back(x0, y);
    sink_.Polygon(N_.data(), static_cast<int>(N_.size()), p_params_.Couleur_Negative, p_params_.Couleur_Negative);
    N_.clear();
    L_ = 1;
  }
}

}  // namespace keld::korvan
