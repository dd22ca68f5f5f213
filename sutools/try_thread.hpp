#pragma once
// Threads that are a help, not a need: where none can be had (a limit on
// processes), the work runs on the calling thread instead of ending the
// program.
#include <system_error>
#include <thread>
#include <utility>

namespace keld::sutools {

// `f` on a thread of its own, or no thread when none can be had.
template <typename F>
std::thread TryThread(F f) {
  try {
    return std::thread(std::move(f));
  } catch (const std::system_error&) {
    return {};
  }
}

// Waits for the thread TryThread gave, or runs `f` here when it gave none.
template <typename F>
void JoinOrRun(std::thread& t, F f) {
  if (t.joinable())
    t.join();
  else
    f();
}

}  // namespace keld::sutools
