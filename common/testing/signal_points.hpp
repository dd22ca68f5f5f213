#pragma once
// A run held at its k-th call into the registry (from 1) while another thread
// of its process takes SIGTERM: the clean-up meets the disc and the registry
// as they are at that point. In a child process: `prepare()`, then `run()`.
// RanToTheEnd: `run` made fewer than k calls.
#include <functional>

namespace keld::testing {

enum class PointOutcome { Signalled, RanToTheEnd, Other };
PointOutcome RunWithSignalAt(int k, const std::function<void()>& prepare, const std::function<void()>& run);

}  // namespace keld::testing
