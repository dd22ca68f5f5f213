// The whole shot against the simulated units, the window offscreen and driven
// by its control names: the raw shot file, the text record, frozen and failed
// channels, "Release Trigger", and the after-shot dialog's save and stack.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QPushButton>

#include "boardlink/board_link.hpp"
#include "boardsim/samples.hpp"
#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/wait_until.hpp"
#include "dropconv/seg2_export.hpp"
#include "korvan/engine/low_pass.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "korvan/window/units_window.hpp"
#include "platform/qt/grid.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::testing::TempDir;

namespace {

// What korvan should have stored for a unit: the simulator's samples,
// de-meaned over samples 1..n-1 in float, through the low-pass set in force.
std::vector<float> Expected(const sim::ShotSpec& desc, int unit, int n, const FilterState& f) {
  std::vector<int32_t> raw = sim::UnitSamples(desc, unit, 0, n);
  std::vector<float> x(raw.begin(), raw.end());
  float sum = 0;
  for (int i = 1; i < n; ++i) sum += x[i];
  float mean = sum / static_cast<float>(n - 1);
  for (int i = 0; i < n; ++i) x[i] -= mean;
  std::vector<float> y(n);
  FiltraTrace(f, x, y);
  return y;
}

struct Shot : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan* w = nullptr;
  void SetUp() override {
    w = &h.start();
    ASSERT_TRUE(w->link().open_port(1)) << w->link().error();
    w->Command10->setEnabled(true);
    w->Total_Channel->setText("24");
    w->Nb_Sample->setCurrentIndex(2);  // 1024
    w->Sample_rate->setCurrentIndex(2);  // "512" on the panel, 2000 Hz: every 500 us
  }
  std::string tmp() const { return d.path() + "/work/tmp.su"; }
  std::string dati() const { return d.path() + "/work/DATA/dati.txt"; }
  FilterState filter() const {
    FilterState f;
    Scegli_Filtro(f, 2000, false);
    return f;
  }
};

}  // namespace

TEST_F(Shot, TwentyFourChannelsAsTheUnitsSentThem) {
  w->Command10->click();
  ASSERT_EQ(*FileLength(tmp()), 104064);
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.shown[0].text;
  sim::ShotSpec desc = h.port.units().shot();
  EXPECT_EQ(desc.samples, 1024);
  EXPECT_EQ(desc.frequency, 2000);
  EXPECT_EQ(desc.trigger_mode, 1);
  auto traces = ReadSuFile(tmp());
  ASSERT_TRUE(traces.ok());
  ASSERT_EQ(traces->size(), 24u);
  for (int c = 1; c <= 24; ++c) {
    const SuTrace& t = (*traces)[c - 1];
    EXPECT_EQ(t.header.tracf, c);
    EXPECT_EQ(t.header.trid, 1);
    EXPECT_EQ(t.header.ns, 1024);
    EXPECT_EQ(t.header.dt, 500);  // 2000 Hz: the exact interval, not the panel's 512
    EXPECT_EQ(t.header.fldr, 1000);
    EXPECT_EQ(t.header.Nb_Samples, 1024);
    EXPECT_EQ(t.header.corr, 2);
    EXPECT_EQ(t.samples, Expected(desc, c, 1024, filter())) << "channel " << c;
  }
  // The eight first outputs of the filter are zero; the record is not silent.
  EXPECT_EQ((*traces)[0].samples[7], 0.0f);
  EXPECT_NE((*traces)[0].samples[300], 0.0f);
  // The arm packet: 2000 Hz, pre-trigger 0, trigger mode 1, 1024 samples.
  const auto& first = h.port.units().received;
  bool armed = false;
  for (const auto& p : first)
    if (p[0] == 0x1A) {
      armed = true;
      EXPECT_EQ(p[1], 0x07);
      EXPECT_EQ(p[2], 0xD0);
      EXPECT_EQ(p[10], 1);
      EXPECT_EQ(p[13], 0x04);
    }
  EXPECT_TRUE(armed);
  // The text record holds the same shot, and dropconv's reader reads it.
  std::string text = keld::testing::ReadText(dati());
  int lines = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') ++lines;
  EXPECT_EQ(lines, 16 + 24 * (1 + 1024));
  EXPECT_EQ(text.substr(0, 14), "Ditta KORVAN\r\n");
  EXPECT_NE(text.find("Posizione source rispetto 1\xB0 geofono=\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Canale numero 24\"\r\n"), std::string::npos);
  ClassSEG2Export rec;
  ASSERT_TRUE(rec.Read(dati()).ok());
  ASSERT_EQ(rec.ChannelCount(), 24);
  ASSERT_EQ(rec.SampleCount(), 1024);
  EXPECT_DOUBLE_EQ(rec.SampleInterval(), 0.0005);
  for (int c = 1; c <= 24; c += 7)
    for (int i = 1; i <= 1024; i += 97)
      EXPECT_NEAR(rec.Sample(c, i), (*traces)[c - 1].samples[i - 1],
                  1e-5 * std::fabs((*traces)[c - 1].samples[i - 1]) + 1e-6);
  // The after-shot dialog is open, offering to save.
  ASSERT_NE(w->choix(), nullptr);
  EXPECT_TRUE(w->choix()->isVisible());
  EXPECT_TRUE(w->choix()->Command1->isEnabled());
  EXPECT_FALSE(w->choix()->Command2->isEnabled());  // nothing saved yet to stack onto
  EXPECT_TRUE(w->Command10->isEnabled());
  EXPECT_TRUE(w->Command6->isEnabled());
  EXPECT_TRUE(w->Virtual_trigger->isHidden());
  EXPECT_EQ(h.state.Modo_Trigger, 0);
}

TEST_F(Shot, FrozenChannelKeepsItsHeaderButNoSamples) {
  w->freeze_Click();
  ASSERT_FALSE(w->FrizGrid->isHidden());
  w->FrizGrid->SetCol(2);
  w->FrizGrid_Click();
  EXPECT_EQ(w->FrizGrid->TextMatrix(0, 2), "F 3");
  w->Command10->click();
  auto traces = ReadSuFile(tmp());
  ASSERT_TRUE(traces.ok());
  const SuTrace& t = (*traces)[2];
  EXPECT_EQ(t.header.tracf, 3);
  EXPECT_EQ(t.header.trid, 1);
  for (float v : t.samples) ASSERT_EQ(v, 0.0f);
  EXPECT_NE((*traces)[3].samples[300], 0.0f);
  // Its text-record lines are there like any other channel's.
  ClassSEG2Export rec;
  ASSERT_TRUE(rec.Read(dati()).ok());
  EXPECT_NE(rec.Sample(3, 300), 0.0f);
}

TEST_F(Shot, FailedUnitIsADeadTraceInItsPlace) {
  h.port.units().config().absent.insert(3);
  w->Command10->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text.rfind("ERROR ! 3 module is missing: ", 0), 0u) << h.messages.last().text;
  ASSERT_EQ(*FileLength(tmp()), 104064);
  auto traces = ReadSuFile(tmp());
  const SuTrace& t = (*traces)[2];
  EXPECT_EQ(t.header.trid, 2);
  EXPECT_EQ(t.header.tracf, 3);
  for (float v : t.samples) ASSERT_EQ(v, 0.0f);
  sim::ShotSpec desc = h.port.units().shot();
  EXPECT_EQ((*traces)[3].samples, Expected(desc, 4, 1024, filter()));
  ClassSEG2Export rec;
  ASSERT_TRUE(rec.Read(dati()).ok());
  EXPECT_EQ(rec.ChannelCount(), 24);
  EXPECT_EQ(rec.Sample(3, 500), 0.0f);
  EXPECT_NEAR(rec.Sample(4, 500), (*traces)[3].samples[499], 1e-5 * std::fabs((*traces)[3].samples[499]) + 1e-6);
}

TEST_F(Shot, ReleaseTriggerBeforeTheTrigger) {
  h.port.units().config().trigger_on_signal = true;
  keld::testing::WriteText(tmp(), "an old raw shot");
  h.pump.hook = [&] {
    if (h.pump.passes > 200 && !w->Virtual_trigger->isHidden()) w->Virtual_trigger->click();
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_FALSE(std::filesystem::exists(tmp()));
  EXPECT_FALSE(std::filesystem::exists(dati())) << "an abandoned shot leaves no text record";
  EXPECT_EQ(h.state.Modo_Trigger, 0);
  EXPECT_TRUE(w->Command10->isEnabled());
  // Nothing to save, convert, number or stack: no after-shot dialog.
  EXPECT_FALSE(w->choix() && w->choix()->isVisible());
  EXPECT_TRUE(w->Frame4->isEnabled());
}

TEST_F(Shot, ReleaseTriggerDuringTheTransferGivesOneNotice) {
  h.pump.hook = [&] {
    int requests = 0;
    for (const auto& p : h.port.units().received) requests += p[0] == 0xD1;
    if (requests > 40 && !w->Virtual_trigger->isHidden()) w->Virtual_trigger->click();
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.count("ERROR ! 4 module is missing"), 0);
  EXPECT_FALSE(std::filesystem::exists(tmp()));
  EXPECT_FALSE(w->choix() && w->choix()->isVisible());
}

TEST_F(Shot, ValuesAreTakenWhenArmed) {
  // Edits while the shot runs cannot reach it: the boxes are disabled, and
  // the shot keeps what it took.
  bool tried = false;
  h.pump.hook = [&] {
    if (!tried && h.state.Modo_Trigger == 1) {
      tried = true;
      EXPECT_FALSE(w->Frame4->isEnabled());
      EXPECT_FALSE(w->Frame7->isEnabled());
      EXPECT_FALSE(w->units()->isEnabled());
      w->Nb_Sample->setCurrentIndex(3);  // what a program change could still do
      w->Total_Channel->setText("3");
    }
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_TRUE(tried);
  EXPECT_EQ(*FileLength(tmp()), 104064);
  EXPECT_TRUE(w->Frame4->isEnabled());
}

TEST_F(Shot, SaveAsThenStackTheNextShotOntoIt) {
  // dropconv for real, from the build.
  PosixLauncher real;
  h.launcher.real = &real;
  h.services.program_folder = keld::testing::BinDir();
  w->Command10->click();
  auto first = ReadSuFile(tmp());
  ASSERT_TRUE(first.ok());
  w->choix()->Command1_Click();
  const std::string rec = d.path() + "/work/DATA/FILE1000.SU";
  const std::string sg2 = d.path() + "/work/DATA/FILE1000.SG2";
  ASSERT_TRUE(std::filesystem::exists(rec)) << (h.messages.shown.empty() ? "" : h.messages.last().text);
  EXPECT_FALSE(std::filesystem::exists(tmp()));
  EXPECT_EQ(h.state.Dernier_Record, rec);
  EXPECT_EQ(w->Text3->text(), "1001");
  EXPECT_EQ(w->SSTab1->currentIndex(), 3);
  ASSERT_FALSE(h.launcher.started.empty());
  EXPECT_EQ(h.launcher.started.back().args, (std::vector<std::string>{dati() + "|" + sg2}));
  ASSERT_TRUE(keld::testing::WaitForFile(sg2));  // dropconv runs on its own
  auto sg = keld::testing::ReadBytes(sg2);
  ASSERT_GT(sg.size(), 32u);
  EXPECT_EQ(sg[0], 0x55);
  EXPECT_EQ(sg[1], 0x3A);
  EXPECT_EQ(sg[6] | (sg[7] << 8), 24);
  // A second shot, stacked onto the record.
  w->Command10->click();
  auto second = ReadSuFile(tmp());
  ASSERT_TRUE(second.ok());
  ASSERT_TRUE(w->choix()->Command2->isEnabled());
  w->choix()->Command2_Click();
  EXPECT_TRUE(h.messages.saw(rec + " has been recorded"));
  auto stacked = ReadSuFile(rec);
  ASSERT_TRUE(stacked.ok());
  for (int c = 0; c < 24; c += 5) {
    EXPECT_EQ((*stacked)[c].header.nvs, 2);
    for (int i = 0; i < 1024; i += 101)
      EXPECT_FLOAT_EQ((*stacked)[c].samples[i], (*first)[c].samples[i] + (*second)[c].samples[i]);
  }
  EXPECT_EQ(w->Text3->text(), "1001");  // a stack does not number a record
}

TEST_F(Shot, SaveAsRefusesWhenTheRecordExistsAndNoIsAnswered) {
  w->Command10->click();
  const std::string rec = d.path() + "/work/DATA/FILE1000.SU";
  keld::testing::WriteText(rec, "the old record");
  h.messages.answer(MsgAnswer::No);
  w->choix()->Command1_Click();
  EXPECT_EQ(keld::testing::ReadText(rec), "the old record");
  EXPECT_TRUE(std::filesystem::exists(tmp()));
  EXPECT_EQ(w->Text3->text(), "1000");
  // Yes replaces it whole; dropconv missing: the record counts as saved and
  // only the SEG-2 copy is reported.
  h.launcher.succeed = false;
  w->show_choix();
  h.messages.answer(MsgAnswer::Yes);
  w->choix()->Command1_Click();
  EXPECT_EQ(*FileLength(rec), 104064);
  EXPECT_EQ(w->Text3->text(), "1001");
  EXPECT_EQ(h.state.Dernier_Record, rec);
  EXPECT_NE(h.messages.last().text.find("SEG-2 copy"), std::string::npos);
}

TEST_F(Shot, SaveWithAnotherNameAndErase) {
  w->Command10->click();
  const std::string other = d.path() + "/work/mine.Su";
  h.dialogs.files.push_back(std::nullopt);  // cancelled first: nothing changes
  w->choix()->Command4_Click();
  EXPECT_TRUE(std::filesystem::exists(tmp()));
  w->show_choix();
  h.dialogs.files.push_back(other);
  w->choix()->Command4_Click();
  EXPECT_TRUE(std::filesystem::exists(other));
  // Its SEG-2 copy is named as Save as names one.
  const std::string sg2 = d.path() + "/work/mine.SG2";
  EXPECT_EQ(h.launcher.started.back().args[0], dati() + "|" + sg2);
  EXPECT_EQ(h.messages.last().text, other + " and " + sg2 + " has been recorded");
  EXPECT_EQ(w->Text3->text(), "1000");
  // Erase names the file drawn last and reports what happened.
  w->Text6->setText(QString::fromStdString(other));
  h.messages.answer(MsgAnswer::Yes);
  w->choix()->Command3_Click();
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_EQ(h.messages.last().text, other + " has been erased");
  // The screen was cleared with it: nothing is left to name.
  h.messages.answer(MsgAnswer::Yes);
  w->Detruit_record();
  EXPECT_EQ(h.messages.last().text, "There is no file on display to delete");
  // A file on display that went behind the window's back is reported.
  w->Command10->click();
  ASSERT_EQ(h.state.Fichier_Dessine, tmp());
  std::filesystem::remove(tmp());
  w->Detruit_record();
  EXPECT_NE(h.messages.last().text.find("has not been erased"), std::string::npos) << h.messages.last().text;
}

#include "boardlink/qt/qt_serial_port.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "platform/qtbase/qt_pump.hpp"

// The same shot over a real pseudo-terminal against the simulator program,
// through the Qt serial port that korvan uses with the units.
TEST(ShotOverPty, TwelveChannelsThroughTheSerialPort) {
  TempDir d;
  sim::SimProcess sim(keld::testing::BinDir() + "/boardsim", {"--link", d / "com1", "--seed", "7"});
  ASSERT_TRUE(sim.started()) << sim.error();
  keld::testing::ScopedEnv com("KELD_COM1", d / "com1");
  keld::testing::ScopedEnv win("KELD_WINDIR", d.path());
  std::filesystem::create_directories(d / "work");
  KorvanState state;
  MessageRecorder messages;
  ProcessRecorder launcher;
  QtEventPump pump;
  DialogRecorder dialogs;
  board::QtSerialPort port;
  KorvanServices sv{messages, launcher, pump, dialogs, port, d / "prog", d / "work", 0, [] {}, [] {}};
  Korvan w(state, sv);
  w.resize(1000, 700);
  w.Startup();
  ASSERT_TRUE(w.link().open_port(1)) << w.link().error();
  w.Command10->setEnabled(true);
  w.Total_Channel->setText("12");
  w.Nb_Sample->setCurrentIndex(6);  // 10922: 171 blocks a unit
  w.Sample_rate->setCurrentIndex(0);  // 8000 Hz
  w.Command10->click();
  EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;
  auto traces = ReadSuFile(d / "work/tmp.su");
  ASSERT_TRUE(traces.ok()) << traces.error();
  ASSERT_EQ(traces->size(), 12u);
  sim::ShotSpec desc;
  desc.seed = 7;
  desc.shot = 0;
  desc.samples = 10922;
  desc.frequency = 8000;
  desc.trigger_mode = 1;
  FilterState f;
  Scegli_Filtro(f, 8000, false);
  for (int c = 1; c <= 12; c += 11) EXPECT_EQ((*traces)[c - 1].samples, Expected(desc, c, 10922, f)) << c;
  EXPECT_EQ((*traces)[0].header.ns, 10922);
  EXPECT_EQ((*traces)[0].header.Nb_Samples, 10922);
}

// Units that answer only once they have recorded (2.1 s here, past the 2 s
// block time-out) and a block that comes 2.6 s late, over the pseudo-terminal:
// the late unit is missing, with its reason; its late block is neither given
// to the next unit nor blamed on it, and every other channel holds exactly
// what its unit sent.
TEST(ShotOverPty, AFirstBlockAfterTheRecordingAndALateBlock) {
  TempDir d;
  sim::SimProcess sim(keld::testing::BinDir() + "/boardsim",
                      {"--link", d / "com1", "--seed", "7", "--hold-first-block", "--delay", "3:0:2600"});
  ASSERT_TRUE(sim.started()) << sim.error();
  keld::testing::ScopedEnv com("KELD_COM1", d / "com1");
  keld::testing::ScopedEnv win("KELD_WINDIR", d.path());
  std::filesystem::create_directories(d / "work");
  KorvanState state;
  MessageRecorder messages;
  ProcessRecorder launcher;
  QtEventPump pump;
  DialogRecorder dialogs;
  board::QtSerialPort port;
  KorvanServices sv{messages, launcher, pump, dialogs, port, d / "prog", d / "work", 0, [] {}, [] {}};
  Korvan w(state, sv);
  w.resize(1000, 700);
  w.Startup();
  ASSERT_TRUE(w.link().open_port(1)) << w.link().error();
  w.Command10->setEnabled(true);
  w.Total_Channel->setText("5");
  w.Nb_Sample->setCurrentIndex(3);    // 2048
  w.Sample_rate->setCurrentIndex(3);  // 1024 us: 2.1 s of recording
  w.Command10->click();
  ASSERT_EQ(messages.shown.size(), 1u) << messages.last().text;
  EXPECT_EQ(messages.shown[0].text.rfind("ERROR ! 3 module is missing: block 1 of unit 3 did not come", 0), 0u)
      << messages.shown[0].text;
  auto traces = ReadSuFile(d / "work/tmp.su");
  ASSERT_TRUE(traces.ok()) << traces.error();
  ASSERT_EQ(traces->size(), 5u);
  sim::ShotSpec desc;
  desc.seed = 7;
  desc.shot = 0;
  desc.samples = 2048;
  desc.frequency = 1000;
  desc.trigger_mode = 1;
  for (int c : {1, 2, 4, 5}) EXPECT_EQ((*traces)[c - 1].samples, Expected(desc, c, 2048, state.Filtre)) << c;
  EXPECT_EQ((*traces)[2].header.trid, 2);
  EXPECT_EQ((*traces)[3].header.trid, 1);
}
