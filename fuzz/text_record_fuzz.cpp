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
  // A record short of channel blocks is written with zero traces it never
  // held: only shots no larger than the input are written, as every whole
  // record is (a sample to a line), so a few KiB never make gigabytes.
  if (static_cast<uint64_t>(shot.ChannelCount()) * static_cast<uint64_t>(shot.SampleCount()) > size) return 0;
  bool ok = false;
  std::string why;
  shot.SaveAs(path + ".out", ok, &why);
  std::remove((path + ".out").c_str());
  return 0;
}
