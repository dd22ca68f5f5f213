#pragma once
// Runs one batch file with /bin/sh and waits for its end while the windows
// stay responsive: control goes back to the window system between checks,
// the user can cancel, and a batch that outlives its time limit is stopped.
// Every wait runs on the monotonic clock. What the programs write to their
// standard error (and output not sent to a file) is kept, so a failure can be
// reported with the program's own words.
#include <chrono>
#include <functional>
#include <string>

#include "platform/pump.hpp"

namespace keld::conversion {

struct BatchOutcome {
  enum class Kind { Done, Failed, NotStarted, Cancelled, TimedOut };
  Kind kind = Kind::NotStarted;
  int exit_status = -1;
  std::string output;  // what the batch printed
  bool ok() const { return kind == Kind::Done; }
  // A line for the user: the program's last words, or why the run stopped.
  std::string reason() const;
};

struct BatchWait {
  std::chrono::milliseconds time_limit{std::chrono::minutes(10)};
  std::function<bool()> cancelled;                     // polled between checks
  std::function<void(const std::string&)> on_output;   // each piece of output as it comes
};

// `sh batch` in `workdir`; the batch and every program it started are
// stopped (the whole process group) on Cancel or at the time limit.
BatchOutcome RunBatch(const std::string& batch, const std::string& workdir, EventPump& pump, const BatchWait& wait);

}  // namespace keld::conversion
