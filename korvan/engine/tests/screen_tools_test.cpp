// The numbers of the mouse tools on the seismogram, worked by hand.
#include "korvan/engine/screen_tools.hpp"

#include <gtest/gtest.h>

#include "korvan/engine/hyperbola.hpp"

namespace keld::korvan {
namespace {

TEST(PointerTip, TraceAndTimeOfTheSampleUnderThePointer) {
  EXPECT_EQ(TraceAt(4000), 4);
  EXPECT_EQ(TraceAt(4999.9), 4);
  EXPECT_EQ(TraceAt(1000), 1);
  EXPECT_EQ(TraceAt(999), 0);
  EXPECT_EQ(TraceAt(-1), -1);
  // 25 samples at 2000 Hz are 12.5 ms, whatever window the picture shows.
  EXPECT_EQ(PointerTime(25, 2000), "12.5");
  EXPECT_EQ(PointerTip(4500, 25, 2000), " 12.5ms,Trace: 4");
  EXPECT_EQ(PointerTip(1200, 1000, 1000), " 1000ms,Trace: 1");
  EXPECT_EQ(PointerTip(1200, 0.4, 1000), " 0.4ms,Trace: 1");
  EXPECT_EQ(PointerTime(10, 0), "");
}

TEST(ApparentVelocity, CountsTheSpacingsBetweenTheTwoTraces) {
  // Trace 2 to trace 4 near the column centres, 10 m, 40 samples at 2000 Hz:
  // two spacings, 20 m in 0.02 s.
  ApparentVelocity v = VelocityOfLine(2500, 100, 4480, 140, 10, 2000);
  ASSERT_TRUE(v.refusal.empty());
  EXPECT_EQ(v.spacings, 2);
  EXPECT_DOUBLE_EQ(v.D, 20);
  EXPECT_DOUBLE_EQ(v.T, 0.02);
  EXPECT_EQ(v.V, 1000);
  EXPECT_DOUBLE_EQ(v.M, 10);
  EXPECT_EQ(v.message, " 1000 ms  10 ms/trace Intertrace: 10");
  // Drawn the other way round, the same numbers.
  EXPECT_EQ(VelocityOfLine(4480, 140, 2500, 100, 10, 2000).message, v.message);
  // 3 spacings of 5 m, 30 samples at 1000 Hz: 500, moveout 10.
  v = VelocityOfLine(1500, 10, 4500, 40, 5, 1000);
  EXPECT_EQ(v.V, 500);
  EXPECT_EQ(v.message, " 500 ms  10 ms/trace Intertrace: 5");
  // A moveout of 6.666... shows its first six characters.
  v = VelocityOfLine(1500, 0, 4500, 40, 10, 2000);
  EXPECT_EQ(v.spacings, 3);
  EXPECT_EQ(v.V, 1500);
  EXPECT_EQ(v.message, " 1500 ms  6.666 ms/trace Intertrace: 10");
  // A decimal spacing.
  EXPECT_EQ(VelocityOfLine(1500, 0, 2500, 10, 2.5, 1000).message, " 250 ms  10 ms/trace Intertrace: 2.5");
}

TEST(ApparentVelocity, ALineWithoutExtentIsRefused) {
  ApparentVelocity v = VelocityOfLine(2100, 10, 2900, 80, 10, 2000);  // inside one trace
  EXPECT_EQ(v.refusal, kSameTrace);
  EXPECT_TRUE(v.message.empty());
  v = VelocityOfLine(2500, 40, 6500, 40, 10, 2000);  // no time between the ends
  EXPECT_EQ(v.refusal, kSameTime);
  EXPECT_EQ(VelocityOfLine(2500, 40, 6500, 80, 10, 0).refusal, kSameTime);
}

TEST(ZoomBox, KeepsTheTracesWhoseCentreIsInside) {
  // Left half of trace 3 to the right half of trace 5.
  ZoomWindow z = ZoomFromBox(3200, 100, 5800, 300, 1024);
  ASSERT_TRUE(z.refusal.empty()) << z.refusal;
  EXPECT_EQ(z.first_trace, 3);
  EXPECT_EQ(z.last_trace, 5);
  EXPECT_EQ(z.first_sample, 100);
  EXPECT_EQ(z.last_sample, 300);
  // Any corner first.
  z = ZoomFromBox(5800, 300, 3200, 100, 1024);
  EXPECT_EQ(z.first_trace, 3);
  EXPECT_EQ(z.last_trace, 5);
  EXPECT_EQ(z.first_sample, 100);
  EXPECT_EQ(z.last_sample, 300);
  // Left half of 3 to the left half of 4: only trace 3's centre.
  EXPECT_EQ(ZoomFromBox(3200, 100, 4200, 300, 1024).refusal, kOneTrace);
  // Right half of 3 to the left half of 4: no centre at all.
  EXPECT_EQ(ZoomFromBox(3700, 100, 4200, 300, 1024).refusal, kNoTrace);
  // No height.
  EXPECT_EQ(ZoomFromBox(3200, 150.2, 5800, 149.8, 1024).refusal, kNoHeight);
}

TEST(ZoomBox, SamplesAreHeldToTheRecord) {
  ZoomWindow z = ZoomFromBox(1200, -40, 5800, 2000, 1024);
  EXPECT_EQ(z.first_sample, 0);
  EXPECT_EQ(z.last_sample, 1024);
  // A box wholly below the record has no height left.
  EXPECT_EQ(ZoomFromBox(1200, 1100, 5800, 1200, 1024).refusal, kNoHeight);
  // Halves of a sample go to the even neighbour.
  z = ZoomFromBox(1200, 100.5, 5800, 301.5, 1024);
  EXPECT_EQ(z.first_sample, 100);
  EXPECT_EQ(z.last_sample, 302);
}

TEST(SpectrumBox, SixteenTracesAtMostCountedFromZero) {
  // Traces 3 to 30.
  SpectrumBox b = SpectrumFromBox(3100, 120, 30900, 480);
  EXPECT_TRUE(b.capped);
  EXPECT_EQ(b.first_trace, 3);
  EXPECT_EQ(b.last_trace, 18);
  auto args = FreqlookArgs("/data/FILE1001.SU", b);
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[0], "f=/data/FILE1001.SU");
  EXPECT_EQ(args[1], "ftr=2");
  EXPECT_EQ(args[2], "ltr=17");
  EXPECT_EQ(args[3], "fpt=120");
  EXPECT_EQ(args[4], "lpt=480");
  // Traces 3 to 10, drawn from the lower right corner.
  b = SpectrumFromBox(10400, 480.2, 3900, 119.6);
  EXPECT_FALSE(b.capped);
  EXPECT_EQ(FreqlookArgs("F.SU", b),
            (std::vector<std::string>{"f=F.SU", "ftr=2", "ltr=9", "fpt=120", "lpt=480"}));
  // Exactly 16 traces pass.
  EXPECT_FALSE(SpectrumFromBox(1100, 1, 16900, 9).capped);
}

TEST(SpectrumBox, SamePointAndBoxesAboveTheRecord) {
  EXPECT_TRUE(SpectrumFromBox(3100, 200.2, 6900, 199.8).same_point);
  SpectrumBox b = SpectrumFromBox(3100, -30, 6900, 50);
  EXPECT_FALSE(b.same_point);
  EXPECT_EQ(b.fp, "0");
  EXPECT_EQ(b.lp, "50");
  EXPECT_TRUE(SpectrumFromBox(3100, -30, 6900, -5).same_point);
}

}  // namespace
}  // namespace keld::korvan
