#pragma once
// BISON 5000 records (*.dat): a text header of CR LF lines ended by two ETX
// characters, then one block per channel of W = ns x 1.25 signed 16-bit words
// in groups of five: four samples and a gain code (below -1: the next group's
// samples are doubled).
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

struct BisonHeader {
  int64_t header_size = 0;          // bytes up to and including the two ETX characters
  std::vector<std::string> fields;  // fields[j] is line j + 1 (fields[0] unused), at most 200
  std::string field(std::size_t j) const { return j < fields.size() ? fields[j] : std::string(); }
  std::string channels() const { return field(14); }
  std::string samples() const { return field(16); }
  // Field 17 (milliseconds) in microseconds, in its shortest decimal form.
  std::string interval_us() const;
};

// Scans the header the way the recorder lays it out: line ends are CR LF pairs
// on even offsets; the header ends after the first ETX ETX pair on an even
// offset (without one, the file's length rounded up to even).
BisonHeader ReadBisonHeader(Bytes file);

// Words per channel block: ns x 1.25 rounded half to even.
int64_t BisonBlockWords(int ns);

// The samples of one block's words, gain codes applied, exactly ns of them.
std::vector<float> DecodeBisonBlock(const std::vector<int16_t>& words, int ns);

struct BisonParams {
  int channels = 12;
  int ns = 1000;
  int dt = 480;
  int64_t header_size = 1161;
};

// The traces of one record, handed to `give` one at a time.
ReadEnd ReadBisonRecord(RecordSource& file, const std::string& name, const BisonParams& p, const TraceSink& give);

}  // namespace keld::conversion
