#pragma once
// SU traces read from and written to a byte stream (standard input and output),
// one at a time, so a stream of any length goes through in constant memory.
// Each trace takes its sample interval from its own header; its sample count
// must be the first trace's (common/su_check holds the checks).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sutools/su_output.hpp"

namespace keld::sutools {

struct StreamTrace {
  uint8_t header[240] = {};
  int ns = 0;     // samples, from header bytes 114-115
  int dt_us = 0;  // sample interval in microseconds, from bytes 116-117
  std::vector<float> samples;
  double dt_seconds() const { return dt_us * 1e-6; }
};

// The most bytes one trace can take: a header and 32767 samples.
constexpr size_t kMaxTraceBytes = 240 + 4 * 32767;

// For a stream that failed at its first or second trace, of which `head`
// holds the bytes read from its start: reads on from `in` as far as its
// big-endian reading needs (kSuStreamHeadBytes), and gives
// SuBigEndianStream's text, "" when it does not read so. Grows `head` only
// by the bytes that come, so a short stream costs only its length.
std::string BigEndianStreamText(std::FILE* in, std::vector<uint8_t>& head);

class SuStreamReader {
 public:
  // `need_dt` false lets traces with dt <= 0 through, for programs that only
  // pass headers along.
  explicit SuStreamReader(std::FILE* in, bool need_dt = true) : in_(in), need_dt_(need_dt) {}
  // The same over a stream already in memory (a mapped file), read in place.
  SuStreamReader(const uint8_t* data, size_t size, bool need_dt = true)
      : in_(nullptr), need_dt_(need_dt), data_(data), size_(size) {}
  // True with the next trace in `t`. False at the end of the stream, with
  // error() empty after a clean end and set when the stream is bad: a partial
  // header, ns <= 0, dt <= 0, an ns other than the first trace's, or fewer
  // sample bytes than the header announces. A stream that fails at its first
  // or second trace and reads as big-endian is said to be one.
  bool next(StreamTrace& t);
  // The same for the raw bytes of the next trace (header, then the samples as
  // they stand in the stream), copied to `dst`, which has room for
  // kMaxTraceBytes; `ns` and `dt_us` from its header.
  bool readRaw(uint8_t* dst, int& ns, int& dt_us);
  // The same without a copy where the stream is in memory: `trace` points at
  // the raw bytes, valid until the next call.
  bool nextRaw(const uint8_t*& trace, int& ns, int& dt_us);
  const std::string& error() const { return error_; }
  int64_t count() const { return count_; }  // whole traces read so far

 private:
  // Up to n bytes of the stream into dst; the count copied.
  size_t fetch(uint8_t* dst, size_t n);
  // Checks a header of which `got` bytes were there; false at the end or on error.
  bool check(const uint8_t* h, size_t got, int& ns, int& dt_us);
  bool truncated(size_t got, size_t want);
  // Sets error() to `why`, or to what the stream is where it fails at its
  // start and reads as big-endian; false.
  bool fault(std::string why);
  std::FILE* in_;
  bool need_dt_ = true;
  const uint8_t* data_ = nullptr;  // the stream in memory, when not a file
  size_t size_ = 0, pos_ = 0;
  std::string error_;
  int64_t count_ = 0;
  int first_ns_ = 0;
  std::vector<uint8_t> buf_;
  std::vector<uint8_t> head_;  // from a file: the bytes of the first two traces
};

// Writes the header unchanged and the samples as little-endian floats.
bool WriteStreamTrace(SuOutput& out, const StreamTrace& t);

// The exit status of a stream whose traces went through: 1 with a message
// after "prog: " for the reader's fault (`reader_error`), a stream without a
// trace (a program upstream that failed leaves nothing) or an output that
// cannot be written out; else 0.
int EndOfStream(const char* prog, const std::string& reader_error, int64_t traces, SuOutput& out, std::FILE* err);

// Reads every trace from `in`, hands each to `process` and writes it to `out`.
// Messages go to `err`, prefixed by the program's name. Returns the exit
// status: 0 when the whole stream went through, 1 otherwise (an empty stream
// is an error too: a program upstream that failed leaves nothing).
template <typename Process>
int RunTraceStream(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, Process&& process) {
  SuStreamReader reader(in);
  SuOutput output(out);
  StreamTrace t;
  std::string why;
  while (reader.next(t)) {
    if (!process(t, why)) {
      std::fprintf(err, "%s: trace %lld: %s\n", prog, static_cast<long long>(reader.count()), why.c_str());
      return 1;
    }
    if (!WriteStreamTrace(output, t)) {
      std::fprintf(err, "%s: %s\n", prog, output.error().c_str());
      return 1;
    }
  }
  return EndOfStream(prog, reader.error(), reader.count(), output, err);
}

}  // namespace keld::sutools
