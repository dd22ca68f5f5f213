// The batch of the picks written by the pick window and run by sh through
// our SUSORT, SUNMO and SUSTACK, from a folder with blanks in its name.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/shell.hpp"
#include "common/testing/testsupport.hpp"
#include "velscan/testing/synthetic_cdp.hpp"
#include "velscan/tests/velscan_fixture.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {
namespace {

using keld::testing::TempDir;
using testing::SyntheticCdp;
using testing::VelscanHarness;

// Velocities picked at CDPs 101 (1800 m/s) and 105 (2400 m/s); the file's
// velocities between them follow the NMO's interpolation of 1/v^2, and stay
// at 2400 beyond.
double FileVelocity(int cdp) {
  if (cdp >= 105) return 2400;
  const double a = (cdp - 101) / 4.0;
  return 1 / std::sqrt((1 - a) / (1800.0 * 1800) + a / (2400.0 * 2400));
}

struct BatchFixture {
  TempDir d;
  std::string folder = d / "line 7 (east)";
  std::string input = folder + "/shots.su";
  SyntheticCdp s;
  VelscanHarness h;
  BatchFixture() {
    std::filesystem::create_directory(folder);
    s.first_cdp = 101;
    s.folds = {3, 4, 5, 6, 6, 6, 6, 6, 6, 5, 4, 3};
    s.velocity = FileVelocity;
    s.shuffle = true;
    WriteCdpFile(input, s);
    h.messages.answer(MsgAnswer::Yes);  // " contains sorted data ? "
    h.messages.type("101");
    h.window.Form_Load(input);
    h.state.Repertoire_SU = keld::testing::BinDir() + "/";
    // The picks of the example, in the order they were made.
    for (auto [cdp, ms, v] : {std::array<int, 3>{105, 300, 2400}, {101, 250, 1800}, {105, 120, 2400}, {101, 400, 1800}})
      h.window.Save_Pick(cdp, ms, v);
    h.messages.clear();
    h.window.Command2->click();
  }
  PickWindow& pick() { return *h.window.pick_window(); }
  std::string output() const { return folder + "/shots_nmo_stack.su"; }
  std::string history() const { return folder + "/shots_nmo_stack.txt"; }
};

TEST(VelscanBatch, TheLineRunByShGivesOneFlatTracePerCdp) {
  BatchFixture f;
  const std::string bin = keld::testing::BinDir() + "/";
  const std::string line = ShellProgram(bin, "SUSORT") + " <" + ShellWord(f.input) + " cdp offset | " +
                           ShellProgram(bin, "SUNMO") +
                           " smute=1.5 cdp=101,105 tnmo=.25,.4 vnmo=1800,1800 tnmo=.12,.3 vnmo=2400,2400 | " +
                           ShellProgram(bin, "SUSTACK") + " >" + ShellWord(f.output()) + " key=cdp";
  EXPECT_EQ(f.pick().RichTextBox1->toPlainText().toStdString(), line);
  EXPECT_EQ(f.pick().Text1->text().toStdString(), f.output());
  f.pick().Command1->click();
  EXPECT_EQ(f.h.messages.texts(), (std::vector<std::string>{" The batch has been saved as " + f.folder +
                                                                "/NMO_and_STACK.bat",
                                                            f.output() + " has been recorded with NMO and STACK data !"}));
  EXPECT_EQ(keld::testing::ReadText(f.folder + "/NMO_and_STACK.bat"), line);
  auto out = ReadSuFile(f.output());
  ASSERT_TRUE(out.ok()) << out.error();
  ASSERT_EQ(out->size(), f.s.folds.size());
  for (size_t c = 0; c < out->size(); ++c) {
    const SuTrace& t = (*out)[c];
    EXPECT_EQ(t.header.cdp, 101 + static_cast<int>(c));
    EXPECT_EQ(t.header.nhs, f.s.folds[c]);
    EXPECT_EQ(t.header.offset, 0);
    const int peak = static_cast<int>(std::max_element(t.samples.begin(), t.samples.end()) - t.samples.begin());
    EXPECT_LE(std::abs(peak - 200), 1) << "cdp " << t.header.cdp;  // t0 = 0.4 s at 2 ms
    EXPECT_GT(t.samples[200], 0.8f) << "the traces add up in phase at cdp " << t.header.cdp;
  }
  EXPECT_EQ(keld::testing::ReadText(f.history()),
            "* No history file available for " + f.input + " *\r\n" + line + "\r\n");
  // velscan's own scan of the stack sees stacked data.
  VelscanHarness again;
  again.messages.answer(MsgAnswer::No);
  again.window.Form_Load(f.output());
  EXPECT_EQ(again.messages.shown.at(0).text, f.output() + " seems to be stacked data, continue ? ");
}

TEST(VelscanBatch, BatchAndHistoryGoToTheWorkFolderWhenTheirFolderTakesNoFile) {
  BatchFixture f;
  // Folders under the names of the batch and of the history: neither file can
  // be written there (as in a folder that cannot be written).
  std::filesystem::create_directory(f.folder + "/NMO_and_STACK.bat");
  std::filesystem::create_directory(f.history());
  f.pick().Command1->click();
  const std::string work = f.h.work.path();
  const auto texts = f.h.messages.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].rfind(" The batch has been saved as " + work + "/NMO_and_STACK.bat\n\r (" + f.folder +
                               "/NMO_and_STACK.bat could not be written",
                           0),
            0u)
      << texts[0];
  EXPECT_NE(texts[1].find(" The history has been written as " + work + "/shots_nmo_stack.txt"), std::string::npos)
      << texts[1];
  EXPECT_EQ(texts[2], f.output() + " has been recorded with NMO and STACK data !");
  EXPECT_TRUE(ReadSuFile(f.output()).ok());
  EXPECT_NE(keld::testing::ReadText(work + "/shots_nmo_stack.txt").find("SUSTACK"), std::string::npos);
}

TEST(VelscanBatch, AFailingBatchWritesNoHistoryAndSaysWhy) {
  BatchFixture f;
  // A folder without the programs.
  TempDir empty;
  f.h.state.Repertoire_SU = empty.path() + "/";
  f.pick().Affiche();
  f.pick().Command1->click();
  EXPECT_NE(f.h.messages.last().text.find("The batch failed"), std::string::npos) << f.h.messages.last().text;
  EXPECT_NE(f.h.messages.last().text.find("SUSORT"), std::string::npos) << f.h.messages.last().text;
  EXPECT_FALSE(std::filesystem::exists(f.history()));
  EXPECT_FALSE(std::filesystem::exists(f.output()));
  // A broken input: the sort says what is wrong; an earlier output survives.
  keld::testing::WriteText(f.output(), "earlier");
  f.h.state.Repertoire_SU = keld::testing::BinDir() + "/";
  f.pick().Affiche();
  auto bytes = keld::testing::ReadBytes(f.input);
  keld::testing::WriteText(f.input, std::string(bytes.begin(), bytes.begin() + 1000));
  f.h.messages.clear();
  f.h.messages.answer(MsgAnswer::Yes);  // replace the earlier output
  f.pick().Command1->click();
  EXPECT_NE(f.h.messages.last().text.find("susort: trace 1: truncated"), std::string::npos) << f.h.messages.last().text;
  EXPECT_FALSE(std::filesystem::exists(f.history()));
  EXPECT_EQ(keld::testing::ReadText(f.output()), "earlier");
}

}  // namespace
}  // namespace keld::velscan
