#pragma once
// Where the traces of a SEG-Y file lie: byte order, sample format, samples
// per trace, extended text headers, additional trace headers and the number
// of whole traces, all checked against the file's length before anything is
// read.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.hpp"
#include "sutools/segy/headers.hpp"
#include "sutools/segy/samples.hpp"

namespace keld::segy {

// Largest sample count an SU trace header carries (a signed 16-bit word).
inline constexpr int kMaxNs = 32767;

struct LayoutOptions {
  std::optional<ByteOrder> order;  // nullopt: decided from the headers
  int ns = 0;                      // > 0 overrides the headers' sample count
  bool over = false;               // go on with an unknown format code (as 4-byte IBM floats)
};

struct SegyLayout {
  ByteOrder order = ByteOrder::Big;
  BinaryHeader binary;
  const SampleFormat* format = nullptr;
  bool format_overridden = false;  // unknown code taken as IBM floats
  int ns = 0;
  int dt = 0;                     // binary header's interval, else the first trace's
  int64_t data_offset = kReelBytes;  // first trace header, after the extended text headers
  int ext_text_headers = 0;       // 3200-byte extended text headers skipped
  int64_t trace_extensions = 0;   // additional 240-byte trace headers after each trace header, skipped
  int64_t header_bytes = kTraceHeaderBytes;  // a trace's header with its additional headers
  int64_t trace_bytes = 0;        // header_bytes + ns x sample width
  int64_t traces = 0;             // whole traces in the file
  int64_t trailing_bytes = 0;     // bytes after the last whole trace
  std::vector<std::string> warnings;
};

// Reads the layout from the start of the file. `read_at(offset, length)`
// returns up to `length` bytes from `offset` (fewer at the end of the file).
// Fails with a message saying what is wrong: too short for the reel header,
// an unknown format code (unless `over`), extended text headers that the
// file cannot hold, no usable sample count, an ns above 32767, or no whole
// trace in the file.
//
// Revision 1 and later: the count of extended text headers (bytes
// 3505-3506; -1 when an end stanza closes them) is skipped. Revision 2: the
// additional trace headers of bytes 3507-3510 (a 32-bit count, or a 16-bit
// one in 3507-3508 as some writers put it: the reading whose traces fill the
// file) are taken to follow every trace header and are skipped. A revision-0
// file's count of extended text headers (bytes the standard leaves unused
// there) is followed only when the traces fill the file after them and not
// without them; when the file holds the headers it counts but the traces
// fill it neither with them nor without them, it is refused as damaged, with
// both readings.
inline constexpr std::string_view kDamagedFile = "damaged file: ";  // how such a refusal begins
using ReadAt = std::function<std::vector<uint8_t>(int64_t offset, int64_t length)>;
Result<SegyLayout> ReadSegyLayout(const ReadAt& read_at, int64_t file_size, const LayoutOptions& options);

// The byte order in which the file's binary header names a known format and
// its traces (of the binary or first trace header's ns, after the extended
// text headers and with the additional trace headers it counts) fill the
// data exactly; when neither or both orders qualify, the one whose format code is
// known, then big-endian. nullopt when the file is shorter than a reel header.
std::optional<ByteOrder> DetectByteOrder(const uint8_t* reel3600, int64_t file_size,
                                         const uint8_t* first_trace_header = nullptr);

}  // namespace keld::segy
