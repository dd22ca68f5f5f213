// Arbitrary bytes as a velocity model file: parsed with every count and number
// checked; a model that is accepted has whole blocks, at most ten.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ombrix/page/velocity.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto m = keld::ombrix::ParseVelModel(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.vel");
  if (m && (m->empty() || m->size() > 10)) std::abort();
  return 0;
}
