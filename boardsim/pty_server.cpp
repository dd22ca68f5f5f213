#include "boardsim/pty_server.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace keld::sim {

namespace {

constexpr auto kPartialLimit = std::chrono::milliseconds(500);

bool MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  cfsetspeed(&t, B3000000);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

PtyServer::PtyServer(ServerOptions options) : options_(std::move(options)), units_(options_.sim) {}

PtyServer::~PtyServer() {
  if (linked_) ::unlink(options_.link.c_str());
  if (slave_fd_ >= 0) ::close(slave_fd_);
  if (master_ >= 0) ::close(master_);
}

bool PtyServer::start(std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
  };
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("grantpt/unlockpt");
  const char* name = ptsname(master_);
  if (!name) return fail("ptsname");
  slave_ = name;
  slave_fd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave_fd_ < 0) return fail("open " + slave_);
  if (!MakeRaw(slave_fd_) || !MakeRaw(master_)) return fail("raw mode on " + slave_);
  if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) return fail("O_NONBLOCK");
  if (!options_.link.empty()) {
    struct stat st{};
    if (::lstat(options_.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        errno = EEXIST;
        return fail(options_.link + " exists and is not a symlink");
      }
      ::unlink(options_.link.c_str());
    }
    if (::symlink(slave_.c_str(), options_.link.c_str()) != 0) return fail("symlink " + options_.link);
    linked_ = true;
  }
  return true;
}

void PtyServer::schedule(std::vector<Chunk> chunks) {
  const auto now = MonoClock::now();
  for (auto& c : chunks) {
    auto due = now + std::chrono::duration_cast<MonoClock::duration>(
                         std::chrono::duration<double, std::milli>(c.delay_ms));
    if (!out_.empty()) due = std::max(due, out_.back().due);  // one line: in order
    out_.push_back({due, std::move(c.bytes), 0});
  }
}

void PtyServer::log_packets(size_t from) const {
  if (!options_.verbose) return;
  for (size_t i = from; i < units_.received.size(); ++i) {
    std::fprintf(stderr, "boardsim: got");
    for (uint8_t b : units_.received[i]) std::fprintf(stderr, " %02X", b);
    std::fprintf(stderr, "\n");
  }
}

void PtyServer::read_line() {
  uint8_t buf[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) break;  // EAGAIN, or EIO while nobody has the port open
    const size_t before = units_.received.size();
    const bool was_partial = units_.partial_bytes() > 0;
    schedule(units_.feed(buf, static_cast<size_t>(n)));
    log_packets(before);
    if (units_.partial_bytes() > 0 && (!was_partial || units_.received.size() > before))
      partial_since_ = MonoClock::now();
  }
}

void PtyServer::write_due() {
  const auto now = MonoClock::now();
  while (!out_.empty() && out_.front().due <= now) {
    Timed& t = out_.front();
    const ssize_t n = ::write(master_, t.bytes.data() + t.sent, t.bytes.size() - t.sent);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;  // the line is full: wait for room
      out_.pop_front();                               // the line is down: the bytes are lost
      continue;
    }
    t.sent += static_cast<size_t>(n);
    if (t.sent < t.bytes.size()) return;
    out_.pop_front();
    // A write of its own per piece: the next one waits for its due time.
    if (!out_.empty() && out_.front().due > MonoClock::now()) return;
  }
}

void PtyServer::run(int wake_fd) {
  for (;;) {
    const auto now = MonoClock::now();
    bool want_write = false;
    timespec timeout{1, 0};
    if (!out_.empty()) {
      if (out_.front().due <= now) {
        want_write = true;
      } else {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(out_.front().due - now).count();
        timeout = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
      }
    }
    if (units_.partial_bytes() > 0 && timeout.tv_sec > 0) timeout = {0, 100000000};
    pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (want_write ? POLLOUT : 0)), 0},
                     {wake_fd, POLLIN, 0}};
    const int r = ::ppoll(fds, 2, want_write ? nullptr : &timeout, nullptr);
    if (r < 0 && errno != EINTR) return;
    if (fds[1].revents & POLLIN) {
      char c[16];
      const ssize_t n = ::read(wake_fd, c, sizeof c);
      for (ssize_t i = 0; i < n; ++i) {
        if (c[i] == 'Q') return;
        if (c[i] == 'T') schedule(units_.trigger());
      }
    }
    if (fds[0].revents & POLLIN) read_line();
    // A piece of a packet that stays alone is noise on the line: forget it,
    // so the next packet is read from its first byte.
    if (units_.partial_bytes() > 0 && MonoClock::now() - partial_since_ > kPartialLimit) {
      if (options_.verbose)
        std::fprintf(stderr, "boardsim: dropped %zu stray bytes\n", units_.partial_bytes());
      units_.drop_partial();
    }
    write_due();
  }
}

}  // namespace keld::sim
