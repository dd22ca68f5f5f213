// A unit whose block comes after its time-out, or comes short with the rest
// later: its read fails with its own reason, and its late bytes are dropped
// by the next read, which records exactly what its own unit sent. The units
// share one line, so the late bytes come before the next unit's answer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "boardlink/board_link.hpp"
#include "boardlink/tests/link_expect.hpp"
#include "boardsim/sim_port.hpp"

using namespace keld;
using namespace keld::board;
using keld::board::testing::DemeanedFloat;
using keld::board::testing::ScriptedPump;
using keld::sim::BlockFault;
using keld::sim::SimConfig;
using keld::sim::SimPort;

namespace {

struct LateCase {
  const char* what;
  int timeout_ms;
  BlockFault fault;           // on unit 2
  std::vector<int> want_ok;   // units 1 to 4
  std::vector<int> want_late; // late bytes each read dropped
  const char* unit2_error;
  int pause_ms = 0;           // after the failure of unit `pause_unit` (its box being read)
  const char* unit3_error = "";
  int pause_unit = 2;
};

}  // namespace

TEST(LateBytes, AnotherUnitsLateBytesNeverFailOrShiftARead) {
  const std::vector<LateCase> cases = {
      {"block 2 comes 3.3 s late, past the old 1 s watch", 2000, {BlockFault::Kind::Delay, 2, 1, -1, 3300},
       {1, 0, 1, 1}, {0, 0, 192, 0}, "block 2 of unit 2 did not come within 2000 ms"},
      {"block 2 comes short, its rest 3.3 s later", 2000, {BlockFault::Kind::Slow, 2, 1, -1, 3300},
       {1, 0, 1, 1}, {0, 0, 92, 0}, "block 2 of unit 2 came short: 100 of its 192 bytes within 2000 ms"},
      {"the late block comes while unit 2's box is read", 200, {BlockFault::Kind::Delay, 2, 0, -1, 600},
       {1, 0, 1, 1}, {0, 0, 192, 0}, "block 1 of unit 2 did not come within 200 ms", 800},
      {"block 1 comes short and its rest never", 200, {BlockFault::Kind::Cut, 2, 0, -1, 100},
       {1, 0, 1, 1}, {0, 0, 0, 0}, "block 1 of unit 2 came short: 100 of its 192 bytes within 200 ms"},
      // On the one line unit 3's answer waits behind unit 2's block: more
      // than two time-outs late, it holds unit 3 past its own time-out. Both
      // blocks come while unit 3's box is read.
      {"block 1 comes later than two time-outs", 300, {BlockFault::Kind::Delay, 2, 0, -1, 1500},
       {1, 0, 0, 1}, {0, 0, 0, 384}, "block 1 of unit 2 did not come within 300 ms", 1500,
       "block 1 of unit 3 did not come within 300 ms", 3},
  };
  for (const LateCase& c : cases) {
    SCOPED_TRACE(c.what);
    SimConfig sim;
    sim.faults.push_back(c.fault);
    SimPort port(sim);
    ScriptedPump pump;
    int16_t stop = 0;
    LinkConfig cfg;
    cfg.block_timeout_ms = c.timeout_ms;
    cfg.reopen_pause_s = 0;
    BoardLink link(port, pump, stop, cfg);
    ASSERT_TRUE(link.open_port(1));
    link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
    ASSERT_EQ(link.Attendi_Risposta(), 0x06);
    ASSERT_EQ(link.Attendi_Trigger(), 1);
    for (int unit = 1; unit <= 4; ++unit) {
      const int ok = link.Leggi_Unita(256, unit);
      EXPECT_EQ(ok, c.want_ok[unit - 1]) << "unit " << unit << ": " << link.error();
      EXPECT_EQ(link.late_bytes, c.want_late[unit - 1]) << "unit " << unit;
      EXPECT_EQ(link.stray_bytes, 0) << "unit " << unit << ": " << link.error();
      if (unit == 2) {
        EXPECT_EQ(link.error(), c.unit2_error);
      }
      if (unit == 3 && !ok) {
        EXPECT_EQ(link.error(), c.unit3_error);
      }
      if (unit == c.pause_unit) std::this_thread::sleep_for(std::chrono::milliseconds(c.pause_ms));
      if (!ok) continue;
      const auto want = DemeanedFloat(port.units().shot(), unit, 256, 4);
      for (size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(link.Campioni[i], want[i]) << "unit " << unit << " sample " << i;
    }
    EXPECT_EQ(link.owed_bytes(), 0);
  }
}
