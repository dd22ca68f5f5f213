#pragma once
// Test helpers: acquisition text records written the way korvan writes them,
// and a SEG-2 reader of our own that walks a file from its pointers.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/bytes.hpp"

namespace keld::testing {

struct Record {
  std::string company = "Ditta KORVAN";
  std::string date = "DATA: 12/03/2024";
  std::string time = "ORA: 10:22:33";
  std::string channels = "2";
  std::string interval = "250 usec";
  std::string samples = "3";
  std::string spacing = "2,5 m";
  std::string source = "-3 m";
  // One block per entry: the number on its "Canale numero" line and its sample lines.
  std::vector<std::pair<int, std::vector<std::string>>> blocks = {
      {1, {"1", "-1.5", "3.125E-05"}}, {2, {".5", "0", "7"}}};
  std::string eol = "\r\n";

  std::string Text() const {
    std::vector<std::string> l = {company, "Strumento: QMR650B",
                                  "I dati numerici sono in formato floating point", date, time,
                                  "Numero di canali=", channels, "Intervallo di campionamento=",
                                  interval, "Numero di campioni=", samples, "Distanza tra geofoni=",
                                  spacing, "Posizione source rispetto 1\xB0 geofono=", source,
                                  "\"NOTE:\""};
    for (const auto& [n, values] : blocks) {
      l.push_back("\"Canale numero " + std::to_string(n) + "\"");
      l.insert(l.end(), values.begin(), values.end());
    }
    std::string t;
    for (const std::string& s : l) t += s + eol;
    return t;
  }
};

// A SEG-2 file as read back by walking its blocks.
struct Seg2Trace {
  int32_t pointer = 0;
  int descriptor_size = 0, data_size = 0, ns = 0, format = 0;
  std::vector<std::string> strings;
  std::vector<float> samples;
  int64_t end = 0;  // offset just after its last sample
};
struct Seg2Read {
  int revision = 0, pointer_bytes = 0, traces = 0;
  std::vector<std::string> strings;
  std::vector<Seg2Trace> trace;
};

inline std::vector<std::string> ReadStrings(const std::vector<unsigned char>& f, size_t at,
                                            size_t limit) {
  std::vector<std::string> out;
  for (;;) {
    if (at + 2 > limit) throw std::runtime_error("string list runs past its block");
    uint16_t next = get_u16le(&f[at]);
    if (next == 0) return out;
    if (next < 3 || at + next > limit) throw std::runtime_error("bad string offset");
    if (f[at + next - 1] != 0) throw std::runtime_error("string without its 0x00");
    out.emplace_back(reinterpret_cast<const char*>(&f[at + 2]), next - 3);
    at += next;
  }
}

inline Seg2Read WalkSeg2(const std::vector<unsigned char>& f) {
  Seg2Read r;
  if (f.size() < 32 || f[0] != 0x55 || f[1] != 0x3A) throw std::runtime_error("no file block");
  r.revision = get_i16le(&f[2]);
  r.pointer_bytes = get_i16le(&f[4]);
  r.traces = get_i16le(&f[6]);
  if (32u + r.pointer_bytes > f.size()) throw std::runtime_error("pointers past the end");
  int32_t first = r.traces ? get_i32le(&f[32]) : static_cast<int32_t>(f.size());
  r.strings = ReadStrings(f, 32 + r.pointer_bytes, static_cast<size_t>(first));
  for (int k = 0; k < r.traces; ++k) {
    Seg2Trace t;
    t.pointer = get_i32le(&f[32 + 4 * k]);
    size_t p = static_cast<size_t>(t.pointer);
    if (p + 32 > f.size() || f[p] != 0x22 || f[p + 1] != 0x44)
      throw std::runtime_error("no trace block at pointer " + std::to_string(k + 1));
    t.descriptor_size = get_u16le(&f[p + 2]);
    t.data_size = get_i32le(&f[p + 4]);
    t.ns = get_i32le(&f[p + 8]);
    t.format = f[p + 12];
    t.strings = ReadStrings(f, p + 32, p + t.descriptor_size);
    size_t data = p + t.descriptor_size;
    if (data + static_cast<size_t>(t.data_size) > f.size()) throw std::runtime_error("short data");
    for (int i = 0; i < t.ns; ++i) t.samples.push_back(get_f32le(&f[data + 4 * i]));
    t.end = static_cast<int64_t>(data) + t.data_size;
    r.trace.push_back(t);
  }
  return r;
}

}  // namespace keld::testing
