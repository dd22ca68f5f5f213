#include <cstdio>

#include "common/files.hpp"
#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  keld::UseLargeStandardBuffers();
  return keld::sutools::SegdreadMain(argc, argv, stdout, stderr);
}
