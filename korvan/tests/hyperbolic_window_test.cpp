// The window `Hyperbolic` and the curve it lays over a simulated shot.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScrollBar>

#include "korvan/engine/hyperbola.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/tests/tools_fixture.hpp"
#include "korvan/window/hyperbolic_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

// The sample of receiver column k's two-way time at 2000 Hz.
double Row(double h, double depth, double velocity) { return TwoWayTimeMs(h, depth, velocity) * 2000 / 1000; }

// The zero line of trace column k (from 0) when every trace is drawn.
double ZeroLine(int k) { return 1000 + 1000 * k + 500; }

}  // namespace

TEST(KorvanHyperbola, CurveOverAShotBeforeAndInsideTheSpread) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Text15->setText("5");
  w.sx->setText("0");
  Shoot(w, 24);
  ASSERT_TRUE(w.item("hyperbol")->isEnabled());
  w.item("hyperbol")->trigger();
  HyperbolicWindow* hw = w.hyperbolic();
  ASSERT_NE(hw, nullptr);
  EXPECT_TRUE(hw->isVisible());
  EXPECT_EQ(hw->objectName(), "Hyperbolic");
  EXPECT_EQ(hw->Text1->text(), "5");
  EXPECT_EQ(hw->Text4->text(), "0");
  EXPECT_EQ(hw->Text2->text(), "100");
  EXPECT_EQ(hw->HScroll2->value(), 300);
  EXPECT_EQ(hw->HScroll1->value(), 1000);
  EXPECT_TRUE(h.messages.shown.empty());

  // Depth 40 m typed: the bar follows and the curve is drawn from the boxes.
  hw->Text2->setText("40");
  EXPECT_EQ(hw->HScroll2->value(), 40);
  const PictureBox& e = *w.Ecran;
  for (int k : {0, 4, 12, 23})
    EXPECT_GT(RedOverlayNear(e, ZeroLine(k), Row(5.0 * k, 40, 1000)), 0) << "receiver " << k;
  // Nothing where the curve is not: the record's own image has no red.
  EXPECT_EQ(RedOverlayNear(e, ZeroLine(4), Row(20, 40, 1000) + 60), 0);
  EXPECT_EQ(RedPixels(e.image(), 0, e.width()), 0);
  // The velocity bar moves the curve, and its box follows.
  hw->HScroll1->setValue(1500);
  EXPECT_EQ(hw->Text3->text(), "1500");
  EXPECT_GT(RedOverlayNear(e, ZeroLine(12), Row(60, 40, 1500)), 0);
  EXPECT_EQ(RedOverlayNear(e, ZeroLine(12), Row(60, 40, 1000)), 0);  // the old curve is gone

  // Shot 10 m before the first receiver.
  hw->Text4->setText("-10");
  hw->Command1->click();
  EXPECT_GT(RedOverlayNear(e, ZeroLine(0), Row(10, 40, 1500)), 0);
  // Shot inside the spread at 32 m: between columns 6 and 7, the apex there
  // and both runs falling away to the ends of the spread.
  hw->Text4->setText("32");
  hw->Command1->click();
  EXPECT_GT(RedOverlayNear(e, ZeroLine(6), Row(5, 40, 1500)), 0);
  EXPECT_GT(RedOverlayNear(e, ZeroLine(7), Row(5, 40, 1500)), 0);
  EXPECT_GT(RedOverlayNear(e, ZeroLine(0), Row(35, 40, 1500)), 0);
  EXPECT_GT(RedOverlayNear(e, ZeroLine(23), Row(85, 40, 1500)), 0);
  // A shallow slow reflector for the picture: the two runs fall away from the
  // apex between columns 6 and 7.
  hw->Text2->setText("15");
  hw->Text3->setText("800");
  EXPECT_GT(RedOverlayNear(e, ZeroLine(23), Row(85, 15, 800)), 0);
  Screenshot(&w, "korvan_hyperbola.png");
  Screenshot(hw, "korvan_hyperbola_window.png");

  // "Quit/Cancel" hides the window and keeps its boxes.
  hw->Command2->click();
  EXPECT_FALSE(hw->isVisible());
  w.item("hyperbol")->trigger();
  EXPECT_EQ(w.hyperbolic(), hw);
  EXPECT_EQ(hw->Text4->text(), "32");
}

TEST(KorvanHyperbola, BoxesOutsideTheBarsAndZeroValues) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Text15->setText("5");
  Shoot(w, 12);
  w.hyperbol_Click();
  HyperbolicWindow* hw = w.hyperbolic();
  hw->Text2->setText("20");
  ASSERT_GT(RedOverlayNear(*w.Ecran, ZeroLine(0), Row(0, 20, 1000)), 0);
  // A depth above the bar's maximum leaves the bar and draws nothing new...
  hw->Text2->setText("6000");
  EXPECT_EQ(hw->HScroll2->value(), 20);
  EXPECT_GT(RedOverlayNear(*w.Ecran, ZeroLine(0), Row(0, 20, 1000)), 0);
  // ...until "Trace", which reads the boxes.
  hw->Command1->click();
  EXPECT_EQ(RedOverlayNear(*w.Ecran, ZeroLine(0), Row(0, 20, 1000)), 0);
  // A velocity or spacing of 0 draws nothing and fails nothing.
  hw->Text2->setText("20");
  hw->Text3->setText("0");
  hw->Command1->click();
  EXPECT_EQ(RedPixels(w.Ecran->overlay(), 0, w.Ecran->width()), 0);
  hw->Text3->setText("1000");
  hw->Text1->setText("0");
  EXPECT_EQ(h.state.Intertrace, 0);
  hw->Command1->click();
  EXPECT_EQ(RedPixels(w.Ecran->overlay(), 0, w.Ecran->width()), 0);
  hw->Text1->setText("5");
  EXPECT_EQ(h.state.Intertrace, 5);
  // Maxima of the bars.
  h.messages.type(std::string("50000"));
  hw->depth->click();
  EXPECT_EQ(hw->HScroll2->maximum(), 30000);
  EXPECT_EQ(h.messages.last().text, "Maximum depth value");
  EXPECT_EQ(h.messages.last().default_text, "1000");
  h.messages.type(std::string("3"));
  hw->depth->click();
  EXPECT_EQ(hw->HScroll2->maximum(), 10);
  h.messages.type(std::nullopt);  // cancel keeps it
  hw->depth->click();
  EXPECT_EQ(hw->HScroll2->maximum(), 10);
  h.messages.type(std::string("abc"));
  hw->velo->click();
  EXPECT_EQ(hw->HScroll1->maximum(), 30000);
  EXPECT_EQ(h.messages.last().text, "Maximum velocity value");
  EXPECT_EQ(h.messages.last().default_text, "5000");
  h.messages.type(std::string("2500.4"));
  hw->velo->click();
  EXPECT_EQ(hw->HScroll1->maximum(), 2500);
}

TEST(KorvanHyperbola, LoadingWithoutSpacingAsksForIt) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Text15->setText("");
  w.sx->setText("7");
  h.messages.type(std::string("0"));
  w.hyperbol_Click();
  EXPECT_EQ(h.messages.last().text, "Receiever spacing (m or ft)");
  EXPECT_EQ(h.messages.last().default_text, "5");
  EXPECT_EQ(h.state.Intertrace, 1);
  EXPECT_EQ(w.hyperbolic()->Text1->text(), "1");
  EXPECT_EQ(w.hyperbolic()->Text4->text(), "7");
  // Closed by its close box it is loaded afresh at the next showing.
  w.hyperbolic()->Text2->setText("55");
  w.hyperbolic()->close();
  w.Text15->setText("2.5");
  w.hyperbol_Click();
  EXPECT_EQ(w.hyperbolic()->Text1->text(), "2.5");
  EXPECT_EQ(w.hyperbolic()->Text2->text(), "100");
  // A cancelled spacing box keeps the spacing as it was.
  w.hyperbolic()->close();
  w.Text15->setText("0");
  h.messages.type(std::nullopt);
  w.hyperbol_Click();
  EXPECT_EQ(h.state.Intertrace, 0);
  EXPECT_EQ(w.hyperbolic()->Text1->text(), "0");
}
