#include <cstdio>
#include <cstdlib>

#include "common/files.hpp"
#include "platform/signals.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_batch.hpp"
#include "sutools/trace_sort.hpp"

namespace {

// KELD_SUSORT_MEMORY=N holds the sort's keys to N bytes of memory (tests use
// a small budget to run the sort through its scratch file on a short line);
// unset, or not a whole number, it is the default budget.
size_t MemoryFromEnvironment() {
  const char* v = std::getenv("KELD_SUSORT_MEMORY");
  if (!v || !*v) return keld::sutools::kDefaultSortMemory;
  char* end = nullptr;
  const unsigned long long n = std::strtoull(v, &end, 10);
  return *end == '\0' && n > 0 ? static_cast<size_t>(n) : keld::sutools::kDefaultSortMemory;
}

}  // namespace

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  // Large buffers: a stream of many short traces moves in few system calls.
  keld::UseLargeStandardBuffers();
  keld::sutools::WidenPipes(stdin, stdout);
  return keld::sutools::SusortMainMemory(argc, argv, stdin, stdout, stderr, MemoryFromEnvironment());
}
