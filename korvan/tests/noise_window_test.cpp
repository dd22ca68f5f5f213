// "SHOW Noise" and "STOP Noise" on the main window against the simulated
// units in free-running mode.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/tests/tools_fixture.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/units_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

int BlockRequests(sim::SimPort& port, int unit) {
  int n = 0;
  for (const auto& p : port.units().received)
    if (p[0] == 0xD1 && p[11] == unit) ++n;
  return n;
}

int Arms(sim::SimPort& port, int trigger_mode) {
  int n = 0;
  for (const auto& p : port.units().received)
    if (p[0] == 0x1A && p[10] == trigger_mode) ++n;
  return n;
}

}  // namespace

TEST(KorvanNoise, DrawsEveryChannelOverAndOverThenStopReopensThePort) {
  TempDir d;
  KorvanHarness h(d.path());
  // A pause between the arm and the units' start: the picture of a whole
  // pass stands while the monitor waits for the next one.
  h.port.units().config().free_run_delay_ms = 60;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("3");
  w.Sample_rate->setCurrentIndex(2);  // 2000 Hz
  for (int i = 0; i < 5; ++i) w.Command2->click();  // gain 2 to 0.063: noise within its band
  bool checked_while_running = false;
  QImage during;
  bool reached = RunMonitor(w, [&] {
    int r1 = BlockRequests(h.port, 1), r3 = BlockRequests(h.port, 3);
    if (r3 < 5 * 4 || r1 != r3 || Arms(h.port, 0) <= r3 / 4) return false;
    // Running: the shot, SHOW, the tabs and the toolbar are out of reach.
    checked_while_running = true;
    EXPECT_EQ(h.state.Monitor_Actif, -1);
    EXPECT_FALSE(w.Command10->isEnabled());
    EXPECT_FALSE(w.Command6->isEnabled());
    EXPECT_TRUE(w.Command5->isEnabled());
    EXPECT_FALSE(w.SSTab1->isEnabled());
    EXPECT_FALSE(w.Toolbar1->isEnabled());
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    w.Toolbar1_ButtonClick("loupe");
    EXPECT_TRUE(h.messages.saw("Impossible while noise monitor is running"));
    during = w.Ecran->Snapshot();
    Screenshot(&w, "korvan_noise_monitor.png");
    return true;
  });
  ASSERT_TRUE(reached) << "the monitor did not read each channel five times";
  EXPECT_TRUE(checked_while_running);
  EXPECT_GE(Arms(h.port, 0), 5);  // re-armed free-running at every pass
  EXPECT_EQ(Arms(h.port, 1), 0);
  // Three red traces, one in each column band (zero lines at 1, 2, 3 of 0..4).
  const int wpx = during.width();
  for (int c = 1; c <= 3; ++c)
    EXPECT_GT(RedPixels(during, wpx * c / 4 - wpx / 8, wpx * c / 4 + wpx / 8), 200) << "channel " << c;
  EXPECT_EQ(RedPixels(during, 0, wpx / 16), 0);
  // STOP re-opened the port and everything is usable again.
  auto& calls = h.port.calls;
  auto last_close = std::find(calls.rbegin(), calls.rend(), "close");
  ASSERT_NE(last_close, calls.rend());
  EXPECT_NE(std::find(calls.rbegin(), last_close, "open"), last_close);
  EXPECT_TRUE(h.port.is_open());
  EXPECT_EQ(h.port.baud(), 3000000);
  EXPECT_EQ(h.state.Monitor_Actif, 0);
  EXPECT_EQ(h.state.Stop_Attesa, 0);
  EXPECT_TRUE(w.Command6->isEnabled());
  EXPECT_TRUE(w.Command10->isEnabled());
  EXPECT_FALSE(w.Command5->isEnabled());
  EXPECT_TRUE(w.SSTab1->isEnabled());
  EXPECT_TRUE(w.Toolbar1->isEnabled());
  EXPECT_EQ(w.Label1->text(), "");
  // The toolbar answers again.
  w.Toolbar1_ButtonClick("loupe");
  EXPECT_EQ(h.state.Mode_Zoom, 1);
  // And a second SHOW runs again.
  int before = BlockRequests(h.port, 1);
  EXPECT_TRUE(RunMonitor(w, [&] { return BlockRequests(h.port, 1) >= before + 8; }));
}

TEST(KorvanNoise, TheMenusAreHeldWhileTheMonitorRuns) {
  TempDir d;
  KorvanHarness h(d.path());
  h.port.units().config().free_run_delay_ms = 30;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("3");
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  // Load (Ctrl+R), redisplay (Ctrl+D) and delete (Ctrl+Y) from the keyboard
  // while the monitor runs: a load would ask for a file and change the
  // channel count, a delete would ask about the file on display.
  h.state.Fichier_Dessine = h.services.work_folder + "/DATA/SHOT1000.SU";
  h.dialogs.files.push_back(h.services.work_folder + "/DATA/SHOT1000.SU");
  bool pressed = false;
  ASSERT_TRUE(RunMonitor(w, [&] {
    if (w.noise_counts.passes < 1) return false;
    EXPECT_FALSE(w.menuBar()->isEnabled());
    for (int key : {Qt::Key_R, Qt::Key_D, Qt::Key_Y}) QTest::keyClick(&w, key, Qt::ControlModifier);
    pressed = true;
    return true;
  }));
  ASSERT_TRUE(pressed);
  EXPECT_TRUE(h.dialogs.asked.empty());
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
  EXPECT_EQ(w.Total_Channel->text(), "3");
  // Once it has stopped the menus answer again; the screen holds noise, not
  // the file that was drawn before, so the delete names none.
  EXPECT_TRUE(w.menuBar()->isEnabled());
  h.messages.answer(MsgAnswer::No);
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_TRUE(h.messages.saw("There is no file on display to delete"));
}

TEST(KorvanNoise, AUnitLeftOutDoesNotHangTheMonitor) {
  TempDir d;
  KorvanHarness h(d.path());
  h.port.units().config().absent = {2};
  h.port.units().config().free_run_delay_ms = 60;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("3");
  for (int i = 0; i < 5; ++i) w.Command2->click();
  QImage during;
  double stop_s = 0;
  bool reached = RunMonitor(
      w,
      [&] {
        const NoiseCounts& n = w.noise_counts;
        // A whole pass on the picture: keep it; then stop inside unit 2's wait.
        if (n.passes >= 2 && n.reads == 2 * n.passes) during = w.Ecran->Snapshot();
        return !during.isNull() && n.reads == 2 * n.passes - 1 && n.failed_reads == n.passes - 1;
      },
      20000, &stop_s);
  ASSERT_TRUE(reached);
  EXPECT_LT(stop_s, 1.0);  // STOP is served inside the missing unit's wait
  EXPECT_GE(BlockRequests(h.port, 2), 2);  // asked once per pass, then timed out
  const int wpx = during.width();
  EXPECT_GT(RedPixels(during, wpx / 4 - wpx / 8, wpx / 4 + wpx / 8), 100);
  EXPECT_EQ(RedPixels(during, wpx / 2 - wpx / 16, wpx / 2 + wpx / 16), 0);
  EXPECT_GT(RedPixels(during, 3 * wpx / 4 - wpx / 8, 3 * wpx / 4 + wpx / 8), 100);
  // No "module is missing" box: the monitor says nothing of a silent unit.
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.shown[0].text;
  EXPECT_TRUE(w.Command6->isEnabled());
}

// The device gone: the free-running arm cannot be sent, so no notice can
// come. The monitor ends at once with a message naming the unit that
// answers the arm (channel 1's, with no master unit chosen).
TEST(KorvanNoise, AnArmThatCannotBeSentEndsTheMonitorWithAMessage) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("2");
  h.port.unplugged = true;
  bool gave_up = false;
  QTimer::singleShot(3000, &w, [&] {
    if (!w.Command5->isEnabled()) return;
    gave_up = true;  // an operator who stopped waiting
    w.Command5->click();
  });
  w.Command6->click();
  EXPECT_FALSE(gave_up);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text,
            "ERROR ! 1 module: the arm could not be sent: the device of port 1 has gone. The noise monitor is ended.");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(h.state.Monitor_Actif, 0);
  EXPECT_TRUE(w.Command6->isEnabled() && w.Command10->isEnabled());
  EXPECT_EQ(BlockRequests(h.port, 1), 0);
}

// The after-shot dialog goes when the monitor starts: its save would switch
// the tabs away from the live display. A port lost since (a shot could not
// open it again) is opened again once before arming, as a shot does: with
// the device still away SHOW says so and sends nothing; once it is back the
// monitor runs.
TEST(KorvanNoise, ShowClosesTheAfterShotDialogAndOpensALostPortAgain) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  Shoot(w, 2);
  ASSERT_TRUE(w.choix()->isVisible());
  bool dialog_while_running = true;
  ASSERT_TRUE(RunMonitor(w, [&] {
    dialog_while_running = w.choix()->isVisible();
    return true;
  }));
  EXPECT_FALSE(dialog_while_running);
  h.port.unplugged = true;
  h.port.openable = {2};
  w.Command10->click();
  const auto sent = h.port.calls.size();
  h.messages.clear();
  w.Command6->click();
  EXPECT_EQ(h.messages.texts(),
            (std::vector<std::string>{"ERROR ! The device of port 1 is not there (Port 1 (simulated) cannot be "
                                      "opened: no such port). Check the cable and the power of the unit, then "
                                      "start the noise monitor again."}));
  EXPECT_EQ(std::count(h.port.calls.begin() + sent, h.port.calls.end(), "write"), 0);
  h.port.unplugged = false;
  h.port.openable.clear();
  h.messages.clear();
  EXPECT_TRUE(RunMonitor(w, [&] { return w.noise_counts.reads >= 2; }));
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
}

TEST(KorvanNoise, StopBeforeTheUnitsStartEndsWithoutDrawing) {
  TempDir d;
  KorvanHarness h(d.path());
  h.port.units().config().free_run_delay_ms = 600000;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("2");
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(RunMonitor(w, [&] { return std::chrono::steady_clock::now() - t0 > std::chrono::milliseconds(150); }));
  EXPECT_EQ(BlockRequests(h.port, 1), 0);
  EXPECT_EQ(RedPixels(w.Ecran->Snapshot(), 0, w.Ecran->width()), 0);
  EXPECT_TRUE(w.Command10->isEnabled());
  EXPECT_EQ(h.state.Stop_Attesa, 0);
}

TEST(KorvanNoise, ShotAndMonitorExcludeEachOther) {
  TempDir d;
  KorvanHarness h(d.path());
  h.port.units().config().trigger_on_signal = true;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("2");
  // SHOW does nothing while a shot runs: tried as soon as the shot's handler
  // runs, before it arms, and again once it waits for the trigger.
  bool tried = false, tried_early = false;
  QTimer poll;
  poll.setInterval(1);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!tried_early) {
      tried_early = true;
      w.Command6_Click();
      EXPECT_EQ(h.state.Monitor_Actif, 0);
    }
    if (h.state.Modo_Trigger != 1 || tried) return;
    EXPECT_FALSE(w.Command6->isEnabled());
    w.Command6_Click();
    EXPECT_EQ(h.state.Monitor_Actif, 0);
    tried = true;
    w.Virtual_trigger->click();
  });
  poll.start();
  w.Command10->click();
  poll.stop();
  EXPECT_TRUE(tried_early);
  EXPECT_TRUE(tried);
  EXPECT_EQ(Arms(h.port, 0), 0);
  // While the monitor runs, the shot's handler does nothing.
  h.port.units().config().trigger_on_signal = false;
  h.messages.clear();
  ASSERT_TRUE(RunMonitor(w, [&] {
    w.Command10_Click();
    return BlockRequests(h.port, 2) >= 4;
  }));
  EXPECT_EQ(Arms(h.port, 1), 1);  // only the abandoned shot's
  // A monitor after an abandoned shot still runs (the shot left the stop flag).
  EXPECT_GE(Arms(h.port, 0), 1);
}

TEST(KorvanNoise, GainButtonsTakeEffectWhileRunning) {
  TempDir d;
  KorvanHarness h(d.path());
  h.port.units().config().free_run_delay_ms = 40;
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("1");
  for (int i = 0; i < 8; ++i) w.Command2->click();
  EXPECT_EQ(w.Ingrandimento->text(), "0.008");
  int stage = 0;
  int far_before = -1, far_after = -1;
  auto far = [&] {
    QImage img = w.Ecran->Snapshot();
    const int wpx = img.width();
    // Pixels well away from the zero line at the middle: a larger gain swings further.
    return RedPixels(img, 0, wpx / 2 - wpx / 8) + RedPixels(img, wpx / 2 + wpx / 8, wpx);
  };
  ASSERT_TRUE(RunMonitor(w, [&] {
    int r = BlockRequests(h.port, 1);
    bool whole = r % 4 == 0 && Arms(h.port, 0) > r / 4;  // between two passes
    if (stage == 0 && r >= 8 && whole) {
      far_before = far();
      for (int i = 0; i < 8; ++i) w.Command11->click();  // back to about 2
      stage = 1;
      return false;
    }
    if (stage == 1 && r >= 20 && whole) {
      far_after = far();
      return true;
    }
    return false;
  }));
  EXPECT_EQ(far_before, 0);
  EXPECT_GT(far_after, 500);
  EXPECT_EQ(w.Ingrandimento->text(), "2.048");
}

TEST(KorvanUnits, RowsOfTheChannelsAddressesAndMasterUnit) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  w.Total_Channel->setText("3");
  w.item("units")->trigger();
  UnitsWindow* u = w.units();
  ASSERT_TRUE(u->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(u, "Text1_2")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>(u, "Text1_3")->isEnabled());
  EXPECT_TRUE(Find<QRadioButton>(u, "Option3")->isEnabled());
  EXPECT_FALSE(Find<QRadioButton>(u, "Option4")->isEnabled());
  // A number sets the channel's address; a text that is not one empties the
  // box and the address stays.
  QLineEdit* box = Find<QLineEdit>(u, "Text1_2");
  box->setText("12");
  EXPECT_EQ(h.state.Tabella_Indirizzi[3], 12);
  box->setText("12a");
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(h.state.Tabella_Indirizzi[3], 12);
  box->setText("44.5");
  EXPECT_EQ(h.state.Tabella_Indirizzi[3], 44);  // halves to the even neighbour
  // "O K" takes the ticked row's address as the master unit and hides.
  Find<QRadioButton>(u, "Option3")->setChecked(true);
  w.Command2->setEnabled(false);
  Find<QPushButton>(u, "Command1")->click();
  EXPECT_EQ(h.state.Unita_Master, 44);
  EXPECT_TRUE(w.Command2->isEnabled());
  EXPECT_FALSE(u->isVisible());
  // Fewer channels: the rows past them are disabled at the next showing.
  w.Total_Channel->setText("2");
  w.show_units();
  EXPECT_FALSE(Find<QLineEdit>(u, "Text1_2")->isEnabled());
}

TEST(KorvanUnits, TheMonitorReadsEachChannelFromItsBox) {
  TempDir d;
  KorvanHarness h(d.path());
  Korvan& w = h.start();
  ASSERT_TRUE(OpenPort(w));
  w.Total_Channel->setText("2");
  w.units()->set_box_text(2, "47");
  // Until channel 2 has been drawn twice: its eighth block asked for may
  // still be on its way when the monitor is stopped.
  ASSERT_TRUE(RunMonitor(w, [&] { return w.noise_counts.drawn[2] >= 2; }));
  EXPECT_GE(BlockRequests(h.port, 47), 8);
  EXPECT_EQ(BlockRequests(h.port, 2), 0);
}
