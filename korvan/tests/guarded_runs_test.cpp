// Windows closed, and every button pressed, while their work runs: the shot,
// the noise monitor and the filter batch of the main window, the SEG-Y export
// and the SU join. Nothing second starts, the window goes once the run has
// unwound, and what a stopped run leaves is the old file or nothing.
#include <QCheckBox>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

#include "korvan/tests/exports_support.hpp"
#include "korvan/tests/tools_fixture.hpp"
#include "korvan/window/add_su_window.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/segy_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
namespace fs = std::filesystem;

namespace {

struct Case {
  const char* what;
  bool shot, filter, release;  // a shot or the batch; "Release Trigger" in place of the close
  std::function<void(KorvanHarness&, Korvan&)> prepare, start;
  std::function<bool(KorvanHarness&, Korvan&)> running;  // the run is inside its waits
};

}  // namespace

TEST(GuardedRuns, TheMainWindowClosedOrPressedDuringAShotAMonitorOrAFilterBatch) {
  auto shoot = [](KorvanHarness&, Korvan& w) { Shoot(w, 4); };
  auto armed = [](KorvanHarness& h, Korvan&) { return h.state.Modo_Trigger == 1; };
  auto held = [](KorvanHarness& h, Korvan&) { h.port.units().config().trigger_on_signal = true; };
  const std::vector<Case> cases = {
      {"armed", true, false, false, held, shoot, armed},
      {"armed, released", true, false, true, held, shoot, armed},
      {"transfer", true, false, false,
       [](KorvanHarness& h, Korvan&) { h.port.units().config().faults.push_back({sim::BlockFault::Kind::Delay, 2, 0, -1, 1500}); },
       shoot, [](KorvanHarness&, Korvan& w) { return w.ProgressBar1->value() == 2; }},
      {"noise monitor", false, false, false, [](KorvanHarness& h, Korvan&) { h.port.units().config().free_run_delay_ms = 30; },
       [](KorvanHarness&, Korvan& w) { w.Command6->click(); },
       [](KorvanHarness&, Korvan& w) { return w.noise_counts.passes >= 1; }},
      {"filter batch", false, true, false,
       [](KorvanHarness& h, Korvan& w) {  // a sufilter that writes part of its output, then takes its time
         ShellScript(h.services.program_folder + "/sufilter", "head -c 5000; exec sleep 60");
         h.state.Fichier_Courant = h.state.Fichier_Affiche = WriteShot(DataDir(h) + "/SHOT1000.SU", 24, 256);
         for (auto [box, v] : {std::pair{w.LC1, "10"}, {w.LC2, "20"}, {w.HC1, "80"}, {w.HC2, "120"}, {w.AGC, "0"}})
           box->setText(v);
       },
       [](KorvanHarness&, Korvan& w) { Choose(w, "Filtre"); },
       [](KorvanHarness& h, Korvan&) {  // the batch has written into its temporary
         for (const auto& e : fs::directory_iterator(DataDir(h)))
           if (e.path().filename().string()[0] == '.' && e.file_size() >= 5000) return true;
         return false;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    keld::testing::TempDir d;
    KorvanHarness h(d.path());
    PosixLauncher posix;
    h.launcher.real = &posix;
    Korvan& w = h.start();
    ASSERT_TRUE(OpenPort(w));
    const std::string tmp = h.services.work_folder + "/tmp.su", saved = DataDir(h) + "/SHOT0999.SU";
    keld::testing::WriteText(tmp, "the unsaved shot");
    keld::testing::WriteText(saved, "a saved record");
    const std::string filtered = DataDir(h) + "/SHOT1000_flt.su";
    keld::testing::WriteText(filtered, "the last good filtered file");
    c.prepare(h, w);
    auto shot_arms = [&] {
      return std::count_if(h.port.units().received.begin(), h.port.units().received.end(),
                           [](const auto& p) { return p[0] == 0x1A && p[10] == 1; });
    };
    auto resets = [&] { return std::count(h.port.calls.begin(), h.port.calls.end(), "close"); };
    bool pressed = false;
    h.pump.hook = [&] {
      if (pressed || !c.running(h, w)) return;
      pressed = true;
      QTimer::singleShot(0, &w, [&] {
        const auto before = resets();
        w.Command10->click();
        w.Command6->click();
        Choose(w, "Filtre");
        Toolbar(w, "reset");
        EXPECT_EQ(resets(), before);  // no link reset either
        if (c.release) w.Virtual_trigger->click();
        else w.close();
      });
    };
    c.start(h, w);
    h.pump.hook = nullptr;
    ASSERT_TRUE(pressed);
    EXPECT_EQ(shot_arms(), c.shot ? 1 : 0);
    EXPECT_EQ(h.launcher.started.size(), c.filter ? 1u : 0u);
    EXPECT_TRUE(Until([&] { return c.release ? w.Command10->isEnabled() : !w.isVisible(); }));
    EXPECT_EQ(w.isVisible(), c.release);
    // No after-shot dialog for a closed window, nor for a released shot (nothing to save).
    EXPECT_FALSE(w.choix() && w.choix()->isVisible());
    for (const auto& m : h.messages.shown) {
      EXPECT_NE(m.text.rfind("ERROR ! 2 module", 0), 0u) << m.text;
    }
    EXPECT_EQ(fs::exists(tmp), !c.shot);  // a shot replaces the unsaved one; a stopped shot leaves none
    if (!c.shot) {
      EXPECT_EQ(keld::testing::ReadText(tmp), "the unsaved shot");
    }
    EXPECT_EQ(keld::testing::ReadText(saved), "a saved record");
    EXPECT_EQ(keld::testing::ReadText(filtered), "the last good filtered file");  // a stopped batch keeps it
    EXPECT_EQ(Leftovers(h.services.work_folder), 0);
  }
}

TEST(GuardedRuns, TheExportWindowsClosedOrPressedDuringTheirWork) {
  struct Export {
    const char* what;
    std::function<QWidget*(KorvanHarness&, Korvan&, const std::vector<std::string>&)> open;
  };
  const std::vector<Export> exports = {
      {"SEG-Y", [](KorvanHarness& h, Korvan& w, const std::vector<std::string>& in) -> QWidget* {
         Toolbar(w, "tosu");
         h.dialogs.files.push_back(in[0]);
         w.segy()->Command1->click();
         return w.segy();
       }},
      {"join", [](KorvanHarness& h, Korvan& w, const std::vector<std::string>& in) -> QWidget* {
         Choose(w, "addsu");
         h.dialogs.multi.push_back(in);
         w.add_su()->Command1->click();
         w.add_su()->Text2->setText(QString::fromStdString(DataDir(h) + "/A.SGY"));
         w.add_su()->Check1->setChecked(true);  // the single files go once joined
         return w.add_su();
       }},
  };
  for (const Export& x : exports) {
    SCOPED_TRACE(x.what);
    keld::testing::TempDir d;
    KorvanHarness h(d.path());
    Korvan& w = h.start();
    std::vector<std::string> in;
    for (const char* n : {"/A.su", "/B.su", "/C.su"}) in.push_back(WriteShot(DataDir(h) + n, 200, 1024));
    const std::string out = DataDir(h) + "/A.SGY";  // the questions to replace it are answered Yes
    keld::testing::WriteText(out, "the old output");
    QWidget* win = x.open(h, w, in);
    auto* convert = Find<QPushButton>(win, "Command2");
    bool pressed = false;
    h.pump.hook = [&] {
      if (pressed) return;
      pressed = true;
      QTimer::singleShot(0, win, [&] {
        const auto asked = h.dialogs.asked.size();
        for (const char* b : {"Command1", "Command2", "Command6"}) Find<QPushButton>(win, b)->click();
        EXPECT_EQ(h.dialogs.asked.size(), asked);  // no file chosen mid-run
        win->close();
      });
    };
    convert->click();
    h.pump.hook = nullptr;
    ASSERT_TRUE(pressed);
    EXPECT_TRUE(Until([&] { return !win->isVisible(); }));
    EXPECT_EQ(keld::testing::ReadText(out), "the old output");
    for (const auto& f : in) EXPECT_TRUE(fs::exists(f)) << f;
    EXPECT_EQ(Leftovers(h.services.work_folder), 0);
    EXPECT_EQ(h.messages.count(out + " has been recorded OK size:" + std::to_string(3 * 200 * 4336)), 0);
  }
}
