#pragma once
// Handing control back to the window system. Every wait loop of the suite calls
// pump() on each pass, so buttons (above all "Release Trigger") and serial
// events are served while the program waits.
#include <chrono>

namespace keld {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void pump() = 0;
};

// For code that runs without a window system: yields the processor briefly.
class IdlePump : public EventPump {
 public:
  void pump() override;
};

using MonoClock = std::chrono::steady_clock;

// The timed pause: start from the time of day rounded to a whole second (halves
// to even) and hand control back until n seconds after that, so the pause lasts
// between n - 0.5 and n + 0.5 s. Measured on the monotonic clock, so a pause
// that spans midnight or a clock change still ends.
void TimedPause(EventPump& pump, double seconds);

// How long the timed pause of n seconds lasts when started now (for tests).
MonoClock::duration TimedPauseLength(double seconds);

}  // namespace keld
