#pragma once
// The sort-NMO-stack batch of the picks: its one command line, its run by
// /bin/sh, the check of its output, and the history file of the output.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "platform/pump.hpp"
#include "velscan/engine/picks.hpp"

namespace keld::velscan {

struct BatchLineInput {
  std::string tools_folder;  // prefix of SUSORT, SUNMO, SUSTACK ("" for none)
  std::string input, output;
  double smute = 1.5;
  std::vector<Pick> picks;   // sorted by CDP, then time
};

// The distinct CDPs, the tnmo= (seconds) and vnmo= lists of each, as the
// NMO program takes them: " cdp=101,105" and " tnmo=.25,.4 vnmo=1500,1700 ...".
std::string CdpList(const std::vector<Pick>& picks);
std::string VelocityLists(const std::vector<Pick>& picks);

// The name of a program in the tools folder: upper case as the batch has
// always named it, lower case when only that is there (a Seismic Unix
// installation of its own).
std::string ToolName(const std::string& folder, const std::string& upper);

// SUSORT <IN cdp offset | SUNMO smute=S cdp=... tnmo=... vnmo=... | SUSTACK >OUT key=cdp,
// every path quoted for the shell.
std::string BuildBatchLine(const BatchLineInput& in);

// The file a batch line writes: the word after its last ">" outside quotes
// (the shell's quoting undone), and where that word stands in the line.
struct LineOutput {
  std::string path;
  size_t begin = 0, end = 0;
};
std::optional<LineOutput> FindLineOutput(const std::string& line);
// The line with that word replaced by `output`, quoted for the shell; the
// line unchanged when it writes no file.
std::string ReplaceLineOutput(const std::string& line, const std::string& output);

struct BatchOutcome {
  bool started = false;
  bool cancelled = false;
  int status = -1;        // exit status of the shell
  std::string messages;   // what the programs wrote on their error output
};

// Runs `sh BATCH` in `workdir` and waits, handing control to `pump` between
// looks; once `cancelled` says so, the batch and everything it started are
// stopped (SIGTERM, then SIGKILL for what ignores it) and waited for.
BatchOutcome RunBatchFile(const std::string& batch, const std::string& workdir, EventPump& pump,
                          const std::function<bool()>& cancelled);

// The output of a run: an SU file of whole traces, at least one.
Status CheckStackOutput(const std::string& path);

// The history of an SU file: its name with the last extension, ".su" in any
// case, replaced by ".txt". Fails for a name without that extension.
Result<std::string> HistoryName(const std::string& su_path);

// Where a history went: beside the output, or, when it could not be written
// there, in `fallback_folder`, with why not.
struct HistoryWritten {
  std::string path;
  std::string trouble;  // empty when the history lies beside the output
};
// The history of `output`: the input's history (or a line saying there is
// none), then `ordre`, each ending in CR LF; written beside the output and
// renamed, else into `fallback_folder` (none when empty). Fails with the
// reason when it could be written nowhere.
Result<HistoryWritten> Ecriture_History(const std::string& input, const std::string& output, const std::string& ordre,
                                        const std::string& fallback_folder);
// The text Ecriture_History writes.
std::string HistoryText(const std::string& input, const std::string& ordre);

}  // namespace keld::velscan
