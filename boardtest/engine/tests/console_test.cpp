// The console's runs against the simulated units in the same process: OK and
// ERROR rows, the counts, the RMS of the first good row computed again from
// the simulator's own samples, the trigger and running-mode sequences.
#include "boardtest/engine/console.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "boardlink/board_link.hpp"
#include "boardsim/samples.hpp"
#include "boardsim/sim_port.hpp"
#include "boardtest/tests/forwarding_port.hpp"

namespace keld::boardtest {
namespace {

struct HookPump : EventPump {
  std::function<void()> each;
  void pump() override {
    if (each) each();
  }
};

struct RecordingView : ConsoleView {
  bool row_ticked(int row) override { return ticked.count(row) && ticked[row]; }
  std::string unit_text(int row) override { return units.count(row) ? units[row] : ""; }
  void row_status(int row, RowStatus s) override { status[row] = s; }
  bool rms_wanted() override { return want_rms; }
  void show_rms(const RmsLabels& r) override {
    rms = r;
    ++rms_shown;
  }
  void draw_trace(int row, const std::vector<TracePoint>& pts) override { drawn[row] = pts; }
  void status_line(const std::string& t) override { lines.push_back(t); }
  void hide_message() override { ++hidden; }

  std::map<int, bool> ticked;
  std::map<int, std::string> units;
  std::map<int, RowStatus> status;
  std::map<int, std::vector<TracePoint>> drawn;
  std::vector<std::string> lines;
  bool want_rms = true;
  RmsLabels rms;
  int rms_shown = 0, hidden = 0;
};

// A port in front of the simulator whose units put a status byte before the
// notice of a free-running arm too.
struct StatusFirstPort : testing::ForwardingPort {
  using ForwardingPort::ForwardingPort;
  bool write(const uint8_t* d, size_t n) override {
    if (n == 15 && d[0] == 0x1A && d[10] == 0) front.push_back(0x06);
    return in.write(d, n);
  }
  size_t in_buffer_count() override { return front.size() + in.in_buffer_count(); }
  std::vector<uint8_t> take(size_t n) override {
    std::vector<uint8_t> out(front.begin(), front.begin() + static_cast<long>(std::min(n, front.size())));
    front.erase(front.begin(), front.begin() + static_cast<long>(out.size()));
    auto rest = in.take(n - out.size());
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
  }
  void discard_input() override {
    front.clear();
    in.discard_input();
  }
  std::vector<uint8_t> front;
};

board::LinkConfig Quick() {
  board::LinkConfig c = board::LinkConfig::Boardtest();
  c.block_timeout_ms = 150;
  return c;
}

struct Rig {
  explicit Rig(sim::SimConfig cfg = {}, bool status_first = false, board::LinkConfig lc = Quick())
      : sim(std::move(cfg)),
        front(sim),
        link(status_first ? static_cast<board::SerialPort&>(front) : sim, pump, state.Arresto, lc),
        console(state, link, pump, view) {
    EXPECT_TRUE(link.open_port(1));
    state.Frequenza = 2000;
    state.Campioni = 256;
    state.Num_Unita = 6;
    state.picture_height = 1000;
    state.Centro_Y = 500;
    state.Passo_X = 1000.0 / 256;
    state.Scala = 1000.0 / 16780000;
    for (int r = 1; r <= 6; ++r) view.units[r] = std::to_string(r);
  }
  int packets(uint8_t code, int unit = -1) {
    int k = 0;
    for (const auto& p : sim.units().received)
      if (p[0] == code && (unit < 0 || p[11] == unit)) ++k;
    return k;
  }
  // What the console must show for a unit: the simulator's samples of the
  // current arm, de-meaned and filtered as the link and the console do.
  std::vector<double> expected(int unit) {
    const auto raw = sim::UnitSamples(sim.units().shot(), unit, 0, state.Campioni);
    std::vector<double> x(raw.begin(), raw.end());
    double sum = 0;
    for (size_t i = 1; i < x.size(); ++i) sum += x[i];
    const double mean = sum / static_cast<double>(x.size() - 1);
    for (double& v : x) v -= mean;
    std::vector<double> y(x.size());
    FiltraTrace(state.filter, state.Senza_Filtro, x, y);
    return y;
  }
  BoardtestState state;
  HookPump pump;
  sim::SimPort sim;
  StatusFirstPort front;
  board::BoardLink link;
  RecordingView view;
  Console console;
};

TEST(BoardtestCycle, OkErrorAndUnitRowsWithCountsAndTheFirstGoodRowsRms) {
  sim::SimConfig cfg;
  cfg.absent = {2};
  cfg.merge_status = true;  // the status byte and the notice in one write
  cfg.faults.push_back({sim::BlockFault::Kind::Cut, 4, 1, -1, 100});
  cfg.faults.push_back({sim::BlockFault::Kind::Delay, 5, 0, -1, 60});  // slow, within time
  cfg.faults.push_back({sim::BlockFault::Kind::Garble, 6, 2, -1, 0});  // bytes changed on the way
  Rig r(cfg);
  r.view.ticked = {{1, false}, {2, true}, {3, true}, {4, true}, {5, true}, {6, true}};
  r.view.units[6] = "5.5";  // read as 6: halves to the even neighbour
  r.state.Errori[2] = kCountCeiling;
  r.state.Autoscala = true;
  CycleResult c;
  ASSERT_EQ(r.console.GoTrigger(&c), RunOutcome::Polled);
  EXPECT_EQ(r.packets(0x1A), 1);
  EXPECT_EQ(r.sim.units().received.front()[10], 1);
  EXPECT_EQ(r.state.Modo_Trigger, 0);
  const std::map<int, RowStatus> want = {{1, RowStatus::Unit},  {2, RowStatus::Error}, {3, RowStatus::Ok},
                                         {4, RowStatus::Error}, {5, RowStatus::Ok},    {6, RowStatus::Error}};
  EXPECT_EQ(r.view.status, want);
  EXPECT_EQ(c.rows_read, 2);
  EXPECT_EQ(c.rows_failed, 3);
  EXPECT_EQ(r.state.Errori[2], kCountCeiling);  // held at its largest value
  EXPECT_EQ(r.state.Errori[4], 1);  // a block cut short
  EXPECT_EQ(r.state.Errori[6], 1);  // a garbled block
  EXPECT_EQ(r.state.Errori[3], 0);
  EXPECT_EQ(r.packets(0xD1, 1), 0);  // an unticked row is never read
  EXPECT_EQ(r.packets(0xD1, 6), 4);  // 256 samples: four whole blocks
  EXPECT_EQ(r.view.lines, (std::vector<std::string>{"Triggered ! Wait for data......", "Data Receiving !"}));
  EXPECT_EQ(r.view.hidden, 1);
  EXPECT_TRUE(r.link.port().is_open());  // reopened after each failure

  // Row 3 is the first good one: its RMS and range, from the simulator's samples.
  EXPECT_EQ(r.view.rms_shown, 1);
  const RmsLabels again = Calcola_RMS(r.expected(3));
  EXPECT_GT(again.rms, 0);
  EXPECT_EQ(r.view.rms.Label14, again.Label14);
  EXPECT_EQ(r.view.rms.Label23, again.Label23);
  EXPECT_EQ(r.view.drawn.count(2), 0u);
  ASSERT_EQ(r.view.drawn[5].size(), 256u);
  // Autorange: the larger of |max| and |min| of a trace reaches its picture's edge.
  EXPECT_EQ(r.view.drawn.count(6), 0u);
  for (int row : {3, 5}) {
    float top = 1000, bottom = 0;
    for (const auto& p : r.view.drawn[row]) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    EXPECT_TRUE(top > -0.5f && bottom < 1000.5f && (top < 0.5f || bottom > 999.5f)) << row;
  }
}

// Unit 1 answers 1.5 s late, within the 2 s a block may take: it reads OK.
// STOP while its block is awaited is the operator's, not a failure of the
// unit: nothing is counted, its row stays as it was, and the cycle ends.
// The next cycle counts its own failures.
TEST(BoardtestCycle, StopDuringAReadCountsNothingAndEndsTheCycle) {
  for (bool stop : {false, true}) {
    SCOPED_TRACE(stop ? "STOP" : "no STOP");
    sim::SimConfig cfg;
    cfg.faults.push_back({sim::BlockFault::Kind::Delay, 1, 0, -1, 1500});
    Rig r(cfg, false, board::LinkConfig::Boardtest());
    for (int i = 1; i <= 6; ++i) r.view.ticked[i] = true;
    r.state.Errori[1] = 4;
    r.pump.each = [&] {
      if (stop && r.link.awaiting_block() && r.packets(0xD1, 1) > 0) r.state.Arresto = 1;
    };
    CycleResult c;
    ASSERT_EQ(r.console.GoTrigger(&c), RunOutcome::Polled);
    EXPECT_EQ(c.stopped, stop);
    EXPECT_EQ(c.rows_failed, 0);
    EXPECT_EQ(r.state.Errori[1], 4);
    EXPECT_EQ(r.view.status.count(1), stop ? 0u : 1u);
    if (!stop) {
      EXPECT_EQ(r.view.status[1], RowStatus::Ok);
    }
    EXPECT_EQ(r.view.status.count(2), stop ? 0u : 1u);
    EXPECT_EQ(r.view.hidden, 1);
    // The next cycle's read that fails before it asks anything (a unit
    // number out of range) is a failure of its own, not that STOP again.
    r.pump.each = nullptr;
    r.state.Arresto = 0;
    r.view.units[1] = "300";
    CycleResult next;
    ASSERT_EQ(r.console.GoTrigger(&next), RunOutcome::Polled);
    EXPECT_FALSE(next.stopped);
    EXPECT_EQ(next.rows_failed, 1);
    EXPECT_EQ(r.view.status[1], RowStatus::Error);
    EXPECT_EQ(next.rows_read, 5);
  }
}

TEST(BoardtestCycle, APortThatDoesNotReopenStopsTheRun) {
  sim::SimConfig cfg;
  cfg.absent = {1};
  Rig r(cfg);
  r.view.ticked = {{1, true}, {2, true}};
  r.sim.openable = {7};  // port 1 will not open again
  CycleResult c;
  r.console.StartRunning();
  ASSERT_EQ(r.console.RunningTick(&c), RunOutcome::Polled);
  EXPECT_TRUE(c.port_lost);
  EXPECT_FALSE(c.port_error.empty());
  EXPECT_EQ(r.state.Arresto, 1);
  EXPECT_EQ(r.state.Errori[1], 1);
  EXPECT_EQ(r.view.status.count(2), 0u);
  EXPECT_EQ(r.console.RunningTick(), RunOutcome::PortClosed);
}

TEST(BoardtestRun, StopBeforeTheNoticeEndsTheTriggerRunWithoutPolling) {
  sim::SimConfig cfg;
  cfg.never_trigger = true;
  Rig r(cfg);
  r.view.ticked = {{1, true}};
  int passes = 0;
  r.pump.each = [&] {
    if (++passes == 50) r.state.Arresto = 1;
  };
  EXPECT_EQ(r.console.GoTrigger(), RunOutcome::Stopped);
  EXPECT_EQ(r.packets(0xD1), 0);
  EXPECT_TRUE(r.view.lines.empty()) << "no \"Triggered !\" before the notice";
  EXPECT_FALSE(r.console.busy());
}

TEST(BoardtestRun, RunningTicksArmOncePerCycleAndNeverNest) {
  sim::SimConfig cfg;
  cfg.faults.push_back({sim::BlockFault::Kind::Delay, 1, 0, -1, 30});  // a slow unit
  Rig r(cfg, /*status_first=*/true);
  r.view.ticked = {{1, true}, {2, true}, {3, true}};
  r.state.Num_Unita = 3;
  int refused = 0;
  r.pump.each = [&] {
    // A timer tick falling due while the tick runs.
    if (r.console.RunningTick() == RunOutcome::Busy) ++refused;
  };
  r.console.StartRunning();
  EXPECT_EQ(r.state.Salta_Campioni, 3);
  for (int tick = 0; tick < 4; ++tick) {
    CycleResult c;
    ASSERT_EQ(r.console.RunningTick(&c), RunOutcome::Polled) << tick;
    // The status byte before the notice never shifts a block.
    EXPECT_EQ(c.rows_read, 3) << tick;
    EXPECT_EQ(c.rows_failed, 0) << tick;
    EXPECT_EQ(std::vector<double>(r.console.filtered().begin(), r.console.filtered().end()), r.expected(3))
        << tick;
  }
  EXPECT_GT(refused, 0);
  EXPECT_EQ(r.console.arms_sent(), 4);
  EXPECT_EQ(r.packets(0x1A), 4);
  EXPECT_EQ(r.sim.units().received.back()[0], 0xD1);
  // Free-running: byte 10 is 0; the rate and samples as set.
  const auto& arm = r.sim.units().received.front();
  EXPECT_EQ(arm[10], 0);
  EXPECT_EQ(arm[1] * 256 + arm[2], 2000);
  EXPECT_EQ(arm[3] + arm[4], 0);
  EXPECT_EQ((arm[12] << 16) + (arm[13] << 8) + arm[14], 256);
}

}  // namespace
}  // namespace keld::boardtest
