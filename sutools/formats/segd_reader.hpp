#pragma once
// SEG-D field records (revisions 0 to 2.1, and 3 as far as its general header
// blocks go) read from a byte buffer into SU traces. Only demultiplexed data is
// taken. Every block count and length is checked against the buffer before it
// is used; a file that does not hold together gives a message, never a partial
// result.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::formats {

struct SegdInfo {
  int revision_major = 0, revision_minor = 0;  // 0.0 when there is no second general header
  int format = 0;                              // the format code, e.g. 8058
  int records = 0;                             // records found one after the other
  int64_t file_number = 0;                     // of the first record
};

struct SegdFile {
  SegdInfo info;
  std::vector<SuTrace> traces;
};

// The SEG-D channel type (a nibble) as SU's trace identification: seismic 1,
// time break 4, uphole 5, water break 8, time counter 7, signatures 6, other
// auxiliary data 3.
int16_t TraceIdForChannelType(int type);

// Reads every record of the buffer. `name` goes into the messages.
Result<SegdFile> ReadSegd(std::span<const uint8_t> bytes, const std::string& name = "SEG-D file");

}  // namespace keld::formats
