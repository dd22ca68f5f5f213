#pragma once
// The scan of an SU file for the velocity analysis: the header words that tell
// raw records from CDP gathers and stacked data, the geometry of the first
// trace, and one index of the cdp and fldr words of every trace, so that a
// gather or a record is found by search whatever its fold.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::velscan {

// The traces of each key of a file (a CDP or a record number): a key's
// gather is every trace that carries it, in file order, wherever it lies, so
// unsorted files and varying fold are found alike.
class KeyIndex {
 public:
  KeyIndex() = default;
  explicit KeyIndex(const std::vector<int32_t>& keys);

  struct Span {
    int32_t key = 0;
    std::vector<int64_t> traces;  // 0-based, increasing
  };
  // The gather of `wanted`, else of the smallest key above it; nothing when
  // `wanted` lies below the smallest or above the largest key.
  std::optional<Span> find(int32_t wanted) const;
  bool empty() const { return keys_.empty(); }
  size_t distinct() const { return keys_.size(); }
  int32_t min_key() const;
  int32_t max_key() const;

 private:
  struct Entry {
    int32_t key;
    size_t begin, count;  // into order_
  };
  std::vector<Entry> keys_;     // one per distinct key, sorted by key
  std::vector<int64_t> order_;  // trace numbers grouped by key
};

struct ScanInfo {
  SuLayout layout;
  int32_t first_fldr = 0, last_fldr = 0;
  int32_t first_cdp = 0, last_cdp = 0;
  int16_t nhs12 = 0;                  // nhs of trace 12 (0 in a shorter file)
  int32_t tracf[3] = {0, 0, 0};       // tracf of traces 1 to 3 (0 when missing)
  int detected_per_record = 0;        // first drop of tracf in the first 201 traces, else 0
  int16_t scalco = 0;                 // of trace 1
  int32_t offset = 0;                 // of trace 1, as stored
  int32_t spacing_word = 0;           // the 32-bit word at byte 188 of trace 1
  std::vector<int32_t> cdp, fldr;     // of every trace
  KeyIndex cdp_index, fldr_index;
};

// Reads every header of the file. Fails with a message naming the file when
// it cannot be read as SU.
Result<ScanInfo> ScanSuFile(const std::string& path);

// A value scaled by a coordinate scalar: above 0 multiplies, below 0 divides.
double ApplyScalco(double v, int16_t scalco);

// The receiver spacing of the word at byte 188, after the coordinate scalar:
// the word as a 32-bit integer (as keysheet writes it) when that is a
// plausible spacing, 1 cm <= s <= 10,000 m; else the same four bytes as a float
// (the d2 of the importers and other SU writers) when that is one; else 0,
// "not set", so that the spacing is asked.
double ReceiverSpacing(int32_t word, int16_t scalco);

// The middle of a range, halves to even: the CDP proposed first.
int32_t MiddleKey(int32_t first, int32_t last);

}  // namespace keld::velscan
