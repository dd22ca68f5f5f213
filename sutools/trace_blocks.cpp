#include "sutools/trace_blocks.hpp"

#include <algorithm>
#include <cstring>

#include "common/su_check.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/try_thread.hpp"

namespace keld::sutools {

void TraceBlockReader::fill(TraceBlock& b) {
  b.used = 0;
  b.start.clear();
  b.first = count_ + 1;
  if (!error_.empty()) return;
  size_t have = carry_.size();
  // The first block is small, so that a short stream costs a small buffer;
  // a trace longer than it moves whole to the next block.
  const size_t block = count_ == before_ && have == 0 ? kFirstTraceBlockBytes : kTraceBlockBytes;
  const size_t want = end_ ? 0 : std::max(block, have + 1) - have;
  if (b.room < have + want) {
    b.room = (have + want + 3) / 4 * 4;
    b.store.reset(new float[b.room / 4]);
  }
  if (have > 0) std::memcpy(b.bytes(), carry_.data(), have);
  carry_.clear();
  if (!end_) {
    const size_t got = std::fread(b.bytes() + have, 1, want, in_);
    have += got;
    end_ = got < want;
    if (end_ && std::ferror(in_)) read_error_ = true;
  }
  size_t pos = 0;
  int ns = 0, dt = 0;
  while (pos < have) {
    const uint8_t* h = b.bytes() + pos;
    const size_t left = have - pos;
    if (left < 240) {
      if (!end_) break;
      error_ = SuTruncatedHeader(count_ + 1, left);
      break;
    }
    error_ = SuStreamTraceFault(h, count_ + 1, first_ns_, need_dt_, ns, dt);
    if (!error_.empty()) break;
    const size_t bytes = 240 + 4 * static_cast<size_t>(ns);
    if (left < bytes) {
      if (!end_) break;
      error_ = SuTruncatedSamples(count_ + 1, left - 240, bytes - 240);
      break;
    }
    first_ns_ = ns;
    b.start.push_back(pos);
    pos += bytes;
    ++count_;
  }
  // A stream that fails at its start may be big-endian, which its first two
  // traces read so tell: the block reads on as far as they reach.
  if (!error_.empty() && b.first == 1 && count_ < 2) {
    std::string big;
    if (end_) {
      big = SuBigEndianStream(b.bytes(), have, true);
    } else {
      std::vector<uint8_t> head(b.bytes(), b.bytes() + have);
      big = BigEndianStreamText(in_, head);
    }
    if (!big.empty()) error_ = big;
  }
  b.used = pos;
  if (error_.empty()) carry_.assign(b.bytes() + pos, b.bytes() + have);
  if (end_ && read_error_ && carry_.empty() && error_.empty())
    error_ = "read error on standard input at trace " + std::to_string(count_ + 1);
  // A block without a whole trace would end the stream: a first block that
  // holds only the start of a longer trace reads on into a full-sized one.
  if (b.start.empty() && !end_ && error_.empty()) fill(b);
}

TraceBlocksAhead::~TraceBlocksAhead() {
  {
    std::lock_guard<std::mutex> l(m_);
    stop_ = true;
  }
  cv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TraceBlocksAhead::run() {
  for (;;) {
    size_t slot;
    {
      std::unique_lock<std::mutex> l(m_);
      // The block handed out last stays the caller's until the next call.
      cv_.wait(l, [&] { return stop_ || filled_ - released_ < kRing; });
      if (stop_) return;
      slot = filled_ % kRing;
    }
    reader_.fill(ring_[slot]);
    {
      std::lock_guard<std::mutex> l(m_);
      if (ring_[slot].traces() == 0)
        end_ = true;
      else
        ++filled_;
    }
    cv_.notify_all();
    if (ring_[slot].traces() == 0) return;
  }
}

const TraceBlock* TraceBlocksAhead::next() {
  if (!started_) {
    // The first block is read here, and the thread starts only for a stream
    // that goes on past it: a short stream costs no thread and no waits.
    started_ = true;
    reader_.fill(ring_[0]);
    end_ = ring_[0].traces() == 0;
    if (end_) return nullptr;
    filled_ = taken_ = 1;  // slot 0 is the caller's until the next call
    if (!reader_.done()) thread_ = TryThread([this] { run(); });
    return &ring_[0];
  }
  if (!thread_.joinable()) {
    // No thread (none was needed, or none could be had): the block is read
    // here, into the one slot.
    if (end_) return nullptr;
    reader_.fill(ring_[0]);
    end_ = ring_[0].traces() == 0;
    return end_ ? nullptr : &ring_[0];
  }
  std::unique_lock<std::mutex> l(m_);
  released_ = taken_;
  cv_.notify_all();
  cv_.wait(l, [&] { return end_ || filled_ > taken_; });
  if (filled_ == taken_) return nullptr;
  return &ring_[taken_++ % kRing];
}

}  // namespace keld::sutools
