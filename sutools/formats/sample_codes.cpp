#include "sutools/formats/sample_codes.hpp"

#include <cmath>

#include "common/bytes.hpp"

namespace keld::formats {

std::optional<SegdCode> SegdDemuxCode(int code) {
  switch (code) {
    case 8015: case 8022: case 8024: case 8036: case 8038:
    case 8042: case 8044: case 8048: case 8058:
      return static_cast<SegdCode>(code);
    default:
      return std::nullopt;
  }
}

int64_t SegdBytesFor(SegdCode code, int64_t count) {
  switch (code) {
    case SegdCode::k8015: return (count + 3) / 4 * 10;
    case SegdCode::k8022: case SegdCode::k8042: return count;
    case SegdCode::k8024: case SegdCode::k8044: return 2 * count;
    case SegdCode::k8036: return 3 * count;
    case SegdCode::k8038: case SegdCode::k8048: case SegdCode::k8058: return 4 * count;
  }
  return 4 * count;
}

void DecodeSeg2Float20Group(const uint8_t* p, bool big_endian, float out[4]) {
  auto word = [&](int i) { return big_endian ? get_u16be(p + 2 * i) : get_u16le(p + 2 * i); };
  const uint16_t exps = word(0);
  for (int k = 0; k < 4; ++k) {
    const int e = (exps >> (4 * k)) & 0xF;
    const uint16_t w = word(k + 1);
    const int m = (w & 0x8000) ? -static_cast<int>(static_cast<uint16_t>(~w)) : static_cast<int>(w);
    out[k] = static_cast<float>(std::ldexp(static_cast<double>(m), e));
  }
}

namespace {

// Sign bit, exponent bits, fraction bits: value = +-fraction x base^exponent,
// the fraction below 1.
float SignMagnitude(uint32_t v, int bits, int exp_bits, int base_log2) {
  const int frac_bits = bits - 1 - exp_bits;
  const bool negative = (v >> (bits - 1)) & 1;
  const int e = static_cast<int>((v >> frac_bits) & ((1u << exp_bits) - 1));
  const uint32_t f = v & ((1u << frac_bits) - 1);
  const double x = std::ldexp(static_cast<double>(f), base_log2 * e - frac_bits);
  return static_cast<float>(negative ? -x : x);
}

// One group of SEG-D's format 8015, big-endian: the first byte holds the
// exponents of samples 1 (high four bits) and 2, the second those of samples
// 3 and 4, then each sample's mantissa as a 16-bit two's complement fraction
// (sign bit, then bits worth 2^-1 to 2^-15); value = fraction x 2^exponent.
void DecodeSegd20BitGroup(const uint8_t* p, float out[4]) {
  const uint16_t exps = get_u16be(p);
  for (int k = 0; k < 4; ++k) {
    const int e = (exps >> (12 - 4 * k)) & 0xF;
    const auto m = static_cast<int16_t>(get_u16be(p + 2 + 2 * k));
    out[k] = static_cast<float>(std::ldexp(static_cast<double>(m), e - 15));
  }
}

float Ibm(uint32_t v) {
  const bool negative = v >> 31;
  const int e = static_cast<int>((v >> 24) & 0x7F) - 64;
  const double x = std::ldexp(static_cast<double>(v & 0xFFFFFF), 4 * e - 24);
  return static_cast<float>(negative ? -x : x);
}

}  // namespace

void DecodeSegd(SegdCode code, const uint8_t* p, int64_t count, float* out) {
  switch (code) {
    case SegdCode::k8015: {
      for (int64_t i = 0; i < count; i += 4, p += 10) {
        float g[4];
        DecodeSegd20BitGroup(p, g);
        for (int64_t k = 0; k < 4 && i + k < count; ++k) out[i + k] = g[k];
      }
      return;
    }
    case SegdCode::k8022:
      for (int64_t i = 0; i < count; ++i) out[i] = SignMagnitude(p[i], 8, 3, 2);
      return;
    case SegdCode::k8024:
      for (int64_t i = 0; i < count; ++i) out[i] = SignMagnitude(get_u16be(p + 2 * i), 16, 3, 2);
      return;
    case SegdCode::k8042:
      for (int64_t i = 0; i < count; ++i) out[i] = SignMagnitude(p[i], 8, 2, 4);
      return;
    case SegdCode::k8044:
      for (int64_t i = 0; i < count; ++i) out[i] = SignMagnitude(get_u16be(p + 2 * i), 16, 3, 4);
      return;
    case SegdCode::k8036:
      for (int64_t i = 0; i < count; ++i, p += 3) {
        int32_t v = (p[0] << 16) | (p[1] << 8) | p[2];
        if (v & 0x800000) v -= 0x1000000;
        out[i] = static_cast<float>(v);
      }
      return;
    case SegdCode::k8038:
      for (int64_t i = 0; i < count; ++i) out[i] = static_cast<float>(get_i32be(p + 4 * i));
      return;
    case SegdCode::k8048:
      for (int64_t i = 0; i < count; ++i) out[i] = Ibm(get_u32be(p + 4 * i));
      return;
    case SegdCode::k8058:
      for (int64_t i = 0; i < count; ++i) out[i] = get_f32be(p + 4 * i);
      return;
  }
}

}  // namespace keld::formats
