#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "sutools/args.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SEGYCLEAN - zero the optional trace-header bytes 180 to 239\n"
    "\n"
    "  segyclean <stdin >stdout\n"
    "\n"
    "SEG-Y files use trace-header bytes 180 to 239 for their own values, which\n"
    "SU programs would read as d1, f1, d2, f2 and the like. Every trace passes\n"
    "with those bytes set to 0 and everything else unchanged.\n";

// As much as a widened pipe holds: larger blocks move the stream no faster,
// and each of their pages is a fault the first time it is filled.
constexpr size_t kBlock = 1 << 20;

}  // namespace

int SegycleanMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto fail = [&](const std::string& why) {
    std::fprintf(err, "segyclean: %s\n", why.c_str());
    return 1;
  };
  auto kv = ParseKeyValues(argc, argv, {});
  if (!kv) return fail(kv.error());
  // The stream in large blocks, each whole trace changed where it lies; the
  // bytes of a trace cut by the block's end move to the front of the next.
  std::vector<uint8_t> buf(kBlock + 240 + 4 * 32768);
  size_t have = 0;
  long long traces = 0;
  for (;;) {
    const size_t got = std::fread(buf.data() + have, 1, buf.size() - have, in);
    have += got;
    size_t at = 0;
    while (have - at >= 240) {
      const int ns = get_i16le(buf.data() + at + 114);
      if (ns <= 0)
        return fail("trace " + std::to_string(traces + 1) + ": ns=" + std::to_string(ns) +
                    " in the header (samples per trace must be positive; not an SU stream?)");
      const size_t len = 240 + 4 * static_cast<size_t>(ns);
      if (have - at < len) break;
      std::memset(buf.data() + at + 180, 0, 60);
      at += len;
      ++traces;
    }
    if (at > 0 && std::fwrite(buf.data(), 1, at, out) != at)
      return fail("cannot write trace " + std::to_string(traces) + " to standard output");
    std::memmove(buf.data(), buf.data() + at, have - at);
    have -= at;
    if (got == 0) break;
  }
  if (std::ferror(in)) return fail("read error on standard input at trace " + std::to_string(traces + 1));
  if (have > 0)
    return fail("trace " + std::to_string(traces + 1) + ": truncated (" + std::to_string(have) +
                " bytes at the end of the stream)");
  if (traces == 0) return fail("no trace on standard input");
  if (std::fflush(out) != 0 || std::ferror(out)) return fail("cannot write to standard output");
  return 0;
}

}  // namespace keld::sutools
