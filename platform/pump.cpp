#include "platform/pump.hpp"

#include <cmath>
#include <thread>

namespace keld {

void IdlePump::pump() { std::this_thread::sleep_for(std::chrono::microseconds(50)); }

MonoClock::duration TimedPauseLength(double seconds) {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  double t = std::chrono::duration<double>(now).count();
  double frac = t - std::floor(t);
  double rounded_offset = std::nearbyint(frac) - frac;  // to the whole second, halves to even
  double wait = seconds + rounded_offset;
  if (wait < 0) wait = 0;
  return std::chrono::duration_cast<MonoClock::duration>(std::chrono::duration<double>(wait));
}

void TimedPause(EventPump& pump, double seconds) {
  auto end = MonoClock::now() + TimedPauseLength(seconds);
  while (MonoClock::now() < end) pump.pump();
}

}  // namespace keld
