// The guard of a window that runs work: controls off during a run, a close
// refused and carried out after it, no deletion under a handler, temporaries
// removed, Quit waiting for every run to unwind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <filesystem>

#include "common/testing/testsupport.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/qtbase/work_guard.hpp"

namespace keld {
namespace {

namespace fs = std::filesystem;

// A window with a Convert button, a Select button that starts disabled, and
// a Cancel button that stops the run.
struct Window {
  Window() {
    w = new QWidget(nullptr, Qt::Window);
    w->setAttribute(Qt::WA_DeleteOnClose);
    convert = new QPushButton("Convert", w);
    select = new QPushButton("Select", w);
    select->setEnabled(false);
    cancel = new QPushButton("Cancel", w);
    guard = new WorkGuard(w, {convert, select});
    guard->stop_button(cancel);
    w->show();
  }
  ~Window() { delete w.data(); }
  QPointer<QWidget> w;
  QPushButton *convert, *select, *cancel;
  WorkGuard* guard;
};

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST(WorkGuard, ControlsAreOffDuringARunAndASecondRunIsRefused) {
  Window x;
  EXPECT_FALSE(x.cancel->isEnabled());
  {
    auto run = x.guard->begin();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(x.guard->begin(), nullptr);
    EXPECT_FALSE(x.convert->isEnabled());
    EXPECT_TRUE(x.cancel->isEnabled());
    x.cancel->click();
    EXPECT_TRUE(run->stopped());
    EXPECT_FALSE(run->closing());
  }
  EXPECT_TRUE(x.convert->isEnabled());
  EXPECT_FALSE(x.select->isEnabled());  // as it was before the run
  EXPECT_FALSE(x.cancel->isEnabled());
  {
    auto run = x.guard->begin();
    EXPECT_FALSE(run->stopped());  // a new run starts afresh
    run->set_enabled_after(x.select, true);
  }
  EXPECT_TRUE(x.select->isEnabled());
}

TEST(WorkGuard, ACloseDuringARunWaitsForItAndItsTemporariesGo) {
  keld::testing::TempDir dir;
  const std::string target = dir.path() + "/out.su", old = "the old file";
  keld::testing::WriteText(target, old);
  Window x;
  std::string part;
  {
    auto run = x.guard->begin();
    auto p = run->temporary_beside(target);
    ASSERT_TRUE(p) << p.error();
    part = *p;
    EXPECT_EQ(fs::path(part).parent_path(), fs::path(target).parent_path());
    EXPECT_TRUE(fs::exists(part));
    EXPECT_NE(part, *run->temporary_beside(target));  // each one new
    keld::testing::WriteText(part, "half");
    EXPECT_FALSE(x.w->close());  // refused while the run is on
    EXPECT_TRUE(x.w->isVisible());
    EXPECT_TRUE(run->stopped());
    EXPECT_TRUE(run->closing());
    Settle();
    EXPECT_FALSE(x.w.isNull());  // still there under the handler
  }
  EXPECT_FALSE(fs::exists(part));
  EXPECT_EQ(keld::testing::ReadText(target), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  Settle();
  EXPECT_TRUE(x.w.isNull());  // closed, then deleted, once the run had ended
}

TEST(WorkGuard, NoDeletionUnderARunAndAFinishedRunMayCloseItsWindow) {
  Window x;
  {
    auto run = x.guard->begin();
    x.w->deleteLater();
    Settle();
    ASSERT_FALSE(x.w.isNull());
    EXPECT_TRUE(run->stopped());
    x.convert->setText("still usable");
  }
  Settle();
  EXPECT_TRUE(x.w.isNull());

  Window y;
  {
    auto run = y.guard->begin();
    run->close_window_after();
  }
  EXPECT_TRUE(y.w->isVisible());  // not under the handler's feet
  Settle();
  EXPECT_TRUE(y.w.isNull());
}

TEST(WorkGuard, AHandlerThatPumpsSurvivesItsWindowClosedMidRun) {
  // The handler runs in steps; a close and a second press arrive from the
  // event loop in the middle. It goes on using the window to its end.
  Window x;
  QtEventPump pump;
  int steps = 0, runs = 0;
  bool ended = false;
  QObject::connect(x.convert, &QPushButton::clicked, x.w, [&] {
    auto run = x.guard->begin();
    if (!run) return;
    ++runs;
    while (run->keep_going(pump)) {
      ++steps;
      x.convert->setText(QString::number(steps));
      if (steps == 3) QTimer::singleShot(0, [&] {
          x.convert->click();
          x.guard->begin();  // refused: nothing happens
          QMetaObject::invokeMethod(x.convert, "clicked");
          x.w->close();
        });
    }
    x.convert->setText("done");
    ended = true;
  });
  x.convert->click();
  EXPECT_TRUE(ended);
  EXPECT_EQ(runs, 1);
  EXPECT_GE(steps, 3);
  Settle();
  EXPECT_TRUE(x.w.isNull());
}

// A main window whose close is Quit.
struct MainWindow : QWidget {
  void closeEvent(QCloseEvent* e) override {
    if (!CloseProgramWindows(this)) e->ignore();
  }
};

TEST(WorkGuard, QuitClosesEveryWindowOnceTheirRunsHaveEnded) {
  MainWindow main;
  main.show();
  Window a, b;
  auto run = a.guard->begin();
  EXPECT_FALSE(main.close());
  Settle();
  EXPECT_TRUE(b.w.isNull());  // b had nothing running
  EXPECT_TRUE(a.w->isVisible());
  EXPECT_TRUE(run->stopped());
  EXPECT_TRUE(main.isVisible());  // waits for a's run
  run.reset();
  for (int i = 0; i < 200 && main.isVisible(); ++i) {
    Settle();
    QTimer t;
    t.start(5);
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  EXPECT_TRUE(a.w.isNull());
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(CloseProgramWindows(&main));
}

}  // namespace
}  // namespace keld
