#include "common/su_header.hpp"

#include <cmath>
#include <cstring>

#include "common/bytes.hpp"

namespace keld {

#define F(name, kind) HeaderField{#name, static_cast<int>(offsetof(SuTraceHeader, name)), FieldKind::kind}

namespace {
constexpr HeaderField kFields[] = {
    F(tracl, I32),
    F(tracr, I32),
    F(fldr, I32),
    F(tracf, I32),
    F(ep, I32),
    F(cdp, I32),
    F(cdpt, I32),
    F(trid, I16),
    F(nvs, I16),
    F(nhs, I16),
    F(duse, I16),
    F(offset, I32),
    F(gelev, I32),
    F(selev, I32),
    F(sdepth, I32),
    F(gdel, I32),
    F(sdel, I32),
    F(swdep, I32),
    F(gwdep, I32),
    F(scalel, I16),
    F(scalco, I16),
    F(sx, I32),
    F(sy, I32),
    F(gx, I32),
    F(gy, I32),
    F(counit, I16),
    F(wevel, I16),
    F(swevel, I16),
    F(sut, I16),
    F(gut, I16),
    F(sstat, I16),
    F(gstat, I16),
    F(tstat, I16),
    F(laga, I16),
    F(lagb, I16),
    F(delrt, I16),
    F(muts, I16),
    F(mute, I16),
    F(ns, I16),
    F(dt, I16),
    F(gain, I16),
    F(igc, I16),
    F(igi, I16),
    F(corr, I16),
    F(sfs, I16),
    F(sfe, I16),
    F(slen, I16),
    F(styp, I16),
    F(stas, I16),
    F(stae, I16),
    F(tatyp, I16),
    F(afilf, I16),
    F(afils, I16),
    F(nofilf, I16),
    F(nofils, I16),
    F(lcf, I16),
    F(hcf, I16),
    F(lcs, I16),
    F(hcs, I16),
    F(year, I16),
    F(day, I16),
    F(hour, I16),
    F(minute, I16),
    F(sec, I16),
    F(timbas, I16),
    F(trwf, I16),
    F(grnors, I16),
    F(grnofr, I16),
    F(grnlof, I16),
    F(gaps, I16),
    F(otrav, I16),
    F(d1, F32),
    F(f1, F32),
    F(d2, F32),
    F(f2, F32),
    F(ungpow, F32),
    F(unscale, F32),
    F(ntr, I32),
    F(mark, I16),
    F(unass210, I16),
    F(Velocity1, I16),
    F(Thick1, I16),
    F(Velocity2, I16),
    F(Thick2, I16),
    F(Velocity3, I16),
    F(Pick, I16),
    F(unass224, I16),
    F(unass226, I16),
    F(unass228, I16),
    F(unass230, I16),
    F(Nb_Samples, I32),
    F(unass236, I32),
};
}  // namespace

#undef F

std::span<const HeaderField> HeaderFields() { return kFields; }

std::optional<HeaderField> FindHeaderField(std::string_view name) {
  for (const auto& f : kFields)
    if (f.name == name) return f;
  return std::nullopt;
}

// The struct's own bytes in host order; each field is moved between the file's
// little-endian bytes and its slot at the same offset.
SuTraceHeader DecodeSuHeader(const uint8_t* bytes) {
  SuTraceHeader h;
  auto* raw = reinterpret_cast<unsigned char*>(&h);
  for (const auto& f : kFields) {
    if (f.kind == FieldKind::I16) {
      int16_t v = get_i16le(bytes + f.offset);
      std::memcpy(raw + f.offset, &v, 2);
    } else {
      uint32_t v = get_u32le(bytes + f.offset);
      std::memcpy(raw + f.offset, &v, 4);
    }
  }
  return h;
}

void EncodeSuHeader(const SuTraceHeader& h, uint8_t* bytes) {
  const auto* raw = reinterpret_cast<const unsigned char*>(&h);
  for (const auto& f : kFields) {
    if (f.kind == FieldKind::I16) {
      int16_t v;
      std::memcpy(&v, raw + f.offset, 2);
      put_i16le(bytes + f.offset, v);
    } else {
      uint32_t v;
      std::memcpy(&v, raw + f.offset, 4);
      put_u32le(bytes + f.offset, v);
    }
  }
}

std::array<uint8_t, 240> EncodeSuHeader(const SuTraceHeader& h) {
  std::array<uint8_t, 240> out{};
  EncodeSuHeader(h, out.data());
  return out;
}

double GetField(const SuTraceHeader& h, const HeaderField& f) {
  const auto* raw = reinterpret_cast<const unsigned char*>(&h) + f.offset;
  switch (f.kind) {
    case FieldKind::I16: { int16_t v; std::memcpy(&v, raw, 2); return v; }
    case FieldKind::I32: { int32_t v; std::memcpy(&v, raw, 4); return v; }
    case FieldKind::F32: { float v; std::memcpy(&v, raw, 4); return v; }
  }
  return 0;
}

void SetField(SuTraceHeader& h, const HeaderField& f, double v) {
  auto* raw = reinterpret_cast<unsigned char*>(&h) + f.offset;
  if (f.kind == FieldKind::F32) {
    float x = static_cast<float>(v);
    std::memcpy(raw, &x, 4);
    return;
  }
  double r = std::isfinite(v) ? std::nearbyint(v) : 0.0;
  // Wrap into the field's width the way a two's-complement store would.
  long long w = static_cast<long long>(std::fmod(r, 4294967296.0));
  if (f.kind == FieldKind::I16) {
    int16_t x = static_cast<int16_t>(static_cast<uint16_t>(w & 0xFFFF));
    std::memcpy(raw, &x, 2);
  } else {
    int32_t x = static_cast<int32_t>(static_cast<uint32_t>(w & 0xFFFFFFFFLL));
    std::memcpy(raw, &x, 4);
  }
}

}  // namespace keld
