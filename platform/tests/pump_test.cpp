#include <gtest/gtest.h>

#include "platform/pump.hpp"

using namespace keld;

namespace {
struct CountingPump : EventPump {
  int n = 0;
  void pump() override { ++n; }
};
}  // namespace

TEST(TimedPause, LastsBetweenHalfASecondLessAndMore) {
  for (int i = 0; i < 20; ++i) {
    double s = std::chrono::duration<double>(TimedPauseLength(2)).count();
    EXPECT_GE(s, 1.5);
    EXPECT_LE(s, 2.5);
  }
  CountingPump p;
  auto t0 = MonoClock::now();
  TimedPause(p, 0.6);
  double took = std::chrono::duration<double>(MonoClock::now() - t0).count();
  EXPECT_GE(took, 0.09);
  EXPECT_LE(took, 1.2);
  EXPECT_GT(p.n, 0) << "the pause must hand control back while it waits";
}
