#include "conversion/shell/trial_display.hpp"

#include <algorithm>
#include <cmath>

#include "common/numtext.hpp"
#include "common/su_file.hpp"

namespace keld::conversion {

namespace {

constexpr double kUnitsAcross = 480;

}  // namespace

Result<TrialPicture> LayOutTrial(const std::string& su_path, double amplitude, int width, int height) {
  SuReader reader;
  if (auto s = reader.open(su_path); !s) return Result<TrialPicture>::failure(s.error);
  TrialPicture pic;
  pic.ns = reader.ns();
  pic.dt = reader.layout().dt;
  const int ns = pic.ns;
  auto px = [&](double x) { return static_cast<int>(std::lround(x * width / kUnitsAcross)); };
  auto py = [&](int j) { return static_cast<int>(std::lround(static_cast<double>(j) * height / ns)); };
  double factor = 0;
  SuTrace t;
  const int64_t n = std::min<int64_t>(kTrialTraces, reader.traces());
  for (int64_t k = 0; k < n; ++k) {
    if (!reader.read(k, t)) return Result<TrialPicture>::failure(reader.error());
    TrialTrace tr;
    float m = 0;
    for (float v : t.samples)
      if (v > m) m = v;
    if (m != 0) factor = 10.0 / m;
    const double x0 = 20.0 * static_cast<double>(k) + 10;
    std::vector<Pixel> lobe;
    double prev = 0;
    tr.line.reserve(static_cast<size_t>(ns));
    for (int j = 1; j <= ns; ++j) {
      double a = t.samples[static_cast<size_t>(j - 1)] * factor * amplitude;
      if (!std::isfinite(a)) a = 0;
      a = std::clamp(a, -1e6, 1e6);
      const Pixel p{px(x0 + a), py(j)}, z{px(x0), py(j)};
      if (a > 0 && (j == 1 || prev <= 0)) lobe = {z};
      if (a > 0) lobe.push_back(p);
      if (a <= 0 && j > 1 && prev > 0) {
        lobe.push_back(z);
        tr.lobes.push_back(std::move(lobe));
        lobe.clear();
      }
      tr.line.push_back(p);
      prev = a;
    }
    // A lobe still open at the last sample is closed on the zero line and
    // filled like the others.
    if (!lobe.empty()) {
      lobe.push_back(Pixel{px(x0), py(ns)});
      tr.lobes.push_back(std::move(lobe));
    }
    pic.traces.push_back(std::move(tr));
  }
  return pic;
}

std::string TrialTip(int dt, double x, double y) {
  const float time = static_cast<float>(dt * y / 1000.0);
  const int trace = static_cast<int>(std::floor(x / 20));
  return StrSingle(time) + " ms Trace=" + Str(trace);
}

}  // namespace keld::conversion
