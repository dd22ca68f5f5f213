#pragma once
// Comma-separated columns of sample values: one line per sample, one column
// per trace, trace 1 first. Read from text into SU traces with the header
// words of the ASCII importer window.
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/result.hpp"
#include "common/su_file.hpp"

namespace keld::conversion {

// Every value of the text in reading order: fields separated by commas or
// line ends (LF or CR LF), blanks around a field ignored, blank lines skipped.
// Fails naming the line and field of a field that is not a number.
Result<std::vector<float>> ReadColumnValues(std::string_view text);

// The trace count that `values` values of `ns` samples make: values / ns,
// rounded to the nearest whole number (halves to even); 0 when ns <= 0.
int64_t ColumnTraces(int64_t values, int ns);

struct ColumnParams {
  int ns = 0;       // samples per trace (rows used)
  int traces = 0;   // columns used
  int dt = 0;       // the sample-rate box, written unchanged into dt
  bool radar = false;
};

// Value k (from 0) is sample k / traces of trace k % traces. Fails when the
// values are fewer than ns x traces (nothing is padded), or a count is < 1.
Result<std::vector<SuTrace>> ImportColumns(const std::vector<float>& values, const ColumnParams& p);

}  // namespace keld::conversion
