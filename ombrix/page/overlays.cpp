#include "ombrix/page/overlays.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/numtext.hpp"

namespace keld::ombrix {

namespace {

int32_t R32(double v) { return static_cast<int32_t>(std::clamp(RoundHalfEven(v), -2147483648.0, 2147483647.0)); }

bool Header(SuReader& su, const Frame& f, int32_t k, SuTraceHeader& h) {
  const int64_t j = f.file_trace(k);
  return j >= 0 && j < su.traces() && su.read_header(j, h);
}

}  // namespace

void Affichage_Label(Document& vp, const Frame& f, SuReader& su) {
  f.mv.Label_Spacing = Val(f.c.Text10);
  vp.style.font_size = 9;
  // The caption heads the row of numbers: lower, it would cover the time of
  // the section's top edge.
  vp.CurrentX = f.L - 550;
  vp.CurrentY = f.T - 300;
  vp.Print(f.c.CDP == 1 ? "CDP" : "Trace");
  const double step = RoundHalfEven(f.mv.Label_Spacing);
  if (step <= 0) return;
  SuTraceHeader h;
  for (double k = f.mv.first; k <= f.mv.last; k += step) {
    const int32_t kk = static_cast<int32_t>(k);
    if (!Header(su, f, kk, h)) continue;
    const int32_t x = f.x(kk);
    vp.CurrentX = x - 100;
    vp.CurrentY = f.T - 300;
    vp.Print(Str(f.c.CDP == 1 ? h.cdp : h.tracl));
    vp.Line(x, f.T, x, f.T - 70);
  }
}

void Affichage_topo(Document& vp, const Frame& f, SuReader& su) {
  if (f.mv.last < f.mv.first) return;
  const double dt_ms = f.su.dt / 1000.0;
  std::vector<Pt> pts;
  SuTraceHeader h;
  int32_t y_first = f.T, y_last = f.T;
  std::vector<Pt> middle;
  for (int32_t k = f.mv.first; k <= f.mv.last; ++k) {
    if (!Header(su, f, k, h)) continue;
    const int32_t y = R32(f.T + f.mv.V * h.tstat / dt_ms);
    if (middle.empty()) y_first = y;
    y_last = y;
    middle.push_back({f.x(k), y});
  }
  pts.push_back({f.L, y_first});
  pts.insert(pts.end(), middle.begin(), middle.end());
  pts.push_back({f.L + f.W, y_last});
  vp.style.pen_colour = 0x008000;
  vp.style.pen_width = 20;
  vp.Polyline(std::move(pts));
  vp.style.pen_colour = 0;
  vp.style.pen_width = 0;
}

void Affichage_Fold(Document& vp, const Frame& f, SuReader& su) {
  if (f.mv.last < f.mv.first) return;
  std::vector<std::pair<int32_t, int>> folds;  // column x, fold
  int fmax = 0;
  SuTraceHeader h;
  for (int32_t k = f.mv.first; k <= f.mv.last; ++k) {
    if (!Header(su, f, k, h)) continue;
    folds.push_back({f.x(k), h.nhs});
    fmax = std::max(fmax, h.nhs == 0 ? 1 : int(h.nhs));
  }
  const double text15 = Val(f.c.Text15);
  if (text15 != 0) {
    if (auto v = CInt(text15)) fmax = *v;
  }
  // A maximum below 1 would divide by zero or turn the band over.
  const double scale_max = fmax < 1 ? 1 : fmax;
  const int32_t bottom = f.T + f.H + 1100;
  std::vector<Pt> curve;
  for (auto [x, fold] : folds) curve.push_back({x, R32(bottom - 780.0 / scale_max * fold)});
  if (curve.empty()) return;
  std::vector<Pt> pts;
  pts.push_back({f.L, curve.front().y});
  pts.insert(pts.end(), curve.begin(), curve.end());
  pts.push_back({f.L + f.W, curve.back().y});
  vp.style.pen_colour = 255;
  vp.style.pen_width = 10;
  vp.Polyline(pts);
  vp.style.fill_colour = 0xE0E0E0;
  vp.style.fill_style = 0;
  pts.push_back({f.L + f.W, bottom});
  pts.push_back({f.L, bottom});
  vp.Polygon(std::move(pts));
  vp.style.fill_colour = 0;
  vp.style.fill_style = 1;
  vp.style.pen_colour = 0;
  vp.style.pen_width = 0;
  if (fmax == 1) {
    if (f.hooks.messages) f.hooks.messages->ok("Fold max=1 !", MsgIcon::Critical, kOmbrixTitle);
    return;
  }
  vp.Polygon({{f.L, f.T + f.H + 300}, {f.L, bottom}, {f.L + f.W, bottom}, {f.L + f.W, f.T + f.H + 300}});
  vp.Line(f.L, f.T + f.H + 700, f.L + f.W, f.T + f.H + 700);
  vp.style.font_size = 8;
  vp.CurrentX = f.L - 650;
  vp.CurrentY = f.T + f.H + 1000;
  vp.Print("Fold 1");
  vp.CurrentX = f.L - 650;
  vp.CurrentY = f.T + f.H + 200;
  vp.Print("Fold " + Str(fmax));
}

void Affichage_line_Temps(Document& vp, const Frame& f) {
  if (f.su.dt <= 0 || f.mv.S <= 0) return;
  const double step = f.mv.Time_Line * 1000 / f.su.dt;
  auto istep = CInt(step);
  if (step == 0 || !istep || *istep <= 0) return;
  // The first line is the frame's top edge, at delrt: its time is printed
  // like every other line's.
  for (int32_t i = 0; i <= f.mv.S; i += *istep) {
    const int32_t y = R32(f.T + double(f.H) * i / f.mv.S);
    if (i > 0) vp.Line(f.L, y, f.L + f.W, y);
    vp.style.font_size = 8;
    vp.CurrentX = f.L - 400;
    vp.CurrentY = y - 100;
    vp.Print(Str(f.su.delrt + double(i) * f.su.dt / 1000));  // the section starts at delrt
  }
}

}  // namespace keld::ombrix
