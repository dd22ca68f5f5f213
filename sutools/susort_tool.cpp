#include <cstring>
#include <string>
#include <vector>


#include "sutools/args.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_sort.hpp"
#include "sutools/whole_input.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUSORT - sort SU traces by header keys\n"
    "\n"
    "  susort <stdin >stdout [[+-]key1 [+-]key2 ...]\n"
    "\n"
    "Each key is a trace header word (cdp, offset, fldr, tracf, ...); a key\n"
    "with '-' sorts descending, '+' or nothing ascending. Keys compare as the\n"
    "numbers their words hold; traces with equal keys keep their order.\n"
    "Example: susort <line.su cdp offset >cdp_sorted.su\n"
    "\n"
    "The input is a file or a pipe; a pipe is first copied to a temporary file.\n";

}  // namespace

int SusortMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  std::vector<SortKey> keys;
  for (int i = 1; i < argc; ++i) {
    auto k = ParseSortKey(argv[i]);
    if (!k) {
      std::fprintf(err, "susort: %s\n", k.error().c_str());
      return 1;
    }
    keys.push_back(*k);
  }
  if (keys.empty()) {
    std::fprintf(err, "susort: give at least one key (for example: susort <in.su cdp offset)\n");
    return 1;
  }
  WholeInput input;
  std::string why;
  if (!input.load(in, why)) {
    std::fprintf(err, "susort: %s\n", why.c_str());
    return 1;
  }
  auto order = SortTraces(input.data(), input.size(), keys);
  if (!order) {
    std::fprintf(err, "susort: %s\n", order.error().c_str());
    return 1;
  }
  for (const TraceSpan& t : order.value())
    if (std::fwrite(input.data() + t.start, 1, t.bytes, out) != t.bytes) {
      std::fprintf(err, "susort: cannot write to standard output\n");
      return 1;
    }
  if (std::fflush(out) != 0) {
    std::fprintf(err, "susort: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

}  // namespace keld::sutools
