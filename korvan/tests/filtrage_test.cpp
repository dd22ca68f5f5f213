// The filter-and-gain batch from the menu and the toolbar, with the started
// programs recorded: the three forms of the filtre.bat line, the refusals
// before anything is cleared or run, and an output that never came.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>

#include "platform/qt/picture_box.hpp"

#include "korvan/tests/exports_support.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::ReadText;
using keld::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct FilterTest : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  std::string prog = h.services.program_folder;
  std::string in, out, bat;

  void SetUp() override {
    ShellScript(prog + "/sufilter", "exit 0");
    ShellScript(prog + "/sugain", "exit 0");
    in = WriteShot(DataDir(h) + "/SHOT1000.SU", 24, 1024);
    out = DataDir(h) + "/SHOT1000_flt.su";
    bat = h.services.work_folder + "/filtre.bat";
    h.state.Fichier_Courant = in;
    w.Affiche_SU(in);
    ASSERT_EQ(h.state.Fichier_Affiche, in);
    h.messages.clear();
  }
  std::string Q(const std::string& s) { return "'" + s + "'"; }
  // The line written, checked against the request to run it. The batch
  // writes a temporary of its own beside the output, gone once the run has
  // ended (the recorder runs nothing): the line shows it as PART.
  std::string Line() {
    EXPECT_EQ(h.launcher.started.size(), 1u);
    if (h.launcher.started.empty()) return {};
    const StartRequest& r = h.launcher.started.back();
    EXPECT_EQ(r.program, "/bin/sh");
    EXPECT_EQ(r.args, std::vector<std::string>{bat});
    EXPECT_EQ(r.style, WindowStyle::Minimized);
    std::string line = ReadText(bat);
    const size_t a = line.find(" >'"), b = a == std::string::npos ? a : line.find('\'', a + 3);
    if (b == std::string::npos) {
      ADD_FAILURE() << "no output in " << line;
      return line;
    }
    const std::string part = line.substr(a + 3, b - a - 3);
    EXPECT_EQ(fs::path(part).parent_path(), fs::path(out).parent_path());
    EXPECT_NE(part, out);
    EXPECT_FALSE(fs::exists(part));
    return line.replace(a + 2, b - a - 1, "PART");
  }
  void Refused(const std::string& text, MsgIcon icon) {
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.last().text, text);
    EXPECT_EQ(h.messages.last().icon, icon);
    EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
    EXPECT_TRUE(h.launcher.started.empty());
    EXPECT_FALSE(fs::exists(bat));
  }
};

}  // namespace

TEST_F(FilterTest, FilterOnlyLine) {
  ASSERT_TRUE(Choose(w, "Filtre"));
  EXPECT_EQ(Line(), Q(prog + "/sufilter") + " <" + Q(in) + " >PART f=10,20,8000,16000\n");
}

TEST_F(FilterTest, FilterThenGainLine) {
  w.AGC->setText("500");
  Toolbar(w, "filter");
  EXPECT_EQ(Line(), Q(prog + "/sufilter") + " <" + Q(in) + " f=10,20,8000,16000 | " + Q(prog + "/sugain") +
                        " >PART agc=1 wagc=.5\n");
}

TEST_F(FilterTest, GainOnlyLine) {
  w.LC1->setText("");  // a typed 0 becomes 1: only a text that is no number gives gain only
  w.AGC->setText("1000");
  Toolbar(w, "filter");
  EXPECT_EQ(Line(), Q(prog + "/sugain") + " <" + Q(in) + " >PART agc=1 wagc=1\n");
}

TEST_F(FilterTest, BoxTextsAreWrittenInPlainForm) {
  w.LC2->setText("020");
  w.HC1->setText("8000.0");
  Toolbar(w, "filter");
  EXPECT_NE(Line().find(" f=10,20,8000,16000\n"), std::string::npos);
}

TEST_F(FilterTest, AnOutputThatNeverCameIsAFailure) {
  // The recorder runs nothing: status 0, and no output.
  keld::testing::WriteText(out, "old output");
  Toolbar(w, "filter");
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(h.messages.last().text.rfind(in + "  has not been filtered: ", 0), 0u) << h.messages.last().text;
  EXPECT_EQ(ReadText(out), "old output");  // the last good output stays
  EXPECT_EQ(h.state.Fichier_Affiche, in);
  // A batch that ends badly.
  h.messages.clear();
  h.launcher.exit_status = 2;
  Toolbar(w, "filter");
  EXPECT_NE(h.messages.last().text.find("status 2"), std::string::npos) << h.messages.last().text;
  h.messages.clear();
  h.launcher.succeed = false;
  Toolbar(w, "filter");
  EXPECT_NE(h.messages.last().text.find("could not run"), std::string::npos) << h.messages.last().text;
  EXPECT_EQ(ReadText(out), "old output");
  EXPECT_EQ(std::distance(fs::directory_iterator(DataDir(h)), {}), 2);  // SHOT1000.SU and the output: no temporary
}

TEST_F(FilterTest, RefusalsComeBeforeAnythingIsDeletedOrCleared) {
  keld::testing::WriteText(out, "old output");
  const QImage shown = w.Ecran->Snapshot();
  w.HC1->setText("15");  // LC2 20 > HC1
  Toolbar(w, "filter");
  Refused("Bad filter parameters", MsgIcon::None);
  EXPECT_EQ(ReadText(out), "old output");
  EXPECT_EQ(w.Ecran->Snapshot(), shown);  // the record stays on display
}

TEST_F(FilterTest, EqualCornersPass) {
  w.HC1->setText("20");
  w.HC2->setText("32000");
  Toolbar(w, "filter");
  EXPECT_NE(Line().find(" f=10,20,20,32000\n"), std::string::npos);
}

TEST_F(FilterTest, AboveNyquist) {
  w.HC2->setText("32001");
  Toolbar(w, "filter");
  Refused("High Cut value > Nyquist frequency  32000 Hz", MsgIcon::None);
}

TEST_F(FilterTest, AGCLongerThanTheRecord) {
  w.Rec_time->setText("1.049");
  w.AGC->setText("2000");
  Toolbar(w, "filter");
  Refused("AGC windows longer than record, correct please", MsgIcon::Critical);
  h.messages.clear();
  w.AGC->setText("1000");
  Toolbar(w, "filter");
  EXPECT_EQ(Line().find("agc=1 wagc=1\n") != std::string::npos, true);
}

TEST_F(FilterTest, NeitherFilterNorGainIsRefused) {
  w.LC1->setText("none");
  w.AGC->setText("0");
  Toolbar(w, "filter");
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_TRUE(h.launcher.started.empty());
  EXPECT_FALSE(fs::exists(bat));
}

TEST_F(FilterTest, FileChecks) {
  h.state.Fichier_Affiche = " ";  // nothing displayed yet: nothing at all
  Toolbar(w, "filter");
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_TRUE(h.launcher.started.empty());

  h.state.Fichier_Affiche = DataDir(h) + "/GONE.SU";
  Toolbar(w, "filter");
  Refused("Input file " + DataDir(h) + "/GONE.SU does not exist !", MsgIcon::None);

  h.messages.clear();
  keld::testing::WriteText(DataDir(h) + "/EMPTY.SU", "");
  h.state.Fichier_Affiche = DataDir(h) + "/EMPTY.SU";
  Toolbar(w, "filter");
  Refused("Input file " + DataDir(h) + "/EMPTY.SU is empty !", MsgIcon::None);

  h.messages.clear();
  h.state.Fichier_Affiche = "";
  Toolbar(w, "filter");
  Refused("File name missing", MsgIcon::None);

  // No current file: the file on display is filtered all the same, into
  // its own output name.
  h.messages.clear();
  h.state.Fichier_Affiche = in;
  h.state.Fichier_Courant = " ";
  Toolbar(w, "filter");
  EXPECT_FALSE(h.messages.saw("File name missing"));
  EXPECT_EQ(h.launcher.started.size(), 1u);
}

TEST_F(FilterTest, AMissingProgramIsNamed) {
  fs::remove(prog + "/sugain");
  w.AGC->setText("500");
  Toolbar(w, "filter");
  Refused(prog + "/sugain must be in KORVAN folder !", MsgIcon::Critical);
  // The filter alone does not need it.
  h.messages.clear();
  w.AGC->setText("0");
  Toolbar(w, "filter");
  EXPECT_EQ(h.launcher.started.size(), 1u);
}

TEST_F(FilterTest, RefusedWhileTheNoiseMonitorRuns) {
  h.state.Monitor_Actif = -1;
  Toolbar(w, "filter");
  Refused("Impossible while noise monitor is running", MsgIcon::Critical);
}
