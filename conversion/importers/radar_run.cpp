#include "conversion/importers/radar_run.hpp"

#include <vector>

namespace keld::conversion {

RadarOutcome ConvertRadar(const std::string& input, RecordRun run, const RadarPlanner& plan) {
  RadarOutcome out;
  run.files = {input};
  run.records = 1;
  run.limit = false;
  out.run = ConvertRecords(run, [&](RecordSource& file, const std::string& name, int, const TraceSink& give) -> ReadEnd {
    auto p = plan(file.size());
    if (!p) return ImportError{0, name + ": " + p.error()};
    out.plan = *p;
    std::vector<uint8_t> trace(static_cast<size_t>(p->trace_bytes));
    for (int64_t i = 1; i <= p->count; ++i) {
      if (!file.read((i - 1) * p->trace_bytes, trace.size(), trace.data())) return Unreadable(name);
      auto t = RadarTrace(*p, i, trace.data());
      if (!t) return ImportError{0, name + ": " + t.error()};
      if (ReadEnd e = give(t->header, t->samples)) return e;
    }
    return std::nullopt;
  });
  return out;
}

}  // namespace keld::conversion
