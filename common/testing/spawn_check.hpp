#pragma once
// The check every way the suite starts a program must pass: a child that is
// signalled between its fork and its exec leaves this process's registered
// temporary, its file set aside and its batch group as they were, and a
// program started for real begins with none of the suite's signals blocked
// or ignored (also when this process has SIGTERM blocked), and with no
// descriptor beyond its standard three that this process did not have open
// for its children already.
#include <functional>
#include <string>

namespace keld::testing {

// `start(script)` starts the executable shell script `script` by the way
// under test and waits for its end (a way that does not wait may return at
// once). What went wrong, or "" when nothing did.
std::string CheckSpawnPath(const std::function<void(const std::string& script)>& start);

}  // namespace keld::testing
