#pragma once
// Whether a conversion through the Seismic Unix programs converted its input
// whole, and how the window says so when it did not: which file, how many
// traces were expected, how many were written, and the programs' own warning
// lines. "OK" is said only when every input came through whole.
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.hpp"

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

// The message of a run that left out inputs or traces: first what was left
// out (one line each), then what became of the output: written (a name that
// was free; kCheckFile closes the text) or kept as it was (an output that
// existed is never replaced by one that lacks part of its inputs).
std::string LeftOutText(const std::vector<std::string>& left_out, const std::string& output, bool written);

// Gives the checked `part` the name `output` when it holds every input
// (`whole`) or when no file of that name exists: an old output is never
// replaced by one that lacks part of its inputs. Says whether it was
// written (false: the old one kept, `part` left to its run), or why the
// move failed.
Result<bool> PlaceOutput(const std::string& part, const std::string& output, bool whole);

// The message of a run the user stopped: what was stopped, then that the
// output was kept as it was (when it exists) or not written.
std::string StoppedText(const std::string& what, const std::string& output);

// `text` with every mention of a temporary file (its path, then its bare
// name) replaced by the user's file it stands for: the programs and checks
// that ran on a run's temporaries speak of them, the user knows the file.
struct StandsFor {
  std::string temporary, user;
};
std::string UserNames(std::string text, const std::vector<StandsFor>& names);

}  // namespace keld::conversion
