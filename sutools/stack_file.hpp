#pragma once
// sustack on a regular file of traces all of one length, on several threads,
// its output written in order as it is made, with a memory that does not grow
// with the file.
#include <cstdint>
#include <cstdio>

#include "common/su_header.hpp"
#include "sutools/su_output.hpp"

namespace keld::sutools {

struct StackFileRun {
  enum class Outcome {
    kDone,         // every trace stacked and written
    kStream,       // the rest goes through the stream, from trace `resume`
    kWriteFailed,  // a write to `out` failed
  };
  Outcome outcome = Outcome::kStream;
  int64_t resume = 0;     // input traces (from `in`'s position) taken whole
  int64_t resume_at = 0;  // the file offset of trace `resume`
  int first_ns = 0;       // the ns of the file's first trace, once read
  int64_t written = 0;  // stacked traces written, numbered 1 .. written
  int64_t traces_read = 0;  // whole traces read from the file, all threads together
};

// Stacks the traces of `in` when it is a regular file whose traces all have
// the first one's length, and a few thousand of them: threads take parts of
// the traces in turn, each the groups that begin in its part (the last read
// on past the part's end as far as it runs; a part in which none begins
// stops at its end), and the parts' outputs go to `out` in order as they are
// done, a bounded number waiting.
// A group's sums run over its traces in stream order, as in the stream, so
// the bytes are the same. Anything out of the ordinary (a pipe, a short
// file, a length that is not a whole number of traces) leaves everything to
// the stream with nothing read or written; a trace of another length, or a
// bad one, found on the way leaves the stream to go on from the first group
// not written (at `resume`), with its messages. `threads`: the most threads
// to use (0: one per processor, at most 16); fewer on a short file.
StackFileRun StackRegularFile(std::FILE* in, const HeaderField& key, double normpow, SuOutput& out,
                              unsigned threads = 0);

}  // namespace keld::sutools
