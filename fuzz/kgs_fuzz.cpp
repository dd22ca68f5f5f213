// Arbitrary bytes as a KGS file of either kind: the layout is taken from the
// first header and every whole trace's header is mapped to an SU header;
// nothing may be read past the bytes given.
#include <cstdint>
#include <cstddef>

#include "conversion/shell/kgs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::conversion;
  if (size < 240) return 0;
  for (KgsKind kind : {KgsKind::Integer, KgsKind::Floating}) {
    auto L = KgsLayoutOf(data, static_cast<int64_t>(size), kind);
    if (!L) continue;
    for (int64_t i = 0; i < L->traces && i < 64; ++i) {
      const uint8_t* h = data + i * L->trace_bytes;
      auto su = KgsToSuHeader(h, kind, 1);
      (void)SuToKgsHeader(su, i + 1, {});
    }
  }
  return 0;
}
