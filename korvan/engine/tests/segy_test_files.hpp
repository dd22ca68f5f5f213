#pragma once
// SU files for the export and joining tests, with a different value in every
// field that the SEG-Y writer copies, so a field taken from the wrong trace
// or written in the wrong byte order shows.
#include <cstdint>
#include <string>
#include <vector>

#include "common/su_file.hpp"

namespace keld::korvan::testfiles {

inline SuTrace ShotTrace(int i, int ns, int dt) {
  SuTrace t;
  SuTraceHeader& h = t.header;
  h.tracl = 1000 + i;  // not carried over: 0 in SEG-Y
  h.tracr = 2000 + i;
  h.fldr = 1001 + i / 24;
  h.tracf = i + 1;
  h.ep = 77;
  h.cdp = 100 + i;
  h.cdpt = 5;
  h.trid = 2;
  h.nvs = 3;
  h.offset = -20 + 2 * i;
  h.gelev = 70000 + i;
  h.selev = -70000 - i;
  h.sdepth = 3 + i;
  h.gdel = 0x01020304;
  h.sdel = -2;
  h.swdep = 123456 + i;
  h.gwdep = -123456 - i;
  h.scalel = -100;
  h.scalco = -10;
  h.sx = 100000 + i;       // beyond 16 bits
  h.sy = 9;
  h.gx = -70000 - 3 * i;   // negative, beyond 16 bits
  h.gy = 8;
  h.delrt = static_cast<int16_t>(-5 + i);
  h.ns = static_cast<int16_t>(ns);
  h.dt = static_cast<int16_t>(dt);
  h.corr = 2;
  h.nofilf = static_cast<int16_t>(50 + i);
  h.lcf = static_cast<int16_t>(10 + i);
  h.hcf = static_cast<int16_t>(400 + i);
  h.lcs = 6;
  h.hcs = static_cast<int16_t>(-300 + i);
  h.year = static_cast<int16_t>(2024 + i);
  h.day = static_cast<int16_t>(361 - i);
  h.hour = static_cast<int16_t>(13 + i);
  h.minute = static_cast<int16_t>(59 - i);
  h.sec = 33;
  h.Velocity1 = 1500;
  h.Pick = 123;
  h.Nb_Samples = ns;
  t.samples.resize(static_cast<size_t>(ns));
  for (int k = 0; k < ns; ++k) t.samples[static_cast<size_t>(k)] = static_cast<float>((k - 7) * 0.25 + i * 1000.5);
  t.samples[0] = 1.0f;
  return t;
}

inline std::vector<SuTrace> Shot(int traces, int ns, int dt = 250) {
  std::vector<SuTrace> v;
  for (int i = 0; i < traces; ++i) v.push_back(ShotTrace(i, ns, dt));
  return v;
}

}  // namespace keld::korvan::testfiles
