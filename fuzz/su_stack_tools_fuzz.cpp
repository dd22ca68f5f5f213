// Arbitrary bytes as the SU stream of susort, sunmo and sustack: sample
// counts, keys, offsets and delays all come from the bytes. The stream is a
// file in memory, read in place as the programs read a file given them, so
// no input is copied to a temporary file on disk. sunmo and sustack run on
// the calling thread alone: no helper thread is started or waited for, and
// the outcome of an input does not depend on the machine's processors.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/scratch_file.hpp"
#include "sutools/stack_tools.hpp"

namespace {

// `stream`: the bytes as a memory stream instead, read as a pipe is.
template <typename Main>
void RunOn(Main main, const keld::fuzzing::MemoryFile& file, int argc, const char* const* argv,
           std::FILE* stream = nullptr) {
  std::FILE* in = stream ? stream : file.open();
  std::FILE* out = std::fopen("/dev/null", "wb");
  std::FILE* err = std::fopen("/dev/null", "wb");
  if (in && out && err) {
    int rc = main(argc, argv, in, out, err);
    if (rc != 0 && rc != 1) __builtin_trap();
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
  if (err) std::fclose(err);
}

// A budget for the sort's keys that the longest input (12 KiB, some fifty
// traces) stays within: the default reserves 32 MB for each input.
int Susort(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return keld::sutools::SusortMainMemory(argc, argv, in, out, err, 64 << 10);
}

int Sunmo(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return keld::sutools::SunmoMainThreads(argc, argv, in, out, err, 1);
}

int Sustack(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return keld::sutools::SustackMainThreads(argc, argv, in, out, err, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::sutools;
  const keld::fuzzing::MemoryFile file(data, size);
  const char* sort[] = {"susort", "cdp", "-offset"};
  RunOn(Susort, file, 3, sort);
  const char* nmo[] = {"sunmo", "smute=1.5", "cdp=1,20", "tnmo=.1,.5", "vnmo=1500,2500", "tnmo=0.2", "vnmo=1800"};
  // sunmo and sustack read a file in place and a pipe as a stream: odd
  // lengths take the stream.
  auto stream = [&]() -> std::FILE* {
    return size % 2 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
  };
  RunOn(Sunmo, file, 7, nmo, stream());
  const char* stack[] = {"sustack", "key=cdp"};
  RunOn(Sustack, file, 2, stack, stream());
  return 0;
}
