// The radar and ASCII importer windows and our rtoaw window, shown from the
// start window and driven by their control names on the test data.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTextEdit>

#include <filesystem>

#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "conversion/importers/ascii2su_window.hpp"
#include "conversion/importers/radar_windows.hpp"
#include "conversion/rtoaw/rtoaw_window.hpp"
#include "conversion/tests/conversion_fixture.hpp"

using namespace keld;
using namespace keld::conversion;
using namespace keld::conversion::testing;
using keld::testing::TempDir;

namespace {
struct RadarWindows : ::testing::Test {
  TempDir d;
  ConversionHarness h{d.path()};
  template <typename W>
  W* Open(int option) {
    h.Choose(option);
    return qobject_cast<W*>(h.window->Opened("Option" + std::to_string(option)));
  }
};
}  // namespace

TEST_F(RadarWindows, RamacReadsItsHeaderAndConverts) {
  KELD_REQUIRE_TESTDATA(dir, "ramac");
  auto* w = Open<RadarFWindow>(12);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->windowTitle(), "RAMAC  file conversion");
  h.dialogs.files.push_back(std::nullopt);
  w->Lit_RAMAC();  // cancelled: nothing changes
  EXPECT_EQ(w->Text1->text(), "XXX");
  h.dialogs.files.push_back(dir + "/impdar_ten_col_nogps.rd3");
  w->Lit_RAMAC();
  EXPECT_TRUE(h.dialogs.asked.back().must_exist);
  EXPECT_EQ(w->Text6->text(), "512");
  EXPECT_EQ(w->Text2->text(), "10");
  EXPECT_EQ(w->Text4->text().toStdString(), CStr(422.061312 / 512));
  EXPECT_EQ(w->Text5->text().toStdString(), dir + "/impdar_ten_col_nogps.SU");
  EXPECT_NE(w->RichTextBox1->toPlainText().indexOf("ANTENNAS:500_shielded_egrip"), -1);
  w->Text5->setText(QString::fromStdString(d / "ramac.su"));
  w->Text8->setText("3");
  w->Command1->click();
  auto su = ReadSuFile(d / "ramac.su");
  ASSERT_TRUE(su.ok()) << (h.messages.shown.empty() ? su.error() : h.messages.last().text);
  ASSERT_EQ(su->size(), 10u);
  EXPECT_EQ((*su)[0].header.ns, 509);
  EXPECT_EQ((*su)[0].header.dt, 824);
  EXPECT_EQ(h.messages.last().text.rfind("OK Conversion done " + d / "ramac.su" + "   ", 0), 0u) << h.messages.last().text;
  // 422.061312 ns over 512 samples is 824.3385 ps: dt holds 824, and says so.
  EXPECT_NE(h.messages.last().text.find("\r\nsample interval 0.8243385 ns written as 0.824 ns: SU holds whole "
                                        "picoseconds in dt"),
            std::string::npos)
      << h.messages.last().text;
  // An existing output and No: nothing is written.
  auto before = std::filesystem::last_write_time(d / "ramac.su");
  h.messages.answer(MsgAnswer::No);
  w->Command1->click();
  EXPECT_EQ(std::filesystem::last_write_time(d / "ramac.su"), before);
  // A zero interval asks for one; a cancelled question writes nothing.
  w->Text4->setText("0");
  w->Text5->setText(QString::fromStdString(d / "zero.su"));
  h.messages.type(std::nullopt);
  w->Command1->click();
  EXPECT_EQ(h.messages.last().text, " Enter the sampling rate (nanoS)");
  EXPECT_FALSE(std::filesystem::exists(d / "zero.su"));
  // A data file without its header.
  std::filesystem::copy_file(dir + "/impdar_ten_col_nogps.rd3", d / "alone.rd3");
  h.dialogs.files.push_back(d / "alone.rd3");
  w->Lit_RAMAC();
  EXPECT_EQ(w->RichTextBox1->toPlainText().toStdString(), " No RAD file available for " + d / "alone.rd3" + "\n");
}

TEST_F(RadarWindows, Dt1ReadsItsHeaderAndConverts) {
  KELD_REQUIRE_TESTDATA(dir, "dt1");
  auto* w = Open<Dt1Window>(17);
  ASSERT_TRUE(w);
  h.dialogs.files.push_back(dir + "/rgpr_cornino_cmp.DT1");
  w->Command1->click();
  EXPECT_EQ(w->Text6->text(), "500");
  EXPECT_EQ(w->Text8->text(), "51");
  EXPECT_EQ(w->Text5->text(), "0.8");
  EXPECT_EQ(w->Text4->text(), "0.49");
  h.dialogs.files.push_back(d / "cmp.su");
  w->Command2->click();  // the output button works
  EXPECT_EQ(w->Text2->text().toStdString(), d / "cmp.su");
  w->Command3->click();
  auto su = ReadSuFile(d / "cmp.su");
  ASSERT_TRUE(su.ok()) << h.messages.last().text;
  ASSERT_EQ(su->size(), 51u);
  EXPECT_EQ((*su)[0].header.ns, 500 - 59);
  EXPECT_EQ((*su)[0].header.dt, 800);
  // Positions every 0.49 do not fit SU's whole-number words: said.
  EXPECT_EQ(h.messages.last().text,
            "OK, Conversion done\r\ntrace positions every 0.49 written rounded to whole numbers: SU's position words "
            "hold whole numbers");
  w->Text2->setText(" ");
  h.messages.clear();
  w->Command3->click();  // an empty output box: nothing, no message
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST_F(RadarWindows, ProfilesCutShortSayFirstWhatWasLeftOutAndNoOk) {
  KELD_REQUIRE_TESTDATA(data, "");
  // RAMAC asked for 12 traces of a file of 10, DT1 for 52 of a file of 51:
  // one closing box each, beginning with the traces left out.
  auto* ramac = Open<RadarFWindow>(12);
  ASSERT_TRUE(ramac);
  h.dialogs.files.push_back(data + "/ramac/impdar_ten_col_nogps.rd3");
  ramac->Lit_RAMAC();
  ramac->Text2->setText("12");
  ramac->Text5->setText(QString::fromStdString(d / "ramac.su"));
  auto* dt1 = Open<Dt1Window>(17);
  ASSERT_TRUE(dt1);
  h.dialogs.files.push_back(data + "/dt1/rgpr_cornino_cmp.DT1");
  dt1->Command1->click();
  dt1->Text8->setText("52");
  dt1->Text2->setText(QString::fromStdString(d / "cmp.su"));
  const struct {
    QPushButton* convert;
    std::string out, said;
    size_t traces;
  } cases[] = {
      {ramac->Command1, d / "ramac.su", "Traces 11 to 12 left out: 12 traces asked but the file holds only 10", 10},
      {dt1->Command3, d / "cmp.su", "Trace 52 left out: 52 traces asked but the file holds only 51", 51},
  };
  for (const auto& k : cases) {
    h.messages.clear();
    k.convert->click();
    ASSERT_EQ(h.messages.shown.size(), 1u) << h.messages.last().text;
    const std::string text = h.messages.last().text;
    EXPECT_EQ(text.rfind(k.said + "\r\n" + k.out + " holds the " + std::to_string(k.traces) + " traces converted", 0), 0u)
        << text;
    EXPECT_EQ(text.find("OK"), std::string::npos) << text;
    EXPECT_EQ(ReadSuFile(k.out)->size(), k.traces);
  }
}

TEST_F(RadarWindows, AsciiColumnsFromTheQuestions) {
  auto* w = Open<Ascii2SuWindow>(23);
  ASSERT_TRUE(w);
  keld::testing::WriteText(d / "LINE.TXT", "1,2,3,4\r\n5,6,7,8\r\n9,10,11,12\r\n");
  h.dialogs.files.push_back(d / "LINE.TXT");
  h.messages.type("3");
  h.messages.type("100");
  w->Command1->click();
  EXPECT_EQ(w->Text2->text().toStdString(), d / "LINE.SU");
  EXPECT_EQ(w->Text5->text(), "4");
  auto su = ReadSuFile(d / "LINE.SU");
  ASSERT_TRUE(su.ok()) << h.messages.last().text;
  ASSERT_EQ(su->size(), 4u);
  EXPECT_EQ((*su)[1].samples, (std::vector<float>{2, 6, 10}));
  EXPECT_EQ((*su)[1].header.dt, 100);
  EXPECT_EQ(h.messages.last().text, "Conversion OK! " + d / "LINE.SU" + " has been recorded");
  // Radar traces: dt is 1000 x the interval in nanoseconds, nhs 95.
  w->Check1->setChecked(true);
  w->Text4->setText("0.25");
  w->Text2->setText(QString::fromStdString(d / "radar.su"));
  w->Command3->click();
  su = ReadSuFile(d / "radar.su");
  ASSERT_TRUE(su.ok()) << h.messages.last().text;
  EXPECT_EQ((*su)[0].header.dt, 250);
  EXPECT_EQ((*su)[0].header.nhs, 95);
  EXPECT_EQ(h.messages.last().text, "Conversion OK! " + d / "radar.su" + " has been recorded");
  // A seismic interval of 62.5 us: the dt word holds 62 (halves to even), and says so.
  w->Check1->setChecked(false);
  w->Text4->setText("62.5");
  w->Command3->click();
  EXPECT_EQ(ReadSuFile(d / "radar.su")->at(0).header.dt, 62);
  EXPECT_EQ(h.messages.last().text, "Conversion OK! " + d / "radar.su" +
                                        " has been recorded\r\nsample interval 62.5 us written as 62 us: SU holds "
                                        "whole microseconds");
  w->Check1->setChecked(true);
  w->Text4->setText("0.25");
  // More traces than the file holds: refused, nothing written.
  w->Text5->setText("5");
  w->Text2->setText(QString::fromStdString(d / "short.su"));
  w->Command3->click();
  EXPECT_NE(h.messages.last().text.find("fewer than the 15"), std::string::npos) << h.messages.last().text;
  EXPECT_FALSE(std::filesystem::exists(d / "short.su"));
}

TEST_F(RadarWindows, TypedTraceCountsBeyondRangeAreRefused) {
  auto* w = Open<Ascii2SuWindow>(23);
  ASSERT_TRUE(w);
  // One value with 512 samples a trace makes no trace: the count is asked.
  keld::testing::WriteText(d / "ONE.TXT", "7\r\n");
  for (const char* typed : {"1000000000000000000000000000000", "99999999999999999999", "40000", "-3"}) {
    SCOPED_TRACE(typed);
    h.messages.clear();
    h.dialogs.files.push_back(d / "ONE.TXT");
    h.messages.type("512");
    h.messages.type(typed);
    w->Command1->click();
    EXPECT_EQ(h.messages.last().text, "The number of samples and of traces must be between 1 and 32767");
    EXPECT_EQ(h.messages.last().title, kTitle);
    EXPECT_EQ(w->Text5->text(), "0");  // the box keeps what it held
    EXPECT_FALSE(std::filesystem::exists(d / "ONE.SU"));
  }
}

TEST_F(RadarWindows, GssiInTwoSteps) {
  KELD_REQUIRE_TESTDATA(dir, "dzt");
  auto* w = Open<Dzt2Window>(18);
  ASSERT_TRUE(w);
  w->Command3->click();
  EXPECT_EQ(h.messages.last().text, "rtoaw.exe must be in the same folder as CONVERSION.EXE");
  EXPECT_TRUE(h.launcher.started.empty());
  keld::testing::WriteText(d / "prog/rtoaw", "");
  w->Command3->click();
  w->Command3->click();
  ASSERT_EQ(h.launcher.started.size(), 2u);
  EXPECT_EQ(h.launcher.started[0].program, d / "prog/rtoaw");
  EXPECT_TRUE(h.launcher.started[0].args.empty());
  w->Command1->click();
  auto* ascii = qobject_cast<Ascii2SuWindow*>(h.window->Opened("Option23"));
  ASSERT_TRUE(ascii);

  // Step 1 in our rtoaw window, step 2 in the ASCII window.
  DialogRecorder dialogs;
  MessageRecorder boxes;
  rtoaw::RtoawWindow r(dialogs, boxes);
  dialogs.files.push_back(dir + "/gprpy_FILE____032.DZT");
  r.Command1->click();
  EXPECT_NE(r.Label1->text().indexOf("1040 traces of 512 samples per trace"), -1) << r.Label1->text().toStdString();
  r.Text2->setText(QString::fromStdString(d / "gssi.TXT"));
  r.Command3->click();
  EXPECT_NE(boxes.last().text.find("type 512 into step 2"), std::string::npos) << boxes.last().text;
  h.dialogs.files.push_back(d / "gssi.TXT");
  h.messages.type("512");
  h.messages.type("0.09375");
  ascii->Check1->setChecked(true);
  ascii->Command1->click();
  auto su = ReadSuFile(d / "gssi.SU");
  ASSERT_TRUE(su.ok()) << h.messages.last().text;
  ASSERT_EQ(su->size(), 1040u);
  EXPECT_EQ((*su)[0].header.dt, 94);  // 93.75 ps, said in the result
  EXPECT_EQ(h.messages.last().text, "Conversion OK! " + d / "gssi.SU" +
                                        " has been recorded\r\nsample interval 0.09375 ns written as 0.094 ns: SU "
                                        "holds whole picoseconds in dt");
  auto raw = keld::testing::ReadBytes(dir + "/gprpy_FILE____032.DZT");
  EXPECT_EQ((*su)[700].samples[300], (raw[1024 + 2 * (700 * 512 + 300)] | (raw[1024 + 2 * (700 * 512 + 300) + 1] << 8)) - 32768);
}
