#include <cstdio>

#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 20);
  return keld::sutools::SegdreadMain(argc, argv, stdout, stderr);
}
