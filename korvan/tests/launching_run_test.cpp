// The programs korvan starts, run for real as stand-ins in the program folder
// that write down the arguments they were given, reached through the menus
// and toolbar keys.
#include <gtest/gtest.h>

#include <csignal>

#include "common/text.hpp"
#include "korvan/launch/tests/stand_ins.hpp"
#include "korvan/launch/txt_to_seg2_window.hpp"
#include "korvan/tests/exports_support.hpp"
#include "korvan/window/choix_dialog.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;
namespace fs = std::filesystem;

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

// Every way of starting dropconv waits for it and says what became of the
// SEG-2 copy, with dropconv's reason: the real dropconv under a file-size
// limit and on a text record cut inside its second channel, one killed, and
// one stuck whose window is closed (the window goes, dropconv with it).
TEST(Seg2Copies, EveryPathThatStartsDropconvSaysWhatBecameOfTheCopy) {
  const std::string real = "exec '" + fs::absolute(keld::testing::BinDir()).string() + "/dropconv' \"$@\"";
  const struct {
    const char* what;
    std::string dropconv;
    bool cut;
    const char* reason;  // what the reason holds; "" the copy is made, nullptr the window is closed
  } faults[] = {
      {"whole", real, false, ""},
      {"file-size limit", "ulimit -f 0; " + real, false, "File too large"},
      {"cut record", real, true, "dropconv: "},
      {"killed", "kill -9 $$", false, "dropconv was ended by signal 9 (Killed)"},
      {"stuck", "echo $$ > \"$0.pid\"; exec sleep 600", false, nullptr},
  };
  const struct {
    const char* what;
    const char *saved, *sg2;  // in the data folder
    bool says_made;           // a box says the copy is made
    std::function<void(KorvanHarness&, Korvan&)> press;
  } paths[] = {
      {"Save as", "FILE1000.SU", "FILE1000.SG2", false, [](KorvanHarness&, Korvan& w) {
         Toolbar(w, "save");
         w.choix()->Command1->click();
       }},
      {"Save with another name", "mine.su", "mine.SG2", true, [](KorvanHarness& h, Korvan& w) {
         h.dialogs.files.push_back(DataDir(h) + "/mine.su");
         Toolbar(w, "save");
         w.choix()->Command4->click();
       }},
      {"txt to SEG-2", "", "dati.sg2", false, [](KorvanHarness& h, Korvan& w) {
         Choose(w, "txttoSEG2");
         Find<QLineEdit>(w.txt_seg2(), "Text1")->setText(QString::fromStdString(w.text_record_path()));
         Find<QLineEdit>(w.txt_seg2(), "Text2")->setText(QString::fromStdString(DataDir(h) + "/dati.sg2"));
         Find<QPushButton>(w.txt_seg2(), "Command1")->click();
       }},
  };
  for (const auto& path : paths)
    for (const auto& f : faults) {
      SCOPED_TRACE(std::string(path.what) + ", " + f.what);
      TempDir d;
      KorvanHarness h(d.path());
      PosixLauncher posix;
      h.launcher.real = &posix;
      Korvan& w = h.start();
      WriteShot(h.state.Fichier_Temp, 2, 4);
      std::string record = keld::testing::SmallTextRecord();
      if (f.cut) record.resize(record.rfind("-4.5"));  // the file ends inside channel 2
      keld::testing::WriteText(w.text_record_path(), record);
      const std::string stand_in = h.services.program_folder + "/dropconv";
      ShellScript(stand_in, f.dropconv);
      h.messages.clear();
      QWidget* closed = nullptr;
      h.pump.hook = [&] {
        if (f.reason || closed || !fs::exists(stand_in + ".pid")) return;
        closed = w.txt_seg2() ? static_cast<QWidget*>(w.txt_seg2()) : &w;
        closed->close();
      };
      path.press(h, w);
      h.pump.hook = nullptr;
      const std::string saved = *path.saved ? DataDir(h) + "/" + path.saved : "", sg2 = DataDir(h) + "/" + path.sg2;
      const std::string said = h.messages.shown.empty() ? "" : h.messages.last().text;
      if (!f.reason) {  // nobody left to tell, and nothing of dropconv left behind
        EXPECT_TRUE(closed && Until([&] { return !closed->isVisible(); }));
        EXPECT_TRUE(h.messages.shown.empty()) << said;
        // One never started (pid 0) fails too.
        EXPECT_NE(kill(std::atoi(keld::testing::ReadText(stand_in + ".pid").c_str()), 0), 0);
      } else if (!*f.reason) {
        EXPECT_TRUE(fs::exists(sg2));
        EXPECT_EQ(h.messages.texts(), path.says_made ? std::vector<std::string>{saved + " and " + sg2 + " has been recorded"}
                                                     : std::vector<std::string>{});
      } else {
        const std::string lost = (saved.empty() ? sg2 : saved + " has been recorded, but its SEG-2 copy " + sg2) +
                                 " has not been made:\r\n";
        EXPECT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(said.rfind(lost, 0), 0u) << said;
        EXPECT_NE(said.find(f.reason, lost.size()), std::string::npos) << said;
        EXPECT_TRUE(h.messages.shown.empty() || h.messages.last().icon == MsgIcon::Critical);
        EXPECT_FALSE(fs::exists(sg2));
      }
      if (!saved.empty()) {
        EXPECT_TRUE(fs::exists(saved) && !fs::exists(h.state.Fichier_Temp));
      }
      EXPECT_EQ(Leftovers(DataDir(h)), 0);
    }
}
