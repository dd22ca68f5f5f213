#include "sutools/stack_file.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "common/bytes.hpp"
#include "common/su_check.hpp"
#include "sutools/stack_group.hpp"
#include "sutools/try_thread.hpp"

namespace keld::sutools {

namespace {

// pread until `n` bytes are in or the file ends; false when they are not.
bool ReadAt(int fd, uint8_t* dst, size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = pread(fd, dst, n, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    dst += got;
    n -= static_cast<size_t>(got);
    at += got;
  }
  return true;
}

// Small reads: on several threads they pass the page cache fastest.
constexpr size_t kReadBytes = 128u << 10;
// The input of one part. A part's output is at most as long as its input
// (one trace a group begun in it), so this, times the parts in flight,
// bounds the memory.
constexpr size_t kPartBytes = 1u << 20;

}  // namespace

StackFileRun StackRegularFile(std::FILE* in, const HeaderField& field, double normpow, SuOutput& out,
                              unsigned most) {
  using Outcome = StackFileRun::Outcome;
  StackFileRun run;
  const int fd = fileno(in);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return run;
  const off_t start = lseek(fd, 0, SEEK_CUR);
  if (start < 0 || st.st_size - start < 240) return run;
  uint8_t first[240];
  if (!ReadAt(fd, first, 240, start)) return run;
  const int ns = SuHeaderNs(first);
  if (ns <= 0 || get_i16le(first + 116) <= 0) return run;
  run.first_ns = ns;
  const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
  const size_t size = static_cast<size_t>(st.st_size - start), n = size / bytes;
  if (most == 0) most = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
  const size_t threads = std::min<size_t>(most, n / 1000);
  if (size % bytes != 0 || threads < 2) return run;
  const size_t chunk = std::max<size_t>(1, kReadBytes / bytes);
  const size_t part_traces = std::max(chunk, kPartBytes / bytes);
  const size_t parts = (n + part_traces - 1) / part_traces;
  // Parts are taken in turn, at most `window` ahead of the first one not yet
  // written, so a thread slowed by others' work holds up little.
  const size_t window = 2 * threads;
  // Everything a thread needs is made here, before it starts: a thread that
  // allocates first sets up a memory arena of its own.
  struct Workspace {
    std::unique_ptr<uint8_t[]> buf;  // filled by every read
    StackGroup group;
    explicit Workspace(double normpow) : group(normpow) {}
  };
  std::vector<Workspace> spaces;
  for (size_t j = 0; j < threads; ++j) {
    spaces.emplace_back(normpow);
    spaces[j].buf.reset(new uint8_t[chunk * bytes]);
    spaces[j].group.reserve(ns, 256);
  }
  struct Slot {
    std::vector<uint8_t> out;  // the stacked traces of one part
    bool done = false, regular = false;
    size_t end = 0;  // the trace where the part's last group ended (0: none began)
  };
  std::vector<Slot> slots(window);
  for (auto& s : slots) s.out.reserve(part_traces * bytes);
  std::atomic<int64_t> read{0};  // whole traces read, all parts together

  // Stacks the groups that begin in part p into `o`, its last one read on
  // past the part's end for as long as it lasts; `end` is where that group
  // ends. A part in which no group begins reads no further than its own end
  // (its traces belong to a group of a part before, which sums them) and
  // gives `end` 0. False when the file turns out irregular.
  auto part = [&](Workspace& w, size_t p, std::vector<uint8_t>& o, size_t& end) {
    const size_t a = p * part_traces, b = std::min(n, a + part_traces);
    uint8_t* const buf = w.buf.get();
    w.group.clear();
    // The key before the part: its first traces may close a group begun
    // before it, which belongs to the part before.
    double previous = 0;
    if (a > 0) {
      if (!ReadAt(fd, buf, 240, start + static_cast<off_t>((a - 1) * bytes))) return false;
      previous = GetFieldLe(buf, field);
    }
    bool begun = false;
    for (size_t t = a; t < (begun ? n : b);) {
      const size_t count = std::min(chunk, (begun ? n : b) - t);
      if (!ReadAt(fd, buf, count * bytes, start + static_cast<off_t>(t * bytes))) return false;
      read.fetch_add(static_cast<int64_t>(count), std::memory_order_relaxed);
      for (size_t i = 0; i < count; ++i, ++t) {
        const uint8_t* raw = buf + i * bytes;
        if (!SuSameLength(raw, ns) || get_i16le(raw + 116) <= 0) return false;
        const double k = GetFieldLe(raw, field);
        const bool starts = t == 0 || k != previous;
        previous = k;
        if (starts) {
          w.group.append(o, 0);
          if (t >= b) {  // the next part's group
            end = t;
            return true;
          }
          w.group.start(raw, ns);
          begun = true;
        }
        if (begun) w.group.add(raw);
      }
    }
    w.group.append(o, 0);
    end = begun ? n : 0;
    return true;
  };

  std::mutex m;
  std::condition_variable cv;
  size_t next = 0, written = 0;  // parts taken, parts written
  bool writing = false, stop = false, write_failed = false;
  int64_t traces_out = 0;
  // Each thread takes parts; the one that finishes the first part not yet
  // written writes it, and every part after it that is done, in order.
  auto work = [&](size_t j) {
    std::unique_lock<std::mutex> l(m);
    for (;;) {
      cv.wait(l, [&] { return stop || next >= parts || next < written + window; });
      if (stop || next >= parts) return;
      const size_t p = next++;
      Slot& s = slots[p % window];
      l.unlock();
      s.out.clear();
      size_t end = 0;
      const bool regular = part(spaces[j], p, s.out, end);
      l.lock();
      s.done = true;
      s.regular = regular;
      s.end = end;
      if (writing) continue;
      writing = true;
      while (!stop && written < parts && slots[written % window].done) {
        Slot& h = slots[written % window];
        if (!h.regular) {
          stop = true;
          break;
        }
        int64_t number = traces_out;
        l.unlock();
        // Stacked traces are numbered 1, 2, 3, ... in output order.
        for (size_t at = 0; at < h.out.size(); at += bytes) put_i32le(h.out.data() + at, static_cast<int32_t>(++number));
        const bool wrote = h.out.empty() || out.write(h.out.data(), h.out.size());
        l.lock();
        if (!wrote) {
          stop = write_failed = true;
          break;
        }
        traces_out = number;
        // A part without a group of its own leaves the stream's place where
        // the part that sums the group over it put it.
        run.resume = std::max(run.resume, static_cast<int64_t>(h.end));
        h.done = false;
        ++written;
        cv.notify_all();
      }
      writing = false;
      cv.notify_all();
    }
  };
  std::vector<std::thread> pool(threads);
  for (size_t j = 1; j < threads; ++j) pool[j] = TryThread([&work, j] { work(j); });
  work(0);
  for (size_t j = 1; j < threads; ++j) JoinOrRun(pool[j], [&work, j] { work(j); });

  run.written = traces_out;
  run.traces_read = read.load();
  run.resume_at = start + static_cast<off_t>(static_cast<size_t>(run.resume) * bytes);
  run.outcome = write_failed ? Outcome::kWriteFailed : written == parts ? Outcome::kDone : Outcome::kStream;
  return run;
}

}  // namespace keld::sutools
