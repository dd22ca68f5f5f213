#pragma once
// ES-1225 records (*.dat): a file header, then one block of 48 + 2 x ns bytes
// per channel filling the end of the file; each channel's signed 16-bit
// samples are read from 2 bytes before its block.
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

// The record lengths of the list, in milliseconds, item 0 first; 250 when no
// item is chosen.
inline constexpr int kEs1225Lengths[] = {25, 50, 100, 250, 500, 1000, 2000};
int Es1225RecordLength(int item);

struct Es1225Params {
  int channels = 12;
  int ns = 1000;
  int record_length_ms = 250;
};

// The sample interval in microseconds: the record length over the samples
// (250 ms and 1000 samples give 250).
int Es1225Dt(const Es1225Params& p);

// The traces of one record, one per channel, handed to `give` one at a time.
// "Wrong file length" when the file header would be shorter than 49 bytes.
ReadEnd ReadEs1225Record(RecordSource& file, const std::string& name, const Es1225Params& p, const TraceSink& give);

}  // namespace keld::conversion
