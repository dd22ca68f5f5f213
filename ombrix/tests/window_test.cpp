// The ombrix window driven headless by its control names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

#include <filesystem>
#include <tuple>

#include <signal.h>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/profile.hpp"
#include "common/testing/testsupport.hpp"
#include "common/testing/wait_until.hpp"
#include "ombrix/render/render.hpp"
#include "ombrix/tests/ombrix_testing.hpp"
#include "ombrix/window/parameters.hpp"

namespace keld::ombrix {
namespace {

struct HookPump : EventPump {  // runs `hook` where the window hands control to the window system
  std::function<void()> hook;
  void pump() override { if (hook) hook(); }
};

struct Window : ::testing::Test {
  keld::testing::TempDir dir;
  keld::testing::ScopedEnv win{"KELD_WINDIR", dir.path()};
  keld::testing::ScopedEnv home{"KELD_HOME", dir / "home"};
  OmbrixState st;
  MessageRecorder msg;
  DialogRecorder dialogs;
  ProcessRecorder launcher;
  HookPump pump;
  int quits = 0;
  bool printer_installed = false;
  OmbrixServices sv{msg, dialogs, launcher, pump, [this] { ++quits; }, [] {}, [this] { return printer_installed; },
                    {}, {}};
  std::unique_ptr<Parameters> w;

  Parameters& start(const std::string& command_line) {
    InstallFontSubstitutes();
    w = std::make_unique<Parameters>(st, sv);
    w->printer().setPageSize(QPageSize(QPageSize::A4));  // whatever the machine's locale prefers
    w->Form_Load(command_line);
    return *w;
  }
  std::string text(QLineEdit* e) const { return e->text().toStdString(); }
  std::string ini() const { return dir / "home/ombrix.ini"; }
  std::string section(const std::string& name, int ntr = 24) {
    const std::string p = dir / name;
    testing::WriteSection(p, ntr, 1000, 250);
    return p;
  }
};

TEST_F(Window, StartsOnTheCommandLineFileWithTheBoxesOfItsSummaryAndTheDefaults) {
  const std::string su = section("LINE1.su");
  Parameters& p = start(su);
  EXPECT_EQ(text(p.Text3), "24");
  EXPECT_EQ(text(p.Text6), "250");
  EXPECT_EQ(text(p.Text1), su);
  EXPECT_EQ(text(p.Text16), su);
  EXPECT_EQ(text(p.Text18), su);  // "Active SU File" on the preview tab
  EXPECT_EQ(text(p.Text11), " 210 x  297");
  EXPECT_EQ(text(p.Text4), "35");
  EXPECT_EQ(text(p.Text5), "35");
  EXPECT_EQ(text(p.Text7), "100");
  EXPECT_EQ(text(p.Text10), "5");
  EXPECT_EQ(text(p.Text12), "1");
  EXPECT_EQ(text(p.Text13), "West");
  EXPECT_EQ(text(p.Text14), "East");
  EXPECT_EQ(text(p.Text8), "20");
  EXPECT_TRUE(p.Egal->isChecked());
  EXPECT_FALSE(p.fold->isChecked());
  ASSERT_EQ(p.combo1->count(), 5);
  EXPECT_EQ(p.combo1->itemText(0).toStdString(), "Wiggle  + Area");
  EXPECT_EQ(p.ListePolices->itemText(0).toStdString(), "Arial");
  EXPECT_EQ(st.su.traces, 24);
  EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Window, BigEndianAndTruncatedFilesAreRefusedWithAMessage) {
  KELD_REQUIRE_TESTDATA(data, "su");
  for (const std::string& f : {data + "/segyio_small.su", section("short.su")}) {
    if (f.find("short") != std::string::npos) std::filesystem::resize_file(f, 200);
    msg.clear();
    st = OmbrixState{};
    Parameters& p = start(f);
    ASSERT_EQ(msg.shown.size(), 1u) << f;
    EXPECT_NE(msg.last().text.find(f), std::string::npos);
    EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
    EXPECT_TRUE(st.su.path.empty());
    p.SSTab1->setCurrentIndex(1);
    EXPECT_FALSE(st.vp.page().composed);
  }
}

TEST_F(Window, AFailedFileChoiceChangesNothing) {
  const std::string good = section("GOOD.su", 12);
  Parameters& p = start(good);
  const std::string bad = section("BAD.su");
  std::filesystem::resize_file(bad, 100);
  const std::string empty = dir / "EMPTY.su";
  keld::testing::WriteText(empty, "");
  dialogs.files = {std::nullopt, bad, empty, dir / "MISSING.su"};
  for (int i = 0; i < 4; ++i) p.Command2->click();
  EXPECT_EQ(msg.texts(), (std::vector<std::string>{"Extension must be SU", msg.shown[1].text,
                                                    "Input file " + empty + " is empty !",
                                                    " Input file " + dir / "MISSING.su" + " does not exist !"}));
  EXPECT_EQ(st.su.path, good);
  EXPECT_EQ(st.su.traces, 12);
  EXPECT_EQ(text(p.Text1), good);
  EXPECT_EQ(text(p.Text18), good);
  EXPECT_EQ(text(p.Text3), "12");
  EXPECT_EQ(dialogs.asked[0].filter, "Seismic Unix (SU)|*.SU|All files|*.*|");
  // A good choice takes path, boxes and folder.
  const std::string other = section("OTHER.su", 30);
  dialogs.files = {other};
  p.Command2->click();
  EXPECT_EQ(st.su.path, other);
  EXPECT_EQ(text(p.Text18), other);
  EXPECT_EQ(text(p.Text3), "30");
  EXPECT_EQ(st.working_folder, dir.path() + "/");
}

TEST_F(Window, NoFileIsLoadedWhileAPageIsComposed) {
  const std::string shorter = dir / "SHORT.su", longer = section("LONG.su");  // 100 and 1000 samples
  testing::WriteSection(shorter, 24, 100, 1000);
  Parameters& p = start(shorter);
  dialogs.files = {longer, longer};
  pump.hook = [&] { p.Command2->click(), p.Text1_DblClick(); };  // at every trace
  p.SSTab1->setCurrentIndex(1);
  EXPECT_TRUE(st.vp.page().composed && dialogs.asked.empty() && st.su.path == shorter);
  pump.hook = nullptr;
  p.Command2->click();
  EXPECT_EQ(st.su.ns, 1000);
}

// Mid-composition every button does nothing, and the close box, "End" or
// "Cancel / Exit" stop it: no page, no file, the window gone once it unwound.
TEST_F(Window, AWindowClosedOrPressedWhileAPageIsComposed) {
  const std::string su = section("LINE9.su", 400);
  for (auto end : {+[](Parameters& p) { p.close(); }, +[](Parameters& p) { p.Command13->click(); },
                   +[](Parameters& p) { p.Command3->click(); }}) {
    Parameters& p = start(su);
    p.show();
    msg.clear();
    int traces = 0;
    pump.hook = [&] {
      if (++traces != 100) return;
      for (QPushButton* b : {p.Command2, p.cmdPrint, p.Command11, p.Record_WMF, p.cmdPageSetup, p.cmdPrinterSetup})
        b->click();
      end(p);
    };
    p.SSTab1->setCurrentIndex(1);
    pump.hook = nullptr;
    EXPECT_LT(traces, 110);  // stopped at once
    EXPECT_FALSE(st.vp.page().composed);
    EXPECT_TRUE(dialogs.asked.empty());
    for (const std::string& t : msg.texts())  // the composition's own, and the question of "Cancel / Exit"
      EXPECT_TRUE(t == " The upper margin is enlarged to 40 mm" || t == "Quit parameters module ?") << t;
    EXPECT_FALSE(std::filesystem::exists(dir / "LINE9.pdf"));
    for (int i = 0; i < 100 && p.isVisible(); ++i) QApplication::processEvents();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(quits, 0);  // the program ends with its last window
  }
}

TEST_F(Window, ACheckBoxClickTicksOrClearsAndAStoredGreyStaysUntilClicked) {
  std::filesystem::create_directories(dir / "home");
  WritePrivateProfileString("Draw_Parameter", "topo", "2", ini());
  Parameters& p = start("");
  std::vector<Qt::CheckState> seen{p.topo->checkState()};
  for (int i = 0; i < 3; ++i) p.topo->click(), seen.push_back(p.topo->checkState());
  EXPECT_EQ(seen, (std::vector<Qt::CheckState>{Qt::PartiallyChecked, Qt::Checked, Qt::Unchecked, Qt::Checked}));
  p.fold->click(), p.fold->click();
  EXPECT_EQ(p.fold->checkState(), Qt::Unchecked);
}

TEST_F(Window, NumberBoxesKeepWholeNumbersAndTheMarginsFollowThem) {
  Parameters& p = start("");
  p.Text6->setText("12.6");
  EXPECT_EQ(text(p.Text6), "13");
  p.Text8->setText("12.5");
  EXPECT_EQ(text(p.Text8), "12");
  EXPECT_EQ(st.page.left, 680);  // 12 x 56.7
  p.Text4->setText("99999");
  EXPECT_EQ(text(p.Text4), "35");  // beyond 16 bits: the last value stays
}

TEST_F(Window, PreviewComposesAndPrintWithoutPrinterWritesAPdf) {
  const std::string su = section("LINE2.su");
  Parameters& p = start(su);
  // Print, clipboard and picture file only over a composed page.
  const auto page_buttons = [&] {
    return std::vector<bool>{p.cmdPrint->isEnabled(), p.Command11->isEnabled(), p.Record_WMF->isEnabled()};
  };
  const std::vector<bool> off(3, false), on(3, true);
  EXPECT_EQ(page_buttons(), off);
  p.Text4->setText("150");
  p.Text5->setText("150");
  p.SSTab1->setCurrentIndex(1);
  ASSERT_TRUE(st.vp.page().composed);
  EXPECT_EQ(page_buttons(), on);
  EXPECT_EQ(st.mv.Large_plot, 8505);
  EXPECT_TRUE(msg.saw(" The upper margin is enlarged to 40 mm"));
  EXPECT_EQ(text(p.Text9), "40");
  EXPECT_EQ(st.page.top, 2268);
  p.cmdPrint->click();
  EXPECT_TRUE(msg.saw("No printer is installed: the page has been written to " + dir / "LINE2.pdf"));
  EXPECT_EQ(keld::testing::ReadText(dir / "LINE2.pdf").substr(0, 5), "%PDF-");
  // Printed again: the PDF there is replaced only when the user says so.
  keld::testing::WriteText(dir / "LINE2.pdf", "kept");
  msg.answer(MsgAnswer::No);
  p.cmdPrint->click();
  EXPECT_EQ(msg.last().text, "No printer is installed: the page goes to " + dir / "LINE2.pdf" +
                                 ", which already exists. Replace this file ?");
  EXPECT_EQ(keld::testing::ReadText(dir / "LINE2.pdf"), "kept");
  printer_installed = true;  // one that cannot be started is named
  p.printer().setPrinterName("Ghost Printer");
  p.Text17->setText("Ghost Printer");
  p.cmdPrint->click();
  EXPECT_EQ(msg.last().text.rfind("The page could not be printed on Ghost Printer: ", 0), 0u) << msg.last().text;
  // A refused layout leaves a blank page; a good one brings the buttons back.
  for (const char* width : {"200", "150"}) {
    p.Text4->setText(width);
    p.SSTab1->setCurrentIndex(0);
    p.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(st.vp.page().composed, width[0] == '1');
    EXPECT_EQ(page_buttons(), width[0] == '1' ? on : off);
  }
  EXPECT_TRUE(msg.saw(" Your plot width is too large, correct size page or profile width"));
  // Loading a file clears the preview: nothing left to print.
  dialogs.files = {std::nullopt};
  p.Command2->click();
  EXPECT_FALSE(st.vp.page().composed);
  EXPECT_EQ(page_buttons(), off);
}

TEST_F(Window, ThePictureFileIsAskedForWrittenAndReported) {
  const std::string su = section("LINE3.su");
  Parameters& p = start(su);
  p.SSTab1->setCurrentIndex(1);
  msg.clear();
  msg.type(std::nullopt);  // cancelled: nothing happens
  p.Record_WMF->click();
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().default_text, dir / "LINE3.svg");
  EXPECT_EQ(msg.last().title, "WMF file option");
  msg.type(dir / "LINE3.svg");
  p.Record_WMF->click();
  const int64_t len = FileLength(dir / "LINE3.svg").value_or(0);
  ASSERT_GT(len, 1000);
  EXPECT_EQ(msg.last().text, dir / "LINE3.svg" + Str(RoundHalfEven(len / 1000.0)) + " Kb has been recorded");
  msg.type(dir / "LINE3.svg");
  msg.answer(MsgAnswer::No);
  keld::testing::WriteText(dir / "LINE3.svg", "kept");
  p.Record_WMF->click();
  EXPECT_EQ(msg.last().text, dir / "LINE3.svg" + " alreday exists, replace this file ?");
  EXPECT_EQ(keld::testing::ReadText(dir / "LINE3.svg"), "kept");
  // A name that says neither SVG nor PDF gets ".svg"; ".PDF" holds a PDF.
  const std::tuple<const char*, const char*, const char*> cases[] = {{"PIC.wmf", "PIC.wmf.svg", "<?xml"},
                                                                     {"PIC3.PDF", "PIC3.PDF", "%PDF-"}};
  for (auto [typed, written, starts] : cases) {
    msg.type(dir / typed);
    p.Record_WMF->click();
    EXPECT_EQ(keld::testing::ReadText(dir / written).substr(0, 5), starts) << typed;
  }
}

TEST_F(Window, TheGraphicalProgramIsAskedForOnceAndACancelKeepsTheOldOne) {
  Parameters& p = start("");
  const std::string before = st.Graphical_Prog;
  dialogs.files = {std::nullopt};
  p.Command14->click();
  EXPECT_TRUE(msg.saw("You must locate your program"));
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_EQ(st.Graphical_Prog, before);
  dialogs.files = {"/usr/bin/inkscape-or-another"};
  p.Command14->click();
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, "/usr/bin/inkscape-or-another");
  p.Command14->click();
  EXPECT_EQ(launcher.started.size(), 2u);
  EXPECT_EQ(dialogs.asked.size(), 2u);
}

TEST_F(Window, SettingsRoundTripThroughEndAndANewStart) {
  const std::string su = section("LINE4.su");
  const std::string prog = "/opt/a/rather/long/folder/of/graphical/programs/for/sections/plotter";
  // Settings an older ombrix left in the settings folder are read from there once.
  WritePrivateProfileString("Draw_Parameter", "Graphical_Prog", prog, "ombrix.ini");
  const std::string old_file = keld::testing::ReadText(dir / "ombrix.ini");
  Parameters& p = start(su);
  EXPECT_EQ(st.Graphical_Prog, prog);
  p.Text4->setText("100");
  p.SSTab1->setCurrentIndex(1);  // the width is taken at a composition
  p.Text5->setText("120");       // not composed: the old height is saved
  p.Text13->setText("North");
  p.fold->setChecked(true);
  p.Command13->click();
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(GetPrivateProfileString("Draw_Parameter", "Large_plot", "", 100, ini()), "5670");
  EXPECT_EQ(GetPrivateProfileString("Draw_Parameter", "Haut_plot", "", 100, ini()), "1984");
  EXPECT_EQ(GetPrivateProfileString("Draw_Parameter", "Graphical_Prog", "", 500, ini()), prog);
  EXPECT_EQ(keld::testing::ReadText(dir / "ombrix.ini"), old_file);  // the old place is left as it was
  WritePrivateProfileString("Draw_Parameter", "Orient1", "Old place", "ombrix.ini");
  OmbrixState st2;
  Parameters p2(st2, sv);
  p2.printer().setPageSize(QPageSize(QPageSize::A4));
  p2.Form_Load(su);
  EXPECT_EQ(text(p2.Text4), "100");
  EXPECT_EQ(text(p2.Text5), "35");
  EXPECT_EQ(text(p2.Text13), "North");
  EXPECT_TRUE(p2.fold->isChecked());
  EXPECT_EQ(st2.Graphical_Prog, prog);
  // "Cancel / Exit" asks and leaves without saving.
  msg.answer(MsgAnswer::Cancel);
  p2.Command3->click();
  EXPECT_EQ(quits, 1);
  p2.Command3->click();
  EXPECT_EQ(quits, 2);
  EXPECT_EQ(msg.last().text, "Quit parameters module ?");
}

}  // namespace
}  // namespace keld::ombrix

namespace keld::ombrix {
namespace {

TEST(OmbrixProgram, RunsOffscreenAndNamesARefusedFile) {
  KELD_REQUIRE_TESTDATA(data, "su");
  keld::testing::TempDir dir;
  const std::string env = "KELD_WINDIR=" + keld::testing::ShellQuote(dir.path()) +
                          " KELD_HOME=" + keld::testing::ShellQuote(dir.path()) + " QT_QPA_PLATFORM=offscreen ";
  const std::string prog = keld::testing::ShellQuote(keld::testing::BinDir() + "/ombrix");
  std::string out;
  // Still running after a second: it started and waits for the user.
  EXPECT_EQ(keld::testing::RunCommand(env + "timeout 1 " + prog + " " + data + "/su_tutorial_data.su", &out), 124)
      << out;
  EXPECT_EQ(out.find("Velquist"), std::string::npos) << out;
  // The refusal is awaited in what it writes, however slowly it starts; then
  // it is ended (it waits for the user).
  const std::string log = dir / "refused.log";
  ASSERT_EQ(keld::testing::RunCommand(env + "timeout 120 " + prog + " " + data + "/segyio_small.su >" +
                                          keld::testing::ShellQuote(log) + " 2>&1 & echo $!",
                                      &out, false),
            0);
  const pid_t pid = std::stoi(out);
  const std::string says = "segyio_small.su: not a little-endian SU file";
  EXPECT_TRUE(keld::testing::WaitUntil([&] { return keld::testing::ReadText(log).find(says) != std::string::npos; }))
      << keld::testing::ReadText(log);
  ::kill(pid, SIGTERM);
  EXPECT_TRUE(keld::testing::WaitUntil([&] {  // gone, or a zombie nobody has reaped yet
    const std::string stat = keld::testing::ReadText("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 2, 1, "Z") == 0;
  }));
}

}  // namespace
}  // namespace keld::ombrix
