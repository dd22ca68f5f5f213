#include "boardlink/byte_queue.hpp"

#include <algorithm>

namespace keld::board {

void ByteQueue::append(const uint8_t* p, size_t n) {
  if (n == 0) return;
  // Taken bytes are dropped only now and then, so a take stays a copy of n bytes.
  if (head_ > 0 && (head_ >= 4096 || head_ == data_.size())) {
    data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  data_.insert(data_.end(), p, p + n);
}

std::vector<uint8_t> ByteQueue::take(size_t n) {
  n = std::min(n, size());
  auto first = data_.begin() + static_cast<std::ptrdiff_t>(head_);
  std::vector<uint8_t> out(first, first + static_cast<std::ptrdiff_t>(n));
  head_ += n;
  if (head_ == data_.size()) clear();
  return out;
}

void ByteQueue::clear() {
  data_.clear();
  head_ = 0;
}

}  // namespace keld::board
