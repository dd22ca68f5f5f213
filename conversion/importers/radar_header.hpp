#pragma once
// The text headers beside radar profiles: RAMAC .rad files ("KEY:value") and
// pulseEKKO .HD files ("KEY  = value"), read into the values the importer
// windows show in their boxes.
#include <optional>
#include <string>
#include <string_view>

namespace keld::conversion {

// The number after `key` (found whatever its case) up to the end of its line,
// which may end in CR, LF, CR LF or the end of the text: its digits and points
// in order, other characters skipped, a minus sign before the first digit kept
// when `negative` (a position can be negative, a count cannot). nullopt when
// the key is absent or nothing numeric follows it within 60 characters.
std::optional<double> RadarKeyValue(std::string_view text, std::string_view key, bool negative = false);

// What the RAMAC window puts in its boxes from a .rad text. The sample
// interval is the time window over the sample count: the header's TIME
// INTERVAL is the time between traces, not between samples.
struct RamacHeader {
  std::optional<double> samples, traces, interval_ns, window_ns, spacing;
};
RamacHeader ReadRadHeader(std::string_view text);

// What the DT1 window puts in its boxes from a .HD text: the sample interval
// is the time window over the sample count, the spacing (final - start
// position) over the trace count rounded to hundredths; each stays nullopt
// when its divisor is 0 or a value is missing.
struct Dt1Header {
  std::optional<double> samples, time_zero, traces, window_ns, interval_ns, start, final_position, spacing;
};
Dt1Header ReadHdHeader(std::string_view text);

}  // namespace keld::conversion
