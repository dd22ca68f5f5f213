#pragma once
// The clock that the link's time-outs and pauses are measured on: the
// monotonic clock, unless a test or a fuzz harness gives one of its own that
// moves only when it says, so that a time-out costs no real time.
#include "platform/pump.hpp"

namespace keld::board {

class LinkClock {
 public:
  virtual ~LinkClock() = default;
  virtual MonoClock::time_point now() = 0;
};

// The monotonic clock, shared by every link that is given no other.
LinkClock& SteadyLinkClock();

}  // namespace keld::board
