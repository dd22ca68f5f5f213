// "Run batch" pressed again, the pick window closed and the program quit
// while the batch runs, with stand-ins for the sort, NMO and stack programs
// that write a little and then take their time. The earlier stack survives
// each time, and a file of the user's beside it is never touched. The
// windows are on a virtual X display, where the progress dialog holds them
// as it does for the user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "common/testing/testsupport.hpp"
#include "platform/qtbase/testing/window_manager.hpp"
#include "velscan/testing/synthetic_cdp.hpp"
#include "velscan/tests/velscan_fixture.hpp"
#include "velscan/window/pick_window.hpp"

namespace keld::velscan {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using keld::testing::ReadText;
using keld::testing::TempDir;
using keld::testing::WriteText;

constexpr const char* kOld = "the stack of last week";
constexpr const char* kUsers = "the user's own file";

struct MidRun : ::testing::Test {
  TempDir d;
  const std::string tools = d / "tools", data = d / "line";
  const std::string input = data + "/a.su", out = data + "/a_nmo_stack.su";
  testing::VelscanHarness h;
  QObject* timers = new QObject;

  void SetUp() override {
    fs::create_directories(tools);
    fs::create_directories(data);
    Script("SUSORT", "exec cat\n");
    Script("SUNMO", "exec cat\n");
    Script("SUSTACK", "echo started > \"$(dirname \"$0\")/started\"; printf partial; exec sleep 30\n");
    testing::SyntheticCdp s;
    s.folds = {2, 2, 2};
    WriteCdpFile(input, s);
    h.messages.answer(MsgAnswer::Yes);
    h.messages.type("101");
    h.window.Form_Load(input);
    h.state.Repertoire_SU = tools + "/";
    h.window.Save_Pick(101, 400, 1500);
    h.window.Command2->click();  // the pick window
    WriteText(out, kOld);
    WriteText(out + ".previous", kUsers);
    h.messages.clear();
  }
  void TearDown() override { delete timers; }
  PickWindow& p() { return *h.window.pick_window(); }
  void Script(const std::string& name, const std::string& body) {
    WriteText(tools + "/" + name, "#!/bin/sh\n" + body);
    fs::permissions(tools + "/" + name, fs::perms::owner_all);
  }
  // Runs `act` once from the event loop as soon as `ready` holds.
  void When(std::function<bool()> ready, std::function<void()> act) {
    auto* t = new QTimer(timers);
    t->setInterval(2);
    QObject::connect(t, &QTimer::timeout, [t, ready, act] {
      if (!ready()) return;
      t->stop();
      act();
    });
    t->start();
  }
  bool Started() const { return fs::exists(tools + "/started"); }
  void WhenStarted(std::function<void()> act) {
    When([this] { return Started(); }, act);
  }
  QProgressDialog* Progress() { return p().findChild<QProgressDialog*>("BatchProgress"); }
  // The stack program runs and the progress dialog shows, as the batch's own
  // pumping brings it up.
  void WhenProgressShown(std::function<void()> act) {
    When([this] { return Started() && Progress() && Progress()->isVisible(); }, act);
  }
  // Presses "Run batch" and says how long the handler took.
  Clock::duration Run() {
    const auto t0 = Clock::now();
    p().Command1->click();
    return Clock::now() - t0;
  }
  void Settle(const std::function<bool()>& done) {
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (!done() && Clock::now() < until) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
  }
  std::set<std::string> Names() const {
    std::set<std::string> n;
    for (const auto& e : fs::directory_iterator(data)) n.insert(e.path().filename().string());
    return n;
  }
  // The old stack back under its name, the user's file as it was, no
  // temporary of the run left beside them.
  void OldStackKept() {
    EXPECT_EQ(ReadText(out), kOld);
    EXPECT_EQ(ReadText(out + ".previous"), kUsers);
    EXPECT_EQ(Names(), (std::set<std::string>{"a.su", "NMO_and_STACK.bat", "a_nmo_stack.su",
                                              "a_nmo_stack.su.previous"}));
  }
  std::string Saved() const { return " The batch has been saved as " + data + "/NMO_and_STACK.bat"; }
};

TEST_F(MidRun, ASecondPressIsRefusedAndCancelKeepsTheOldStack) {
  const std::string line = p().RichTextBox1->toPlainText().toStdString();
  WhenProgressShown([&] {
    // Qt's show timer of the dialog ran for half a second, not its own 4 s.
    auto* shows = Progress()->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(shows);
    EXPECT_EQ(shows->interval(), 500);
    EXPECT_FALSE(p().Command1->isEnabled());
    EXPECT_FALSE(p().Command2->isEnabled());
    const auto boxes = h.messages.texts();
    p().Command1_Click();  // the double press: nothing asked, nothing written
    p().RichTextBox1->setPlainText("echo another line");
    p().Command1_Click();
    EXPECT_EQ(h.messages.texts(), boxes);
    ASSERT_TRUE(Progress()->findChild<QPushButton*>());
    Progress()->findChild<QPushButton*>()->click();  // its Cancel
  });
  EXPECT_LT(Run(), std::chrono::seconds(10));
  EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{out + " already exist, replace it ? ", Saved(),
                                                          "The batch was cancelled: " + out + " was not made"}));
  EXPECT_EQ(ReadText(data + "/NMO_and_STACK.bat"), line);
  OldStackKept();
  EXPECT_TRUE(p().Command1->isEnabled());
  EXPECT_TRUE(p().isVisible());
}

TEST_F(MidRun, ClosingThePickWindowStopsTheBatch) {
  WhenStarted([&] {
    p().close();
    EXPECT_TRUE(p().isVisible());  // held until the run has unwound
  });
  EXPECT_LT(Run(), std::chrono::seconds(10));
  Settle([&] { return !p().isVisible(); });
  EXPECT_FALSE(p().isVisible());
  EXPECT_TRUE(h.window.isVisible());
  EXPECT_EQ(h.messages.texts().back(), Saved());  // nobody left to tell
  OldStackKept();
}

TEST_F(MidRun, QuitStopsTheBatchAndClosesBothWindows) {
  WhenStarted([&] {
    h.window.close();
    EXPECT_TRUE(h.window.isVisible());
  });
  EXPECT_LT(Run(), std::chrono::seconds(10));
  Settle([&] { return !h.window.isVisible(); });
  EXPECT_FALSE(h.window.isVisible());
  EXPECT_FALSE(p().isVisible());
  OldStackKept();
}

// The close box of the pick window, or of the main window (Quit), clicked
// while the progress dialog is up: the window manager's close, which the
// dialog's modal hold keeps from the window in Qt, stops the batch all the
// same, and the window goes once the run has unwound.
struct MidRunCloseBox : MidRun, ::testing::WithParamInterface<bool> {};  // true: the main window

TEST_P(MidRunCloseBox, StopsTheBatchWhileTheProgressIsUp) {
  const bool quit = GetParam();
  QWidget* target = quit ? static_cast<QWidget*>(&h.window) : &p();
  WhenProgressShown([&] { EXPECT_TRUE(keld::testing::SendWindowManagerClose(target)); });
  Run();
  Settle([&] { return !target->isVisible(); });
  EXPECT_FALSE(p().isVisible());
  EXPECT_EQ(h.window.isVisible(), !quit);
  EXPECT_EQ(h.messages.texts().back(), Saved());  // nobody left to tell
  OldStackKept();
}

INSTANTIATE_TEST_SUITE_P(PickAndMain, MidRunCloseBox, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "MainWindow" : "PickWindow"; });

// The earlier stack is a link to a file elsewhere: a failed batch leaves the
// link, and the stack behind it as it was.
TEST_F(MidRun, AFailedBatchOverALinkKeepsTheLinkAndTheStackBehindIt) {
  Script("SUSTACK", "printf partial; exit 1\n");
  fs::create_directories(d / "stacks");
  WriteText(d / "stacks/a.su", kOld);
  fs::remove(out);
  fs::create_symlink("../stacks/a.su", out);
  Run();
  EXPECT_EQ(h.messages.last().text.rfind("The batch failed", 0), 0u) << h.messages.last().text;
  EXPECT_TRUE(fs::is_symlink(out));
  OldStackKept();
  size_t behind = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(d / "stacks")) ++behind;
  EXPECT_EQ(behind, 1u) << "something left beside the stack behind the link";
}

// The stack program waits for a go: meanwhile another file is opened in the
// main window. The run's history still belongs to the input it started on.
TEST_F(MidRun, AFileOpenedMidRunIsNotTheInputOfTheRunningBatch) {
  Script("SUSTACK", "echo started > \"$(dirname \"$0\")/started\"\n"
                    "while [ ! -f \"$(dirname \"$0\")/go\" ]; do sleep 0.02; done\nexec cat\n");
  testing::SyntheticCdp s;
  s.folds = {3, 3};
  WriteCdpFile(data + "/b.su", s);
  const std::string line = p().RichTextBox1->toPlainText().toStdString();
  WhenStarted([&] {
    h.dialogs.files.push_back(data + "/b.su");
    h.messages.answer(MsgAnswer::Yes);
    h.messages.type("101");
    h.window.Command1->click();
    EXPECT_EQ(h.state.Nom_Fichier, data + "/b.su");
    WriteText(tools + "/go", "");
  });
  Run();
  EXPECT_EQ(h.messages.last().text, out + " has been recorded with NMO and STACK data !");
  EXPECT_EQ(keld::testing::ReadBytes(out), keld::testing::ReadBytes(input));  // the stand-ins pass it on
  EXPECT_EQ(ReadText(data + "/a_nmo_stack.txt"),
            "* No history file available for " + input + " *\r\n" + line + "\r\n");
  EXPECT_EQ(ReadText(out + ".previous"), kUsers);
  EXPECT_EQ(Names(), (std::set<std::string>{"a.su", "b.su", "NMO_and_STACK.bat", "a_nmo_stack.su",
                                            "a_nmo_stack.txt", "a_nmo_stack.su.previous"}));
}

}  // namespace
}  // namespace keld::velscan
