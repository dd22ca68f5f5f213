#pragma once
// SU traces processed in blocks on several threads, in stream order: the
// calling thread reads blocks and writes them back in order while worker
// threads process the blocks in between, each block whole on one worker.
// Each trace goes through exactly the same per-trace processing as the
// one-at-a-time stream, so the output bytes do not depend on the thread count.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace keld::sutools {

// One trace inside a batch: the header bytes (changeable in place) and the
// samples as floats (in the block itself on a little-endian machine, else a
// copy written back after processing).
struct TraceRef {
  uint8_t* header = nullptr;
  int ns = 0;
  int dt_us = 0;
  float* samples = nullptr;
  double dt_seconds() const { return dt_us * 1e-6; }
};

// The processing of one worker thread (each thread gets its own, made by the
// factory, so work space and caches need no locking). Returns false with the
// reason to stop the stream at that trace.
using TraceProcess = std::function<bool(TraceRef&, std::string&)>;

// Reads every trace from `in`, processes it on `threads` threads (0: one per
// processor) and writes it to `out` in input order. Messages and the exit
// status are those of RunTraceStream: 0 when the whole stream went through,
// 1 on a bad or empty stream, a failed trace or a failed write, with every
// trace before the fault written.
int RunTraceStreamBatched(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                          const std::function<TraceProcess()>& make_process);

// Widens the kernel buffer of standard input and output where they are pipes,
// so a pipe of programs moves megabytes per wake-up instead of 64 KiB.
void WidenPipes(std::FILE* in, std::FILE* out);

}  // namespace keld::sutools
