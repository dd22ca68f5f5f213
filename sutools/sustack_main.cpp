#include <cstdio>
#include <cstdlib>

#include "common/files.hpp"
#include "platform/signals.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_batch.hpp"

namespace {

// KELD_SUSTACK_THREADS=N holds a regular file's stack to at most N threads
// (tests use it to measure the same run on any machine); unset, or not a
// whole number from 1 to 64, it is one thread per processor.
unsigned ThreadsFromEnvironment() {
  const char* v = std::getenv("KELD_SUSTACK_THREADS");
  if (!v || !*v) return 0;
  char* end = nullptr;
  const unsigned long n = std::strtoul(v, &end, 10);
  return *end == '\0' && n >= 1 && n <= 64 ? static_cast<unsigned>(n) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  // Large buffers: a stream of many short traces moves in few system calls.
  keld::UseLargeStandardBuffers();
  keld::sutools::WidenPipes(stdin, stdout);
  return keld::sutools::SustackMainThreads(argc, argv, stdin, stdout, stderr, ThreadsFromEnvironment());
}
