// The interpolation, the velocity functions and the correction of sunmo, and
// the trace order of susort.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "common/bytes.hpp"
#include "common/su_file.hpp"
#include "sutools/interp8.hpp"
#include "sutools/nmo.hpp"
#include "sutools/trace_sort.hpp"

namespace keld::sutools {
namespace {

TEST(Interp8, SineAtSixtyPercentOfNyquistWithinOnePercent) {
  const Interp8& in = SharedInterp8();
  for (double fraction : {0.1, 0.3, 0.6}) {
    const double w = fraction * std::numbers::pi;  // radians a sample
    std::vector<float> x(200);
    for (int i = 0; i < 200; ++i) x[i] = static_cast<float>(std::sin(w * i + 0.3));
    double worst = 0;
    for (double pos = 50; pos < 150; pos += 0.037) worst = std::max(worst, std::fabs(in.at(x.data(), 200, pos) - std::sin(w * pos + 0.3)));
    EXPECT_LT(worst, 0.01) << fraction << " of Nyquist";
  }
  // On a sample the sample itself, and nothing outside the trace.
  std::vector<float> x = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(in.at(x.data(), 10, 4.0), 5.0f);
  EXPECT_EQ(in.at(x.data(), 10, 0.0), 1.0f);
  EXPECT_EQ(in.at(x.data(), 10, -20.0), 0.0f);
  EXPECT_EQ(in.at(x.data(), 10, 1e300), 0.0f);
}

TEST(NmoVelocities, TimeAndCdpInterpolationByHand) {
  auto nv = NmoVelocities::Make({100, 200}, {{0.5, 1.0}, {0.5}}, {{1500, 2500}, {3000}});
  ASSERT_TRUE(nv.ok()) << nv.error();
  std::vector<float> s2;
  // CDP 100 at 0.75 s: 2000 m/s, halfway between its picks; before and after
  // its picks the end velocities hold.
  nv->SlownessSquared(100, 5, 0.25, 0.25, s2);  // times .25 .5 .75 1 1.25
  EXPECT_FLOAT_EQ(s2[0], 1 / (1500.0 * 1500));
  EXPECT_FLOAT_EQ(s2[2], 1 / (2000.0 * 2000));
  EXPECT_FLOAT_EQ(s2[4], 1 / (2500.0 * 2500));
  // CDP 125 at 0.75 s: a quarter of the way from 1/2000^2 to 1/3000^2.
  nv->SlownessSquared(125, 5, 0.25, 0.25, s2);
  EXPECT_FLOAT_EQ(s2[2], 0.75 / (2000.0 * 2000) + 0.25 / (3000.0 * 3000));
  // Outside the picked CDPs the nearest function holds.
  nv->SlownessSquared(50, 5, 0.25, 0.25, s2);
  EXPECT_FLOAT_EQ(s2[2], 1 / (2000.0 * 2000));
  nv->SlownessSquared(900, 5, 0.25, 0.25, s2);
  EXPECT_FLOAT_EQ(s2[2], 1 / (3000.0 * 3000));
  // No function at all: 1500 m/s everywhere.
  auto plain = NmoVelocities::Make({}, {}, {});
  ASSERT_TRUE(plain.ok());
  plain->SlownessSquared(7, 1, 0.004, 0, s2);
  EXPECT_FLOAT_EQ(s2[0], 1 / (1500.0 * 1500));
}

TEST(NmoVelocities, WithoutCdpListAMissingTimeIsZeroAndAMissingVelocity1500) {
  std::vector<float> s2;
  auto constant = NmoVelocities::Make({}, {}, {{1800}});  // sunmo vnmo=1800
  ASSERT_TRUE(constant.ok()) << constant.error();
  constant->SlownessSquared(3, 2, 0.5, 0, s2);
  EXPECT_EQ(s2, (std::vector<float>(2, static_cast<float>(1 / (1800.0 * 1800)))));
  auto at_time = NmoVelocities::Make({}, {{0.5}}, {});  // sunmo tnmo=.5
  ASSERT_TRUE(at_time.ok()) << at_time.error();
  at_time->SlownessSquared(3, 2, 0.5, 0, s2);
  EXPECT_EQ(s2, (std::vector<float>(2, static_cast<float>(1 / (1500.0 * 1500)))));
  // The one default time does not pair with two velocities, and a cdp= list
  // needs its times.
  EXPECT_FALSE(NmoVelocities::Make({}, {}, {{1500, 2000}}).ok());
  EXPECT_FALSE(NmoVelocities::Make({5}, {}, {{1800}}).ok());
}

TEST(NmoVelocities, BadListsAreRefused) {
  struct Case {
    std::vector<double> cdp;
    std::vector<std::vector<double>> t, v;
    const char* why;
  } cases[] = {
      {{1, 2}, {{0.1}}, {{1500}}, "number of cdp values"},
      {{}, {{0.1}, {0.2}}, {{1500}, {1600}}, "number of cdp values"},
      {{1}, {{0.1, 0.2}}, {{1500}}, "must be equal"},
      {{1}, {{0.1}}, {}, "tnmo and vnmo parameters"},
      {{1}, {{0.2, 0.2}}, {{1500, 1600}}, "must increase"},
      {{1}, {{0.3, 0.2}}, {{1500, 1600}}, "must increase"},
      {{1}, {{0.1}}, {{0}}, "must be positive"},
      {{1, 1}, {{0.1}, {0.1}}, {{1500}, {1500}}, "given twice"},
      {{1.5}, {{0.1}}, {{1500}}, "whole number"},
  };
  for (const auto& c : cases) {
    auto r = NmoVelocities::Make(c.cdp, c.t, c.v);
    ASSERT_FALSE(r.ok()) << c.why;
    EXPECT_NE(r.error().find(c.why), std::string::npos) << r.error();
  }
}

// Positions worked by hand: with offset = dt (so (x / dt)^2 = 1) and no
// delrt, output sample k reads input sample T(k) = sqrt(k^2 + s2[k]); s2 is
// chosen as T^2 - k^2 so that every T is whole and the interpolation gives
// the input sample itself. The input is in[j] = j + 1.
//   k      0  1  2  3  4  5  6  7  8   9  10  11
//   T      5  5  5  6  7  7  8  9  10  11  12  13   (12, 13: past the trace)
//   s2    25 24 21 27 33 24 28 32  36  40  44  48   (slowness rises: an inversion,
//                                                    then falls at k = 5)
//   a(k)   0  0  0  1  1  0  1  1   1   1   1   1   (a(0) = T(1) - T(0))
// smute 1.5: a sample survives from the first k with a(k) >= 1/1.5, k = 3,
// although a(5) = 0 further down; lmute 4 ramps k = 3..6 by 1/4, 2/4, 3/4, 4/4.
//   sscale 0: 0 0 0  7x.25  8x.5  8x.75  9 10 11 12 0 0
//   sscale 1: the same times a(k), so k = 5 gives 0.
TEST(ApplyNmo, StretchMuteRampAndScaleWorkedByHand) {
  std::vector<float> in(12), out(12);
  for (int j = 0; j < 12; ++j) in[j] = static_cast<float>(j + 1);
  const std::vector<float> inversion = {25, 24, 21, 27, 33, 24, 28, 32, 36, 40, 44, 48};
  NmoParams p;
  p.smute = 1.5;
  p.lmute = 4;
  p.sscale = false;
  NmoWork w;
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0, 0.004, inversion.data(), p, w);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 1.75f, 4, 6, 9, 10, 11, 12, 0, 0}));
  p.sscale = true;
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0, 0.004, inversion.data(), p, w);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 1.75f, 4, 0, 9, 10, 11, 12, 0, 0}));
  // Zero offset: nothing is stretched (a = 1), m = 0, and the ramp still runs.
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0, 0, inversion.data(), p, w);
  EXPECT_EQ(out, (std::vector<float>{0.25f, 1, 2.25f, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  p.lmute = 0;
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0, 0, inversion.data(), p, w);
  EXPECT_EQ(out, in);
  // Every sample stretched (T = 11 throughout, a = 0): the search stops at
  // the last sample, which alone survives, ramped by 1/4.
  std::vector<float> flat(12);
  for (int k = 0; k < 12; ++k) flat[k] = static_cast<float>(121 - k * k);
  p.lmute = 4;
  p.sscale = false;
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0, 0.004, flat.data(), p, w);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}));
  // With delrt the times count from it: the same positions with the first
  // sample at 3 dt (T + 3 = sqrt((k + 3)^2 + s2)).
  std::vector<float> late(12);
  const int T[12] = {5, 5, 5, 6, 7, 7, 8, 9, 10, 11, 12, 13};
  for (int k = 0; k < 12; ++k) late[k] = static_cast<float>((T[k] + 3) * (T[k] + 3) - (k + 3) * (k + 3));
  ApplyNmo(in.data(), out.data(), 12, 0.004, 0.012, 0.004, late.data(), p, w);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 1.75f, 4, 6, 9, 10, 11, 12, 0, 0}));
}

// Positions past the last sample read the trace as if zeros followed it: a
// 16-sample trace gives, at every output sample, what the same trace padded
// with 16 zeros gives at the same positions, those 0.5 to 3.5 samples past
// its end included, and these are not zero (the trace tapers off there).
// Each case gives the input position of output k as P(k) (offset = dt and
// s2 = P^2 - k^2), none stretched beyond smute.
TEST(ApplyNmo, PastTheEndOfTheTraceAsOnTheTracePaddedWithZeros) {
  constexpr int kShort = 16, kPadded = 32;
  std::vector<float> in(kPadded, 0.0f);
  for (int j = 0; j < kShort; ++j) in[j] = static_cast<float>(j % 5) - 1.5f + 0.25f * static_cast<float>(j);
  struct Case {
    double shift, slope;  // P(k) = shift + slope k
  } cases[] = {{4.37, 1.0}, {0.6, 1.2}, {3.81, 0.98}, {7.0, 0.7}};
  for (const auto& c : cases) {
    std::vector<float> s2(kPadded);
    for (int k = 0; k < kPadded; ++k) {
      const double pk = c.shift + c.slope * k;
      s2[k] = static_cast<float>(pk * pk - double(k) * k);
    }
    for (bool sscale : {false, true}) {
      NmoParams p;
      p.lmute = 3;
      p.sscale = sscale;
      NmoWork w;
      std::vector<float> short_out(kShort), padded_out(kPadded);
      ApplyNmo(in.data(), short_out.data(), kShort, 0.002, 0, 0.002, s2.data(), p, w);
      ApplyNmo(in.data(), padded_out.data(), kPadded, 0.002, 0, 0.002, s2.data(), p, w);
      int past_end = 0;
      for (int k = 0; k < kShort; ++k) {
        EXPECT_EQ(short_out[k], padded_out[k]) << "P(k) = " << c.shift << " + " << c.slope << " k, k = " << k;
        const double pk = c.shift + c.slope * k;
        if (pk > kShort - 0.5 && pk < kShort + 2 && padded_out[k] != 0) ++past_end;
      }
      EXPECT_GT(past_end, 0) << "no position within reach past the end, P(k) = " << c.shift << " + " << c.slope << " k";
    }
  }
}

// The order a TraceOrder gives traces of these (cdp, offset, f1) headers,
// each named by its place in the stream (from 1).
std::vector<int> SortedOrder(const std::vector<std::array<float, 3>>& cdp_offset_f1,
                             const std::vector<std::string>& words, size_t memory = kDefaultSortMemory,
                             size_t* runs = nullptr) {
  std::vector<SortKey> keys;
  for (const auto& w : words) keys.push_back(*ParseSortKey(w));
  TraceOrder order(keys, memory);
  uint64_t start = 0;
  for (auto [cdp, offset, f1] : cdp_offset_f1) {
    SuTraceHeader h;
    h.cdp = static_cast<int32_t>(cdp);
    h.offset = static_cast<int32_t>(offset);
    h.f1 = f1;
    EXPECT_TRUE(order.add(EncodeSuHeader(h).data(), start, 3)) << order.error();
    start += 252;
  }
  std::vector<int> place;
  EXPECT_TRUE(order.forEach([&](const TraceSpan& s) {
    EXPECT_EQ(s.bytes, 252u);
    place.push_back(static_cast<int>(s.start / 252 + 1));
    return true;
  })) << order.error();
  if (runs) *runs = order.runs();
  return place;
}

TEST(TraceSort, KeysInTheirOrderKeepingEqualsInTheStreamsOrder) {
  const float nan = std::nanf(""), inf = INFINITY;
  const std::vector<std::array<float, 3>> line = {{5, 100, 2.5f}, {2, -50, nan}, {5, -100, -1},
                                                  {2, 300, -0.0f}, {5, 100, 0}, {-1, 0, -inf}};
  EXPECT_EQ(SortedOrder(line, {"cdp", "+offset"}), (std::vector<int>{6, 2, 4, 3, 1, 5}));
  EXPECT_EQ(SortedOrder(line, {"-cdp"}), (std::vector<int>{1, 3, 5, 2, 4, 6}));
  // A float word: -0 equals 0, and NaN comes after every number either way.
  EXPECT_EQ(SortedOrder(line, {"f1"}), (std::vector<int>{6, 3, 4, 5, 1, 2}));
  EXPECT_EQ(SortedOrder(line, {"-f1"}), (std::vector<int>{1, 4, 5, 3, 6, 2}));
  EXPECT_FALSE(ParseSortKey("nokey").ok());
}

// Past its budget the sort merges sorted runs from its scratch file: the
// same order as a plain stable sort of the keys.
TEST(TraceSort, RunsMergedOnASmallBudgetGiveTheSameOrder) {
  std::vector<std::array<float, 3>> line;
  std::vector<int> expected;
  for (int i = 0; i < 1000; ++i) {
    line.push_back({float(i * 7919 % 97), float(i * 31 % 13 - 6), 0});
    expected.push_back(i + 1);
  }
  std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
    return std::pair(line[a - 1][0], line[a - 1][1]) < std::pair(line[b - 1][0], line[b - 1][1]);
  });
  size_t runs = 0;
  EXPECT_EQ(SortedOrder(line, {"cdp", "offset"}, 1, &runs), expected);
  EXPECT_GT(runs, 10u);
  EXPECT_EQ(SortedOrder(line, {"cdp", "offset"}, kDefaultSortMemory, &runs), expected);
  EXPECT_EQ(runs, 0u);
}

}  // namespace
}  // namespace keld::sutools
