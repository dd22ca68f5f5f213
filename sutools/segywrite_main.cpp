#include <cstdio>

#include "sutools/tools.hpp"

int main(int argc, char** argv) {
  std::setvbuf(stdin, nullptr, _IOFBF, 1 << 20);
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 20);
  return keld::sutools::SegywriteMain(argc, argv, stdin, stdout, stderr);
}
