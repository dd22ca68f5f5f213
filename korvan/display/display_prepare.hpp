#pragma once
// What a display of a file works out before it draws: the sample step for
// the picture's height, the mode from the option buttons, the gain from its
// caption.
#include <string>
#include <string_view>

#include "korvan/display/display_params.hpp"

namespace keld {
class PictureBox;
}

namespace keld::korvan {

// Int((last - first) / height in pixels), at least 1: about one sample a pixel row.
int PasEchantillonFor(int premier, int dernier, int picture_height_px);

// Mode_Affichage for the selected option button: index 0..3 for Option1 ..
// Option4, -1 when none is selected.
int ModeForOption(int option);

// Gain_Affichage as the drawing uses it: the caption read as a number, plus 0.001.
float GainFromCaption(std::string_view caption);

// The parameters of the next display: `p` with the step for a picture
// `picture_height_px` high and the mode of `option`.
DrawParams PrepareDisplay(DrawParams p, int option, int picture_height_px);

// A whole display of a file: refuses a name under 5 characters, prepares the
// step and the mode, and draws. The picture is left as it was when refused.
DrawResult DisplaySuFile(PictureBox& pb, const std::string& path, const DrawParams& p, int option);

}  // namespace keld::korvan
