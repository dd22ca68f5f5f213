#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "korvan/display/display_params.hpp"
#include "korvan/display/normalisation.hpp"

using namespace keld::korvan;

namespace {
double Next(Normaliser& n, const std::vector<float>& v, bool first = false) {
  return n.Next(v.data(), static_cast<int>(v.size()), first);
}
}  // namespace

TEST(Normaliser, NoneSelectedIsOne) {
  Normaliser n(kNoNormalisation, 1);
  EXPECT_DOUBLE_EQ(Next(n, {5, 100, -3}, true), 1);
  EXPECT_DOUBLE_EQ(Next(n, {0, 0, 0}), 1);
}

TEST(Normaliser, TrueAmplitudeIsMeasuredOnTheFirstTraceOnly) {
  Normaliser n(kTrueAmplitude, 1);
  EXPECT_DOUBLE_EQ(Next(n, {10, 250, -400}, true), 500 / (250 + 0.0001));
  EXPECT_DOUBLE_EQ(Next(n, {10, 5000, 0}), 500 / (250 + 0.0001)) << "kept for all traces";
}

TEST(Normaliser, TrueAmplitudeOfAnAllNegativeFirstTraceKeepsOne) {
  Normaliser n(kTrueAmplitude, 1);
  EXPECT_DOUBLE_EQ(Next(n, {-10, -250, -4}, true), 1);
  // Zero is still measured: 500 / 0.0001, as the rule gives.
  Normaliser z(kTrueAmplitude, 1);
  EXPECT_DOUBLE_EQ(Next(z, {0, 0}, true), 500 / 0.0001);
}

TEST(Normaliser, NormalEqualizationPerTraceKeepsThePreviousFactorForADeadTrace) {
  Normaliser n(kNormalEqualization, 1);
  EXPECT_DOUBLE_EQ(Next(n, {1, 100, -300}, true), 5);  // signed largest: 100, not 300
  EXPECT_DOUBLE_EQ(Next(n, {0, 0, 0, 0}), 5) << "all zeros: the previous trace's factor";
  EXPECT_DOUBLE_EQ(Next(n, {-1, -50, -2}), 5) << "all negative: not flipped";
  EXPECT_DOUBLE_EQ(Next(n, {0, 50, 0}), 10);
  Normaliser first_dead(kNormalEqualization, 1);
  EXPECT_DOUBLE_EQ(Next(first_dead, {0, 0}, true), 1);
}

TEST(Normaliser, OnlyTheExaminedSamplesCount) {
  Normaliser n(kNormalEqualization, 2);
  EXPECT_DOUBLE_EQ(Next(n, {10, 1000, 20, 1000, 50}, true), 10) << "samples 1, 3, 5 only";
}

TEST(Normaliser, AverageEqualizationTakesASampleWhenItsHalfIsLarger) {
  EXPECT_DOUBLE_EQ(Normaliser::HalfRule(std::vector<float>{1, 3, 2.5f}.data(), 3, 1), 3);
  EXPECT_DOUBLE_EQ(Normaliser::HalfRule(std::vector<float>{2, 3}.data(), 2, 1), 2) << "3 / 2 is not above 2";
  EXPECT_DOUBLE_EQ(Normaliser::HalfRule(std::vector<float>{2, 5}.data(), 2, 1), 5);
  Normaliser n(kAverageEqualization, 1);
  EXPECT_DOUBLE_EQ(Next(n, {2, 3}, true), 250);
  EXPECT_DOUBLE_EQ(Next(n, {-4, 0, -1}), 250) << "nothing above zero: the previous factor";
}

TEST(Normaliser, QuarterEqualizationLooksAtTheFirstQuarterRoundedHalfEven) {
  Normaliser n(kQuarterEqualization, 1);
  // 10 / 4 = 2.5 rounds to 2: samples 1 and 2 only.
  EXPECT_DOUBLE_EQ(Next(n, {50, 100, 1000, 0, 0, 0, 0, 0, 0, 0}, true), 5);
  // 6 / 4 = 1.5 rounds to 2.
  EXPECT_DOUBLE_EQ(Next(n, {25, 50, 1000, 0, 0, 0}), 10);
  // 2 / 4 = 0.5 rounds to 0: nothing examined, the previous factor stays.
  EXPECT_DOUBLE_EQ(Next(n, {1, 1}), 10);
}

TEST(Normaliser, NanSamplesNeverBecomeTheReference) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Normaliser n(kNormalEqualization, 1);
  EXPECT_DOUBLE_EQ(Next(n, {nan, 100, nan}, true), 5);
  EXPECT_DOUBLE_EQ(Next(n, {nan, nan}), 5);
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_DOUBLE_EQ(Next(n, {inf, 1}), 5) << "an infinite reference would flatten the trace to nothing";
}
