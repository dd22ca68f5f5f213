#pragma once
// Ambrogeo records (*.dta), text: line 5 the date, line 6 the time, line 8 the
// channel count (12 or 24), line 9 the samples per channel, lines 11 and 12 the
// sampling rates of 12- and 24-channel records; from line 38 the samples, 24
// whole numbers per sample index (one per channel slot), separated by commas,
// blanks or line ends.
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

inline constexpr int kAmbrogeoSlots = 24;

struct AmbrogeoHeader {
  std::string channels;  // line 8 as it stands
  std::string samples;   // line 9
  std::string rate;      // line 11 for 12 channels, line 12 for 24, else empty
};
AmbrogeoHeader ReadAmbrogeoHeader(Bytes file);

struct AmbrogeoDate {
  int year = 0, day = 0, hour = 0, minute = 0;  // day = day of month + 30 x month
};
AmbrogeoDate ReadAmbrogeoDate(const std::string& line5, const std::string& line6);

struct AmbrogeoParams {
  int channels = 24;
  int ns = 0;
  int dt = 0;  // written to dt as typed
};

// The traces of record `record` (fldr), handed to `give` one at a time. The
// text is read in pieces; the channels' samples, which it interleaves, are
// gathered first (at most 24 x 32767). A record with fewer numbers than its
// samples need, or a number that does not fit 16 bits, is refused with a
// message naming the file.
ReadEnd ReadAmbrogeoRecord(RecordSource& file, const std::string& name, const AmbrogeoParams& p, int record,
                           const TraceSink& give);

}  // namespace keld::conversion
