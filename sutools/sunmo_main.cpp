#include <cstdio>

#include "common/files.hpp"
#include "platform/signals.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_batch.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  // Large buffers: a stream of many short traces moves in few system calls.
  keld::UseLargeStandardBuffers();
  keld::sutools::WidenPipes(stdin, stdout);
  return keld::sutools::SunmoMain(argc, argv, stdin, stdout, stderr);
}
