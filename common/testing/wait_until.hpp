#pragma once
// A test's wait for what another process or thread brings about (a file
// written, a program ended): polled until it holds. The bound is no timing
// of the test: only a failure reaches it, so it is long enough for the
// slowest machine (sanitizers, every core busy) and short of CTest's limit.
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace keld::testing {

inline constexpr std::chrono::seconds kEventBound{60};

inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = kEventBound) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline bool WaitForFile(const std::string& path, std::chrono::milliseconds bound = kEventBound) {
  return WaitUntil([&] { return std::filesystem::exists(path); }, bound);
}

}  // namespace keld::testing
