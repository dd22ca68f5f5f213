// The after-shot dialog reopened after a save, as the toolbar's "save" does:
// Erase names the record on display, never the next record's name, and the
// record saved is the file the filter takes.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "boardlink/board_link.hpp"

#include "korvan/tests/exports_support.hpp"
#include "korvan/window/choix_dialog.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::ReadText;
using keld::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct AfterSave : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  std::string record, next;

  // A raw shot saved with "Save as" as FILE1000.SU; FILE1001.SU, the name
  // the window proposes next, is an older record (numbers start again after
  // a restart through the close box).
  void SetUp() override {
    WriteShot(h.state.Fichier_Temp, 6, 256);
    record = DataDir(h) + "/FILE1000.SU";
    next = WriteShot(DataDir(h) + "/FILE1001.SU", 3, 128);
    Toolbar(w, "save");
    ASSERT_TRUE(w.choix() && w.choix()->isVisible());
    w.choix()->Command1->click();
    ASSERT_TRUE(fs::exists(record));
    ASSERT_EQ(w.Text6->text().toStdString(), next);
    h.messages.clear();
  }
};

}  // namespace

TEST_F(AfterSave, EraseNamesTheRecordOnDisplayNotTheNextName) {
  Toolbar(w, "save");  // the dialog again: no raw shot is left to draw
  w.choix()->Command3->click();
  EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"Do you want really delete " + record,
                                                          record + " has been erased"}));
  EXPECT_FALSE(fs::exists(record));
  // The erase cleared the screen: the menu's delete has nothing to name,
  // least of all the older record of the next number.
  ASSERT_TRUE(Choose(w, "save_file"));
  EXPECT_EQ(h.messages.shown[2].text, "There is no file on display to delete");
  EXPECT_TRUE(fs::exists(next));
}

TEST_F(AfterSave, TheRecordSavedIsTheCurrentFileTheFilterTakes) {
  EXPECT_EQ(h.state.Fichier_Courant, record);
  ShellScript(h.services.program_folder + "/sufilter", "exit 0");
  Toolbar(w, "filter");
  EXPECT_FALSE(h.messages.saw("File name missing"));
  ASSERT_EQ(h.launcher.started.size(), 2u);  // dropconv for the save, then the batch
  const std::string line = ReadText(h.services.work_folder + "/filtre.bat");
  EXPECT_NE(line.find(" <'" + record + "' >'" + DataDir(h) + "/"), std::string::npos) << line;
}

TEST_F(AfterSave, TheFullViewRedrawsTheRecordOnDisplay) {
  Toolbar(w, "noloupe");
  EXPECT_EQ(w.windowTitle().toStdString(), "QMR650B" + record);
  EXPECT_EQ(h.state.Fichier_Affiche, record);
}

namespace {

// A record loaded and on display, and a port to the units.
struct Shown : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  std::string a;
  void SetUp() override {
    a = WriteShot(DataDir(h) + "/A.SU", 4, 256);
    h.dialogs.files.push_back(a);
    ASSERT_TRUE(Choose(w, "Load_file"));
    ASSERT_EQ(h.state.Fichier_Dessine, a);
    ASSERT_TRUE(w.link().open_port(1)) << w.link().error();
    h.messages.clear();
  }
  void ExpectNothingToErase() {
    EXPECT_TRUE(h.state.Fichier_Dessine.empty()) << h.state.Fichier_Dessine;
    ASSERT_TRUE(Choose(w, "save_file"));
    EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"There is no file on display to delete"}));
    EXPECT_TRUE(fs::exists(a));
  }
};

}  // namespace

// "Release Trigger" before the notice: nothing to save, so no after-shot
// dialog; the record loaded before the shot is never named.
TEST_F(Shown, AnAbandonedShotLeavesNothingToErase) {
  h.port.units().config().trigger_on_signal = true;
  h.pump.hook = [&] {
    if (h.port.units().notice_held() && !w.Virtual_trigger->isHidden()) w.Virtual_trigger->click();
  };
  w.Command10->setEnabled(true);
  w.Command10->click();
  h.pump.hook = nullptr;
  EXPECT_FALSE(w.choix() && w.choix()->isVisible());
  ExpectNothingToErase();
}

// The screen cleared by the board reset shows no file either; a filter run
// that fails draws again the file it had cleared away.
TEST_F(Shown, AClearedScreenNamesNoFileAndAFailedFilterRedrawsIt) {
  Toolbar(w, "reset");
  ExpectNothingToErase();

  h.messages.clear();
  w.Affiche_SU(a);
  ASSERT_EQ(h.state.Fichier_Dessine, a);
  ShellScript(h.services.program_folder + "/sufilter", "exit 3");
  Toolbar(w, "filter");
  ASSERT_FALSE(h.messages.shown.empty());
  EXPECT_EQ(h.messages.last().text.rfind(a + "  has not been filtered: ", 0), 0u) << h.messages.last().text;
  EXPECT_EQ(h.state.Fichier_Dessine, a);
}

// The raw shot on display, filtered before it is saved: the output is the
// raw shot's own filtered copy; the last record's filtered file is left as
// it was.
TEST_F(Shown, TheRawShotFilteredBeforeSavingGetsItsOwnOutput) {
  const std::string last_flt = DataDir(h) + "/A_flt.su";
  keld::testing::WriteText(last_flt, "the last record's filtered copy");
  w.Command10->setEnabled(true);
  w.Command10->click();
  ASSERT_TRUE(w.choix() && w.choix()->isVisible());
  w.choix()->hide();
  ASSERT_EQ(h.state.Fichier_Affiche, h.state.Fichier_Temp);
  ASSERT_EQ(h.state.Fichier_Courant, a);
  ShellScript(h.services.program_folder + "/sufilter", "exit 0");
  Toolbar(w, "filter");
  const std::string line = ReadText(h.services.work_folder + "/filtre.bat");
  EXPECT_NE(line.find(" <'" + h.state.Fichier_Temp + "' >'" + h.services.work_folder + "/"), std::string::npos)
      << line;
  EXPECT_EQ(line.find("A_flt"), std::string::npos) << line;
  EXPECT_EQ(ReadText(last_flt), "the last record's filtered copy");
  EXPECT_FALSE(fs::exists(h.services.work_folder + "/tmp_flt.su"));  // the fake filter wrote nothing
}
