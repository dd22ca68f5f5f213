#pragma once
// The whole of standard input in memory, for programs that need it at once
// or read it fastest in place: the file itself mapped when the input is a
// regular file read from its start, else (load only) a temporary copy of the
// pipe, mapped.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace keld::sutools {

class WholeInput {
 public:
  WholeInput() = default;
  WholeInput(const WholeInput&) = delete;
  WholeInput& operator=(const WholeInput&) = delete;
  ~WholeInput();
  // Maps the input, copying a pipe to a temporary file first; false with the
  // reason when that fails.
  bool load(std::FILE* in, std::string& why);
  // Maps the input only where it is a regular file read from its start;
  // false (nothing read) otherwise, for the caller to read it as a stream.
  bool mapFile(std::FILE* in);
  const uint8_t* data() const { return static_cast<const uint8_t*>(map_); }
  size_t size() const { return size_; }

 private:
  // `populate` maps every page at once, for a reader that goes through them
  // in order; without it pages come in as threads touch them.
  bool map(int fd, size_t size, bool populate, std::string& why);
  std::FILE* spool_ = nullptr;
  void* map_ = nullptr;
  size_t size_ = 0;
};

}  // namespace keld::sutools
