// The after-shot dialog reopened after a save, as the toolbar's "save" does:
// Erase names the record on display, never the next record's name, and the
// record saved is the file the filter takes.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

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
  // The menu's delete names it too, never the older record of the next number.
  ASSERT_TRUE(Choose(w, "save_file"));
  EXPECT_EQ(h.messages.shown[2].text, "Do you want really delete " + record);
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
