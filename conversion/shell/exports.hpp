#pragma once
// The two SU to ASCII exports of the start window, run at once by the
// dispatcher: one text file per channel (su2ascii2) and one comma-separated
// file of columns (su2Ascii). They ask through the program's boxes and its
// file dialog and leave SU_File, Ns, Dt, Nb_Traces and Nb_Ch in the state.
// They run as `run` of the start window: the window answers while they
// write, and a close of it (Quit) stops them with nothing written.
#include "conversion/shell/context.hpp"

namespace keld::conversion {

void su2ascii2(ConversionContext& cx, WorkRun& run);
void su2Ascii(ConversionContext& cx, WorkRun& run);

}  // namespace keld::conversion
