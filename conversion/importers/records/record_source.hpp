#pragma once
// A record file read in pieces. The readers take from it what one trace
// needs (a positioned read of its samples) or, for text records, one piece
// after the other: converting a record then holds a trace at a time, never
// the whole file, whatever its size.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace keld::conversion {

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual int64_t size() const = 0;
  // Copies n bytes from `offset` into `out`; false when any of them lies
  // outside the file or the read fails.
  virtual bool read(int64_t offset, std::size_t n, uint8_t* out) = 0;
};

// Bytes already in memory (small records, tests, fuzzing).
class SpanSource final : public RecordSource {
 public:
  explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  int64_t size() const override { return static_cast<int64_t>(bytes_.size()); }
  bool read(int64_t offset, std::size_t n, uint8_t* out) override;

 private:
  std::span<const uint8_t> bytes_;
};

// A file on disk, read where asked. `between` is asked before the file is
// opened and before every read, and may stop the reading (the run was
// stopped): the file is then not opened, or the read fails, and every read
// after it; stopped() says so.
class FileSource final : public RecordSource {
 public:
  explicit FileSource(const std::string& path, std::function<bool()> between = {});
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool ok() const { return fd_ >= 0; }
  bool stopped() const { return stopped_; }
  const std::string& error() const { return error_; }
  int64_t size() const override { return size_; }
  bool read(int64_t offset, std::size_t n, uint8_t* out) override;

 private:
  int fd_ = -1;
  int64_t size_ = 0;
  std::string error_;
  std::function<bool()> between_;
  bool stopped_ = false;
  bool go_on();  // asks `between`; false once it said stop
};

// The bytes of a source from its start, one piece at a time.
class ByteStream {
 public:
  explicit ByteStream(RecordSource& source, std::size_t piece = 64 * 1024) : source_(source), buffer_(piece ? piece : 1) {}
  // The next byte, or -1 at the end of the file or when a read failed.
  int next() {
    if (at_ == filled_ && !fill()) return -1;
    return buffer_[at_++];
  }
  bool failed() const { return failed_; }

 private:
  bool fill();
  RecordSource& source_;
  std::vector<uint8_t> buffer_;
  std::size_t at_ = 0, filled_ = 0;
  int64_t position_ = 0;
  bool failed_ = false;
};

}  // namespace keld::conversion
