#pragma once
// The standard output of the sutools. Whole SU traces go out through it,
// gathered into large writes of its own straight to the descriptor, so that
// it knows how many bytes reached the output: a write that fails names the
// first trace that did not get there whole and the system's reason ("cannot
// write trace 185 to standard output (File too large)"), whatever block or
// buffer the trace went out in. Not for several threads at once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace keld::sutools {

class SuOutput {
 public:
  // Takes over `out` (whatever it holds is written first); a stream without
  // a descriptor (one in memory) is written through stdio.
  explicit SuOutput(std::FILE* out);
  // Writes out what is held; `out` then stands after the last byte written.
  ~SuOutput();
  SuOutput(const SuOutput&) = delete;
  SuOutput& operator=(const SuOutput&) = delete;

  // Bytes of whole traces, or a header followed by its samples; the first
  // call begins with the first trace's header, whose ns gives every trace's
  // length (an SU stream's traces are all of one length). False once a write
  // has failed.
  bool write(const void* bytes, size_t n);
  // Writes out what is held; false when any write failed.
  bool flush();
  bool failed() const { return errno_ != 0; }
  // After a failure: "cannot write trace N to standard output (reason)".
  std::string error() const;

 private:
  bool put(const uint8_t* p, size_t n);  // to the descriptor, all of it or a failure
  std::FILE* out_;
  int fd_ = -1;
  std::vector<uint8_t> held_;
  size_t used_ = 0;
  int64_t trace_bytes_ = 0;  // 0 until the first header is seen
  int64_t reached_ = 0;      // bytes that reached the output
  int errno_ = 0;            // the reason of the first failure
};

}  // namespace keld::sutools
