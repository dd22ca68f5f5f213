#include "conversion/importers/records/record_run.hpp"

#include "common/files.hpp"

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
  for (int r = 1; r <= records; ++r) {
    if (run.on_record) run.on_record(r, records);
    const std::string& name = run.files[r - 1];
    auto bytes = ReadWholeFile(name);
    if (!bytes) return fail({kFileNotFound, bytes.error()});
    auto traces = read(Bytes(bytes->data(), bytes->size()), name, r);
    if (!traces) return fail(traces.error());
    for (const SuTrace& t : *traces) {
      if (!writer.add(t.header, t.samples)) return fail({kOverflow, writer.error()});
      ++out.traces;
    }
    ++out.records;
  }
  if (!writer.commit()) return fail({75, writer.error()});
  return out;
}

}  // namespace keld::conversion
