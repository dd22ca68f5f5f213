#pragma once
// Explicit-endian reads and writes of fixed-size fields in byte buffers.
#include <bit>
#include <cstdint>
#include <cstring>

namespace keld {

inline uint16_t get_u16le(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t get_u32le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int16_t get_i16le(const uint8_t* p) { return static_cast<int16_t>(get_u16le(p)); }
inline int32_t get_i32le(const uint8_t* p) { return static_cast<int32_t>(get_u32le(p)); }
inline float get_f32le(const uint8_t* p) { return std::bit_cast<float>(get_u32le(p)); }

inline uint16_t get_u16be(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t get_u32be(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline int16_t get_i16be(const uint8_t* p) { return static_cast<int16_t>(get_u16be(p)); }
inline int32_t get_i32be(const uint8_t* p) { return static_cast<int32_t>(get_u32be(p)); }
inline float get_f32be(const uint8_t* p) { return std::bit_cast<float>(get_u32be(p)); }

inline void put_u16le(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put_u32le(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline void put_i16le(uint8_t* p, int16_t v) { put_u16le(p, static_cast<uint16_t>(v)); }
inline void put_i32le(uint8_t* p, int32_t v) { put_u32le(p, static_cast<uint32_t>(v)); }
inline void put_f32le(uint8_t* p, float v) { put_u32le(p, std::bit_cast<uint32_t>(v)); }

inline void put_u16be(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
inline void put_u32be(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
inline void put_i16be(uint8_t* p, int16_t v) { put_u16be(p, static_cast<uint16_t>(v)); }
inline void put_i32be(uint8_t* p, int32_t v) { put_u32be(p, static_cast<uint32_t>(v)); }
inline void put_f32be(uint8_t* p, float v) { put_u32be(p, std::bit_cast<uint32_t>(v)); }

}  // namespace keld
