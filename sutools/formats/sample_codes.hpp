#pragma once
// Decoding of the sample encodings of the field formats (SEG-D demultiplexed
// data and SEG-2 data blocks) into 32-bit floats. Every function reads exactly
// `count` samples from `p`, which the caller has checked holds BytesFor(code,
// count) bytes. NaN and infinite IEEE values pass through unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace keld::formats {

// The SEG-D demultiplexed format codes the reader takes.
enum class SegdCode : int {
  k8015 = 8015,  // 20-bit binary floating point, 4 samples in 10 bytes
  k8022 = 8022,  // 8-bit quaternary exponent
  k8024 = 8024,  // 16-bit quaternary exponent
  k8036 = 8036,  // 24-bit two's complement integer
  k8038 = 8038,  // 32-bit two's complement integer
  k8042 = 8042,  // 8-bit hexadecimal exponent
  k8044 = 8044,  // 16-bit hexadecimal exponent
  k8048 = 8048,  // 32-bit hexadecimal exponent (IBM floating point)
  k8058 = 8058,  // 32-bit IEEE floating point
};

// The code as a known demultiplexed format, or nullopt (multiplexed or unknown).
std::optional<SegdCode> SegdDemuxCode(int code);

// Bytes taken by `count` samples; the 20-bit format rounds up to whole groups
// of four samples (10 bytes each).
int64_t SegdBytesFor(SegdCode code, int64_t count);

// SEG-D numbers are big-endian.
void DecodeSegd(SegdCode code, const uint8_t* p, int64_t count, float* out);

// One group of SEG-2's data format code 3 (20-bit floating point) as
// recorders write it: five 16-bit words in the file's byte order, the first
// holding the four exponents (the first sample's in its lowest four bits, the
// next sample's in the next four, and so on), then the four mantissas as
// one's complement integers (0xFFEB is -20); value = mantissa x 2^exponent,
// before the trace's descaling factor. SEG-D's format 8015 lays its groups
// out otherwise (see DecodeSegd).
void DecodeSeg2Float20Group(const uint8_t* p, bool big_endian, float out[4]);

}  // namespace keld::formats
