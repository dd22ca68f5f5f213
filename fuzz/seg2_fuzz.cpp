// Arbitrary bytes taken as a SEG-2 file, then turned into SU traces: pointers,
// string offsets and sample counts all come from the bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sutools/formats/seg2_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto r = keld::formats::ReadSeg2(std::span<const uint8_t>(data, size));
  if (r.ok()) {
    auto su = keld::formats::Seg2ToSu(*r);
    if (su.ok() && su->size() != r->traces.size()) __builtin_trap();
  }
  return 0;
}
