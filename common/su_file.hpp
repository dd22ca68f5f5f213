#pragma once
// SU trace files: no file header, traces back to back, each a 240-byte header
// followed by ns little-endian 32-bit float samples. ns and dt come from the
// first trace; the trace count is the whole part of the file length over the
// trace length, so a partial last trace is not a trace. Every trace must hold
// the first one's ns: each is checked as it is read (common/su_check), so
// opening a file reads no more than its first two headers.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_check.hpp"
#include "common/su_header.hpp"

namespace keld {

struct SuLayout {
  int16_t ns = 0;           // samples per trace, from the first header
  int16_t dt = 0;           // sample interval in microseconds (may be 0 or negative)
  int16_t delrt = 0;        // recording delay of the first trace, ms
  int64_t file_bytes = 0;
  int64_t trace_bytes = 0;  // 240 + 4 ns
  int64_t traces = 0;       // whole traces in the file

  // Nothing after the last whole trace.
  bool whole() const { return file_bytes == traces * trace_bytes; }
};

// Trace count of a file of `file_bytes` with `ns` samples per trace (0 for ns <= 0).
int64_t SuTraceCount(int64_t file_bytes, int ns);

// Reads the first header and checks that at least one whole trace is there.
// Fails with a message naming the file for: a file that cannot be opened, one
// shorter than a header, ns <= 0, one shorter than its first trace, a file
// whose second trace holds another ns than the first, and a big-endian SU
// file (one that is whole traces read big-endian and not read little-endian;
// the message says how it reads). Every SU file is opened through this check.
Result<SuLayout> ReadSuLayout(const std::string& path);

// The same check on a file already open: `h` its first 240 bytes, `len` its
// length, `read_at` reads n bytes at an offset (false when it cannot).
Result<SuLayout> CheckSuLayout(const std::string& path, const uint8_t* h, int64_t len,
                               const SuByteReader& read_at);

// The layout with a usable sample interval as well (dt > 0).
Result<SuLayout> ReadSuLayoutWithDt(const std::string& path);

struct SuTrace {
  SuTraceHeader header;
  std::vector<float> samples;
};

// Random and sequential access to the whole traces of a file. Every read is
// checked against the file's length; nothing is read past the last whole
// trace. A trace whose header holds another ns than the first trace's is not
// read: the read fails, error() naming the trace and both counts.
class SuReader {
 public:
  SuReader() = default;
  ~SuReader();
  SuReader(const SuReader&) = delete;
  SuReader& operator=(const SuReader&) = delete;

  Status open(const std::string& path);
  void close();
  const SuLayout& layout() const { return layout_; }
  int64_t traces() const { return layout_.traces; }
  int ns() const { return layout_.ns; }

  // Trace i counts from 0. Returns false (with error()) when i is out of range
  // or the read fails.
  bool read(int64_t i, SuTrace& out);
  bool read_header(int64_t i, SuTraceHeader& out);
  bool read_samples(int64_t i, float* out);  // ns floats
  // The next trace after the last one read (from the first at open).
  bool next(SuTrace& out);
  // Checks the header of every trace from the first to trace `last` (from
  // 0), as a reader going through them would: a trace read at its place
  // tells nothing of a trace of another length before it, which moves every
  // trace after it. False, with error() naming the first trace that
  // differs, or when `last` is out of range or a read fails.
  bool check_through(int64_t last);
  const std::string& error() const { return error_; }

 private:
  bool seek_trace(int64_t i);
  // False, with error(), when trace i's header `h` holds another ns.
  bool same_length(int64_t i, const uint8_t* h);
  std::FILE* fp_ = nullptr;
  SuLayout layout_;
  std::string path_, error_;
  int64_t next_ = 0;
  int64_t pos_ = -1;  // trace the file position stands at, -1 when unknown
  int64_t checked_ = 0;  // traces from the first whose headers are known to agree
  std::vector<uint8_t> buf_;
};

// Writes a new SU file beside its target and renames it over the target when
// finished, so a failure never leaves half a file under the target's name.
class SuWriter {
 public:
  explicit SuWriter(const std::string& path);
  ~SuWriter();
  bool is_open() const;
  bool write(const SuTraceHeader& h, const float* samples, int ns);
  bool write(const SuTrace& t) { return write(t.header, t.samples.data(), static_cast<int>(t.samples.size())); }
  bool commit();
  const std::string& error() const;

 private:
  struct Impl;
  Impl* impl_;
};

// Encodes ns samples as little-endian floats after a header into `out`.
void EncodeSuTrace(const SuTraceHeader& h, const float* samples, int ns, std::vector<uint8_t>& out);

// Reads every whole trace of a file (for small files and tests).
Result<std::vector<SuTrace>> ReadSuFile(const std::string& path);
Status WriteSuFile(const std::string& path, const std::vector<SuTrace>& traces);

}  // namespace keld
