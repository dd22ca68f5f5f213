#pragma once
// The sort, NMO and stack programs of the velocity analysis' batch, as
// functions over streams (tests run them in the same process too). Each
// returns the exit status.
#include <cstddef>
#include <cstdio>

namespace keld::sutools {

int SusortMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
// susort keeping at most `memory` bytes of keys in memory (past that, sorted
// runs of them go to a temporary file); the output is the same for any budget.
int SusortMainMemory(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                     size_t memory);
int SunmoMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
// sunmo on `threads` threads (0: one per processor, as SunmoMain); the output
// is the same for any count.
int SunmoMainThreads(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                     unsigned threads);
int SustackMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);
// sustack with at most `threads` threads on a regular file (0: one per
// processor, as SustackMain); the output is the same for any count.
int SustackMainThreads(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                       unsigned threads);

}  // namespace keld::sutools
