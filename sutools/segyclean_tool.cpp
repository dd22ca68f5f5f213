#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/tools.hpp"
#include "sutools/whole_input.hpp"

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
  // Traces gather in large blocks, each changed where it lies, written at
  // once; every whole trace before a fault in the stream is written.
  std::vector<uint8_t> buf(kBlock + kMaxTraceBytes);
  size_t used = 0;
  SuOutput output(out);
  auto flush = [&] {
    const bool ok = used == 0 || output.write(buf.data(), used);
    used = 0;
    return ok;
  };
  auto clean = [&](SuStreamReader& reader) {
    int ns = 0, dt = 0;
    while (reader.readRaw(buf.data() + used, ns, dt)) {
      std::memset(buf.data() + used + 180, 0, 60);
      used += 240 + 4 * static_cast<size_t>(ns);
      if (used >= kBlock && !flush()) return fail(output.error());
    }
    if (!flush()) return fail(output.error());
    return EndOfStream("segyclean", reader.error(), reader.count(), output, err);
  };
  // A file on standard input is read in place; a pipe trace by trace.
  WholeInput mapped;
  if (mapped.mapFile(in)) {
    SuStreamReader reader(mapped.data(), mapped.size(), false);
    return clean(reader);
  }
  SuStreamReader reader(in, false);
  return clean(reader);
}

}  // namespace keld::sutools
