// The port dialog, driven by its control names, over the in-process units.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "boardlink/tests/link_expect.hpp"
#include "boardlink/window/rs232.hpp"
#include "boardsim/sim_port.hpp"

using namespace keld;
using namespace keld::board;

namespace {

struct DialogRig {
  explicit DialogRig(LinkConfig cfg = {}, Rs232Options opt = {}, std::set<int> openable = {1, 3, 5, 128},
                     std::set<int> refused = {5})
      : port(make_port(std::move(openable), std::move(refused))),
        link(port, pump, stop, cfg),
        dialog(link, messages, [this] { ++enabled; }, opt) {
    dialog.show();
  }
  static sim::SimPort make_port(std::set<int> openable, std::set<int> refused) {
    sim::SimPort p;
    p.openable = std::move(openable);
    p.refuse_baud_ports = std::move(refused);
    return p;
  }
  QLineEdit* text() { return dialog.findChild<QLineEdit*>("Text1"); }
  QLabel* label(const char* name) { return dialog.findChild<QLabel*>(name); }
  void type_and_continue(const QString& t) {
    text()->setText(t);
    QTest::mouseClick(dialog.findChild<QPushButton*>("Command1"), Qt::LeftButton);
  }

  board::testing::ScriptedPump pump;
  int16_t stop = 0;
  sim::SimPort port;
  BoardLink link;
  MessageRecorder messages;
  int enabled = 0;
  Rs232 dialog;
};

int SelectPackets(const sim::Units& u) {
  int n = 0;
  for (const auto& p : u.received) n += p[0] == 0xC0;
  return n;
}

}  // namespace

TEST(Rs232, CaptionLabelsAndTheListOfPortsThatOpen) {
  DialogRig r;
  EXPECT_EQ(r.dialog.windowTitle(), "USB/RS232");
  EXPECT_EQ(r.dialog.objectName(), "Rs232");
  ASSERT_NE(r.label("Label1"), nullptr);
  EXPECT_EQ(r.label("Label1")->text(), " COM1 COM3 COM5") << "ports 1 to 16 that open and close";
  EXPECT_EQ(r.label("Label2")->text(), "USB/Serial Port");
  EXPECT_EQ(r.label("Label3")->text(), "Existing Serial Ports:");
  ASSERT_NE(r.text(), nullptr);
  EXPECT_TRUE(r.text()->text().isEmpty());
  EXPECT_EQ(r.dialog.findChild<QPushButton*>("Command1")->text(), "Continue");
  EXPECT_FALSE(r.port.is_open()) << "the probe closes every port it opened";
  EXPECT_TRUE(r.dialog.isModal());
}

TEST(Rs232, Text1TakesOnlyDigitsAndTheColon) {
  DialogRig r;
  r.text()->setFocus();
  QTest::keyClicks(r.text(), "a1b2:3.-x9 ");
  EXPECT_EQ(r.text()->text(), "12:39");
  QTest::keyClick(r.text(), Qt::Key_Backspace);
  EXPECT_EQ(r.text()->text(), "12:39") << "Backspace is dropped too";
  QTest::keyClick(r.text(), Qt::Key_Return);
  QTest::keyClick(r.text(), Qt::Key_Enter);
  EXPECT_TRUE(r.dialog.isVisible()) << "Enter is dropped, it does not press Continue";
  EXPECT_FALSE(r.port.is_open());
  EXPECT_EQ(r.dialog.Text1_KeyPress('0'), '0');
  EXPECT_EQ(r.dialog.Text1_KeyPress(':'), ':');
  EXPECT_EQ(r.dialog.Text1_KeyPress('/'), 0);
  EXPECT_EQ(r.dialog.Text1_KeyPress(';'), 0);
  EXPECT_EQ(r.dialog.Text1_KeyPress(8), 0);
  EXPECT_EQ(r.dialog.Text1_KeyPress(13), 0);
}

TEST(Rs232, NumbersOutsideOneTo128DoNothing) {
  DialogRig r;
  for (const char* t : {"0", "129", "", ":", "0:5"}) {
    r.type_and_continue(t);
    EXPECT_TRUE(r.dialog.isVisible()) << t;
    EXPECT_TRUE(r.messages.shown.empty()) << t;
    EXPECT_FALSE(r.port.is_open()) << t;
    EXPECT_EQ(r.enabled, 0) << t;
  }
}

TEST(Rs232, APortThatDoesNotOpenSaysSoAndStays) {
  DialogRig r;
  r.type_and_continue("2");
  EXPECT_TRUE(r.dialog.isVisible());
  ASSERT_EQ(r.messages.shown.size(), 1u);
  EXPECT_NE(r.messages.last().text.find("Port 2"), std::string::npos) << r.messages.last().text;
  EXPECT_EQ(r.messages.last().icon, MsgIcon::Critical);
  EXPECT_EQ(r.messages.last().title, "KORVAN QMR650B");
  EXPECT_EQ(r.enabled, 0);
  EXPECT_EQ(SelectPackets(r.port.units()), 0);
  // Another choice then works.
  r.type_and_continue("3");
  EXPECT_FALSE(r.dialog.isVisible());
  EXPECT_EQ(r.enabled, 1);
}

TEST(Rs232, ARefusedRateSaysSoAndStays) {
  DialogRig r;
  r.type_and_continue("5");
  EXPECT_TRUE(r.dialog.isVisible());
  ASSERT_EQ(r.messages.shown.size(), 1u);
  EXPECT_EQ(r.messages.last().text, "This baude rate is Impossible ");
  EXPECT_EQ(r.messages.last().icon, MsgIcon::None);
  EXPECT_EQ(r.messages.last().buttons, MsgButtons::Ok);
  EXPECT_EQ(r.messages.last().title, "");
  EXPECT_EQ(r.enabled, 0);
  EXPECT_FALSE(r.port.is_open());
}

TEST(Rs232, AGoodPortEnablesTheButtonsSelectsTheUnitAndCloses) {
  DialogRig r;
  r.type_and_continue("3");
  EXPECT_TRUE(r.messages.shown.empty());
  EXPECT_EQ(r.enabled, 1);
  EXPECT_FALSE(r.dialog.isVisible());
  EXPECT_EQ(r.dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(r.port.is_open());
  EXPECT_EQ(r.port.port_number(), 3);
  EXPECT_EQ(r.port.baud(), 3000000);
  EXPECT_EQ(SelectPackets(r.port.units()), 1);
}

TEST(Rs232, Port128AndRoundedNumbers) {
  {
    DialogRig r;
    r.type_and_continue("128");
    EXPECT_EQ(r.port.port_number(), 128);
    EXPECT_EQ(r.enabled, 1);
  }
  {
    DialogRig r;
    r.type_and_continue("3:9");  // the number ends at the colon
    EXPECT_EQ(r.port.port_number(), 3);
  }
}

TEST(Rs232, BoardtestIsNotModalAndSendsNoSelection) {
  Rs232Options opt;
  opt.modal = false;
  DialogRig r(LinkConfig::Boardtest(), opt);
  EXPECT_FALSE(r.dialog.isModal());
  r.type_and_continue("1");
  EXPECT_EQ(r.enabled, 1);
  EXPECT_FALSE(r.dialog.isVisible());
  EXPECT_EQ(SelectPackets(r.port.units()), 0);
  EXPECT_EQ(r.port.input_buffer_size(), 30000);
}

TEST(Rs232, Picture) {
  DialogRig r;
  r.text()->setText("3");
  const char* out = std::getenv("KELD_SHOT_DIR");
  const QString path = QString(out ? out : "/tmp") + "/rs232.png";
  EXPECT_TRUE(r.dialog.grab().save(path));
}
