// The board link against the simulated units in the same process.
#include <gtest/gtest.h>

#include <algorithm>

#include "boardlink/board_link.hpp"
#include "boardlink/tests/link_expect.hpp"
#include "boardsim/sim_port.hpp"

using namespace keld;
using namespace keld::board;
using keld::board::testing::DemeanedDouble;
using keld::board::testing::DemeanedFloat;
using keld::board::testing::ScriptedPump;
using keld::board::testing::SecondsSince;
using keld::sim::BlockFault;
using keld::sim::SimConfig;
using keld::sim::SimPort;

namespace {

struct Rig {
  explicit Rig(SimConfig sim = {}, LinkConfig cfg = {}) : port(std::move(sim)), link(port, pump, stop, cfg) {}
  // Opens port 1, arms for a shot and waits through status and notice.
  void shoot(int32_t n, int freq = 8000) {
    ASSERT_TRUE(link.open_port(1)) << link.error();
    link.Invia_Setup(n, freq, 0, 1, 1, 0, 0, 0, 0);
    ASSERT_EQ(link.Attendi_Risposta(), 0x06);
    ASSERT_EQ(link.Attendi_Trigger(), 1);
  }
  int read(int32_t n, int unit) { return link.Leggi_Unita(n, unit); }
  ScriptedPump pump;
  int16_t stop = 0;
  SimPort port;
  BoardLink link;
};

LinkConfig Quick(LinkConfig c = {}) {
  c.block_timeout_ms = 200;
  c.reopen_pause_s = 0;
  return c;
}

void ExpectFloatRead(const BoardLink& link, const sim::ShotSpec& s, int unit, int n, int blocks) {
  const auto want = DemeanedFloat(s, unit, n, blocks);
  for (size_t i = 0; i < want.size(); ++i)
    ASSERT_EQ(link.Campioni[i], want[i]) << "unit " << unit << " sample " << i;
}

int CountPackets(const sim::Units& u, uint8_t code) {
  return static_cast<int>(std::count_if(u.received.begin(), u.received.end(),
                                        [&](const Packet& p) { return p[0] == code; }));
}

}  // namespace

TEST(OpenPort, KorvanSetsThePortUpAndSelectsTheUnit) {
  Rig r;
  r.link.Indirizzo_Unita = 0;
  ASSERT_TRUE(r.link.open_port(3));
  EXPECT_TRUE(r.port.is_open());
  EXPECT_EQ(r.port.port_number(), 3);
  EXPECT_EQ(r.port.baud(), 3000000);
  EXPECT_EQ(r.port.input_buffer_size(), 20000);
  EXPECT_EQ(r.port.input_length(), 1);
  EXPECT_EQ(r.port.receive_threshold(), 0) << "no receive event may take the 1- and 3-byte replies";
  ASSERT_EQ(r.port.units().received.size(), 1u);
  EXPECT_EQ(r.port.units().received[0], UnitSelectPacket(0));
  EXPECT_EQ(r.port.units().last_selected(), 0);
  // The selection packet leaves before pending output is thrown away.
  const auto& c = r.port.calls;
  auto w = std::find(c.begin(), c.end(), "write");
  ASSERT_NE(w, c.end());
  ASSERT_LT(w + 2, c.end());
  EXPECT_EQ(*(w + 1), "drain");
  EXPECT_EQ(*(w + 2), "discard_output");
}

TEST(OpenPort, BoardtestTakesALargerBufferAndSendsNoSelection) {
  Rig r({}, LinkConfig::Boardtest());
  ASSERT_TRUE(r.link.open_port(128));
  EXPECT_EQ(r.port.input_buffer_size(), 30000);
  EXPECT_EQ(r.port.port_number(), 128);
  EXPECT_TRUE(r.port.units().received.empty());
}

TEST(OpenPort, APortThatDoesNotOpenIsReported) {
  Rig r;
  r.port.openable = {1};
  EXPECT_FALSE(r.link.open_port(2));
  EXPECT_EQ(r.link.open_error(), OpenError::Port);
  EXPECT_NE(r.link.error().find("Port 2"), std::string::npos) << r.link.error();
  EXPECT_FALSE(r.port.is_open());
  EXPECT_TRUE(r.port.units().received.empty());
  EXPECT_TRUE(r.link.open_port(1));
  EXPECT_EQ(r.link.open_error(), OpenError::None);
}

TEST(OpenPort, ARefusedRateClosesThePortAndSendsNothing) {
  Rig r;
  r.port.refuse_baud_ports = {4};
  EXPECT_FALSE(r.link.open_port(4));
  EXPECT_EQ(r.link.open_error(), OpenError::Rate);
  EXPECT_EQ(r.link.error(), "This baude rate is Impossible ");
  EXPECT_FALSE(r.port.is_open());
  EXPECT_TRUE(r.port.units().received.empty());
}

TEST(Shot, ThousandTwentyFourSamplesFromThreeUnits) {
  Rig r({}, Quick());
  r.shoot(1024);
  const sim::ShotSpec s = r.port.units().shot();
  EXPECT_EQ(s.samples, 1024);
  EXPECT_EQ(s.trigger_mode, 1);
  for (int unit : {1, 2, 48}) {
    ASSERT_EQ(r.read(1024, unit), 1) << r.link.error();
    EXPECT_EQ(r.link.Nb_Ricevuti, 192);
    EXPECT_EQ(r.link.Buffer_Ricevuto.size(), 192u);
    EXPECT_EQ(r.link.received_samples, 1024);
    ExpectFloatRead(r.link, s, unit, 1024, 16);
  }
  // 16 identical requests per unit, the arm first.
  const auto& got = r.port.units().received;
  ASSERT_EQ(got.size(), 2u + 48u);
  EXPECT_EQ(got[1], ArmPacket(1024, 8000, 0, 1, 1, 0, 0, 0));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(got[static_cast<size_t>(2 + i)], BlockRequestPacket(1));
  // The mean of samples 1..1023 is gone.
  double m = 0;
  for (int i = 1; i < 1024; ++i) m += r.link.Campioni[static_cast<size_t>(i)];
  EXPECT_LT(std::abs(m / 1023), 2.0);
}

TEST(Shot, TenThousandNineHundredTwentyTwoSamplesDemeanOnlyTheAskedOnes) {
  Rig r({}, Quick());
  r.shoot(10922);
  const sim::ShotSpec s = r.port.units().shot();
  ASSERT_EQ(r.read(10922, 5), 1) << r.link.error();
  EXPECT_EQ(CountPackets(r.port.units(), 0xD1), 171);
  EXPECT_EQ(r.link.received_samples, 10944);
  ExpectFloatRead(r.link, s, 5, 10922, 171);
  const auto raw = sim::UnitSamples(s, 5, 10922, 22);
  for (int i = 0; i < 22; ++i)
    EXPECT_EQ(r.link.Campioni[static_cast<size_t>(10922 + i)], static_cast<float>(raw[static_cast<size_t>(i)]));
}

TEST(Shot, BoardtestKeepsDoublesAndWholeBlocks) {
  Rig r({}, Quick(LinkConfig::Boardtest()));
  r.shoot(256);
  const sim::ShotSpec s = r.port.units().shot();
  ASSERT_EQ(r.read(256, 12), 1);
  EXPECT_TRUE(r.link.Campioni.empty());
  const auto want = DemeanedDouble(s, 12, 256, 4);
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(r.link.CampioniD[i], want[i]) << i;
}

TEST(Shot, OneSampleFetchesOneBlockAndDividesByNothing) {
  Rig r({}, Quick());
  r.shoot(1);
  const sim::ShotSpec s = r.port.units().shot();
  ASSERT_EQ(r.read(1, 3), 1);
  EXPECT_EQ(CountPackets(r.port.units(), 0xD1), 1);
  EXPECT_EQ(r.link.Campioni[0], static_cast<float>(sim::UnitSample(s, 3, 0)));
}

TEST(Shot, CountsThatTheRuleRoundsDownStillCoverEverySample) {
  Rig r({}, Quick());
  r.shoot(10900);  // 10900/64 - 1 = 169.3 → 170 blocks = 10,880 samples: short of 10,900
  const sim::ShotSpec s = r.port.units().shot();
  ASSERT_EQ(r.read(10900, 7), 1);
  EXPECT_EQ(CountPackets(r.port.units(), 0xD1), 171);
  ExpectFloatRead(r.link, s, 7, 10900, 171);
}

TEST(Shot, UnitsOutsideTheByteAndAbsurdCountsFailAtOnce) {
  Rig r({}, Quick());
  r.shoot(256);
  const size_t before = r.port.units().received.size();
  EXPECT_EQ(r.read(256, 256), 0);
  EXPECT_EQ(r.read(256, -1), 0);
  EXPECT_EQ(r.read(0, 1), 0);
  EXPECT_EQ(r.read(200002, 1), 0);
  EXPECT_EQ(r.port.units().received.size(), before) << "nothing may be sent for them";
  EXPECT_EQ(r.read(256, 1), 1);
}

TEST(Failures, AMissingUnitTimesOutAndTheNextIsRead) {
  SimConfig sim;
  sim.absent = {2};
  Rig r(sim, Quick());
  r.shoot(1024);
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.read(1024, 2), 0);
  EXPECT_GE(SecondsSince(t0), 0.19);
  EXPECT_LT(SecondsSince(t0), 1.5);
  EXPECT_NE(r.link.error().find("unit 2"), std::string::npos) << r.link.error();
  EXPECT_EQ(r.link.Errore_Linea, 0);
  ASSERT_EQ(r.read(1024, 3), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 3, 1024, 16);
}

TEST(Failures, TheDefaultBlockTimeOutIsTwoSeconds) {
  SimConfig sim;
  sim.absent = {9};
  LinkConfig c;
  c.reopen_pause_s = 0;
  Rig r(sim, c);
  r.shoot(64);
  ASSERT_EQ(r.read(64, 1), 1);  // the arm's first block, which may wait out the recording
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.read(64, 9), 0);
  const double failed_after = SecondsSince(t0);
  EXPECT_EQ(r.link.error(), "block 1 of unit 9 did not come within 2000 ms");
  // The read fails at the time-out; only the line's quiet drain follows it.
  EXPECT_GE(failed_after, 1.99);
  EXPECT_LT(failed_after, 3.5);  // loose: a busy machine answers late
}

// An error event that comes after a unit's last block, while the line is
// checked for bytes behind it, fails that read; the next read starts clear.
TEST(Failures, AnErrorEventRightAfterTheLastBlockFailsThatRead) {
  Rig r({}, Quick());
  r.shoot(256);
  bool raised = false;
  r.pump.every_pass = [&] {
    if (!raised && CountPackets(r.port.units(), 0xD1) == 4 && r.link.Nb_Ricevuti == 192) {
      r.port.raise_error(kErFrame);
      raised = true;
    }
  };
  EXPECT_EQ(r.read(256, 1), 0);
  ASSERT_TRUE(raised);
  EXPECT_EQ(r.link.error(), "link error while reading unit 1, after its last block came");
  EXPECT_EQ(r.link.Errore_Linea, 0);
  r.pump.every_pass = nullptr;
  ASSERT_EQ(r.read(256, 2), 1) << r.link.error();
  ExpectFloatRead(r.link, r.port.units().shot(), 2, 256, 4);
}

TEST(Failures, AnErrorEventFailsOnlyThatUnit) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Error, 2, 3, -1, kErFrame});
  Rig r(sim, Quick());
  r.shoot(1024);
  ASSERT_EQ(r.read(1024, 1), 1);
  EXPECT_EQ(r.read(1024, 2), 0);
  EXPECT_EQ(r.link.Errore_Linea, 0) << "the flag is back to 0 for the next unit";
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
  ASSERT_EQ(r.read(1024, 3), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 3, 1024, 16);
}

// An error event while the units wait for the trigger (the device went, the
// line was garbled) ends the wait, saying what happened; after "Release
// Trigger" and the port reopened, the next shot's first read does not fail
// for it.
TEST(Failures, AnErrorInTheTriggerWaitEndsItAndFailsNoLaterRead) {
  SimConfig sim;
  sim.trigger_on_signal = true;
  Rig r(sim, Quick());
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  ASSERT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.port.raise_error(kErFrame);
  const auto t0 = MonoClock::now();
  r.pump.every_pass = [&] {
    if (SecondsSince(t0) > 10) r.stop = 1;  // an operator who stopped waiting
  };
  ASSERT_EQ(r.link.Attendi_Trigger(), 0);
  EXPECT_EQ(r.stop, 0);
  EXPECT_EQ(r.link.error(), "the link was lost while waiting for the trigger: a framing error");
  ASSERT_TRUE(r.link.Riapri_Porta());
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  ASSERT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.port.trigger();
  ASSERT_EQ(r.link.Attendi_Trigger(), 1);
  EXPECT_EQ(r.read(256, 1), 1) << r.link.error();
}

TEST(Failures, EveryErrorEventOfTheTableIsALinkError) {
  for (int code : {int{kEvSend}, int{kEvEof}, int{kErFrame}, int{kErOverrun}, int{kErRxOver},
                   int{kErRxParity}, int{kErTxFull}, int{kErDcb}, int{kErDevice}}) {
    Rig r;
    r.link.on_comm_event(code);
    EXPECT_EQ(r.link.Errore_Linea, -1) << code;
  }
  for (int code : {int{kEvCts}, int{kEvDsr}, int{kEvCd}, int{kEvRing}, int{kErBreak}, 4242}) {
    Rig r;
    r.link.on_comm_event(code);
    EXPECT_EQ(r.link.Errore_Linea, 0) << code;
  }
}

TEST(Failures, ABreakIsALinkErrorForBoardtestOnly) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Error, 4, 0, -1, kErBreak});
  {
    Rig r(sim, Quick());
    r.shoot(256);
    EXPECT_EQ(r.read(256, 4), 1);
  }
  {
    Rig r(sim, Quick(LinkConfig::Boardtest()));
    r.shoot(256);
    EXPECT_EQ(r.read(256, 4), 0);
    EXPECT_EQ(r.read(256, 5), 1);
  }
}

TEST(Failures, AnOverflowingFloodFailsTheUnitAndIsDrained) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Flood, 6, 1, -1, 25000});
  Rig r(sim, Quick());
  r.shoot(1024);
  EXPECT_EQ(r.read(1024, 6), 0);
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
  ASSERT_EQ(r.read(1024, 7), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 7, 1024, 16);
}

TEST(Failures, ACutBlockTimesOutAndItsRestDoesNotReachTheNextUnit) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Cut, 3, 5, -1, 100});
  Rig r(sim, Quick());
  r.shoot(1024);
  EXPECT_EQ(r.read(1024, 3), 0);
  ASSERT_EQ(r.read(1024, 4), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 4, 1024, 16);
}

TEST(Failures, ALateBlockIsDrainedNotTakenByTheNextUnit) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Delay, 3, 2, -1, 500});  // 300 ms after the time-out
  // The drain after the failure waits for a second of quiet: the late block
  // comes within it even when a busy machine holds the link back.
  LinkConfig c = Quick();
  c.drain_quiet_ms = 1000;
  c.drain_max_ms = 3000;
  Rig r(sim, c);
  r.shoot(1024);
  EXPECT_EQ(r.read(1024, 3), 0);
  EXPECT_EQ(r.port.replies_in_flight(), 0u);
  ASSERT_EQ(r.read(1024, 4), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 4, 1024, 16);
}

TEST(Failures, ASlowBlockWithinTheTimeOutIsFine) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Delay, 3, 2, -1, 100});
  Rig r(sim, Quick());
  r.shoot(1024);
  ASSERT_EQ(r.read(1024, 3), 1);
  ExpectFloatRead(r.link, r.port.units().shot(), 3, 1024, 16);
}

TEST(Failures, KorvanStoresAGarbledBlockAsItCame) {
  SimConfig sim;
  sim.faults.push_back({BlockFault::Kind::Garble, 1, 2, -1, 0});
  Rig r(sim, Quick());
  r.shoot(256);
  ASSERT_EQ(r.read(256, 1), 1);
  const sim::ShotSpec s = r.port.units().shot();
  // Raw values back from the de-meaned ones: add the mean of samples 1..255.
  std::vector<uint8_t> garbled = sim::UnitBlock(s, 1, 2);
  for (size_t i = 0; i < garbled.size(); ++i) garbled[i] ^= static_cast<uint8_t>(0x5A + i);
  std::vector<double> raw(256);
  for (int i = 0; i < 256; ++i) {
    const int b = i / 64;
    raw[static_cast<size_t>(i)] = b == 2 ? DecodeSample(&garbled[static_cast<size_t>(3 * (i % 64))])
                                         : sim::UnitSample(s, 1, i);
  }
  double sum = 0;
  for (int i = 1; i < 256; ++i) sum += raw[static_cast<size_t>(i)];
  for (int i = 0; i < 256; ++i)  // korvan de-means in single precision
    ASSERT_NEAR(r.link.Campioni[static_cast<size_t>(i)], raw[static_cast<size_t>(i)] - sum / 255, 2) << i;
}

TEST(Failures, BoardtestFailsAUnitWhoseBlockWasGarbled) {
  const int cases[][3] = {{1, 2, 8000}, {7, 0, 1000}, {30, 3, 250}, {48, 1, 16000}};  // unit, block, Hz
  for (auto [unit, block, freq] : cases) {
    SimConfig sim;
    sim.faults.push_back({BlockFault::Kind::Garble, unit, block, -1, 0});
    Rig r(sim, Quick(LinkConfig::Boardtest()));
    r.shoot(256, freq);
    EXPECT_EQ(r.read(256, unit), 0) << unit;
    EXPECT_NE(r.link.error().find("the block was corrupted on the way"), std::string::npos) << r.link.error();
    EXPECT_EQ(r.read(256, unit % 48 + 1), 1) << "the next unit reads: " << r.link.error();
  }
}

TEST(Delivery, MergedBlocksAndSplitWritesGiveTheSameSamples) {
  SimConfig merged;
  merged.faults.push_back({BlockFault::Kind::Merge, 2, 4, -1, 0});
  merged.faults.push_back({BlockFault::Kind::Merge, 2, 9, -1, 0});
  SimConfig split;
  split.split = 7;
  split.piece_gap_ms = 0;
  for (const SimConfig& sim : {merged, split}) {
    Rig r(sim, Quick());
    r.shoot(1024);
    ASSERT_EQ(r.read(1024, 2), 1);
    ExpectFloatRead(r.link, r.port.units().shot(), 2, 1024, 16);
  }
}

TEST(Delivery, AStatusByteWithTheNoticeBehindItKeepsTheNotice) {
  SimConfig sim;
  sim.merge_status = true;
  Rig r(sim, Quick());
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(1024, 8000, 0, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  EXPECT_EQ(r.port.in_buffer_count(), 3u) << "the notice stays queued";
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
  EXPECT_EQ(r.read(1024, 1), 1);
}

TEST(Delivery, TheReceiveEventTakesNothingWhenNoBlockIsAwaited) {
  Rig r({}, Quick());
  r.shoot(256);
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);  // status and notice arrive
  const auto t0 = MonoClock::now();
  while (r.port.in_buffer_count() < 4 && SecondsSince(t0) < 30) r.port.poll_events();
  EXPECT_EQ(r.port.in_buffer_count(), 4u);
  r.link.on_comm_event(kEvReceive);
  EXPECT_EQ(r.port.in_buffer_count(), 4u);
  EXPECT_EQ(r.link.Nb_Ricevuti, 0);
}

TEST(FreeRunning, NoticeOnlyAndNoiseOnly) {
  Rig r({}, Quick());
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 1000, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
  ASSERT_EQ(r.read(256, 1), 1);
  float peak = 0;
  for (int i = 0; i < 256; ++i) peak = std::max(peak, std::abs(r.link.Campioni[static_cast<size_t>(i)]));
  EXPECT_LT(peak, 20000.0f) << "free-running units send noise only";
}

// Free-running units start at once: a notice that has not come when the
// status time-out has passed on the link's clock ends the wait. A triggered
// arm's wait has no time-out, however far the same clock runs.
TEST(FreeRunning, ANoticeLaterThanTheStatusTimeOutEndsTheWait) {
  struct StepClock : LinkClock {
    MonoClock::time_point t{};
    MonoClock::time_point now() override { return t; }
  } clock;
  SimConfig sim;
  sim.free_run_delay_ms = 600000;
  SimPort port(sim);
  ScriptedPump pump;
  pump.every_pass = [&] { clock.t += std::chrono::milliseconds(100); };
  int16_t stop = 0;
  BoardLink link(port, pump, stop, Quick(), clock);
  ASSERT_TRUE(link.open_port(1));
  link.Invia_Setup(256, 1000, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(link.Attendi_Trigger(TriggerWait::FreeRunning), 0);
  EXPECT_EQ(link.error(), "no trigger notice came within 2000 ms of the free-running arm");
  EXPECT_EQ(pump.passes, 20);
  link.Invia_Setup(256, 1000, 0, 1, 1, 0, 0, 0, 0);
  pump.when = pump.passes + 1000;  // 100 s on the link's clock
  pump.at_pass = [&] { stop = 1; };
  EXPECT_EQ(link.Attendi_Trigger(TriggerWait::UntilFired), 0);
  EXPECT_EQ(pump.passes, pump.when);
}

TEST(Stop, EndsTheStatusWait) {
  SimConfig sim;
  sim.no_status = true;
  LinkConfig c = Quick();
  c.status_timeout_ms = 0;  // no time-out: only the flag ends it
  Rig r(sim, c);
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  r.pump.when = r.pump.passes + 200;
  r.pump.at_pass = [&] { r.stop = 1; };
  EXPECT_EQ(r.link.Attendi_Risposta(), 0);
  EXPECT_EQ(r.pump.passes, r.pump.when);
}

TEST(Stop, TheStatusWaitEndsAfterItsTimeOut) {
  SimConfig sim;
  sim.no_status = true;
  sim.trigger_delay_ms = 1500;  // well after the status wait has ended, however busy the machine
  LinkConfig c = Quick();
  c.status_timeout_ms = 100;
  Rig r(sim, c);
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.link.Attendi_Risposta(), 0);
  EXPECT_GE(SecondsSince(t0), 0.09);
  EXPECT_LT(SecondsSince(t0), 1.0);
  // The notice still comes and is taken whole.
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
}

TEST(Stop, EndsTheTriggerWaitWhichHasNoTimeOut) {
  SimConfig sim;
  sim.never_trigger = true;
  Rig r(sim, Quick());
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  const auto t0 = MonoClock::now();
  r.pump.every_pass = [&] {
    if (SecondsSince(t0) > 2.5) r.stop = 1;  // past every time-out of the link
  };
  EXPECT_EQ(r.link.Attendi_Trigger(), 0);
  EXPECT_GE(SecondsSince(t0), 2.5);
}

TEST(Stop, EndsABlockRead) {
  SimConfig sim;
  sim.absent = {8};
  LinkConfig c = Quick();
  c.block_timeout_ms = 60000;
  Rig r(sim, c);
  r.shoot(1024);
  const auto t0 = MonoClock::now();
  r.pump.when = r.pump.passes + 100;
  r.pump.at_pass = [&] { r.stop = 1; };
  EXPECT_EQ(r.read(1024, 8), 0);
  EXPECT_LT(SecondsSince(t0), 1.0);
  // With the flag still up every further unit fails at once, without a request.
  const int requests = CountPackets(r.port.units(), 0xD1);
  EXPECT_EQ(r.read(1024, 9), 0);
  EXPECT_EQ(CountPackets(r.port.units(), 0xD1), requests);
  r.stop = 0;
  EXPECT_EQ(r.read(1024, 9), 1);
}

TEST(Stop, TheTriggerCanWaitForASignal) {
  SimConfig sim;
  sim.trigger_on_signal = true;
  Rig r(sim, Quick());
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(512, 8000, 0, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.pump.when = r.pump.passes + 500;
  r.pump.at_pass = [&] { r.port.trigger(); };
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
  EXPECT_GE(r.pump.passes, r.pump.when);
  EXPECT_EQ(r.read(512, 2), 1);
}

TEST(Reopen, KorvanPausesTwoToThreeSecondsBoardtestNot) {
  {
    Rig r;
    ASSERT_TRUE(r.link.open_port(5));
    const auto t0 = MonoClock::now();
    EXPECT_TRUE(r.link.Riapri_Porta());
    EXPECT_GE(SecondsSince(t0), 1.99);
    EXPECT_LE(SecondsSince(t0), 3.1);
    EXPECT_GT(r.pump.passes, 0);
    EXPECT_EQ(r.port.port_number(), 5);
    EXPECT_EQ(r.port.baud(), 3000000);
    EXPECT_EQ(r.port.input_length(), 1);
    EXPECT_EQ(r.port.input_buffer_size(), 20000);
  }
  {
    Rig r({}, LinkConfig::Boardtest());
    ASSERT_TRUE(r.link.open_port(5));
    const auto t0 = MonoClock::now();
    EXPECT_TRUE(r.link.Riapri_Porta());
    EXPECT_LT(SecondsSince(t0), 0.5);
    EXPECT_EQ(r.port.input_buffer_size(), 30000);
  }
}

TEST(Reopen, AFailedReopenIsReportedAndReadsFailAtOnce) {
  LinkConfig c = Quick();
  c.block_timeout_ms = 20000;
  Rig r({}, c);
  ASSERT_TRUE(r.link.open_port(2));
  r.port.openable = {1};
  EXPECT_FALSE(r.link.Riapri_Porta());
  EXPECT_FALSE(r.port.is_open());
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.read(256, 1), 0);
  EXPECT_LT(SecondsSince(t0), 10.0) << "a closed port is no reason to wait for the time-out";
}

TEST(Drain, LateBytesAreDiscardedWithTheWaitingOnes) {
  LinkConfig c = Quick();
  c.drain_quiet_ms = 1000;  // the notice 10 ms after the status byte comes within it, however busy the machine
  Rig r({}, c);
  ASSERT_TRUE(r.link.open_port(1));
  r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0);
  r.link.discard_input();
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
  EXPECT_EQ(r.port.replies_in_flight(), 0u) << "the notice 10 ms later is drained too";
}
