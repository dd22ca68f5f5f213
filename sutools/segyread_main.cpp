#include <cstdio>

#include "common/files.hpp"
#include "platform/signals.hpp"
#include "sutools/tools.hpp"
#include "sutools/trace_batch.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  // Large buffers, and large pipes where standard input or output is one: a
  // stream of many short traces moves in few system calls and process switches.
  keld::UseLargeStandardBuffers();
  keld::sutools::WidenPipes(stdin, stdout);
  return keld::sutools::SegyreadMain(argc, argv, stdin, stdout, stderr);
}
