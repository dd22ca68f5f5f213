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

// IBM to IEEE over a block, in a form the compiler turns into vector code:
// the 24-bit fraction becomes a float exactly, and the IBM exponent then
// moves that float's exponent. Values whose result falls outside the normal
// float range (rare: beyond 3.4e38 or below 1.2e-38) are flagged, and the
// caller decodes the block again one word at a time.
template <bool Swap>
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
bool IbmBlockFast(const uint8_t* src, size_t n, float* dst) {
  uint32_t outside = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t w;
    std::memcpy(&w, src + 4 * i, 4);
    if constexpr (Swap) w = __builtin_bswap32(w);
    const uint32_t frac = w & 0x00FFFFFFu;
    const uint32_t bits = std::bit_cast<uint32_t>(static_cast<float>(static_cast<int32_t>(frac)));
    const int32_t move = 4 * static_cast<int32_t>((w >> 24) & 0x7F) - 280;  // 16^(e-64) * 2^-24
    const int32_t exp = static_cast<int32_t>(bits >> 23) + move;
    outside |= static_cast<uint32_t>(frac != 0) & static_cast<uint32_t>(static_cast<uint32_t>(exp - 1) >= 254u);
    const uint32_t value = frac == 0 ? 0u : bits + (static_cast<uint32_t>(move) << 23);
    dst[i] = std::bit_cast<float>((w & 0x80000000u) | value);
  }
  return outside == 0;
}

template <bool Swap>
void IbmBlock(const uint8_t* src, size_t n, float* dst) {
  if (IbmBlockFast<Swap>(src, n, dst)) return;
  for (size_t i = 0; i < n; ++i) {
    uint32_t w;
    std::memcpy(&w, src + 4 * i, 4);
    if constexpr (Swap) w = __builtin_bswap32(w);
    dst[i] = std::bit_cast<float>(IbmToIeee(w));
  }
}

// IEEE to IBM over a block of 4-byte words (byte-swapped first when
// `SwapIn`), without branches so that it becomes vector code; the same words
// as IeeeToIbm.
template <bool SwapIn, bool SwapOut>
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void IbmEncodeBlock(const uint8_t* src, size_t n, uint8_t* dst) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t u;
    std::memcpy(&u, src + 4 * i, 4);
    if constexpr (SwapIn) u = __builtin_bswap32(u);
    const uint32_t sign = u & 0x80000000u;
    const int32_t exp = static_cast<int32_t>((u >> 23) & 0xFF);
    const uint32_t bare = u & 0x007FFFFFu;
    const uint32_t mant = bare | (exp != 0 ? 0x00800000u : 0u);
    const int32_t x = (exp != 0 ? exp : 1) - 126;
    const int32_t q = (x + 3) >> 2;  // x / 4 rounded up
    const uint32_t frac = mant >> (4 * q - x);
    uint32_t w = sign | (static_cast<uint32_t>(q + 64) << 24) | frac;
    w = frac == 0 ? sign : w;
    w = exp == 0 && bare == 0 ? 0u : w;
    w = exp == 255 ? (sign | 0x7FFFFFFFu) : w;
    if constexpr (SwapOut) w = __builtin_bswap32(w);
    std::memcpy(dst + 4 * i, &w, 4);
  }
}

// IEEE words to IEEE words in the other order, or copied as they are.
template <bool SwapIn, bool SwapOut>
void IeeeBlock(const uint8_t* src, size_t n, uint8_t* dst) {
  if constexpr (SwapIn == SwapOut) {
    std::memcpy(dst, src, 4 * n);
  } else {
    for (size_t i = 0; i < n; ++i) {
      uint32_t w;
      std::memcpy(&w, src + 4 * i, 4);
      w = __builtin_bswap32(w);
      std::memcpy(dst + 4 * i, &w, 4);
    }
  }
}

// Encodes words whose byte order is the host's when !SwapIn.
template <bool SwapIn>
void EncodeWords(const uint8_t* src, size_t n, bool ibm, ByteOrder order, uint8_t* dst) {
  const bool swap_out = (order == ByteOrder::Little) != (std::endian::native == std::endian::little);
  if (ibm)
    swap_out ? IbmEncodeBlock<SwapIn, true>(src, n, dst) : IbmEncodeBlock<SwapIn, false>(src, n, dst);
  else
    swap_out ? IeeeBlock<SwapIn, true>(src, n, dst) : IeeeBlock<SwapIn, false>(src, n, dst);
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
      } else if ((order == ByteOrder::Little) == (std::endian::native == std::endian::little)) {
        IbmBlock<false>(src, n, dst);
      } else {
        IbmBlock<true>(src, n, dst);
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
  EncodeWords<false>(reinterpret_cast<const uint8_t*>(src), n, ibm, order, dst);
}

void EncodeSuSamples(const uint8_t* src, size_t n, bool ibm, ByteOrder order, uint8_t* dst) {
  EncodeWords<std::endian::native != std::endian::little>(src, n, ibm, order, dst);
}

}  // namespace keld::segy
