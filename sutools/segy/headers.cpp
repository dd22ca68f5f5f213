#include "sutools/segy/headers.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "common/bytes.hpp"
#include "common/ebcdic.hpp"

namespace keld::segy {

namespace {

// Width of the word at each position of the SU trace header.
constexpr int WordWidth(int byte) {
  if (byte < 28) return 4;
  if (byte < 36) return 2;
  if (byte < 68) return 4;
  if (byte < 72) return 2;
  if (byte < 88) return 4;
  if (byte < 180) return 2;
  if (byte < 208) return 4;
  return 2;
}

// Where each byte of a turned header comes from: the bytes of every word in
// the other order.
constexpr std::array<uint8_t, kTraceHeaderBytes> kTurned = [] {
  std::array<uint8_t, kTraceHeaderBytes> from{};
  for (int b = 0; b < kTraceHeaderBytes;) {
    const int w = WordWidth(b);
    for (int k = 0; k < w; ++k) from[static_cast<size_t>(b + k)] = static_cast<uint8_t>(b + w - 1 - k);
    b += w;
  }
  return from;
}();

void TurnHeader(const uint8_t* in, uint8_t* out, bool swap) {
  if (!swap) {
    std::memcpy(out, in, kTraceHeaderBytes);
    return;
  }
  for (int b = 0; b < kTraceHeaderBytes; ++b) out[b] = in[kTurned[static_cast<size_t>(b)]];
}

}  // namespace

int GetI16(const uint8_t* p, ByteOrder order) { return order == ByteOrder::Big ? get_i16be(p) : get_i16le(p); }
int GetU16(const uint8_t* p, ByteOrder order) { return order == ByteOrder::Big ? get_u16be(p) : get_u16le(p); }
int32_t GetI32(const uint8_t* p, ByteOrder order) { return order == ByteOrder::Big ? get_i32be(p) : get_i32le(p); }
void PutI16(uint8_t* p, int v, ByteOrder order) {
  const auto u = static_cast<uint16_t>(v);
  order == ByteOrder::Big ? put_u16be(p, u) : put_u16le(p, u);
}
void PutI32(uint8_t* p, int32_t v, ByteOrder order) {
  order == ByteOrder::Big ? put_i32be(p, v) : put_i32le(p, v);
}

BinaryHeader ReadBinaryHeader(const uint8_t* b, ByteOrder order) {
  BinaryHeader h;
  h.hdt = GetU16(b + kBinHdt, order);
  h.ns = GetU16(b + kBinNs, order);
  h.format = GetI16(b + kBinFormat, order);
  h.revision = GetU16(b + kBinRevision, order);
  h.ext_headers = GetI16(b + kBinExtHeaders, order);
  h.endian_mark = GetI32(b + kBinEndianMark, order) == 0x01020304;
  return h;
}

void SwapBinaryHeader(uint8_t* b) {
  auto swap = [&](int from, int to, int width) {
    for (int p = from; p < to; p += width) {
      std::reverse(b + p, b + p + width);
    }
  };
  swap(0, 12, 4);     // job, line and reel numbers
  swap(12, 60, 2);    // the 16-bit words up to the vibratory polarity
  swap(60, 68, 4);    // extended traces per ensemble and auxiliary traces
  swap(68, 72, 4);    // extended samples per trace
  swap(96, 100, 4);   // the byte-order mark
  swap(300, 306, 2);  // revision, fixed length, extended text headers
  swap(306, 310, 4);  // additional trace headers (rev 2)
}

void TraceHeaderToSu(const uint8_t* segy240, ByteOrder order, uint8_t* su240) {
  TurnHeader(segy240, su240, order == ByteOrder::Big);
}

void SuToTraceHeader(const uint8_t* su240, ByteOrder order, uint8_t* segy240) {
  TurnHeader(su240, segy240, order == ByteOrder::Big);
}

bool TextHeaderIsEbcdic(const uint8_t* t) {
  int ascii = 0, ebcdic = 0;
  for (int i = 0; i < kTextBytes; ++i) {
    const uint8_t c = t[i];
    if (c >= 0x20 && c < 0x7F) ++ascii;
    // EBCDIC blank, letters and digits.
    if (c == 0x40 || (c >= 0x81 && c <= 0xA9) || (c >= 0xC1 && c <= 0xF9)) ++ebcdic;
  }
  return ebcdic > ascii;
}

std::string TextHeaderLines(const uint8_t* t) {
  std::string text(reinterpret_cast<const char*>(t), kTextBytes);
  if (TextHeaderIsEbcdic(t)) text = Ebcdic_Ascii(text);
  std::string out;
  out.reserve(kTextBytes + 40);
  for (int i = 0; i < kTextBytes; ++i) {
    const auto c = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
    out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ');
    if (i % 80 == 79) out.push_back('\n');
  }
  return out;
}

std::array<uint8_t, kTextBytes> DefaultTextHeader() {
  std::string ascii;
  for (int line = 1; line <= 40; ++line) {
    char card[81];
    const char* what = line == 1   ? "SEG-Y FILE WRITTEN FROM SU TRACES BY KELD SEGYWRITE"
                       : line == 39 ? "SEG Y REV0"
                       : line == 40 ? "END EBCDIC"
                                    : "";
    std::snprintf(card, sizeof card, "C%2d %-76s", line, what);
    ascii.append(card, 80);
  }
  const std::string e = Ascii_Ebcdic(ascii, Table_Ebcdic());
  std::array<uint8_t, kTextBytes> out{};
  std::memcpy(out.data(), e.data(), kTextBytes);
  return out;
}

}  // namespace keld::segy
