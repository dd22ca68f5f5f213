#include <cstdio>

#include "sutools/stack_tools.hpp"
#include "sutools/trace_batch.hpp"

int main(int argc, char** argv) {
  // Large buffers: a stream of many short traces moves in few system calls.
  std::setvbuf(stdin, nullptr, _IOFBF, 1 << 20);
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 20);
  keld::sutools::WidenPipes(stdin, stdout);
  return keld::sutools::SunmoMain(argc, argv, stdin, stdout, stderr);
}
