// The hyperbola's points against the two-way time of a horizontal reflector.
#include "korvan/engine/hyperbola.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace keld::korvan {
namespace {

HyperbolaInputs Inputs(double spacing, double depth, double velocity, double shot, int receivers,
                       int freq = 1000) {
  HyperbolaInputs in;
  in.spacing = spacing;
  in.depth = depth;
  in.velocity = velocity;
  in.shot = shot;
  in.frequency = freq;
  in.x0 = 1000;  // the first trace's column starts at 1000
  in.receivers = receivers;
  return in;
}

TEST(Hyperbola, TwoWayTime) {
  EXPECT_DOUBLE_EQ(TwoWayTimeMs(0, 10, 1000), 20);
  EXPECT_NEAR(TwoWayTimeMs(20, 10, 1000), 2 * std::sqrt(200.0), 1e-12);  // 28.28 ms
  EXPECT_DOUBLE_EQ(TwoWayTimeMs(30, 0, 1500), 20);
}

TEST(Hyperbola, ShotAtTheFirstReceiver) {
  auto pts = HyperbolaPoints(Inputs(5, 10, 1000, 0, 6));
  ASSERT_EQ(pts.size(), 6u);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(pts[k].column, k);
    EXPECT_DOUBLE_EQ(pts[k].h, 5.0 * k);
    EXPECT_DOUBLE_EQ(pts[k].x, 1000 + 1000 * k + 500);  // on the trace's zero line
    EXPECT_EQ(pts[k].starts_run, k == 0);
    double t = 2 * std::sqrt(std::pow(5.0 * k / 2, 2) + 100) / 1000 * 1000;
    EXPECT_NEAR(pts[k].y, t * 1000 / 1000, 1e-9) << k;
  }
  EXPECT_DOUBLE_EQ(pts[0].y, 20);            // row 20 at 1000 Hz
  EXPECT_NEAR(pts[4].y, 28.2842712, 1e-6);   // h = 20 m
  // At 2000 Hz every row doubles.
  auto fast = HyperbolaPoints(Inputs(5, 10, 1000, 0, 6, 2000));
  EXPECT_DOUBLE_EQ(fast[0].y, 40);
}

TEST(Hyperbola, ShotBeforeTheSpread) {
  auto pts = HyperbolaPoints(Inputs(5, 10, 1000, -10, 4));
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_DOUBLE_EQ(pts[0].h, 10);
  EXPECT_DOUBLE_EQ(pts[3].h, 25);
  EXPECT_DOUBLE_EQ(pts[0].y, TwoWayTimeMs(10, 10, 1000));
}

TEST(Hyperbola, ShotInsideTheSpread) {
  // 12 m with 5 m spacing: between columns 2 (10 m) and 3 (15 m).
  auto pts = HyperbolaPoints(Inputs(5, 10, 1000, 12, 6));
  ASSERT_EQ(pts.size(), 6u);
  // Left run: columns 2, 1, 0 at 5, 10, 15 m; the first a dot.
  EXPECT_EQ(pts[0].column, 2);
  EXPECT_EQ(pts[1].column, 1);
  EXPECT_EQ(pts[2].column, 0);
  EXPECT_DOUBLE_EQ(pts[0].h, 5);
  EXPECT_DOUBLE_EQ(pts[1].h, 10);
  EXPECT_DOUBLE_EQ(pts[2].h, 15);
  EXPECT_TRUE(pts[0].starts_run);
  EXPECT_FALSE(pts[1].starts_run);
  // Right run starts again with a dot: columns 3, 4, 5 at 5, 10, 15 m.
  EXPECT_EQ(pts[3].column, 3);
  EXPECT_TRUE(pts[3].starts_run);
  EXPECT_DOUBLE_EQ(pts[3].h, 5);
  EXPECT_DOUBLE_EQ(pts[5].h, 15);
  EXPECT_EQ(pts[5].column, 5);
  for (const auto& p : pts) EXPECT_DOUBLE_EQ(p.y, TwoWayTimeMs(p.h, 10, 1000));
  // The two runs mirror each other.
  EXPECT_DOUBLE_EQ(pts[0].y, pts[3].y);
}

TEST(Hyperbola, ShotPastTheSpreadDrawsOnlyItsReceivers) {
  auto pts = HyperbolaPoints(Inputs(5, 10, 1000, 100, 4));  // n = 20
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts[0].column, 3);
  EXPECT_DOUBLE_EQ(pts[0].h, 90);  // 18 spacings from the shot side
  EXPECT_EQ(pts[3].column, 0);
  EXPECT_DOUBLE_EQ(pts[3].h, 105);
}

TEST(Hyperbola, NothingWithoutSpacingVelocityOrTraces) {
  EXPECT_TRUE(HyperbolaPoints(Inputs(0, 10, 1000, 0, 6)).empty());
  EXPECT_TRUE(HyperbolaPoints(Inputs(5, 10, 0, 0, 6)).empty());
  EXPECT_TRUE(HyperbolaPoints(Inputs(5, 10, -100, 12, 6)).empty());
  EXPECT_TRUE(HyperbolaPoints(Inputs(0, 10, 1000, 12, 6)).empty());
  EXPECT_TRUE(HyperbolaPoints(Inputs(5, 10, 1000, 0, 0)).empty());
  EXPECT_TRUE(HyperbolaPoints(Inputs(5, 10, 1000, 0, 6, 0)).empty());
}

}  // namespace
}  // namespace keld::korvan
