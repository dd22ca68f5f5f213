// The noise monitor's loop against the simulated units in the same process.
#include "korvan/engine/noise_monitor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "boardlink/board_link.hpp"
#include "boardsim/sim_port.hpp"

namespace keld::korvan {
namespace {

TEST(NoiseDeflection, GainOver500HeldToTheBand) {
  EXPECT_FLOAT_EQ(NoiseDeflection(1, 1000), 1);
  EXPECT_FLOAT_EQ(NoiseDeflection(1, -250), -0.5f);
  EXPECT_FLOAT_EQ(NoiseDeflection(1, -5000), -1);
  EXPECT_FLOAT_EQ(NoiseDeflection(4, 50), 0.4f);
  EXPECT_FLOAT_EQ(NoiseDeflection(0.001f, 400000), 0.8f);
  EXPECT_FLOAT_EQ(NoiseDeflection(2, 0), 0);
}

struct CountingPump : EventPump {
  std::function<void()> each;
  void pump() override {
    if (each) each();
  }
};

// Records what the monitor hands over; sets the stop flag after `passes`.
struct RecordingView : NoiseView {
  RecordingView(int16_t& stop, int passes) : stop_(stop), stop_after_(passes) {}
  int32_t channels() override { return n; }
  std::string unit_text(int c) override { return units.count(c) ? units[c] : std::to_string(c); }
  float gain() override { return 1; }
  void begin_pass(int32_t channels) override {
    ++passes_begun;
    pass_channels = channels;
    if (passes_begun > stop_after_) stop_ = 1;
  }
  void draw_channel(int c, std::span<const float> d) override {
    ++drawn[c];
    ASSERT_EQ(d.size(), 256u);
    for (float v : d) {
      EXPECT_LE(v, 1.0f);
      EXPECT_GE(v, -1.0f);
    }
    last = std::vector<float>(d.begin(), d.end());
  }
  int32_t n = 3;
  std::map<int, std::string> units;
  int passes_begun = 0;
  int32_t pass_channels = 0;
  std::map<int, int> drawn;
  std::vector<float> last;

 private:
  int16_t& stop_;
  int stop_after_;
};

struct Rig {
  explicit Rig(sim::SimConfig cfg = {}, board::LinkConfig lc = Quick())
      : port(std::move(cfg)), link(port, pump, stop, lc) {
    EXPECT_TRUE(link.open_port(1));
    Scegli_Filtro(filter, 2000, false);
  }
  static board::LinkConfig Quick() {
    board::LinkConfig c;
    c.block_timeout_ms = 200;
    c.reopen_pause_s = 0;
    return c;
  }
  int count(uint8_t code, int unit = -1) {
    int k = 0;
    for (const auto& p : port.units().received)
      if (p[0] == code && (unit < 0 || p[11] == unit)) ++k;
    return k;
  }
  CountingPump pump;
  int16_t stop = 0;
  sim::SimPort port;
  board::BoardLink link;
  FilterState filter;
};

TEST(NoiseMonitor, ArmsFreeRunningAndReadsEveryChannelEachPass) {
  Rig r;
  RecordingView view(r.stop, 3);
  NoiseMonitor m(r.link, r.pump, r.stop, r.filter);
  NoiseCounts c = m.run(2000, view);
  EXPECT_EQ(r.stop, 0);  // left clear for the next wait
  EXPECT_EQ(c.passes, 4);
  EXPECT_EQ(c.reads, 9);  // three whole passes; the fourth stopped before its first read
  EXPECT_EQ(c.failed_reads, 0);
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(view.drawn[ch], 3);
  // Every arm: 256 samples at 2000 Hz, free-running (byte 10 is 0), no polarity.
  int arms = 0;
  for (const auto& p : r.port.units().received) {
    if (p[0] != 0x1A) continue;
    ++arms;
    EXPECT_EQ(p[1], 0x07);
    EXPECT_EQ(p[2], 0xD0);
    EXPECT_EQ(p[9], 0);
    EXPECT_EQ(p[10], 0);
    EXPECT_EQ(p[12], 0);
    EXPECT_EQ(p[13], 1);
    EXPECT_EQ(p[14], 0);
  }
  EXPECT_EQ(arms, 4);
  // Four blocks of 64 per channel per pass.
  EXPECT_EQ(r.count(0xD1, 2), 12);
  // With filtering on, the first eight outputs are on the zero line.
  ASSERT_EQ(view.last.size(), 256u);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(view.last[k], 0.0f);
  bool moved = false;
  for (size_t k = 8; k < view.last.size(); ++k) moved = moved || view.last[k] != 0.0f;
  EXPECT_TRUE(moved);
}

TEST(NoiseMonitor, AUnitThatDoesNotAnswerFailsOnlyItsChannel) {
  sim::SimConfig cfg;
  cfg.absent = {2};
  Rig r(cfg);
  RecordingView view(r.stop, 2);
  NoiseMonitor m(r.link, r.pump, r.stop, r.filter);
  auto t0 = MonoClock::now();
  NoiseCounts c = m.run(1000, view);
  EXPECT_LT(std::chrono::duration<double>(MonoClock::now() - t0).count(), 5.0);
  EXPECT_EQ(c.failed_reads, 2);
  EXPECT_EQ(view.drawn[1], 2);
  EXPECT_EQ(view.drawn.count(2), 0u);
  EXPECT_EQ(view.drawn[3], 2);
}

TEST(NoiseMonitor, StopWhileWaitingForTheUnitsDrawsNothing) {
  sim::SimConfig cfg;
  cfg.units = {};       // every unit
  cfg.absent = {};
  cfg.free_run_delay_ms = 100000;  // the notice never comes in time
  Rig r(cfg);
  int passes = 0;
  r.pump.each = [&] {
    if (++passes == 50) r.stop = 1;
  };
  RecordingView view(r.stop, 100);
  NoiseMonitor m(r.link, r.pump, r.stop, r.filter);
  NoiseCounts c = m.run(2000, view);
  EXPECT_EQ(c.passes, 0);
  EXPECT_EQ(view.passes_begun, 0);
  EXPECT_TRUE(view.drawn.empty());
  EXPECT_EQ(r.stop, 0);
}

// The units start at once when armed free-running: a device that goes while
// the monitor waits for them, and units that have not started within the
// status time-out, end the monitor with a message naming the unit that
// answers the arm, instead of a wait until STOP; one that goes while the
// blocks are read ends it at once, charged to no unit.
TEST(NoiseMonitor, ALostDeviceOrUnitsThatDoNotStartEndTheMonitor) {
  struct Case {
    uint8_t unplug_after;  // the packet after which the device goes (0: never)
    const char* failure;
    int passes, requests;
  };
  for (const Case& c :
       {Case{0x1A, "ERROR ! 1 module: the link was lost while waiting for the trigger: the device of port 1 has gone", 0, 0},
        Case{0, "ERROR ! 1 module: no trigger notice came within 300 ms of the free-running arm", 0, 0},
        Case{0xD1, "ERROR ! The link was lost during the noise monitor: link error while reading unit 1: the device of "
                   "port 1 has gone", 1, 1}}) {
    SCOPED_TRACE(c.failure);
    sim::SimConfig cfg;
    if (c.unplug_after != 0xD1) cfg.free_run_delay_ms = 600000;
    board::LinkConfig lc = Rig::Quick();
    lc.status_timeout_ms = 300;
    Rig r(cfg, lc);
    const auto give_up = MonoClock::now() + std::chrono::seconds(20);
    r.pump.each = [&] {
      if (c.unplug_after && r.count(c.unplug_after) > 0) r.port.unplugged = true;
      if (MonoClock::now() > give_up) r.stop = 1;  // an operator who stopped waiting
    };
    RecordingView view(r.stop, 100);
    NoiseMonitor m(r.link, r.pump, r.stop, r.filter);
    const NoiseCounts n = m.run(2000, view);
    EXPECT_EQ(n.failure, std::string(c.failure) + ". The noise monitor is ended.");
    EXPECT_EQ(n.passes, c.passes);
    EXPECT_EQ(n.failed_reads, 0);
    EXPECT_EQ(r.count(0x1A), 1);
    EXPECT_EQ(r.count(0xD1), c.requests);
    EXPECT_EQ(r.stop, 0);
  }
}

TEST(NoiseMonitor, ChannelCountAndUnitBoxesAreReadAtEachPass) {
  Rig r;
  RecordingView view(r.stop, 2);
  view.units[1] = "47";
  view.units[2] = "abc";  // no number: unit 0, which is not on the line
  NoiseMonitor m(r.link, r.pump, r.stop, r.filter);
  NoiseCounts c = m.run(2000, view);
  EXPECT_EQ(r.count(0xD1, 47), 8);
  EXPECT_EQ(r.count(0xD1, 0), 2);  // one request each pass, then the time-out
  EXPECT_EQ(c.failed_reads, 2);
  EXPECT_EQ(view.pass_channels, 3);
}

}  // namespace
}  // namespace keld::korvan
