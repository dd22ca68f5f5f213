#include <gtest/gtest.h>

#include <QTest>

#include <cmath>
#include <vector>

#include "platform/qt/picture_box.hpp"

using namespace keld;

namespace {

uint32_t At(const QImage& img, int x, int y) { return ToBgr(QColor(img.pixel(x, y))); }

struct MouseRecord {
  int kind = 0;  // 1 down, 2 move, 3 up
  int button = -1, shift = -1;
  double x = 0, y = 0;
};

struct Box200x100 : ::testing::Test {
  PictureBox pb;
  void SetUp() override { pb.resize(200, 100); }
};

}  // namespace

TEST(BgrColour, StoresRedInTheLowByte) {
  EXPECT_EQ(BgrColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(BgrColor(0xFF8080), QColor(0x80, 0x80, 0xFF));
  EXPECT_EQ(ToBgr(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

TEST_F(Box200x100, ScaleMapsTopLeftAndBottomRightCorners) {
  EXPECT_EQ(pb.PixelWidth(), 200);
  EXPECT_EQ(pb.PixelHeight(), 100);
  pb.Scale(1000, 1, 25000, 1025);
  EXPECT_DOUBLE_EQ(pb.ScaleLeft(), 1000);
  EXPECT_DOUBLE_EQ(pb.ScaleTop(), 1);
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 24000);
  EXPECT_DOUBLE_EQ(pb.ScaleHeight(), 1024);
  EXPECT_EQ(pb.ToPixel(1000, 1), QPointF(0, 0));
  EXPECT_EQ(pb.ToPixel(25000, 1025), QPointF(200, 100));
  EXPECT_EQ(pb.ToPixel(13000, 513), QPointF(100, 50));
  QPointF u = pb.FromPixel(50, 25);
  EXPECT_DOUBLE_EQ(u.x(), 7000);
  EXPECT_DOUBLE_EQ(u.y(), 257);
}

TEST_F(Box200x100, ScaleMayRunBackwardsOnEitherAxis) {
  pb.Scale(100, -100, -100, 100);  // x runs right to left
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), -200);
  EXPECT_EQ(pb.ToPixel(100, -100), QPointF(0, 0));
  EXPECT_EQ(pb.ToPixel(-100, 100), QPointF(200, 100));
  pb.Scale(0, 10, 10, 0);  // y runs upwards
  EXPECT_EQ(pb.ToPixel(0, 0), QPointF(0, 100));
  EXPECT_EQ(pb.ToPixel(10, 10), QPointF(200, 0));
  QPointF u = pb.FromPixel(pb.ToPixel(2.5, 7.5).x(), pb.ToPixel(2.5, 7.5).y());
  EXPECT_DOUBLE_EQ(u.x(), 2.5);
  EXPECT_DOUBLE_EQ(u.y(), 7.5);
}

TEST_F(Box200x100, PixelScaleFollowsTheSizeAndADegenerateScaleIsRefused) {
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 200);
  pb.Scale(0, 0, 10, 10);
  pb.Scale(5, 0, 5, 10);  // no width: ignored
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 10);
  pb.ScalePixels();
  pb.resize(300, 50);
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 300);
  EXPECT_DOUBLE_EQ(pb.ScaleHeight(), 50);
  EXPECT_EQ(pb.ToPixel(7, 8), QPointF(7, 8));
}

TEST_F(Box200x100, MouseEventsArriveInUserCoordinates) {
  pb.Scale(1000, 0, 3000, 500);
  pb.show();
  std::vector<MouseRecord> got;
  QObject::connect(&pb, &PictureBox::mouseDown, [&](int b, int s, double x, double y) { got.push_back({1, b, s, x, y}); });
  QObject::connect(&pb, &PictureBox::mouseMove, [&](int b, int s, double x, double y) { got.push_back({2, b, s, x, y}); });
  QObject::connect(&pb, &PictureBox::mouseUp, [&](int b, int s, double x, double y) { got.push_back({3, b, s, x, y}); });
  int clicks = 0;
  QObject::connect(&pb, &PictureBox::clicked, [&] { ++clicks; });

  QTest::mousePress(&pb, Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 20));
  QTest::mouseMove(&pb, QPoint(100, 40));
  QTest::mouseRelease(&pb, Qt::LeftButton, Qt::NoModifier, QPoint(150, 80));
  QTest::mousePress(&pb, Qt::RightButton, Qt::ControlModifier, QPoint(10, 10));

  ASSERT_GE(got.size(), 4u);
  EXPECT_EQ(got.front().kind, 1);
  EXPECT_EQ(got.front().button, 1);
  EXPECT_EQ(got.front().shift, 1);
  EXPECT_DOUBLE_EQ(got.front().x, 1500);
  EXPECT_DOUBLE_EQ(got.front().y, 100);
  bool moved = false;
  for (const auto& m : got)
    if (m.kind == 2 && m.x == 2000 && m.y == 200) moved = true;
  EXPECT_TRUE(moved) << "a move reports the pointer in user coordinates";
  const MouseRecord* up = nullptr;
  for (const auto& m : got)
    if (m.kind == 3) up = &m;
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->button, 1);
  EXPECT_DOUBLE_EQ(up->x, 2500);
  EXPECT_DOUBLE_EQ(up->y, 400);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(got.back().kind, 1);
  EXPECT_EQ(got.back().button, 2);
  EXPECT_EQ(got.back().shift, 2);
  // The window's tests call the handlers through these, in user coordinates.
  got.clear();
  pb.send_mouse_down(4, 1234, 56);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].button, 4);
  EXPECT_DOUBLE_EQ(got[0].x, 1234);
}

TEST_F(Box200x100, OverlayDrawingLeavesTheImageAndClsClearsOnlyTheOverlay) {
  pb.Scale(0, 0, 200, 100);
  pb.Line(0, 10, 199, 10, 0x000000);  // persistent: the record
  EXPECT_EQ(At(pb.image(), 50, 10), 0x000000u);

  pb.set_persistent(false);
  pb.Line(0, 50, 199, 50, 0x0000FF);  // temporary: a rubber band
  EXPECT_EQ(At(pb.image(), 50, 50), 0xFFFFFFu) << "the image does not get overlay drawing";
  EXPECT_EQ(At(pb.Snapshot(), 50, 50), 0x0000FFu);
  EXPECT_EQ(At(pb.Snapshot(), 50, 10), 0x000000u);

  pb.Cls();  // persistent off: only the overlay goes
  EXPECT_EQ(At(pb.Snapshot(), 50, 50), 0xFFFFFFu);
  EXPECT_EQ(At(pb.Snapshot(), 50, 10), 0x000000u) << "the record survives a clear of the overlay";

  pb.Line(0, 60, 199, 60, 0x00FF00);
  pb.set_persistent(true);
  pb.Cls();  // persistent on: image and overlay
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 50, 10), 0xFFFFFFu);
  EXPECT_EQ(At(s, 50, 60), 0xFFFFFFu);
  EXPECT_DOUBLE_EQ(pb.CurrentX, 0);
}

TEST_F(Box200x100, SettingTheBackColourClears) {
  pb.Line(0, 10, 199, 10, 0x000000);
  pb.SetBackColor(0x123456);
  EXPECT_EQ(pb.BackColor(), 0x123456u);
  EXPECT_EQ(At(pb.Snapshot(), 50, 10), 0x123456u);
  pb.Cls();
  EXPECT_EQ(At(pb.Snapshot(), 0, 0), 0x123456u);
}

TEST_F(Box200x100, MaskPenGivesScreenAndPen) {
  pb.Scale(0, 0, 200, 100);
  pb.Box(0, 0, 99, 99, 0x0000FF, true);  // left half red, right half white
  pb.Mode = PictureBox::DrawMode::MaskPen;
  pb.Box(50, 20, 150, 80, 0xE0FFFF, true);  // persistent, over red and white
  EXPECT_EQ(At(pb.image(), 70, 50), 0x0000FFu & 0xE0FFFFu);
  EXPECT_EQ(At(pb.image(), 120, 50), 0xE0FFFFu);

  // On the overlay the screen is the image below; the image stays as it was.
  pb.Mode = PictureBox::DrawMode::CopyPen;
  pb.Cls();
  pb.Box(0, 0, 99, 99, 0x0000FF, true);
  pb.set_persistent(false);
  pb.Mode = PictureBox::DrawMode::MaskPen;
  pb.Fill = PictureBox::FillStyle::Transparent;
  pb.Box(50, 20, 150, 80, 0xFF8080, true);
  pb.Box(50, 20, 150, 80, 0xFF0000, false);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 70, 50), 0x0000FFu & 0xFF8080u);
  EXPECT_EQ(At(s, 120, 50), 0xFF8080u);
  EXPECT_EQ(At(s, 120, 20), 0xFF0000u & 0xFF8080u) << "the outline masks the filled box drawn before it";
  EXPECT_EQ(At(s, 70, 20), 0x0000FFu & 0xFF8080u & 0xFF0000u);
  EXPECT_EQ(At(pb.image(), 120, 50), 0xFFFFFFu);
  EXPECT_EQ(At(pb.image(), 70, 50), 0x0000FFu);
  pb.Cls();
  EXPECT_EQ(At(pb.Snapshot(), 120, 50), 0xFFFFFFu);
}

TEST_F(Box200x100, PrintMovesToTheStartOfTheNextLine) {
  pb.Scale(0, 0, 1000, 500);  // 5 units a pixel both ways
  pb.ForeColor = 0x0000FF;
  pb.FontSize = 10;
  pb.CurrentX = 250;
  pb.CurrentY = 50;
  pb.Print("Shot");
  EXPECT_DOUBLE_EQ(pb.CurrentX, 0);
  double line = pb.CurrentY - 50;
  EXPECT_GT(line, 10 * 5);   // a 10-point line is more than 10 pixels high
  EXPECT_LT(line, 25 * 5);
  // The text sits right of and below the starting point, in the fore colour.
  QImage s = pb.Snapshot();
  int red = 0, left = 0, above = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      uint32_t c = At(s, x, y);
      if (c == 0xFFFFFFu) continue;
      EXPECT_EQ(c & 0xFF, 0xFFu) << "text in the fore colour";
      ++red;
      if (x < 50) ++left;
      if (y < 10) ++above;
    }
  EXPECT_GT(red, 10);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(above, 0);
  double y1 = pb.CurrentY;
  pb.Print("G1");
  EXPECT_DOUBLE_EQ(pb.CurrentY - y1, line);
}

TEST_F(Box200x100, PolygonIsFilledWithTheFillColourAndOutlinedInTheForeColour) {
  pb.ForeColor = 0x000000;
  pb.FillColor = 0x00FF00;
  pb.Fill = PictureBox::FillStyle::Solid;
  const QPoint tri[] = {{20, 10}, {120, 10}, {20, 90}};
  pb.Polygon(tri, 3);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 40, 30), 0x00FF00u);
  EXPECT_EQ(At(s, 60, 10), 0x000000u);
  EXPECT_EQ(At(s, 20, 50), 0x000000u);
  EXPECT_EQ(At(s, 110, 80), 0xFFFFFFu);
  EXPECT_EQ(At(s, 10, 50), 0xFFFFFFu);

  pb.Fill = PictureBox::FillStyle::Transparent;
  const QPoint sq[] = {{140, 10}, {190, 10}, {190, 60}, {140, 60}};
  pb.Polygon(sq, 4);
  s = pb.Snapshot();
  EXPECT_EQ(At(s, 165, 35), 0xFFFFFFu) << "a transparent polygon is only outlined";
  EXPECT_EQ(At(s, 165, 10), 0x000000u);

  const QPoint line[] = {{0, 95}, {100, 95}, {100, 99}};
  pb.ForeColor = 0xFF0000;
  pb.Polyline(line, 3);
  s = pb.Snapshot();
  EXPECT_EQ(At(s, 50, 95), 0xFF0000u);
  EXPECT_EQ(At(s, 100, 97), 0xFF0000u);
  EXPECT_EQ(At(s, 50, 97), 0xFFFFFFu) << "a polyline is never closed or filled";
}

TEST_F(Box200x100, BoxOutlineCoversBothCornersAndSolidFillUsesTheFillColour) {
  pb.Box(10, 10, 30, 20, 0xFF0000, false);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 10, 10), 0xFF0000u);
  EXPECT_EQ(At(s, 30, 20), 0xFF0000u);
  EXPECT_EQ(At(s, 31, 20), 0xFFFFFFu);
  EXPECT_EQ(At(s, 20, 15), 0xFFFFFFu);
  pb.Fill = PictureBox::FillStyle::Solid;
  pb.FillColor = 0x00FFFF;
  pb.Box(40, 10, 60, 20, 0x000000, false);
  s = pb.Snapshot();
  EXPECT_EQ(At(s, 50, 15), 0x00FFFFu);
  EXPECT_EQ(At(s, 40, 15), 0x000000u);
  EXPECT_DOUBLE_EQ(pb.CurrentX, 60);
}

TEST_F(Box200x100, PSetMovesThePositionAndLineToDrawsFromIt) {
  pb.Scale(0, 0, 100, 50);
  pb.PSet(10, 10, 0x0000FF);
  EXPECT_EQ(At(pb.image(), 20, 20), 0x0000FFu);
  pb.LineTo(90, 10, 0x00FF00);
  EXPECT_EQ(At(pb.image(), 100, 20), 0x00FF00u);
  EXPECT_DOUBLE_EQ(pb.CurrentX, 90);
  pb.DrawWidth = 3;
  pb.PSet(50, 40, 0xFF0000);
  EXPECT_EQ(At(pb.image(), 101, 81), 0xFF0000u);
  EXPECT_EQ(At(pb.image(), 99, 79), 0xFF0000u);
}

TEST(PictureBoxPie, DiskPieShowsTheFreeShareCounterClockwiseFromThreeOClock) {
  PictureBox pb;
  pb.resize(200, 200);
  pb.Scale(0, 0, 100, 100);
  pb.Fill = PictureBox::FillStyle::Solid;
  pb.FillColor = 255;
  pb.Circle(50, 50, 35, 255);
  const double angle = 2 * 3.1416 * 0.25;  // a quarter free
  pb.FillColor = 16711680;
  pb.Arc(50, 50, 35, 16711680, 0.001, angle, true);
  pb.Fill = PictureBox::FillStyle::Transparent;
  pb.Arc(50, 50, 35, 0, angle + 0.001, 2 * 3.1416, false);
  pb.Circle(50, 50, 35, 0);
  QImage s = pb.Snapshot();
  // Centre at pixel (100, 100), radius 70 pixels.
  auto polar = [&](double deg, double r) {
    double a = deg * 3.14159265 / 180;
    return At(s, static_cast<int>(std::lround(100 + r * std::cos(a))), static_cast<int>(std::lround(100 - r * std::sin(a))));
  };
  EXPECT_EQ(polar(45, 40), 16711680u) << "upper right quarter is the free share";
  EXPECT_EQ(polar(135, 40), 255u);
  EXPECT_EQ(polar(270, 40), 255u);
  EXPECT_EQ(polar(200, 70), 0u) << "black outline";
  EXPECT_EQ(At(s, 5, 5), 0xFFFFFFu);
}

TEST(PictureBoxResize, KeepsTheDrawingAndPaintsTheNewPartInTheBackColour) {
  PictureBox pb;
  pb.resize(100, 50);
  pb.Box(0, 0, 99, 49, 0x000000, true);
  pb.resize(150, 80);
  QImage s = pb.Snapshot();
  ASSERT_EQ(s.size(), QSize(150, 80));
  EXPECT_EQ(At(s, 50, 25), 0x000000u);
  EXPECT_EQ(At(s, 120, 70), 0xFFFFFFu);
}

TEST(PictureBoxSpeed, FarOffPointsAndNanDoNotBreakTheDrawing) {
  PictureBox pb;
  pb.resize(100, 100);
  pb.Scale(0, 0, 1, 1);
  pb.Line(0, 0, 1e30, std::nan(""), 0);
  pb.Circle(0.5, 0.5, 1e300, 0);
  const QPoint pts[] = {{-2000000000, 0}, {2000000000, 99}, {50, 50}};
  pb.Polygon(pts, 3);
  SUCCEED();
}
