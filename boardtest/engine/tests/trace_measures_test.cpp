// The labels' number forms and the drawing's edges: flat traces, the first
// point, Autorange against a fixed gain.
#include "boardtest/engine/trace_measures.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace keld::boardtest {
namespace {

TEST(TraceMeasures, LabelForms) {
  const std::pair<double, const char*> rms[] = {
      {0, "0.0"}, {12.5, "12.5"}, {0.03125, "0.0313"}, {1234.56789, "1234.5679"}, {7.00004, "7.0"}};
  for (auto [v, text] : rms) EXPECT_EQ(FormatRms(v), text) << v;
  EXPECT_EQ(FormatDb(134.25), "134.3");
  EXPECT_EQ(FormatDb(6), "6.0");
  // A flat trace: no range to show.
  EXPECT_EQ(Calcola_RMS(std::vector<double>(64, 5.0)).Label23, "---");
  const RmsLabels r = Calcola_RMS(std::vector<double>{1, -1, 1, -1});
  EXPECT_FLOAT_EQ(r.rms, 1);
  EXPECT_EQ(r.Label14, "0.95");
  EXPECT_EQ(r.Label23, "135.5");  // 20 log10(5949367)
}

TEST(TraceMeasures, DrawingEdges) {
  BoardtestState s;
  s.Centro_Y = 500;
  s.Passo_X = 10;
  s.Scala = 0.5;
  s.picture_height = 1000;
  s.Salta_Campioni = 3;
  std::vector<double> y = {0, 0, 40, -20, 100, -50};
  auto pts = Disegna_Traccia(s, y);
  ASSERT_EQ(pts.size(), 4u);
  // From the filtered sample before the first one drawn, then one point a sample.
  EXPECT_FLOAT_EQ(pts[0].y, 480);
  EXPECT_FLOAT_EQ(pts[1].x, 10);
  EXPECT_FLOAT_EQ(pts[1].y, 510);
  EXPECT_FLOAT_EQ(pts[3].y, 525);
  s.Autoscala = true;
  pts = Disegna_Traccia(s, y);
  EXPECT_DOUBLE_EQ(s.Scala, 1000.0 / (2 * 100));  // |max| over samples 4 and 5
  EXPECT_FLOAT_EQ(pts[2].y, 0);
  // A flat trace keeps the scale in force.
  Disegna_Traccia(s, std::vector<double>(6, 0.0));
  EXPECT_DOUBLE_EQ(s.Scala, 5);
  EXPECT_TRUE(Disegna_Traccia(s, std::vector<double>(3, 1.0)).empty());
}

}  // namespace
}  // namespace keld::boardtest
