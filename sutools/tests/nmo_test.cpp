// The interpolation, the velocity functions and the correction of sunmo, and
// the trace order of susort.
#include <gtest/gtest.h>

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

TEST(ApplyNmo, ZeroOffsetUnchangedAndFarOffsetMuted) {
  std::vector<float> in(100), out(100);
  for (int i = 0; i < 100; ++i) in[i] = static_cast<float>(i % 7 - 3);
  std::vector<float> s2(100, static_cast<float>(1 / (2000.0 * 2000)));
  NmoWork w;
  ApplyNmo(in.data(), out.data(), 100, 0.004, 0, 0, s2.data(), {}, w);
  EXPECT_EQ(in, out);
  // At 1000 m the stretch t/t0 exceeds 1.5 until t0 = 0.447 s (sample 111):
  // everything is muted. At 200 m with smute 10 the late samples come through.
  ApplyNmo(in.data(), out.data(), 100, 0.004, 0, 1000, s2.data(), {}, w);
  for (float v : out) EXPECT_EQ(v, 0.0f);
  NmoParams loose;
  loose.smute = 10;
  loose.sscale = false;
  ApplyNmo(in.data(), out.data(), 100, 0.004, 0, 200, s2.data(), loose, w);
  EXPECT_EQ(out[0], 0.0f);  // stretch infinite at t0 = 0
  EXPECT_NE(out[80], 0.0f);
}

std::vector<uint8_t> Stream(const std::vector<std::array<int, 3>>& cdp_offset_ns) {
  std::vector<uint8_t> b;
  int n = 0;
  for (auto [cdp, offset, ns] : cdp_offset_ns) {
    SuTraceHeader h;
    h.tracl = ++n;
    h.cdp = cdp;
    h.offset = offset;
    h.ns = static_cast<int16_t>(ns);
    h.dt = 1000;
    std::vector<float> s(static_cast<size_t>(ns), static_cast<float>(n));
    std::vector<uint8_t> t;
    EncodeSuTrace(h, s.data(), ns, t);
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}

TEST(TraceSort, CdpThenSignedOffsetKeepingEqualsInOrder) {
  auto b = Stream({{5, 100, 3}, {2, -50, 4}, {5, -100, 3}, {2, 300, 2}, {5, 100, 3}, {-1, 0, 3}});
  auto keys = std::vector<SortKey>{*ParseSortKey("cdp"), *ParseSortKey("+offset")};
  auto order = SortTraces(b.data(), b.size(), keys);
  ASSERT_TRUE(order.ok()) << order.error();
  std::vector<int> tracl;
  for (auto s : order.value()) tracl.push_back(get_i32le(b.data() + s.start));
  EXPECT_EQ(tracl, (std::vector<int>{6, 2, 4, 3, 1, 5}));
  keys = {*ParseSortKey("-cdp")};
  order = SortTraces(b.data(), b.size(), keys);
  tracl.clear();
  for (auto s : order.value()) tracl.push_back(get_i32le(b.data() + s.start));
  EXPECT_EQ(tracl, (std::vector<int>{1, 3, 5, 2, 4, 6}));
  EXPECT_FALSE(ParseSortKey("nokey").ok());
  // A stream cut inside its last trace, or holding nothing, is refused.
  EXPECT_FALSE(SortTraces(b.data(), b.size() - 1, keys).ok());
  EXPECT_FALSE(SortTraces(b.data(), 0, keys).ok());
}

}  // namespace
}  // namespace keld::sutools
