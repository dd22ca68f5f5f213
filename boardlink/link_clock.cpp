#include "boardlink/link_clock.hpp"

namespace keld::board {

namespace {

class SteadyClock : public LinkClock {
 public:
  MonoClock::time_point now() override { return MonoClock::now(); }
};

}  // namespace

LinkClock& SteadyLinkClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace keld::board
