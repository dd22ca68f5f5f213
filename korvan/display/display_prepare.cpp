#include "korvan/display/display_prepare.hpp"

#include <algorithm>
#include <cmath>

#include "common/numtext.hpp"
#include "korvan/display/draw_traces.hpp"
#include "platform/qt/picture_box.hpp"

namespace keld::korvan {

int PasEchantillonFor(int premier, int dernier, int picture_height_px) {
  int h = std::max(1, picture_height_px);
  double steps = std::floor(static_cast<double>(dernier - premier) / h);
  // A window that runs backwards or is shorter than the picture still steps by one.
  if (!(steps >= 1)) return 1;
  return static_cast<int>(std::min(steps, 32767.0));
}

int ModeForOption(int option) {
  switch (option) {
    case 1: return kModeWiggle;
    case 2: return kModeVariableArea;
    case 3: return kModeTwoColour;
    default: return kModeWiggleFilled;
  }
}

float GainFromCaption(std::string_view caption) { return static_cast<float>(Val(caption) + 0.001); }

DrawParams PrepareDisplay(DrawParams p, int option, int picture_height_px) {
  p.Pas_Echantillon = PasEchantillonFor(p.Premier_Echantillon, p.Dernier_Echantillon, picture_height_px);
  p.Mode_Affichage = ModeForOption(option);
  return p;
}

DrawResult DisplaySuFile(PictureBox& pb, const std::string& path, const DrawParams& p, int option) {
  if (path.size() < 5) {
    DrawResult r;
    r.error = "file name \"" + path + "\" too short";
    return r;
  }
  return DrawTraces(pb, path, PrepareDisplay(p, option, pb.PixelHeight()));
}

}  // namespace keld::korvan
