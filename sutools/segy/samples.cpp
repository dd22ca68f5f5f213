#include "sutools/segy/samples.hpp"

#include <array>
#include <bit>
#include <cstring>

namespace keld::segy {

namespace {

constexpr std::array<SampleFormat, 13> kFormats = {{
    {1, 4, false, "4-byte IBM floating point"},
    {2, 4, true, "4-byte two's complement integer"},
    {3, 2, true, "2-byte two's complement integer"},
    {5, 4, false, "4-byte IEEE floating point"},
    {6, 8, false, "8-byte IEEE floating point"},
    {7, 3, true, "3-byte two's complement integer"},
    {8, 1, true, "1-byte two's complement integer"},
    {9, 8, true, "8-byte two's complement integer"},
    {10, 4, true, "4-byte unsigned integer"},
    {11, 2, true, "2-byte unsigned integer"},
    {12, 8, true, "8-byte unsigned integer"},
    {15, 3, true, "3-byte unsigned integer"},
    {16, 1, true, "1-byte unsigned integer"},
}};

// Unsigned value of `width` bytes at p, in `order`.
inline uint64_t Load(const uint8_t* p, int width, ByteOrder order) {
  uint64_t v = 0;
  if (order == ByteOrder::Big) {
    for (int k = 0; k < width; ++k) v = (v << 8) | p[k];
  } else {
    for (int k = width - 1; k >= 0; --k) v = (v << 8) | p[k];
  }
  return v;
}

inline uint32_t Load32(const uint8_t* p, ByteOrder order) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  const bool native = (order == ByteOrder::Little) == (std::endian::native == std::endian::little);
  return native ? v : __builtin_bswap32(v);
}

inline int64_t SignExtend(uint64_t v, int width) {
  const int shift = 64 - 8 * width;
  return static_cast<int64_t>(v << shift) >> shift;
}

template <typename F>
void Each(const uint8_t* src, size_t n, int width, float* dst, F&& f) {
  for (size_t i = 0; i < n; ++i) dst[i] = f(src + i * static_cast<size_t>(width));
}

}  // namespace

const SampleFormat* FindSampleFormat(int code) {
  for (const auto& f : kFormats)
    if (f.code == code) return &f;
  return nullptr;
}

void DecodeSamples(const uint8_t* src, size_t n, const SampleFormat& format, ByteOrder order, bool ibm_as_bits,
                   double scale, float* dst) {
  const float s = static_cast<float>(scale);
  switch (format.code) {
    case 1:
      if (ibm_as_bits) {
        for (size_t i = 0; i < n; ++i) dst[i] = std::bit_cast<float>(Load32(src + 4 * i, order));
      } else if (order == ByteOrder::Big) {
        for (size_t i = 0; i < n; ++i) dst[i] = std::bit_cast<float>(IbmToIeee(Load32(src + 4 * i, ByteOrder::Big)));
      } else {
        for (size_t i = 0; i < n; ++i) dst[i] = std::bit_cast<float>(IbmToIeee(Load32(src + 4 * i, ByteOrder::Little)));
      }
      return;
    case 5:
      for (size_t i = 0; i < n; ++i) dst[i] = std::bit_cast<float>(Load32(src + 4 * i, order));
      return;
    case 6:
      Each(src, n, 8, dst, [&](const uint8_t* p) {
        return static_cast<float>(std::bit_cast<double>(Load(p, 8, order)));
      });
      return;
    case 2:
      for (size_t i = 0; i < n; ++i)
        dst[i] = static_cast<float>(static_cast<int32_t>(Load32(src + 4 * i, order))) * s;
      return;
    case 10:
      for (size_t i = 0; i < n; ++i) dst[i] = static_cast<float>(Load32(src + 4 * i, order)) * s;
      return;
    case 3:
    case 7:
    case 8:
    case 9: {
      const int w = format.bytes;
      Each(src, n, w, dst, [&](const uint8_t* p) { return static_cast<float>(SignExtend(Load(p, w, order), w)) * s; });
      return;
    }
    default: {  // 11, 12, 15, 16: unsigned
      const int w = format.bytes;
      Each(src, n, w, dst, [&](const uint8_t* p) { return static_cast<float>(Load(p, w, order)) * s; });
      return;
    }
  }
}

void EncodeSamples(const float* src, size_t n, bool ibm, ByteOrder order, uint8_t* dst) {
  const bool native = (order == ByteOrder::Little) == (std::endian::native == std::endian::little);
  auto put = [&](auto convert) {
    for (size_t i = 0; i < n; ++i) {
      uint32_t w = convert(std::bit_cast<uint32_t>(src[i]));
      if (!native) w = __builtin_bswap32(w);
      std::memcpy(dst + 4 * i, &w, 4);
    }
  };
  if (ibm)
    put([](uint32_t w) { return IeeeToIbm(w); });
  else
    put([](uint32_t w) { return w; });
}

}  // namespace keld::segy
