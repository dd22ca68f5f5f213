#include "sutools/su_output.hpp"

#include <cerrno>
#include <cstring>

#include <sys/types.h>
#include <unistd.h>

#include "common/su_check.hpp"

namespace keld::sutools {

namespace {

// Short traces gather up to this before they go; a block of at least half of
// it goes straight from the caller's memory.
constexpr size_t kHeldBytes = 256u << 10;

int Reason() { return errno != 0 ? errno : EIO; }

}  // namespace

SuOutput::SuOutput(std::FILE* out) : out_(out) {
  if (std::fflush(out) != 0) errno_ = Reason();
  fd_ = fileno(out);
  if (fd_ >= 0) held_.resize(kHeldBytes);
}

SuOutput::~SuOutput() { (void)flush(); }

bool SuOutput::write(const void* bytes, size_t n) {
  if (failed()) return false;
  const auto* p = static_cast<const uint8_t*>(bytes);
  if (trace_bytes_ == 0 && n >= 240) {
    const int ns = SuHeaderNs(p);
    trace_bytes_ = ns > 0 ? 240 + 4 * static_cast<int64_t>(ns) : -1;
  }
  if (fd_ < 0) {
    const size_t done = std::fwrite(p, 1, n, out_);
    reached_ += static_cast<int64_t>(done);  // as far as stdio can tell
    if (done == n) return true;
    errno_ = Reason();
    return false;
  }
  if (n <= held_.size() - used_) {
    std::memcpy(held_.data() + used_, p, n);
    used_ += n;
    return true;
  }
  const bool drained = put(held_.data(), used_);
  used_ = 0;
  if (!drained) return false;
  if (n >= held_.size() / 2) return put(p, n);
  std::memcpy(held_.data(), p, n);
  used_ = n;
  return true;
}

bool SuOutput::put(const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t r = ::write(fd_, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      errno_ = r < 0 ? Reason() : EIO;
      return false;
    }
    p += r;
    n -= static_cast<size_t>(r);
    reached_ += r;
  }
  return true;
}

bool SuOutput::flush() {
  if (failed()) return false;
  if (fd_ < 0) {
    if (std::fflush(out_) == 0) return true;
    errno_ = Reason();
    return false;
  }
  const bool ok = put(held_.data(), used_);
  used_ = 0;
  // stdio's idea of where the stream stands follows the bytes written past
  // it (a file that is read back through the same stream).
  if (const off_t at = ::lseek(fd_, 0, SEEK_CUR); at >= 0) (void)fseeko(out_, at, SEEK_SET);
  return ok;
}

std::string SuOutput::error() const {
  const std::string why = std::string(" to standard output (") + std::strerror(errno_) + ")";
  if (trace_bytes_ <= 0) return "cannot write" + why;
  return "cannot write trace " + std::to_string(reached_ / trace_bytes_ + 1) + why;
}

}  // namespace keld::sutools
