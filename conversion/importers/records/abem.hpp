#pragma once
// ABEM Terralock Mark 3 records (*.abm): a 2048-byte header that begins with
// text lines (line 7 the sample interval, line 113 the channel count), then
// each channel's samples as signed 16-bit little-endian integers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

inline constexpr int kAbemHeaderBytes = 2048;

struct AbemHeader {
  std::optional<int> dt;        // line 7, rounded; 0 becomes 100
  std::optional<int> channels;  // line 113, rounded
  std::optional<int> ns;        // (length - 2048) / channels / 2, rounded; only with channels > 0
};

// What the header of a record proposes for the boxes; a value the header does
// not give stays unset. `front` is the file from its start, at least its
// first 2048 bytes (or all of a shorter file); ns comes from its whole size.
AbemHeader ReadAbemHeader(Bytes front, int64_t file_size);
inline AbemHeader ReadAbemHeader(Bytes file) { return ReadAbemHeader(file, static_cast<int64_t>(file.size())); }

struct AbemParams {
  int ns = 0;
  int dt = 0;
  int channels = 0;
};

// The traces of record `record` (fldr), one per channel, handed to `give`
// one at a time.
ReadEnd ReadAbemRecord(RecordSource& file, const std::string& name, const AbemParams& p, int record,
                       const TraceSink& give);

}  // namespace keld::conversion
