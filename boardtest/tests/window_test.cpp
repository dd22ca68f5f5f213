// The console window driven headless by its control names, over the
// simulated units in the same process.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include "boardlink/window/rs232.hpp"
#include "boardsim/sim_port.hpp"
#include "boardtest/tests/window_fixture.hpp"
#include "boardtest/window/parametri.hpp"
#include "platform/qt/picture_box.hpp"

using namespace keld;
using namespace keld::boardtest;
using keld::boardtest::testing::Caption;
using keld::testing::ReadText;
using keld::testing::WriteText;
using Fixture = keld::boardtest::testing::Console;

namespace {

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t p; (p = s.find("\r\n", start)) != std::string::npos; start = p + 2) out.push_back(s.substr(start, p - start));
  return out;
}

TEST(BoardtestWindow, EnterInThePortDialogPressesContinue) {
  sim::SimPort port;
  Fixture f(port);
  f.services.show_port_dialog = true;
  Analog& w = f.start();
  auto* text = w.rs232->findChild<QLineEdit*>("Text1");
  text->setFocus();
  QTest::keyClicks(text, "2");
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_TRUE(port.is_open() && port.port_number() == 2 && !w.rs232->isVisible());
}

TEST(BoardtestWindow, FirstStartWithoutIniTxt) {
  sim::SimPort port;
  Fixture f(port);
  Analog& w = f.start();
  EXPECT_TRUE(std::filesystem::exists(f.dir / "ini.txt"));
  EXPECT_EQ(w.windowTitle().toStdString(), "QMR650 Blackfin  Test");
  EXPECT_EQ(f.state.Num_Unita, 12);
  EXPECT_EQ(w.Label11->text(), "12");
  EXPECT_TRUE(!w.Picture[12]->isHidden() && w.Picture[13]->isHidden());
  EXPECT_EQ(w.findChild<QCheckBox*>("Check41"), w.CheckRow[40]);
  EXPECT_EQ(f.state.Campioni, 256);
  // 32000 is not offered: the rate of the scroll bar's design position.
  EXPECT_EQ(f.state.Frequenza, 1000);
  EXPECT_EQ(w.parametri->Label3->text(), "1000 Hz");
  EXPECT_EQ(f.state.Scelta_Filtro, 2);
  EXPECT_TRUE(w.parametri->Option5->isChecked());
  EXPECT_EQ(f.state.Pre_Campioni, 0);
  EXPECT_EQ(w.Label84->text(), "50");
  EXPECT_DOUBLE_EQ(f.state.Scala, 50 * 1000.0 / 16780000);
  EXPECT_TRUE(w.Option1->isChecked());
  for (int i = 1; i <= 48; ++i) EXPECT_TRUE(w.TextRow[static_cast<size_t>(i)]->text().isEmpty());
  EXPECT_TRUE(w.Label24->isVisible());
  EXPECT_TRUE(w.Message->isHidden());
  EXPECT_TRUE(w.Frame1->isHidden());
  EXPECT_TRUE(f.messages.shown.empty());
  w.uscita->trigger();  // the port is closed: nothing written
  EXPECT_EQ(ReadText(f.dir / "ini.txt"), "");
}

TEST(BoardtestWindow, StartFromIniTxt) {
  sim::SimPort port;
  Fixture f(port);
  WriteText(f.dir / "ini.txt", "1\r\n5\r\n0\r\n0\r\n30\r\n1000\r\n0\r\n2000\r\n1\r\n1\r\n1\r\n\"7\"\r\n\"300\"\r\n\"9\"\r\n");
  Analog& w = f.start();
  EXPECT_EQ(f.state.Num_Unita, 30);
  EXPECT_FALSE(w.Picture[30]->isHidden());
  EXPECT_EQ(f.state.Campioni, 1024);  // log2 1000 rounded
  EXPECT_EQ(f.state.Frequenza, 2000);
  EXPECT_TRUE(w.parametri->Option26->isChecked());
  EXPECT_TRUE(w.parametri->Option2->isChecked());
  EXPECT_EQ(f.state.Polarita, 1);
  EXPECT_EQ(w.TextRow[1]->text(), "7");
  EXPECT_EQ(w.TextRow[2]->text(), "");  // no unit 300 on the line
  EXPECT_EQ(w.TextRow[3]->text(), "9");
}

TEST(BoardtestWindow, ParametersWindowRules) {
  sim::SimPort port;
  Fixture f(port);
  Analog& w = f.start();
  Parametri& p = *w.parametri;
  p.Option4->click();
  EXPECT_EQ(f.state.Scelta_Filtro, 1);
  p.Check2->setChecked(true);
  EXPECT_TRUE(f.state.Senza_Filtro);
  EXPECT_FALSE(p.Option5->isEnabled());
  p.Check2->setChecked(false);
  EXPECT_FALSE(f.state.Senza_Filtro);
  EXPECT_TRUE(p.Option5->isEnabled() && p.Option5->isChecked());
  EXPECT_EQ(f.state.Scelta_Filtro, 2);
  p.Check2->setChecked(true);
  p.VScroll2->setValue(1);  // 250 Hz: its option enabled although "No Filter" stays ticked
  EXPECT_TRUE(p.Option3->isEnabled());
  EXPECT_TRUE(f.state.Senza_Filtro);
  EXPECT_EQ(p.Label7->text(), "4096");
  p.VScroll1->setValue(13);
  EXPECT_EQ(p.Label55->text(), "32768");
  p.VScroll1->setValue(6);
  p.VScroll2->setValue(7);
  EXPECT_EQ(p.Label55->text(), "4");
  EXPECT_EQ(p.Label3->text(), "16000 Hz");
  p.VScroll3->setValue(6);
  EXPECT_EQ(f.state.Pre_Campioni, 64);
  p.VScroll3->setValue(5);
  EXPECT_EQ(p.Label6->text(), "0");
  p.Option27->click();
  EXPECT_EQ(f.state.Notch_60, 1);
  p.Option28->click();
  EXPECT_EQ(f.state.Notch_50 + f.state.Notch_60, 0);
  EXPECT_FALSE(p.Option26->isChecked() || p.Option27->isChecked());
  p.Check1->setChecked(true);
  EXPECT_FALSE(w.Frame1->isHidden());
}

TEST(BoardtestWindow, UnitBoxesAndTheirBlocks) {
  sim::SimPort port;
  Fixture f(port);
  Analog& w = f.start();
  const std::pair<const char*, const char*> typed[] = {
      {"12a", ""}, {"7", "7"}, {"-3", ""}, {"255", "255"}, {"256", ""}, {"2.5", ""}, {"", ""}};
  for (auto [in, kept] : typed) {
    w.TextRow[4]->setText(in);
    EXPECT_EQ(w.TextRow[4]->text().toStdString(), kept) << in;
  }
  w.CheckRow[25]->setChecked(true);
  for (int i = 1; i <= 12; ++i) EXPECT_TRUE(w.CheckRow[static_cast<size_t>(i)]->isChecked()) << i;
  EXPECT_FALSE(w.CheckRow[13]->isChecked());
  w.CheckRow[25]->setChecked(false);
  w.VScroll1->setValue(40);
  w.Check40->setChecked(true);
  for (int i = 1; i <= 40; ++i) EXPECT_TRUE(w.CheckRow[static_cast<size_t>(i)]->isChecked()) << i;
  EXPECT_FALSE(w.CheckRow[41]->isChecked());
}

TEST(BoardtestWindow, GoTriggerMarksRowsCountsAndExitWritesTheCounts) {
  sim::SimConfig cfg;
  cfg.absent = {5};
  sim::SimPort port(cfg);
  Fixture f(port);
  Analog& w = f.start();
  w.Pulsante_trg->click();  // no port yet: refused
  EXPECT_TRUE(f.messages.saw("The serial port is not open: choose the port of the units first."));
  EXPECT_EQ(port.units().shots(), 0);
  ASSERT_TRUE(f.open_port());
  f.tick_rows({{1, "1"}, {2, "2"}, {5, "5"}});
  w.parametri->Check1->setChecked(true);
  w.Autrnge->click();
  w.Pulsante_trg->click();
  EXPECT_EQ(port.units().shots(), 1);
  EXPECT_EQ(port.units().received.front()[10], 1);
  EXPECT_EQ(Caption(w, 1), "OK");
  EXPECT_EQ(Analog::BackColour(w.CheckRow[1]), 49152u);
  EXPECT_EQ(Caption(w, 3), "UNIT");
  EXPECT_EQ(Analog::BackColour(w.CheckRow[3]), 14737632u);
  EXPECT_EQ(Caption(w, 5), "ERROR");
  EXPECT_EQ(Analog::BackColour(w.CheckRow[5]), 255u);
  EXPECT_EQ(Caption(w, 13), "UNIT");
  EXPECT_EQ(f.state.Errori[5], 1);
  EXPECT_FALSE(w.Label14->text().isEmpty());
  EXPECT_FALSE(w.Label23->text().isEmpty());
  EXPECT_TRUE(w.Message->isHidden());
  EXPECT_TRUE(w.Pulsante_trg->isEnabled());
  EXPECT_FALSE(w.Geometry->isEnabled());
  // A drawn trace: dark pixels in row 1's picture, none in row 3's.
  const QImage img = w.Picture[1]->Snapshot();
  int dark = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) dark += qGray(img.pixel(x, y)) < 100;
  EXPECT_GT(dark, 50);

  w.TextRow[48]->setText("48");
  w.uscita->trigger();
  const auto lines = Lines(ReadText(f.dir / "ini.txt"));
  ASSERT_EQ(lines.size(), 109u);
  EXPECT_EQ(lines[7], "1000");
  EXPECT_EQ(lines[11], "\"1\"");
  EXPECT_EQ(lines[58], "\"48\"");
  EXPECT_EQ(lines[60], "\"Errori:\"");
  EXPECT_EQ(lines[65], "1");  // unit 5
  EXPECT_FALSE(w.isVisible());
}

TEST(BoardtestWindow, APortThatDoesNotReopenStopsRunningModeWithAMessage) {
  sim::SimConfig cfg;
  cfg.absent = {1};
  sim::SimPort port(cfg);
  Fixture f(port);
  Analog& w = f.start();
  ASSERT_TRUE(f.open_port());
  port.openable = {9};  // port 1 goes away
  f.tick_rows({{1, "1"}});
  w.pulsante_running->click();
  ASSERT_TRUE(Fixture::RunUntil([&] { return !f.messages.shown.empty(); }));
  EXPECT_NE(f.messages.last().text.find("The serial port 1 could not be opened again"), std::string::npos);
  EXPECT_FALSE(w.Timer3->isActive());
  EXPECT_TRUE(w.Pulsante_trg->isEnabled() && w.uscita->isEnabled());
  EXPECT_EQ(f.state.Errori[1], 1);
}

TEST(BoardtestWindow, ExitDuringATriggerRunStopsItAndExitsAfterIt) {
  sim::SimConfig cfg;
  cfg.never_trigger = true;
  sim::SimPort port(cfg);
  Fixture f(port);
  Analog& w = f.start();
  ASSERT_TRUE(f.open_port());
  QTimer::singleShot(100, [&] { w.uscita->trigger(); });
  w.Pulsante_trg->click();  // returns once EXIT has stopped the wait
  EXPECT_TRUE(Fixture::RunUntil([&] { return !w.isVisible(); }));  // then the window closes
  EXPECT_EQ(Lines(ReadText(f.dir / "ini.txt")).size(), 109u);
  EXPECT_FALSE(w.console().busy());
}

// Unit 3 answers 2.5 s or 3.3 s late, past the 2 s block time-out: unit 3
// is the one marked ERROR and counted in ini.txt; units 4 and 5 are read and
// not blamed.
TEST(BoardtestWindow, ALateUnitIsCountedAgainstItselfAlone) {
  for (int late_ms : {2500, 3300}) {
    SCOPED_TRACE(late_ms);
    sim::SimConfig cfg;
    cfg.faults.push_back({sim::BlockFault::Kind::Delay, 3, 0, -1, late_ms});
    sim::SimPort port(cfg);
    Fixture f(port, board::LinkConfig::Boardtest());
    Analog& w = f.start();
    ASSERT_TRUE(f.open_port());
    f.tick_rows({{1, "1"}, {2, "2"}, {3, "3"}, {4, "4"}, {5, "5"}});
    w.Pulsante_trg->click();
    for (int row : {1, 2, 4, 5}) EXPECT_EQ(Caption(w, row), "OK") << row;
    EXPECT_EQ(Caption(w, 3), "ERROR");
    w.uscita->trigger();
    const auto lines = Lines(ReadText(f.dir / "ini.txt"));
    ASSERT_EQ(lines.size(), 109u);
    EXPECT_EQ(lines[60], "\"Errori:\"");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 61, lines.begin() + 66),
              (std::vector<std::string>{"0", "0", "1", "0", "0"}));
  }
}

// The device gone in running mode, before the free-running arm or while the
// units are awaited, and units that do not start within the status time-out:
// the run ends at once with a message naming the first ticked unit, instead
// of waiting for a notice that can never come, and RESET and EXIT are
// offered again.
TEST(BoardtestWindow, ALostDeviceOrUnitsThatDoNotStartEndRunningModeWithAMessage) {
  struct Case {
    bool before_arm, in_wait;
    const char* reason;
  };
  const Case cases[] = {
      {true, false, "the arm could not be sent: the device of port 1 has gone"},
      {false, true, "the link was lost while waiting for the trigger: the device of port 1 has gone"},
      {false, false, "no trigger notice came within 2000 ms of the free-running arm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    sim::SimPort port;
    port.units().config().free_run_delay_ms = 600000;
    Fixture f(port);
    Analog& w = f.start();
    ASSERT_TRUE(f.open_port());
    f.tick_rows({{2, "7"}});
    port.unplugged = c.before_arm;
    bool gave_up = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (c.in_wait && port.units().shots() > 0) port.unplugged = true;
    });
    watch.start(1);
    QTimer::singleShot(15000, &w, [&] {
      if (!w.Timer3->isActive()) return;
      gave_up = true;  // an operator who stopped waiting
      w.Command10->click();
    });
    w.pulsante_running->click();
    ASSERT_TRUE(Fixture::RunUntil([&] { return !f.messages.shown.empty() || gave_up; }, 20000));
    EXPECT_FALSE(gave_up);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.last().text, std::string("ERROR ! 7 module: ") + c.reason + ". The run is ended.");
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_FALSE(w.console().busy());
    EXPECT_TRUE(w.Pulsante_trg->isEnabled() && w.pulsante_running->isEnabled() && w.uscita->isEnabled());
    EXPECT_TRUE(w.Reset->isEnabled());
    for (const auto& p : port.units().received) EXPECT_NE(p[0], 0xD1);
  }
}

// An arm that gets no status byte in its time, and a device that goes while
// the run waits for the trigger, end the run with a message naming the first
// ticked unit and what happened: nothing is read, and the console never says
// "Triggered !".
TEST(BoardtestWindow, NoStatusByteOrALostDeviceEndsTheTriggerRunWithAMessage) {
  struct Case {
    bool no_status, gone_before_arm, gone_in_wait;
    const char* reason;
  };
  const Case cases[] = {
      {true, false, false, "status"},  // the notice came without a status byte
      {false, true, false, "arm"},
      {false, false, true, "the link was lost while waiting for the trigger: the device of port 1 has gone. "
                           "The run is ended."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    sim::SimPort port;
    Fixture f(port);
    Analog& w = f.start();
    ASSERT_TRUE(f.open_port());
    f.tick_rows({{2, "7"}, {3, "3"}});
    port.units().config().no_status = c.no_status;
    port.units().config().trigger_on_signal = c.gone_in_wait;  // a shot not yet fired
    port.unplugged = c.gone_before_arm;
    bool triggered = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      triggered = triggered || w.Message->text().startsWith("Triggered !");
      if (c.gone_in_wait && w.link().status_received) port.unplugged = true;
    });
    watch.start(1);
    QTimer::singleShot(6000, &w, [&] { w.Command10->click(); });  // an operator who gave up waiting
    const auto t0 = std::chrono::steady_clock::now();
    w.Pulsante_trg->click();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_FALSE(triggered);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.last().text.rfind("ERROR ! 7 module: ", 0), 0u) << f.messages.last().text;
    EXPECT_NE(f.messages.last().text.find(c.reason), std::string::npos) << f.messages.last().text;
    for (const auto& p : port.units().received) EXPECT_NE(p[0], 0xD1);
    EXPECT_EQ(Caption(w, 2), "UNIT");
    EXPECT_TRUE(w.Pulsante_trg->isEnabled());
  }
}

// STOP during a read: the read still unwinds (its input drained); RESET is
// refused until it has ended, then works as before.
TEST(BoardtestWindow, ResetIsRefusedUntilAReadStoppedByStopHasEnded) {
  sim::SimConfig cfg;
  cfg.absent = {1};
  sim::SimPort port(cfg);
  Fixture f(port);
  Analog& w = f.start();
  ASSERT_TRUE(f.open_port());
  f.tick_rows({{1, "1"}});
  bool pressed = false, offered = true;
  QString message;
  QTimer act;
  QObject::connect(&act, &QTimer::timeout, [&] {
    if (pressed || !w.link().awaiting_block()) return;
    pressed = true;
    w.Command10->click();
    offered = w.Reset->isEnabled();
    w.Reset_Click();
    message = w.Message->text();
  });
  act.start(2);
  w.Pulsante_trg->click();
  ASSERT_TRUE(pressed);
  EXPECT_FALSE(offered);
  EXPECT_NE(message, "Reset !");
  EXPECT_TRUE(w.Reset->isEnabled());
  w.Reset->trigger();
  EXPECT_EQ(w.Message->text(), "Reset !");
  EXPECT_TRUE(w.Pulsante_trg->isEnabled());
}

// A trigger run and the running mode (inside a tick and between two) met by
// the close box, or by STOP, after every other run button was pressed: no
// second run starts, STOP still ends the run, the close waits for it.
TEST(BoardtestWindow, ARunClosedOrStoppedAfterItsButtonsWerePressed) {
  struct Case {
    const char* what;
    bool trigger, stop;
    std::function<bool(Analog&)> when;
  };
  auto busy = [](Analog& w) { return w.console().busy(); };
  const std::vector<Case> cases = {
      {"trigger run, closed", true, false, busy},
      {"trigger run, STOP", true, true, busy},
      {"a tick, closed", false, false, busy},
      {"between ticks, closed", false, false, [](Analog& w) { return !w.console().busy() && w.console().cycles_run() > 0; }},
      {"a tick, STOP", false, true, busy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::SimConfig cfg;
    cfg.never_trigger = true;
    cfg.faults.push_back({sim::BlockFault::Kind::Delay, 1, 0, -1, 100});  // long ticks
    sim::SimPort port(cfg);
    Fixture f(port);
    Analog& w = f.start();
    w.show();
    ASSERT_TRUE(f.open_port());
    f.tick_rows({{1, "1"}});
    auto arms = [&](int mode) {
      return std::count_if(port.units().received.begin(), port.units().received.end(),
                           [&](const auto& p) { return p[0] == 0x1A && p[10] == mode; });
    };
    bool acted = false;
    QTimer act;
    QObject::connect(&act, &QTimer::timeout, [&] {
      if (acted || !c.when(w)) return;
      acted = true;
      for (QPushButton* b : {w.Pulsante_trg, w.pulsante_running}) b->click();
      EXPECT_FALSE(w.parametri->isEnabled());
      c.stop ? w.Command10->click() : (void)w.close();
    });
    act.start(2);
    (c.trigger ? w.Pulsante_trg : w.pulsante_running)->click();
    ASSERT_TRUE(Fixture::RunUntil([&] { return acted && !w.console().busy() && !w.Timer3->isActive(); }));
    EXPECT_TRUE(Fixture::RunUntil([&] { return w.isVisible() == c.stop; }));
    EXPECT_EQ(arms(1), c.trigger ? 1 : 0);  // no second run of either kind
    const auto free_runs = arms(0);
    Fixture::RunUntil([] { return false; }, 50);
    EXPECT_EQ(arms(0), free_runs);  // and the running mode is over
    if (c.stop) {
      EXPECT_TRUE(w.Pulsante_trg->isEnabled() && w.parametri->isEnabled() && w.uscita->isEnabled());
    }
    EXPECT_EQ(ReadText(f.dir / "ini.txt"), "");  // the close box writes nothing
  }
}

// The device pulled out while unit 2 is read: the read it cut is no unit's
// failure. Unit 2 is neither marked ERROR nor counted, the run ends there,
// and the box says the link was lost.
TEST(BoardtestWindow, ADeviceLostWhileAUnitIsReadIsChargedToNoUnit) {
  sim::SimConfig cfg;
  cfg.faults.push_back({sim::BlockFault::Kind::Delay, 2, 0, -1, 300});  // unit 2 is awaited
  sim::SimPort port(cfg);
  Fixture f(port);
  Analog& w = f.start();
  ASSERT_TRUE(f.open_port());
  f.tick_rows({{1, "1"}, {2, "2"}, {3, "3"}});
  QTimer pull;
  QObject::connect(&pull, &QTimer::timeout, [&] {
    for (const auto& p : port.units().received) port.unplugged = port.unplugged || (p[0] == 0xD1 && p[11] == 2);
  });
  pull.start(1);
  w.Pulsante_trg->click();
  EXPECT_EQ(f.messages.texts(),
            (std::vector<std::string>{"ERROR ! The link to the units was lost while unit 2 was read (link error "
                                      "while reading unit 2: the device of port 1 has gone). No unit is charged "
                                      "with it. The run is ended."}));
  EXPECT_EQ(Caption(w, 1) + Caption(w, 2) + Caption(w, 3), "OKUNITUNIT");
  EXPECT_EQ(f.state.Errori[2] + f.state.Errori[3], 0);
}

// "READY for Trigger!" and the hidden "WAITING" move nothing: STOP stays
// where the operator saw it before GO trigger.
TEST(BoardtestWindow, TheAcquisitionFrameStaysStillWhileReadyForTriggerShows) {
  sim::SimPort port;
  port.units().config().trigger_on_signal = true;
  Fixture f(port);
  Analog& w = f.start();
  ASSERT_TRUE(f.open_port());
  auto stop_at = [&] {
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return QRect(w.Command10->mapTo(&w, QPoint(0, 0)), w.Command10->size());
  };
  const QRect before = stop_at();
  QRect ready;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (ready.isNull() && w.Message->isVisible() && w.Message->text() == "READY for Trigger!") ready = stop_at();
    if (!ready.isNull()) w.Command10->click();
  });
  look.start(1);
  w.Pulsante_trg->click();
  EXPECT_EQ(ready, before);
}

}  // namespace
