#include <cstdio>
#include <cstring>

#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
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

}  // namespace

int SegycleanMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {});
  if (!kv) {
    std::fprintf(err, "segyclean: %s\n", kv.error().c_str());
    return 1;
  }
  SuStreamReader reader(in, false);
  StreamTrace t;
  while (reader.next(t)) {
    std::memset(t.header + 180, 0, 60);
    if (!WriteStreamTrace(out, t)) {
      std::fprintf(err, "segyclean: cannot write trace %lld to standard output\n",
                   static_cast<long long>(reader.count()));
      return 1;
    }
  }
  if (!reader.error().empty()) {
    std::fprintf(err, "segyclean: %s\n", reader.error().c_str());
    return 1;
  }
  if (reader.count() == 0) {
    std::fprintf(err, "segyclean: no trace on standard input\n");
    return 1;
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "segyclean: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

}  // namespace keld::sutools
