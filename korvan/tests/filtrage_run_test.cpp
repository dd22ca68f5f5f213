// The filter-and-gain batch run for real through /bin/sh: our sufilter and
// sugain on a synthetic shot, the output displayed; a batch that fails or
// leaves no trace reported as a failure; the window live while it runs.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include "boardlink/board_link.hpp"
#include "korvan/display/tests/synthetic_shot.hpp"
#include "korvan/tests/exports_support.hpp"
#include "korvan/window/choix_dialog.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct FilterRun : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  PosixLauncher posix;
  Korvan& w = h.start();
  std::string prog = h.services.program_folder;
  std::string in, out;

  void SetUp() override {
    h.launcher.real = &posix;
    ShotSpec desc;
    desc.traces = 24;
    desc.ns = 1024;
    desc.dt_us = 1000;
    in = DataDir(h) + "/SHOT1000.SU";
    ASSERT_TRUE(WriteTraces(in, SyntheticShot(desc), desc.dt_us));
    out = DataDir(h) + "/SHOT1000_flt.su";
    h.state.Fichier_Courant = in;
    w.Affiche_SU(in);
    w.LC1->setText("10");
    w.LC2->setText("20");
    w.HC1->setText("80");
    w.HC2->setText("120");
    w.AGC->setText("200");
    h.messages.clear();
  }
  bool UseOurTools() {
    const std::string bin = keld::testing::BinDir();
    if (access((bin + "/sufilter").c_str(), X_OK) != 0 || access((bin + "/sugain").c_str(), X_OK) != 0) return false;
    fs::create_symlink(fs::absolute(bin + "/sufilter"), prog + "/sufilter");
    fs::create_symlink(fs::absolute(bin + "/sugain"), prog + "/sugain");
    return true;
  }
  void ExpectFailure() {
    ASSERT_FALSE(h.messages.shown.empty());
    EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
    EXPECT_EQ(h.messages.last().text.rfind(in + "  has not been filtered: ", 0), 0u) << h.messages.last().text;
    EXPECT_EQ(h.messages.count(in + "  has been filtered  LC1=10 LC2=20 HC1=80 HC2=120"), 0);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(h.state.Fichier_Affiche, in);
  }
};

}  // namespace

TEST_F(FilterRun, OurSufilterAndSugainThenTheOutputOnDisplay) {
  if (!UseOurTools()) GTEST_SKIP() << "sufilter and sugain are not built in " << keld::testing::BinDir();
  ASSERT_TRUE(Choose(w, "Filtre"));
  ASSERT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().text, in + "  has been filtered  LC1=10 LC2=20 HC1=80 HC2=120");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
  // The output is on display.
  EXPECT_EQ(h.state.Fichier_Affiche, out);
  EXPECT_EQ(w.Text13->text().toStdString(), out);
  EXPECT_EQ(h.state.Nb_Tracce, 24);
  EXPECT_EQ(h.state.Nb_Campioni, 1024);
  auto a = ReadSuFile(in), b = ReadSuFile(out);
  ASSERT_TRUE(a.ok() && b.ok());
  ASSERT_EQ(b->size(), 24u);
  EXPECT_NE((*a)[3].samples, (*b)[3].samples);
  EXPECT_EQ((*b)[3].samples.size(), 1024u);
  // The displayed file is now the output: filtering it again makes the
  // output's own filtered copy and leaves the output as it was.
  const std::vector<uint8_t> first = Bytes(out);
  h.messages.clear();
  Toolbar(w, "filter");
  const std::string twice = DataDir(h) + "/SHOT1000_flt_flt.su";
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, out + "  has been filtered  LC1=10 LC2=20 HC1=80 HC2=120");
  EXPECT_EQ(h.state.Fichier_Affiche, twice);
  EXPECT_EQ(Bytes(out), first);
  auto again = ReadSuFile(twice);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again->size(), 24u);
}

TEST_F(FilterRun, TheFilterAloneAndTheGainAlone) {
  if (!UseOurTools()) GTEST_SKIP() << "sufilter and sugain are not built in " << keld::testing::BinDir();
  w.AGC->setText("0");
  Toolbar(w, "filter");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information) << h.messages.last().text;
  EXPECT_EQ(ReadSuLayout(out).value().traces, 24);
  w.Affiche_SU(in);
  w.LC1->setText("-");
  w.AGC->setText("200");
  Toolbar(w, "filter");
  EXPECT_EQ(h.messages.last().text, in + "  has been filtered  LC1=0 LC2=20 HC1=80 HC2=120");
  EXPECT_EQ(ReadSuLayout(out).value().traces, 24);
}

TEST_F(FilterRun, AFailingBatchIsReportedAsAFailure) {
  ShellScript(prog + "/sufilter", "cat >/dev/null; exit 1");
  ShellScript(prog + "/sugain", "cat");
  Toolbar(w, "filter");
  ExpectFailure();
  // A pipe's status is its last program's: the filter alone shows the failure.
  h.messages.clear();
  w.AGC->setText("0");
  Toolbar(w, "filter");
  ExpectFailure();
  EXPECT_NE(h.messages.last().text.find("status 1"), std::string::npos) << h.messages.last().text;
}

TEST_F(FilterRun, TheLastGoodOutputOutlivesABatchThatFailsOrWritesPartOfItsOutput) {
  // The input holds 24 traces of 4336 bytes.
  const struct {
    const char* sufilter;
    const char* says;
  } cases[] = {
      {"cat >/dev/null; exit 1", "status 1"},
      {"head -c 5000", "partial trace"},
      {"head -c 8672", "holds 2 traces of 1024 samples where " },
  };
  keld::testing::WriteText(out, "the last good output");
  w.AGC->setText("0");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sufilter);
    ShellScript(prog + "/sufilter", c.sufilter);
    h.messages.clear();
    Toolbar(w, "filter");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.last().text.find(c.says), std::string::npos) << h.messages.last().text;
    EXPECT_EQ(keld::testing::ReadText(out), "the last good output");
    EXPECT_EQ(std::distance(fs::directory_iterator(DataDir(h)), {}), 2);  // no temporary beside it
  }
}

TEST_F(FilterRun, AnOutputWithoutATraceIsAFailure) {
  ShellScript(prog + "/sufilter", "head -c 100");
  ShellScript(prog + "/sugain", "cat");
  Toolbar(w, "filter");
  ExpectFailure();
}

TEST_F(FilterRun, TheWindowStaysLiveWhileTheBatchRuns) {
  // sufilter holds the batch until the window has served three ticks of its
  // timer (for a minute at most: a window that is not served fails, never hangs).
  const std::string go = prog + "/go";
  ShellScript(prog + "/sufilter",
              "i=0; while [ ! -e '" + go + "' ] && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done; cat");
  ShellScript(prog + "/sugain", "cat");
  w.AGC->setText("0");
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) keld::testing::WriteText(go, "");
    Toolbar(w, "filter");  // a second request meanwhile starts nothing
  });
  timer.start(20);
  Toolbar(w, "filter");
  timer.stop();
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(h.launcher.started.size(), 1u);
  ASSERT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(Bytes(out), Bytes(in));
  EXPECT_EQ(h.state.Fichier_Affiche, out);
}

TEST_F(FilterRun, AShotRecordedFromTheSimulatedUnitsFilteredAndShown) {
  if (!UseOurTools()) GTEST_SKIP() << "sufilter and sugain are not built in " << keld::testing::BinDir();
  // A shot of 6 channels at 250 Hz from the units behind the port.
  w.Total_Channel->setText("6");
  w.link().Riapri_Porta();
  w.Command10->setEnabled(true);
  w.Command10->click();
  ASSERT_TRUE(w.choix() && w.choix()->isVisible());
  w.choix()->Command1->click();  // Save as: the next numbered record
  const std::string record = h.state.Dernier_Record;
  ASSERT_EQ(ReadSuLayout(record).value().traces, 6);
  // Opened as the current file, then filtered and gained.
  h.dialogs.files.push_back(record);
  ASSERT_TRUE(Choose(w, "Load_file"));
  w.LC1->setText("5");
  w.LC2->setText("10");
  w.HC1->setText("60");
  w.HC2->setText("100");
  w.AGC->setText("500");
  h.messages.clear();
  Toolbar(w, "filter");
  ASSERT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().text, record + "  has been filtered  LC1=5 LC2=10 HC1=60 HC2=100");
  const std::string filtered = record.substr(0, record.size() - 3) + "_flt.su";
  EXPECT_EQ(h.state.Fichier_Affiche, filtered);
  EXPECT_EQ(w.Text13->text().toStdString(), filtered);
  EXPECT_EQ(h.state.Nb_Tracce, 6);
  auto a = ReadSuFile(record), b = ReadSuFile(filtered);
  ASSERT_TRUE(a.ok() && b.ok());
  ASSERT_EQ(b->size(), 6u);
  EXPECT_EQ((*b)[2].header.tracf, (*a)[2].header.tracf);
  EXPECT_NE((*b)[2].samples, (*a)[2].samples);
}
