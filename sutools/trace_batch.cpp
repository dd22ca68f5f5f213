#include "sutools/trace_batch.hpp"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/bytes.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/trace_blocks.hpp"
#include "sutools/try_thread.hpp"

namespace keld::sutools {

namespace {

// A block on its way through: read, processed by one worker, written.
struct Slot {
  TraceBlock block;
  bool done = false;
  size_t failed = SIZE_MAX;  // the first trace whose processing failed
  std::string why;
};

// Processes the traces of a block; records the first failure.
void Work(Slot& s, TraceProcess& process, std::vector<float>& samples) {
  TraceBlock& b = s.block;
  for (size_t i = 0; i < b.traces(); ++i) {
    uint8_t* h = b.bytes() + b.start[i];
    TraceRef t;
    t.header = h;
    t.ns = get_i16le(h + 114);
    t.dt_us = get_i16le(h + 116);
    const size_t n = static_cast<size_t>(t.ns);
    if constexpr (std::endian::native == std::endian::little) {
      t.samples = b.samples(i);  // in place
    } else {
      samples.resize(n);
      for (size_t k = 0; k < n; ++k) samples[k] = get_f32le(h + 240 + 4 * k);
      t.samples = samples.data();
    }
    if (!process(t, s.why)) {
      s.failed = i;
      return;
    }
    if constexpr (std::endian::native != std::endian::little)
      for (size_t k = 0; k < n; ++k) put_f32le(h + 240 + 4 * k, samples[k]);
  }
}

// Worker threads that take blocks in the order they were queued, each with
// its own processing; stopped and joined when it goes out of scope.
class Workers {
 public:
  Workers(std::vector<TraceProcess>& processes, std::vector<Slot>& slots) : processes_(processes), slots_(slots) {}
  ~Workers() {
    {
      std::lock_guard<std::mutex> l(m_);
      stop_ = true;
    }
    work_cv_.notify_all();
    for (auto& t : threads_) t.join();
  }
  // Starts one thread a processing; false when none could be started.
  bool start() {
    for (size_t j = 0; j < processes_.size(); ++j) {
      std::thread t = TryThread([this, j] { run(j); });
      if (!t.joinable()) break;
      threads_.push_back(std::move(t));
    }
    return !threads_.empty();
  }
  void queue(size_t slot) {
    {
      std::lock_guard<std::mutex> l(m_);
      queued_.push_back(slot);
    }
    work_cv_.notify_one();
  }
  void wait(size_t slot) {
    std::unique_lock<std::mutex> l(m_);
    done_cv_.wait(l, [&] { return slots_[slot].done; });
  }
  bool done(size_t slot) {
    std::lock_guard<std::mutex> l(m_);
    return slots_[slot].done;
  }

 private:
  void run(size_t j) {
    std::vector<float> samples;
    for (;;) {
      size_t slot;
      {
        std::unique_lock<std::mutex> l(m_);
        work_cv_.wait(l, [&] { return stop_ || !queued_.empty(); });
        if (stop_) return;
        slot = queued_.front();
        queued_.pop_front();
      }
      Work(slots_[slot], processes_[j], samples);
      {
        std::lock_guard<std::mutex> l(m_);
        slots_[slot].done = true;
      }
      done_cv_.notify_all();
    }
  }
  std::vector<TraceProcess>& processes_;
  std::vector<Slot>& slots_;
  std::vector<std::thread> threads_;
  std::mutex m_;
  std::condition_variable work_cv_, done_cv_;
  std::deque<size_t> queued_;
  bool stop_ = false;
};

}  // namespace

int RunTraceStreamBatched(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                          const std::function<TraceProcess()>& make_process) {
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
  // Blocks travel round a ring: the calling thread reads them and writes them
  // in stream order, the workers process them in between. Every buffer is
  // used again once written, so the memory met stays small.
  std::vector<TraceProcess> processes;
  for (unsigned j = 0; j < threads; ++j) processes.push_back(make_process());
  std::vector<Slot> slots(2 * static_cast<size_t>(threads) + 2);
  TraceProcess& here = processes.front();  // the calling thread's, while no worker runs
  std::vector<float> samples;
  Workers workers(processes, slots);
  bool started = false;  // a stream of one block is processed here, without threads
  TraceBlockReader reader(in);
  SuOutput output(out);
  const size_t ring = slots.size();
  size_t read = 0, written = 0;  // blocks read and written so far
  bool end = false;
  // Whether the block at the head of the ring is processed (waiting for it
  // when `wait`). Without workers it is processed here, once the next block
  // has shown that the stream is longer than one.
  auto head_ready = [&](bool wait) {
    if (written == read) return false;
    if (started) {
      if (wait) workers.wait(written % ring);
      return wait || workers.done(written % ring);
    }
    if (!end && read == written + 1) return false;
    Work(slots[written % ring], here, samples);
    return true;
  };
  // Writes the head block; false when the stream stops there.
  auto write_head = [&] {
    const Slot& s = slots[written % ring];
    const size_t bytes = s.block.bytesBefore(s.failed);
    if (bytes > 0 && !output.write(s.block.bytes(), bytes)) {
      std::fprintf(err, "%s: %s\n", prog, output.error().c_str());
      return false;
    }
    if (s.failed != SIZE_MAX) {
      std::fprintf(err, "%s: trace %lld: %s\n", prog, static_cast<long long>(s.block.first + s.failed),
                   s.why.c_str());
      return false;
    }
    ++written;
    return true;
  };
  for (;;) {
    if (!end && read - written < ring) {
      Slot& s = slots[read % ring];
      reader.fill(s.block);
      s.done = false;
      s.failed = SIZE_MAX;
      s.why.clear();
      if (s.block.traces() == 0) {
        end = true;
      } else {
        if (read == 1 && threads > 1) {
          started = workers.start();
          if (started) workers.queue(0);
        }
        if (started) workers.queue(read % ring);
        ++read;
      }
      while (head_ready(false))
        if (!write_head()) return 1;
      continue;
    }
    if (!head_ready(true)) break;
    if (!write_head()) return 1;
  }
  return EndOfStream(prog, reader.error(), reader.count(), output, err);
}

void WidenPipes(std::FILE* in, std::FILE* out) {
  for (std::FILE* f : {in, out}) {
    const int fd = fileno(f);
    struct stat s;
    if (fd >= 0 && fstat(fd, &s) == 0 && S_ISFIFO(s.st_mode)) (void)fcntl(fd, F_SETPIPE_SZ, 1 << 20);
  }
}

}  // namespace keld::sutools
