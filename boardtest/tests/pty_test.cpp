// boardtest over a real pseudo-terminal: the boardsim program plays the
// units, Qt's serial port talks to it through port 1.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <csignal>

#include "boardlink/qt/qt_serial_port.hpp"
#include "boardlink/window/rs232.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "boardtest/tests/forwarding_port.hpp"
#include "boardtest/tests/window_fixture.hpp"

using namespace keld;
using namespace keld::boardtest;
using keld::boardtest::testing::Caption;
using keld::testing::ScopedEnv;
using Fixture = keld::boardtest::testing::Console;

namespace {

// The port with the code of every packet written kept, in order.
struct WireLog : keld::boardtest::testing::ForwardingPort {
  using ForwardingPort::ForwardingPort;
  bool write(const uint8_t* d, size_t n) override {
    if (n > 0) codes.push_back(d[0]);
    return in.write(d, n);
  }
  std::vector<uint8_t> codes;
};

struct PtyConsole {
  explicit PtyConsole(std::vector<std::string> args)
      : sim(keld::testing::BinDir() + "/boardsim", With(args, dir / "com1")),
        com1("KELD_COM1", dir / "com1"),
        wire(port),
        f(wire) {}
  static std::vector<std::string> With(std::vector<std::string> a, const std::string& link) {
    a.insert(a.end(), {"--seed", "5", "--link", link});
    return a;
  }
  keld::testing::TempDir dir;
  sim::SimProcess sim;
  ScopedEnv com1;
  board::QtSerialPort port;
  WireLog wire;
  Fixture f;
};

TEST(BoardtestPty, GoTriggerWaitsForTheSignalAndMarksAnAbsentUnit) {
  PtyConsole k({"--trigger-on-signal", "--absent", "3"});
  ASSERT_TRUE(k.sim.started()) << k.sim.error();
  Analog& w = k.f.start();
  ASSERT_TRUE(k.f.open_port());
  k.f.tick_rows({{1, "1"}, {2, "2"}, {3, "3"}});
  // The signal goes a while after the arm has gone out, once the console
  // waits for the trigger.
  int waited = 0;
  QTimer release;
  release.setInterval(50);
  QObject::connect(&release, &QTimer::timeout, [&] {
    const bool armed = std::count(k.wire.codes.begin(), k.wire.codes.end(), 0x1A) > 0;
    if (!armed || ++waited < 3) return;
    EXPECT_EQ(w.Message->text(), "READY for Trigger!") << "\"Triggered !\" only after the notice";
    k.sim.signal(SIGUSR1);
    release.stop();
  });
  release.start();
  w.Pulsante_trg->click();
  EXPECT_EQ(waited, 3);
  EXPECT_EQ(Caption(w, 1), "OK");
  EXPECT_EQ(Caption(w, 2), "OK");
  EXPECT_EQ(Caption(w, 3), "ERROR");
  EXPECT_EQ(k.f.state.Errori[3], 1);
  EXPECT_TRUE(k.port.is_open());  // opened again after the failure
  EXPECT_TRUE(w.Pulsante_trg->isEnabled());

  // Counted in ini.txt at EXIT.
  w.uscita->trigger();
  const std::string ini = keld::testing::ReadText(k.f.dir / "ini.txt");
  EXPECT_NE(ini.find("\"Errori:\"\r\n0\r\n0\r\n1\r\n0\r\n"), std::string::npos) << ini;
}

TEST(BoardtestPty, GoRunningArmsOncePerCycleUnderASlowUnitUntilStop) {
  PtyConsole k({"--delay", "2:1:40", "--free-run-delay", "5"});
  ASSERT_TRUE(k.sim.started()) << k.sim.error();
  Analog& w = k.f.start();
  ASSERT_TRUE(k.f.open_port());
  k.f.tick_rows({{1, "1"}, {2, "2"}, {4, "4"}});
  w.Option4->click();
  w.pulsante_running->click();
  EXPECT_EQ(w.Label84->text(), "50000");  // the selected gain stays
  EXPECT_FALSE(w.uscita->isEnabled());
  ASSERT_TRUE(Fixture::RunUntil([&] { return w.console().cycles_run() >= 5; }, 20000))
      << "cycles " << w.console().cycles_run();
  w.Command10->click();
  ASSERT_TRUE(Fixture::RunUntil([&] { return !w.console().busy(); }));
  EXPECT_FALSE(w.Timer3->isActive());
  // On the wire: each arm followed by its whole cycle, 3 units x 4 blocks,
  // before the next arm; only the last may have been cut by STOP.
  std::vector<int> blocks_after_arm;
  for (uint8_t c : k.wire.codes) {
    if (c == 0x1A) blocks_after_arm.push_back(0);
    else if (c == 0xD1 && !blocks_after_arm.empty()) ++blocks_after_arm.back();
  }
  ASSERT_GE(blocks_after_arm.size(), 5u);
  for (size_t i = 0; i + 1 < blocks_after_arm.size(); ++i) EXPECT_EQ(blocks_after_arm[i], 12) << "arm " << i;
  for (int u : {1, 2, 4}) EXPECT_EQ(k.f.state.Errori[static_cast<size_t>(u)], 0) << u;
  EXPECT_EQ(Caption(w, 2), "OK");
  EXPECT_EQ(Caption(w, 3), "UNIT");
  EXPECT_TRUE(w.Pulsante_trg->isEnabled());
  EXPECT_TRUE(k.f.messages.shown.empty());
}

// The device pulled out while the console is idle (the simulator gone with
// its device file), then plugged back in. GO trigger says it is not there
// and offers the port dialog, which lists no port without its device; once
// it is back GO trigger opens the port again and reads the unit.
TEST(BoardtestPty, AnUnplugAndReplugWhileIdleIsRecoveredByTheNextRun) {
  PtyConsole k({});
  ASSERT_TRUE(k.sim.started()) << k.sim.error();
  k.f.services.show_port_dialog = true;
  Analog& w = k.f.start();
  w.rs232->findChild<QLineEdit*>("Text1")->setText("1");
  w.rs232->findChild<QPushButton*>("Command1")->click();
  k.f.tick_rows({{1, "1"}});
  k.sim.stop();
  w.Pulsante_trg->click();
  ASSERT_EQ(k.f.messages.shown.size(), 1u);
  EXPECT_EQ(k.f.messages.last().text.rfind("ERROR ! The device of port 1 is not there (", 0), 0u);
  const QString list = w.rs232->findChild<QLabel*>("Label1")->text();
  EXPECT_TRUE(w.rs232->isVisible() && !list.contains("COM1")) << list.toStdString();
  sim::SimProcess back(keld::testing::BinDir() + "/boardsim", PtyConsole::With({}, k.dir / "com1"));
  ASSERT_TRUE(back.started()) << back.error();
  w.Pulsante_trg->click();
  EXPECT_EQ(k.f.messages.shown.size(), 1u) << k.f.messages.last().text;
  EXPECT_EQ(Caption(w, 1), "OK");
  EXPECT_FALSE(w.rs232->isVisible());
}

}  // namespace
