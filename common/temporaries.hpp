#pragma once
// Temporary files a process made and has not yet renamed or removed. They are
// removed when the process is ended by SIGTERM, SIGINT or SIGHUP, so a killed
// run leaves the old output and nothing beside it. The handlers are installed
// with the first registration, for each of those signals whose action is still
// the default one (a signal the program ignores or handles itself is left
// alone); they remove the files and then end the process by the same signal.
#include <string>

namespace keld {

// `path` is taken as an absolute path now, so a later change of the working
// folder does not change which file is meant. Up to 256 files at a time.
void RegisterTemporary(const std::string& path);
// The file took its final name or was removed: no longer to be removed.
void ForgetTemporary(const std::string& path);
// Removes every registered file now. Safe inside a signal handler.
void RemoveTemporariesNow();

}  // namespace keld
