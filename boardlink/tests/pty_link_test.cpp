// The board link through QSerialPort against the boardsim program on a
// pseudo-terminal: what korvan and boardtest do on a real line.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>

#include <QTimer>

#include "boardlink/board_link.hpp"
#include "boardlink/qt/qt_serial_port.hpp"
#include "boardlink/tests/link_expect.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using namespace keld::board;
using keld::board::testing::DemeanedDouble;
using keld::board::testing::DemeanedFloat;
using QtPump = keld::QtEventPump;
using keld::board::testing::SecondsSince;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;

namespace {

constexpr uint64_t kSeed = 4711;

std::vector<std::string> SimArgs(const TempDir& dir, std::vector<std::string> extra) {
  std::vector<std::string> a = {"--seed", std::to_string(kSeed), "--link", dir / "com1"};
  a.insert(a.end(), extra.begin(), extra.end());
  return a;
}

LinkConfig Quick(LinkConfig c = {}) {
  c.block_timeout_ms = 300;
  c.reopen_pause_s = 0;
  return c;
}

// Pumps Qt and, on one pass, runs an action (stop, a signal to the simulator).
struct ActionPump : QtPump {
  int passes = 0;
  int when = -1;
  std::function<void()> action;
  void pump() override {
    QtPump::pump();
    if (++passes == when && action) action();
  }
};

struct PtyRig {
  explicit PtyRig(std::vector<std::string> extra = {}, LinkConfig cfg = Quick())
      : sim(keld::testing::BinDir() + "/boardsim", SimArgs(dir, std::move(extra))),
        env("KELD_COM1", dir / "com1"),
        link(port, pump, stop, cfg) {}

  sim::ShotSpec arm(int32_t n, int freq = 8000, int mode = 1) {
    const Packet p = ArmPacket(n, freq, 0, mode, 1, 0, 0, 0);
    link.Invia_Setup(n, freq, 0, mode, 1, 0, 0, 0, 0);
    return sim::ShotFromArm(p, kSeed, arms++);
  }
  sim::ShotSpec shoot(int32_t n, int freq = 8000) {
    auto s = arm(n, freq);
    EXPECT_EQ(link.Attendi_Risposta(), 0x06);
    EXPECT_EQ(link.Attendi_Trigger(), 1);
    return s;
  }
  void expect_read(const sim::ShotSpec& s, int unit, int n, int blocks) {
    ASSERT_EQ(link.Leggi_Unita(n, unit), 1) << "unit " << unit << ": " << link.error();
    const auto want = DemeanedFloat(s, unit, n, blocks);
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(link.Campioni[i], want[i]) << "unit " << unit << " sample " << i;
  }

  TempDir dir;
  sim::SimProcess sim;
  ScopedEnv env;
  ActionPump pump;
  int16_t stop = 0;
  QtSerialPort port;
  BoardLink link;
  int arms = 0;
};

#define OPEN_OR_FAIL(rig)                                          \
  ASSERT_TRUE((rig).sim.started()) << (rig).sim.error();            \
  ASSERT_TRUE((rig).link.open_port(1)) << (rig).link.error()

}  // namespace

TEST(PtyLink, TheProgramSaysWhereItIsAndLinksToIt) {
  PtyRig r;
  ASSERT_TRUE(r.sim.started()) << r.sim.error();
  EXPECT_EQ(r.sim.pty().rfind("/dev/pts/", 0), 0u) << r.sim.line();
  std::error_code ec;
  EXPECT_EQ(std::filesystem::read_symlink(r.dir / "com1", ec).string(), r.sim.pty());
  EXPECT_EQ(PortDevice(1), r.dir / "com1");
}

TEST(PtyLink, OpensAtThreeMegabaudReadBackFromTheDevice) {
  PtyRig r;
  OPEN_OR_FAIL(r);
  EXPECT_TRUE(r.port.is_open());
  EXPECT_EQ(r.port.device_baud_rate(), 3000000);
  EXPECT_EQ(r.port.device(), r.dir / "com1");
}

TEST(PtyLink, ArmStatusNoticeAndSixteenBlocksOf1024Samples) {
  PtyRig r;
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(1024);
  for (int unit : {1, 2, 3, 47, 48}) r.expect_read(s, unit, 1024, 16);
  // Against the simulator's own samples directly as well: one sample raw
  // value plus the mean equals what korvan stored.
  EXPECT_EQ(r.port.in_buffer_count(), 0u);
}

TEST(PtyLink, TenThousandNineHundredTwentyTwoSamples) {
  PtyRig r;
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(10922, 4000);
  r.expect_read(s, 1, 10922, 171);
  EXPECT_EQ(r.link.received_samples, 10944);
  const auto tail = sim::UnitSamples(s, 1, 10922, 22);
  for (int i = 0; i < 22; ++i)
    EXPECT_EQ(r.link.Campioni[static_cast<size_t>(10922 + i)], static_cast<float>(tail[static_cast<size_t>(i)]));
  // The near unit is clipped at both ends of the 24-bit range.
  const auto raw = sim::UnitSamples(s, 1, 0, 10922);
  EXPECT_EQ(*std::max_element(raw.begin(), raw.end()), 8388607);
  EXPECT_EQ(*std::min_element(raw.begin(), raw.end()), -8388608);
}

TEST(PtyLink, BoardtestReadsDoubles) {
  PtyRig r({}, Quick(LinkConfig::Boardtest()));
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(8192, 16000);
  ASSERT_EQ(r.link.Leggi_Unita(8192, 20), 1) << r.link.error();
  const auto want = DemeanedDouble(s, 20, 8192, 128);
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(r.link.CampioniD[i], want[i]) << i;
}

TEST(PtyLink, AMissingUnitTimesOutAndTheNextIsRead) {
  PtyRig r({"--absent", "2"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(1024);
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.link.Leggi_Unita(1024, 2), 0);
  EXPECT_GE(SecondsSince(t0), 0.29);
  EXPECT_EQ(r.link.Errore_Linea, 0);
  r.expect_read(s, 3, 1024, 16);
}

TEST(PtyLink, ALinkErrorOnOneUnitLeavesTheNextReadable) {
  PtyRig r({"--flood", "2:1:40000"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(1024);
  r.expect_read(s, 1, 1024, 16);
  EXPECT_EQ(r.link.Leggi_Unita(1024, 2), 0);
  EXPECT_NE(r.link.error().find("link error"), std::string::npos) << r.link.error();
  EXPECT_EQ(r.link.Errore_Linea, 0);
  r.expect_read(s, 3, 1024, 16);
}

TEST(PtyLink, ACutBlockFailsOnlyItsUnit) {
  PtyRig r({"--cut", "4:3:77"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(1024);
  EXPECT_EQ(r.link.Leggi_Unita(1024, 4), 0);
  r.expect_read(s, 5, 1024, 16);
}

TEST(PtyLink, SplitPiecesAndMergedBlocks) {
  PtyRig r({"--split", "50", "--piece-gap", "0.3", "--merge-blocks", "2:3", "--merge-blocks", "2:10"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(1024);
  r.expect_read(s, 1, 1024, 16);
  r.expect_read(s, 2, 1024, 16);
  r.expect_read(s, 3, 1024, 16);
}

TEST(PtyLink, StatusAndNoticeInOneWrite) {
  PtyRig r({"--merge-status"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.shoot(256);
  r.expect_read(s, 6, 256, 4);
}

TEST(PtyLink, StopEndsTheStatusWait) {
  LinkConfig c = Quick();
  c.status_timeout_ms = 0;
  // Nothing at all comes back, so only the stop can end the wait.
  PtyRig r({"--no-status", "--never-trigger"}, c);
  OPEN_OR_FAIL(r);
  r.arm(256);
  r.pump.when = r.pump.passes + 300;
  r.pump.action = [&] { r.stop = 1; };
  EXPECT_EQ(r.link.Attendi_Risposta(), 0);
  EXPECT_EQ(r.pump.passes, r.pump.when);
}

TEST(PtyLink, StopEndsTheTriggerWait) {
  PtyRig r({"--never-trigger"});
  OPEN_OR_FAIL(r);
  r.arm(256);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.pump.when = r.pump.passes + 300;
  r.pump.action = [&] { r.stop = 1; };
  EXPECT_EQ(r.link.Attendi_Trigger(), 0);
  EXPECT_EQ(r.pump.passes, r.pump.when);
}

TEST(PtyLink, StopEndsABlockRead) {
  LinkConfig c = Quick();
  c.block_timeout_ms = 60000;
  PtyRig r({"--absent", "9"}, c);
  OPEN_OR_FAIL(r);
  r.shoot(256);
  const auto t0 = MonoClock::now();
  r.pump.when = r.pump.passes + 300;
  r.pump.action = [&] { r.stop = 1; };
  EXPECT_EQ(r.link.Leggi_Unita(256, 9), 0);
  EXPECT_LT(SecondsSince(t0), 5.0);
}

TEST(PtyLink, TheTriggerComesOnTheSignal) {
  PtyRig r({"--trigger-on-signal"});
  OPEN_OR_FAIL(r);
  const sim::ShotSpec s = r.arm(512);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.pump.when = r.pump.passes + 200;
  r.pump.action = [&] { r.sim.signal(SIGUSR1); };
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
  EXPECT_GE(r.pump.passes, r.pump.when) << "the notice came before the signal";
  r.expect_read(s, 1, 512, 8);
}

TEST(PtyLink, FreeRunningNoticeOnlyThenAShotAgain) {
  PtyRig r;
  OPEN_OR_FAIL(r);
  const sim::ShotSpec noise = r.arm(256, 1000, 0);
  EXPECT_EQ(r.link.Attendi_Trigger(), 1);
  r.expect_read(noise, 2, 256, 4);
  const sim::ShotSpec shot = r.shoot(256, 1000);
  r.expect_read(shot, 2, 256, 4);
}

TEST(PtyLink, ReopeningDropsWhatCameBeforeAndReadsAgain) {
  PtyRig r({}, Quick(LinkConfig::Boardtest()));
  OPEN_OR_FAIL(r);
  r.arm(256);  // status and notice left unread
  QtPump p;
  const auto t0 = MonoClock::now();
  // Until the status byte and the notice (10 ms behind it) have come; the
  // bound is reached only by a failure.
  while (r.port.in_buffer_count() < 4 && SecondsSince(t0) < 30) {
    p.pump();
    r.port.poll_events();
  }
  ASSERT_EQ(r.port.in_buffer_count(), 4u);
  EXPECT_TRUE(r.link.Riapri_Porta()) << r.link.error();
  EXPECT_EQ(r.port.device_baud_rate(), 3000000);
  const sim::ShotSpec s = r.shoot(256);
  ASSERT_EQ(r.link.Leggi_Unita(256, 1), 1) << r.link.error();
  const auto want = DemeanedDouble(s, 1, 256, 4);
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(r.link.CampioniD[i], want[i]) << i;
}

TEST(PtyLink, TheUnitNumberRead) {
  PtyRig r({"--unit-number", "17"});
  OPEN_OR_FAIL(r);
  const Packet p = UnitNumberReadPacket();
  ASSERT_TRUE(r.port.write(p.data(), p.size()));
  const auto t0 = MonoClock::now();
  while (r.port.in_buffer_count() < 1 && SecondsSince(t0) < 30) r.port.poll_events();
  EXPECT_EQ(r.port.take(1), std::vector<uint8_t>{17});
}

TEST(PtyLink, TheLineGoingAwayIsALinkError) {
  LinkConfig c = Quick();
  c.block_timeout_ms = 60000;
  PtyRig r({"--absent", "3"}, c);
  OPEN_OR_FAIL(r);
  r.shoot(256);
  r.pump.when = r.pump.passes + 100;
  r.pump.action = [&] { r.sim.stop(); };
  const auto t0 = MonoClock::now();
  EXPECT_EQ(r.link.Leggi_Unita(256, 3), 0);
  EXPECT_LT(SecondsSince(t0), 10.0);
  EXPECT_NE(r.link.error().find("link error"), std::string::npos) << r.link.error();
}

// The line going away while the units wait for the trigger ends the wait
// with what happened, and what is written to the gone device fails.
TEST(PtyLink, TheLineGoingAwayEndsTheTriggerWaitAndWritesFail) {
  PtyRig r({"--trigger-on-signal"});
  OPEN_OR_FAIL(r);
  r.arm(256);
  EXPECT_EQ(r.link.Attendi_Risposta(), 0x06);
  r.pump.when = r.pump.passes + 100;
  r.pump.action = [&] { r.sim.stop(); };
  QTimer give_up;  // an operator who stopped waiting
  QObject::connect(&give_up, &QTimer::timeout, [&] { r.stop = 1; });
  give_up.start(15000);
  EXPECT_EQ(r.link.Attendi_Trigger(), 0);
  EXPECT_EQ(r.stop, 0);
  EXPECT_EQ(r.link.error().rfind("the link was lost while waiting for the trigger: the device ", 0), 0u)
      << r.link.error();
  EXPECT_FALSE(r.link.Invia_Setup(256, 8000, 0, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(r.link.error().rfind("the arm could not be sent: ", 0), 0u) << r.link.error();
}

TEST(PtyLink, APortWithoutADeviceDoesNotOpen) {
  TempDir dir;
  ScopedEnv env("KELD_COM9", dir / "nothing-here");
  QtSerialPort port;
  QtPump pump;
  int16_t stop = 0;
  BoardLink link(port, pump, stop);
  EXPECT_FALSE(link.open_port(9));
  EXPECT_EQ(link.open_error(), OpenError::Port);
  EXPECT_NE(link.error().find("Port 9"), std::string::npos) << link.error();
  EXPECT_NE(link.error().find(dir / "nothing-here"), std::string::npos) << link.error();
}
