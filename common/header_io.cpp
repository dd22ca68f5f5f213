#include "common/header_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "common/su_file.hpp"

namespace keld {

InPlaceFile::~InPlaceFile() { close(); }

InPlaceFile::InPlaceFile(InPlaceFile&& o) noexcept
    : fd_(std::exchange(o.fd_, -1)), size_(o.size_), path_(std::move(o.path_)) {}

InPlaceFile& InPlaceFile::operator=(InPlaceFile&& o) noexcept {
  if (this != &o) {
    close();
    fd_ = std::exchange(o.fd_, -1);
    size_ = o.size_;
    path_ = std::move(o.path_);
  }
  return *this;
}

Status InPlaceFile::open(const std::string& path, bool update) {
  close();
  path_ = path;
  const int fd = ::open(path.c_str(), (update ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    if (update && (e == EACCES || e == EROFS || e == EPERM))
      return Status::failure(path + " is read-only: " + std::strerror(e));
    return Status::failure("Cannot open " + path + ": " + std::strerror(e));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Status::failure(path + " is not a regular file");
  }
  fd_ = fd;
  size_ = st.st_size;
  return Status::good();
}

void InPlaceFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Status InPlaceFile::read_at(int64_t offset, void* buf, std::size_t n) const {
  if (fd_ < 0) return Status::failure("No file open");
  if (offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset)
    return Status::failure("Position " + std::to_string(offset) + " lies outside " + path_);
  auto* p = static_cast<char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd_, p + done, n - done, offset + static_cast<int64_t>(done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return Status::failure("Cannot read " + path_ + ": " + std::strerror(r < 0 ? errno : EIO));
    done += static_cast<std::size_t>(r);
  }
  return Status::good();
}

Status InPlaceFile::write_at(int64_t offset, const void* buf, std::size_t n) {
  if (fd_ < 0) return Status::failure("No file open");
  if (offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset)
    return Status::failure("Position " + std::to_string(offset) + " lies outside " + path_);
  const auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pwrite(fd_, p + done, n - done, offset + static_cast<int64_t>(done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return Status::failure("Cannot write " + path_ + ": " + std::strerror(r < 0 ? errno : EIO));
    done += static_cast<std::size_t>(r);
  }
  return Status::good();
}

int64_t SuWordOffset(int64_t trace, int ns, const HeaderWord& w) {
  return (trace - 1) * (240 + 4 * static_cast<int64_t>(ns)) + w.byte;
}

Result<int> ReadSuNs(const InPlaceFile& f) {
  uint8_t h[240];
  if (Status s = f.read_at(0, h, sizeof h); !s) return Result<int>::failure(s.error);
  auto L = CheckSuLayout(f.path(), h, f.size(),
                         [&f](int64_t offset, void* buf, size_t n) { return f.read_at(offset, buf, n).ok(); });
  if (!L) return Result<int>::failure(L.error());
  return static_cast<int>(L->ns);
}

Status CheckSuTracesUpTo(const InPlaceFile& f, int ns, int64_t last) {
  if (ns <= 0) return Status::failure(f.path() + ": no samples per trace (ns " + std::to_string(ns) + ")");
  last = std::min(last, SuTraceCount(f.size(), ns));
  const int64_t stride = 240 + 4 * static_cast<int64_t>(ns);
  uint8_t h[240] = {};  // only the sample count (bytes 114-115) is read
  for (int64_t t = 1; t <= last; ++t) {
    if (Status s = f.read_at((t - 1) * stride + 114, h + 114, 2); !s) return s;
    if (std::string fault = SuLengthFault(h, t, ns, SuSource::File); !fault.empty())
      return Status::failure(f.path() + ": " + fault);
  }
  return Status::good();
}

namespace {
Status CheckTrace(const InPlaceFile& f, int ns, int64_t trace) {
  // A word is found where the trace lies only when every trace up to it
  // holds the ns that placed it; then the count of traces is true as well.
  if (Status s = CheckSuTracesUpTo(f, ns, trace); !s) return s;
  const int64_t traces = SuTraceCount(f.size(), ns);
  if (trace < 1 || trace > traces)
    return Status::failure("Trace " + std::to_string(trace) + " is not in " + f.path() + " (" +
                           std::to_string(traces) + " traces)");
  return Status::good();
}
}  // namespace

Result<int32_t> ReadSuWord(const InPlaceFile& f, int ns, int64_t trace, const HeaderWord& w) {
  if (Status s = CheckTrace(f, ns, trace); !s) return Result<int32_t>::failure(s.error);
  uint8_t h[240] = {};
  if (Status s = f.read_at(SuWordOffset(trace, ns, w), h + w.byte, static_cast<std::size_t>(w.width)); !s)
    return Result<int32_t>::failure(s.error);
  return GetHeaderWord(h, w);
}

Status WriteSuWord(InPlaceFile& f, int ns, int64_t trace, const HeaderWord& w, int64_t value) {
  if (!FitsHeaderWord(w, value))
    return Status::failure("The value " + std::to_string(value) + " does not fit word " +
                           std::to_string(w.number) + " (" + std::to_string(HeaderWordMin(w.width)) +
                           " to " + std::to_string(HeaderWordMax(w.width)) + ")");
  auto stored = ReadSuNs(f);
  if (!stored) return Status::failure(stored.error());
  if (*stored != ns)
    return Status::failure(f.path() + " has changed: its traces now hold " + std::to_string(*stored) +
                           " samples, not " + std::to_string(ns));
  if (Status s = CheckTrace(f, ns, trace); !s) return s;
  uint8_t h[240] = {};
  PutHeaderWord(h, w, static_cast<int32_t>(value));
  return f.write_at(SuWordOffset(trace, ns, w), h + w.byte, static_cast<std::size_t>(w.width));
}

}  // namespace keld
