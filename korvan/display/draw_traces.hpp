#pragma once
// Draws an SU file as a seismogram on a picture box: one column 1000 display
// units wide per trace (trace i from 1000 i to 1000 (i + 1)), sample numbers
// running down, each trace a wiggle and/or filled lobes by the display mode.
#include <string>

#include "korvan/display/display_params.hpp"

namespace keld {
class PictureBox;
}

namespace keld::korvan {

// Draws every whole trace of the file with the file's own sample count, from
// p.Premier_Echantillon (1 when below 1, or when it lies past the file's last
// sample) down to the last sample. A file that fails the checks of
// CheckDisplayFile draws nothing, leaves the picture as it was and gives the
// reason in `error`. The fill style, fill colour and draw mode of the picture
// are as before afterwards; its fore colour is what the drawing set last.
DrawResult DrawTraces(PictureBox& pb, const std::string& path, const DrawParams& p);

}  // namespace keld::korvan
