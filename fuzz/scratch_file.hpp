#pragma once
// One scratch file per harness process, in the temporary folder, removed at
// exit: the readers under test take paths, the fuzzer gives bytes. Most get
// a file in memory instead (no disk write per input).
#include <sys/mman.h>
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

// The bytes as a regular file that lives in memory only (one memfd per
// process, refilled for each input): readers can stat it, map it, and open
// it by path() as often as they like, for writing in place too.
class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("keld_fuzz", 0);
    fd_ = fd;
    if (fd_ < 0 || ftruncate(fd_, 0) != 0) __builtin_trap();
    for (size_t done = 0; done < size;) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) __builtin_trap();
      done += static_cast<size_t>(n);
    }
  }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  // A stream of its own (own offset, at the start), for reading.
  std::FILE* open() const { return std::fopen(path().c_str(), "rb"); }

 private:
  int fd_ = -1;
};

}  // namespace keld::fuzzing
