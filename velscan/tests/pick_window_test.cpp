// The window `pick`: its list and line, the refusals of "Run batch", the
// output dialog, the grid's editor, and the history file's rules.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include <filesystem>

#include "common/testing/testsupport.hpp"
#include "platform/qt/grid.hpp"
#include "velscan/engine/batch.hpp"
#include "velscan/testing/synthetic_cdp.hpp"
#include "velscan/tests/velscan_fixture.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {
namespace {

using keld::testing::TempDir;
using testing::SyntheticCdp;
using testing::VelscanHarness;

struct Opened {
  TempDir d;
  VelscanHarness h;
  explicit Opened(std::vector<std::array<int, 3>> picks = {}) {
    SyntheticCdp s;
    s.folds = {2, 2, 2, 2, 2, 2};
    WriteCdpFile(d / "a.su", s);
    h.messages.answer(MsgAnswer::Yes);
    h.messages.type("101");
    h.window.Form_Load(d / "a.su");
    h.state.Repertoire_SU = "/su bin/";
    for (auto [c, t, v] : picks) h.window.Save_Pick(c, t, v);
    h.messages.clear();
    h.window.Command2->click();
  }
  PickWindow& p() { return *h.window.pick_window(); }
  std::string line() { return p().RichTextBox1->toPlainText().toStdString(); }
};

TEST(VelscanPickWindow, ListAndLineFollowThePicksAndTheBoxes) {
  Opened o({{105, 300, 1800}, {101, 250, 1500}, {105, 120, 1600}, {101, 1250, 1700}});
  PickWindow& p = o.p();
  EXPECT_EQ(p.Grid->TextMatrix(0, 3), "velocity");
  EXPECT_EQ(p.Grid->TextMatrix(100, 0), "100");
  EXPECT_EQ(p.Grid->TextMatrix(3, 1), "105");
  EXPECT_EQ(p.Grid->TextMatrix(3, 2), "120");
  EXPECT_EQ(p.Grid->TextMatrix(5, 1), "0");
  EXPECT_NE(o.line().find("'/su bin/SUNMO' smute=1.5 cdp=101,105 tnmo=.25,1.25 vnmo=1500,1700 tnmo=.12,.3 "
                          "vnmo=1600,1800 | '/su bin/SUSTACK' >'" + o.d.path() + "/a_nmo_stack.su' key=cdp"),
            std::string::npos)
      << o.line();
  // A pick made while the window is open shows at once; so does a new output.
  o.h.window.Save_Pick(103, 500, 2000);
  EXPECT_EQ(p.Grid->TextMatrix(3, 1), "103");
  EXPECT_NE(o.line().find("cdp=101,103,105 "), std::string::npos);
  p.Text1->setText("/x/o'k.su");
  EXPECT_NE(o.line().find(" >'/x/o'\\''k.su' key=cdp"), std::string::npos);
  EXPECT_EQ(o.h.state.Fichier_Sortie, "/x/o'k.su");
  // The output dialog: a cancel changes nothing, a choice goes into the line.
  o.h.dialogs.files.push_back(std::nullopt);
  p.Command2->click();
  EXPECT_EQ(p.Text1->text(), "/x/o'k.su");
  o.h.dialogs.files.push_back("/y/out.su");
  p.Command2->click();
  EXPECT_NE(o.line().find(" >'/y/out.su' key=cdp"), std::string::npos);
}

TEST(VelscanPickWindow, RunBatchRefusals) {
  {
    Opened o;  // no picks
    o.p().Command1->click();
    EXPECT_EQ(o.h.messages.last().text, "No pick recorded: pick velocities on the gathers before running the batch");
    EXPECT_FALSE(std::filesystem::exists(o.d / "NMO_and_STACK.bat"));
  }
  Opened o({{101, 400, 2000}});
  o.h.window.Text11->setText("1.5; rm -rf ~");
  o.p().Command1->click();
  EXPECT_EQ(o.h.messages.last().text, "Stretch Mute must be a number above 0");
  o.h.window.Text11->setText("2");
  o.p().Text1->setText(QString::fromStdString(o.d / "a.su"));
  o.p().Command1->click();
  EXPECT_EQ(o.h.messages.last().text, "Same Input / Output");
  // An existing output is replaced only after a Yes.
  keld::testing::WriteText(o.d / "b.su", "old");
  o.p().Text1->setText(QString::fromStdString(o.d / "b.su"));
  o.h.messages.answer(MsgAnswer::No);
  o.p().Command1->click();
  EXPECT_EQ(o.h.messages.last().text, o.d / "b.su" + " already exist, replace it ? ");
  EXPECT_FALSE(std::filesystem::exists(o.d / "NMO_and_STACK.bat"));
  EXPECT_EQ(keld::testing::ReadText(o.d / "b.su"), "old");
}

TEST(VelscanPickWindow, TheUsersLineIsKeptAndANewInputHasItsOwnOutput) {
  Opened o({{101, 400, 1500}});
  PickWindow& p = o.p();
  const auto edit = [&](const std::string& from, const std::string& to) {
    std::string l = o.line();
    ASSERT_NE(l.find(from), std::string::npos) << l;
    l.replace(l.find(from), from.size(), to);
    p.RichTextBox1->setPlainText(QString::fromStdString(l));
  };
  edit("vnmo=1500", "vnmo=1550");
  // A new pick: asked; No keeps the user's line.
  o.h.messages.answer(MsgAnswer::No);
  o.h.window.Save_Pick(103, 500, 2000);
  EXPECT_EQ(o.h.messages.last().text,
            "The command line has been changed by hand: replace it with the line of the picks ? ");
  EXPECT_NE(o.line().find("cdp=101 tnmo=.4 vnmo=1550 "), std::string::npos) << o.line();
  // A new output name goes into it without undoing the change.
  p.Text1->setText(QString::fromStdString(o.d / "c.su"));
  EXPECT_NE(o.line().find("vnmo=1550 | "), std::string::npos) << o.line();
  EXPECT_NE(o.line().find(" >'" + o.d / "c.su" + "' key=cdp"), std::string::npos) << o.line();
  o.h.messages.answer(MsgAnswer::Yes);
  o.h.window.Save_Pick(105, 500, 2100);
  EXPECT_NE(o.line().find("cdp=101,103,105 tnmo=.4 vnmo=1500 "), std::string::npos) << o.line();
  // A second file, opened with the window open: its own output and line.
  SyntheticCdp s;
  s.folds = {2, 2, 2};
  WriteCdpFile(o.d / "b.su", s);
  o.h.dialogs.files.push_back(o.d / "b.su");
  o.h.messages.answer(MsgAnswer::Yes);
  o.h.messages.type("101");
  o.h.window.Command1->click();
  EXPECT_EQ(p.Text1->text().toStdString(), o.d / "b_nmo_stack.su");
  EXPECT_NE(o.line().find(" <'" + o.d / "b.su" + "' "), std::string::npos) << o.line();
  // The first line's stack is written over only after a Yes, also when the
  // line itself names it.
  keld::testing::WriteText(o.d / "a_nmo_stack.su", "first line");
  o.h.window.Save_Pick(101, 400, 1500);
  p.RichTextBox1->setPlainText(QString::fromStdString(ReplaceLineOutput(o.line(), o.d / "a_nmo_stack.su")));
  o.h.messages.answer(MsgAnswer::No);
  p.Command1->click();
  EXPECT_EQ(o.h.messages.last().text, o.d / "a_nmo_stack.su" + " already exist, replace it ? ");
  EXPECT_EQ(keld::testing::ReadText(o.d / "a_nmo_stack.su"), "first line");
  EXPECT_FALSE(std::filesystem::exists(o.d / "NMO_and_STACK.bat"));
}

TEST(VelscanPickWindow, GridEditsStayOnScreen) {
  Opened o({{101, 400, 1500}});
  keld::Grid& g = *o.p().Grid;
  g.SetRow(1);
  g.SetCol(3);
  o.p().Grid_KeyDown(40);  // an arrow: the next digits start a new text
  o.p().Grid_KeyDown(49);
  o.p().Grid_KeyDown(102);  // keypad 6
  EXPECT_EQ(g.TextMatrix(1, 3), "16");
  EXPECT_EQ(g.BackColorAt(1, 3), 65535u);
  o.p().Grid_KeyDown(190);  // full stop
  o.p().Grid_KeyDown(8);
  o.p().Grid_KeyDown(53);
  EXPECT_EQ(g.TextMatrix(1, 3), "165");
  EXPECT_NE(o.line().find("vnmo=1500 "), std::string::npos);  // the line keeps the pick
  o.p().Affiche();
  EXPECT_EQ(g.TextMatrix(1, 3), "1500");
}

TEST(VelscanPickWindow, ProgramsOfARealSeismicUnixFolderByTheirOwnNames) {
  TempDir su;
  keld::testing::WriteText(su / "susort", "");
  keld::testing::WriteText(su / "SUNMO", "");
  EXPECT_EQ(ToolName(su.path(), "SUSORT"), "susort");
  EXPECT_EQ(ToolName(su.path() + "/", "SUNMO"), "SUNMO");
  EXPECT_EQ(ToolName(su.path(), "SUSTACK"), "SUSTACK");
  EXPECT_EQ(ToolName("", "SUSORT"), "SUSORT");
}

TEST(VelscanHistory, NamesAndContent) {
  EXPECT_EQ(*HistoryName("/data.survey/l1.su"), "/data.survey/l1.txt");
  EXPECT_EQ(*HistoryName("/d/SHOT12.SU"), "/d/SHOT12.txt");
  EXPECT_FALSE(HistoryName("/d.su/line").ok());
  EXPECT_FALSE(HistoryName("/d/line.sgy").ok());
  TempDir d;
  keld::testing::WriteText(d / "shot12.txt", "first\nsecond\r\n");
  keld::testing::WriteText(d / "shot12.SU", "x");
  ASSERT_TRUE(Ecriture_History(d / "shot12.SU", d / "shot12_nmo_stack.su", "L1", "").ok());
  EXPECT_EQ(keld::testing::ReadText(d / "shot12_nmo_stack.txt"), "first\r\nsecond\r\nL1\r\n");
  // Written again: replaced, not grown.
  ASSERT_TRUE(Ecriture_History(d / "shot12.SU", d / "shot12_nmo_stack.su", "L2", "").ok());
  EXPECT_EQ(keld::testing::ReadText(d / "shot12_nmo_stack.txt"), "first\r\nsecond\r\nL2\r\n");
  EXPECT_FALSE(Ecriture_History(d / "shot12.SU", d / "out.dat", "L", "").ok());
  EXPECT_FALSE(Ecriture_History(d / "shot12.SU", d / "no such folder/o.su", "L", "").ok());
  // Not writable beside the output (a folder holds the name): written into
  // the work folder, saying where and why.
  TempDir work;
  auto moved = Ecriture_History(d / "shot12.SU", d / "no such folder/o.su", "L3", work.path());
  ASSERT_TRUE(moved.ok()) << moved.error();
  EXPECT_EQ(moved->path, work / "o.txt");
  EXPECT_NE(moved->trouble.find(d / "no such folder/o.txt"), std::string::npos) << moved->trouble;
  EXPECT_EQ(keld::testing::ReadText(work / "o.txt"), "first\r\nsecond\r\nL3\r\n");
}

TEST(VelscanBatchLine, TheFileALineWrites) {
  struct Case {
    std::string line, path;
  } cases[] = {
      {"SUSORT <'/a b/in.su' cdp | SUSTACK >'/x/o'\\''k.su' key=cdp", "/x/o'k.su"},
      {"a >first.su | b > \"/q \\\"d\\\"/o.su\" key=cdp", "/q \"d\"/o.su"},
      {"a >>more.su 2>err.txt", "more.su"},
      {"a '>' not 2>err.txt", ""},
  };
  for (const auto& c : cases) {
    auto o = FindLineOutput(c.line);
    EXPECT_EQ(o ? o->path : "", c.path) << c.line;
  }
  EXPECT_EQ(ReplaceLineOutput("A | SUSTACK >'/x/o.su' key=cdp", "/y/n'.su"), "A | SUSTACK >'/y/n'\\''.su' key=cdp");
}

}  // namespace
}  // namespace keld::velscan
