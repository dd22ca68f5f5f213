#include "conversion/importers/records/record_run.hpp"

#include "common/files.hpp"

namespace keld::conversion {

RecordOutcome ConvertRecords(const RecordRun& run, const RecordReader& read) {
  RecordOutcome out;
  auto fail = [&](ImportError e) {
    out.error = std::move(e);
    return out;
  };
  if (run.output.empty() || run.output.find('*') != std::string::npos)
    return fail({0, "File name missing"});
  int records = run.records;
  if (records > kMaxRecords) {
    if (run.on_limit) run.on_limit();
    records = kMaxRecords;
  }
  if (records <= 0) return fail({kBadParameters, "No record to convert: the number of files must be 1 or more"});
  if (records > static_cast<int>(run.files.size()))
    return fail({kFileNotFound, std::to_string(records) + " records asked, but only " +
                                    std::to_string(run.files.size()) + " files are selected"});
  for (int r = 0; r < records; ++r)
    if (SameFile(run.files[r], run.output) || run.files[r] == run.output) return fail({0, "Same Input / Output"});

  SuWriter writer(run.output);
  if (!writer.is_open()) return fail({75, "Cannot write " + run.output + ": " + writer.error()});
  int ns = -1;
  for (int r = 1; r <= records; ++r) {
    if (run.on_record) run.on_record(r, records);
    const std::string& name = run.files[r - 1];
    auto bytes = ReadWholeFile(name);
    if (!bytes) return fail({kFileNotFound, bytes.error()});
    auto traces = read(Bytes(bytes->data(), bytes->size()), name, r);
    if (!traces) return fail(traces.error());
    for (const SuTrace& t : *traces) {
      if (ns < 0) ns = static_cast<int>(t.samples.size());
      if (static_cast<int>(t.samples.size()) != ns)
        return fail({kBadParameters, name + ": its traces hold " + std::to_string(t.samples.size()) +
                                         " samples, the earlier ones " + std::to_string(ns)});
      if (!writer.write(t)) return fail({75, "Cannot write " + run.output + ": " + writer.error()});
      ++out.traces;
    }
    ++out.records;
  }
  if (!writer.commit()) return fail({75, "Cannot write " + run.output + ": " + writer.error()});
  return out;
}

}  // namespace keld::conversion
