#pragma once
// The order of the traces of an SU stream by header keys: each key a header
// word compared as a number of its own type, ascending, or descending when
// written with a leading '-'. Equal keys keep the stream's order.
//
// Only the keys and where each trace lies are kept, within a memory budget:
// past it, sorted runs of them go to a scratch file and are merged at the
// end, so the memory a sort takes does not grow with its input.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_header.hpp"
#include "sutools/spool_file.hpp"

namespace keld::sutools {

struct SortKey {
  HeaderField field;
  bool descending = false;
};

// "cdp", "+cdp", "-offset"; fails on a word that names no header field.
Result<SortKey> ParseSortKey(const std::string& word);

struct TraceSpan {
  uint64_t start = 0;  // byte offset of the trace in the stream
  size_t bytes = 0;    // 240 + 4 ns
};

// What a sort holds in memory unless told otherwise: the keys of about a
// million traces of two keys.
constexpr size_t kDefaultSortMemory = size_t{32} << 20;

class TraceOrder {
 public:
  // `memory`: the most bytes the keys may take (at least what 64 traces take).
  explicit TraceOrder(std::vector<SortKey> keys, size_t memory = kDefaultSortMemory);
  // The next trace of the stream: its header, where it starts, its samples.
  // False (with error()) when a sorted run cannot be written out.
  bool add(const uint8_t* header, uint64_t start, int ns);
  // Hands every trace added to `visit` in sorted order, until `visit` gives
  // false. False when it did, or (with error()) when a run cannot be read.
  bool forEach(const std::function<bool(const TraceSpan&)>& visit);
  uint64_t count() const { return count_; }
  // Sorted runs written out so far (none while the keys fit in memory).
  size_t runs() const { return runs_.size(); }
  const std::string& error() const { return error_; }

 private:
  bool spill();
  void sortChunk();
  bool merge(const std::function<bool(const TraceSpan&)>& visit);
  std::vector<SortKey> keys_;
  size_t width_;     // words of a record: one per key, then start and ns
  size_t capacity_;  // records held in memory at once
  std::vector<uint64_t> words_;
  std::vector<uint32_t> order_;
  struct Run {
    uint64_t first, records;  // in records of the scratch file
  };
  std::vector<Run> runs_;
  SpoolFile scratch_;
  uint64_t count_ = 0;
  std::string error_;
};

}  // namespace keld::sutools
