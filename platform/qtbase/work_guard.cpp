#include "platform/qtbase/work_guard.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

#include <filesystem>

#include "common/files.hpp"
#include "platform/qtbase/blocked_close.hpp"
#include "platform/temporaries.hpp"

namespace keld {

namespace fs = std::filesystem;

namespace {
// Between two passes of keep_going's pump: short enough for the window to
// answer at once, long enough for a tight loop to cost nothing.
constexpr auto kPumpEvery = std::chrono::milliseconds(10);
}  // namespace

// ---------------------------------------------------------------- WorkRun

WorkRun::WorkRun(WorkGuard* guard) : guard_(guard) {}

WorkRun::~WorkRun() {
  remove_temporaries();
  if (guard_) guard_->end(*this);
}

bool WorkRun::stopped() const { return !guard_ || guard_->stop_; }

bool WorkRun::closing() const { return !guard_ || guard_->close_pending_ || guard_->delete_pending_; }

std::function<bool()> WorkRun::stop_check() const {
  return [this] { return stopped(); };
}

void WorkRun::stop() {
  if (guard_) guard_->stop();
}

bool WorkRun::keep_going(EventPump& pump) {
  const auto now = MonoClock::now();
  if (now - last_pump_ >= kPumpEvery) {
    pump.pump();
    last_pump_ = MonoClock::now();
  }
  return !stopped();
}

void WorkRun::temporary(const std::string& path) {
  if (path.empty()) return;
  temporaries_.push_back(path);
  RegisterTemporary(path);  // a killed program removes it too
}

Result<std::string> WorkRun::temporary_beside(const std::string& target) {
  auto made = CreateFileBeside(target);
  if (made) temporaries_.push_back(*made);
  return made;
}

void WorkRun::remove_temporaries() {
  for (const auto& p : temporaries_) RemoveTemporary(p);
  temporaries_.clear();
}

void WorkRun::close_window_after() { close_after_ = true; }

void WorkRun::set_enabled_after(QWidget* control, bool enabled) { enabled_after_.emplace_back(control, enabled); }

void WorkRun::disable(QWidget* control) {
  if (guard_) guard_->hold(control);
}

// ---------------------------------------------------------------- WorkGuard

WorkGuard::WorkGuard(QWidget* window, std::initializer_list<QWidget*> controls)
    : QObject(window), window_(window) {
  setObjectName("WorkGuard");
  for (QWidget* c : controls) guard(c);
  window_->installEventFilter(this);
  // A close box clicked while a modal dialog of the run is up reaches the
  // window too (Qt itself drops it).
  KeepBlockedCloses();
}

void WorkGuard::hold(QWidget* control) {
  if (!control || !running_) return;
  for (const auto& [c, on] : was_enabled_)
    if (c == control) return;
  was_enabled_.emplace_back(control, !control->testAttribute(Qt::WA_ForceDisabled));
  control->setEnabled(false);
}

WorkGuard::~WorkGuard() = default;

void WorkGuard::guard(QWidget* control) {
  if (control) controls_.emplace_back(control);
}

void WorkGuard::stop_button(QAbstractButton* button) {
  if (!button) return;
  stop_buttons_.emplace_back(button);
  button->setEnabled(running_);
  connect(button, &QAbstractButton::clicked, this, [this] { stop(); });
}

std::unique_ptr<WorkRun> WorkGuard::begin() {
  if (running_) return nullptr;
  running_ = true;
  stop_ = false;
  was_enabled_.clear();
  for (const auto& c : controls_) {
    if (!c) continue;
    // What the control's own setting was, whatever its parents say.
    was_enabled_.emplace_back(c, !c->testAttribute(Qt::WA_ForceDisabled));
    c->setEnabled(false);
  }
  for (const auto& b : stop_buttons_)
    if (b) b->setEnabled(true);
  return std::unique_ptr<WorkRun>(new WorkRun(this));
}

void WorkGuard::stop() {
  if (running_) ask_stop();
}

void WorkGuard::ask_stop() {
  if (stop_) return;
  stop_ = true;
  emit stopping();
}

void WorkGuard::end(WorkRun& run) {
  running_ = false;
  for (auto& [c, on] : was_enabled_) {
    if (!c) continue;
    bool state = on;
    for (const auto& [w, after] : run.enabled_after_)
      if (w == c) state = after;
    c->setEnabled(state);
  }
  was_enabled_.clear();
  for (const auto& b : stop_buttons_)
    if (b) b->setEnabled(false);
  const bool close = close_pending_ || run.close_after_;
  const bool drop = delete_pending_;
  close_pending_ = delete_pending_ = false;
  emit finished();
  // Carried out from the event loop, once the handler that ran the work has
  // returned: nothing of it is left on the stack to touch the window.
  QPointer<QWidget> w = window_;
  if (drop) {
    // Qt takes no second deleteLater() for an object whose first was held
    // back: the window is deleted from the event loop instead.
    QTimer::singleShot(0, [w] { delete w.data(); });
  } else if (close) {
    QTimer::singleShot(0, window_, [w] {
      if (w) w->close();
    });
  }
}

bool WorkGuard::eventFilter(QObject* obj, QEvent* ev) {
  if (obj != window_ || !running_) return QObject::eventFilter(obj, ev);
  if (ev->type() == QEvent::Close) {
    // Refused for now: the run stops and the window closes once it has unwound.
    ev->ignore();
    close_pending_ = true;
    ask_stop();
    return true;
  }
  if (ev->type() == QEvent::DeferredDelete) {
    delete_pending_ = true;
    ask_stop();
    return true;
  }
  return QObject::eventFilter(obj, ev);
}

// ---------------------------------------------------------------- Quit

namespace {

// The windows that keep a program alive besides `main`: the visible ones and
// any that still runs work.
QList<QPointer<QWidget>> OtherWindows(QWidget* main) {
  QList<QPointer<QWidget>> left;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == main || !w->isWindow()) continue;
    auto* g = w->findChild<WorkGuard*>("WorkGuard", Qt::FindDirectChildrenOnly);
    if (w->isVisible() || (g && g->running())) left.append(w);
  }
  return left;
}

}  // namespace

bool CloseProgramWindows(QWidget* main) {
  for (const QPointer<QWidget>& w : OtherWindows(main))
    if (w) w->close();
  if (OtherWindows(main).isEmpty()) return true;
  if (!main->findChild<QTimer*>("QuitWhenAlone", Qt::FindDirectChildrenOnly)) {
    auto* t = new QTimer(main);
    t->setObjectName("QuitWhenAlone");
    t->setInterval(20);
    QObject::connect(t, &QTimer::timeout, main, [main, t] {
      if (!OtherWindows(main).isEmpty()) return;
      t->stop();
      t->deleteLater();
      main->close();
    });
    t->start();
  }
  return false;
}

}  // namespace keld
