// The close box of a guarded window clicked while a message box is up, on a
// real X display: Qt drops that close; the window gets it all the same.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

#include "common/testing/wait_until.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/testing/window_manager.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld {
namespace {

using keld::testing::WaitUntil;

bool Pumped(const std::function<bool()>& done) {
  return WaitUntil([&] {
    QApplication::processEvents();
    return done();
  });
}

// A box of the window's handler, shown inside a run or with none on: the
// close box is clicked while the box is up, and the box is answered once
// that close has been taken up. The window stays until the box is gone (and
// the run has unwound), and then goes.
TEST(BlockedClose, TheCloseBoxUnderAMessageBoxClosesTheWindowOnceTheBoxIsGone) {
  for (const bool in_run : {true, false}) {
    SCOPED_TRACE(in_run ? "inside a run" : "no run on");
    QPointer<QWidget> w = new QWidget;
    auto* guard = new WorkGuard(w);
    w->show();
    ASSERT_TRUE(Pumped([&] { return w->isVisible() && w->windowHandle()->isExposed(); }));
    QtMessageBoxes msg(w);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      answer.stop();
      EXPECT_TRUE(keld::testing::SendWindowManagerClose(w));
      if (in_run) {
        EXPECT_TRUE(Pumped([&] { return guard->stopped(); }));  // the run is told at once
      }
      EXPECT_TRUE(w->isVisible());
      box->button(QMessageBox::Ok)->click();
    });
    answer.start(5);
    bool stopped = false;
    {
      const std::unique_ptr<WorkRun> run = in_run ? guard->begin() : nullptr;
      msg.ok("The conversion is done", MsgIcon::Information, "Conversion");
      stopped = run && run->stopped();
      EXPECT_TRUE(w->isVisible());  // nothing closes under the handler
    }
    EXPECT_EQ(stopped, in_run);
    EXPECT_TRUE(Pumped([&] { return !w->isVisible(); }));
    delete w.data();
  }
}

// A click on a button whose handler asks a question inside a run, and the
// close box clicked right behind it: both are read from the display in one
// pass, and the close reaches Qt only under the box. The run is told to stop
// while the box is up, and the window goes once it is answered.
TEST(BlockedClose, TheCloseBoxRightBehindAClickThatOpensABoxStopsTheRun) {
  QPointer<QWidget> w = new QWidget;
  w->resize(200, 100);
  auto* go = new QPushButton("go", w);
  go->setGeometry(10, 10, 100, 40);
  auto* guard = new WorkGuard(w);
  QtMessageBoxes msg(w);
  bool asked = false, stopped = false;
  QObject::connect(go, &QPushButton::clicked, [&] {
    const auto run = guard->begin();
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      answer.stop();
      asked = true;
      stopped = Pumped([&] { return guard->stopped(); });
      box->button(QMessageBox::Ok)->click();
    });
    answer.start(5);
    msg.ok("Replace it?", MsgIcon::Question, "Conversion");
  });
  w->show();
  ASSERT_TRUE(Pumped([&] { return w->isVisible() && w->windowHandle()->isExposed(); }));
  EXPECT_TRUE(keld::testing::SendWindowManagerClose(w, go));
  EXPECT_TRUE(Pumped([&] { return asked && !w->isVisible(); }));
  EXPECT_TRUE(stopped);
  delete w.data();
}

}  // namespace
}  // namespace keld
