#pragma once
// Small SU files made by hand for keysheet's tests.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace keld::keysheet::testfiles {

// `traces` traces of `ns` samples: tracl = trace number, ns, dt, and
// samples 0.5, 1.5, ... so that a change in them shows.
inline std::vector<uint8_t> MakeSu(int traces, int ns, int dt) {
  const size_t len = 240 + 4 * static_cast<size_t>(ns < 0 ? 0 : ns);
  std::vector<uint8_t> b(len * static_cast<size_t>(traces));
  for (int t = 0; t < traces; ++t) {
    uint8_t* h = b.data() + len * static_cast<size_t>(t);
    const uint32_t tracl = static_cast<uint32_t>(t + 1);
    for (int k = 0; k < 4; ++k) h[k] = static_cast<uint8_t>(tracl >> (8 * k));
    h[114] = static_cast<uint8_t>(ns & 0xFF);
    h[115] = static_cast<uint8_t>((ns >> 8) & 0xFF);
    h[116] = static_cast<uint8_t>(dt & 0xFF);
    h[117] = static_cast<uint8_t>((dt >> 8) & 0xFF);
    for (int s = 0; s < ns; ++s) {
      float v = 0.5f + static_cast<float>(s);
      std::memcpy(h + 240 + 4 * s, &v, 4);
    }
  }
  return b;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace keld::keysheet::testfiles
