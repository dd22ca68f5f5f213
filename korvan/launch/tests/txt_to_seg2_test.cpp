// The text-to-SEG-2 window driven through its controls: the file choice, the
// refusals before dropconv is started, a stand-in dropconv and the real one.
#include <filesystem>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "common/bytes.hpp"
#include "korvan/launch/txt_to_seg2_window.hpp"
#include "korvan/launch/tests/stand_ins.hpp"

namespace fs = std::filesystem;
using namespace keld;
using keld::testing::LaunchBench;
using keld::testing::SmallTextRecord;
using keld::testing::WriteText;

namespace {

struct Window : ::testing::Test, LaunchBench {
  korvan::txt_to_seg2 w{sv};
  QLineEdit* Text1 = w.findChild<QLineEdit*>("Text1");
  QLineEdit* Text2 = w.findChild<QLineEdit*>("Text2");
  QLabel* Label1 = w.findChild<QLabel*>("Label1");
  QLabel* Label2 = w.findChild<QLabel*>("Label2");
  QPushButton* Command1 = w.findChild<QPushButton*>("Command1");
  QPushButton* Command2 = w.findChild<QPushButton*>("Command2");
  QPushButton* Command3 = w.findChild<QPushButton*>("Command3");

  void SetUp() override {
    ASSERT_TRUE(Text1 && Text2 && Label1 && Label2 && Command1 && Command2 && Command3);
    w.show();
  }
  void Choose(const std::string& path) {
    dialogs.files.push_back(path);
    Command2->click();
  }
};

}  // namespace

TEST_F(Window, ControlsAndCaptions) {
  EXPECT_EQ(w.objectName(), "txt_to_seg2");
  EXPECT_EQ(w.windowTitle(), "TXT to SEG-2");
  EXPECT_FALSE(w.isModal());
  EXPECT_EQ(Label1->text(), "Will be converted to:");
  EXPECT_EQ(Label2->text(), "Converted");
  EXPECT_FALSE(Label2->isVisible());
  EXPECT_EQ(Command2->text(), " Select  file dati.txt  to  convert");
  EXPECT_EQ(Command1->text(), "CONVERT");
  EXPECT_EQ(Command3->text(), "EXIT");
}

TEST_F(Window, ChoosingARecordProposesItsSeg2Name) {
  Choose("/DATA/shot7.txt");
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].filter, "*.txt|*.txt");
  EXPECT_EQ(dialogs.asked[0].title, "");
  EXPECT_EQ(Text1->text(), "/DATA/shot7.txt");
  EXPECT_EQ(Text2->text(), "/DATA/shot7.sg2");
  EXPECT_EQ(korvan::txt_to_seg2::Seg2NameFor("/DATA/dati.txt"), "/DATA/dati.sg2");
}

TEST_F(Window, ACancelledChoiceChangesNothing) {
  Choose("/DATA/shot7.txt");
  dialogs.files.push_back(std::nullopt);
  Command2->click();
  EXPECT_EQ(Text1->text(), "/DATA/shot7.txt");
  EXPECT_EQ(Text2->text(), "/DATA/shot7.sg2");
}

TEST_F(Window, EmptyBoxesAreRefused) {
  StandIn("dropconv");
  Command1->click();
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "File name missing");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_EQ(msg.last().title, "KORVAN QMR650B");
  std::string rec = data / "dati.txt";
  WriteText(rec, SmallTextRecord());
  Text1->setText(QString::fromStdString(rec));
  Text2->clear();
  Command1->click();
  EXPECT_EQ(msg.count("File name missing"), 2);
  EXPECT_TRUE(proc.started.empty());
  EXPECT_FALSE(Label2->isVisible());
}

TEST_F(Window, AMissingRecordIsNamed) {
  StandIn("dropconv");
  Choose(data / "gone.txt");
  Command1->click();
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, data / "gone.txt does not exist !");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_TRUE(proc.started.empty());
  EXPECT_FALSE(Label2->isVisible());
}

TEST_F(Window, OutputOverTheRecordIsRefused) {
  StandIn("dropconv");
  std::string rec = data / "shot.sg2";
  WriteText(rec, SmallTextRecord());
  Choose(rec);  // the proposed name is the record itself
  EXPECT_EQ(Text2->text().toStdString(), rec);
  Command1->click();
  EXPECT_TRUE(msg.saw("Same Input / Output"));
  EXPECT_TRUE(proc.started.empty());
}

TEST_F(Window, ABarInANameIsRefused) {
  StandIn("dropconv");
  std::string rec = data / "a|b.txt";
  WriteText(rec, SmallTextRecord());
  Choose(rec);
  Command1->click();
  EXPECT_TRUE(msg.saw("A file name cannot hold the character |"));
  EXPECT_TRUE(proc.started.empty());
}

TEST_F(Window, ConvertStartsDropconvWithRecordBarSeg2) {
  StandIn("dropconv");
  fs::create_directory(data / "my data");
  std::string rec = data / "my data/shot 7.txt";
  WriteText(rec, SmallTextRecord());
  Choose(rec);
  Command1->click();
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_TRUE(Label2->isVisible());
  EXPECT_EQ(ArgsOf("dropconv"), std::vector<std::string>{rec + "|" + data / "my data/shot 7.sg2"});
  EXPECT_EQ(proc.started.at(0).style, WindowStyle::Minimized);
  // A new choice hides the word again until its own conversion is started.
  Choose(data / "other.txt");
  EXPECT_FALSE(Label2->isVisible());
}

TEST_F(Window, MissingDropconvIsReportedNotConverted) {
  std::string rec = data / "dati.txt";
  WriteText(rec, SmallTextRecord());
  Choose(rec);
  Command1->click();
  ASSERT_EQ(msg.shown.size(), 1u);
  EXPECT_EQ(msg.last().text, "dropconv must be in KORVAN folder !");
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_FALSE(Label2->isVisible());
  EXPECT_EQ(proc.started.size(), 1u);
}

TEST_F(Window, ExitClosesTheWindow) {
  EXPECT_TRUE(w.isVisible());
  Command3->click();
  EXPECT_FALSE(w.isVisible());
}

TEST_F(Window, TheRealDropconvWritesTheSeg2File) {
  std::string bin = keld::testing::BinDir();
  if (!fs::exists(bin + "/dropconv")) GTEST_SKIP() << "dropconv is not built in " << bin;
  sv.program_folder = bin;
  fs::create_directory(data / "field day");
  std::string rec = data / "field day/dati.txt";
  WriteText(rec, SmallTextRecord());
  Choose(rec);
  Command1->click();
  EXPECT_TRUE(msg.shown.empty());
  EXPECT_TRUE(Label2->isVisible());
  std::string sg2 = data / "field day/dati.sg2";
  ASSERT_TRUE(keld::testing::WaitFor(sg2)) << "no " << sg2;
  // dropconv writes beside the target and renames: the file is whole once there.
  auto f = keld::testing::ReadBytes(sg2);
  ASSERT_GE(f.size(), 40u);
  EXPECT_EQ(f[0], 0x55);
  EXPECT_EQ(f[1], 0x3A);
  EXPECT_EQ(get_i16le(&f[6]), 2);  // two traces
  // The second trace's samples end the file: 4 floats, the last one 7.
  EXPECT_FLOAT_EQ(get_f32le(&f[f.size() - 4]), 7.0f);
  EXPECT_FLOAT_EQ(get_f32le(&f[f.size() - 16]), 1e-3f);
}
