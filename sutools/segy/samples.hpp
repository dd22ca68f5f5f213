#pragma once
// SEG-Y sample formats: the binary header's format code, the width of a
// sample, and the decoding of a trace's samples to 32-bit floats in either
// byte order, IBM System/360 floats included.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace keld::segy {

enum class ByteOrder { Big, Little };

struct SampleFormat {
  int code;         // binary-header format code
  int bytes;        // width of one sample
  bool integer;     // integers carry the trace weighting factor
  const char* name;
};

// The formats read here: 1 IBM float, 2 int32, 3 int16, 5 IEEE float,
// 6 IEEE double, 7 int24, 8 int8, 9 int64, 10 uint32, 11 uint16, 12 uint64,
// 15 uint24, 16 uint8. nullptr for any other code.
const SampleFormat* FindSampleFormat(int code);

// IBM float bits (sign, base-16 exponent excess 64, 24-bit fraction) to the
// IEEE float of the same value: exact within the IEEE range, values beyond
// it held at the largest float of their sign, the tiniest ones as subnormals
// or 0.
inline uint32_t IbmToIeee(uint32_t ibm) {
  const uint32_t sign = ibm & 0x80000000u;
  uint32_t frac = ibm & 0x00FFFFFFu;
  if (frac == 0) return sign;
  // value = frac * 2^-24 * 16^(e - 64): shift the fraction until its top bit
  // is bit 23, the IEEE hidden bit.
  const int e16 = static_cast<int>((ibm >> 24) & 0x7F);
  const int lz = std::countl_zero(frac) - 8;
  frac <<= lz;
  const int exp = 4 * (e16 - 64) - lz - 1 + 127;  // biased IEEE exponent of 1.f
  if (exp >= 255) [[unlikely]] return sign | 0x7F7FFFFFu;
  if (exp <= 0) [[unlikely]] {
    const int shift = 1 - exp;
    if (shift > 24) return sign;
    return sign | (frac >> shift);
  }
  return sign | (static_cast<uint32_t>(exp) << 23) | (frac & 0x007FFFFFu);
}
// The IEEE float as IBM bits, the fraction cut to what fits after the
// exponent is made a power of 16 (relative error below 2^-20). Infinities and
// NaN become the largest IBM value of their sign.
inline uint32_t IeeeToIbm(uint32_t ieee) {
  const uint32_t sign = ieee & 0x80000000u;
  const int exp = static_cast<int>((ieee >> 23) & 0xFF);
  uint32_t mant = ieee & 0x007FFFFFu;
  if (exp == 255) return sign | 0x7FFFFFFFu;
  if (exp == 0 && mant == 0) return 0;
  if (exp != 0) mant |= 0x00800000u;
  // value = (mant / 2^24) * 2^x; make x a multiple of 4 by shifting the
  // fraction right 0 to 3 places.
  const int x = (exp == 0 ? 1 : exp) - 126;
  const int q = x >= 0 ? (x + 3) / 4 : -((-x) / 4);
  const int shift = 4 * q - x;
  mant >>= shift;
  const int e16 = q + 64;
  if (mant == 0 || e16 < 0) return sign;
  return sign | (static_cast<uint32_t>(e16) << 24) | mant;
}

// Decodes `n` samples of `format` from `src` into `dst`. `ibm_as_bits` keeps
// format-1 samples as the raw 32-bit words (the samples "as they are").
// `scale` multiplies every sample of an integer format (the 2^-trwf weight).
void DecodeSamples(const uint8_t* src, size_t n, const SampleFormat& format, ByteOrder order, bool ibm_as_bits,
                   double scale, float* dst);

// Encodes `n` floats as IBM floats (`ibm` true, format 1) or IEEE floats
// (format 5), four bytes each, in `order`.
void EncodeSamples(const float* src, size_t n, bool ibm, ByteOrder order, uint8_t* dst);
// The same from the samples of an SU trace as they stand in the stream
// (little-endian floats, any alignment).
void EncodeSuSamples(const uint8_t* src, size_t n, bool ibm, ByteOrder order, uint8_t* dst);

}  // namespace keld::segy
