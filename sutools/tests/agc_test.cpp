#include "sutools/agc.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace keld::sutools {
namespace {

// The definition, the slow way: every window summed from scratch.
std::vector<float> Direct(const std::vector<float>& x, int half) {
  const int ns = static_cast<int>(x.size());
  std::vector<float> y(x.size());
  for (int i = 0; i < ns; ++i) {
    double s = 0;
    const int h = std::max(half, 1);
    int lo = std::max(0, i - h), hi = std::min(ns - 1, i + h - 1);
    for (int j = lo; j <= hi; ++j) s += double(x[static_cast<size_t>(j)]) * x[static_cast<size_t>(j)];
    double rms = std::sqrt(s / (hi - lo + 1));
    y[static_cast<size_t>(i)] = rms > 0 ? static_cast<float>(x[static_cast<size_t>(i)] / rms) : 0.0f;
  }
  return y;
}

TEST(AgcHalfWindow, FromSecondsAndInterval) {
  EXPECT_EQ(AgcHalfWindow(0.1, 0.004), 12);  // NINT(25) / 2, halved in whole numbers
  EXPECT_EQ(AgcHalfWindow(0.5, 0.001), 250);
  EXPECT_EQ(AgcHalfWindow(0.002, 0.001), 1);
  EXPECT_EQ(AgcHalfWindow(0.0105, 0.001), 5);  // NINT(10.5) = 11
  EXPECT_EQ(AgcHalfWindow(0.001, 0.001), 0);
  EXPECT_EQ(AgcHalfWindow(0, 0.001), 0);
  EXPECT_EQ(AgcHalfWindow(0.5, 0), 0);
}

// Worked by hand: h = 1 divides each sample by the RMS of itself and the
// sample before it; h = 2 by that of samples i-2..i+1, cut at the ends.
TEST(Agc, AShortTraceAgainstValuesWorkedByHand) {
  Agc g;
  std::vector<float> x = {3, 4, 0, -4};
  g.apply(x.data(), 4, 1);
  EXPECT_FLOAT_EQ(x[0], 1.0f);                                   // 3 / 3
  EXPECT_FLOAT_EQ(x[1], static_cast<float>(4 / std::sqrt(12.5)));  // RMS of 3, 4
  EXPECT_FLOAT_EQ(x[2], 0.0f);
  EXPECT_FLOAT_EQ(x[3], -std::sqrt(2.0f));                       // RMS of 0, -4
  x = {3, 4, 0, -4, 12};
  g.apply(x.data(), 5, 2);
  EXPECT_FLOAT_EQ(x[0], static_cast<float>(3 / std::sqrt(25.0 / 2)));   // 3, 4
  EXPECT_FLOAT_EQ(x[1], static_cast<float>(4 / std::sqrt(25.0 / 3)));   // 3, 4, 0
  EXPECT_FLOAT_EQ(x[3], static_cast<float>(-4 / std::sqrt(176.0 / 4))); // 4, 0, -4, 12
  EXPECT_FLOAT_EQ(x[4], static_cast<float>(12 / std::sqrt(160.0 / 3))); // 0, -4, 12
}

TEST(Agc, ConstantAmplitudeComesOutAtOneEverywhere) {
  std::vector<float> x(1000);
  for (size_t i = 0; i < x.size(); ++i) x[i] = (i % 3 == 0 ? -250.0f : 250.0f);
  Agc g;
  g.apply(x.data(), 1000, 25);
  for (size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(std::fabs(x[i]), 1.0, 1e-6) << i;
}

TEST(Agc, SineOfConstantRmsHasUnitRms) {
  const double dt = 0.001;
  const int ns = 3000;
  std::vector<float> x(ns);
  for (int i = 0; i < ns; ++i) x[static_cast<size_t>(i)] = static_cast<float>(30 * std::sin(2 * std::numbers::pi * 40 * i * dt));
  Agc g;
  g.apply(x.data(), ns, AgcHalfWindow(0.1, dt));
  // RMS over each 50 ms stretch: 1 (the window holds whole periods nearly).
  for (int start = 0; start + 50 <= ns; start += 50) {
    double s = 0;
    for (int i = start; i < start + 50; ++i) s += double(x[static_cast<size_t>(i)]) * x[static_cast<size_t>(i)];
    EXPECT_NEAR(std::sqrt(s / 50), 1.0, 0.05) << start;
  }
}

TEST(Agc, MatchesTheDefinitionIncludingTheEnds) {
  std::mt19937 rng(7);
  std::normal_distribution<float> n(0, 1);
  for (int half : {0, 1, 5, 40, 999, 5000}) {
    std::vector<float> x(1000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = n(rng) * (1.0f + 100.0f * std::exp(-float(i) / 100.0f));
    auto want = Direct(x, half);
    Agc g;
    g.apply(x.data(), 1000, half);
    for (size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(x[i], want[i], 1e-4 * (1 + std::fabs(want[i]))) << half << " " << i;
  }
}

TEST(Agc, QuietSamplesAfterALoudEventKeepTheirLevel) {
  // A huge burst followed by a long quiet stretch: the running sum must not
  // leave rounding that swamps the quiet samples' own energy.
  std::vector<float> x(20000, 0.0f);
  for (int i = 0; i < 200; ++i) x[static_cast<size_t>(i)] = (i % 2 ? 1e7f : -1e7f);
  for (size_t i = 200; i < x.size(); ++i) x[i] = (i % 2 ? 1e-3f : -1e-3f);
  Agc g;
  g.apply(x.data(), 20000, 20);
  for (size_t i = 300; i < x.size(); ++i) ASSERT_NEAR(std::fabs(x[i]), 1.0, 1e-3) << i;
}

TEST(Agc, ZerosStayZero) {
  std::vector<float> x(100, 0.0f);
  x[50] = 4.0f;
  Agc g;
  g.apply(x.data(), 100, 5);
  for (size_t i = 0; i < x.size(); ++i) {
    if (i == 50)
      EXPECT_NEAR(x[i], std::sqrt(10.0), 1e-5);  // 4 / sqrt(16 / 10): samples 45..54
    else
      EXPECT_EQ(x[i], 0.0f) << i;
    EXPECT_FALSE(std::isnan(x[i]));
  }
}

}  // namespace
}  // namespace keld::sutools
