#include "conversion/importers/records/record_run.hpp"

namespace keld::conversion {

RecordOutcome ConvertRecords(const RecordRun& run, const RecordReader& read) {
  RecordOutcome out;
  auto fail = [&](ImportError e) {
    out.error = std::move(e);
    return out;
  };
  int records = run.records;
  if (run.limit && LimitRecords(records) && run.on_limit) run.on_limit();
  if (records <= 0) return fail({kBadParameters, "No record to convert: the number of files must be 1 or more"});
  if (records > static_cast<int>(run.files.size()))
    return fail({kFileNotFound, std::to_string(records) + " records asked, but only " +
                                    std::to_string(run.files.size()) + " files are selected"});
  const std::vector<std::string> inputs(run.files.begin(), run.files.begin() + records);
  ImportWriter writer(run.output, inputs);
  if (!writer.ok()) return fail({0, writer.error()});
  auto go_on = [&] {
    if (!out.stopped && run.go_on && !run.go_on()) out.stopped = true;
    return !out.stopped;
  };
  bool written = true;  // the last trace went into the output
  const TraceSink give = [&](const SuTraceHeader& h, const std::vector<float>& samples) {
    written = writer.add(h, samples);
    if (!written) return false;
    ++out.traces;
    if (run.on_trace) run.on_trace(out.traces);
    return go_on();
  };
  for (int r = 1; r <= records; ++r) {
    if (run.on_record) run.on_record(r, records);
    if (!go_on()) return out;
    const std::string& name = run.files[r - 1];
    FileSource file(name, go_on);
    if (!file.ok()) return fail({kFileNotFound, file.error()});
    const ReadEnd end = read(file, name, r, give);
    // Who ended the reading says what happened: a stop, the output, or the record.
    if (out.stopped) return out;
    if (!written) return fail({kOverflow, writer.error()});
    if (end) return fail(*end);
    ++out.records;
  }
  if (!writer.commit()) return fail({75, writer.error()});
  return out;
}

}  // namespace keld::conversion
