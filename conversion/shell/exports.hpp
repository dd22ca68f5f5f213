#pragma once
// The two SU to ASCII exports of the start window, run at once by the
// dispatcher: one text file per channel (su2ascii2) and one comma-separated
// file of columns (su2Ascii). They ask through the program's boxes and its
// file dialog and leave SU_File, Ns, Dt, Nb_Traces and Nb_Ch in the state.
#include "conversion/shell/context.hpp"

namespace keld::conversion {

void su2ascii2(ConversionContext& cx);
void su2Ascii(ConversionContext& cx);

}  // namespace keld::conversion
