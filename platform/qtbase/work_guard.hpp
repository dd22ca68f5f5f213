#pragma once
// WorkGuard: how a window that runs work inside a button's handler survives
// being closed, and a second press of any button, while the work runs.
//
// The windows run their work on the window thread and hand control back to
// the window system between steps (an EventPump, or a message box). Whatever
// the user does meanwhile runs inside that handler: a second press, the close
// box, Quit. One guard per window makes that safe:
//
//  * while a run is on, the controls given to the guard are disabled, and
//    begin() refuses a second run (a handler called twice does nothing);
//  * a close of the window (its close box, a Cancel or Exit button that calls
//    close(), Quit through CloseProgramWindows) is refused while the run is
//    on: the run is told to stop, and the window closes itself once the
//    handler has unwound; the close box does so also while a modal dialog
//    of the run is up, where Qt itself drops it (blocked_close.hpp);
//  * the window is not deleted while a run is on: a deleteLater() that
//    arrives meanwhile is held back until the run has ended, so the handler
//    may go on using its members after every pump (a QPointer alone would
//    not do, since the handler keeps using `this`);
//  * files the run registers as temporary are removed when the run ends,
//    whatever happened: a stopped or failed run leaves no partial output.
//
// How a window uses it:
//
//   // constructor: the controls that start or change work, and (optional)
//   // a button that stops a run (enabled only while one is on)
//   work_ = new WorkGuard(this, {Command1, Command2, Command4});
//   work_->stop_button(Command6);
//
//   void MyWindow::Command2_Click() {
//     auto run = work_->begin();        // first thing of the handler
//     if (!run) return;                 // a run is on already
//     auto part = run->temporary_beside(output);  // made now, removed at the end
//     if (!part) { ...; return; }
//     BatchWait w;
//     w.cancelled = run->stop_check();  // the child is ended and waited for
//     RunBatch(..., w);
//     for (...) { step(); if (!run->keep_going(pump)) return; }  // in-process work
//     if (run->stopped()) return;       // closed, Quit or Cancel: nothing more
//     MoveFileOver(*part, output);
//     msg.ok("Conversion OK", ...);     // boxes too are shown inside the run
//     run->close_window_after();        // a conversion that closes its window
//   }  // the run ends: controls back, temporaries removed, a refused close done
//
// Keep the run until the handler returns and do nothing after it ends: only
// then may a refused close be carried out. The window is best made with
// Qt::WA_DeleteOnClose or owned by a parent; the guard is its child.
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "common/result.hpp"
#include "platform/pump.hpp"

class QWidget;
class QAbstractButton;

namespace keld {

class WorkGuard;

// One run of work, from begin() to the end of the handler.
class WorkRun {
 public:
  ~WorkRun();
  WorkRun(const WorkRun&) = delete;
  WorkRun& operator=(const WorkRun&) = delete;

  // True once the run was asked to stop: by a refused close, by Quit, or by
  // the guard's stop() (a Cancel button).
  bool stopped() const;
  // True when the stop came from a close of the window (or Quit): the window
  // goes when the run ends, so there is nobody to tell.
  bool closing() const;
  // stopped() as a callable, for the waits that poll for a cancel.
  std::function<bool()> stop_check() const;
  // Asks this run to stop, as the guard's stop() does (a window that shows
  // the run's work was closed).
  void stop();
  // For a loop that does its work in steps: hands control back to the
  // window system (at most every few milliseconds, so it may be called as
  // often as wanted) and says whether the run may go on.
  bool keep_going(EventPump& pump);

  // A file this run made (or is about to make) that must not outlive it: a
  // temporary, or an output not yet complete. Removed when the run ends if
  // it still exists, or by the program's SIGTERM/SIGINT/SIGHUP handler; a
  // file that took its final name meanwhile is gone from this name already.
  void temporary(const std::string& path);
  // A new empty file beside `target` ("." + its name + a unique ending),
  // registered as temporary: the run writes there and moves it over the
  // target only when the work is whole.
  Result<std::string> temporary_beside(const std::string& target);
  // Removes the temporaries now (before the end of the run).
  void remove_temporaries();

  // The window closes once the run has ended (a successful conversion that
  // closes its window).
  void close_window_after();
  // The state a guarded control takes when the run ends, in place of the one
  // it had before (a test run that enables Convert).
  void set_enabled_after(QWidget* control, bool enabled);
  // A control held disabled for this run only (what one kind of run must not
  // let change and another may), given back as it was when the run ends.
  void disable(QWidget* control);

 private:
  friend class WorkGuard;
  explicit WorkRun(WorkGuard* guard);
  QPointer<WorkGuard> guard_;
  std::vector<std::string> temporaries_;
  std::vector<std::pair<QPointer<QWidget>, bool>> enabled_after_;
  bool close_after_ = false;
  MonoClock::time_point last_pump_{};
};

class WorkGuard : public QObject {
  Q_OBJECT
 public:
  // `window`: the window whose handlers run the work (the guard becomes its
  // child); `controls`: what starts or changes work.
  WorkGuard(QWidget* window, std::initializer_list<QWidget*> controls = {});
  ~WorkGuard() override;

  void guard(QWidget* control);
  // A button that stops the run: enabled only while one is on.
  void stop_button(QAbstractButton* button);

  // Starts a run; nullptr when one is on already.
  std::unique_ptr<WorkRun> begin();
  bool running() const { return running_; }
  // Asks the run that is on to stop (nothing when none is).
  void stop();
  // True once the run that is on was asked to stop.
  bool stopped() const { return running_ && stop_; }

  QWidget* window() const { return window_; }

 signals:
  // A run has ended (its controls are back, its temporaries removed).
  void finished();
  // The run that is on was asked to stop (once a run): for work that waits
  // on a stop flag of its own rather than on stop_check().
  void stopping();

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  friend class WorkRun;
  void end(WorkRun& run);
  void hold(QWidget* control);
  void ask_stop();

  QWidget* window_;
  std::vector<QPointer<QWidget>> controls_;
  std::vector<QPointer<QAbstractButton>> stop_buttons_;
  std::vector<std::pair<QPointer<QWidget>, bool>> was_enabled_;
  bool running_ = false;
  bool stop_ = false;
  bool close_pending_ = false;
  bool delete_pending_ = false;
};

// Quit of a program: asks every other visible top-level window to close (a
// window with a run on stops it and goes once it has unwound). True when
// none is left; otherwise `main` is closed again, by itself, as soon as the
// last of them has gone, so its close event should be refused meanwhile.
bool CloseProgramWindows(QWidget* main);

}  // namespace keld
