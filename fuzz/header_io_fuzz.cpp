// Reads every header word of every trace of arbitrary bytes taken as an SU
// file, in place, and writes one back: nothing may be read or written outside
// the file, whatever its ns says. The file lives in memory, and its in-place
// writes with it.
#include <cstdint>
#include <string>

#include "common/header_io.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const keld::fuzzing::MemoryFile bytes(data, size);
  keld::InPlaceFile file;
  if (!file.open(bytes.path(), true).ok()) return 0;
  auto ns = keld::ReadSuNs(file);
  if (!ns) return 0;
  for (int64_t t = 0; t <= 4; ++t)
    for (const keld::HeaderWord& w : keld::HeaderWords()) (void)keld::ReadSuWord(file, *ns, t, w);
  (void)keld::WriteSuWord(file, *ns, 1, *keld::FindHeaderWord(86), 1);
  return 0;
}
