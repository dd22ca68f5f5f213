#pragma once
// Whether a conversion through the Seismic Unix programs converted its input
// whole, and how the window says so when it did not: which file, how many
// traces were expected, how many were written, and the programs' own warning
// lines. "OK" is said only when every input came through whole.
#include <cstdint>
#include <string>
#include <vector>

namespace keld::conversion {

// The traces a conversion of an input of `whole` traces (and a cut one after
// them when `cut`) must give: all of them, or those of trmin..trmax when both
// are non-zero (as the batch lines pass a range). A cut trace counts, so that
// a cut file never passes for a whole one.
int64_t ExpectedTraces(int64_t whole, bool cut, int64_t trmin, int64_t trmax);

// The lines of a batch's output that warn ("warning" in any case), as printed.
std::vector<std::string> WarningLines(const std::string& output);

// "<file>: <expected> traces expected, <written> written", then each warning
// line on a line of its own.
std::string ShortfallText(const std::string& file, int64_t expected, int64_t written,
                          const std::vector<std::string>& warnings);

// The closing text of a run some of whose inputs did not come through whole.
inline constexpr const char* kCheckFile = " You must check file and file size";

}  // namespace keld::conversion
