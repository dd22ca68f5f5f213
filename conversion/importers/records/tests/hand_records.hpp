#pragma once
// Records of every record format, built here byte by byte from the formats'
// layouts, large enough that the text ones cross many read pieces: the
// samples are a fixed pseudo-random walk, written with the separators the
// formats allow (commas, blanks, tabs, CR LF, LF, blank lines).
#include <cstdint>
#include <cstring>
#include <string>

namespace keld::conversion::testing {

// The same values on every run, whatever the platform.
struct Walk {
  uint32_t s;
  int next(int range) {
    s = s * 1103515245u + 12345u;
    return static_cast<int>((s >> 8) % static_cast<uint32_t>(2 * range + 1)) - range;
  }
};

inline void Put(std::string& b, std::size_t at, const void* p, std::size_t n) {
  if (b.size() < at + n) b.resize(at + n, '\0');
  std::memcpy(&b[at], p, n);
}
inline void Put16(std::string& b, std::size_t at, int16_t v) { Put(b, at, &v, 2); }
inline void Put32(std::string& b, std::size_t at, int32_t v) { Put(b, at, &v, 4); }
inline void PutF(std::string& b, std::size_t at, float v) { Put(b, at, &v, 4); }

// ABEM: 2048-byte header of text lines (7: dt, 113: channels), then
// 5 channels of 700 16-bit samples.
inline std::string HandAbem(uint32_t seed) {
  std::string b;
  for (int l = 1; l <= 113; ++l) b += (l == 7 ? "250" : l == 113 ? "5" : "line") + std::string("\r\n");
  b.resize(2048, '\0');
  Walk w{seed};
  for (int k = 0; k < 5 * 700; ++k) Put16(b, 2048 + 2 * k, static_cast<int16_t>(w.next(32767)));
  return b;
}

// Generic layout: 100-byte header, per channel a 32-byte trace header and
// 600 32-bit floats; 6 channels.
inline std::string HandLayout(uint32_t seed) {
  std::string b(100, 'H');
  Walk w{seed};
  std::size_t at = 100;
  for (int c = 0; c < 6; ++c) {
    b.resize(at + 32, 'T');
    at += 32;
    for (int i = 0; i < 600; ++i, at += 4) PutF(b, at, static_cast<float>(w.next(100000)) / 8.0f);
  }
  return b;
}

// ES-1225: a 300-byte header, then 4 blocks of 48 + 2 x 500 bytes.
inline std::string HandEs1225(uint32_t seed) {
  std::string b(300 + 4 * (48 + 1000), '\0');
  Walk w{seed};
  for (std::size_t at = 0; at < b.size(); at += 2) Put16(b, at, static_cast<int16_t>(w.next(20000)));
  return b;
}

// BISON: a text header ended by ETX ETX, then 3 blocks of 500 x 1.25 words
// whose every fifth word is a gain code (some below -1: doubled samples).
inline std::string HandBison(uint32_t seed) {
  std::string b = "BISN\r\n";
  for (int l = 2; l <= 18; ++l) b += (l == 15 ? "3" : l == 17 ? "500" : l == 18 ? "0.5" : "bison") + std::string("\r\n");
  if (b.size() % 2) b += ' ';
  b += "\x03\x03";
  const std::size_t h = b.size();
  Walk w{seed};
  for (int k = 0; k < 3 * 625; ++k) Put16(b, h + 2 * k, static_cast<int16_t>(k % 5 == 4 ? w.next(3) : w.next(16000)));
  return b;
}

// LCM-12: 5 traces of 3000 items, numbers with decimals, many separators.
inline std::string HandPasi(uint32_t seed) {
  std::string b;
  Walk w{seed};
  const char* seps[] = {", ", ",", "\r\n", "\n", " ,\t", ",\n\n", "\n \t"};
  for (int k = 0; k < 5 * 3000; ++k) {
    b += std::to_string(w.next(50000)) + (k % 3 ? ".5" : "") + (k % 11 ? "" : "e0");
    b += seps[(w.next(100) + 100) % 7];
  }
  return b;
}

// OYO: ASCII fields at their offsets, samples of 4 bytes from 6144; 4
// channels of 800.
inline std::string HandOyo(uint32_t seed) {
  std::string b(6144, ' ');
  auto text = [&](std::size_t at, const char* s) { std::memcpy(&b[at], s, std::strlen(s)); };
  text(2816, "  12");
  text(2866, "   4");
  text(2870, " 800");
  text(2875, "0.250");
  text(2881, "       15");
  text(2891, "  10");
  text(2896, " 250");
  text(2901, "  50");
  text(2906, "  -120");
  text(2913, "   300");
  Walk w{seed};
  for (int k = 0; k < 4 * 800; ++k) Put32(b, 6144 + 4 * k, w.next(8'000'000));
  return b;
}

// Ambrogeo: 37 header lines (5 date, 6 time, 8 channels, 9 samples, 11
// rate), then 1500 rows of 24 numbers.
inline std::string HandAmbrogeo(uint32_t seed) {
  std::string b;
  for (int l = 1; l <= 37; ++l)
    b += (l == 5 ? " 21 06/  08" : l == 6 ? " 14:07" : l == 8 ? "12" : l == 9 ? "1500" : l == 11 ? "125" : "0") +
         std::string("\r\n");
  Walk w{seed};
  for (int i = 0; i < 1500; ++i)
    for (int k = 1; k <= 24; ++k) b += std::to_string(w.next(32767)) + (k == 24 ? "\r\n" : k % 8 ? ", " : "\n");
  return b;
}

// FNV-1a of a file's bytes: a short, stable name for an output.
inline uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

}  // namespace keld::conversion::testing
