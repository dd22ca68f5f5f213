// sufilter and sugain on arbitrary SU streams, with their usual parameters
// and with parameters taken from the input's first byte. Streams come from
// memory, and a file (read in place) is a file in memory: nothing is written
// to disk per input. scripts/run-fuzz.sh keeps inputs short (MAX_LEN).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/scratch_file.hpp"
#include "sutools/tools.hpp"

namespace {

// The stream from memory, or from a regular file (read in place, shared
// among threads) that lives in memory.
int Run(int (*tool)(int, const char* const*, std::FILE*, std::FILE*, std::FILE*), int argc,
        const char* const* argv, const uint8_t* data, size_t size, bool file = false) {
  // fmemopen refuses an empty buffer: an empty stream is the empty file.
  static const uint8_t nothing = 0;
  std::FILE* in = file ? keld::fuzzing::MemoryFile(data, size).open()
                       : fmemopen(const_cast<uint8_t*>(size ? data : &nothing), size ? size : 1, "rb");
  if (!in) return 0;
  if (!size && !file) (void)std::fgetc(in);
  char* out_buf = nullptr;
  size_t out_len = 0;
  std::FILE* out = open_memstream(&out_buf, &out_len);
  std::FILE* err = std::fopen("/dev/null", "w");
  int rc = 0;
  if (out && err) rc = tool(argc, argv, in, out, err);
  std::fclose(in);
  if (out) std::fclose(out);
  if (err) std::fclose(err);
  std::free(out_buf);
  return rc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::sutools;
  const char* filter[] = {"sufilter", "f=10,20,200,400"};
  const char* filter_amps[] = {"sufilter", "f=0,0,1e9,1e9", "amps=1,0,0,1"};
  const char* gain[] = {"sugain", "agc=1", "wagc=0.1"};
  const char* gain_wide[] = {"sugain", "agc=1", "wagc=1e9"};
  const uint8_t pick = size ? data[0] % 4 : 0;
  Run(SufilterMain, pick == 1 ? 3 : 2, pick == 1 ? filter_amps : filter, data, size);
  Run(SugainMain, 3, pick == 2 ? gain_wide : gain, data, size);
  if (pick == 3) {
    Run(SufilterMain, 2, filter, data, size, true);
    Run(SugainMain, 3, gain, data, size, true);
  }
  return 0;
}
