// Shots against units that misbehave on the line or a device that goes and
// comes back, the geometry a shot takes when armed, the text record taking its
// name only when the shot is complete, and the after-shot dialog: its default
// button, its captions, and which shot it offers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "boardlink/serial_port.hpp"
#include "boardsim/samples.hpp"
#include "common/files.hpp"
#include "common/numtext.hpp"
#include "common/su_file.hpp"
#include "dropconv/seg2_export.hpp"
#include "korvan/engine/low_pass.hpp"
#include "korvan/tests/korvan_fixture.hpp"
#include "korvan/window/choix_dialog.hpp"
#include "platform/qt/grid.hpp"

using namespace keld;
using namespace keld::korvan;
using namespace keld::korvan::testing;
using keld::sim::BlockFault;
using keld::testing::TempDir;

namespace {

// What a unit sent, de-meaned and through the low-pass set the shot used.
std::vector<float> Expected(const sim::ShotSpec& desc, int unit, int n, const FilterState& f) {
  std::vector<int32_t> raw = sim::UnitSamples(desc, unit, 0, n);
  std::vector<float> x(raw.begin(), raw.end());
  float sum = 0;
  for (int i = 1; i < n; ++i) sum += x[static_cast<size_t>(i)];
  const float mean = sum / static_cast<float>(n - 1);
  for (float& v : x) v -= mean;
  std::vector<float> y(x.size());
  FiltraTrace(f, x, y);
  return y;
}

struct Faults : ::testing::Test {
  TempDir d;
  KorvanHarness h{d.path()};
  Korvan* w = nullptr;
  void SetUp() override {
    w = &h.start();
    ASSERT_TRUE(w->link().open_port(1)) << w->link().error();
    w->Command10->setEnabled(true);
    w->Total_Channel->setText("4");
    w->Nb_Sample->setCurrentIndex(0);    // 256
    w->Sample_rate->setCurrentIndex(2);  // 512 us, 2000 Hz
  }
  std::string tmp() const { return d.path() + "/work/tmp.su"; }
  std::string dati() const { return d.path() + "/work/DATA/dati.txt"; }
  void Return(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  }
};

struct FaultCase {
  const char* what;
  std::function<void(sim::SimConfig&, Korvan&)> set;
  std::vector<int> reported;  // units named in an "ERROR ! " box
  int samples = 256;
  int box_ms = 0;  // how long the operator reads each box
};

}  // namespace

// A unit answering past the 2 s block time-out (its block, or the rest of a
// block that came short, coming while the next unit is read, or while the
// operator still reads its box), a block more
// than asked, a stray byte after the notice: the unit concerned is reported
// with its own reason, and only that one (a byte before any request concerns
// none), and every channel that is recorded holds exactly what its unit sent.
// A unit that answers only once it has recorded 2.1 s is read like any other.
TEST_F(Faults, MisbehavingUnitsAreReportedAndNoChannelHoldsAnotherUnitsBytes) {
  const std::vector<FaultCase> cases = {
      {"unit 3 answering 2.5 s late",
       [](sim::SimConfig& c, Korvan&) { c.faults.push_back({BlockFault::Kind::Delay, 3, 0, -1, 2500}); },
       {3}},
      {"unit 3 answering 3.5 s late, its box read for 2 s",
       [](sim::SimConfig& c, Korvan&) { c.faults.push_back({BlockFault::Kind::Delay, 3, 0, -1, 3500}); },
       {3},
       256,
       2000},
      {"unit 3 answering 3.5 s late, its box answered at once",
       [](sim::SimConfig& c, Korvan&) { c.faults.push_back({BlockFault::Kind::Delay, 3, 0, -1, 3500}); },
       {3}},
      {"unit 3's block coming short, its rest 3.5 s later",
       [](sim::SimConfig& c, Korvan&) { c.faults.push_back({BlockFault::Kind::Slow, 3, 1, -1, 3500}); },
       {3}},
      {"one block more than asked",
       [](sim::SimConfig& c, Korvan&) { c.faults.push_back({BlockFault::Kind::Extra, 2, 3}); },
       {2}},
      {"a stray byte after the notice",
       [](sim::SimConfig& c, Korvan&) {
         c.stray_after_notice = 1;
         c.stray_delay_ms = 40;
       },
       {}},
      {"the first block held for the recording time",
       [](sim::SimConfig& c, Korvan& k) {
         c.hold_first_block = true;
         k.Sample_rate->setCurrentIndex(3);  // 1024 us: 2048 samples record for 2.1 s
         k.Nb_Sample->setCurrentIndex(3);
       },
       {},
       2048},
  };
  for (const FaultCase& fc : cases) {
    SCOPED_TRACE(fc.what);
    sim::SimConfig& cfg = h.port.units().config();
    cfg = sim::SimConfig{};
    fc.set(cfg, *w);
    h.messages.clear();
    h.messages.while_shown = [&](const MessageShown&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(fc.box_ms));
    };
    w->Command10->click();
    h.messages.while_shown = nullptr;
    std::vector<int> reported;
    for (const auto& m : h.messages.shown) {
      ASSERT_EQ(m.text.rfind("ERROR ! ", 0), 0u) << m.text;
      reported.push_back(std::stoi(m.text.substr(8)));
      EXPECT_NE(m.text.find("unit " + std::to_string(reported.back())), std::string::npos) << m.text;
    }
    EXPECT_EQ(reported, fc.reported);
    auto traces = ReadSuFile(tmp());
    ASSERT_TRUE(traces.ok()) << traces.error();
    ASSERT_EQ(traces->size(), 4u);
    const sim::ShotSpec desc = h.port.units().shot();
    for (int c = 1; c <= 4; ++c) {
      const SuTrace& t = (*traces)[static_cast<size_t>(c - 1)];
      if (t.header.trid == 2) continue;  // a dead trace: zeros in its place
      EXPECT_EQ(t.samples, Expected(desc, c, fc.samples, h.state.Filtre)) << "channel " << c;
    }
    w->choix()->hide();
  }
}

// A link error while the shot waits for the trigger (the device went and
// came back), then "Release Trigger": the next shot starts clear and records
// every channel.
TEST_F(Faults, ALinkErrorWhileWaitingForTheTriggerStaysWithThatShot) {
  h.port.units().config().trigger_on_signal = true;
  long raised_at = 0;
  h.pump.hook = [&] {
    // Waiting for the notice: the status byte has been taken.
    if (!raised_at && h.port.units().notice_held() && h.port.in_buffer_count() == 0) {
      h.port.raise_error(board::kErFrame);
      raised_at = h.pump.passes;
    }
    if (raised_at && h.pump.passes > raised_at + 20 && !w->Virtual_trigger->isHidden())
      w->Virtual_trigger->click();
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  ASSERT_NE(raised_at, 0);
  EXPECT_FALSE(std::filesystem::exists(tmp()));

  h.port.units().config().trigger_on_signal = false;
  h.messages.clear();
  w->Command10->click();
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
  auto traces = ReadSuFile(tmp());
  ASSERT_TRUE(traces.ok()) << traces.error();
  ASSERT_EQ(traces->size(), 4u);
  const sim::ShotSpec desc = h.port.units().shot();
  for (int c = 1; c <= 4; ++c) {
    const SuTrace& t = (*traces)[static_cast<size_t>(c - 1)];
    EXPECT_EQ(t.header.trid, 1) << c;
    EXPECT_EQ(t.samples, Expected(desc, c, 256, h.state.Filtre)) << "channel " << c;
  }
}

// The geometry grid was drawn for 3 channels; the shot of 6 must not take
// its stale columns.
TEST_F(Faults, TheShotTakesTheGeometryOfTheBoxesWhenArmed) {
  w->Total_Channel->setText("3");
  w->fr->setText("0");
  w->Text15->setText("2");
  w->sx->setText("-3");
  w->Dessine_Geometrie();
  w->Total_Channel->setText("6");
  w->Command10->click();
  auto traces = ReadSuFile(tmp());
  ASSERT_TRUE(traces.ok());
  ASSERT_EQ(traces->size(), 6u);
  const double station = Val(w->Text17->text().toStdString());
  for (int c = 1; c <= 6; ++c) {
    const SuTraceHeader& t = (*traces)[static_cast<size_t>(c - 1)].header;
    EXPECT_EQ(t.gx, 2 * (c - 1)) << c;
    EXPECT_EQ(t.sx, -3) << c;
    EXPECT_EQ(t.offset, 2 * (c - 1) + 3) << c;
    EXPECT_EQ(t.cdp, *CLng((station + t.offset) / 2)) << c;
  }
  // The SEG-2 copy puts receivers and source in one frame, as the headers do:
  // the source 3 m before geophone 1 is at -3.
  ClassSEG2Export rec;
  ASSERT_TRUE(rec.Read(dati()).ok());
  for (int c = 1; c <= 6; ++c) {
    const SuTraceHeader& t = (*traces)[static_cast<size_t>(c - 1)].header;
    EXPECT_EQ(rec.Channel(c).strings[3], "RECEIVER_LOCATION " + std::to_string(t.gx - (*traces)[0].header.gx));
    EXPECT_EQ(rec.Channel(c).strings[5], "SOURCE_LOCATION " + std::to_string(t.sx - (*traces)[0].header.gx));
  }
}

TEST_F(Faults, TheTextRecordTakesItsNameOnlyWhenTheShotIsComplete) {
  keld::testing::WriteText(dati(), "an earlier shot's record");
  bool seen_during = true;
  h.pump.hook = [&] {
    int requests = 0;
    for (const auto& p : h.port.units().received) requests += p[0] == 0xD1;
    if (requests > 0 && requests < 6) seen_during = seen_during && !std::filesystem::exists(dati());
    if (requests > 6 && !w->Virtual_trigger->isHidden()) w->Virtual_trigger->click();
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_TRUE(seen_during) << "no record stands under the name during the transfer";
  EXPECT_FALSE(std::filesystem::exists(dati())) << "a stopped shot leaves no record to convert";
  for (const auto& e : std::filesystem::directory_iterator(d.path() + "/work/DATA"))
    EXPECT_EQ(e.path().filename().string().find(".dati.txt"), std::string::npos) << e.path();
  // A record that cannot be written is reported.
  std::filesystem::remove_all(d.path() + "/work/DATA");
  keld::testing::WriteText(d.path() + "/work/DATA", "a file where the folder should be");
  h.messages.clear();
  w->Command10->click();
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.last().text.rfind("The text record cannot be written: ", 0), 0u)
      << h.messages.last().text;
}

TEST_F(Faults, EnterInTheAfterShotDialogIsAlwaysSaveAs) {
  w->Command10->click();
  ChoixDialog* c = w->choix();
  ASSERT_TRUE(c->isVisible());
  int saves = 0, erases = 0, stacks = 0;
  QObject::disconnect(c->Command1, nullptr, nullptr, nullptr);
  QObject::disconnect(c->Command2, nullptr, nullptr, nullptr);
  QObject::disconnect(c->Command3, nullptr, nullptr, nullptr);
  QObject::connect(c->Command1, &QPushButton::clicked, [&] { ++saves; });
  QObject::connect(c->Command2, &QPushButton::clicked, [&] { ++stacks; });
  QObject::connect(c->Command3, &QPushButton::clicked, [&] { ++erases; });
  h.state.Dernier_Record = d.path() + "/work/DATA/FILE999.SU";
  for (QPushButton* focused : {c->Command3, c->Command2, c->Command4}) {
    c->hide();
    c->Open();
    focused->setFocus();
    QApplication::processEvents();
    Return(focused);
  }
  EXPECT_EQ(saves, 3);
  EXPECT_EQ(erases, 0);
  EXPECT_EQ(stacks, 0);
  EXPECT_TRUE(c->Command1->isDefault());
}

// The device pulled out: the shot finds the port in error before arming,
// cannot open it again and says so without sending anything; once the
// device is back the next shot records.
TEST_F(Faults, TheDeviceGoneThenBackCostsNoShotOnceItIsBack) {
  auto writes = [&] { return std::count(h.port.calls.begin(), h.port.calls.end(), "write"); };
  h.port.unplugged = true;
  h.port.openable = {2};  // port 1's device is not there to be opened
  const auto sent = writes();
  w->Command10->click();
  EXPECT_EQ(h.messages.texts(),
            (std::vector<std::string>{"ERROR ! The device of port 1 is not there (Port 1 (simulated) cannot be "
                                      "opened: no such port). Check the cable and the power of the unit, then "
                                      "shoot again."}));
  EXPECT_EQ(writes(), sent);
  EXPECT_FALSE(h.port.is_open());
  EXPECT_TRUE(w->Command10->isEnabled());

  h.port.unplugged = false;
  h.port.openable.clear();
  h.messages.clear();
  w->Command10->click();
  EXPECT_TRUE(h.messages.shown.empty()) << h.messages.last().text;
  auto traces = ReadSuFile(tmp());
  ASSERT_TRUE(traces.ok()) << traces.error();
  EXPECT_EQ(traces->size(), 4u);
}

// The device goes during the shot (and stays away): wherever that happens,
// one box names the lost link and ends the shot, no unit is charged with it,
// no raw shot or text record is left, and no dialog offers to save it or
// stack it onto the record saved last. A unit that failed on its own before
// the loss keeps its box.
TEST_F(Faults, ALinkLostAnywhereInTheShotEndsItWithNoRawShot) {
  w->Command10->click();
  w->choix()->Command1_Click();  // a record to stack onto
  auto& units = h.port.units();
  auto requests = [&](int unit) {
    return std::count_if(units.received.begin(), units.received.end(),
                         [&](const auto& p) { return p[0] == 0xD1 && p[11] == unit; });
  };
  const std::string gone = "the device of port 1 has gone";
  auto wait = [&](const std::string& what) {
    return "ERROR ! 1 module: the link was lost while waiting for the " + what + ": " + gone +
           ". The shot is ended.";
  };
  auto read = [&](const std::string& what) {
    return "ERROR ! The link was lost during the data transfer: " + what + ": " + gone +
           ". Nothing has been recorded. The shot is ended.";
  };
  struct Lost {
    const char* where;
    std::function<void(sim::SimConfig&)> set;
    std::function<bool()> now;  // the device goes at the first pump where this holds, or in a box
    std::vector<std::string> boxes;
  };
  const std::vector<Lost> cases = {
      {"the status", [](sim::SimConfig& s) { s.no_status = true; }, [&] { return !units.received.empty(); },
       {wait("status byte")}},
      {"the notice", [](sim::SimConfig& s) { s.trigger_on_signal = true; },
       [&] { return units.notice_held() && h.port.in_buffer_count() == 0; }, {wait("trigger")}},
      {"block 1 of unit 1", {}, [&] { return requests(1) == 1; }, {read("link error while reading unit 1")}},
      {"block 3 of unit 2", {}, [&] { return requests(2) == 3; }, {read("link error while reading unit 2")}},
      {"block 4 of unit 4, once it came", {}, [&] { return requests(4) == 4 && !w->link().awaiting_block(); },
       {read("link error while reading unit 4, after its last block came")}},
      {"block 1 of unit 3, in unit 2's box", [](sim::SimConfig& s) { s.absent = {2}; }, [] { return false; },
       {"ERROR ! 2 module is missing: block 1 of unit 2 did not come within 2000 ms",
        read("the block request to unit 3 could not be sent")}},
  };
  auto unplug = [&] {
    h.port.unplugged = true;
    h.port.openable = {2};  // and not there to be opened again
  };
  for (const Lost& c : cases) {
    SCOPED_TRACE(c.where);
    h.port.unplugged = false;
    h.port.openable.clear();
    units.config() = sim::SimConfig{};
    if (c.set) c.set(units.config());
    units.received.clear();
    h.pump.hook = [&] {
      if (!h.port.unplugged && c.now()) unplug();
    };
    h.messages.clear();
    h.messages.while_shown = [&](const MessageShown&) { unplug(); };
    w->Command10->click();
    h.pump.hook = nullptr;
    h.messages.while_shown = nullptr;
    ASSERT_EQ(h.messages.texts().size(), c.boxes.size()) << h.messages.last().text;
    for (size_t i = 0; i < c.boxes.size(); ++i)
      EXPECT_EQ(h.messages.texts()[i].substr(0, c.boxes[i].size()), c.boxes[i]);
    EXPECT_FALSE(std::filesystem::exists(tmp()));
    EXPECT_FALSE(std::filesystem::exists(dati()));
    EXPECT_FALSE(w->choix()->isVisible());
    w->show_choix();  // the save button
    EXPECT_FALSE(w->choix()->isVisible());
    EXPECT_EQ(h.messages.last().text, "There is no shot to save");
  }
}

// The after-shot dialog offers the shot it follows and names the files as
// they are: it goes while the next shot runs (from before a lost port is
// opened again), comes back for that one, and is not shown after a shot that
// left nothing to save.
TEST_F(Faults, TheAfterShotDialogBelongsToTheShotItFollows) {
  const std::string data = d.path() + "/work/DATA";
  w->Command10->click();
  ChoixDialog* c = w->choix();
  ASSERT_TRUE(c && c->isVisible());
  EXPECT_EQ(c->Command1->text().toStdString(), " Save as " + data + "/FILE1000.SU  and FILE1000.SG2");
  // Gone before a lost port is opened again (a wait of 2.5 s in the field):
  // so when the box says the device is not there.
  bool shown_with_the_box = true;
  h.messages.while_shown = [&](const MessageShown&) { shown_with_the_box = c->isVisible(); };
  h.port.unplugged = true;
  h.port.openable = {2};
  w->Command10->click();
  EXPECT_EQ(h.messages.shown.size(), 1u);
  EXPECT_FALSE(shown_with_the_box);
  h.messages.while_shown = nullptr;
  h.port.unplugged = false;
  h.port.openable.clear();
  bool shown_while_armed = false;
  h.pump.hook = [&] { shown_while_armed = shown_while_armed || (h.state.Modo_Trigger == 1 && c->isVisible()); };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_FALSE(shown_while_armed);
  ASSERT_TRUE(c->isVisible());
  c->Command1_Click();
  w->Command10->click();
  EXPECT_EQ(c->Command2->text().toStdString(), " Stack with " + data + "/FILE1000.SU");

  h.port.units().config().trigger_on_signal = true;
  h.pump.hook = [&] {
    if (h.port.units().notice_held() && !w->Virtual_trigger->isHidden()) w->Virtual_trigger->click();
  };
  w->Command10->click();
  h.pump.hook = nullptr;
  EXPECT_FALSE(c->isVisible());
}

// A move of the mouse over the seismogram hands nothing to the window system:
// a shot clicked meanwhile starts after the move, never inside it.
TEST_F(Faults, AMouseMoveRunsNoShotInsideIt) {
  auto arms = [&] {
    return std::count_if(h.port.units().received.begin(), h.port.units().received.end(),
                         [](const auto& p) { return p[0] == 0x1A; });
  };
  w->item("LinVel")->setChecked(true);
  w->Ecran_MouseDown(1, 0, 5, 100);
  QMetaObject::invokeMethod(w->Command10, [this] { w->Command10->click(); }, Qt::QueuedConnection);
  w->Ecran_MouseMove(1, 0, 20, 300);
  EXPECT_EQ(arms(), 0);
  QApplication::processEvents();
  EXPECT_EQ(arms(), 1);
}
