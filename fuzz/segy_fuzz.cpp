// Arbitrary bytes taken as a SEG-Y file and read through segyread's
// conversion with the byte order found and with each order forced, over
// and ns= overrides among them: every count comes from the bytes and the
// file's length, and nothing may be read outside them. The SU traces go to
// a memory stream; nothing is written to disk (the file read in place is a
// file in memory).
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/scratch_file.hpp"
#include "sutools/segy/segyread.hpp"

namespace {

int Run(std::FILE* in, size_t size, const keld::segy::SegyreadParams& p) {
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  std::FILE* err = std::fopen("/dev/null", "w");
  if (!out || !err) __builtin_trap();
  const int status = keld::segy::RunSegyread(in, static_cast<int64_t>(size), p, out, err);
  std::fclose(out);
  std::fclose(err);
  // A good run writes whole SU traces only.
  if (status == 0 && (len == 0 || len % 4 != 0)) __builtin_trap();
  std::free(buf);
  return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!in) return 0;
  keld::segy::SegyreadParams p;
  p.trmax = 64;  // enough traces to cross every path, few enough to stay quick
  Run(in, size, p);
  p.layout.order = keld::segy::ByteOrder::Little;
  p.layout.over = true;
  p.conv = false;
  Run(in, size, p);
  p.layout.order = keld::segy::ByteOrder::Big;
  p.layout.ns = data[size - 1] + 1;
  p.trmin = 2;
  Run(in, size, p);
  std::fclose(in);
  // And from a file, which is read in place.
  const keld::fuzzing::MemoryFile file(data, size);
  if (std::FILE* f = file.open()) {
    keld::segy::SegyreadParams q;
    q.trmax = 64;
    Run(f, size, q);
    std::fclose(f);
  }
  return 0;
}
