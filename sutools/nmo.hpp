#pragma once
// Normal-moveout correction with velocity functions picked at CDPs, as the
// sort-NMO-stack batch runs it and the velocity analysis shows it.
//
// Velocities of one CDP are interpolated linearly in time between its picks
// and held constant before the first and after the last. Between two picked
// CDPs the slowness squared (1/v^2) is interpolated linearly in CDP number,
// and held at the nearest picked CDP outside them. Each output time t0 takes
// the input at t = sqrt(t0^2 + offset^2 / v(t0)^2), interpolated from the
// eight samples around it, the trace taken as 0 outside itself (so a time up
// to four samples past the end still takes what the last samples give it,
// and the trace tapers off there). The stretch of output sample k is
// 1 / a(k), a(k) the input samples it spans (the step from sample k - 1;
// from sample 0 to 1 for the first). The first sample not stretched beyond
// `smute` and every sample after it survive, those before it are zeroed; the
// lmute samples from it rise linearly (the j-th from it by (j + 1) / lmute),
// and with `sscale` each surviving sample is multiplied by a(k).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/result.hpp"

namespace keld::sutools {

struct NmoParams {
  double smute = 1.5;
  int lmute = 25;
  bool sscale = true;
};

class NmoVelocities {
 public:
  // One function for every CDP (tnmo and vnmo of equal length), or one a CDP
  // with `cdps` naming them in the order of the functions. Fails with the
  // reason: counts that differ, times that do not increase, a velocity <= 0,
  // a CDP named twice. Without `cdps`, tnmo missing is the one time 0 and
  // vnmo missing the one velocity 1500 m/s.
  static Result<NmoVelocities> Make(const std::vector<double>& cdps, const std::vector<std::vector<double>>& tnmo,
                                    const std::vector<std::vector<double>>& vnmo);

  // 1/v^2 at each of ns output times tmin + k dt (seconds) for this CDP.
  void SlownessSquared(int64_t cdp, int ns, double dt, double tmin, std::vector<float>& out) const;

 private:
  struct Function {
    std::vector<double> t, v;
  };
  double velocity(const Function& f, double t) const;
  std::map<int64_t, Function> functions_;  // by CDP; a single function sits at key 0
  bool single_ = true;
};

// Work space of one correction, kept between traces.
struct NmoWork {
  std::vector<float> pos;  // input position of each output sample, in samples
};

// Corrects ns samples `in` (first sample at tmin, interval dt, seconds) of a
// trace at `offset` (as stored, metres) with the slowness squared s2 of each
// output time, into `out` (ns samples, not aliasing `in`).
void ApplyNmo(const float* in, float* out, int ns, double dt, double tmin, double offset, const float* s2,
              const NmoParams& p, NmoWork& work);

}  // namespace keld::sutools
