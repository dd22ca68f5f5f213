#pragma once
// What the SEG-Y import window reads from the first selected file: samples
// per trace, interval, byte order and the trace count, from whichever byte
// order makes the binary header's format code valid and fills the data with
// whole traces (a big-endian ns of 1025 must not pass for a little-endian
// 260). Counts in 64 bits.
#include <cstdint>
#include <optional>
#include <string>

namespace keld::conversion {

struct SegyInput {
  bool usable = false;  // a known format and a sample count that fits the file
  bool little = false;  // the file is little-endian (segyread endian=1)
  int ns = 0;
  int dt = 0;
  int format = 0;
  int64_t traces = 0;   // whole traces
  bool cut = false;     // bytes of a cut trace after them
  bool damaged = false; // refused as damaged: no trial of other parameters mends it
  std::string why;      // when not usable: what is wrong
};

SegyInput DetectSegyInput(const std::string& path);

// What keeps a record `own` out of a join with the first record `first`
// (both usable): "" when they agree on samples per trace and interval, else
// "50 samples per trace where the first file has 201" or "sample interval
// 2000 us where the first file has 1000 us". segyread reads every record
// with one ns, so a record of another one would be read as garbled traces.
std::string ShapeDifference(const SegyInput& own, const SegyInput& first);

// The traces segyread reads from `path` with its endian= (0 big, 1 little,
// anything else as the headers say), ns= (0: the headers') and over=: the
// whole ones, and whether a cut one follows them. nullopt when the file
// gives no layout.
struct SegyTraceCount {
  int64_t whole = 0;
  bool cut = false;
};
std::optional<SegyTraceCount> CountSegyTraces(const std::string& path, int endian, int ns, bool over);

}  // namespace keld::conversion
