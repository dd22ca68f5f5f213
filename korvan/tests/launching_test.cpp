// The programs korvan starts and the windows it opens, reached through the
// menu items and toolbar keys; the requests are recorded, nothing runs.
#include <gtest/gtest.h>

#include "korvan/launch/tests/stand_ins.hpp"
#include "korvan/launch/txt_to_seg2_window.hpp"
#include "korvan/tests/exports_support.hpp"
#include "korvan/window/add_su_window.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/segy_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;

namespace {

struct LaunchTest : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  std::string prog = h.services.program_folder;
  const std::string rec = DataDir(h) + "/my shot 1000.SU";

  void SetUp() override {
    h.messages.clear();
    h.state.Fichier_Courant = rec;
  }
  void Present(const std::string& name) { ShellScript(prog + "/" + name, "exit 0"); }
  const StartRequest& Last() {
    static StartRequest none;
    EXPECT_FALSE(h.launcher.started.empty());
    return h.launcher.started.empty() ? none : h.launcher.started.back();
  }
};

}  // namespace

TEST_F(LaunchTest, HeaderEditorFromTheMenuAndTheToolbarKey) {
  Present("keysheet");
  ASSERT_TRUE(Choose(w, "header"));
  EXPECT_EQ(Last().program, prog + "/keysheet");
  EXPECT_EQ(Last().args, std::vector<std::string>{rec});  // one argument, blanks and all
  EXPECT_EQ(Last().style, WindowStyle::Normal);
  Toolbar(w, "header");  // the key has no button
  EXPECT_EQ(h.launcher.started.size(), 2u);
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST_F(LaunchTest, AMissingHeaderEditorIsNamedAndTriedAllTheSame) {
  ASSERT_TRUE(Choose(w, "header"));
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, "\\KEYSHEET.EXE must be in KORVAN folder");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::None);
  EXPECT_EQ(h.launcher.started.size(), 1u);
}

TEST_F(LaunchTest, VelocityAnalysisOnTheCurrentFile) {
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_EQ(Last().program, prog + "/velscan");
  EXPECT_EQ(Last().args, std::vector<std::string>{rec});
  EXPECT_EQ(Last().style, WindowStyle::Normal);
  h.launcher.succeed = false;
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_EQ(h.messages.last().text, "You must put VELSCAN.EXE in the KORVAN folder");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  h.state.Fichier_Courant.clear();
  h.launcher.started.clear();
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_EQ(h.messages.last().text, "No file selected");
  EXPECT_TRUE(h.launcher.started.empty());
}

TEST_F(LaunchTest, PrintingOnTheDisplayedFile) {
  // Nothing on display: nothing happens.
  h.state.Nb_Tracce = 0;
  ASSERT_TRUE(Choose(w, "printrec"));
  Toolbar(w, "print");
  EXPECT_TRUE(h.launcher.started.empty());
  EXPECT_TRUE(h.messages.shown.empty());
  const std::string shown = WriteShot(DataDir(h) + "/SHOWN.SU", 6, 128);
  w.Affiche_SU(shown);
  ASSERT_EQ(h.state.Nb_Tracce, 6);
  ASSERT_TRUE(Choose(w, "printrec"));
  EXPECT_EQ(Last().program, prog + "/ombrix");
  EXPECT_EQ(Last().args, std::vector<std::string>{shown});  // the displayed file, not the current one
  Toolbar(w, "print");
  EXPECT_EQ(h.launcher.started.size(), 2u);
  h.launcher.succeed = false;
  Toolbar(w, "print");
  EXPECT_EQ(h.messages.last().text,
            " Printing not possible, check printer and OMBRIX.EXE must be in KORVAN folder");
  EXPECT_EQ(w.item("printrec")->shortcut(), QKeySequence("F5"));
}

TEST_F(LaunchTest, UsbSystemTool) {
  ASSERT_TRUE(Choose(w, "Stool"));
  EXPECT_EQ(h.messages.last().text, "ZUL_Usb.exe must be in KORVAN folder");
  EXPECT_EQ(Last().program, prog + "/zul_usb_bf");
  EXPECT_TRUE(Last().args.empty());
  h.messages.clear();
  Present("zul_usb_bf");
  ASSERT_TRUE(Choose(w, "Stool"));
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.launcher.started.size(), 2u);
}

TEST_F(LaunchTest, ManualFromTheToolbarInTheCheckedLanguage) {
  EXPECT_FALSE(Choose(w, "Help"));  // disabled in the menu as designed
  TempDir bin;
  keld::testing::Script(bin / "xdg-mime", "printf 'viewer.desktop\\n'");
  ScopedEnv path("PATH", bin.path());
  std::filesystem::create_directories(prog + "/manual");
  for (const char* m : {"ZUL_Manual.pdf", "ZUL_Manual_fr.pdf", "ZUL_Manual_it.pdf"})
    keld::testing::WriteText(prog + "/manual/" + m, "%PDF-1.4\n");
  Toolbar(w, "help");
  w.set_language(2);
  Toolbar(w, "help");
  w.item("Lang_it")->setChecked(true);  // French and Italian both marked: Italian
  Toolbar(w, "help");
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
  const std::string m = prog + "/manual/";
  EXPECT_EQ(h.launcher.opened,
            (std::vector<std::string>{m + "ZUL_Manual.pdf", m + "ZUL_Manual_fr.pdf", m + "ZUL_Manual_it.pdf"}));
}

TEST_F(LaunchTest, TextToSeg2Window) {
  ASSERT_TRUE(Choose(w, "txttoSEG2"));
  txt_to_seg2* t = w.txt_seg2();
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->isVisible());
  EXPECT_EQ(t->windowTitle(), "TXT to SEG-2");
  ASSERT_TRUE(Choose(w, "txttoSEG2"));
  EXPECT_EQ(w.txt_seg2(), t);
  // Its convert button, with the record missing: refused before dropconv.
  Find<QLineEdit>(t, "Text1")->setText(QString::fromStdString(DataDir(h) + "/dati.txt"));
  Find<QLineEdit>(t, "Text2")->setText(QString::fromStdString(DataDir(h) + "/dati.sg2"));
  Find<QPushButton>(t, "Command1")->click();
  EXPECT_EQ(h.messages.last().text, DataDir(h) + "/dati.txt does not exist !");
  EXPECT_TRUE(h.launcher.started.empty());
}

// With nothing to save nor on display it would offer only its help, which
// opens it again: it is not opened.
TEST_F(LaunchTest, SaveAsOpensTheAfterShotDialog) {
  ASSERT_TRUE(Choose(w, "Saveas"));
  EXPECT_FALSE(w.choix() && w.choix()->isVisible());
  EXPECT_EQ(h.messages.texts(), std::vector<std::string>{"There is no shot to save"});
  WriteShot(h.state.Fichier_Temp, 2, 128);
  ASSERT_TRUE(Choose(w, "Saveas"));
  ASSERT_TRUE(w.choix());
  EXPECT_TRUE(w.choix()->isVisible());
  EXPECT_FALSE(w.choix()->isModal());
  w.choix()->hide();
  Toolbar(w, "save");
  EXPECT_TRUE(w.choix()->isVisible());
}

TEST_F(LaunchTest, WhatStaysDisabled) {
  for (const char* name : {"SU2SEGY", "SU2SEGD", "CB", "sys_pan", "Help"})
    EXPECT_FALSE(w.item(name)->isEnabled()) << name;
  for (const char* name : {"Saveas", "addsu", "txttoSEG2", "Filtre", "NMO", "Stool", "header", "printrec"})
    EXPECT_TRUE(w.item(name)->isEnabled()) << name;
}

TEST_F(LaunchTest, OpenWindowsCloseWithTheMainWindow) {
  Toolbar(w, "tosu");
  ASSERT_TRUE(Choose(w, "addsu"));
  ASSERT_TRUE(Choose(w, "txttoSEG2"));
  w.close();
  EXPECT_FALSE(w.segy()->isVisible());
  EXPECT_FALSE(w.add_su()->isVisible());
  EXPECT_FALSE(w.txt_seg2()->isVisible());
}
