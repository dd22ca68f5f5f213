#pragma once
// SU stream to SEG-Y file: the conversion behind our segywrite. The text and
// binary headers come from the files that segyhdrs (or segyread) left.
#include <cstdint>
#include <cstdio>
#include <string>

#include "sutools/su_stream.hpp"

namespace keld::segy {

struct SegywriteParams {
  std::string tape;            // the SEG-Y file to write
  bool ibm = true;             // conv=1: format 1; conv=0: IEEE floats, format 5
  bool little = false;         // endian=1 writes every number little-endian
  int64_t trmin = 1;           // 1-based, inclusive
  int64_t trmax = INT64_MAX;
  std::string hfile = "header";  // 3200 bytes, written as they are
  std::string bfile = "binary";  // 400 bytes, big-endian
};

// Reads SU traces from `reader` and writes `tape` beside its name, renamed over
// it only when every chosen trace is in. Returns the exit status; messages
// go to `err` after "segywrite: ".
int RunSegywrite(sutools::SuStreamReader& reader, const SegywriteParams& p, std::FILE* err);

}  // namespace keld::segy
