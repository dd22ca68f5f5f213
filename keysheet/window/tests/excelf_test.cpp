// The main window: start-up on real and broken files, the range rules of both
// editors, the word selection, the file dialog and the help page.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "keysheet/window/tests/keysheet_fixture.hpp"

using namespace keld;
using namespace keld::keysheet;
using namespace keld::keysheet::testing;

TEST(Excelf, StartsOnEveryTestFileAndRefusesBigEndianAndTruncatedOnes) {
  KELD_REQUIRE_TESTDATA(su, "su");
  for (const auto& e : std::filesystem::directory_iterator(su)) {
    KeysheetHarness h;
    Excelf& w = h.start(e.path().string());
    const bool big_endian = e.path().filename() == "segyio_small.su";
    EXPECT_EQ(h.messages.shown.size(), big_endian ? 1u : 0u) << e.path();
    EXPECT_EQ(h.st.Nb_traces > 0, !big_endian) << e.path();
    EXPECT_EQ(w.Text1->text().toStdString(), e.path().string());
  }
  KeysheetHarness h;
  auto bytes = keld::testing::ReadBytes(su + "/su_tutorial_data.su");
  bytes.resize(200);
  testfiles::WriteBytes(h.dir / "cut.su", {bytes.begin(), bytes.end()});
  h.start(h.dir / "cut.su");
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_NE(h.messages.last().text.find("cut.su"), std::string::npos);
  // The transfer button says why instead of opening a grid on it.
  h.messages.clear();
  h.window->Command2_Click();
  EXPECT_EQ(h.window->grid_window(), nullptr);
  EXPECT_EQ(h.messages.shown.size(), 1u);
}

TEST(Excelf, GridRangeRules) {
  KeysheetHarness h;
  Excelf& w = h.start(h.su("t300.su", 300, 10));
  EXPECT_EQ(h.st.Nb_traces, 300);
  EXPECT_EQ(w.Text2->text(), "1");
  EXPECT_EQ(w.Text3->text(), "121");
  EXPECT_FALSE(w.Text3->isEnabled());
  Type(w.Text2, "250");
  EXPECT_EQ(w.Text2->text(), "180");
  EXPECT_EQ(w.Text3->text(), "300");

  KeysheetHarness h48;
  Excelf& w48 = h48.start(h48.su("t48.su", 48, 10));
  EXPECT_EQ(w48.Text3->text(), "48");
  Type(w48.Text2, "40");
  EXPECT_EQ(w48.Text2->text(), "1");
  EXPECT_EQ(w48.Text3->text(), "48");
}

TEST(Excelf, SpreadsheetRangeRulesAndWordSelection) {
  KeysheetHarness h;
  Excelf& w = h.start(h.su("t100.su", 100, 10));
  w.Option1->click();
  EXPECT_EQ(w.Command2->text(), "Header Value to EXCEL");
  EXPECT_EQ(w.Text3->text(), "100");
  EXPECT_TRUE(w.Text3->isEnabled());
  EXPECT_TRUE(w.Combo1->isHidden());  // All is ticked
  Type(w.Text2, "150");
  EXPECT_EQ(w.Text2->text(), "76");
  Type(w.Text3, "500");
  EXPECT_EQ(w.Text3->text(), "100");

  w.Check1->click();
  EXPECT_FALSE(w.Combo1->isHidden());
  w.Option1->click();  // filled again, never twice over
  ASSERT_EQ(w.Combo1->count(), 86);
  EXPECT_EQ(w.Combo1->itemText(75).left(3), "76 ");
  w.Combo1_Click(4);
  w.Combo1_Click(11);
  w.Combo1_Click(4);
  EXPECT_EQ(w.Text4->text(), "  5, 12, 5,");
  EXPECT_EQ(h.st.Mot_choisi[5], 1);
  EXPECT_EQ(h.st.Mot_choisi[12], 1);
  EXPECT_EQ(h.st.Mot_choisi[6], 0);

  w.Option2->click();
  EXPECT_EQ(w.Command2->text(), "Header Value to GRID");
  EXPECT_EQ(w.Text2->text(), "1");
  EXPECT_EQ(w.Text3->text(), "100");
  EXPECT_FALSE(w.Text3->isEnabled());
}

TEST(Excelf, FileDialogCancelledChangesNothingAndChosenFileIsSummed) {
  KeysheetHarness h;
  Excelf& w = h.start(h.su("a.su", 48, 10));
  h.dialogs.files.push_back(std::nullopt);
  w.Command1->click();
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0].title, "Visual_KELD File selection");
  EXPECT_EQ(h.dialogs.asked[0].filter, "Seismic Unix (SU)|*.SU|All files|*.*|");
  EXPECT_TRUE(h.dialogs.asked[0].must_exist);
  EXPECT_EQ(w.Text1->text().toStdString(), h.dir / "data/a.su");
  EXPECT_EQ(h.st.Nb_traces, 48);

  h.dialogs.files.push_back(h.su("b.su", 300, 20, 500));
  w.Command1->click();
  EXPECT_EQ(w.Text1->text().toStdString(), h.dir / "data/b.su");
  EXPECT_EQ(h.st.ns, 20);
  EXPECT_EQ(h.st.dt, 500);
  EXPECT_EQ(h.st.Nb_traces, 300);
  EXPECT_EQ(w.Text3->text(), "121");
}

TEST(Excelf, HelpPageOpensOrIsNamedAsMissing) {
  KeysheetHarness h;
  Excelf& w = h.start("");
  EXPECT_EQ(w.Text1->text(), " ");
  w.Command2_Click();  // no file: nothing happens
  EXPECT_TRUE(h.messages.shown.empty());
  w.Command5->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_NE(h.messages.last().text.find("keysheet_help.html"), std::string::npos);
  keld::testing::WriteText(h.dir / "prog/keysheet_help.html", "<html></html>");
  QTest::keyClick(&w, Qt::Key_F1);
  ASSERT_EQ(h.launcher.opened.size(), 1u);
  EXPECT_EQ(h.launcher.opened[0], h.dir / "prog/keysheet_help.html");
}
