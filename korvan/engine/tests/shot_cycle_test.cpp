// The shot cycle against the simulated units in the same process: what the
// message screen says, and a shot whose arm gets no status byte.
#include "korvan/engine/shot_cycle.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "boardlink/board_link.hpp"
#include "boardsim/sim_port.hpp"
#include "common/testing/testsupport.hpp"

namespace keld::korvan {
namespace {

// Stands in for "Release Trigger" pressed by an operator who has waited long
// enough, so that a wait without an end cannot hang the test.
struct WatchdogPump : EventPump {
  explicit WatchdogPump(int16_t& stop) : stop_(stop) {}
  void pump() override {
    if (each) each();
    if (MonoClock::now() > give_up) stop_ = 1;
  }
  std::function<void()> each;
  MonoClock::time_point give_up = MonoClock::now() + std::chrono::seconds(6);
  int16_t& stop_;
};

struct ScreenLines : ShotView {
  void message_screen(const std::string& text, uint32_t, bool) override { lines.push_back(text); }
  void progress_range(int, int) override {}
  void progress(int) override {}
  void progress_hide() override {}
  void raw_file_shown(const std::string&) override {}
  std::vector<std::string> lines;
};

struct Rig {
  explicit Rig(sim::SimConfig cfg) : pump(stop), port(std::move(cfg)), link(port, pump, stop, Config()) {
    EXPECT_TRUE(link.open_port(1)) << link.error();
  }
  static board::LinkConfig Config() {
    board::LinkConfig c = board::LinkConfig::Korvan();
    c.reopen_pause_s = 0;
    return c;
  }
  ShotResult shoot() {
    ShotParams p;
    p.samples = 256;
    p.frequency = 2000;
    p.master_unit = 2;
    p.channels = 3;
    p.unit_texts = {"1", "2", "3"};
    p.frozen = {false, false, false};
    p.header.Sample_rate = "500";
    p.header.Nb_Sample = "256";
    p.tmp_su = dir.path() + "/tmp.su";
    p.text_record = dir.path() + "/dati.txt";
    ShotCycle cycle(link, pump, msg, view, stop, modo);
    return cycle.run(p);
  }
  keld::testing::TempDir dir;
  int16_t stop = 0, modo = 0;
  WatchdogPump pump;
  sim::SimPort port;
  board::BoardLink link;
  MessageRecorder msg;
  ScreenLines view;
};

// "Triggered !" comes only after the trigger notice. An arm that gets no
// status byte in its time (the units sent none, the port has gone), and a
// port that goes while the shot waits for its trigger, end the shot at once,
// with one message naming the master unit and what happened, and no raw
// shot file.
TEST(ShotCycle, TriggeredOnlyAfterTheNoticeAndNoStatusEndsTheShot) {
  struct Case {
    const char* what;
    std::function<void(Rig&)> set;
    const char* reason;  // in the message; nullptr: the shot is recorded
  };
  const std::vector<Case> cases = {
      {"a good shot", [](Rig&) {}, nullptr},
      {"the notice comes without a status byte",
       [](Rig& r) { r.port.units().config().no_status = true; }, "status"},
      {"the port has gone before the arm", [](Rig& r) { r.port.unplugged = true; }, "arm"},
      {"the port goes while the shot waits for its trigger",
       [](Rig& r) {
         r.port.units().config().trigger_on_signal = true;  // a shot not yet fired
         r.pump.each = [&r] { r.port.unplugged = r.port.unplugged || r.link.status_received; };
       },
       "ERROR ! 2 module: the link was lost while waiting for the trigger: the device of port 1 has gone. "
       "The shot is ended."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SimConfig cfg;
    Rig r(cfg);
    c.set(r);
    const auto t0 = MonoClock::now();
    const ShotResult s = r.shoot();
    EXPECT_LT(MonoClock::now() - t0, std::chrono::seconds(4)) << "no wait without an end";
    if (!c.reason) {
      EXPECT_EQ(s.outcome, ShotOutcome::Recorded);
      EXPECT_EQ(r.view.lines,
                (std::vector<std::string>{"Wait please", "Ready to shot", "Triggered !", "Data Transfer"}));
      EXPECT_TRUE(r.msg.shown.empty()) << r.msg.last().text;
      continue;
    }
    EXPECT_NE(s.outcome, ShotOutcome::Recorded);
    EXPECT_EQ(r.view.lines, (std::vector<std::string>{"Wait please", "Ready to shot"}));
    ASSERT_EQ(r.msg.shown.size(), 1u);
    const std::string& m = r.msg.last().text;
    EXPECT_EQ(m.rfind("ERROR ! 2 module: ", 0), 0u) << m;
    EXPECT_NE(m.find(c.reason), std::string::npos) << m;
    EXPECT_FALSE(std::filesystem::exists(r.dir.path() + "/tmp.su"));
    EXPECT_EQ(r.modo, 0);
    int requests = 0;
    for (const auto& p : r.port.units().received) requests += p[0] == 0xD1;
    EXPECT_EQ(requests, 0);
  }
}

}  // namespace
}  // namespace keld::korvan
