#pragma once
// Joining files of one seismic line into one: each input is copied whole,
// one after the other, into a file written beside the output and renamed over
// it when complete. Inputs are deleted, when asked, only once the complete
// output has been read back and holds their bytes. Headers and samples are
// not touched. Each program's window keeps its own texts around it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace keld {

struct JoinResult {
  bool ok = false;
  std::string error;                     // why nothing was written (when !ok)
  std::string output;
  int64_t size = 0;                      // length of the written output
  std::vector<std::string> unreadable;   // inputs that could not be read or joined: not in the output
  std::vector<std::string> reasons;      // why, for each of them ("" when it could not be read)
  std::vector<bool> refused;             // for each of them: read, and refused for what it holds
  std::vector<std::string> deleted;      // inputs deleted after their bytes were found in the output
  std::vector<std::string> not_deleted;  // inputs to delete that were kept (check or removal failed)
};

// Copies `inputs` one after the other into `output`, written beside it and
// renamed over it when complete. Refuses (writes nothing) with "File name
// missing" for an empty output name, "Same Input / Output" when the output is
// one of the inputs, and a message when there is no input or none could be
// joined. An input that cannot be read, or is no little-endian SU file of whole
// traces of one length (each trace is checked as it is copied), is left out
// and named in the result, with the reason;
// the join is then written only where no file of the output's name exists
// (an old output is never replaced by a join that lacks some of its inputs:
// not ok, and the error says first what was left out).
// With `delete_inputs`, each copied input is deleted only after the output
// is complete and its bytes have been read back equal from it.
// `progress(i, n)` is called before input i (from 1) of n. When `stopped`
// says so (checked between inputs and between pieces of one), the join ends
// with kJoinStopped: nothing written, nothing deleted.
JoinResult JoinSuFiles(const std::vector<std::string>& inputs, const std::string& output, bool delete_inputs,
                       const std::function<void(int, int)>& progress = {},
                       const std::function<bool()>& stopped = {});
inline constexpr const char* kJoinStopped = "Join stopped: nothing written";

// The inputs left out, one a line, each with its reason when it has one:
// under "Not added (could not be read):" those that could not be read,
// under "Not added (refused):" those read and refused.
std::string JoinLeftOutText(const JoinResult& r);
// After an output's name, when a run that left inputs out found an old
// output there: the old one stays.
inline constexpr const char* kKeptWithoutThem = " kept as it was: the new file lacks them and was not written";
// What a join tells its user: "<output> has been recorded OK size: N" when
// every input is in it; otherwise first what was left out, then the output
// and its size, without "OK"; then the inputs that could not be deleted.
// A join that wrote nothing gives its error. `left_out`, when not empty, is
// what was left out before the join (a selection cut short): it comes first,
// and the output is then never "OK".
std::string JoinMessage(const JoinResult& r, const std::string& left_out = "");
// "<output> has been recorded OK size:N" when `all_in`, else "<output> has
// been recorded without them, size:N".
std::string RecordedText(const std::string& output, int64_t size, bool all_in);

}  // namespace keld
