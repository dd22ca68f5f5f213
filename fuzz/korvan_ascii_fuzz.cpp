// Arbitrary bytes as the maker's per-channel ASCII files: the information file
// and a channel file are parsed; nothing may be read past the text or written
// past the samples asked for.
#include <cstdint>
#include <string_view>
#include <vector>

#include "conversion/importers/korvan_ascii.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)keld::conversion::ParseAdt(text);
  std::vector<float> samples(64);
  (void)keld::conversion::ParseChannelSamples(text, static_cast<int>(samples.size()), samples.data());
  return 0;
}
