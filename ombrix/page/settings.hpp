#pragma once
// ombrix.ini, section Draw_Parameter: the drawing settings kept between runs.
// Values are read and written whole.
#include <string>

namespace keld::ombrix {

inline constexpr const char* kOmbrixIni = "ombrix.ini";
inline constexpr const char* kOmbrixSection = "Draw_Parameter";

struct Settings {
  std::string Graphical_Prog = " ";
  double Large_plot = 2000, Enlarge = 1, Haut_plot = 2000;  // twips, factor, twips
  double Time_plot = 0, Time_Line = 100, Label_Spacing = 5;
  std::string Orient1 = "West", Orient2 = "East";
  int egal = 1, fold = 0, inverse = 0, topo = 0, time = 0, dead = 0, velocity = 0, crop = 0;
};

// The settings file: ombrix.ini in the work folder ($KELD_HOME), where the
// suite keeps the files of its programs. A file left by an older ombrix in the
// settings folder is copied there the first time it is looked for and none is
// there yet; the old file stays as it was.
std::string OmbrixIniPath();

// Lit_Parametres: the file's values, the defaults where a key is missing. A
// check-box value other than 0, 1 or 2 reads as 0.
Settings Lit_Parametres();

// Sauve_Parametres: every key in the file's order; false when a write failed.
bool Sauve_Parametres(const Settings& s);

}  // namespace keld::ombrix
