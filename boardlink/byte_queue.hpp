#pragma once
// The receive queue of a serial port: bytes are appended as the device
// delivers them and taken from the front in exactly the sizes asked for.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace keld::board {

class ByteQueue {
 public:
  size_t size() const { return data_.size() - head_; }
  bool empty() const { return size() == 0; }
  void append(const uint8_t* p, size_t n);
  // Up to n bytes from the front (all of them when fewer wait).
  std::vector<uint8_t> take(size_t n);
  void clear();

 private:
  std::vector<uint8_t> data_;
  size_t head_ = 0;  // bytes before head_ have been taken
};

}  // namespace keld::board
