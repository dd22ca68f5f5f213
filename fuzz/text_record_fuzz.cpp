// Arbitrary bytes as korvan's acquisition text record, read by dropconv's
// reader and, when it reads, written as a SEG-2 file.
#include <cstdint>
#include <cstdio>

#include "dropconv/seg2_export.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = keld::fuzzing::WriteScratch(data, size, ".txt");
  keld::ClassSEG2Export shot;
  if (!shot.Read(path).ok()) return 0;
  bool ok = false;
  std::string why;
  shot.SaveAs(path + ".out", ok, &why);
  std::remove((path + ".out").c_str());
  return 0;
}
