// Arbitrary bytes taken as a SEG-D file: every block count and length comes
// from the bytes, and nothing may be read outside them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sutools/formats/segd_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto r = keld::formats::ReadSegd(std::span<const uint8_t>(data, size));
  if (r.ok())
    for (const auto& t : r->traces)
      if (t.samples.size() != static_cast<size_t>(t.header.ns)) __builtin_trap();
  return 0;
}
