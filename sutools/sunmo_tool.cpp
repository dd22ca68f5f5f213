#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "sutools/args.hpp"
#include "sutools/nmo.hpp"
#include "sutools/su_stream.hpp"
#include "sutools/stack_tools.hpp"
#include "sutools/trace_batch.hpp"

namespace keld::sutools {

namespace {

const char* const kDoc =
    "SUNMO - normal moveout correction of SU traces with picked velocities\n"
    "\n"
    "  sunmo <stdin >stdout [cdp=c1,c2,...] tnmo=t1,t2,... vnmo=v1,v2,...\n"
    "        [tnmo=... vnmo=... once for each cdp] [smute=1.5] [lmute=25]\n"
    "        [sscale=1]\n"
    "\n"
    "Parameters:\n"
    "  tnmo=     NMO times (s) of one velocity function, increasing (default 0)\n"
    "  vnmo=     NMO velocities (m/s) at those times, positive (default 1500);\n"
    "            without cdp= a single vnmo= alone is a constant velocity\n"
    "  cdp=      the CDPs of the functions: the j-th tnmo/vnmo pair belongs to\n"
    "            the j-th cdp; with one function cdp= may be left out\n"
    "  smute=    samples before the first one stretched by no more than this\n"
    "            factor are zeroed (1.5)\n"
    "  lmute=    length in samples of the linear ramp from that sample (25)\n"
    "  sscale=1  divide each output sample by its stretch (sscale=0: do not)\n"
    "\n"
    "Velocities are interpolated linearly in time between picks and held\n"
    "constant outside them; between two picked CDPs 1/v^2 is interpolated\n"
    "linearly, and held constant outside them. The offset word is used as\n"
    "stored; the first sample lies at delrt (ms) and dt (us) comes from each\n"
    "trace header. Output time t0 takes the input at sqrt(t0^2 + offset^2/v^2),\n"
    "interpolated from the eight samples around it (0 outside the trace, so\n"
    "the trace tapers off over the last few samples instead of stopping).\n";

int Fail(std::FILE* err, const std::string& why) {
  std::fprintf(err, "sunmo: %s\n", why.c_str());
  return 1;
}

}  // namespace

int SunmoMain(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
  return SunmoMainThreads(argc, argv, in, out, err, 0);
}

int SunmoMainThreads(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err,
                     unsigned threads) {
  if (WantsSelfDoc(argc, in)) {
    std::fputs(kDoc, out);
    return 1;
  }
  auto kv = ParseKeyValueList(argc, argv, {"cdp", "tnmo", "vnmo", "smute", "lmute", "sscale"});
  if (!kv) return Fail(err, kv.error());
  NmoParams p;
  std::vector<double> cdps;
  std::vector<std::vector<double>> tnmo, vnmo;
  for (const auto& [key, value] : kv.value()) {
    if (key == "tnmo" || key == "vnmo" || key == "cdp") {
      auto list = ParseNumberList(value);
      if (!list) return Fail(err, key + "=: " + list.error());
      if (key == "cdp")
        cdps = *list;
      else
        (key == "tnmo" ? tnmo : vnmo).push_back(*list);
      continue;
    }
    auto v = ParseNumber(value);
    if (!v) return Fail(err, key + "=: " + v.error());
    if (key == "smute") {
      if (!(*v > 0)) return Fail(err, "smute=" + value + ": the stretch mute must be positive");
      p.smute = *v;
    } else if (key == "lmute") {
      if (*v < 0 || *v != std::floor(*v) || *v > 1e6) return Fail(err, "lmute=" + value + ": give a whole number of samples");
      p.lmute = static_cast<int>(*v);
    } else if (key == "sscale") {
      if (*v != 0 && *v != 1) return Fail(err, "sscale=" + value + ": give sscale=1 or sscale=0");
      p.sscale = *v == 1;
    }
  }
  auto velocities = NmoVelocities::Make(cdps, tnmo, vnmo);
  if (!velocities) return Fail(err, velocities.error());

  // Traces are independent: each thread corrects its share of a batch with
  // its own work space and the slowness of the last CDP it met, reused while
  // the CDP and the time axis stay.
  const NmoVelocities& v = *velocities;
  auto make = [&v, p]() -> TraceProcess {
    struct State {
      std::vector<float> s2, corrected;
      int64_t cdp = 0;
      int ns = -1, dt = 0, delrt = 0;
      NmoWork work;
    };
    auto st = std::make_shared<State>();
    return [&v, p, st](TraceRef& t, std::string&) {
      State& s = *st;
      const int32_t cdp = get_i32le(t.header + 20);
      const int32_t offset = get_i32le(t.header + 36);
      const int delrt = get_i16le(t.header + 108);
      if (cdp != s.cdp || t.ns != s.ns || t.dt_us != s.dt || delrt != s.delrt) {
        v.SlownessSquared(cdp, t.ns, t.dt_seconds(), delrt * 1e-3, s.s2);
        s.cdp = cdp;
        s.ns = t.ns;
        s.dt = t.dt_us;
        s.delrt = delrt;
      }
      s.corrected.resize(static_cast<size_t>(t.ns));
      ApplyNmo(t.samples, s.corrected.data(), t.ns, t.dt_seconds(), delrt * 1e-3, offset, s.s2.data(), p, s.work);
      std::copy(s.corrected.begin(), s.corrected.end(), t.samples);
      return true;
    };
  };
  return RunTraceStreamBatched("sunmo", in, out, err, threads, make);
}

}  // namespace keld::sutools
