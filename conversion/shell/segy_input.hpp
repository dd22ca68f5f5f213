#pragma once
// What the SEG-Y import window reads from the first selected file: samples
// per trace, interval, byte order and the trace count, from whichever byte
// order makes the binary header's format code valid and fills the data with
// whole traces (a big-endian ns of 1025 must not pass for a little-endian
// 260). Counts in 64 bits.
#include <cstdint>
#include <string>

namespace keld::conversion {

struct SegyInput {
  bool usable = false;  // a known format and a sample count that fits the file
  bool little = false;  // the file is little-endian (segyread endian=1)
  int ns = 0;
  int dt = 0;
  int format = 0;
  int64_t traces = 0;
  std::string why;      // when not usable: what is wrong
};

SegyInput DetectSegyInput(const std::string& path);

}  // namespace keld::conversion
