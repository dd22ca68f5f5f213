// The port dialog with the Qt serial port, port 1 pointed at the simulator.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "boardlink/qt/qt_serial_port.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "boardlink/window/rs232.hpp"
#include "boardsim/testing/sim_process.hpp"
#include "common/testing/testsupport.hpp"

using namespace keld;
using namespace keld::board;
using keld::testing::ScopedEnv;
using keld::testing::TempDir;

namespace {

struct PtyDialogRig {
  PtyDialogRig()
      : sim(keld::testing::BinDir() + "/boardsim", {"--link", dir / "com1"}),
        com1("KELD_COM1", dir / "com1"),
        com2("KELD_COM2", dir / "no-such-device"),
        link(port, pump, stop),
        dialog(link, messages, [this] { ++enabled; }) {
    dialog.show();
  }
  void type_and_continue(const QString& t) {
    dialog.findChild<QLineEdit*>("Text1")->setText(t);
    QTest::mouseClick(dialog.findChild<QPushButton*>("Command1"), Qt::LeftButton);
  }
  TempDir dir;
  sim::SimProcess sim;
  ScopedEnv com1, com2;
  QtEventPump pump;
  int16_t stop = 0;
  QtSerialPort port;
  BoardLink link;
  MessageRecorder messages;
  int enabled = 0;
  Rs232 dialog;
};

}  // namespace

TEST(PtyRs232, TheSimulatorIsListedAndAGoodPortCloses) {
  PtyDialogRig r;
  ASSERT_TRUE(r.sim.started()) << r.sim.error();
  const QString list = r.dialog.findChild<QLabel*>("Label1")->text();
  EXPECT_TRUE(list.startsWith(" COM1")) << list.toStdString();
  EXPECT_FALSE(list.contains("COM2 ")) << list.toStdString();
  r.type_and_continue("1");
  EXPECT_TRUE(r.messages.shown.empty()) << r.messages.last().text;
  EXPECT_EQ(r.enabled, 1);
  EXPECT_FALSE(r.dialog.isVisible());
  EXPECT_TRUE(r.port.is_open());
  EXPECT_EQ(r.port.device_baud_rate(), 3000000);
}

TEST(PtyRs232, APortThatFailsKeepsTheDialogWithAMessage) {
  PtyDialogRig r;
  ASSERT_TRUE(r.sim.started()) << r.sim.error();
  r.type_and_continue("2");
  EXPECT_TRUE(r.dialog.isVisible());
  ASSERT_EQ(r.messages.shown.size(), 1u);
  const std::string& m = r.messages.last().text;
  EXPECT_NE(m.find("Port 2"), std::string::npos) << m;
  EXPECT_NE(m.find(r.dir / "no-such-device"), std::string::npos) << m;
  EXPECT_EQ(r.enabled, 0);
  r.type_and_continue("1");
  EXPECT_EQ(r.enabled, 1);
  EXPECT_FALSE(r.dialog.isVisible());
}
