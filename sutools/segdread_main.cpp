#include <cstdio>

#include "common/files.hpp"
#include "platform/signals.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  keld::UseLargeStandardBuffers();
  return keld::sutools::SegdreadMain(argc, argv, stdout, stderr);
}
