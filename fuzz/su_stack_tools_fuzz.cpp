// Arbitrary bytes as the SU stream of susort, sunmo and sustack: sample
// counts, keys, offsets and delays all come from the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "sutools/stack_tools.hpp"

namespace {

template <typename Main>
void RunOn(Main main, const uint8_t* data, size_t size, int argc, const char* const* argv) {
  std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!in && size != 0) return;
  if (!in) in = std::fopen("/dev/null", "rb");
  std::FILE* out = std::fopen("/dev/null", "wb");
  std::FILE* err = std::fopen("/dev/null", "wb");
  if (in && out && err) {
    int rc = main(argc, argv, in, out, err);
    if (rc != 0 && rc != 1) __builtin_trap();
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
  if (err) std::fclose(err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::sutools;
  const char* sort[] = {"susort", "cdp", "-offset"};
  RunOn(SusortMain, data, size, 3, sort);
  const char* nmo[] = {"sunmo", "smute=1.5", "cdp=1,20", "tnmo=.1,.5", "vnmo=1500,2500", "tnmo=0.2", "vnmo=1800"};
  RunOn(SunmoMain, data, size, 7, nmo);
  const char* stack[] = {"sustack", "key=cdp"};
  RunOn(SustackMain, data, size, 2, stack);
  return 0;
}
