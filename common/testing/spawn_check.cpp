#include "common/testing/spawn_check.hpp"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/testing/testsupport.hpp"
#include "platform/signals.hpp"
#include "platform/temporaries.hpp"

namespace keld::testing {

namespace {

// The bits of `sigs` in a mask line ("SigBlk:\t...") of /proc/PID/status;
// all of them when the line is missing.
bool AnyOf(const std::string& status, const std::string& line, std::initializer_list<int> sigs) {
  const auto at = status.find(line + ":\t");
  if (at == std::string::npos) return true;
  const unsigned long long bits = std::strtoull(status.c_str() + at + line.size() + 2, nullptr, 16);
  for (int sig : sigs)
    if (bits & (1ULL << (sig - 1))) return true;
  return false;
}

}  // namespace

std::string CheckSpawnPath(const std::function<void(const std::string& script)>& start) {
  IgnoreFileSizeSignal();  // as the programs of the suite start
  TempDir d;
  const std::string script = d / "child.sh", signals = d / "signals";
  WriteText(script, "#!/bin/sh\ngrep ^Sig /proc/self/status >'" + signals + ".part'; mv '" + signals + ".part' '" +
                        signals + "'\n");
  ::chmod(script.c_str(), 0755);
  // The parent's: a temporary, an old output set aside while a new one is
  // written, and a batch in a group of its own.
  auto temp = CreateFileBeside(d / "out.su");
  WriteText(d / "stack.su", "old");
  auto kept = MoveAside(d / "stack.su");
  WriteText(d / "stack.su", "new");
  const pid_t group = ::fork();
  if (group == 0) {
    ::setpgid(0, 0);
    ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::setpgid(group, group);
  RegisterChildGroup(group);

  std::string faults;
  SetChildStartHookForTests([] { ::raise(SIGTERM); });
  start(script);
  SetChildStartHookForTests(nullptr);
  if (!temp || !Existe_file(*temp) || !kept || !Existe_file(*kept) || ReadText(d / "stack.su") != "new")
    faults += "the parent's temporary or set-aside file was touched; ";
  if (::waitpid(group, nullptr, WNOHANG) != 0) faults += "the parent's batch group was ended; ";
  start(script);
  for (int i = 0; i < 6000 && !Existe_file(signals); ++i) ::usleep(5000);
  const std::string status = ReadText(signals);
  // (An ignore the test program itself was started with is passed on, as
  // exec passes it on: only the suite's own ignore is looked for.)
  if (AnyOf(status, "SigBlk", {SIGTERM, SIGINT, SIGHUP, SIGXFSZ}) || AnyOf(status, "SigIgn", {SIGXFSZ}))
    faults += "the program started with the suite's signals blocked or ignored: " + status;

  ForgetChildGroup(group);
  ::kill(-group, SIGKILL);
  ::waitpid(group, nullptr, 0);
  if (temp) RemoveTemporary(*temp);
  if (kept) RemoveTemporary(*kept);
  return faults;
}

}  // namespace keld::testing
