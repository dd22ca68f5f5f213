#pragma once
// The 240-byte trace header of SU files (the SEG-Y trace-header layout), with the
// suite's own words at bytes 212 to 222 and the sample count again at 232.
// Every field sits at its byte offset; on disk every number is little-endian.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/bytes.hpp"

namespace keld {

struct SuTraceHeader {
  int32_t tracl = 0;    // 0
  int32_t tracr = 0;    // 4
  int32_t fldr = 0;     // 8   field record number
  int32_t tracf = 0;    // 12  channel within the record
  int32_t ep = 0;       // 16
  int32_t cdp = 0;      // 20
  int32_t cdpt = 0;     // 24
  int16_t trid = 0;     // 28  1 data, 2 dead
  int16_t nvs = 0;      // 30  vertically stacked traces
  int16_t nhs = 0;      // 32
  int16_t duse = 0;     // 34
  int32_t offset = 0;   // 36  shot-to-receiver distance, signed
  int32_t gelev = 0;    // 40
  int32_t selev = 0;    // 44
  int32_t sdepth = 0;   // 48
  int32_t gdel = 0;     // 52
  int32_t sdel = 0;     // 56
  int32_t swdep = 0;    // 60
  int32_t gwdep = 0;    // 64
  int16_t scalel = 0;   // 68
  int16_t scalco = 0;   // 70
  int32_t sx = 0;       // 72
  int32_t sy = 0;       // 76
  int32_t gx = 0;       // 80
  int32_t gy = 0;       // 84
  int16_t counit = 0;   // 88
  int16_t wevel = 0;    // 90
  int16_t swevel = 0;   // 92
  int16_t sut = 0;      // 94
  int16_t gut = 0;      // 96
  int16_t sstat = 0;    // 98
  int16_t gstat = 0;    // 100
  int16_t tstat = 0;    // 102
  int16_t laga = 0;     // 104
  int16_t lagb = 0;     // 106
  int16_t delrt = 0;    // 108 recording delay, ms
  int16_t muts = 0;     // 110
  int16_t mute = 0;     // 112
  int16_t ns = 0;       // 114 samples per trace (signed: above 32767 reads negative)
  int16_t dt = 0;       // 116 sample interval, microseconds
  int16_t gain = 0;     // 118
  int16_t igc = 0;      // 120
  int16_t igi = 0;      // 122
  int16_t corr = 0;     // 124
  int16_t sfs = 0;      // 126
  int16_t sfe = 0;      // 128
  int16_t slen = 0;     // 130
  int16_t styp = 0;     // 132
  int16_t stas = 0;     // 134
  int16_t stae = 0;     // 136
  int16_t tatyp = 0;    // 138
  int16_t afilf = 0;    // 140
  int16_t afils = 0;    // 142
  int16_t nofilf = 0;   // 144
  int16_t nofils = 0;   // 146
  int16_t lcf = 0;      // 148
  int16_t hcf = 0;      // 150
  int16_t lcs = 0;      // 152
  int16_t hcs = 0;      // 154
  int16_t year = 0;     // 156
  int16_t day = 0;      // 158
  int16_t hour = 0;     // 160
  int16_t minute = 0;   // 162
  int16_t sec = 0;      // 164
  int16_t timbas = 0;   // 166
  int16_t trwf = 0;     // 168
  int16_t grnors = 0;   // 170
  int16_t grnofr = 0;   // 172
  int16_t grnlof = 0;   // 174
  int16_t gaps = 0;     // 176
  int16_t otrav = 0;    // 178
  float d1 = 0;         // 180
  float f1 = 0;         // 184
  float d2 = 0;         // 188
  float f2 = 0;         // 192
  float ungpow = 0;     // 196
  float unscale = 0;    // 200
  int32_t ntr = 0;      // 204
  int16_t mark = 0;     // 208
  int16_t unass210 = 0;   // 210
  int16_t Velocity1 = 0;  // 212 suite words: refraction velocities and thicknesses
  int16_t Thick1 = 0;     // 214
  int16_t Velocity2 = 0;  // 216
  int16_t Thick2 = 0;     // 218
  int16_t Velocity3 = 0;  // 220
  int16_t Pick = 0;       // 222 first-break pick, tenths of a millisecond
  int16_t unass224 = 0;   // 224
  int16_t unass226 = 0;   // 226
  int16_t unass228 = 0;   // 228
  int16_t unass230 = 0;   // 230
  int32_t Nb_Samples = 0; // 232 samples per channel, written by korvan
  int32_t unass236 = 0;   // 236
};
static_assert(sizeof(SuTraceHeader) == 240);

enum class FieldKind { I16, I32, F32 };

struct HeaderField {
  std::string_view name;
  int offset;
  FieldKind kind;
  int size() const { return kind == FieldKind::I16 ? 2 : 4; }
};

// Every field of the header in byte order; together they cover all 240 bytes.
std::span<const HeaderField> HeaderFields();
std::optional<HeaderField> FindHeaderField(std::string_view name);

constexpr int kSuHeaderBytes = 240;

SuTraceHeader DecodeSuHeader(const uint8_t* bytes);            // 240 little-endian bytes
void EncodeSuHeader(const SuTraceHeader& h, uint8_t* bytes);   // 240 bytes out
std::array<uint8_t, 240> EncodeSuHeader(const SuTraceHeader& h);

// A field's value as a double (integers exactly), and setting it from one
// (rounded half-even, wrapped into the field's width).
double GetField(const SuTraceHeader& h, const HeaderField& f);
void SetField(SuTraceHeader& h, const HeaderField& f, double v);
// The same read straight from a header's 240 little-endian bytes, for loops
// over raw traces.
inline double GetFieldLe(const uint8_t* header, const HeaderField& f) {
  switch (f.kind) {
    case FieldKind::I16: return get_i16le(header + f.offset);
    case FieldKind::I32: return get_i32le(header + f.offset);
    case FieldKind::F32: return get_f32le(header + f.offset);
  }
  return 0;
}

}  // namespace keld
