#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <filesystem>
#include <vector>

#include "common/bytes.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/display/display_prepare.hpp"
#include "korvan/display/draw_traces.hpp"
#include "korvan/display/tests/synthetic_shot.hpp"
#include "platform/qt/picture_box.hpp"

using namespace keld;
using namespace keld::korvan;
using keld::korvan::testing::WriteTraces;
using Traces = std::vector<std::vector<float>>;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr double kPi = 3.14159265358979323846;

uint32_t At(const QImage& img, int x, int y) { return ToBgr(QColor(img.pixel(x, y))); }

// Pixels of colour c (or not white, when c is -1) in the rectangle x0..x1, y0..y1.
int Count(const QImage& img, int x0, int x1, int y0, int y1, int64_t c = -1) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      uint32_t v = At(img, x, y);
      if (c < 0 ? v != kWhite : v == static_cast<uint32_t>(c)) ++n;
    }
  return n;
}

// 100 samples: zero, with a half-sine lobe of `peak` over samples 31..61
// (peak at sample 46) and, when `second` is given, a second lobe of that sign
// over samples 1..31.
std::vector<float> Lobe(float peak, float second = 0) {
  std::vector<float> v(100, 0.0f);
  for (int s = 31; s <= 61; ++s) v[s - 1] = peak * static_cast<float>(std::sin((s - 31) * kPi / 30));
  if (second != 0)
    for (int s = 1; s < 31; ++s) v[s - 1] = second * static_cast<float>(std::sin((s - 1) * kPi / 30));
  return v;
}

DrawParams Params(int mode, int egali = kNormalEqualization) {
  DrawParams p;
  p.Mode_Affichage = mode;
  p.egali = egali;
  p.Gain_Affichage = GainFromCaption("1.0");
  p.Premier_Echantillon = 1;
  p.Dernier_Echantillon = 100;
  p.Couleur_Remplissage = kGreen;
  p.Couleur_Positive = kRed;
  p.Couleur_Negative = kBlue;
  return p;
}

// A picture 200 pixels a trace wide and 99 high: 5 display units a pixel
// column, one sample a pixel row (samples 1..100 on rows 0..99).
struct Display : ::testing::Test {
  keld::testing::TempDir dir;
  PictureBox pb;
  std::string file(const Traces& t, const std::string& name = "t.su") {
    std::string path = dir / name;
    EXPECT_TRUE(WriteTraces(path, t, 1000));
    pb.resize(200 * static_cast<int>(t.size()), 99);
    return path;
  }
};

}  // namespace

TEST_F(Display, CoordinatesAreAColumnOf1000UnitsATraceAndSamplesDown) {
  std::string path = file(Traces(24, std::vector<float>(1024, 0.0f)));
  pb.resize(240, 100);
  DrawParams p = Params(kModeWiggle);
  p.Dernier_Echantillon = 1024;
  DrawResult r = DrawTraces(pb, path, p);
  ASSERT_TRUE(r.drawn) << r.error;
  EXPECT_EQ(r.Nb_Tracce, 24);
  EXPECT_EQ(r.Nb_Campioni, 1024);
  EXPECT_EQ(r.Premiere_Trace, 1);
  EXPECT_EQ(r.Derniere_Trace, 24);
  EXPECT_EQ(r.Premier_Echantillon, 1);
  EXPECT_EQ(r.Dernier_Echantillon, 1024);
  EXPECT_DOUBLE_EQ(r.Largeur_Totale, 24000);
  EXPECT_DOUBLE_EQ(pb.ScaleLeft(), 1000);
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 24000);
  EXPECT_DOUBLE_EQ(pb.ScaleTop(), 1);
  EXPECT_DOUBLE_EQ(pb.ScaleHeight(), 1023);
  // Flat traces stand on their zero lines, at the middle of each 10-pixel column.
  QImage s = pb.Snapshot();
  for (int t = 0; t < 24; ++t) EXPECT_EQ(At(s, 10 * t + 5, 50), kBlack) << t;
  EXPECT_EQ(Count(s, 0, 239, 50, 50), 24);
  EXPECT_EQ(pb.cursor().shape(), Qt::CrossCursor);
}

TEST_F(Display, VariableAreaFillsASinglePositiveLobeAndNothingLeftOfTheZeroLine) {
  std::string path = file({Lobe(1)});
  DrawResult r = DrawTraces(pb, path, Params(kModeVariableArea));
  ASSERT_TRUE(r.drawn) << r.error;
  QImage s = pb.Snapshot();
  // Zero line at pixel 100; the peak (sample 46, row 45) deflects 500.5 units = 100 pixels.
  EXPECT_EQ(At(s, 150, 45), kGreen);
  EXPECT_EQ(At(s, 110, 40), kGreen);
  EXPECT_EQ(At(s, 100, 45), kBlack) << "outline along the zero line";
  EXPECT_EQ(Count(s, 0, 99, 0, 98), 0) << "nothing left of the zero line";
  EXPECT_EQ(Count(s, 0, 199, 0, 28), 0) << "no line outside the lobe";
  EXPECT_EQ(Count(s, 0, 199, 63, 98), 0);
  EXPECT_GT(Count(s, 101, 199, 30, 60, kGreen), 1500);
}

TEST_F(Display, TwoColourModeFillsBothSidesInTheirColours) {
  std::string path = file({Lobe(1, -1)});
  ASSERT_TRUE(DrawTraces(pb, path, Params(kModeTwoColour)).drawn);
  QImage s = pb.Snapshot();
  // The trace starts negative: its first left lobe begins on the zero line at the top row.
  EXPECT_EQ(At(s, 99, 0), kBlue);
  EXPECT_EQ(At(s, 60, 15), kBlue);
  EXPECT_EQ(At(s, 140, 45), kRed);
  EXPECT_EQ(Count(s, 101, 199, 0, 28, kRed), 0);
  EXPECT_EQ(Count(s, 0, 99, 31, 98, kBlue), 0);
}

TEST_F(Display, TwoColourModeDrawsTheFirstLobeOfATraceStartingPositive) {
  std::string path = file({Lobe(-1, 1)});
  ASSERT_TRUE(DrawTraces(pb, path, Params(kModeTwoColour)).drawn);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 140, 15), kRed);
  EXPECT_EQ(At(s, 60, 45), kBlue);
}

TEST_F(Display, ADeadOrAllNegativeTraceKeepsThePreviousFactorAndIsNotFlipped) {
  std::string path = file({Lobe(100), std::vector<float>(100, 0.0f), Lobe(-100)});
  ASSERT_TRUE(DrawTraces(pb, path, Params(kModeWiggle)).drawn);
  QImage s = pb.Snapshot();
  // Trace 2 is all zero: a straight line on its zero line (pixel 300).
  EXPECT_EQ(Count(s, 201, 399, 0, 98), 99);
  EXPECT_EQ(Count(s, 300, 300, 0, 98), 99);
  // Trace 3 has no positive sample: drawn with trace 1's factor 5, its peak
  // -100 deflects 500.5 units (100 pixels) to the left of pixel 500.
  EXPECT_EQ(At(s, 400, 45), kBlack);
  EXPECT_EQ(Count(s, 502, 599, 0, 98), 0) << "not flipped to the right";
}

TEST_F(Display, TrueAmplitudeOverlapsTheNeighbourUnlessClipped) {
  // Trace 2 peaks at twice trace 1: about 1000 units, into trace 3's column.
  std::string path = file({Lobe(100), Lobe(200), std::vector<float>(100, 0.0f)});
  DrawParams p = Params(kModeWiggle, kTrueAmplitude);
  ASSERT_TRUE(DrawTraces(pb, path, p).drawn);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 500, 45), kBlack) << "(1500 + 1001) / 5 = 500.2";
  EXPECT_GT(Count(s, 402, 498, 30, 60), 0);
  p.cclip = true;
  ASSERT_TRUE(DrawTraces(pb, path, p).drawn);
  s = pb.Snapshot();
  EXPECT_EQ(Count(s, 402, 498, 0, 98), 0) << "clipped at 500 units, pixel 400";
  EXPECT_EQ(At(s, 400, 45), kBlack);
  EXPECT_EQ(At(s, 200, 45), kBlack) << "trace 1 peaks at half a column";
}

TEST_F(Display, ReversePolarityAndBackAgain) {
  std::string path = file({Lobe(1)});
  DrawParams p = Params(kModeWiggle);
  p.creverse = true;
  DrawResult r = DrawTraces(pb, path, p);
  EXPECT_EQ(r.Polarite, -1);
  QImage s = pb.Snapshot();
  EXPECT_EQ(At(s, 0, 45), kBlack);
  EXPECT_EQ(Count(s, 102, 199, 0, 98), 0);
  p.creverse = false;
  r = DrawTraces(pb, path, p);
  EXPECT_EQ(r.Polarite, 1);
  s = pb.Snapshot();
  EXPECT_EQ(Count(s, 0, 98, 0, 98), 0);
  EXPECT_GT(Count(s, 190, 199, 40, 50), 0);
}

TEST_F(Display, APartialLastTraceIsNotDrawn) {
  std::string path = file({Lobe(1), Lobe(1), Lobe(1)});
  std::FILE* f = std::fopen(path.c_str(), "ab");
  std::vector<uint8_t> half(240 + 200, 0);
  std::fwrite(half.data(), 1, half.size(), f);
  std::fclose(f);
  DrawResult r = DrawTraces(pb, path, Params(kModeWiggle));
  ASSERT_TRUE(r.drawn) << r.error;
  EXPECT_EQ(r.Nb_Tracce, 3);
  EXPECT_DOUBLE_EQ(pb.ScaleWidth(), 3000);
}

TEST_F(Display, AFileShorterThanItsHeaderPromisesDrawsNothing) {
  std::string path = file({Lobe(1)});
  auto bytes = keld::testing::ReadBytes(path);
  put_i16le(bytes.data() + 114, 2000);  // 8240 bytes a trace promised, 640 there
  keld::testing::WriteText(path, std::string(bytes.begin(), bytes.end()));
  pb.Box(0, 0, 10, 10, kRed, true);
  DrawResult r = DrawTraces(pb, path, Params(kModeWiggle));
  EXPECT_FALSE(r.drawn);
  EXPECT_NE(r.error.find("shorter than one trace"), std::string::npos) << r.error;
  EXPECT_EQ(At(pb.Snapshot(), 5, 5), kRed) << "the picture stays as it was";
}

TEST_F(Display, TheFileItselfGivesSamplesAndTraces) {
  // Whatever the window's boxes say, the drawing takes ns and the trace count
  // from the file, and its window from sample 1 to the file's last sample.
  std::string path = file({Lobe(1), Lobe(1)});
  DrawParams p = Params(kModeWiggle);
  p.Dernier_Echantillon = 5000;
  DrawResult r = DrawTraces(pb, path, p);
  ASSERT_TRUE(r.drawn);
  EXPECT_EQ(r.Nb_Campioni, 100);
  EXPECT_EQ(r.Dernier_Echantillon, 100);
  EXPECT_EQ(r.Nb_Tracce, 2);
}

TEST_F(Display, TheWindowKeepsItsFirstSample) {
  std::string path = file({Lobe(1)});
  pb.resize(200, 50);
  DrawParams p = Params(kModeWiggle);
  p.Premier_Echantillon = 51;
  DrawResult r = DrawTraces(pb, path, p);
  EXPECT_EQ(r.Premier_Echantillon, 51);
  EXPECT_DOUBLE_EQ(pb.ScaleTop(), 51);
  EXPECT_DOUBLE_EQ(pb.ScaleHeight(), 49);
  // Sample 51 (on row 0) lies in the lobe; the bottom row is the window's end.
  QImage s = pb.Snapshot();
  EXPECT_GT(Count(s, 102, 199, 0, 0), 0);
  EXPECT_EQ(At(s, 100, 49), kBlack);

  p.Premier_Echantillon = 0;  // the zoom's lowest start
  r = DrawTraces(pb, path, p);
  EXPECT_DOUBLE_EQ(pb.ScaleTop(), 0);
  EXPECT_EQ(r.Premier_Echantillon, 1);

  p.Premier_Echantillon = 400;  // left by a longer file
  r = DrawTraces(pb, path, p);
  ASSERT_TRUE(r.drawn);
  EXPECT_EQ(r.Premier_Echantillon, 1);
  EXPECT_DOUBLE_EQ(pb.ScaleTop(), 1);
}

TEST_F(Display, ThePictureSettingsAreRestoredAndAnOverlayIsCleared) {
  std::string path = file({Lobe(1, -1)});
  pb.set_persistent(false);
  pb.Line(0, 0, 199, 98, kRed);  // a hyperbola on the overlay
  pb.set_persistent(true);
  pb.Fill = PictureBox::FillStyle::Transparent;
  pb.FillColor = 0x123456;
  pb.Mode = PictureBox::DrawMode::CopyPen;
  ASSERT_TRUE(DrawTraces(pb, path, Params(kModeTwoColour)).drawn);
  EXPECT_EQ(pb.Fill, PictureBox::FillStyle::Transparent);
  EXPECT_EQ(pb.FillColor, 0x123456u);
  EXPECT_EQ(pb.Mode, PictureBox::DrawMode::CopyPen);
  const QImage ov = pb.overlay().convertToFormat(QImage::Format_ARGB32);
  int covered = 0;
  for (int y = 0; y < ov.height(); ++y)
    for (int x = 0; x < ov.width(); ++x) covered += qAlpha(ov.pixel(x, y)) != 0;
  EXPECT_EQ(covered, 0) << "a redraw clears the overlay";
  EXPECT_EQ(At(pb.Snapshot(), 180, 90), kWhite);
}

TEST_F(Display, RealFilesDrawAndTheBigEndianOneIsRefused) {
  KELD_REQUIRE_TESTDATA(su, "su");
  pb.resize(600, 300);
  for (const auto& e : std::filesystem::directory_iterator(su)) {
    const std::string path = e.path().string();
    const bool big = e.path().filename() == "segyio_small.su";
    for (int mode : {kModeWiggleFilled, kModeWiggle, kModeVariableArea, kModeTwoColour}) {
      pb.Cls();
      pb.ScalePixels();  // the marker in pixels, whatever the last file left
      pb.Box(0, 0, 10, 10, kRed, true);
      DrawParams p = Params(mode);
      p.Dernier_Echantillon = 10000;
      DrawResult r = DisplaySuFile(pb, path, p, mode == kModeWiggle ? 1 : mode == kModeVariableArea ? 2 : mode == kModeTwoColour ? 3 : 0);
      if (big) {
        EXPECT_FALSE(r.drawn) << path;
        EXPECT_NE(r.error.find("big-endian"), std::string::npos) << r.error;
        EXPECT_EQ(At(pb.Snapshot(), 5, 5), kRed);
      } else {
        EXPECT_TRUE(r.drawn) << path << ": " << r.error;
        EXPECT_GT(r.Nb_Tracce, 0);
      }
    }
  }
}

TEST_F(Display, EveryModeDrawsAWholeShot) {
  korvan::testing::ShotSpec desc;
  desc.traces = 48;
  desc.ns = 10922;
  desc.dt_us = 31;
  std::string path = dir / "shot.su";
  ASSERT_TRUE(WriteTraces(path, korvan::testing::SyntheticShot(desc), desc.dt_us));
  pb.resize(1200, 700);
  DrawParams p = Params(kModeWiggle);
  p.Dernier_Echantillon = desc.ns;
  for (int option : {0, 1, 2, 3}) {
    DrawResult r = DisplaySuFile(pb, path, p, option);
    ASSERT_TRUE(r.drawn) << r.error;
    EXPECT_EQ(r.Pas_Echantillon, 15);
    EXPECT_EQ(r.Nb_Tracce, 48);
    EXPECT_GT(Count(pb.Snapshot(), 0, 1199, 0, 699), 5000) << option;
  }
}

TEST(PrepareDisplay, StepAndModeFromThePictureAndTheOptions) {
  EXPECT_EQ(PasEchantillonFor(1, 10922, 700), 15);
  EXPECT_EQ(PasEchantillonFor(1, 500, 700), 1);
  EXPECT_EQ(PasEchantillonFor(500, 1, 700), 1) << "a backward window still steps forward";
  EXPECT_EQ(PasEchantillonFor(1, 1000, 0), 999) << "a picture with no height counts as one row";
  EXPECT_EQ(ModeForOption(-1), kModeWiggleFilled);
  EXPECT_EQ(ModeForOption(0), kModeWiggleFilled);
  EXPECT_EQ(ModeForOption(1), kModeWiggle);
  EXPECT_EQ(ModeForOption(2), kModeVariableArea);
  EXPECT_EQ(ModeForOption(3), kModeTwoColour);
  DrawParams p;
  p.Premier_Echantillon = 101;
  p.Dernier_Echantillon = 1101;
  DrawParams q = PrepareDisplay(p, 2, 100);
  EXPECT_EQ(q.Pas_Echantillon, 10);
  EXPECT_EQ(q.Mode_Affichage, kModeVariableArea);
  EXPECT_FLOAT_EQ(GainFromCaption("1.0"), 1.001f);
  EXPECT_FLOAT_EQ(GainFromCaption("0.002"), 0.003f);
  EXPECT_FLOAT_EQ(GainFromCaption(""), 0.001f);
}

TEST(DisplaySuFile, AShortNameIsRefusedAndThePictureKept) {
  PictureBox pb;
  pb.resize(50, 50);
  pb.Box(0, 0, 49, 49, kRed, true);
  DrawResult r = DisplaySuFile(pb, "a.su", DrawParams{}, 0);
  EXPECT_FALSE(r.drawn);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(At(pb.Snapshot(), 25, 25), kRed);
}
