#pragma once
// The conversion window's SEG-D and SEG-Y types: after its preamble (names
// checked, Input_File and Output_File set) each writes convert.bat in the
// work folder with its one line and runs it, shown in a batch window owned
// by `window`. The programs write beside the output; it takes its name only
// when the batch ended well with whole SU traces, so a failed or stopped run
// leaves the old file. A failure is told with the program's own message; a
// success says nothing, as before, unless the input did not come through
// whole (a SEG-Y input whose traces the output does not hold all, or a
// program that warned): then the file, the traces expected and written, and
// the warnings. `run` is the window's run (a close of the window stops it).
#include <QWidget>

#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"

namespace keld::conversion {

BatchOutcome Convert_SEGD_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run);
// `little`: the "Liitle Endian" choice (endian=1); else "Big Endian" (endian=0).
BatchOutcome Convert_SEGY_2_SU(ConversionContext& cx, QWidget* window, WorkRun& run, bool little);

}  // namespace keld::conversion
