#pragma once
// OYO McSeis 170 records (*.org): ASCII header fields at fixed offsets (record
// number, channels, samples, interval in ms, delay, filters, source x and y),
// the samples from byte 6144 as little-endian signed integers of 2 or 4 bytes,
// channel after channel.
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

inline constexpr int64_t kOyoSamplesOffset = 6144;
inline constexpr std::size_t kOyoFieldsEnd = 2933;  // the header fields lie before this byte

struct OyoFields {
  double record = 0;        // 2816, 4 characters
  double channels = 0;      // 2866, 4
  std::string samples;      // 2870, 4 characters as they stand
  std::string interval_ms;  // 2875, 5 characters as they stand
  double delay = 0;         // 2881, 9
  double low_cut = 0;       // 2891, 4
  double high_cut = 0;      // 2896, 4
  double notch = 0;         // 2901, 4
  double sx = 0;            // 2906, 6
  double sy = 0;            // 2913, 6
};

// The header fields of a record; a file too short for them is refused.
Imported<OyoFields> ReadOyoFields(Bytes file, const std::string& name);

struct OyoParams {
  int channels = 12;
  int ns = 2048;
  double interval_ms = 200;  // written to dt in microseconds
  bool long_integers = true;
};

// The traces of one record, handed to `give` one at a time. The interval
// must give a dt that fits its word (the window's default of 200 ms does
// not), and each header value its word.
ReadEnd ReadOyoRecord(RecordSource& file, const std::string& name, const OyoParams& p, const TraceSink& give);

}  // namespace keld::conversion
