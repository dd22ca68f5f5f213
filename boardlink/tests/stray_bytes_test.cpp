// Bytes on the line that no request asked for: a status byte the caller did
// not read, a notice split in pieces, a late or extra block, a stray byte
// after the notice. None of them may become samples; a unit whose read met
// them is reported. And units that answer only once they have recorded.
#include <gtest/gtest.h>

#include "boardlink/board_link.hpp"
#include "boardlink/tests/link_expect.hpp"
#include "boardsim/sim_port.hpp"

using namespace keld;
using namespace keld::board;
using keld::board::testing::DemeanedFloat;
using keld::board::testing::ScriptedPump;
using keld::board::testing::SecondsSince;
using keld::sim::BlockFault;
using keld::sim::SimConfig;
using keld::sim::SimPort;

namespace {

struct Rig {
  explicit Rig(SimConfig sim) : port(std::move(sim)), link(port, pump, stop, Quick()) {}
  static LinkConfig Quick() {
    LinkConfig c;
    c.block_timeout_ms = 200;
    c.reopen_pause_s = 0;
    return c;
  }
  bool Exact(int unit, int n) {
    const auto want = DemeanedFloat(port.units().shot(), unit, n, (n + 63) / 64);
    for (int i = 0; i < n; ++i)
      if (link.Campioni[static_cast<size_t>(i)] != want[static_cast<size_t>(i)]) return false;
    return true;
  }
  ScriptedPump pump;
  int16_t stop = 0;
  SimPort port;
  BoardLink link;
};

}  // namespace

// The noise monitor arms free-running and goes straight to the notice wait:
// the status byte in front of it and a notice arriving in pieces must not
// leave one byte behind to shift every block after it.
TEST(StrayBytes, FreeRunningStatusAndSplitNoticeLeaveNothingBehind) {
  for (size_t split : {size_t{0}, size_t{2}, size_t{1}}) {
    SimConfig sim;
    sim.split = split;
    sim.piece_gap_ms = 0.01;
    Rig r(sim);
    ASSERT_TRUE(r.link.open_port(1));
    for (int pass = 0; pass < 2; ++pass) {
      r.link.Invia_Setup(256, 8000, 0, 0, 0, 0, 0, 0, 0);
      ASSERT_EQ(r.link.Attendi_Trigger(), 1);
      for (int unit : {1, 2}) {
        ASSERT_EQ(r.link.Leggi_Unita(256, unit), 1) << "split " << split << ": " << r.link.error();
        EXPECT_TRUE(r.Exact(unit, 256)) << "split " << split << " unit " << unit;
        EXPECT_EQ(r.link.stray_bytes, 0);
      }
    }
  }
}

struct StrayCase {
  const char* what;
  SimConfig sim;
  std::vector<int> want_ok;     // per unit 1, 2, 3: 1 read, 0 failed
  std::vector<bool> want_stray; // whose read met unasked-for bytes
};

TEST(StrayBytes, NoUnaskedByteIsEverRecordedAsASample) {
  std::vector<StrayCase> cases;
  {
    // Unit 1's late block fails unit 1 alone: it is never met by unit 2's read.
    StrayCase c{"unit 1's first block comes after its time-out", {}, {0, 1, 1}, {false, false, false}};
    c.sim.faults.push_back({BlockFault::Kind::Delay, 1, 0, -1, 300});
    cases.push_back(c);
  }
  {
    StrayCase c{"unit 1 sends one block more than asked", {}, {0, 1, 1}, {true, false, false}};
    c.sim.faults.push_back({BlockFault::Kind::Extra, 1, 1});
    cases.push_back(c);
  }
  {
    // Before any block is asked for: dropped, and no unit is failed for it.
    StrayCase c{"a stray byte comes after the notice", {}, {1, 1, 1}, {false, false, false}};
    c.sim.stray_after_notice = 1;
    c.sim.stray_delay_ms = 40;
    cases.push_back(c);
  }
  for (const auto& c : cases) {
    Rig r(c.sim);
    ASSERT_TRUE(r.link.open_port(1));
    r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
    ASSERT_EQ(r.link.Attendi_Risposta(), 0x06);
    ASSERT_EQ(r.link.Attendi_Trigger(), 1);
    for (int unit = 1; unit <= 3; ++unit) {
      const int ok = r.link.Leggi_Unita(256, unit);
      EXPECT_EQ(ok, c.want_ok[unit - 1]) << c.what << ", unit " << unit << ": " << r.link.error();
      EXPECT_EQ(r.link.stray_bytes > 0, c.want_stray[unit - 1]) << c.what << ", unit " << unit;
      if (ok) {
        EXPECT_TRUE(r.Exact(unit, 256)) << c.what << ", unit " << unit;
      }
      if (r.link.stray_bytes > 0) {
        EXPECT_NE(r.link.error().find("not asked for"), std::string::npos) << r.link.error();
      }
    }
  }
}

TEST(RecordingTime, TheFirstBlockMayWaitForTheRecordingToEnd) {
  SimConfig sim;
  sim.hold_first_block = true;
  Rig r(sim);  // block time-out 200 ms
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 1000, 0, 1, 1, 0, 0, 0, 0);  // 256 ms of recording
  ASSERT_EQ(r.link.Attendi_Risposta(), 0x06);
  ASSERT_EQ(r.link.Attendi_Trigger(), 1);
  const auto t0 = MonoClock::now();
  ASSERT_EQ(r.link.Leggi_Unita(256, 1), 1) << r.link.error();
  EXPECT_GE(SecondsSince(t0), 0.25);
  EXPECT_TRUE(r.Exact(1, 256));
  // Later blocks and units keep the plain time-out.
  sim::SimConfig& cfg = r.port.units().config();
  cfg.absent = {2};
  const auto t1 = MonoClock::now();
  EXPECT_EQ(r.link.Leggi_Unita(256, 2), 0);
  EXPECT_LT(SecondsSince(t1), 0.2 + 0.5);
  EXPECT_NE(r.link.error().find("within 200 ms"), std::string::npos) << r.link.error();
}
