// The start window driven by its control names: every option, the dispatch
// order across frames, the shell prefix, the viewers, Info and Quit.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>

#include "common/text.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
// A registry where every option shows a plain window named after it and
// records the conversion type it saw.
struct Spy {
  std::vector<std::pair<std::string, std::string>> shown;  // key, Conversion_Type
  WindowRegistry Registry() {
    WindowRegistry reg;
    for (const auto& step : LanceOrder()) {
      std::string key = step.option;
      reg.window(key, [this, key](ConversionContext& cx, QWidget* parent) {
        shown.emplace_back(key, cx.st.Conversion_Type);
        auto* w = new QWidget(parent, Qt::Window);
        w->setObjectName(QString::fromStdString("win_" + key));
        return w;
      });
    }
    return reg;
  }
};
}  // namespace

TEST(StartWindow, TheWindowAsDesigned) {
  TempDir d;
  ConversionHarness h(d.path());
  StartWindow& w = *h.window;
  EXPECT_EQ(w.objectName(), "conversion");
  EXPECT_EQ(w.windowTitle(), "Velquist Seismic file conversion ");
  struct {
    int n;
    const char* caption;
    const char* frame;
  } options[] = {{1, "SEG-2 to Seismic Unix", "Frame1"},
                 {6, "Korvan to Seismic Unix", "Frame1"},
                 {10, "OYO McSEIS-170", "Frame1"},
                 {23, "ASCII to SU", "Frame1"},
                 {8, "Seismic Unix to Ascii (1 file/channel)", "Frame2"},
                 {24, "Seismic Unix to ASCII (1 file with x channels)", "Frame2"},
                 {17, "EKKO Pulse DT1 to Seismic Unix", "Frame3"},
                 {27, "GSSI Radar file", "Frame4"}};
  for (auto o : options) {
    ASSERT_TRUE(w.Option(o.n)) << o.n;
    EXPECT_EQ(w.Option(o.n)->text(), o.caption);
    EXPECT_EQ(w.Option(o.n)->parent()->objectName(), o.frame);
  }
  for (int n = 1; n <= 27; ++n) EXPECT_TRUE(w.findChild<QRadioButton*>(QString("Option%1").arg(n))) << n;
  EXPECT_EQ(Find<QGroupBox>(&w, "Frame2")->title(), "Reverse conversion");
  EXPECT_EQ(Find<QGroupBox>(&w, "Frame1")->toolTip(), "Select a file format and press on CONVERT");
  EXPECT_EQ(w.Check1->text(), "Close SU windows automatically");
  EXPECT_EQ(w.Command4->toolTip(), "\"Use this option to pick a value ine any file\"");
  // Start-up: the prefix, the line break and the Seismic Unix folder.
  EXPECT_EQ(h.state.Shell_Prefix, kShellPrefixClose);
  EXPECT_EQ(h.state.CrLf, "\r\n");
  EXPECT_FALSE(h.state.SU_Dir.empty());
  EXPECT_EQ(h.state.SU_Dir.back(), '/');
}

TEST(StartWindow, EveryOptionShowsItsWindowOrSaysItIsNotThereYet) {
  TempDir d;
  ConversionHarness h(d.path(), WindowRegistry{});
  for (const auto& step : LanceOrder()) {
    std::string key = step.option;
    if (key == "Option1") continue;
    h.messages.clear();
    // One option at a time: untick the others of every frame.
    for (int n = 1; n <= 27; ++n) {
      h.window->Option(n)->setAutoExclusive(false);
      h.window->Option(n)->setChecked(false);
      h.window->Option(n)->setAutoExclusive(true);
    }
    h.window->findChild<QRadioButton*>(QString::fromStdString(key))->click();
    ASSERT_EQ(h.messages.shown.size(), 1u) << key;
    EXPECT_NE(h.messages.last().text.find("is not available yet"), std::string::npos) << key;
    EXPECT_EQ(h.messages.last().title, kTitle);
    if (step.conversion_type) {
      EXPECT_EQ(h.state.Conversion_Type, step.conversion_type);
    }
  }
  h.messages.clear();
  h.window->Command4->click();
  EXPECT_TRUE(h.messages.saw(NotAvailableText("Seismic file explorer")));
  // Option21 and Option22 do nothing.
  h.messages.clear();
  h.Choose(21);
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST(StartWindow, LanceActsOnTheSelectedOptionOfEveryFrame) {
  TempDir d;
  Spy spy;
  ConversionHarness h(d.path(), spy.Registry());
  h.Choose(5);   // ABEM in Frame1
  h.Choose(20);  // Add SU files in Frame2: ABEM is shown again
  ASSERT_EQ(spy.shown.size(), 2u);  // ABEM made once, brought forward the second time
  EXPECT_EQ(spy.shown[0].first, "Option5");
  EXPECT_EQ(spy.shown[1].first, "Option20");
  EXPECT_TRUE(h.window->Opened("Option5")->isVisible());
  EXPECT_TRUE(h.window->Opened("Option20")->isVisible());
  h.Choose(11);  // Frame2: SU to KGS
  EXPECT_EQ(spy.shown.back(), (std::pair<std::string, std::string>{"Option11", kSu2Kgs}));
  h.Choose(13);  // Frame1: SEG-D after SU to KGS in the order of the dispatch
  EXPECT_EQ(h.state.Conversion_Type, kSegd2Su);
  // A window closed by its user is made anew the next time.
  h.window->Opened("Option13")->close();
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(h.window->Opened("Option13"), nullptr);
  h.Choose(13);
  EXPECT_NE(h.window->Opened("Option13"), nullptr);
  // Another window opens one through the context.
  h.window->context().show("Option23");
  EXPECT_EQ(spy.shown.back().first, "Option23");
  // Closing the start window closes what it opened.
  h.window->Command2->click();
  EXPECT_FALSE(h.window->isVisible());
  EXPECT_FALSE(h.window->Opened("Option5") && h.window->Opened("Option5")->isVisible());
}

TEST(StartWindow, CloseWindowsBoxSetsTheShellPrefix) {
  TempDir d;
  Spy spy;
  ConversionHarness h(d.path(), spy.Registry());
  h.window->Check1->setChecked(false);
  h.Choose(4);
  EXPECT_EQ(h.state.Shell_Prefix, "");
  EXPECT_FALSE(h.state.Close_SU_Windows());
  h.window->Check1->setChecked(true);
  h.Choose(4);
  EXPECT_EQ(h.state.Shell_Prefix, kShellPrefixClose);
  EXPECT_TRUE(h.state.Close_SU_Windows());
}

TEST(StartWindow, OutsideProgramsAndInfo) {
  TempDir d;
  ConversionHarness h(d.path());
  const std::string prog = d / "prog";
  h.Choose(1);
  EXPECT_TRUE(h.messages.saw("SEG2SU.EXE must be in the same folder as CONVERSION.EXE"));
  // The maker's viewers are not ours: a missing one says so, by name.
  h.Choose(25);
  EXPECT_EQ(h.messages.last().text, "Unable to shell application:" + prog + "/lorplot\r\nlorplot, the maker's SEG-2 "
                                    "viewer, is not part of this suite: put it in " + prog + " to use this choice");
  h.Choose(26);
  EXPECT_EQ(h.messages.last().text, "Unable to shell application:" + prog + "/lorploty\r\nlorploty, the maker's SEG-Y "
                                    "viewer, is not part of this suite: put it in " + prog + " to use this choice");
  h.Choose(27);
  EXPECT_EQ(h.messages.last().text, "Download TOLVEX.EXE from web and put this file in BIN folder\r\ntolvex, the "
                                    "maker's radar viewer, is not part of this suite: put it in " + prog +
                                    " to use this choice");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_TRUE(h.launcher.started.empty());
  // Present, they are started in the program folder without waiting.
  for (const char* p : {"seg2su", "tolvex"}) keld::testing::WriteText(prog + "/" + p, "");
  h.messages.clear();
  h.Choose(27);
  h.Choose(1);
  EXPECT_TRUE(h.messages.shown.empty());
  ASSERT_EQ(h.launcher.started.size(), 2u);
  EXPECT_EQ(h.launcher.started[0].program, prog + "/tolvex");
  EXPECT_EQ(h.launcher.started[0].workdir, prog);
  EXPECT_EQ(h.launcher.started[1].program, prog + "/seg2su");

  h.window->Command3->click();
  const auto& info = h.messages.last();
  EXPECT_EQ(info.title, kTitle);
  EXPECT_EQ(info.icon, MsgIcon::Information);
  auto lines = keld::Split(info.text, '\n');
  ASSERT_EQ(lines.size(), 11u);  // ten lines, each ended by CR LF
  EXPECT_EQ(lines[0], "Select the type of file and press on CONVERT\r");
  EXPECT_EQ(lines[9], " This module can convert nearly all type of seismic file \r");
}
