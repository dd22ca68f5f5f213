#pragma once
// A record read from bytes in memory through a format's streaming reader, its
// traces collected: for the tests and the fuzzer. `read` is the reader,
// called with the bytes as its source, then `args` (the file's name, the
// values, the record number as that reader takes them), then the sink.
#include <optional>
#include <vector>

#include "conversion/importers/records/record_import.hpp"
#include "conversion/importers/records/record_source.hpp"

namespace keld::conversion::testing {

template <typename Reader, typename... Args>
Imported<std::vector<SuTrace>> Collect(Reader read, Bytes file, const Args&... args) {
  SpanSource source(file);
  std::vector<SuTrace> traces;
  const TraceSink keep = [&](const SuTraceHeader& h, const std::vector<float>& samples) -> ReadEnd {
    traces.push_back({h, samples});
    return std::nullopt;
  };
  if (ReadEnd end = read(source, args..., keep)) return *end;
  return traces;
}

}  // namespace keld::conversion::testing
