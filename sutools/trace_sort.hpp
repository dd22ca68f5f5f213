#pragma once
// The order of the traces of an SU stream held in memory, by header keys:
// each key a header word compared as a number of its own type, ascending, or
// descending when written with a leading '-'. Equal keys keep the stream's
// order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_header.hpp"

namespace keld::sutools {

struct SortKey {
  HeaderField field;
  bool descending = false;
};

// "cdp", "+cdp", "-offset"; fails on a word that names no header field.
Result<SortKey> ParseSortKey(const std::string& word);

struct TraceSpan {
  size_t start = 0;   // byte offset of the trace in the stream
  size_t bytes = 0;   // 240 + 4 ns
};

// The traces of the stream in sorted order. Fails with the trace and the
// reason when the stream is not whole SU traces (ns or dt not positive, a
// trace cut short) or holds no trace.
Result<std::vector<TraceSpan>> SortTraces(const uint8_t* data, size_t size, const std::vector<SortKey>& keys);

}  // namespace keld::sutools
