#include "conversion/importers/records/record_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace keld::conversion {

bool SpanSource::read(int64_t offset, std::size_t n, uint8_t* out) {
  if (offset < 0 || offset > size() || n > static_cast<uint64_t>(size() - offset)) return false;
  if (n) std::memcpy(out, bytes_.data() + offset, n);
  return true;
}

FileSource::FileSource(const std::string& path, std::function<bool()> between) : between_(std::move(between)) {
  if (!go_on()) return;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && !S_ISDIR(st.st_mode)) {
    size_ = static_cast<int64_t>(st.st_size);
    return;
  }
  const int err = fd_ >= 0 ? EISDIR : errno;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  error_ = path + ": " + std::strerror(err);
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileSource::go_on() {
  if (!stopped_ && between_ && !between_()) stopped_ = true;
  return !stopped_;
}

bool FileSource::read(int64_t offset, std::size_t n, uint8_t* out) {
  if (fd_ < 0 || offset < 0 || offset > size_ || n > static_cast<uint64_t>(size_ - offset)) return false;
  if (!go_on()) return false;
  for (std::size_t done = 0; done < n;) {
    const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool ByteStream::fill() {
  if (failed_) return false;
  const int64_t left = source_.size() - position_;
  if (left <= 0) return false;
  const std::size_t n = static_cast<std::size_t>(std::min<int64_t>(left, static_cast<int64_t>(buffer_.size())));
  if (!source_.read(position_, n, buffer_.data())) {
    failed_ = true;
    return false;
  }
  position_ += static_cast<int64_t>(n);
  at_ = 0;
  filled_ = n;
  return true;
}

}  // namespace keld::conversion
