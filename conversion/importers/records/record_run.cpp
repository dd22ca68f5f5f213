#include "conversion/importers/records/record_run.hpp"

#include <algorithm>

namespace keld::conversion {

RecordOutcome ConvertRecords(const RecordRun& run, const RecordReader& read) {
  RecordOutcome out;
  auto fail = [&](ImportError e) {
    out.error = std::move(e);
    return out;
  };
  int records = run.records;
  if (run.limit && LimitRecords(records)) {
    out.left_out = static_cast<int>(std::max<int64_t>(
        0, std::min<int64_t>(run.records, static_cast<int64_t>(run.files.size())) - kMaxRecords));
    if (run.on_limit) run.on_limit();
  }
  if (records <= 0) return fail({kBadParameters, "No record to convert: the number of files must be 1 or more"});
  if (records > static_cast<int>(run.files.size()))
    return fail({kFileNotFound, std::to_string(records) + " records asked, but only " +
                                    std::to_string(run.files.size()) + " files are selected"});
  const std::vector<std::string> inputs(run.files.begin(), run.files.begin() + records);
  ImportWriter writer(run.output, inputs);
  if (!writer.ok()) return fail({0, writer.error()});
  const TraceSink give = [&](const SuTraceHeader& h, const std::vector<float>& samples) -> ReadEnd {
    if (!writer.add(h, samples)) return ImportError{kOverflow, writer.error()};
    ++out.traces;
    if (run.on_trace) run.on_trace(out.traces);
    return std::nullopt;
  };
  for (int r = 1; r <= records; ++r) {
    if (run.on_record) run.on_record(r, records);
    const std::string& name = run.files[r - 1];
    // The one place the run may stop: the record's source asks `go_on`
    // before it opens the file and before each of its reads.
    FileSource file(name, run.go_on);
    const ReadEnd end = file.ok() ? read(file, name, r, give) : ImportError{kFileNotFound, file.error()};
    if (file.stopped()) {
      out.stopped = true;
      return out;
    }
    if (end) return fail(*end);
    ++out.records;
  }
  if (!writer.commit()) return fail({75, writer.error()});
  return out;
}

std::string LeftOutText(int left_out, const std::string& output) {
  const std::string first = std::to_string(kMaxRecords + 1), last = std::to_string(kMaxRecords + left_out);
  return (left_out == 1 ? "Record " + last : "Records " + first + " to " + last) + " left out: " + kMaximumRecords +
         "\r\n" + output + " holds the first " + std::to_string(kMaxRecords);
}

}  // namespace keld::conversion
