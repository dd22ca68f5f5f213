// The SU joining window driven by its control names: the pick and the shape
// of the first file, the join equal to the inputs end to end, the refusals,
// and the single files deleted only once they are in the output.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "korvan/engine/su_join.hpp"
#include "korvan/tests/exports_support.hpp"
#include "korvan/window/add_su_window.hpp"
#include "korvan/window/segy_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct JoinTest : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  AddSuFilesWindow* win = nullptr;
  std::vector<std::string> files;

  void SetUp() override {
    h.messages.clear();
    ASSERT_TRUE(Choose(w, "addsu"));
    win = w.add_su();
    ASSERT_TRUE(win);
    // Three records of a line; the last of another length, as the join never compares.
    for (int k = 0; k < 3; ++k)
      files.push_back(WriteShot(DataDir(h) + "/SHOT100" + std::to_string(k + 1) + ".SU", 24 - 4 * k, 1024 - 200 * k));
  }
  QString Box(const char* name) { return Find<QLineEdit>(win, name)->text(); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(win, name); }
  void Pick(const std::optional<std::vector<std::string>>& paths) {
    h.dialogs.multi.push_back(paths);
    Button("Command1")->click();
  }
  std::vector<uint8_t> Joined(const std::vector<std::string>& inputs) {
    std::vector<uint8_t> all;
    for (const auto& f : inputs) {
      auto b = Bytes(f);
      all.insert(all.end(), b.begin(), b.end());
    }
    return all;
  }
  QListWidget* List() { return Find<QListWidget>(win, "List1"); }
};

}  // namespace

TEST_F(JoinTest, TheWindowAsDesigned) {
  EXPECT_TRUE(win->isVisible());
  EXPECT_EQ(win->objectName(), "Add_SU_files");
  EXPECT_EQ(Button("Command1")->text(), "Press here to select  SU files");
  EXPECT_EQ(Button("Command2")->text(), "Append SU files");
  EXPECT_EQ(Button("Command4")->text(), "Output SU  file");
  EXPECT_EQ(Button("Command6")->text(), "?");
  EXPECT_EQ(Box("Text4"), "1024");
  EXPECT_EQ(Box("Text5"), "24");
  EXPECT_EQ(Box("Text9"), "1");
  EXPECT_EQ(Box("Text2"), "");
  EXPECT_EQ(Box("Text10"), "  ");
  EXPECT_EQ(Find<QLineEdit>(win, "Text4")->toolTip(), "number of sample per trace");
  EXPECT_EQ(Find<QLineEdit>(win, "Text9")->toolTip(), "0=no display 1= display SU batch");
  auto* check = Find<QCheckBox>(win, "Check1");
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(check->toolTip(), "if checked, unitary SU files are deleted");
  ASSERT_TRUE(Find<QProgressBar>(win, "ProgressBar1"));
  // A second choice brings the same window forward.
  ASSERT_TRUE(Choose(w, "addsu"));
  EXPECT_EQ(w.add_su(), win);
}

TEST_F(JoinTest, APickShowsTheFilesAndTheFirstOnesShape) {
  Pick(files);
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0].title, "SU file to convert selection");
  EXPECT_EQ(h.dialogs.asked[0].filter, "Record |*.su|All files|*.*|");
  EXPECT_EQ(h.dialogs.asked[0].name, "*.su");
  ASSERT_EQ(List()->count(), 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(List()->item(k)->text().toStdString(), files[static_cast<size_t>(k)]);
  EXPECT_EQ(Box("Text9"), "3");
  EXPECT_EQ(Box("Text4"), "1024");
  EXPECT_EQ(Box("Text5"), "24");
  EXPECT_EQ(Box("Text2").toStdString(), DataDir(h) + "/SHOT1001_raw.su");
  EXPECT_EQ(h.state.Nb_Fichiers, 3);
  EXPECT_EQ(h.state.Nb_Tracce, 24);
  // A new pick replaces the list.
  Pick(std::vector<std::string>{files[2], files[1]});
  ASSERT_EQ(List()->count(), 2);
  EXPECT_EQ(Box("Text9"), "2");
  EXPECT_EQ(Box("Text4"), "624");
  EXPECT_EQ(Box("Text5"), "16");
  EXPECT_EQ(Box("Text2").toStdString(), DataDir(h) + "/SHOT1003_raw.su");
  // A cancelled dialog changes nothing.
  Pick(std::nullopt);
  EXPECT_EQ(List()->count(), 2);
  EXPECT_EQ(Box("Text9"), "2");
  // The old dialog form of the result.
  win->Affiche_file(DataDir(h) + " SHOT1001.SU SHOT1002.SU");
  EXPECT_EQ(List()->count(), 2);
  EXPECT_EQ(List()->item(1)->text().toStdString(), files[1]);
}

TEST_F(JoinTest, TheOutputIsTheInputsEndToEnd) {
  Pick(files);
  const auto want = Joined(files);
  Button("Command2")->click();
  const std::string out = DataDir(h) + "/SHOT1001_raw.su";
  EXPECT_EQ(h.state.Fichier_Sortie, out);
  EXPECT_EQ(Bytes(out), want);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, out + " has been recorded OK size: " + std::to_string(want.size()));
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
  EXPECT_EQ(Box("Text10"), "Adding file  3");
  EXPECT_EQ(Find<QProgressBar>(win, "ProgressBar1")->value(), 3);
  for (const auto& f : files) EXPECT_TRUE(fs::exists(f));  // Check1 not checked
  EXPECT_TRUE(win->isVisible());
  EXPECT_TRUE(Button("Command2")->isEnabled());
}

TEST_F(JoinTest, AnOutputThatIsAnInputIsRefused) {
  Pick(files);
  const auto before = Bytes(files[1]);
  Find<QLineEdit>(win, "Text2")->setText(QString::fromStdString(files[1]));
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, "Same Input / Output");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(Bytes(files[1]), before);
}

TEST_F(JoinTest, AnExistingOutputIsReplacedOnlyAfterYesTwice) {
  Pick(files);
  const std::string out = DataDir(h) + "/SHOT1001_raw.su";
  keld::testing::WriteText(out, "old output");
  h.messages.answer(MsgAnswer::No);
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, out + " file already exists, append new files ?");
  EXPECT_EQ(h.messages.last().buttons, MsgButtons::YesNo);
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Question);
  EXPECT_EQ(keld::testing::ReadText(out), "old output");

  h.messages.clear();
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::No);
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 2u);
  EXPECT_EQ(h.messages.shown[1].text, "Erase " + out + " ?");
  EXPECT_EQ(keld::testing::ReadText(out), "old output");

  h.messages.clear();
  h.messages.answer(MsgAnswer::Yes);
  h.messages.answer(MsgAnswer::Yes);
  Button("Command2")->click();
  EXPECT_EQ(Bytes(out), Joined(files));  // never appended to the old one
}

TEST_F(JoinTest, SingleFilesAreDeletedOnlyOnceTheyAreInTheOutput) {
  Pick(files);
  const auto want = Joined(files);
  Find<QCheckBox>(win, "Check1")->setChecked(true);
  Button("Command2")->click();
  const std::string out = DataDir(h) + "/SHOT1001_raw.su";
  EXPECT_EQ(Bytes(out), want);
  for (const auto& f : files) EXPECT_FALSE(fs::exists(f)) << f;
}

TEST_F(JoinTest, AFailedJoinDeletesNothing) {
  Pick(files);
  Find<QCheckBox>(win, "Check1")->setChecked(true);
  Find<QLineEdit>(win, "Text2")->setText(QString::fromStdString(d.path() + "/no such folder/out.su"));
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(h.messages.last().text.find("recorded OK"), std::string::npos);
  for (const auto& f : files) EXPECT_TRUE(fs::exists(f)) << f;
}

TEST_F(JoinTest, AnUnreadableInputIsNamedAndKept) {
  Pick(files);
  Find<QCheckBox>(win, "Check1")->setChecked(true);
  const auto want = Joined({files[0], files[2]});
  fs::remove(files[1]);  // gone since the pick
  Button("Command2")->click();
  const std::string out = DataDir(h) + "/SHOT1001_raw.su";
  EXPECT_EQ(Bytes(out), want);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  const std::string& m = h.messages.last().text;
  EXPECT_EQ(m.rfind("Not added (could not be read):\n" + files[1] + "\n" + out + " has been recorded without them", 0),
            0u)
      << m;
  EXPECT_EQ(m.find("recorded OK"), std::string::npos) << m;
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Exclamation);
  EXPECT_FALSE(fs::exists(files[0]));
  EXPECT_FALSE(fs::exists(files[2]));
}

TEST_F(JoinTest, FilesWhoseTraceLengthChangesAreLeftOutWithTheReason) {
  const auto bad = keld::testing::WriteLengthChangeFiles(DataDir(h));
  Pick(std::vector<std::string>{files[0], bad[0], bad[1]});
  Button("Command2")->click();
  const std::string out = DataDir(h) + "/SHOT1001_raw.su", said = keld::testing::kThirdTraceInFile;
  EXPECT_EQ(Bytes(out), Joined({files[0]}));
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, "Not added (refused):\n" + bad[0] + " (" + said + ")\n" + bad[1] + " (" +
                                        said + ")\n" + out + " has been recorded without them, size: " +
                                        std::to_string(Joined({files[0]}).size()));
}

TEST_F(JoinTest, TheSegyWindowIsClosedAfterAJoin) {
  Toolbar(w, "tosu");
  ASSERT_TRUE(w.segy() && w.segy()->isVisible());
  Pick(files);
  Button("Command2")->click();
  EXPECT_FALSE(w.segy()->isVisible());
  EXPECT_TRUE(win->isVisible());
}

TEST_F(JoinTest, Help) {
  Button("Command6")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text,
            "How to append files\r\n"
            "1.- You select all SU files using Alt+Ctrl button when you click   \r\n"
            "2.- You can add all files of a same seismic line together\r\n"
            "3.- Files MUST HAVE THE SAME SIZE, same sample number and same channels    \r\n"
            "4.- If necessary you can convert the file to SEG-Y using conversion module  \r\n"
            "    \r\n");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
}
