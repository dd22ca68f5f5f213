// The per-channel ASCII importer window driven by its control names: the
// selection, the information file, the conversion and its refusals.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "conversion/importers/korvan_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;
using keld::testing::WriteText;

namespace {
struct KorvanTest : ::testing::Test {
  TempDir d;
  ConversionHarness h{d.path()};
  KorvanWindow* w = nullptr;
  void SetUp() override {
    h.Choose(6);
    w = qobject_cast<KorvanWindow*>(h.window->Opened("Option6"));
    ASSERT_TRUE(w);
    // Two records of two channels; the information file in upper case.
    for (const char* r : {"REC1", "REC2"})
      for (const char* c : {".A01", ".A02"}) WriteText(d / (std::string(r) + c), "1\r\n2\r\n3\r\n4\r\n");
    WriteText(d / "REC1.ADT", "a,b,c,d\r\n2,2,0,2,4,0\r\nx,0,1,2,3,4,5,6\r\n");
  }
  QString Box(const char* name) { return Find<QLineEdit>(w, name)->text(); }
};
}  // namespace

TEST_F(KorvanTest, TheWindowAsDesigned) {
  EXPECT_EQ(w->windowTitle(), "Korvan to SU ver. 1.2");
  EXPECT_EQ(w->objectName(), "KORVAN");
  EXPECT_EQ(Box("Text5"), "*.SU");
  EXPECT_EQ(Box("Text2"), "24");
  EXPECT_EQ(Box("Text3"), "1");
  EXPECT_EQ(Box("Text8"), "ADT file");
  EXPECT_EQ(w->Command6->text(), "Select ALL channel files");
  EXPECT_EQ(w->Command6->toolTip(), "Select all channel files of all shots !");
  w->Command4->click();
  EXPECT_EQ(h.messages.last().text.rfind("How to convert KORVAN files \r\n", 0), 0u);
  EXPECT_EQ(h.messages.last().title, kTitle);
}

TEST_F(KorvanTest, SelectReadAndConvert) {
  h.dialogs.multi.push_back(
      std::vector<std::string>{d / "REC1.A01", d / "REC1.A02", d / "REC1.ADT", d / "REC2.A01", d / "REC2.A02"});
  h.dialogs.files.push_back(d / "REC1.ADT");
  w->Command6->click();
  ASSERT_EQ(w->List1->count(), 4);
  EXPECT_EQ(w->List1->item(0)->text().toStdString(), d / "REC1.A01");  // case kept
  EXPECT_EQ(h.state.Input_File, d / "REC1.A01");
  EXPECT_EQ(h.state.Work_Dir, d.path() + "/");
  ASSERT_EQ(h.dialogs.asked.size(), 2u);
  EXPECT_EQ(h.dialogs.asked[0].title, "KORVAN file selection");
  EXPECT_EQ(h.dialogs.asked[1].title, "KORVAN Info File selection");
  EXPECT_EQ(h.dialogs.asked[1].name, d / "REC1.ADT");  // the companion, found ignoring case
  EXPECT_EQ(Box("Text2"), "2");
  EXPECT_EQ(Box("Text3"), "2");
  EXPECT_EQ(Box("Text7"), "2");
  EXPECT_EQ(Box("Text6"), "4");
  EXPECT_EQ(Box("Text4"), "500");
  EXPECT_EQ(Box("Text5").toStdString(), d / "REC1.SU");
  w->Command1->click();
  EXPECT_EQ(h.messages.last().text, "OK Conversion done");
  auto traces = ReadSuFile(d / "REC1.SU");
  ASSERT_TRUE(traces);
  ASSERT_EQ(traces->size(), 4u);
  EXPECT_EQ(traces->at(3).header.fldr, 2);
  EXPECT_EQ(traces->at(3).header.tracf, 2);
  EXPECT_EQ(traces->at(3).samples, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(w->ProgressBar1->value(), 4);
  EXPECT_EQ(w->Label8->text().toStdString(), "Converting " + d / "REC2.A02");

  // A missing channel file is named and the box does not say OK.
  std::filesystem::remove(d / "REC2.A01");
  w->Command1->click();
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Exclamation);
  EXPECT_NE(h.messages.last().text.find("REC2.A01"), std::string::npos);
}

TEST_F(KorvanTest, ASecondChoiceReplacesTheList) {
  // Shot A chosen, then shot B: B's channels are converted under B's name.
  WriteText(d / "REC2.A01", "5\r\n6\r\n7\r\n8\r\n");
  WriteText(d / "REC2.A02", "9\r\n10\r\n11\r\n12\r\n");
  h.dialogs.multi.push_back(std::vector<std::string>{d / "REC1.A01", d / "REC1.A02"});
  h.dialogs.multi.push_back(std::vector<std::string>{d / "REC2.A01", d / "REC2.A02"});
  w->Select_i();
  w->Select_i();
  ASSERT_EQ(w->List1->count(), 2);
  EXPECT_EQ(w->List1->item(0)->text().toStdString(), d / "REC2.A01");
  EXPECT_EQ(h.state.Input_File, d / "REC2.A01");
  w->Text2->setText("2");
  w->Text3->setText("1");
  w->Text4->setText("500");
  w->Text6->setText("4");
  w->Text5->setText(QString::fromStdString(d / "REC2.SU"));
  w->Command1->click();
  EXPECT_EQ(h.messages.last().text, "OK Conversion done");
  auto traces = ReadSuFile(d / "REC2.SU");
  ASSERT_TRUE(traces);
  ASSERT_EQ(traces->size(), 2u);
  EXPECT_EQ(traces->at(0).samples, (std::vector<float>{5, 6, 7, 8}));
  EXPECT_EQ(traces->at(1).samples, (std::vector<float>{9, 10, 11, 12}));
}

TEST_F(KorvanTest, RefusalsChangeNothing) {
  // Cancelled dialogs change nothing.
  h.dialogs.multi.push_back(std::nullopt);
  h.dialogs.files.push_back(std::nullopt);
  w->Command6->click();
  EXPECT_EQ(w->List1->count(), 0);
  EXPECT_EQ(Box("Text8"), "ADT file");
  // No sample rate: nothing written.
  WriteText(d / "old.su", "old");
  w->Text5->setText(QString::fromStdString(d / "old.su"));
  w->Command1->click();
  EXPECT_EQ(h.messages.last().text, "Sample rate missing, you must read the ADT file");
  // Fewer files than records x channels.
  w->Text4->setText("500");
  w->Text6->setText("4");
  w->List1->addItem(QString::fromStdString(d / "REC1.A01"));
  w->Command1->click();
  EXPECT_NE(h.messages.last().text.find("need 24 channel files"), std::string::npos);
  w->Text6->setText("40000");
  w->Command1->click();
  EXPECT_EQ(h.messages.last().text, "Samples per trace 40000 is too large");
  EXPECT_EQ(keld::testing::ReadText(d / "old.su"), "old");
  // A missing information file is named.
  w->Text8->setText(QString::fromStdString(d / "none.adt"));
  w->Lecture_adt();
  EXPECT_EQ(h.messages.last().text, d / "none.adt" + " does not exist");
}
