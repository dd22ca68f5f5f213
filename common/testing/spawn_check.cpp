#include "common/testing/spawn_check.hpp"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/files.hpp"
#include "common/testing/testsupport.hpp"
#include "common/testing/wait_until.hpp"
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
  const std::string script = d / "probe";
  // The started program's signals, and its descriptors beyond the standard
  // three as a tool it runs sees them (ls's own is on /proc). By Perl, as a
  // shell clears its mask at its first fork; a shell given the script (a
  // batch) hands it to Perl at once.
  WriteText(script, "#!/usr/bin/perl\neval 'exec /usr/bin/perl -x \"$0\"'\n  if 0;\nopen(O, '>', \"$0.part\") or die;\n"
                    "open(S, '/proc/self/status');\nprint O grep(/^Sig/, <S>), grep(/ ([3-9]|\\d\\d+) -> (?!\\/proc\\/)/, "
                    "`ls -l /proc/self/fd`);\nclose O;\nrename(\"$0.part\", \"$0.out\");\n");
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
  // What this process was handed itself it does not pass on, so that every
  // descriptor the child has beyond the three is one its start left open.
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd", ec))
    if (const int fd = std::atoi(e.path().filename().c_str()); fd > 2) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  // Started as this program is, then from a program started with SIGTERM
  // blocked: the child has none of the suite's signals blocked either way.
  for (const bool blocked : {false, true}) {
    sigset_t term, was;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &term, &was);
    const std::string run = d / (blocked ? "blocked" : "plain"), when = blocked ? " (SIGTERM blocked here)" : "";
    std::filesystem::copy_file(script, run);
    start(run);
    ::pthread_sigmask(SIG_SETMASK, &was, nullptr);
    const std::string status = WaitForFile(run + ".out") ? ReadText(run + ".out") : "";
    // (An ignore the test program itself was started with is passed on, as
    // exec passes it on: only the suite's own ignore is looked for.)
    if (AnyOf(status, "SigBlk", {SIGTERM, SIGINT, SIGHUP, SIGXFSZ}) || AnyOf(status, "SigIgn", {SIGXFSZ}))
      faults += "the program started with the suite's signals blocked or ignored" + when + ": " + status;
    if (status.find(" -> ") != std::string::npos)
      faults += "the program started with descriptors left open" + when + ": " + status;
  }

  ForgetChildGroup(group);
  ::kill(-group, SIGKILL);
  ::waitpid(group, nullptr, 0);
  if (temp) RemoveTemporary(*temp);
  if (kept) RemoveTemporary(*kept);
  return faults;
}

}  // namespace keld::testing
