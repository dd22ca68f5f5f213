#include "conversion/importers/radar.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/bytes.hpp"
#include "common/numtext.hpp"
#include "conversion/importers/su_output.hpp"

namespace keld::conversion {

std::optional<int> RadarDt(double interval_ns) {
  const double dt = std::nearbyint(1000.0 * interval_ns);
  if (!std::isfinite(dt) || dt < 0 || dt > 32767) return std::nullopt;
  return static_cast<int>(dt);
}

namespace {

bool Whole(double v) { return std::fabs(v - std::nearbyint(v)) <= 1e-9 * std::max(1.0, std::fabs(v)); }

}  // namespace

std::string RadarDtNote(double interval_ns, int dt) {
  if (Whole(1000.0 * interval_ns)) return "";
  return "sample interval " + CStr(interval_ns) + " ns written as " + CStr(dt / 1000.0) +
         " ns: SU holds whole picoseconds in dt";
}

std::string SeismicDtNote(double interval_us, int dt) {
  if (Whole(interval_us)) return "";
  return "sample interval " + CStr(interval_us) + " us written as " + std::to_string(dt) +
         " us: SU holds whole microseconds";
}

namespace {

Result<int32_t> Position(int64_t i, double spacing) {
  const double x = std::nearbyint(static_cast<double>(i - 1) * spacing);
  if (!std::isfinite(x) || x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max())
    return Result<int32_t>::failure("the position of trace " + std::to_string(i) + " does not fit its header word");
  return static_cast<int32_t>(x);
}

// The checks both formats share; the count of traces the file holds.
Result<int64_t> Check(const RadarParams& p, int64_t file_bytes, int64_t trace_bytes, const char* what) {
  using R = Result<int64_t>;
  if (p.ns < 1) return R::failure("The number of samples per trace must be at least 1");
  if (p.t0 < 0 || p.t0 >= p.ns)
    return R::failure("Time zero at point " + std::to_string(p.t0) + " leaves no sample of the " +
                      std::to_string(p.ns) + " samples of a trace");
  if (p.traces < 1) return R::failure("The number of traces must be at least 1");
  const int64_t held = file_bytes / trace_bytes;
  if (held == 0)
    return R::failure(std::string("The ") + what + " file holds no whole trace of " + std::to_string(p.ns) +
                      " samples");
  return held;
}

// Says what the dt word and the position words change: the interval in
// whole picoseconds, positions (every `spacing`) in whole numbers.
void NoteRounding(std::vector<std::string>& notes, const RadarParams& p, int dt, int64_t count) {
  if (std::string dt_note = RadarDtNote(p.interval_ns, dt); !dt_note.empty()) notes.push_back(dt_note);
  for (int64_t i = 2; i <= count; ++i)
    if (!Whole(static_cast<double>(i - 1) * p.spacing)) {
      notes.push_back("trace positions every " + CStr(p.spacing) +
                      " written rounded to whole numbers: SU's position words hold whole numbers");
      break;
    }
}

// What was left out first: that is what the user must hear before anything.
std::string Shortfall(int64_t asked, int64_t held) {
  const std::string first = std::to_string(held + 1), last = std::to_string(asked);
  return (held + 1 == asked ? "Trace " + last : "Traces " + first + " to " + last) + " left out: " + last +
         " traces asked but the file holds only " + std::to_string(held);
}

void Samples(const uint8_t* p, const RadarParams& rp, std::vector<float>& out) {
  const int n = rp.ns - rp.t0;
  out.resize(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) out[static_cast<size_t>(k)] = get_i16le(p + 2 * (rp.t0 + k));
}

}  // namespace

std::string NotesText(const std::vector<std::string>& notes) {
  std::string s;
  for (const std::string& n : notes) s += "\r\n" + n;
  return s;
}

namespace {

// The plan both formats share, once the dt word is known.
Result<RadarPlan> Plan(const RadarParams& p, int dt, int64_t file_bytes, int64_t header_bytes, const char* what) {
  using R = Result<RadarPlan>;
  RadarPlan plan;
  plan.p = p;
  plan.dt = dt;
  plan.header_bytes = header_bytes;
  plan.trace_bytes = header_bytes + 2 * static_cast<int64_t>(std::max(p.ns, 1));
  auto held = Check(p, file_bytes, plan.trace_bytes, what);
  if (!held) return R::failure(held.error());
  plan.count = std::min<int64_t>(p.traces, *held);
  if (plan.count < p.traces) plan.shortfall = Shortfall(p.traces, *held);
  NoteRounding(plan.notes, p, dt, plan.count);
  return plan;
}

Result<SuTraceHeader> RamacHeader(const RadarPlan& plan, int64_t i, int32_t x) {
  FullShape w;
  w.tracl = w.tracr = w.tracf = w.cdp = w.cdpt = static_cast<int32_t>(i);
  w.fldr = 1;
  w.ep = w.offset = w.sx = w.gx = x;
  w.trid = 1;
  w.nhs = 95;
  w.scalco = 1;
  w.ns = plan.p.ns - plan.p.t0;
  w.dt = plan.dt;
  w.year = plan.stamp.year, w.day = plan.stamp.day, w.hour = plan.stamp.hour, w.minute = plan.stamp.minute;
  HeaderAdditions add;
  add.d1 = add.d2 = static_cast<float>(plan.p.spacing);
  return MakeFullHeader(w, add);
}

Result<SuTraceHeader> Dt1Header(const RadarPlan& plan, int64_t i, int32_t x) {
  ShortShape w;
  w.tracl = w.tracr = w.tracf = w.cdp = static_cast<int32_t>(i);
  w.fldr = 1;
  w.trid = w.nvs = w.duse = 1;
  w.nhs = 95;
  w.ns = plan.p.ns - plan.p.t0;
  w.dt = plan.dt;
  HeaderAdditions add;
  add.sx = x;
  return MakeShortHeader(w, add);
}

Result<RadarImport> ImportAll(const Result<RadarPlan>& plan, std::span<const uint8_t> file) {
  using R = Result<RadarImport>;
  if (!plan) return R::failure(plan.error());
  RadarImport out;
  out.shortfall = plan->shortfall;
  out.notes = plan->notes;
  out.traces.reserve(static_cast<size_t>(plan->count));
  for (int64_t i = 1; i <= plan->count; ++i) {
    auto t = RadarTrace(*plan, i, file.data() + (i - 1) * plan->trace_bytes);
    if (!t) return R::failure(t.error());
    out.traces.push_back(std::move(*t));
  }
  return out;
}

}  // namespace

Result<RadarPlan> PlanRamac(const RadarParams& p, int64_t file_bytes, const DateWords& stamp) {
  auto dt = RadarDt(p.interval_ns);
  if (!dt || *dt == 0) return Result<RadarPlan>::failure("The sample interval must be between 0.0005 and 32.767 ns");
  auto plan = Plan(p, *dt, file_bytes, 0, "RAMAC");
  if (plan) plan->stamp = stamp;
  return plan;
}

Result<RadarPlan> PlanDt1(const RadarParams& p, int64_t file_bytes) {
  auto dt = RadarDt(p.interval_ns);
  if (!dt) return Result<RadarPlan>::failure("The sample interval must be at most 32.767 ns");
  auto plan = Plan(p, *dt, file_bytes, 128, "DT1");
  if (plan) plan->dt1 = true;
  return plan;
}

Result<SuTrace> RadarTrace(const RadarPlan& plan, int64_t i, const uint8_t* trace) {
  using R = Result<SuTrace>;
  auto x = Position(i, plan.p.spacing);
  if (!x) return R::failure(x.error());
  auto h = plan.dt1 ? Dt1Header(plan, i, *x) : RamacHeader(plan, i, *x);
  if (!h) return R::failure(h.error());
  // Each DT1 trace header gives its own number of points (a float at byte 8):
  // a trace of another length would shift every later one.
  if (plan.dt1)
    if (const float points = get_f32le(trace + 8); points != static_cast<float>(plan.p.ns))
      return R::failure("trace " + std::to_string(i) + " gives " + CStr(points) +
                        " points per trace in its header, the .HD file " + std::to_string(plan.p.ns));
  SuTrace t;
  t.header = *h;
  Samples(trace + plan.header_bytes, plan.p, t.samples);
  return t;
}

Result<RadarImport> ImportRamac(std::span<const uint8_t> rd3, const RadarParams& p, const DateWords& stamp) {
  return ImportAll(PlanRamac(p, static_cast<int64_t>(rd3.size()), stamp), rd3);
}

Result<RadarImport> ImportDt1(std::span<const uint8_t> dt1, const RadarParams& p) {
  return ImportAll(PlanDt1(p, static_cast<int64_t>(dt1.size())), dt1);
}

}  // namespace keld::conversion
