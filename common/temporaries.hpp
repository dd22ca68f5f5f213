#pragma once
// Temporary files a process made and has not yet renamed or removed. They are
// removed when the process is ended by SIGTERM, SIGINT or SIGHUP, so a killed
// run leaves the old output and nothing beside it; an old output that a run
// moved aside while a batch writes under its name is moved back. The handlers are installed
// with the first registration, for each of those signals whose action is still
// the default one (a signal the program ignores or handles itself is left
// alone); they remove the files and then end the process by the same signal.
#include <string>

namespace keld {

// `path` is taken as an absolute path now, so a later change of the working
// folder does not change which file is meant. Up to 512 files at a time.
void RegisterTemporary(const std::string& path);
// An old output moved aside to `kept` while a run writes `original`: moved
// back over `original` if the process is ended by one of those signals.
void RegisterSetAside(const std::string& kept, const std::string& original);
// The file took its final name or was removed (a temporary), or was put back
// or is no longer wanted (a file set aside): nothing more to do with it.
void ForgetTemporary(const std::string& path);
// Removes every registered temporary, and moves back every file set aside,
// now. Safe inside a signal handler.
void RemoveTemporariesNow();

}  // namespace keld
