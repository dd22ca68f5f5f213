#include "sutools/trace_batch.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/bytes.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/try_thread.hpp"

namespace keld::sutools {

namespace {

// About this many bytes a batch: large enough that starting the threads costs
// little next to the work even on a busy machine, small enough that the next
// program of a pipe starts early.
constexpr size_t kBatchBytes = 16u << 20;
constexpr size_t kShare = 32;

struct Batch {
  // Whole traces in stream layout, one after another: `used` bytes of
  // `room` (left uninitialised: every byte written out was read in first).
  std::unique_ptr<uint8_t[]> bytes;
  size_t room = 0, used = 0;
  void reserve(size_t n) {
    if (n <= room) return;
    bytes.reset(new uint8_t[n]);
    room = n;
  }
  std::vector<size_t> start;   // where each trace begins in `bytes`
  int64_t first = 0;           // stream number of the first trace, from 1
  // The first trace whose processing failed (index into start) and why.
  size_t failed = SIZE_MAX;
  std::string why;
  void clear() {
    used = 0;
    start.clear();
    failed = SIZE_MAX;
    why.clear();
  }
};

// The stream read in large blocks straight into the batches: a trace cut by
// the end of a block moves to the front of the next batch.
class BlockReader {
 public:
  explicit BlockReader(std::FILE* in) : in_(in) {}
  void fill(Batch& b) {
    b.clear();
    b.first = count_ + 1;
    if (!error_.empty()) return;
    size_t have = carry_.size();
    // The first batches are small so the workers (and the next program of a
    // pipe) start early; then they double up to full size.
    const size_t want = end_ ? 0 : std::max(target_, have + 1) - have;
    target_ = std::min(2 * target_, kBatchBytes);
    b.reserve(have + want);
    if (have > 0) std::memcpy(b.bytes.get(), carry_.data(), have);
    carry_.clear();
    if (!end_) {
      const size_t got = std::fread(b.bytes.get() + have, 1, want, in_);
      have += got;
      end_ = got < want;
      if (end_ && std::ferror(in_)) read_error_ = true;
    }
    size_t pos = 0;
    int ns = 0, dt = 0;
    while (pos < have) {
      const uint8_t* h = b.bytes.get() + pos;
      const size_t left = have - pos;
      if (left < 240) {
        if (!end_) break;
        error_ = TruncatedHeader(count_ + 1, left);
        break;
      }
      error_ = CheckTraceHeader(h, count_ + 1, true, ns, dt);
      if (!error_.empty()) break;
      const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
      if (left < bytes) {
        if (!end_) break;
        error_ = TruncatedSamples(count_ + 1, left - 240, bytes - 240);
        break;
      }
      b.start.push_back(pos);
      pos += bytes;
      ++count_;
    }
    // The whole traces before a fault still go through.
    b.used = pos;
    if (error_.empty()) carry_.assign(b.bytes.get() + pos, b.bytes.get() + have);
    if (end_ && read_error_ && carry_.empty() && error_.empty())
      error_ = "read error on standard input at trace " + std::to_string(count_ + 1);
  }
  const std::string& error() const { return error_; }
  int64_t count() const { return count_; }

 private:
  std::FILE* in_;
  std::vector<uint8_t> carry_;
  size_t target_ = kBatchBytes / 64;
  bool end_ = false, read_error_ = false;
  std::string error_;
  int64_t count_ = 0;
};

// Processes traces [lo, hi) of the batch; records the first failure.
void Work(Batch& b, size_t lo, size_t hi, TraceProcess& process, std::vector<float>& samples, size_t& failed,
          std::string& why) {
  for (size_t i = lo; i < hi; ++i) {
    uint8_t* h = b.bytes.get() + b.start[i];
    TraceRef t;
    t.header = h;
    t.ns = get_i16le(h + 114);
    t.dt_us = get_i16le(h + 116);
    const size_t n = static_cast<size_t>(t.ns);
    samples.resize(n);
    uint8_t* raw = h + 240;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(samples.data(), raw, 4 * n);
    } else {
      for (size_t k = 0; k < n; ++k) samples[k] = get_f32le(raw + 4 * k);
    }
    t.samples = samples.data();
    if (!process(t, why)) {
      failed = i;
      return;
    }
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(raw, samples.data(), 4 * n);
    } else {
      for (size_t k = 0; k < n; ++k) put_f32le(raw + 4 * k, samples[k]);
    }
  }
}

// Processes the whole batch on the workers, each a contiguous share.
void Process(Batch& b, std::vector<TraceProcess>& workers, std::vector<std::vector<float>>& space) {
  // A share of at least kShare traces: a short stream is not worth a thread.
  const size_t n = b.start.size(), w = std::min(workers.size(), n / kShare + 1);
  std::vector<size_t> failed(w, SIZE_MAX);
  std::vector<std::string> why(w);
  auto work = [&](size_t j) { Work(b, n * j / w, n * (j + 1) / w, workers[j], space[j], failed[j], why[j]); };
  std::vector<std::thread> threads(w);
  for (size_t j = 1; j < w; ++j) threads[j] = TryThread([work, j] { work(j); });
  work(0);
  for (size_t j = 1; j < w; ++j) JoinOrRun(threads[j], [work, j] { work(j); });
  for (size_t j = 0; j < w; ++j)
    if (failed[j] != SIZE_MAX) {
      b.failed = failed[j];
      b.why = why[j];
      return;
    }
}

// Writes the traces of the batch before `upto`; false when the write fails.
bool Write(std::FILE* out, const Batch& b, size_t upto) {
  const size_t end = upto < b.start.size() ? b.start[upto] : b.used;
  return std::fwrite(b.bytes.get(), 1, end, out) == end;
}

}  // namespace

int RunTraceStreamBatched(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                          const std::function<TraceProcess()>& make_process) {
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
  std::vector<TraceProcess> workers;
  for (unsigned j = 0; j < threads; ++j) workers.push_back(make_process());
  std::vector<std::vector<float>> space(threads);
  BlockReader reader(in);
  // Three batches in turn: one read, one processed, one written at a time.
  std::array<Batch, 3> batch;
  Batch* reading = &batch[0];
  Batch* working = &batch[1];
  Batch* writing = &batch[2];
  working->clear();
  writing->clear();
  bool wrote = true;
  int64_t write_first = 0;
  for (;;) {
    {
      // Reading and writing beside the work, or before and after it when
      // there is too little work to overlap.
      const bool overlap = working->start.size() >= kShare;
      auto read = [&] { reader.fill(*reading); };
      auto write = [&] {
        write_first = writing->first;
        if (!writing->start.empty()) wrote = Write(out, *writing, writing->failed);
      };
      std::thread r, w;
      if (overlap) {
        r = TryThread(read);
        w = TryThread(write);
      } else {
        write();
      }
      Process(*working, workers, space);
      if (overlap) {
        JoinOrRun(r, read);
        JoinOrRun(w, write);
      } else {
        read();
      }
    }
    if (!wrote) {
      std::fprintf(err, "%s: cannot write trace %lld to standard output\n", prog, static_cast<long long>(write_first));
      return 1;
    }
    if (writing->failed != SIZE_MAX) {
      std::fprintf(err, "%s: trace %lld: %s\n", prog, static_cast<long long>(writing->first + writing->failed),
                   writing->why.c_str());
      return 1;
    }
    if (working->start.empty() && reading->start.empty()) break;
    // The processed batch goes to the writer, the one just read to the workers.
    writing->clear();
    std::swap(writing, working);
    std::swap(working, reading);
  }
  return EndOfStream(prog, reader.error(), reader.count(), out, err);
}

void WidenPipes(std::FILE* in, std::FILE* out) {
  for (std::FILE* f : {in, out}) {
    const int fd = fileno(f);
    struct stat s;
    if (fd >= 0 && fstat(fd, &s) == 0 && S_ISFIFO(s.st_mode)) (void)fcntl(fd, F_SETPIPE_SZ, 1 << 20);
  }
}

}  // namespace keld::sutools
