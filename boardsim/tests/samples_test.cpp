#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "boardsim/samples.hpp"

using namespace keld::sim;

namespace {
ShotSpec Shot(int shot = 0, int mode = 1, int32_t n = 1024, int f = 8000) {
  ShotSpec s;
  s.seed = 99;
  s.shot = shot;
  s.trigger_mode = mode;
  s.samples = n;
  s.frequency = f;
  return s;
}

// The first sample whose distance from the trace's early level exceeds `level`.
int Onset(const std::vector<int32_t>& v, double level) {
  double dc = 0;
  for (int i = 0; i < 8; ++i) dc += v[static_cast<size_t>(i)];
  dc /= 8;
  for (size_t i = 0; i < v.size(); ++i)
    if (std::abs(v[i] - dc) > level) return static_cast<int>(i);
  return -1;
}
}  // namespace

TEST(Samples, ReproducibleFromTheSeedAndDifferentPerShotAndUnit) {
  EXPECT_EQ(UnitSamples(Shot(), 4, 0, 500), UnitSamples(Shot(), 4, 0, 500));
  EXPECT_NE(UnitSamples(Shot(0), 4, 0, 500), UnitSamples(Shot(1), 4, 0, 500));
  EXPECT_NE(UnitSamples(Shot(), 4, 0, 500), UnitSamples(Shot(), 5, 0, 500));
  ShotSpec other = Shot();
  other.seed = 100;
  EXPECT_NE(UnitSamples(Shot(), 4, 0, 500), UnitSamples(other, 4, 0, 500));
  // A run of samples from the middle is the same as the same samples of a whole read.
  const auto all = UnitSamples(Shot(), 7, 0, 300);
  const auto part = UnitSamples(Shot(), 7, 128, 64);
  EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin() + 128));
}

TEST(Samples, FirstBreaksMoveOutWithOffset) {
  int previous = -1;
  for (int unit : {1, 6, 12, 24, 36, 48}) {
    const auto v = UnitSamples(Shot(), unit, 0, 1024);
    const int onset = Onset(v, 30000);
    ASSERT_GT(onset, 0) << "unit " << unit;
    EXPECT_GT(onset, previous) << "unit " << unit;
    EXPECT_NEAR(onset, FirstBreakTime(unit) * 8000, 4) << "unit " << unit;
    previous = onset;
  }
}

TEST(Samples, TheWaveletDecays) {
  const auto v = UnitSamples(Shot(0, 1, 2048), 30, 0, 2048);
  const int onset = Onset(v, 30000);
  auto peak = [&](int from, int n) {
    int32_t m = 0;
    for (int i = from; i < from + n; ++i) m = std::max(m, std::abs(v[static_cast<size_t>(i)]));
    return m;
  };
  EXPECT_GT(peak(onset, 80), 4 * peak(onset + 600, 80));
}

TEST(Samples, SpanTheWholeRangeInBothSigns) {
  const auto v = UnitSamples(Shot(), 0, 0, 1024);
  EXPECT_EQ(*std::max_element(v.begin(), v.end()), 8388607);
  EXPECT_EQ(*std::min_element(v.begin(), v.end()), -8388608);
  const auto w = UnitSamples(Shot(), 1, 0, 1024);
  EXPECT_EQ(*std::max_element(w.begin(), w.end()), 8388607);
  EXPECT_EQ(*std::min_element(w.begin(), w.end()), -8388608);
}

TEST(Samples, FreeRunningIsNoiseAroundTheUnitsOffset) {
  const auto v = UnitSamples(Shot(0, 0), 3, 0, 4096);
  double mean = 0;
  for (int32_t x : v) mean += x;
  mean /= static_cast<double>(v.size());
  double var = 0;
  for (int32_t x : v) var += (x - mean) * (x - mean);
  const double sd = std::sqrt(var / static_cast<double>(v.size()));
  EXPECT_GT(sd, 1000);
  EXPECT_LT(sd, 2000);
  EXPECT_LE(std::abs(mean), 20100);
  EXPECT_NE(*std::max_element(v.begin(), v.end()), *std::min_element(v.begin(), v.end()));
}

TEST(Samples, BlocksAreThreeBytesPerSampleTwosComplement) {
  const ShotSpec s = Shot();
  for (int unit : {0, 1, 17}) {
    const auto block = UnitBlock(s, unit, 2);
    ASSERT_EQ(block.size(), 192u);
    const auto v = UnitSamples(s, unit, 128, 64);
    for (int i = 0; i < 64; ++i)
      ASSERT_EQ(keld::board::DecodeSample(&block[static_cast<size_t>(3 * i)]), v[static_cast<size_t>(i)]);
  }
  uint8_t b[3];
  EncodeSample(-1, b);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[2], 0xFF);
  EncodeSample(-8388608, b);
  EXPECT_EQ(b[0], 0x80);
  EXPECT_EQ(b[1], 0x00);
}

TEST(Samples, ShotFromTheArmPacket) {
  const auto arm = keld::board::ArmPacket(10922, 4000, 0, 1, 0, 0, 0, 0);
  const ShotSpec s = ShotFromArm(arm, 5, 3);
  EXPECT_EQ(s.samples, 10922);
  EXPECT_EQ(s.frequency, 4000);
  EXPECT_EQ(s.trigger_mode, 1);
  EXPECT_EQ(s.seed, 5u);
  EXPECT_EQ(s.shot, 3);
}
