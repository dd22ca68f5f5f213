// Arbitrary bytes taken as a GSSI DZT file: the header, then the text of
// every channel, never reading outside the bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "conversion/rtoaw/dzt.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  auto h = keld::rtoaw::ReadDztHeader(bytes);
  if (!h) return 0;
  for (int c = 0; c < h->channels; ++c) (void)keld::rtoaw::DztColumnsText(bytes, *h, c);
  return 0;
}
