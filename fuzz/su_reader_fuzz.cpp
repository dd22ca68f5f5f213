// Arbitrary bytes as an SU file: the layout, every trace read at random and
// in sequence, and the whole-file reader. Nothing may be read outside the file
// whatever its headers say.
#include <cstdint>

#include "common/su_file.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = keld::fuzzing::WriteScratch(data, size, ".su");
  (void)keld::ReadSuLayout(path);
  (void)keld::ReadSuLayoutWithDt(path);
  keld::SuReader r;
  if (r.open(path).ok()) {
    keld::SuTrace t;
    int n = 0;
    while (r.next(t) && ++n < 64) {
    }
    (void)r.read(r.traces() - 1, t);
    (void)r.read(r.traces(), t);  // one past the end: refused
    keld::SuTraceHeader h;
    (void)r.read_header(0, h);
  }
  (void)keld::ReadSuFile(path);
  return 0;
}
