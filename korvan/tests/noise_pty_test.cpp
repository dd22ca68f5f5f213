// The noise monitor of the main window over a real pseudo-terminal: the
// boardsim program plays the units, QSerialPort talks to it through port 1.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "boardlink/qt/qt_serial_port.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "common/testing/testsupport.hpp"
#include "korvan/tests/tools_fixture.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_pump.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;

namespace {

std::vector<std::string> SimArgs(const TempDir& dir, std::vector<std::string> extra) {
  std::vector<std::string> a = {"--seed", "11", "--link", dir / "com1"};
  a.insert(a.end(), extra.begin(), extra.end());
  return a;
}

// korvan's main window on port 1, which leads to the boardsim program.
struct PtyKorvan {
  explicit PtyKorvan(std::vector<std::string> extra)
      : sim(keld::testing::BinDir() + "/boardsim", SimArgs(dir, std::move(extra))),
        winenv("KELD_WINDIR", dir / "win"),
        com1("KELD_COM1", dir / "com1"),
        services{messages, launcher, pump, dialogs, port, dir / "prog", dir / "work", 0.0, [] {}, [] {}} {
    for (const char* f : {"win", "prog", "work"}) std::filesystem::create_directories(dir / f);
    window = std::make_unique<Korvan>(state, services);
    window->resize(1000, 700);
    window->Startup();
  }
  TempDir dir;
  sim::SimProcess sim;
  ScopedEnv winenv, com1;
  KorvanState state;
  MessageRecorder messages;
  ProcessRecorder launcher;
  QtEventPump pump;
  DialogRecorder dialogs;
  board::QtSerialPort port;
  KorvanServices services;
  std::unique_ptr<Korvan> window;
};

}  // namespace

TEST(KorvanNoisePty, SeveralPassesOverTheLineThenStopReopensIt) {
  PtyKorvan k({"--free-run-delay", "30"});
  ASSERT_TRUE(k.sim.started()) << k.sim.error();
  Korvan& w = *k.window;
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("3");
  for (int i = 0; i < 5; ++i) w.Command2->click();
  QImage during;
  bool reached = RunMonitor(w, [&] {
    const auto& d = w.noise_counts.drawn;
    for (int c = 1; c <= 3; ++c)
      if (!d.count(c) || d.at(c) < 4) return false;
    if (w.noise_counts.reads != 3 * w.noise_counts.passes) return false;  // the pass is whole
    during = w.Ecran->Snapshot();
    return true;
  });
  ASSERT_TRUE(reached) << "passes " << w.noise_counts.passes << ", reads " << w.noise_counts.reads
                       << ", failed " << w.noise_counts.failed_reads;
  EXPECT_EQ(w.noise_counts.failed_reads, 0);
  const int wpx = during.width();
  for (int c = 1; c <= 3; ++c)
    EXPECT_GT(RedPixels(during, wpx * c / 4 - wpx / 8, wpx * c / 4 + wpx / 8), 200) << "channel " << c;
  // The port was closed and opened again by STOP and still answers.
  EXPECT_TRUE(k.port.is_open());
  EXPECT_EQ(k.port.device_baud_rate(), 3000000);
  EXPECT_TRUE(w.Command6->isEnabled());
  EXPECT_TRUE(w.Command10->isEnabled());
  EXPECT_EQ(k.state.Monitor_Actif, 0);
  EXPECT_TRUE(RunMonitor(w, [&] { return w.noise_counts.reads >= 6; }));
  EXPECT_TRUE(k.messages.shown.empty()) << k.messages.shown[0].text;
}

TEST(KorvanNoisePty, AnAbsentUnitTimesOutAndStopStillWorks) {
  PtyKorvan k({"--absent", "2"});
  ASSERT_TRUE(k.sim.started()) << k.sim.error();
  Korvan& w = *k.window;
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("3");
  double stop_s = 0;
  // STOP pressed while the monitor waits for the absent unit.
  bool reached = RunMonitor(
      w,
      [&] {
        // Channel 1 of this pass drawn, unit 2 being waited for.
        const NoiseCounts& n = w.noise_counts;
        return n.drawn.count(3) && n.drawn.at(3) >= 2 && n.reads == 2 * n.passes - 1 &&
               n.failed_reads == n.passes - 1;
      },
      30000, &stop_s);
  ASSERT_TRUE(reached) << "passes " << w.noise_counts.passes << ", reads " << w.noise_counts.reads
                       << ", failed " << w.noise_counts.failed_reads;
  EXPECT_EQ(w.noise_counts.drawn.count(2), 0u);
  EXPECT_GE(w.noise_counts.drawn.at(1), 2);
  EXPECT_LT(stop_s, 1.0) << "STOP waited for the block time-out";
  EXPECT_TRUE(k.port.is_open());
  EXPECT_TRUE(w.Command6->isEnabled());
  EXPECT_FALSE(w.Command5->isEnabled());
}
