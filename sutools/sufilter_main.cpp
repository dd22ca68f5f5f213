#include <cstdio>

#include "common/files.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  // Large buffers: a stream of many short traces moves in few system calls.
  keld::UseLargeStandardBuffers();
  return keld::sutools::SufilterMain(argc, argv, stdin, stdout, stderr);
}
