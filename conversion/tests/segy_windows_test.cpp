// The SEG-Y import window, the SU to SEG-Y window and the conversion
// window's SEG-D and SEG-Y types, driven through their controls against our
// own sutools, with segyio checking what they wrote.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include <filesystem>

#include "common/bytes.hpp"
#include "common/profile.hpp"
#include "common/su_file.hpp"
#include "conversion/shell/convert_window.hpp"
#include "conversion/shell/seismic_unix_conversions.hpp"
#include "conversion/shell/segy_window.hpp"
#include "conversion/shell/su2sgy_window.hpp"
#include "conversion/shell/whole_check.hpp"
#include "conversion/tests/conversion_fixture.hpp"
#include "platform/qt/picture_box.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld::conversion {
namespace {

namespace fs = std::filesystem;
using keld::testing::ReadBytes;
using keld::testing::RunCommand;
using keld::testing::ShellQuote;
using testing::ConversionHarness;
using testing::Find;

// Empty when segyio reads each SEG-Y file as the SU file beside it holds it.
std::string SegyioAgrees(const std::vector<std::array<std::string, 3>>& pairs) {
  if (RunCommand("/usr/bin/python3 -c 'import segyio' 2>/dev/null") != 0) return "";
  std::string args, out;
  for (const auto& p : pairs) args += " " + ShellQuote(p[0]) + " " + ShellQuote(p[1]) + " " + p[2] + " 1 0";
  const int rc = RunCommand(
      "/usr/bin/python3 " + ShellQuote(keld::testing::SourceDir() + "/sutools/tests/segyio_compare.py") + args, &out);
  return rc == 0 ? "" : out;
}

class SegyWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    auto data = keld::testing::TestData();
    if (!data) GTEST_SKIP() << "test data folder is missing beside the checkout";
    data_ = *data;
    h = std::make_unique<ConversionHarness>(dir.path());
    // The Seismic Unix programs are our own, in the build's program folder.
    WritePrivateProfileString("VISUAL_KE", "Directory1", keld::testing::BinDir() + "/", "Visual_KELD.ini");
    h->state.Shell_Prefix = kShellPrefixClose;  // batch windows close by themselves
  }
  std::string Field(const std::string& name, const std::string& from) {
    const std::string to = dir / ("field data/" + name);
    fs::create_directories(fs::path(to).parent_path());
    fs::copy_file(data_ + "/" + from, to);
    return to;
  }
  static int FilesIn(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += e.is_regular_file();
    return n;
  }
  int BatchWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "BatchOutput" && w->isVisible()) ++n;
    return n;
  }
  // Stand-ins for the Seismic Unix programs, named in the settings.
  void StandIns(const std::vector<std::pair<std::string, std::string>>& scripts) {
    const std::string tools = dir / "tools";
    fs::create_directories(tools);
    for (const auto& [name, body] : scripts) {
      keld::testing::WriteText(tools + "/" + name, "#!/bin/sh\n" + body);
      fs::permissions(tools + "/" + name, fs::perms::owner_all);
    }
    WritePrivateProfileString("VISUAL_KE", "Directory1", tools + "/", "Visual_KELD.ini");
  }
  // `header` and `binary` in the work folder, which no run may touch.
  void UsersHeaderFiles() {
    keld::testing::WriteText(dir / "work/header", "the user's header");
    keld::testing::WriteText(dir / "work/binary", "the user's binary");
  }
  void UsersHeaderFilesKept() {
    EXPECT_EQ(keld::testing::ReadText(dir / "work/header"), "the user's header");
    EXPECT_EQ(keld::testing::ReadText(dir / "work/binary"), "the user's binary");
  }
  keld::testing::TempDir dir;
  std::string data_;
  std::unique_ptr<ConversionHarness> h;
};

TEST_F(SegyWindows, ImportTestsAndJoinsBigAndLittleEndianRecords) {
  const std::string a = Field("a.sgy", "segy/segyio_small.sgy"), b = Field("b.sgy", "segy/segyio_small-lsb.sgy"),
                    c = Field("c.sgy", "segy/segyio_small.sgy");
  fs::copy_file(keld::testing::BinDir() + "/seg.rtf", dir / "prog/seg.rtf");
  // Files of the user's own named as segyread names its header files.
  UsersHeaderFiles();
  h->Choose(2);
  h->window->Lance();
  auto* w = dynamic_cast<SegyWindow*>(h->window->Opened("Option2"));
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->RichTextBox1->toPlainText().isEmpty());  // seg.rtf beside the programs
  h->dialogs.multi.push_back(std::vector<std::string>{a, b, c});
  Find<QPushButton>(w, "Command1")->click();
  EXPECT_EQ(w->List1->count(), 3);
  EXPECT_EQ(w->Text11->text(), "3");
  EXPECT_EQ(w->Text4->text(), "50");
  EXPECT_EQ(w->Text12->text(), "4000");
  EXPECT_EQ(w->Text5->text(), "25");
  EXPECT_EQ(w->Text3->text(), "75");
  EXPECT_EQ(w->Text8->text(), "0");  // the first file is big-endian
  EXPECT_EQ(w->Text2->text().toStdString(), dir / "field data/a.SU");
  EXPECT_FALSE(w->Command2->isEnabled());

  // The test run draws the first file's 24 traces.
  w->Command5->click();
  ASSERT_TRUE(h->messages.shown.empty()) << h->messages.last().text;
  EXPECT_EQ(ReadBytes(w->TestFile()).size(), 24u * (240 + 4 * 50));
  EXPECT_EQ(w->SSTab1->currentIndex(), 1);
  EXPECT_TRUE(w->Command2->isEnabled());
  const QImage img = w->ecran->image();
  int grey = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) grey += img.pixel(x, y) == qRgb(0x80, 0x80, 0x80);
  EXPECT_GT(grey, 100);
  w->ecran->send_mouse_move(0, 45, 10);
  EXPECT_EQ(w->ecran->toolTip(), " 40 ms Trace= 2");
  // A file it cannot draw: told why, and nothing of the first picture stays.
  const std::string bad = keld::testing::WriteLengthChangeFiles(dir.path())[0];
  w->Display_SU(bad);
  EXPECT_EQ(h->messages.texts(), std::vector<std::string>{" Conversion problem... modify ENDIAN, OVER or CONV parameters "
                                                          "and re run\n" + bad + ": " + keld::testing::kThirdTraceInFile});
  QImage blank = w->ecran->image();
  blank.fill(blank.pixel(0, 0));
  EXPECT_EQ(w->ecran->image(), blank);
  h->messages.clear();

  w->Check1->setChecked(true);
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_TRUE(h->messages.last().timed);
  const std::string out = dir / "field data/a.SU";
  const auto joined = ReadBytes(out);
  const size_t tl = 240 + 4 * 50;
  ASSERT_EQ(joined.size(), 75 * tl);
  EXPECT_EQ(h->messages.last().text, out + " has been recorded OK size: " + std::to_string(75 * tl));
  EXPECT_FALSE(fs::exists(fs::path(w->ScratchFolder()) / "tempo.su"));
  EXPECT_EQ(FilesIn(dir / "field data"), 4);  // the three records and the joined file
  std::vector<std::array<std::string, 3>> pairs;
  for (int k = 0; k < 3; ++k) {
    const std::string part = dir / ("part" + std::to_string(k) + ".su");
    keld::testing::WriteText(part, std::string(joined.begin() + k * 25 * tl, joined.begin() + (k + 1) * 25 * tl));
    pairs.push_back({k == 0 ? a : k == 1 ? b : c, part, k == 1 ? "little" : "big"});
  }
  EXPECT_EQ(SegyioAgrees(pairs), "");
  EXPECT_EQ(BatchWindows(), 0);
  UsersHeaderFilesKept();
  const std::string scratch = w->ScratchFolder();
  w->close();
  EXPECT_FALSE(fs::exists(scratch));
}

TEST_F(SegyWindows, AFailingBatchIsToldAndLeavesNothing) {
  const std::string a = Field("a.sgy", "segy/segyio_small.sgy");
  const auto whole = ReadBytes(a);
  const std::string cut = dir / "field data/cut.sgy";
  keld::testing::WriteText(cut, std::string(whole.begin(), whole.begin() + 3600 + 200));
  // korvan keeps its unsaved shot as tmp.su in the same work folder.
  keld::testing::WriteText(dir / "work/tmp.su", "korvan's shot");
  SegyWindow w(h->window->context(), nullptr);
  h->dialogs.multi.push_back(std::vector<std::string>{a});
  w.Select_i();
  w.Command5_Click();
  ASSERT_TRUE(w.Command2->isEnabled());
  h->messages.clear();
  h->dialogs.multi.push_back(std::vector<std::string>{cut});
  w.Select_i();  // no whole trace: the one-trace trial runs and fails
  ASSERT_GE(h->messages.shown.size(), 2u);
  EXPECT_NE(h->messages.last().text.find("no whole trace"), std::string::npos) << h->messages.last().text;
  // The refused file changes nothing: Convert still converts the last good
  // selection, with its boxes.
  ASSERT_EQ(w.List1->count(), 1);
  EXPECT_EQ(w.List1->item(0)->text().toStdString(), a);
  EXPECT_EQ(w.Text4->text(), "50");
  EXPECT_EQ(w.Text5->text(), "25");
  EXPECT_EQ(w.Text6->text(), "1");
  EXPECT_EQ(w.Text2->text().toStdString(), dir / "field data/a.SU");
  // The record is cut after its selection: segyread's own words.
  w.List1->item(0)->setText(QString::fromStdString(cut));
  w.Text2->setText(QString::fromStdString(dir / "field data/cut.SU"));
  h->messages.clear();
  w.Command2_Click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_NE(h->messages.last().text.find(" Conversion problem...verify parameters"), std::string::npos);
  EXPECT_NE(h->messages.last().text.find("segyread: "), std::string::npos) << h->messages.last().text;
  EXPECT_FALSE(fs::exists(dir / "field data/cut.SU"));
  EXPECT_EQ(FilesIn(dir / "field data"), 2);  // a.sgy and cut.sgy: no part file
  // A missing program: its name in the message, no output.
  h->messages.clear();
  WritePrivateProfileString("VISUAL_KE", "Directory1", dir / "nowhere/", "Visual_KELD.ini");
  h->state.Input_File = a;
  h->state.Output_File = dir / "field data/x.su";
  keld::testing::WriteText(h->state.Output_File, "the old x.su");
  h->state.SU_Dir.clear();
  QWidget owner;
  auto run = (new WorkGuard(&owner))->begin();
  auto r = Convert_SEGY_2_SU(h->window->context(), &owner, *run, false);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(h->messages.last().text.find("segyread"), std::string::npos) << h->messages.last().text;
  EXPECT_EQ(keld::testing::ReadText(dir / "field data/x.su"), "the old x.su");  // a failed run leaves the old file
  run.reset();  // the run's files go with it
  EXPECT_EQ(FilesIn(dir / "field data"), 3);
  w.close();
  EXPECT_EQ(keld::testing::ReadText(dir / "work/tmp.su"), "korvan's shot");
}

TEST_F(SegyWindows, ARecordCutInATraceIsNotReportedOk) {
  const std::string a = Field("a.sgy", "segy/segyio_small.sgy");
  const auto whole = ReadBytes(a);
  const size_t tl = 240 + 4 * 50;
  const std::string cut = dir / "field data/cut.sgy";
  keld::testing::WriteText(cut, std::string(whole.begin(), whole.begin() + 3600 + 10 * tl + tl / 2));
  // What is missing comes first.
  const std::string problem = cut + ": 11 traces expected, 10 written\nsegyread: warning: ";
  h->Choose(2);
  auto* w = dynamic_cast<SegyWindow*>(h->window->Opened("Option2"));
  ASSERT_NE(w, nullptr);
  h->dialogs.multi.push_back(std::vector<std::string>{cut});
  w->Command1->click();
  EXPECT_EQ(w->Text3->text(), "11");  // the cut trace counts
  w->Command5->click();
  w->Command2->click();
  ASSERT_FALSE(h->messages.shown.empty());
  EXPECT_EQ(h->messages.last().text.rfind(problem, 0), 0u) << h->messages.last().text;
  EXPECT_TRUE(h->messages.last().text.ends_with(kCheckFile)) << h->messages.last().text;
  EXPECT_FALSE(h->messages.last().timed);
  EXPECT_EQ(ReadSuLayout(dir / "field data/cut.SU")->traces, 10);  // what could be read is kept
  // The conversion window's SEG-Y type says so too (it says nothing when whole).
  h->messages.clear();
  h->Choose(13);
  auto* cw = dynamic_cast<ConvertWindow*>(h->window->Opened("Option13"));
  ASSERT_NE(cw, nullptr);
  h->state.Conversion_Type = kSegy2Su;
  cw->Option2->setChecked(true);
  cw->Text1->setText(QString::fromStdString(cut));
  cw->Text2->setText(QString::fromStdString(dir / "field data/cut2.su"));
  cw->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_EQ(h->messages.last().text.rfind(problem, 0), 0u) << h->messages.last().text;
  // Over an old file: a file that lacks traces never replaces it.
  const std::string old_su = dir / "field data/cut2.su";
  keld::testing::WriteText(old_su, "the old SU file");
  cw->Command2->click();
  EXPECT_EQ(h->messages.last().text.rfind(problem, 0), 0u) << h->messages.last().text;
  EXPECT_NE(h->messages.last().text.find(old_su + " kept as it was"), std::string::npos) << h->messages.last().text;
  EXPECT_EQ(keld::testing::ReadText(old_su), "the old SU file");
}

TEST_F(SegyWindows, ARecordOfAnotherSampleCountOrIntervalIsLeftOutWithItsReason) {
  // Between two records of 201 samples at 1000 us, one of 50 samples or one at 2000 us
  // (bytes 3217-3218 and 117-118 of each trace): left out, named first.
  const std::string a1 = Field("a1.sgy", "segy/su_demos_shaping_data.sgy"),
                    a3 = Field("a3.sgy", "segy/su_demos_shaping_data.sgy"),
                    fifty = Field("a2.sgy", "segy/segyio_small.sgy"), slow = dir / "field data/b2.sgy",
                    out = dir / "field data/a1.SU";
  const size_t tl = 240 + 4 * 201;
  auto b = ReadBytes(a1);
  for (size_t at = 3600 + 116; at < b.size(); at += tl) b[at] = 0x07, b[at + 1] = 0xD0;  // 2000
  b[3216] = 0x07, b[3217] = 0xD0;
  keld::testing::WriteText(slow, std::string(b.begin(), b.end()));
  for (const auto& [second, said] : {std::pair{fifty, ": left out, 50 samples per trace where the first file has 201"},
                                     {slow, ": left out, sample interval 2000 us where the first file has 1000 us"}}) {
    SegyWindow w(h->window->context(), nullptr);
    h->dialogs.multi.push_back(std::vector<std::string>{a1, second, a3});
    w.Select_i();
    w.Command5_Click();
    h->messages.clear();
    w.Command2_Click();
    EXPECT_EQ(h->messages.texts(), std::vector<std::string>{second + said + "\n" + kCheckFile});
    EXPECT_EQ(ReadSuFile(out)->size(), 20u);  // read through, each trace checked
    fs::remove(out);
  }
}

TEST_F(SegyWindows, ADamagedRevisionZeroFileIsRefusedNotShortOfATrace) {
  // segyio's small.sgy (revision 0, 25 traces of 240 + 4 x 50 bytes) with a
  // blank extended text header after its reel header, counted in bytes
  // 3505-3506, and cut 220 bytes into its 11th trace: 10 whole traces and 220
  // bytes after the extended text header; 7820 bytes = 17 x 440 + 340 from
  // byte 3600.
  const auto small = ReadBytes(data_ + "/segy/segyio_small.sgy");
  std::string b(small.begin(), small.begin() + 3600 + 10 * 440 + 220);
  b.insert(3600, std::string(3200, ' '));
  b[3504] = 0, b[3505] = 1;
  const std::string bad = dir / "field data/bad.sgy";
  fs::create_directories(dir / "field data");
  keld::testing::WriteText(bad, b);
  const std::string says = "damaged file: its revision-0 binary header counts 1 extended text header (bytes "
                           "3505-3506), and its traces fill the file neither with the extended text headers (10 "
                           "whole traces of 440 bytes and 220 bytes left) nor without them (17 whole traces of 440 "
                           "bytes and 340 bytes left)";
  SegyWindow w(h->window->context(), nullptr);
  h->dialogs.multi.push_back(std::vector<std::string>{bad});
  w.Select_i();  // no trial: no byte order or sample count mends it
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_EQ(h->messages.last().text, bad + ": " + says);
  h->messages.clear();
  h->Choose(13);
  auto* cw = dynamic_cast<ConvertWindow*>(h->window->Opened("Option13"));
  ASSERT_NE(cw, nullptr);
  h->state.Conversion_Type = kSegy2Su;
  cw->Option2->setChecked(true);
  cw->Text1->setText(QString::fromStdString(bad));
  cw->Text2->setText(QString::fromStdString(dir / "field data/bad.su"));
  cw->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_NE(h->messages.last().text.find("segyread: " + says), std::string::npos) << h->messages.last().text;
  EXPECT_FALSE(fs::exists(dir / "field data/bad.su"));
}

TEST_F(SegyWindows, ConversionWindowTypesAndSuToSegy) {
  // The conversion window's SEG-D type, then its SEG-Y type with "Liitle Endian".
  const std::string d = Field("shot.segd", "segd/su_demos_3stomp_test.segd");
  h->Choose(13);
  h->window->Lance();
  auto* cw = dynamic_cast<ConvertWindow*>(h->window->Opened("Option13"));
  ASSERT_NE(cw, nullptr);
  cw->Text1->setText(QString::fromStdString(d));
  cw->Text2->setText(QString::fromStdString(dir / "field data/shot.su"));
  cw->Command2->click();
  ASSERT_TRUE(h->messages.shown.empty()) << h->messages.last().text;
  EXPECT_EQ(ReadSuLayout(dir / "field data/shot.su")->traces, 6);
  const std::string y = Field("line.sgy", "segy/segyio_small-lsb.sgy");
  h->state.Conversion_Type = kSegy2Su;
  cw->Option1->setChecked(true);
  cw->Text1->setText(QString::fromStdString(y));
  cw->Text2->setText(QString::fromStdString(dir / "field data/line.su"));
  cw->Command2->click();
  ASSERT_TRUE(h->messages.shown.empty()) << h->messages.last().text;
  h->state.Output_File = dir / "field data/line.su";
  EXPECT_EQ(SegyioAgrees({{y, h->state.Output_File, "little"}}), "");

  UsersHeaderFiles();
  h->Choose(15);
  h->window->Lance();
  auto* w = dynamic_cast<Su2SgyWindow*>(h->window->Opened("Option15"));
  ASSERT_NE(w, nullptr);
  h->dialogs.files.push_back(h->state.Output_File);
  w->Command3->click();
  EXPECT_EQ(w->Text4->text(), "25");
  EXPECT_EQ(w->Text2->text().toStdString(), dir / "field data/line.SGY");
  w->Text6->setText("0");
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_EQ(h->messages.last().text, " Conversion OK");
  EXPECT_EQ(SegyioAgrees({{dir / "field data/line.SGY", h->state.Output_File, "big"}}), "");
  UsersHeaderFilesKept();
  // Output = input is refused; a cancelled input dialog changes nothing.
  w->Text2->setText(w->Text1->text());
  w->Command2->click();
  EXPECT_EQ(h->messages.last().text, kSameInputOutput);
  h->dialogs.files.push_back(std::nullopt);
  w->Command3->click();
  EXPECT_EQ(w->Text4->text(), "25");
  EXPECT_EQ(BatchWindows(), 0);
}

TEST_F(SegyWindows, SuToSegyTakesTheWholeTracesBeforeACutLastOne) {
  // Ten traces, the last cut: Trace maximum offers the nine whole ones, and
  // the SEG-Y file holds them, as segyio reads it.
  const std::string su = Field("cut.su", "su/su_sub_i386-stly.su"), nine = dir / "nine.su";
  const auto bytes = ReadBytes(su);
  const size_t tl = 240 + 4 * 512;
  ASSERT_EQ(bytes.size(), 10 * tl);
  keld::testing::WriteText(nine, std::string(bytes.begin(), bytes.begin() + 9 * tl));
  fs::resize_file(su, 10 * tl - 100);
  h->Choose(15);
  auto* w = dynamic_cast<Su2SgyWindow*>(h->window->Opened("Option15"));
  ASSERT_NE(w, nullptr);
  h->dialogs.files.push_back(su);
  w->Command3->click();
  EXPECT_EQ(w->Text4->text(), "9");
  w->Text6->setText("0");
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  EXPECT_EQ(h->messages.last().text, " Conversion OK");
  const std::string sgy = dir / "field data/cut.SGY";
  EXPECT_EQ(ReadBytes(sgy).size(), 3600 + 9 * tl);
  EXPECT_EQ(SegyioAgrees({{sgy, nine, "big"}}), "");
}

TEST_F(SegyWindows, ASegyFileThatLacksTracesNeverReplacesAnOldOne) {
  // 30 SU traces through a segywrite that gives only 25, over an old file,
  // which stays; the message says first what is missing.
  const std::string a = Field("a.sgy", "segy/segyio_small.sgy");
  StandIns({{"segyread", "exit 1\n"},
            {"segyhdrs", "exit 0\n"},
            {"segywrite", "for w; do case $w in tape=*) cp " + ShellQuote(a) + " \"${w#tape=}\";; esac; done\n"}});
  std::vector<SuTrace> traces(30);
  for (auto& t : traces) {
    t.header.ns = 50;
    t.header.dt = 4000;
    t.samples.assign(50, 1.0f);
  }
  const std::string su = dir / "field data/line.su", old_sgy = dir / "field data/line.SGY";
  ASSERT_TRUE(WriteSuFile(su, traces));
  keld::testing::WriteText(old_sgy, "the old SEG-Y file");
  h->Choose(15);
  auto* w = dynamic_cast<Su2SgyWindow*>(h->window->Opened("Option15"));
  ASSERT_NE(w, nullptr);
  h->dialogs.files.push_back(su);
  w->Command3->click();
  h->messages.clear();
  h->messages.answer(MsgAnswer::Yes);  // delete the old file
  w->Command2->click();
  const std::string m = h->messages.last().text;
  EXPECT_EQ(m.rfind(su + ": 30 traces expected, 25 written", 0), 0u) << m;
  EXPECT_NE(m.find(old_sgy + " kept as it was"), std::string::npos) << m;
  EXPECT_EQ(keld::testing::ReadText(old_sgy), "the old SEG-Y file");
  EXPECT_EQ(FilesIn(dir / "field data"), 3);
  // A segywrite that leaves no SEG-Y file, and one that fails: the old file
  // is kept, and said to be.
  for (const auto& [body, why] :
       {std::pair{"for w; do case $w in tape=*) echo junk >\"${w#tape=}\";; esac; done\n",
                  "the new file is refused: the file holds 5 bytes, fewer than the 3600 of a SEG-Y reel header: not a "
                  "SEG-Y file"},
        {"echo 'segywrite: no room' >&2; exit 1\n", "segywrite: no room"}}) {
    StandIns({{"segyread", "exit 1\n"}, {"segyhdrs", "exit 0\n"}, {"segywrite", body}});
    w->Command2->click();
    EXPECT_EQ(h->messages.last().text,
              std::string(" Conversion problem...verify parameters\n") + why + "\n" + old_sgy + " kept as it was");
    EXPECT_EQ(keld::testing::ReadText(old_sgy), "the old SEG-Y file");
    EXPECT_EQ(FilesIn(dir / "field data"), 3);
  }
}

TEST_F(SegyWindows, SuToSegyRefusesWhatTheSuLayoutCheckRefuses) {
  // segyio's small.su is big-endian: refused in the layout check's words when
  // picked, and when typed in at Convert, before anything is run.
  const std::string good = Field("line.su", "su/segyio_small-lsb.su"), big = Field("big.su", "su/segyio_small.su");
  const std::string why = "it reads as a big-endian file of 25 traces of 50 samples; only little-endian SU files are read";
  h->Choose(15);
  auto* w = dynamic_cast<Su2SgyWindow*>(h->window->Opened("Option15"));
  ASSERT_NE(w, nullptr);
  h->dialogs.files.push_back(good);
  h->dialogs.files.push_back(big);
  w->Command3->click();
  w->Command3->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  const std::string refused = h->messages.last().text;
  EXPECT_EQ(refused.rfind(big + ": ", 0), 0u) << refused;
  EXPECT_NE(refused.find(why), std::string::npos) << refused;
  EXPECT_EQ(w->Text1->text().toStdString(), good);  // the last good input stays
  EXPECT_EQ(w->Text4->text(), "25");
  w->Text1->setText(QString::fromStdString(big));
  w->Text2->setText(QString::fromStdString(dir / "field data/big.sgy"));
  w->Command2->click();
  EXPECT_EQ(h->messages.texts(), (std::vector<std::string>{refused, refused}));
  EXPECT_EQ(FilesIn(dir / "field data"), 2);
  EXPECT_EQ(BatchWindows(), 0);

  // An input that cannot be checked after the batch (emptied meanwhile) is
  // never taken as whole: no OK, and the SEG-Y file does not take its name.
  const std::string su = dir / "field data/line2.su";
  fs::copy_file(good, su);
  StandIns({{"segyread", "exit 1\n"},
            {"segyhdrs", "exit 0\n"},
            {"segywrite", "for w; do case $w in tape=*) cp " + ShellQuote(data_ + "/segy/segyio_small-lsb.sgy") +
                              " \"${w#tape=}\";; esac; done; : >" + ShellQuote(su) + "\n"}});
  h->messages.clear();
  h->dialogs.files.push_back(su);
  w->Command3->click();
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  const std::string m = h->messages.last().text;
  EXPECT_EQ(m.rfind(" Conversion problem...verify parameters\n" + su + ": ", 0), 0u) << m;
  EXPECT_FALSE(fs::exists(dir / "field data/line2.SGY"));
}

TEST_F(SegyWindows, RelativeNamesReachTheBatchesThatRunElsewhere) {
  // The program runs in the survey's parent folder, with a relative work
  // folder, programs' folder and input names; each batch runs in a folder
  // of its own.
  Field("shot.segd", "segd/su_demos_3stomp_test.segd");
  Field("a.sgy", "segy/segyio_small.sgy");
  struct Back {
    fs::path was = fs::current_path();
    ~Back() { fs::current_path(was); }
  } back;
  fs::current_path(dir.path());
  ConversionHarness r("here");
  r.state.Shell_Prefix = kShellPrefixClose;
  WritePrivateProfileString("VISUAL_KE", "Directory1", fs::relative(keld::testing::BinDir(), dir.path()).string() + "/",
                            "Visual_KELD.ini");
  r.Choose(13);
  r.window->Lance();
  auto* cw = dynamic_cast<ConvertWindow*>(r.window->Opened("Option13"));
  ASSERT_NE(cw, nullptr);
  cw->Text1->setText("field data/shot.segd");
  cw->Text2->setText("field data/shot.su");
  cw->Command2->click();
  EXPECT_TRUE(r.messages.shown.empty()) << r.messages.last().text;
  auto segd = ReadSuLayout(dir / "field data/shot.su");
  ASSERT_TRUE(segd) << segd.error();
  EXPECT_EQ(segd->traces, 6);

  r.Choose(2);
  auto* w = dynamic_cast<SegyWindow*>(r.window->Opened("Option2"));
  ASSERT_NE(w, nullptr);
  r.dialogs.multi.push_back(std::vector<std::string>{"field data/a.sgy"});
  w->Command1->click();
  w->Command5->click();
  ASSERT_TRUE(r.messages.shown.empty()) << r.messages.last().text;
  w->Command2->click();
  ASSERT_EQ(r.messages.shown.size(), 1u);
  EXPECT_EQ(r.messages.last().text, " Conversion OK");
  auto segy = ReadSuLayout(dir / "field data/a.SU");
  ASSERT_TRUE(segy) << segy.error();
  EXPECT_EQ(segy->traces, 25);
  w->close();
}

TEST_F(SegyWindows, SelectionsPast99FilesSayWhatTheyLeftOutAndNeverOk) {
  // 100 records: the first 99 are listed; the 100th is named as left out
  // when picked and first again after a run, which is then not OK.
  std::vector<std::string> picked;
  for (int k = 1; k <= 100; ++k) picked.push_back(Field("r" + std::to_string(k) + ".sgy", "segy/segyio_small.sgy"));
  const std::string said = "File 100 left out: at most 99 are taken";
  h->Choose(2);
  auto* w = dynamic_cast<SegyWindow*>(h->window->Opened("Option2"));
  ASSERT_NE(w, nullptr);
  h->dialogs.multi.push_back(picked);
  w->Command1->click();
  EXPECT_EQ(h->messages.texts(), std::vector<std::string>{said});
  EXPECT_EQ(w->List1->count(), 99);
  EXPECT_EQ(w->Text11->text(), "99");
  w->Text11->setText("1");  // one record is enough to see the closing message
  w->Command5->click();
  h->messages.clear();
  w->Command2->click();
  ASSERT_EQ(h->messages.shown.size(), 1u);
  // 25 traces of 240 + 4 x 50 bytes.
  const std::string out = dir / "field data/r1.SU";
  EXPECT_EQ(h->messages.last().text, said + "\n" + out + " has been recorded without them, size: 11000");
  EXPECT_FALSE(h->messages.last().timed);
  w->close();
}

}  // namespace
}  // namespace keld::conversion
