// Arbitrary bytes as a profile (INI) file: reads of keys taken from the input
// itself and of fixed ones, with small and large buffers, then a write that
// must keep the file readable.
#include <cstdint>
#include <string>

#include "common/profile.hpp"
#include "fuzz/scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = keld::fuzzing::WriteScratch(data, size, ".ini");
  // A section and key named by the first bytes, so the fuzzer can hit them.
  const size_t cut = size < 16 ? size / 2 : 8;
  const std::string section(reinterpret_cast<const char*>(data), cut);
  const std::string key(reinterpret_cast<const char*>(data) + cut, size < 16 ? size - cut : 8);
  for (size_t buffer : {size_t{0}, size_t{1}, size_t{7}, size_t{256}}) {
    (void)keld::GetPrivateProfileString(section, key, "default ", buffer, path);
    (void)keld::GetPrivateProfileString("Setup", "File1", "", buffer, path);
  }
  if (keld::WritePrivateProfileString("Setup", "File1", "value", path))
    (void)keld::GetPrivateProfileString("setup", "file1", "", 100, path);
  return 0;
}
