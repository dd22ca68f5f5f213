#include "sutools/spool_file.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "common/files.hpp"

namespace keld::sutools {

namespace {

constexpr size_t kBuffer = 1 << 20;

bool WriteFully(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool ReadFullyAt(int fd, uint64_t offset, void* data, size_t n) {
  auto* p = static_cast<uint8_t*>(data);
  while (n > 0) {
    const ssize_t r = ::pread(fd, p, n, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
    offset += static_cast<uint64_t>(r);
  }
  return true;
}

SpoolFile::~SpoolFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool SpoolFile::open(std::string& why) {
  const char* t = std::getenv("TMPDIR");
  folder_ = t && *t ? t : "/tmp";
  auto fd = OpenUnnamedFile(folder_, "susort");
  if (!fd) {
    why = "cannot make a temporary file in " + folder_ + ": " + fd.error();
    return false;
  }
  fd_ = *fd;
  buf_.resize(kBuffer);
  return true;
}

uint8_t* SpoolFile::reserve(size_t n) {
  if (fill_ + n > buf_.size() && !flush()) return nullptr;
  if (n > buf_.size()) buf_.resize(n);
  return buf_.data() + fill_;
}

bool SpoolFile::append(const void* data, size_t n) {
  uint8_t* p = reserve(n);
  if (!p) return false;
  std::memcpy(p, data, n);
  advance(n);
  return true;
}

bool SpoolFile::flush() {
  if (!error_.empty()) return false;
  if (fill_ > 0 && !WriteFully(fd_, buf_.data(), fill_)) {
    error_ = "cannot write the temporary file in " + folder_ + ": " + std::strerror(errno);
    return false;
  }
  written_ += fill_;
  fill_ = 0;
  return true;
}

bool SpoolFile::readAt(uint64_t offset, void* data, size_t n) const { return ReadFullyAt(fd_, offset, data, n); }

}  // namespace keld::sutools
