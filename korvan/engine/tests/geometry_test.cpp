#include "korvan/engine/geometry.hpp"

#include <gtest/gtest.h>

namespace keld::korvan {
namespace {

TEST(Geometry, WorkedLine) {
  // First receiver 2.5, spacing 5, shot 0, 24 channels.
  auto lr = LastReceiverText("2.5", "5", 24);
  ASSERT_TRUE(lr);
  EXPECT_EQ(*lr, "117.5");
  EXPECT_EQ(OffsetText("2.5", "0"), "2.5");
  EXPECT_EQ(StationText("0", "5"), "0");
  EXPECT_EQ(StationText("2.5", "5"), "0");    // 0.5 to the even 0
  EXPECT_EQ(StationText("117.5", "5"), "24"); // 23.5 to the even 24
  GeoGridTexts g = GeoGridRows("2.5", "5", "0", 24);
  ASSERT_EQ(g.row1.size(), 24u);
  EXPECT_EQ(g.row0[0], "1");
  EXPECT_EQ(g.row0[23], "24");
  EXPECT_EQ(g.row1[0], "2.5");
  EXPECT_EQ(g.row2[0], "2.5");
  EXPECT_EQ(g.row1[1], "7.5");
  EXPECT_EQ(g.row1[23], "117.5");
}

TEST(Geometry, RowTwoIsSignedFromTheShot) {
  GeoGridTexts g = GeoGridRows("0", "2", "5", 4);
  EXPECT_EQ(g.row1, (std::vector<std::string>{"0", "2", "4", "6"}));
  EXPECT_EQ(g.row2, (std::vector<std::string>{"-5", "-3", "-1", "1"}));
}

TEST(Geometry, ZeroSpacing) {
  EXPECT_EQ(LastReceiverText("2.5", "0", 24), "2.5");
  EXPECT_EQ(StationText("10", "0"), std::nullopt);  // the box keeps its old text
  EXPECT_EQ(StationText("0", "0"), std::nullopt);
  EXPECT_EQ(StationText("10", ""), std::nullopt);
  GeoGridTexts g = GeoGridRows("2.5", "0", "0", 3);
  for (const auto& p : g.row1) EXPECT_EQ(p, "2.5");
}

TEST(Geometry, StationOverflowKeepsTheText) {
  EXPECT_EQ(StationText("400000", "1"), std::nullopt);
  EXPECT_EQ(StationText("-7.5", "5"), "-2");  // -1.5 to the even -2
}

TEST(Geometry, LastReceiverNeedsANumberInFr) {
  EXPECT_EQ(LastReceiverText("", "5", 24), std::nullopt);
  EXPECT_EQ(LastReceiverText("abc", "5", 24), std::nullopt);
  EXPECT_EQ(LastReceiverText("2.5m", "5", 24), std::nullopt);
  EXPECT_EQ(LastReceiverText("-10", "2.5", 12), "17.5");
  EXPECT_EQ(LastReceiverText("10", "5", 0), "5");  // no channels: fr - spacing
}

TEST(Geometry, ChannelCount) {
  EXPECT_EQ(ChannelCount("24"), 24);
  EXPECT_EQ(ChannelCount(""), 0);
  EXPECT_EQ(ChannelCount("-3"), 0);
  EXPECT_EQ(ChannelCount("99999"), 0);
  EXPECT_TRUE(GeoGridRows("0", "5", "0", 0).row1.empty());
}

TEST(Geometry, PlanExtentsOfTheWorkedLine) {
  PlanExtents e = PlanExtentsFor("2.5", "5", "0", 24);
  EXPECT_DOUBLE_EQ(e.left, -10);         // the minimum 0 (the shot) becomes -10
  EXPECT_DOUBLE_EQ(e.right, 117.5 * 1.05);
  EXPECT_DOUBLE_EQ(e.D, (117.5 * 1.05 + 10) / 450);
}

TEST(Geometry, PlanExtentsWithZeroSpacing) {
  PlanExtents e = PlanExtentsFor("20", "0", "10", 24);
  EXPECT_DOUBLE_EQ(e.left, 9);
  EXPECT_DOUBLE_EQ(e.right, 21);
}

TEST(Geometry, PlanExtentsFromTheShotAlone) {
  PlanExtents e = PlanExtentsFor("2.5", "5", "40", 0);
  EXPECT_DOUBLE_EQ(e.left, 36);
  EXPECT_DOUBLE_EQ(e.right, 42);
  e = PlanExtentsFor("2.5", "5", "0", 0);
  EXPECT_DOUBLE_EQ(e.left, -10);
  EXPECT_DOUBLE_EQ(e.right, 0);
}

TEST(Geometry, PlanExtentsAllNegative) {
  PlanExtents e = PlanExtentsFor("-100", "5", "-120", 10);
  EXPECT_DOUBLE_EQ(e.right, 0);  // the maximum starts at 0
  EXPECT_DOUBLE_EQ(e.left, -132);
}

TEST(Geometry, PlanExtentsShotAtZeroReceiversBeyond) {
  PlanExtents e = PlanExtentsFor("0", "5", "0", 12);
  EXPECT_DOUBLE_EQ(e.left, -10);
  EXPECT_DOUBLE_EQ(e.right, 55 * 1.05);
}

TEST(Geometry, PlanExtentsAllAboveTheStartingMinimum) {
  PlanExtents e = PlanExtentsFor("100000", "5", "99999", 4);
  EXPECT_DOUBLE_EQ(e.left, 89999.1);  // the minimum starts at 99999
  EXPECT_DOUBLE_EQ(e.right, 100015 * 1.05);
  EXPECT_DOUBLE_EQ(e.D, (100015 * 1.05 - 89999.1) / 450);
}

TEST(Geometry, PlanGeophonesComeFromTheGrid) {
  GeoGridTexts g = GeoGridRows("2.5", "5", "0", 3);
  g.row1[1] = "50";  // an edited cell
  EXPECT_EQ(PlanGeophones(g), (std::vector<double>{2.5, 50, 12.5}));
}

TEST(Geometry, PlanTooltip) {
  EXPECT_EQ(PlanTooltip(12.34), "  12.3 m ");
  EXPECT_EQ(PlanTooltip(-3.04), " -3.1 m ");
  EXPECT_EQ(PlanTooltip(3.99), "  3.9 m ");
  EXPECT_EQ(PlanTooltip(0.55), "  .5 m ");
  EXPECT_EQ(PlanTooltip(0.01), "  0 m ");
  EXPECT_EQ(PlanTooltip(-0.01), " -.1 m ");
  EXPECT_EQ(PlanTooltip(117), "  117 m ");
}

}  // namespace
}  // namespace keld::korvan
