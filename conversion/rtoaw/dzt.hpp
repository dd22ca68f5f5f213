#pragma once
// GSSI radar files (.DZT) read from a byte buffer, and written as the
// comma-separated columns the ASCII importer reads: one line per sample, one
// column per scan (trace), as signed values: 8- and 16-bit samples are
// unsigned in the file with zero at the middle of their range, 32-bit samples
// are signed integers.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld::rtoaw {

struct DztHeader {
  int64_t data_offset = 0;   // where the scans start
  int samples = 0;           // samples per scan
  int bits = 0;              // 8, 16 (unsigned, zero at mid-range) or 32 (signed)
  int channels = 0;          // scans of the channels follow one another
  double range_ns = 0;       // time range of a scan
  double scans_per_second = 0, scans_per_meter = 0;
  std::string antenna;
  int64_t scans = 0;         // whole scans of every channel in the file
  double interval_ns() const { return samples > 0 ? range_ns / samples : 0; }
};

// The header, every field checked against the file. The data start is the
// header's own size field (a value below 1024 counts in blocks of 1024 bytes,
// one header block per channel).
Result<DztHeader> ReadDztHeader(std::span<const uint8_t> bytes);

// Sample `i` of scan `scan` of `channel` (all from 0) as a signed value.
int64_t DztSample(std::span<const uint8_t> bytes, const DztHeader& h, int channel, int64_t scan, int i);

// The text of one channel, lines ended by LF.
std::string DztColumnsText(std::span<const uint8_t> bytes, const DztHeader& h, int channel);

// The text file of channel `channel` (from 0) of `channels`: the name itself
// for one channel, else the name with "_ch<N>" before its extension.
std::string ChannelFileName(const std::string& name, int channel, int channels);

// Describes the header for the window and the command line.
std::string DescribeDzt(const DztHeader& h);

// Reads `in`, writes one text file per channel (beside its name, renamed when
// complete). The names written, or the reason nothing was.
Result<std::vector<std::string>> ConvertDzt(const std::string& in, const std::string& out, DztHeader* header = nullptr);

}  // namespace keld::rtoaw
