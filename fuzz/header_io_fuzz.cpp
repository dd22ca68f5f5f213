// Reads every header word of every trace of arbitrary bytes taken as an SU
// file, in place, and writes one back: nothing may be read or written outside
// the file, whatever its ns says.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/header_io.hpp"
#include "fuzz/scratch_file.hpp"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = keld::fuzzing::ScratchPath("");
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  keld::InPlaceFile file;
  if (!file.open(path, true).ok()) return 0;
  auto ns = keld::ReadSuNs(file);
  if (!ns) return 0;
  for (int64_t t = 0; t <= 4; ++t)
    for (const keld::HeaderWord& w : keld::HeaderWords()) (void)keld::ReadSuWord(file, *ns, t, w);
  (void)keld::WriteSuWord(file, *ns, 1, *keld::FindHeaderWord(86), 1);
  return 0;
}
