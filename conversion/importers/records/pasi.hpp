#pragma once
// LCM-12 ASCII exports (*.asc): the samples of every trace of a record as
// numeric items, trace after trace, separated by commas or line ends.
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

struct PasiParams {
  int traces = 12;  // traces per record
  int ns = 512;
  int dt = 500;
};

// The traces of record `record` (fldr), handed to `give` one at a time as
// the text is read. The items of the text end at a comma or a line end,
// leading blanks skipped, blank lines holding none; each is read the
// leading-number way and rounded half to even. A file with fewer items than
// its traces need is refused with a message naming it.
ReadEnd ReadPasiRecord(RecordSource& file, const std::string& name, const PasiParams& p, int record,
                       const TraceSink& give);

}  // namespace keld::conversion
