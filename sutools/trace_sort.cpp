#include "sutools/trace_sort.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <queue>

#include "common/bytes.hpp"

namespace keld::sutools {

Result<SortKey> ParseSortKey(const std::string& word) {
  SortKey k;
  std::string name = word;
  if (!name.empty() && (name[0] == '+' || name[0] == '-')) {
    k.descending = name[0] == '-';
    name.erase(0, 1);
  }
  auto f = FindHeaderField(name);
  if (!f) return Result<SortKey>::failure("\"" + word + "\" is not a trace header key");
  k.field = *f;
  return k;
}

namespace {

constexpr uint64_t kSign = uint64_t{1} << 63;
// A trace's start shares its record's last word with its sample count
// (below 2^15), in the high bits, so equal keys order by where the traces
// lie: the stream's order.
constexpr int kStartShift = 16;
constexpr uint64_t kLongestStream = uint64_t{1} << (64 - kStartShift);

// A key as a word whose unsigned order is the key's order: integers offset
// by the sign bit; floats by their bits, negatives reversed, -0 as 0 and NaN
// after every number, so any header sorts without an order that contradicts
// itself.
uint64_t KeyWord(const uint8_t* h, const SortKey& k) {
  if (k.field.kind != FieldKind::F32) {
    int64_t v = k.field.kind == FieldKind::I16 ? get_i16le(h + k.field.offset) : get_i32le(h + k.field.offset);
    if (k.descending) v = -v;
    return static_cast<uint64_t>(v) ^ kSign;
  }
  double v = get_f32le(h + k.field.offset);
  if (k.descending) v = -v;
  if (std::isnan(v)) return ~uint64_t{0};
  if (v == 0) v = 0;
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  return bits & kSign ? ~bits : bits | kSign;
}

bool Less(const uint64_t* a, const uint64_t* b, size_t width) {
  for (size_t i = 0; i < width; ++i)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

TraceSpan SpanOf(const uint64_t* record, size_t width) {
  const uint64_t last = record[width - 1];
  return {last >> kStartShift, 240 + 4 * static_cast<size_t>(last & 0xFFFF)};
}

}  // namespace

TraceOrder::TraceOrder(std::vector<SortKey> keys, size_t memory)
    : keys_(std::move(keys)), width_(keys_.size() + 1) {
  const size_t per = 8 * width_ + sizeof(uint32_t);
  capacity_ = std::clamp<size_t>(memory / per, 64, UINT32_MAX);
  // Untouched, the reserved room takes no memory: a short stream uses only
  // what it fills.
  words_.reserve(capacity_ * width_);
}

bool TraceOrder::add(const uint8_t* header, uint64_t start, int ns) {
  if (start >= kLongestStream || ns <= 0 || ns > 0x7FFF) {
    error_ = "trace " + std::to_string(count_ + 1) + ": past the 256 TiB of input a sort can place";
    return false;
  }
  if (words_.size() == capacity_ * width_ && !spill()) return false;
  for (const SortKey& k : keys_) words_.push_back(KeyWord(header, k));
  words_.push_back(start << kStartShift | static_cast<uint64_t>(ns));
  ++count_;
  return true;
}

void TraceOrder::sortChunk() {
  const size_t n = words_.size() / width_;
  order_.resize(n);
  for (size_t i = 0; i < n; ++i) order_[i] = static_cast<uint32_t>(i);
  const uint64_t* w = words_.data();
  const size_t width = width_;
  std::sort(order_.begin(), order_.end(), [w, width](uint32_t a, uint32_t b) { return Less(w + a * width, w + b * width, width); });
}

bool TraceOrder::spill() {
  if (runs_.empty() && !scratch_.open(error_)) return false;
  sortChunk();
  const uint64_t first = scratch_.size() / (8 * width_);
  for (uint32_t i : order_)
    if (!scratch_.append(words_.data() + size_t{i} * width_, 8 * width_)) break;
  if (!scratch_.flush()) {
    error_ = scratch_.error();
    return false;
  }
  runs_.push_back({first, order_.size()});
  words_.clear();
  return true;
}

bool TraceOrder::forEach(const std::function<bool(const TraceSpan&)>& visit) {
  if (!runs_.empty()) {
    if (!words_.empty() && !spill()) return false;
    return merge(visit);
  }
  sortChunk();
  for (uint32_t i : order_)
    if (!visit(SpanOf(words_.data() + size_t{i} * width_, width_))) return false;
  return true;
}

bool TraceOrder::merge(const std::function<bool(const TraceSpan&)>& visit) {
  // The room the keys had, shared among the runs' read buffers.
  std::vector<uint64_t>().swap(words_);
  std::vector<uint32_t>().swap(order_);
  const size_t per_run = std::max<size_t>(16, capacity_ / runs_.size());
  struct Cursor {
    uint64_t next, end;  // records of the scratch file still to be read
    std::vector<uint64_t> buf;
    size_t at = 0;
  };
  std::vector<Cursor> cursors(runs_.size());
  auto refill = [&](Cursor& c) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(per_run, c.end - c.next));
    c.buf.resize(n * width_);
    c.at = 0;
    if (n > 0 && !scratch_.readAt(c.next * 8 * width_, c.buf.data(), 8 * width_ * n)) {
      error_ = "cannot read back the temporary file of sorted keys";
      return false;
    }
    c.next += n;
    return true;
  };
  auto head = [&](size_t r) { return cursors[r].buf.data() + cursors[r].at; };
  auto later = [&](size_t a, size_t b) { return Less(head(b), head(a), width_); };
  std::priority_queue<size_t, std::vector<size_t>, decltype(later)> queue(later);
  for (size_t r = 0; r < runs_.size(); ++r) {
    cursors[r].next = runs_[r].first;
    cursors[r].end = runs_[r].first + runs_[r].records;
    if (!refill(cursors[r])) return false;
    if (!cursors[r].buf.empty()) queue.push(r);
  }
  while (!queue.empty()) {
    const size_t r = queue.top();
    queue.pop();
    Cursor& c = cursors[r];
    if (!visit(SpanOf(head(r), width_))) return false;
    c.at += width_;
    if (c.at == c.buf.size() && !refill(c)) return false;
    if (!c.buf.empty()) queue.push(r);
  }
  return true;
}

}  // namespace keld::sutools
