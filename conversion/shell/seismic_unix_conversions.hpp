#pragma once
// The conversion window's SEG-D and SEG-Y types: after its preamble (names
// checked, Input_File and Output_File set) each writes convert.bat in the
// work folder with its one line and runs it, shown in a batch window. The
// batch is waited for, so a failure is told with the program's own message
// and nothing is taken for done before it has run; a success says nothing,
// as before.
#include <QWidget>

#include "conversion/shell/batch_runner.hpp"
#include "conversion/shell/context.hpp"

namespace keld::conversion {

BatchOutcome Convert_SEGD_2_SU(ConversionContext& cx, QWidget* window);
// `little`: the "Liitle Endian" choice (endian=1); else "Big Endian" (endian=0).
BatchOutcome Convert_SEGY_2_SU(ConversionContext& cx, QWidget* window, bool little);

}  // namespace keld::conversion
