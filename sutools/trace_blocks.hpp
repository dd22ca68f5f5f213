#pragma once
// An SU stream read in blocks of whole traces into buffers that are used
// again and again: a small working set that stays in the caches, instead of
// a large buffer or a mapping whose every page is met for the first time.
#include <cstddef>
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace keld::sutools {

// Whole traces in stream layout, one after another.
struct TraceBlock {
  // `used` bytes of `room` hold traces. The store is made of floats, so the
  // samples of a trace (which start 240 + 4 ns bytes apart) are floats that
  // can be used in place where the machine is little-endian.
  std::unique_ptr<float[]> store;
  size_t room = 0, used = 0;
  uint8_t* bytes() const { return reinterpret_cast<uint8_t*>(store.get()); }
  float* samples(size_t trace) const { return reinterpret_cast<float*>(bytes() + start[trace] + 240); }
  std::vector<size_t> start;  // where each trace begins in `bytes`
  int64_t first = 0;          // stream number of the first trace, from 1
  size_t traces() const { return start.size(); }
  // Bytes of the traces before trace `upto` of the block (all when beyond).
  size_t bytesBefore(size_t upto) const { return upto < start.size() ? start[upto] : used; }
};

// About this many bytes a block: a few hundred traces of a common length,
// and a trace of the longest kind (32767 samples) still fits whole.
inline constexpr size_t kTraceBlockBytes = 512u << 10;
inline constexpr size_t kFirstTraceBlockBytes = 64u << 10;

class TraceBlockReader {
 public:
  // `before`: traces of the stream already taken before `in`'s position, so
  // that the traces read count on from them; `first_ns` then the ns of the
  // stream's first trace, which every trace must hold (0: the first trace
  // read gives it). `need_dt` false lets traces with dt <= 0 through.
  explicit TraceBlockReader(std::FILE* in, int64_t before = 0, int first_ns = 0, bool need_dt = true)
      : in_(in), count_(before), before_(before), first_ns_(first_ns), need_dt_(need_dt) {}
  // The next whole traces of the stream into `b` (none at its end or after a
  // fault). A trace cut by the end of a read moves to the next block. The
  // whole traces before a fault come through; error() then says what it was,
  // in the words of SuStreamReader (common/su_check).
  void fill(TraceBlock& b);
  const std::string& error() const { return error_; }
  int64_t count() const { return count_; }  // whole traces read so far (with `before`)
  // No trace comes after the last block filled (the next fill may only give
  // the error of the stream's end).
  bool done() const { return end_ || !error_.empty(); }

 private:
  std::FILE* in_;
  std::vector<uint8_t> carry_;
  bool end_ = false, read_error_ = false;
  std::string error_;
  int64_t count_ = 0;
  int64_t before_ = 0;
  int first_ns_ = 0;
  bool need_dt_ = true;
};

// The blocks of a stream read ahead on a thread of its own, so reading the
// next block goes on while the caller works on this one (read in turn when
// no thread can be had).
class TraceBlocksAhead {
 public:
  explicit TraceBlocksAhead(std::FILE* in, int64_t before = 0, int first_ns = 0) : reader_(in, before, first_ns) {}
  ~TraceBlocksAhead();
  // The next block, nullptr after the last; the block returned before is
  // given back to the reader.
  const TraceBlock* next();
  // Valid once next() has returned nullptr.
  const std::string& error() const { return reader_.error(); }
  int64_t count() const { return reader_.count(); }

 private:
  void run();
  static constexpr size_t kRing = 3;
  TraceBlockReader reader_;
  TraceBlock ring_[kRing];
  // Blocks read by the thread, handed to the caller, and given back by it.
  size_t filled_ = 0, taken_ = 0, released_ = 0;
  bool end_ = false, stop_ = false, started_ = false;
  std::mutex m_;
  std::condition_variable cv_;
  std::thread thread_;
};

}  // namespace keld::sutools
