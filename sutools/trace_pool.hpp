#pragma once
// SU traces of a file on standard input shared out among a few threads, for
// heavy work on few traces (a shot of long traces filtered in the frequency
// domain). The file is read in place; each thread takes one run of
// consecutive traces, the caller's thread the first, which it writes out as
// it goes, and the others' results follow in order. One start and one join
// per thread: waking threads for every few traces would cost more than they
// save. A pipe goes through one trace at a time on the caller's thread. Each
// trace has exactly the processing of the one-at-a-time stream, so the output
// bytes do not depend on the thread count.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "sutools/su_stream.hpp"

namespace keld::sutools {

// The processing of one thread (each gets its own from the factory, so its
// work space needs no locking): false with the reason stops the stream at
// that trace.
using SharedProcess = std::function<bool(StreamTrace&, std::string&)>;

// Reads every trace from `in`, processes it and writes it to `out` in input
// order, on up to `threads` threads (0: one per processor, at most 4). A file
// is shared out in groups of about `group_bytes`, which bounds the memory
// the threads' results take. Messages and the exit status are those of
// RunTraceStream: every trace before a fault is written, then the fault is
// reported with status 1.
int RunTraceStreamShared(const char* prog, std::FILE* in, std::FILE* out, std::FILE* err, unsigned threads,
                         const std::function<SharedProcess()>& make_process, size_t group_bytes = 32u << 20);

}  // namespace keld::sutools
