#include "sutools/bandpass.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace keld::sutools {
namespace {

constexpr double kPi = std::numbers::pi;

BandpassSpec Spec(std::vector<double> f, std::vector<double> amps = {}) {
  auto s = MakeBandpassSpec(f, amps);
  EXPECT_TRUE(s.ok()) << s.error();
  return *s;
}

// Amplitude and phase of the sine at `freq` in x[from, to), by projection on
// sine and cosine over a whole number of periods.
struct Tone {
  double amp, phase;
};
Tone Measure(const std::vector<float>& x, double dt, double freq, int from, int to) {
  double a = 0, b = 0;
  for (int i = from; i < to; ++i) {
    double w = 2 * kPi * freq * i * dt;
    a += x[static_cast<size_t>(i)] * std::sin(w);
    b += x[static_cast<size_t>(i)] * std::cos(w);
  }
  a *= 2.0 / (to - from);
  b *= 2.0 / (to - from);
  return {std::hypot(a, b), std::atan2(b, a)};
}

TEST(BandpassResponse, ShapeOfTheDefaultBand) {
  auto s = Spec({10, 20, 60, 80});
  EXPECT_EQ(BandpassResponse(s, 0), 0);
  EXPECT_EQ(BandpassResponse(s, 9.99), 0);
  EXPECT_NEAR(BandpassResponse(s, 10), 0, 1e-12);
  EXPECT_NEAR(BandpassResponse(s, 15), 0.5, 1e-12);          // sin^2(pi/4)
  EXPECT_NEAR(BandpassResponse(s, 12.5), std::pow(std::sin(kPi / 8), 2), 1e-12);
  EXPECT_EQ(BandpassResponse(s, 20), 1);
  EXPECT_EQ(BandpassResponse(s, 40), 1);
  EXPECT_EQ(BandpassResponse(s, 60), 1);
  EXPECT_NEAR(BandpassResponse(s, 70), 0.5, 1e-12);
  EXPECT_NEAR(BandpassResponse(s, 75), std::pow(std::cos(kPi / 4 * 1.5), 2), 1e-12);
  EXPECT_EQ(BandpassResponse(s, 80), 0);
  EXPECT_EQ(BandpassResponse(s, 1e6), 0);
}

TEST(BandpassResponse, AmplitudesAtTheCornersAndConstantOutside) {
  auto s = Spec({10, 20, 60, 80}, {0.5, 1, 2, 0.25});
  EXPECT_EQ(BandpassResponse(s, 0), 0.5);
  EXPECT_EQ(BandpassResponse(s, 10), 0.5);
  EXPECT_NEAR(BandpassResponse(s, 15), 0.75, 1e-12);
  EXPECT_EQ(BandpassResponse(s, 20), 1);
  EXPECT_NEAR(BandpassResponse(s, 40), 1.5, 1e-12);  // sine-squared between f2 and f3 too
  EXPECT_EQ(BandpassResponse(s, 60), 2);
  EXPECT_NEAR(BandpassResponse(s, 70), 1.125, 1e-12);
  EXPECT_EQ(BandpassResponse(s, 80), 0.25);
  EXPECT_EQ(BandpassResponse(s, 500), 0.25);
}

TEST(BandpassResponse, EqualCornersMakeAStep) {
  auto s = Spec({10, 10, 60, 60});
  EXPECT_EQ(BandpassResponse(s, 9.999), 0);
  EXPECT_EQ(BandpassResponse(s, 10), 1);
  EXPECT_EQ(BandpassResponse(s, 59.999), 1);
  EXPECT_EQ(BandpassResponse(s, 60), 0);
}

TEST(BandpassSpec, RefusesBadLists) {
  EXPECT_FALSE(MakeBandpassSpec({10, 20, 60}, {}).ok());
  EXPECT_FALSE(MakeBandpassSpec({10, 20, 60, 80, 90}, {}).ok());
  EXPECT_FALSE(MakeBandpassSpec({10, 20, 60, 80}, {0, 1, 1}).ok());
  auto down = MakeBandpassSpec({10, 30, 20, 80}, {});
  ASSERT_FALSE(down.ok());
  EXPECT_NE(down.error().find("must not decrease"), std::string::npos);
}

TEST(FftSize, FriendlyAndPadded) {
  EXPECT_EQ(FftFriendlySize(1), 1);
  EXPECT_EQ(FftFriendlySize(7), 8);
  EXPECT_EQ(FftFriendlySize(2), 2);
  EXPECT_EQ(FftFriendlySize(1500), 1536);  // 3 * 2^9
  EXPECT_EQ(FftFriendlySize(1536), 1536);
  EXPECT_EQ(FftFriendlySize(1537), 1920);  // 15 * 2^7
  EXPECT_EQ(FftFriendlySize(97), 120);
  EXPECT_EQ(FftFriendlySize(1100), 1280);  // 5 * 2^8
  EXPECT_EQ(PaddedLength(1000), 1536);
  EXPECT_EQ(PaddedLength(1024), 1536);
  EXPECT_EQ(PaddedLength(1025), 1920);
  EXPECT_EQ(PaddedLength(1), 2);
  for (int n = 2; n < 100000; n += 97) {
    int m = FftFriendlySize(n);
    EXPECT_GE(m, n);
    EXPECT_LE(m, n * 1.25 + 1);
  }
  for (int ns = 1; ns < 3000; ns += 37) EXPECT_GE(PaddedLength(ns), 1.5 * ns) << ns;
}

TEST(BandpassFilter, KeepsThePassbandToneAndRemovesTheOthers) {
  const double dt = 0.001;
  const int ns = 4000;
  std::vector<float> x(ns);
  for (int i = 0; i < ns; ++i) {
    double t = i * dt;
    x[static_cast<size_t>(i)] = static_cast<float>(std::sin(2 * kPi * 5 * t) + std::sin(2 * kPi * 30 * t + 0.3) +
                                                   std::sin(2 * kPi * 200 * t));
  }
  BandpassFilter f(Spec({10, 20, 60, 80}));
  ASSERT_TRUE(f.apply(x.data(), ns, dt).ok());
  // Away from the ends: 1 s to 3 s, a whole number of periods of each tone.
  Tone t30 = Measure(x, dt, 30, 1000, 3000);
  EXPECT_NEAR(t30.amp, 1.0, 0.01);
  EXPECT_NEAR(t30.phase, 0.3, 0.01);
  EXPECT_LT(Measure(x, dt, 5, 1000, 3000).amp, 0.01);
  EXPECT_LT(Measure(x, dt, 200, 1000, 3000).amp, 0.01);
  // Sample by sample, too: what is left is the 30 Hz tone.
  double worst = 0;
  for (int i = 1000; i < 3000; ++i)
    worst = std::max(worst, std::fabs(x[static_cast<size_t>(i)] - std::sin(2 * kPi * 30 * i * dt + 0.3)));
  EXPECT_LT(worst, 0.02);
}

TEST(BandpassFilter, IsZeroPhase) {
  // A spike in the middle comes out symmetric about the same sample.
  const int ns = 501;
  std::vector<float> x(ns, 0.0f);
  x[250] = 1.0f;
  BandpassFilter f(Spec({10, 20, 60, 80}));
  ASSERT_TRUE(f.apply(x.data(), ns, 0.001).ok());
  int peak = 0;
  for (int i = 0; i < ns; ++i)
    if (x[static_cast<size_t>(i)] > x[static_cast<size_t>(peak)]) peak = i;
  EXPECT_EQ(peak, 250);
  for (int k = 1; k < 200; ++k) EXPECT_NEAR(x[static_cast<size_t>(250 - k)], x[static_cast<size_t>(250 + k)], 1e-5) << k;
}

TEST(BandpassFilter, PaddingStopsWrapAround) {
  // A spike at the very end must not leak onto the start of the trace.
  const int ns = 1000;
  std::vector<float> x(ns, 0.0f);
  x[ns - 1] = 1.0f;
  BandpassFilter f(Spec({10, 20, 60, 80}));
  ASSERT_TRUE(f.apply(x.data(), ns, 0.001).ok());
  EXPECT_EQ(f.padded_length(), 1536);
  double head = 0;
  for (int i = 0; i < 100; ++i) head = std::max(head, std::fabs(double(x[static_cast<size_t>(i)])));
  EXPECT_LT(head, 1e-4);
}

TEST(BandpassFilter, AllPassLeavesTheTrace) {
  std::vector<float> x = {1, -2, 3, 0.5f, 0, 7, -1};
  auto orig = x;
  BandpassFilter f(Spec({0, 0, 1e9, 1e9}));
  ASSERT_TRUE(f.apply(x.data(), static_cast<int>(x.size()), 0.004).ok());
  for (size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(x[i], orig[i], 1e-5);
}

TEST(BandpassFilter, CornersAboveNyquistAreEvaluated) {
  // dt 4 ms: Nyquist 125 Hz; a band 10-20-200-300 passes 50 Hz untouched.
  const double dt = 0.004;
  const int ns = 1000;
  std::vector<float> x(ns);
  for (int i = 0; i < ns; ++i) x[static_cast<size_t>(i)] = static_cast<float>(std::sin(2 * kPi * 50 * i * dt));
  BandpassFilter f(Spec({10, 20, 200, 300}));
  ASSERT_TRUE(f.apply(x.data(), ns, dt).ok());
  EXPECT_NEAR(Measure(x, dt, 50, 250, 750).amp, 1.0, 0.01);
}

TEST(BandpassFilter, NewShapesArePlannedAgain) {
  BandpassFilter f(Spec({10, 20, 60, 80}));
  for (int ns : {100, 1000, 100, 37}) {
    for (double dt : {0.001, 0.002}) {
      std::vector<float> x(static_cast<size_t>(ns));
      for (int i = 0; i < ns; ++i) x[static_cast<size_t>(i)] = static_cast<float>(std::sin(2 * kPi * 40 * i * dt));
      ASSERT_TRUE(f.apply(x.data(), ns, dt).ok());
      EXPECT_EQ(f.padded_length(), PaddedLength(ns));
      if (ns >= 1000) {
        EXPECT_NEAR(Measure(x, dt, 40, ns / 4, 3 * ns / 4).amp, 1.0, 0.02);
      }
    }
  }
  std::vector<float> x(10);
  EXPECT_FALSE(f.apply(x.data(), 10, 0).ok());
  EXPECT_FALSE(f.apply(x.data(), 0, 0.001).ok());
}

}  // namespace
}  // namespace keld::sutools
