// The zoom, the apparent velocity, the spectrum selection, the pointer's tool
// tip and the time strip, driven by mouse events on Ecran and echelle in
// their own coordinates.
#include <gtest/gtest.h>

#include <QAction>
#include <QTabWidget>

#include "korvan/display/tests/synthetic_shot.hpp"
#include "korvan/launch/tests/stand_ins.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/tests/tools_fixture.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

void Drag(PictureBox* pb, double x1, double y1, double x2, double y2) {
  pb->send_mouse_down(1, x1, y1);
  pb->send_mouse_move(1, (x1 + x2) / 2, (y1 + y2) / 2);
  pb->send_mouse_move(1, x2, y2);
  pb->send_mouse_up(1, x2, y2);
}

// A record of `traces` synthetic traces of 1024 samples at 2000 Hz, shown.
std::string ShowSynthetic(KorvanHarness& h, Korvan& w, int traces) {
  keld::korvan::testing::ShotSpec desc;
  desc.traces = traces;
  desc.ns = 1024;
  desc.dt_us = 500;
  std::string su = h.services.work_folder + "/DATA/LINE1001.SU";
  EXPECT_TRUE(WriteTraces(su, SyntheticShot(desc), desc.dt_us));
  h.state.Fichier_Courant = su;
  w.Lit_Info_SU();
  w.Affiche_SU(su);
  return su;
}

}  // namespace

TEST(KorvanZoom, ABoxOverThreeTracesStartsThePictureAtItsTopSample) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  Shoot(w);
  ASSERT_EQ(w.Text6->text().toStdString(), h.state.Fichier_Temp);
  EXPECT_EQ(w.Ecran->ScaleTop(), 1);
  w.Toolbar1_ButtonClick("loupe");
  EXPECT_EQ(h.state.Mode_Zoom, 1);
  // From the left half of trace 3 to the right half of trace 5.
  w.Ecran->send_mouse_down(1, 3200, 100);
  w.Ecran->send_mouse_move(1, 5800, 300);
  // The band is on the temporary layer only, light yellow under the mask pen.
  // Each pixel of it is the record's pixel AND light yellow (0xE0FFFF).
  QPointF mid = w.Ecran->ToPixel(4100, 200);
  QPoint m(static_cast<int>(mid.x()), static_cast<int>(mid.y()));
  QRgb band = w.Ecran->overlay().pixel(m);
  QRgb under = w.Ecran->image().pixel(m);
  EXPECT_GT(qAlpha(band), 0);
  EXPECT_EQ(band & 0xFFFFFF, under & 0xFFFFE0);
  EXPECT_EQ(RedPixels(w.Ecran->image(), 0, w.Ecran->width()), 0);
  Screenshot(&w, "korvan_zoom_band.png");
  w.Ecran->send_mouse_up(1, 5800, 300);
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.shown[0].text;
  EXPECT_EQ(h.state.Mode_Zoom, 0);
  EXPECT_EQ(h.state.Premiere_Trace, 3);
  EXPECT_EQ(h.state.Derniere_Trace, 5);
  // The drawing starts at the box's upper sample and ends at the last one.
  EXPECT_EQ(w.Ecran->ScaleTop(), 100);
  EXPECT_EQ(w.Ecran->ScaleTop() + w.Ecran->ScaleHeight(), 1024);
  // Later redraws go back to the window from before the zoom.
  EXPECT_EQ(h.state.Premier_Echantillon, 1);
  EXPECT_EQ(h.state.Dernier_Echantillon, 1024);
  // The strip beside it reads the same samples, 10 units across.
  EXPECT_EQ(w.echelle->ScaleTop(), 100);
  EXPECT_EQ(w.echelle->ScaleHeight(), w.Ecran->ScaleHeight());
  EXPECT_EQ(w.echelle->ScaleWidth(), 10);
  EXPECT_EQ(w.echelle->height(), w.Ecran->height());
  // The tool tip's time is the sample over the frequency, zoomed or not.
  w.Ecran->send_mouse_move(0, 4500, 250);
  EXPECT_EQ(w.Ecran->toolTip(), " 125ms,Trace: 4");
  EXPECT_EQ(h.state.Temps_Pointeur, "125");

  // A velocity line over the zoomed record, for the screenshot.
  w.Text15->setText("10");
  w.LinVel_Click();
  ASSERT_TRUE(w.item("LinVel")->isChecked());
  w.Ecran->send_mouse_down(1, 2500, 200);
  w.Ecran->send_mouse_move(1, 4480, 240);
  EXPECT_GT(RedOverlayNear(*w.Ecran, 3490, 220), 0);
  Screenshot(&w, "korvan_zoom_velocity.png");
  w.Ecran->send_mouse_up(1, 4480, 240);
  EXPECT_EQ(h.messages.last().text, " 1000 ms  10 ms/trace Intertrace: 10");
}

TEST(KorvanZoom, BoxesWithOneOrNoTraceOrNoHeightAreRefused) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  Shoot(w, 12);
  w.Toolbar1_ButtonClick("loupe");
  Drag(w.Ecran, 3200, 100, 4200, 300);  // only trace 3's centre
  EXPECT_EQ(h.messages.last().text, "1 trace, display not Possible");
  EXPECT_EQ(h.state.Mode_Zoom, 0);
  EXPECT_EQ(w.Ecran->ScaleTop(), 1);
  w.Toolbar1_ButtonClick("loupe");
  Drag(w.Ecran, 3700, 100, 4200, 300);  // no centre at all
  EXPECT_EQ(h.messages.last().text, "No trace centre in the box, display not Possible");
  EXPECT_EQ(h.state.Mode_Zoom, 0);
  w.Toolbar1_ButtonClick("loupe");
  Drag(w.Ecran, 2200, 300, 6800, 300.3);  // no height
  EXPECT_EQ(h.messages.last().text, "No time window in the box, display not Possible");
  EXPECT_EQ(w.Ecran->ScaleTop(), 1);
  // A box reaching below the record ends at its last sample.
  w.Toolbar1_ButtonClick("loupe");
  Drag(w.Ecran, 2200, 500, 6800, 5000);
  EXPECT_EQ(w.Ecran->ScaleTop(), 500);
  EXPECT_EQ(w.Ecran->ScaleTop() + w.Ecran->ScaleHeight(), 1024);
  // "Full display" brings the whole record back.
  w.Toolbar1_ButtonClick("noloupe");
  EXPECT_EQ(w.Ecran->ScaleTop(), 1);
}

TEST(KorvanZoom, ZoomAndSpectrumDisarmEachOther) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Toolbar1_ButtonClick("loupe");
  w.Toolbar1_ButtonClick("herz");
  EXPECT_EQ(h.state.Mode_Spectre, 1);
  EXPECT_EQ(h.state.Mode_Zoom, 0);
  w.Toolbar1_ButtonClick("loupe");
  EXPECT_EQ(h.state.Mode_Spectre, 0);
  EXPECT_EQ(h.state.Mode_Zoom, 1);
  ASSERT_TRUE(w.item("Frequency")->isEnabled());
  w.item("Frequency")->trigger();
  EXPECT_EQ(h.state.Mode_Spectre, 1);
  EXPECT_EQ(h.state.Mode_Zoom, 0);
}

TEST(KorvanVelocity, LineFromTraceTwoToTraceFour) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  Shoot(w, 12);
  w.Text15->setText("10");
  ASSERT_TRUE(w.item("LinVel")->isEnabled());
  w.item("LinVel")->trigger();
  ASSERT_TRUE(w.item("LinVel")->isChecked());
  EXPECT_EQ(h.state.Intertrace, 10);
  // Moving before any press draws no line and gives no tool tip.
  w.Ecran->send_mouse_move(0, 3000, 300);
  EXPECT_EQ(w.Ecran->toolTip(), "");
  // 40 samples at 2000 Hz over two spacings of 10 m.
  Drag(w.Ecran, 2500, 100, 4480, 140);
  EXPECT_EQ(h.messages.last().text, " 1000 ms  10 ms/trace Intertrace: 10");
  EXPECT_EQ(h.messages.last().title, "");
  EXPECT_EQ(h.state.Depart_X, 0);
  EXPECT_EQ(h.state.Depart_Y, 0);
  // A line within one trace, or without time, is refused.
  Drag(w.Ecran, 2100, 100, 2900, 300);
  EXPECT_EQ(h.messages.last().text, "Same trace at both ends, velocity impossible");
  Drag(w.Ecran, 2500, 300, 8500, 300);
  EXPECT_EQ(h.messages.last().text, "Same time at both ends, velocity impossible");
  // The velocity release never reaches the zoom.
  w.arm_zoom();
  Drag(w.Ecran, 3200, 100, 5800, 300);
  EXPECT_EQ(h.state.Mode_Zoom, 1);
  EXPECT_EQ(w.Ecran->ScaleTop(), 1);
  // With the zoom armed, the line cannot be switched on, but always off.
  w.item("LinVel")->trigger();
  EXPECT_FALSE(w.item("LinVel")->isChecked());
  h.messages.clear();
  w.item("LinVel")->trigger();
  EXPECT_EQ(h.messages.last().text, "Velocity not possible with zoom ");
  EXPECT_FALSE(w.item("LinVel")->isChecked());
}

TEST(KorvanVelocity, SpacingPromptComesBackAfterZeroAndEndsOnCancel) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Text15->setText("");
  h.state.Intertrace = 3;
  h.messages.type(std::string("0"));
  h.messages.type(std::nullopt);  // cancel
  w.LinVel_Click();
  EXPECT_EQ(h.messages.count("Receiever spacing (m or ft)"), 2);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
  EXPECT_EQ(h.messages.last().default_text, "0");
  EXPECT_FALSE(w.item("LinVel")->isChecked());
  EXPECT_EQ(h.state.Intertrace, 3);
  // An answer ends the prompt; the spacing box stays as it was.
  h.messages.type(std::string("abc"));
  h.messages.type(std::string("7.5"));
  w.LinVel_Click();
  EXPECT_EQ(h.messages.count("Receiever spacing (m or ft)"), 4);
  EXPECT_TRUE(w.item("LinVel")->isChecked());
  EXPECT_EQ(h.state.Intertrace, 7.5);
  EXPECT_EQ(w.Text15->text(), "");
  // Switching off asks nothing.
  w.LinVel_Click();
  EXPECT_FALSE(w.item("LinVel")->isChecked());
  EXPECT_EQ(h.messages.count("Receiever spacing (m or ft)"), 4);
}

TEST(KorvanSpectrum, SixteenTracesAtMostToTheSpectrumProgram) {
  TempDir d;
  KorvanHarness h(d.path());
  PosixLauncher posix;
  h.launcher.real = &posix;
  Korvan& w = h.start();
  std::string su = ShowSynthetic(h, w, 32);
  ASSERT_EQ(w.Text13->text().toStdString(), su);
  std::string args_file = d.path() + "/freqlook.args";
  keld::testing::Script(h.services.program_folder + "/freqlook",
                        "printf '%s\\n' \"$@\" > '" + args_file + ".tmp' && mv '" + args_file +
                            ".tmp' '" + args_file + "'");
  w.Text15->setText("10");
  w.Toolbar1_ButtonClick("herz");
  // Traces 3 to 30, samples 120 to 480.
  w.Ecran->send_mouse_down(1, 3100, 120);
  w.Ecran->send_mouse_move(1, 30900, 480);
  QPointF mid = w.Ecran->ToPixel(10000, 300);
  EXPECT_GT(qAlpha(w.Ecran->overlay().pixel(static_cast<int>(mid.x()), static_cast<int>(mid.y()))), 0);
  w.Ecran->send_mouse_up(1, 30900, 480);
  EXPECT_TRUE(h.messages.saw("Maximum 16 traces"));
  EXPECT_EQ(h.state.Mode_Spectre, 0);
  ASSERT_EQ(h.launcher.started.size(), 1u);
  const StartRequest& r = h.launcher.started[0];
  EXPECT_EQ(r.program, h.services.program_folder + "/freqlook");
  EXPECT_EQ(r.style, WindowStyle::NormalNoFocus);
  std::vector<std::string> want = {"f=" + su, "ftr=2", "ltr=17", "fpt=120", "lpt=480"};
  EXPECT_EQ(r.args, want);
  ASSERT_TRUE(keld::testing::WaitFor(args_file));
  auto lines = Split(keld::testing::ReadText(args_file), '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  EXPECT_EQ(lines, want);
  EXPECT_EQ(h.state.Depart_X, 0);
  EXPECT_EQ(h.state.Arrivee_Y, 0);
  // The spacing box keeps its value.
  EXPECT_EQ(w.Text15->text(), "10");
  EXPECT_FALSE(h.messages.saw("FREQLOOK.EXE must be in KORVAN folder"));
}

TEST(KorvanSpectrum, SamePointStartsNothingAndAMissingProgramIsNamed) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ShowSynthetic(h, w, 8);
  w.arm_spectre();
  Drag(w.Ecran, 2100, 200.2, 6900, 199.8);
  EXPECT_EQ(h.messages.last().text, "Same point, impossible");
  EXPECT_EQ(h.state.Mode_Spectre, 0);
  EXPECT_TRUE(h.launcher.started.empty());
  // No freqlook in the program folder.
  w.arm_spectre();
  Drag(w.Ecran, 2100, 100, 6900, 300);
  EXPECT_EQ(h.messages.last().text, "FREQLOOK.EXE must be in KORVAN folder");
  EXPECT_TRUE(h.launcher.started.empty());
  EXPECT_EQ(h.state.Mode_Spectre, 0);
  EXPECT_EQ(h.state.Depart_X, 0);
  // Without a mode a box does nothing.
  h.messages.clear();
  Drag(w.Ecran, 2100, 100, 6900, 300);
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST(KorvanTimeStrip, ABandOnTheStripSetsTheFirstSample) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ShowSynthetic(h, w, 8);
  EXPECT_EQ(w.echelle->ScaleTop(), 1);
  EXPECT_EQ(w.echelle->ScaleTop() + w.echelle->ScaleHeight(), 1024);
  w.echelle->send_mouse_down(1, 5, 400);
  w.echelle->send_mouse_move(1, 5, 200);
  QPointF p = w.echelle->ToPixel(5, 300);
  QRgb band = w.echelle->overlay().pixel(static_cast<int>(p.x()), static_cast<int>(p.y()));
  EXPECT_GT(qAlpha(band), 0);
  EXPECT_EQ(band & 0xFFFFFF, 0u);  // black
  w.echelle->send_mouse_up(1, 5, 200);
  EXPECT_EQ(w.Ecran->ScaleTop(), 200);
  EXPECT_EQ(w.echelle->ScaleTop(), 200);
  EXPECT_EQ(h.state.Depart_Y, 0);
  // Released above the strip's top: from sample 0.
  w.echelle->send_mouse_down(1, 5, 300);
  w.echelle->send_mouse_up(1, 5, -40);
  EXPECT_EQ(w.Ecran->ScaleTop(), 0);
}
