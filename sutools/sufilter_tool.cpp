#include <memory>

#include "common/result.hpp"
#include "sutools/args.hpp"
#include "sutools/bandpass.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/trace_pool.hpp"
#include "sutools/tools.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUFILTER - zero-phase band-pass filter of SU traces\n"
    "\n"
    "  sufilter <stdin >stdout f=f1,f2,f3,f4 [amps=a1,a2,a3,a4]\n"
    "\n"
    "Required parameter:\n"
    "  f=f1,f2,f3,f4      corner frequencies in Hz, f1 <= f2 <= f3 <= f4\n"
    "\n"
    "Optional parameter:\n"
    "  amps=a1,a2,a3,a4   amplitude at each corner (default 0,1,1,0)\n"
    "\n"
    "The amplitude is a1 below f1 and a4 above f4; between two corners it moves\n"
    "from one amplitude to the next along a sine-squared curve. With the default\n"
    "amplitudes the filter passes f2 to f3 unchanged, tapers to nothing at f1 and\n"
    "f4, and removes everything outside. The phase is not changed.\n"
    "\n"
    "The sample interval dt (microseconds) and the sample count ns come from each\n"
    "trace header; headers pass through unchanged. Each trace is padded with\n"
    "zeros to at least 1.5 times its length before the transform, so the filter\n"
    "does not wrap the end of a trace onto its start. Corners above the Nyquist\n"
    "frequency are allowed.\n";

}  // namespace

int SufilterMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValues(argc, argv, {"f", "amps"});
  if (!kv) {
    std::fprintf(err, "sufilter: %s\n", kv.error().c_str());
    return 1;
  }
  auto fit = kv->find("f");
  if (fit == kv->end()) {
    std::fprintf(err, "sufilter: f=f1,f2,f3,f4 is required\n");
    return 1;
  }
  auto f = ParseNumberList(fit->second);
  if (!f) {
    std::fprintf(err, "sufilter: f=: %s\n", f.error().c_str());
    return 1;
  }
  std::vector<double> amps;
  if (auto ait = kv->find("amps"); ait != kv->end()) {
    auto a = ParseNumberList(ait->second);
    if (!a) {
      std::fprintf(err, "sufilter: amps=: %s\n", a.error().c_str());
      return 1;
    }
    amps = *a;
  }
  auto desc = MakeBandpassSpec(*f, amps);
  if (!desc) {
    std::fprintf(err, "sufilter: %s\n", desc.error().c_str());
    return 1;
  }
  // Traces are independent: they are filtered on every processor, each
  // thread with its own work space and the transform plans shared.
  auto plans = std::make_shared<BandpassPlans>();
  auto make = [&]() -> SharedProcess {
    auto filter = std::make_shared<BandpassFilter>(*desc, plans);
    return [filter](StreamTrace& t, std::string& why) {
      Status st = filter->apply(t.samples.data(), t.ns, t.dt_seconds());
      if (!st) why = st.error;
      return st.ok();
    };
  };
  return RunTraceStreamShared("sufilter", in, out, err, 0, make);
}

}  // namespace keld::sutools
