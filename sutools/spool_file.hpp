#pragma once
// A scratch file of one run in the temporary folder ($TMPDIR, else /tmp),
// for what does not fit in memory: a pipe's traces, sorted runs of keys. It
// has no name while it is used (OpenUnnamedFile) and goes with the process
// however the process ends (even by SIGKILL), and no one else can read it.
// Written by appends through a buffer, read back at any offset.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace keld::sutools {

class SpoolFile {
 public:
  SpoolFile() = default;
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;
  ~SpoolFile();
  // Makes the file; false with the reason (naming the folder) when it cannot.
  bool open(std::string& why);
  // Room for `n` bytes at the end, written there by the caller and kept by
  // advance(n); null when what was buffered could not be written.
  uint8_t* reserve(size_t n);
  void advance(size_t n) { fill_ += n; }
  bool append(const void* data, size_t n);
  // Writes out what is buffered; reads see everything appended after it.
  bool flush();
  // `n` bytes at `offset`; false when the file holds fewer.
  bool readAt(uint64_t offset, void* data, size_t n) const;
  // Bytes appended so far, buffered ones too.
  uint64_t size() const { return written_ + fill_; }
  int fd() const { return fd_; }
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::vector<uint8_t> buf_;
  size_t fill_ = 0;
  uint64_t written_ = 0;
  std::string folder_, error_;
};

// `n` bytes of the file `fd` at `offset`, whatever pieces the reads come in;
// false on an error or the end of the file before them.
bool ReadFullyAt(int fd, uint64_t offset, void* data, size_t n);

}  // namespace keld::sutools
