#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "korvan/display/trace_plotter.hpp"

using namespace keld::korvan;

namespace {

struct Shape {
  bool polygon;
  std::vector<QPoint> pts;
  uint32_t pen, fill;
};

struct Recorder : ShapeSink {
  std::vector<Shape> shapes;
  void Polyline(const QPoint* p, int n, uint32_t pen) override { shapes.push_back({false, {p, p + n}, pen, 0}); }
  void Polygon(const QPoint* p, int n, uint32_t pen, uint32_t fill) override {
    shapes.push_back({true, {p, p + n}, pen, fill});
  }
};

// One display unit a pixel column and one sample a pixel row, samples 1..n.
PlotFrame Frame(int n, double U = 1) {
  PlotFrame f;
  f.U = U;
  f.S = 1;
  f.first = 1;
  f.last = n;
  f.step = 1;
  f.bottom_row = n - 1;
  return f;
}

DrawParams Mode(int m) {
  DrawParams p;
  p.Mode_Affichage = m;
  p.Couleur_Remplissage = 0x00FF00;
  p.Couleur_Positive = 0x0000FF;
  p.Couleur_Negative = 0xFF0000;
  return p;
}

using Pts = std::vector<QPoint>;

}  // namespace

TEST(RoundPixel, HalvesGoToTheEvenNeighbourAndFarPointsAreClamped) {
  EXPECT_EQ(RoundPixel(250.5), 250);
  EXPECT_EQ(RoundPixel(251.5), 252);
  EXPECT_EQ(RoundPixel(-0.5), 0);
  EXPECT_EQ(RoundPixel(1e300), 1 << 22);
  EXPECT_EQ(RoundPixel(-1e300), -(1 << 22));
  EXPECT_EQ(RoundPixel(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(TracePlotter, PlainWiggleIsOnePolylineClosingOnTheZeroLine) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggle), Frame(5), r);
  const float s[] = {0, 100, 0, -100, 0};
  t.Plot(s, 5, 0, 1);
  ASSERT_EQ(r.shapes.size(), 1u);
  EXPECT_FALSE(r.shapes[0].polygon);
  EXPECT_EQ(r.shapes[0].pen, kBlack);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{500, 0}, {600, 1}, {500, 2}, {400, 3}, {500, 4}, {500, 4}}));
}

TEST(TracePlotter, FilledWiggleStrokesBackToTheZeroLineRightOfIt) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggleFilled), Frame(5), r);
  const float s[] = {0, 100, 0, -100, 0};
  t.Plot(s, 5, 1, 1);  // second column: zero line at 1500
  ASSERT_EQ(r.shapes.size(), 1u);
  EXPECT_EQ(r.shapes[0].pts,
            (Pts{{1500, 0}, {1600, 1}, {1500, 1}, {1500, 2}, {1400, 3}, {1500, 4}, {1500, 4}}));
}

TEST(TracePlotter, DeflectionsRoundHalfEvenInDevicePixels) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggle), Frame(3, 2), r);  // two display units a pixel
  const float s[] = {1, 3, 0};
  t.Plot(s, 3, 0, 1);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{250, 0}, {252, 1}, {250, 2}, {250, 2}}));  // 250.5 -> 250, 251.5 -> 252
}

TEST(TracePlotter, ClipLimitsTheDeflectionToHalfAColumn) {
  Recorder r;
  DrawParams p = Mode(kModeWiggle);
  const float s[] = {10000, -10000, 1e30f};
  TracePlotter unclipped(p, Frame(3), r);
  unclipped.Plot(s, 3, 0, 1);
  EXPECT_EQ(r.shapes[0].pts[0], QPoint(10500, 0));
  EXPECT_EQ(r.shapes[0].pts[1], QPoint(-9500, 1));
  EXPECT_EQ(r.shapes[0].pts[2], QPoint(1 << 22, 2)) << "a huge sample is clamped, not overflowed";
  p.cclip = true;
  TracePlotter clipped(p, Frame(3), r);
  clipped.Plot(s, 3, 0, 1);
  EXPECT_EQ(r.shapes[1].pts[0], QPoint(1000, 0));
  EXPECT_EQ(r.shapes[1].pts[1], QPoint(0, 1));
  EXPECT_EQ(r.shapes[1].pts[2], QPoint(1000, 2));
}

TEST(TracePlotter, ANegativeFactorReversesThePolarity) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggle), Frame(2), r);
  const float s[] = {100, -50};
  t.Plot(s, 2, 0, -2);
  EXPECT_EQ(r.shapes[0].pts[0], QPoint(300, 0));
  EXPECT_EQ(r.shapes[0].pts[1], QPoint(600, 1));
}

TEST(TracePlotter, StepAndWindowStartPickTheSamplesAndTheRows) {
  Recorder r;
  PlotFrame f;
  f.U = 1;
  f.S = 2;  // two samples a row
  f.first = 3;
  f.last = 9;
  f.step = 2;
  f.bottom_row = 3;  // (9 - 3) / 2: the bottom of the window drawn
  TracePlotter t(Mode(kModeWiggle), f, r);
  const float s[] = {900, 900, 10, 900, 20, 900, 30, 900, 40};
  t.Plot(s, 9, 0, 1);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{510, 0}, {520, 1}, {530, 2}, {540, 3}, {500, 3}}));
}

TEST(TracePlotter, VariableAreaFillsOnlyTheRightLobes) {
  Recorder r;
  TracePlotter t(Mode(kModeVariableArea), Frame(8), r);
  const float s[] = {0, 100, 200, 100, 0, -100, -200, 0};
  t.Plot(s, 8, 0, 1);
  ASSERT_EQ(r.shapes.size(), 1u) << "one polygon for the one right lobe, no line elsewhere";
  EXPECT_TRUE(r.shapes[0].polygon);
  EXPECT_EQ(r.shapes[0].pen, kBlack);
  EXPECT_EQ(r.shapes[0].fill, 0x00FF00u);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{500, 1}, {600, 1}, {700, 2}, {600, 3}, {500, 4}}));
}

TEST(TracePlotter, AnOpenLobeAtTheEndIsNotDrawnButCarriesIntoTheNextTrace) {
  Recorder r;
  TracePlotter t(Mode(kModeVariableArea), Frame(3), r);
  const float a[] = {-10, 50, 100};
  t.Plot(a, 3, 0, 1);
  EXPECT_TRUE(r.shapes.empty());
  EXPECT_EQ(t.in_lobe(), 1);
  EXPECT_FLOAT_EQ(t.previous(), 100);
  // The next trace starts inside a lobe: it begins on its zero line at once.
  const float b[] = {40, 80, -5};
  t.Plot(b, 3, 1, 1);
  ASSERT_EQ(r.shapes.size(), 1u);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{1500, 0}, {1540, 0}, {1580, 1}, {1500, 2}}));
}

TEST(TracePlotter, TwoColourDrawsRightLobesPositiveAndLeftLobesNegative) {
  Recorder r;
  TracePlotter t(Mode(kModeTwoColour), Frame(9), r);
  const float s[] = {-50, -100, -50, 0, 100, 200, 100, 0, -10};
  t.Plot(s, 9, 0, 1);
  ASSERT_EQ(r.shapes.size(), 2u);
  // A trace that starts negative begins its first left lobe on the zero line at the top row.
  EXPECT_EQ(r.shapes[0].fill, 0xFF0000u);
  EXPECT_EQ(r.shapes[0].pen, 0xFF0000u);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{500, 0}, {450, 0}, {400, 1}, {450, 2}, {500, 3}, {500, 3}}));
  EXPECT_EQ(r.shapes[1].fill, 0x0000FFu);
  EXPECT_EQ(r.shapes[1].pen, 0x0000FFu);
  EXPECT_EQ(r.shapes[1].pts.front(), QPoint(500, 4));
  EXPECT_EQ(r.shapes[1].pts.back(), QPoint(500, 7));
  EXPECT_TRUE(std::find(r.shapes[1].pts.begin(), r.shapes[1].pts.end(), QPoint(700, 5)) != r.shapes[1].pts.end());
}

TEST(TracePlotter, TwoColourDrawsAFirstRightLobeThatFollowsZeros) {
  // At the start of a drawing nothing is in a lobe; a trace that starts with
  // zeros (or positive) still gets its first right lobe.
  Recorder r;
  TracePlotter t(Mode(kModeTwoColour), Frame(6), r);
  const float s[] = {0, 0, 100, 200, 100, -10};
  t.Plot(s, 6, 0, 1);
  const Shape* right = nullptr;
  for (const auto& sh : r.shapes)
    if (sh.fill == 0x0000FFu) right = &sh;
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->pts, (Pts{{500, 2}, {600, 2}, {700, 3}, {600, 4}, {500, 5}}));
}

TEST(TracePlotter, NanSamplesDrawOnTheZeroLine) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggle), Frame(2), r);
  const float s[] = {std::numeric_limits<float>::quiet_NaN(), 10};
  t.Plot(s, 2, 0, 1);
  EXPECT_EQ(r.shapes[0].pts[0], QPoint(500, 0));
}

TEST(TracePlotter, NeverReadsPastTheSamplesGiven) {
  Recorder r;
  TracePlotter t(Mode(kModeWiggle), Frame(100), r);  // window longer than the trace
  std::vector<float> s(10, 1.0f);
  t.Plot(s.data(), 10, 0, 1);
  EXPECT_EQ(r.shapes[0].pts.size(), 11u);
}

TEST(TracePlotter, AnUnknownModeDrawsAsTheFilledWiggle) {
  Recorder r;
  TracePlotter t(Mode(3), Frame(2), r);
  const float s[] = {10, 0};
  t.Plot(s, 2, 0, 1);
  ASSERT_EQ(r.shapes.size(), 1u);
  EXPECT_EQ(r.shapes[0].pts, (Pts{{510, 0}, {500, 0}, {500, 1}, {500, 1}}));
}
