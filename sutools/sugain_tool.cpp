#include <memory>

#include "sutools/agc.hpp"
#include "sutools/args.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/trace_pool.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUGAIN - automatic gain control of SU traces\n"
    "\n"
    "  sugain <stdin >stdout agc=1 [wagc=0.5]\n"
    "\n"
    "Parameters:\n"
    "  agc=1     apply automatic gain control (agc=0, the default, passes the\n"
    "            traces through unchanged)\n"
    "  wagc=W    length in seconds of the window centred on each sample\n"
    "            (default 0.5)\n"
    "\n"
    "Each sample is divided by the RMS amplitude of the samples in its window;\n"
    "near the trace ends the window is cut short. A sample whose window holds\n"
    "only zeros stays 0. The sample interval dt (microseconds) and the sample\n"
    "count ns come from each trace header; headers pass through unchanged.\n";

}  // namespace

int SugainMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"agc", "wagc"});
  if (!kv) {
    std::fprintf(err, "sugain: %s\n", kv.error().c_str());
    return 1;
  }
  bool agc = false;
  if (auto it = kv->find("agc"); it != kv->end()) {
    if (it->second != "0" && it->second != "1") {
      std::fprintf(err, "sugain: agc=%s: give agc=1 or agc=0\n", it->second.c_str());
      return 1;
    }
    agc = it->second == "1";
  }
  double wagc = 0.5;
  if (auto it = kv->find("wagc"); it != kv->end()) {
    auto w = ParseNumber(it->second);
    if (!w) {
      std::fprintf(err, "sugain: wagc=: %s\n", w.error().c_str());
      return 1;
    }
    if (!(*w > 0)) {
      std::fprintf(err, "sugain: wagc=%s: the window must be longer than 0 s\n", it->second.c_str());
      return 1;
    }
    wagc = *w;
  }
  // Traces are independent: a shot is shared out among the processors, each
  // thread with its own work space.
  auto make = [agc, wagc]() -> SharedProcess {
    auto gain = std::make_shared<Agc>();
    return [agc, wagc, gain](StreamTrace& t, std::string&) {
      if (agc) gain->apply(t.samples.data(), t.ns, AgcHalfWindow(wagc, t.dt_seconds()));
      return true;
    };
  };
  return RunTraceStreamShared("sugain", in, out, err, 0, make);
}

}  // namespace keld::sutools
