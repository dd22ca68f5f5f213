#pragma once
// The conversion window's SEG-D and SEG-Y types: after its preamble (names
// checked, Input_File and Output_File set) each writes convert.bat in the
// work folder with its one line and runs it, shown in a batch window owned
// by `window`. The programs write beside the output; it is checked there and
// takes its name only when the batch ended well with whole SU traces, so a
// failed or stopped run leaves the old file. A failure is told with the
// program's own message (naming the output, never its temporary); a success
// says nothing, as before, unless the input did not come through whole (a
// SEG-Y input whose traces the output does not hold all, or a program that
// warned): then first the file, the traces expected and written, and the
// warnings, and such an output never replaces an old one. `run` is the
// window's run (a close of the window stops it; a close of the batch window
// stops it too, and that is told).
#include <QWidget>

#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"

namespace keld::conversion {

BatchOutcome Convert_SEGD_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run);
// `little`: the "Liitle Endian" choice (endian=1); else "Big Endian" (endian=0).
BatchOutcome Convert_SEGY_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run, bool little);

}  // namespace keld::conversion
