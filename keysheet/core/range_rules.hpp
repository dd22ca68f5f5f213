#pragma once
// The trace-range rules of the main window's two boxes, as settled results:
// the boxes' change handlers run these and set both boxes at once.
#include <cstdint>

namespace keld::keysheet {

// Largest number of trace columns in the grid window.
inline constexpr int64_t kGridTraces = 120;

struct TraceRange {
  int64_t first = 1;
  int64_t last = 1;
};

// Grid editor: the range is first ... first + 120, moved back so that it ends
// at the last trace, never starting below 1 (a file of 48 traces gives 1 ... 48
// whatever is typed).
TraceRange GridRange(double first_typed, int64_t traces);

// Spreadsheet editor: a first trace typed beyond the file becomes traces - 24
// (at least 1); anything else stays as typed.
bool SheetFirstTooLarge(double first_typed, int64_t traces);
int64_t SheetFirstAfterTooLarge(int64_t traces);

// The range a spreadsheet transfer covers: first at least 1, last at most the
// trace count. Empty (first > last) when the boxes name no trace of the file.
TraceRange SheetRange(double first_typed, double last_typed, int64_t traces);

// Number of trace columns of the grid for a file of `traces` traces.
int64_t GridColumns(int64_t traces);

}  // namespace keld::keysheet
