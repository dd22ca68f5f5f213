#pragma once
// SEG-Y file to SU stream: the conversion behind our segyread, over an open
// file so that tests and the fuzz harness run it in process.
#include <cstdint>
#include <cstdio>
#include <string>

#include "sutools/segy/layout.hpp"

namespace keld::segy {

struct SegyreadParams {
  LayoutOptions layout;
  bool conv = true;    // format 1 to IEEE floats; false keeps the IBM bits
  bool trcwt = true;   // integer samples times 2^-trwf
  int64_t trmin = 1;   // 1-based, inclusive
  int64_t trmax = INT64_MAX;
  std::string hfile;   // where the text header goes ("" = not written)
  std::string bfile;   // where the binary header goes, big-endian ("" = not written)
};

// Writes the chosen traces of `tape` (`size` bytes) to `out` as SU traces and
// returns the exit status: 0 when every chosen trace was written. Messages
// and warnings go to `err` after "segyread: ".
int RunSegyread(std::FILE* tape, int64_t size, const SegyreadParams& p, std::FILE* out, std::FILE* err);

}  // namespace keld::segy
