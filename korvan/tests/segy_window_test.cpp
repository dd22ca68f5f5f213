// The SEG-Y export window driven by its control names: opened from the
// toolbar, a 48 x 1024 record converted with its byte layout, the refusals
// (existing output kept, ns = 0, nothing chosen) and a failed write.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/bytes.hpp"
#include "korvan/tests/exports_support.hpp"
#include "korvan/window/segy_window.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;
namespace fs = std::filesystem;

namespace {

struct SegyTest : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan& w = h.start();
  SegyWindow* segy = nullptr;

  void SetUp() override {
    h.messages.clear();
    Toolbar(w, "tosu");
    segy = w.segy();
    ASSERT_TRUE(segy);
  }
  QString Label(const char* name) { return Find<QLabel>(segy, name)->text(); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(segy, name); }
  void Select(const std::optional<std::string>& path) {
    h.dialogs.files.push_back(path);
    Button("Command1")->click();
  }
};

}  // namespace

TEST_F(SegyTest, TheWindowAsDesigned) {
  EXPECT_TRUE(segy->isVisible());
  EXPECT_EQ(segy->objectName(), "SEGY");
  EXPECT_EQ(segy->windowTitle(), "SU to SEG-Y ");
  EXPECT_FALSE(segy->isModal());
  EXPECT_EQ(Button("Command1")->text(), "Press here to select  the file to convert to SEG-Y");
  EXPECT_EQ(Label("Label1"), "Number of samples / trace");
  EXPECT_EQ(Label("Label2"), "Number of traces per shot");
  EXPECT_EQ(Label("Label3"), "Write here file.sgy text:");
  EXPECT_EQ(Label("Label4"), "");
  EXPECT_EQ(Label("Label5"), "");
  EXPECT_EQ(Label("Label6"), "");
  EXPECT_EQ(Button("Command2")->text(), "Convert");
  EXPECT_FALSE(Button("Command2")->isEnabled());
  EXPECT_EQ(Button("Command6")->text(), "?");
  // The menu item stays disabled; a second "tosu" brings the same window forward.
  EXPECT_FALSE(Choose(w, "SU2SEGY"));
  Toolbar(w, "tosu");
  EXPECT_EQ(w.segy(), segy);
}

TEST_F(SegyTest, FortyEightTracesOf1024Samples) {
  const std::string su = WriteShot(DataDir(h) + "/SHOT1000.su", 48, 1024);
  Select(su);
  ASSERT_EQ(h.dialogs.asked.size(), 1u);
  EXPECT_EQ(h.dialogs.asked[0].title, "SU file to convert selection");
  EXPECT_EQ(h.dialogs.asked[0].filter, "Record |*.su|All files|*.*|");
  EXPECT_EQ(h.dialogs.asked[0].name, "*.su");
  EXPECT_EQ(Label("Label5"), "1024");
  EXPECT_EQ(Label("Label6"), "48");
  const std::string sgy = DataDir(h) + "/SHOT1000.SGY";
  EXPECT_EQ(Label("Label4").toStdString(), sgy);
  EXPECT_EQ(h.state.Nb_Tracce, 48);
  ASSERT_TRUE(Button("Command2")->isEnabled());
  Find<QPlainTextEdit>(segy, "Text1")->setPlainText("ABC");
  h.state.Nb_Campioni = 7;
  Button("Command2")->click();

  ASSERT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().text, sgy + " has been recorded OK size:211728");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(h.messages.last().title, "");
  EXPECT_FALSE(segy->isVisible());  // the window closes
  EXPECT_EQ(h.state.Nb_Campioni, 1024);
  EXPECT_EQ(h.state.Nb_Tracce, 48);

  const auto b = Bytes(sgy);
  ASSERT_EQ(b.size(), 211728u);
  EXPECT_EQ(b[0], 0xC1);
  EXPECT_EQ(b[1], 0xC2);
  EXPECT_EQ(b[2], 0xC3);
  for (int i = 3; i < 3200; ++i) ASSERT_EQ(b[i], 0) << i;
  EXPECT_EQ(get_u16be(&b[3212]), 48);
  EXPECT_EQ(get_u16be(&b[3216]), 250);
  EXPECT_EQ(get_u16be(&b[3220]), 1024);
  EXPECT_EQ(get_u16be(&b[3224]), 5);
  EXPECT_EQ(get_u16be(&b[3500]), 0x0100);
  EXPECT_EQ(get_u16be(&b[3502]), 1);
  // Each trace its own field record, channel, cdp, offset, source and receiver.
  const auto shot = testfiles::Shot(48, 1024);
  for (int i = 0; i < 48; ++i) {
    const uint8_t* t = &b[3600 + static_cast<size_t>(i) * 4336];
    const SuTraceHeader& own = shot[static_cast<size_t>(i)].header;
    EXPECT_EQ(get_i32be(t + 8), own.fldr);
    EXPECT_EQ(get_i32be(t + 12), own.tracf);
    EXPECT_EQ(get_i32be(t + 20), own.cdp);
    EXPECT_EQ(get_i32be(t + 36), own.offset);
    EXPECT_EQ(get_i32be(t + 72), own.sx);
    EXPECT_EQ(get_i32be(t + 80), own.gx);
    EXPECT_EQ(get_i16be(t + 114), 1024);
    EXPECT_EQ(get_i16be(t + 116), 250);
    EXPECT_EQ(get_u32be(t + 240), 0x3F800000u);  // the first sample, 1.0
  }
  EXPECT_EQ(get_i32be(&b[3600 + 36]), -20);
  // The reel header is kept as header.sgy in the work folder.
  const auto reel = Bytes(h.services.work_folder + "/header.sgy");
  ASSERT_EQ(reel.size(), 3600u);
  EXPECT_TRUE(std::equal(reel.begin(), reel.end(), b.begin()));
}

TEST_F(SegyTest, AnExistingOutputAnsweredNoIsKept) {
  const std::string su = WriteShot(DataDir(h) + "/S.su", 4, 64);
  const std::string sgy = DataDir(h) + "/S.SGY";
  keld::testing::WriteText(sgy, "old");
  Select(su);
  h.messages.answer(MsgAnswer::No);
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text, sgy + " file already exists, substitute it?");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Question);
  EXPECT_EQ(h.messages.last().buttons, MsgButtons::YesNo);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
  EXPECT_EQ(keld::testing::ReadText(sgy), "old");
  EXPECT_TRUE(segy->isVisible());
  // Yes replaces it.
  h.messages.answer(MsgAnswer::Yes);
  Button("Command2")->click();
  EXPECT_EQ(h.messages.last().text, sgy + " has been recorded OK size:" + std::to_string(3600 + 4 * (240 + 256)));
  EXPECT_EQ(FileLength(sgy).value_or(0), 3600 + 4 * (240 + 256));
}

TEST_F(SegyTest, NoSamplesIsRefused) {
  std::vector<uint8_t> zero(240 + 400, 0);  // ns = 0 in the first header
  const std::string su = DataDir(h) + "/ZERO.su";
  ASSERT_TRUE(WriteFileAtomic(su, zero).ok());
  Select(su);
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_NE(h.messages.last().text.find(su), std::string::npos) << h.messages.last().text;
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_FALSE(Button("Command2")->isEnabled());
  EXPECT_EQ(Label("Label5"), "");
  EXPECT_EQ(Label("Label4"), "");
  EXPECT_FALSE(fs::exists(DataDir(h) + "/ZERO.SGY"));
}

TEST_F(SegyTest, ChoosingNoFileLeavesTheWindowAsItWas) {
  const std::string su = WriteShot(DataDir(h) + "/A.su", 3, 100);
  Select(su);
  Select(std::nullopt);
  Select(std::string());
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(Label("Label5"), "100");
  EXPECT_EQ(Label("Label6"), "3");
  EXPECT_EQ(Label("Label4").toStdString(), DataDir(h) + "/A.SGY");
  EXPECT_TRUE(Button("Command2")->isEnabled());
  // A new load of the window starts from nothing chosen.
  segy->close();
  Toolbar(w, "tosu");
  EXPECT_EQ(Label("Label5"), "");
  EXPECT_FALSE(Button("Command2")->isEnabled());
}

TEST_F(SegyTest, AFailedWriteLeavesNoFileAndSaysSo) {
  const std::string su = WriteShot(DataDir(h) + "/B.su", 5, 128);
  const std::string sgy = DataDir(h) + "/B.SGY";
  fs::create_directory(sgy);  // the output name is taken by a folder
  Select(su);
  Button("Command2")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(h.messages.last().text.find("recorded OK"), std::string::npos);
  EXPECT_NE(h.messages.last().text.find("not written"), std::string::npos) << h.messages.last().text;
  EXPECT_TRUE(fs::is_directory(sgy));
  // Nothing half-written beside it.
  for (const auto& e : fs::directory_iterator(DataDir(h)))
    EXPECT_TRUE(e.path().filename() == "B.su" || e.path().filename() == "B.SGY") << e.path();
  EXPECT_TRUE(segy->isVisible());
  // The input gone between the choice and the conversion.
  fs::remove(sgy);
  fs::remove(su);
  Button("Command2")->click();
  EXPECT_NE(h.messages.last().text.find(su), std::string::npos);
  EXPECT_FALSE(fs::exists(sgy));
}

TEST_F(SegyTest, TheTextHeaderBoxHolds3200CharactersAtMost) {
  auto* t = Find<QPlainTextEdit>(segy, "Text1");
  t->setPlainText(QString(3300, 'x'));
  EXPECT_EQ(t->toPlainText().size(), 3200);
}

TEST_F(SegyTest, Help) {
  Button("Command6")->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text,
            "SEISMIC UNIX to SEG-Y file conversion\r\nWith this module you can convert many field record  \r\n"
            "to an unique SEG-Y file. Many options are possible \r\n");
  EXPECT_EQ(h.messages.last().icon, MsgIcon::Information);
  EXPECT_EQ(h.messages.last().title, "KORVAN QMR650B");
}
