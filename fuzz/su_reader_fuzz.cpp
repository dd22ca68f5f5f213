// Arbitrary bytes as an SU file: the layout, every trace read at random and
// in sequence, and the whole-file reader. Nothing may be read outside the file
// whatever its headers say. The file lives in memory (nothing is written to
// disk per input), and scripts/run-fuzz.sh keeps inputs short (MAX_LEN): a
// few traces reach every path of the reader.
#include <cstdint>

#include "common/su_file.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const keld::fuzzing::MemoryFile file(data, size);
  const std::string path = file.path();
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
