#pragma once
// Waiting for a program started as the leader of a process group of its own
// (a batch and everything it starts), while the windows stay responsive; and
// stopping the whole group when the caller says so: SIGTERM first, so that
// each program removes its own temporaries, then SIGKILL after a grace.
#include <chrono>
#include <functional>
#include <optional>

#include <sys/types.h>

#include "platform/pump.hpp"

namespace keld {

// The exit status of a wait status: the program's own, or 128 + the signal
// that ended it.
int ExitStatusOf(int wait_status);

struct GroupWait {
  // Polled on each turn until it says so; then the group is stopped.
  std::function<bool()> stop;
  // Called at the start of each turn, before looking at the leader (draining
  // a pipe, say).
  std::function<void()> each_turn;
  std::chrono::milliseconds grace{std::chrono::seconds(2)};  // from SIGTERM to SIGKILL
  std::chrono::milliseconds poll{2};                         // pause between turns
  // True: once stopping, nothing of the caller runs (no pump, no each_turn)
  // until the leader has ended. False: the windows are served meanwhile.
  bool blocking_stop = true;
  // Whatever the leader started and left behind is killed once the leader
  // has ended after a stop.
  bool kill_leftovers = false;
};

struct GroupEnd {
  std::optional<int> status;  // ExitStatusOf the leader; none when it could not be waited for
  bool stopped = false;       // `stop` said so and the group was stopped
};

// Waits for `leader` (already started, leading its own group) to end,
// handing control to `pump` between turns. The group is registered for the
// whole wait, so that it is ended with this process if this one is killed.
GroupEnd WaitForGroup(pid_t leader, EventPump& pump, const GroupWait& w);

}  // namespace keld
