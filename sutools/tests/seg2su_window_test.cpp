// seg2su's window driven by its control names: files chosen, a cancelled
// dialog, the SU file written whole, a refusal of the same file as input and
// output, and a damaged input that leaves no output.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <filesystem>

#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "sutools/seg2su_window.hpp"

using namespace keld;

TEST(Seg2suWindow, ConvertsTheChosenFiles) {
  KELD_REQUIRE_TESTDATA(dir, "seg2");
  keld::testing::TempDir tmp;
  DialogRecorder dialogs;
  MessageRecorder msg;
  sutools::Seg2suWindow w(dialogs, msg);
  const std::string a = dir + "/su_thirdparty_329.dat", b = dir + "/su_thirdparty_330.dat";
  dialogs.multi.push_back(std::nullopt);
  w.Command1_Click();  // cancelled: nothing chosen
  EXPECT_EQ(w.List1->count(), 0);
  w.Command3_Click();
  EXPECT_EQ(msg.last().text, "File name missing");

  dialogs.multi.push_back(std::vector<std::string>{a, b});
  w.Command1_Click();
  ASSERT_EQ(w.List1->count(), 2);
  EXPECT_EQ(w.Text1->text().toStdString(), dir + "/su_thirdparty_329.su");
  dialogs.files.push_back(tmp / "out.su");
  w.Command2_Click();
  w.Command3_Click();
  // Both records are sampled every 62.5 us: SU's dt holds 63, and the
  // result says so for each file.
  EXPECT_EQ(msg.last().text, tmp / "out.su" + " has been recorded\r\n" + a +
                                 ": sample interval 62.5 us written as 63 us: SU holds whole microseconds\r\n" + b +
                                 ": sample interval 62.5 us written as 63 us: SU holds whole microseconds");
  EXPECT_EQ(w.Label1->text(), "Converted");
  auto su = ReadSuFile(tmp / "out.su");
  ASSERT_TRUE(su.ok()) << su.error();
  ASSERT_EQ(su->size(), 6u);
  EXPECT_EQ((*su)[5].header.tracl, 6);
  EXPECT_EQ((*su)[5].header.dt, 63);

  // Answering No to the replacement writes nothing.
  auto before = std::filesystem::last_write_time(tmp / "out.su");
  msg.answer(MsgAnswer::No);
  w.Command3_Click();
  EXPECT_EQ(std::filesystem::last_write_time(tmp / "out.su"), before);
}

TEST(Seg2suWindow, DamagedInputOrSameFileWritesNothing) {
  keld::testing::TempDir tmp;
  keld::testing::WriteText(tmp / "bad.sg2", "not a seg-2 file at all, only some text");
  DialogRecorder dialogs;
  MessageRecorder msg;
  sutools::Seg2suWindow w(dialogs, msg);
  dialogs.multi.push_back(std::vector<std::string>{tmp / "bad.sg2"});
  w.Command1_Click();
  w.Text1->setText(QString::fromStdString(tmp / "out.su"));
  w.Command3_Click();
  EXPECT_NE(msg.last().text.find("not a SEG-2 file"), std::string::npos) << msg.last().text;
  EXPECT_EQ(msg.last().icon, MsgIcon::Critical);
  EXPECT_FALSE(std::filesystem::exists(tmp / "out.su"));
  w.Text1->setText(QString::fromStdString(tmp / "bad.sg2"));
  msg.answer(MsgAnswer::Yes);
  w.Command3_Click();
  EXPECT_EQ(msg.last().text, "Same Input / Output");
}
