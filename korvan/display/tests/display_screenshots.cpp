// Draws a synthetic shot in every display mode and saves each picture as a PNG
// in the folder given (default /tmp), to look at the seismogram as a user would.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "korvan/display/display_prepare.hpp"
#include "korvan/display/draw_traces.hpp"
#include "korvan/display/tests/synthetic_shot.hpp"
#include "platform/qt/picture_box.hpp"

using namespace keld;
using namespace keld::korvan;

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  testing::ShotSpec desc;
  desc.traces = 24;
  desc.ns = 1024;
  desc.dt_us = 500;
  const std::string su = dir + "/keld_synthetic_shot.su";
  if (!testing::WriteTraces(su, testing::SyntheticShot(desc), desc.dt_us)) {
    std::fprintf(stderr, "cannot write %s\n", su.c_str());
    return 1;
  }
  struct Shot {
    int option;
    int egali;
    const char* name;
  };
  const Shot shots[] = {{0, kNormalEqualization, "mode0_wiggle_filled"},
                        {1, kNormalEqualization, "mode6_wiggle"},
                        {2, kNormalEqualization, "mode5_variable_area"},
                        {3, kNormalEqualization, "mode2_two_colour"},
                        {2, kTrueAmplitude, "mode5_true_amplitude"}};
  PictureBox pb;
  pb.resize(1200, 700);
  for (const Shot& s : shots) {
    DrawParams p;
    p.egali = s.egali;
    p.Gain_Affichage = GainFromCaption(s.egali == kTrueAmplitude ? "4.0" : "1.0");
    p.cclip = s.egali == kTrueAmplitude;
    p.Premier_Echantillon = 1;
    p.Dernier_Echantillon = desc.ns;
    p.Couleur_Remplissage = 0x000000;
    p.Couleur_Positive = 0x0000FF;
    p.Couleur_Negative = 0xFF0000;
    DrawResult r = DisplaySuFile(pb, su, p, s.option);
    if (!r.drawn) {
      std::fprintf(stderr, "%s: %s\n", s.name, r.error.c_str());
      return 1;
    }
    const std::string png = dir + "/keld_display_" + s.name + ".png";
    if (!pb.Snapshot().save(QString::fromStdString(png))) {
      std::fprintf(stderr, "cannot save %s\n", png.c_str());
      return 1;
    }
    std::printf("%s\n", png.c_str());
  }
  return 0;
}
