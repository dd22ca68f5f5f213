#pragma once
// One scratch file per harness process, in the temporary folder, removed at
// exit: the readers under test take paths, the fuzzer gives bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace keld::fuzzing {

inline std::string& ScratchPath(const char* suffix) {
  static std::string path;
  if (path.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "keld_fuzz_XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    std::remove(pattern.c_str());
    path = pattern + suffix;
    std::atexit([] {
      std::remove(path.c_str());
      std::remove((path + ".out").c_str());
    });
  }
  return path;
}

// Writes the bytes to the scratch file and returns its path.
inline const std::string& WriteScratch(const uint8_t* data, size_t size, const char* suffix = "") {
  const std::string& path = ScratchPath(suffix);
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace keld::fuzzing
