// The programs korvan starts, run for real as stand-ins in the program folder
// that write down the arguments they were given, reached through the menus
// and toolbar keys.
#include <gtest/gtest.h>

#include "common/text.hpp"
#include "korvan/launch/tests/stand_ins.hpp"
#include "korvan/tests/exports_support.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

struct LaunchRun : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  PosixLauncher posix;
  Korvan& w = h.start();
  std::string prog = h.services.program_folder;

  void SetUp() override {
    h.launcher.real = &posix;
    h.messages.clear();
  }
  // A stand-in that writes its argument count, then each argument on a line.
  void StandIn(const std::string& name) {
    const std::string f = d / (name + ".args");
    ShellScript(prog + "/" + name, "{ echo \"$#\"; for a; do printf '%s\\n' \"$a\"; done; } > '" + f +
                                       ".tmp' && mv '" + f + ".tmp' '" + f + "'");
  }
  std::vector<std::string> Args(const std::string& name) {
    const std::string f = d / (name + ".args");
    if (!keld::testing::WaitFor(f)) return {"<never started>"};
    auto lines = Split(keld::testing::ReadText(f), '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

}  // namespace

TEST_F(LaunchRun, EachProgramGetsItsCommandLine) {
  for (const char* p : {"keysheet", "velscan", "ombrix", "zul_usb_bf"}) StandIn(p);
  const std::string current = DataDir(h) + "/my line/SHOT 1000.SU";
  std::filesystem::create_directories(DataDir(h) + "/my line");
  const std::string shown = WriteShot(DataDir(h) + "/my line/SHOT 1000_flt.su", 4, 64);
  h.state.Fichier_Courant = current;
  w.Affiche_SU(shown);

  ASSERT_TRUE(Choose(w, "header"));
  EXPECT_EQ(Args("keysheet"), (std::vector<std::string>{"1", current}));
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_EQ(Args("velscan"), (std::vector<std::string>{"1", current}));
  Toolbar(w, "print");
  EXPECT_EQ(Args("ombrix"), (std::vector<std::string>{"1", shown}));
  ASSERT_TRUE(Choose(w, "Stool"));
  EXPECT_EQ(Args("zul_usb_bf"), (std::vector<std::string>{"0"}));
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
  // The toolbar's header key starts the editor again.
  std::filesystem::remove(d / "keysheet.args");
  Toolbar(w, "header");
  EXPECT_EQ(Args("keysheet"), (std::vector<std::string>{"1", current}));
}

TEST_F(LaunchRun, MissingProgramsAreReported) {
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_TRUE(h.messages.saw("No file selected"));
  h.state.Fichier_Courant = "/x.su";
  ASSERT_TRUE(Choose(w, "NMO"));
  EXPECT_TRUE(h.messages.saw("You must put VELSCAN.EXE in the KORVAN folder"));
  h.state.Nb_Tracce = 1;
  h.state.Nb_Campioni = 1;
  Toolbar(w, "print");
  EXPECT_TRUE(h.messages.saw(" Printing not possible, check printer and OMBRIX.EXE must be in KORVAN folder"));
}
