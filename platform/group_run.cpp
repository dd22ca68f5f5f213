#include "platform/group_run.hpp"

#include <cerrno>
#include <thread>

#include <signal.h>
#include <sys/wait.h>

#include "platform/temporaries.hpp"

namespace keld {

int ExitStatusOf(int st) {
  if (WIFEXITED(st)) return WEXITSTATUS(st);
  return 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
}

GroupEnd WaitForGroup(pid_t leader, EventPump& pump, const GroupWait& w) {
  RegisterChildGroup(leader);  // ended with this program if it is killed
  GroupEnd end;
  std::optional<MonoClock::time_point> termed;
  for (;;) {
    const bool serving = !termed || !w.blocking_stop;
    if (serving && w.each_turn) w.each_turn();
    int st = 0;
    const pid_t got = ::waitpid(leader, &st, WNOHANG);
    if (got == leader) {
      end.status = ExitStatusOf(st);
      break;
    }
    if (got < 0 && errno != EINTR) break;
    if (!termed) {
      if (w.stop && w.stop()) {
        ::kill(-leader, SIGTERM);
        termed = MonoClock::now();
        end.stopped = true;
        if (w.blocking_stop) continue;  // look at once whether it has gone
      }
    } else if (MonoClock::now() - *termed >= w.grace) {
      ::kill(-leader, SIGKILL);
    }
    if (serving) pump.pump();
    std::this_thread::sleep_for(w.poll);
  }
  if (end.stopped && w.kill_leftovers) ::kill(-leader, SIGKILL);
  ForgetChildGroup(leader);
  return end;
}

}  // namespace keld
