#include <cstdio>

#include <fcntl.h>

#include "common/files.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  // Large buffers, and a large pipe when standard output is one: a stream of
  // many short traces moves in few system calls and few process switches.
  keld::UseLargeStandardBuffers();
  fcntl(1, F_SETPIPE_SZ, 1 << 20);
  return keld::sutools::SegycleanMain(argc, argv, stdin, stdout, stderr);
}
