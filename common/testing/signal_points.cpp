#include "common/testing/signal_points.hpp"

#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/temporaries.hpp"

namespace keld::testing {

PointOutcome RunWithSignalAt(int k, const std::function<void()>& prepare, const std::function<void()>& run) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    prepare();
    std::thread taker([] { for (;;) ::pause(); });
    SetSignalPointForTests(k, taker.native_handle());
    run();
    ::_exit(0);
  }
  int st = 0;
  if (pid < 0 || ::waitpid(pid, &st, 0) != pid) return PointOutcome::Other;
  if (WIFSIGNALED(st) && WTERMSIG(st) == SIGTERM) return PointOutcome::Signalled;
  return WIFEXITED(st) && WEXITSTATUS(st) == 0 ? PointOutcome::RanToTheEnd : PointOutcome::Other;
}

}  // namespace keld::testing
