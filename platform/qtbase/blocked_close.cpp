#include "platform/qtbase/blocked_close.hpp"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include "platform/qtbase/work_guard.hpp"
#include "platform/qtbase/x11_atom.hpp"

namespace keld {

namespace {

constexpr const char* kName = "BlockedCloses";

// A run is on in `w` or in one of the windows it owns.
bool RunOnIn(const QWidget* w) {
  for (const WorkGuard* g : w->findChildren<WorkGuard*>("WorkGuard"))
    if (g->running()) return true;
  return false;
}

void CloseFromTheEventLoop(QWidget* w) {
  QPointer<QWidget> p = w;
  QTimer::singleShot(0, w, [p] {
    if (p) p->close();
  });
}

// Which windows Qt holds blocked is learnt from the WindowBlocked and
// WindowUnblocked events it sends them (an event filter of the whole
// program); the closes are seen in the X events before Qt drops them.
class BlockedCloses : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit BlockedCloses(xcb_connection_t* c)
      : QObject(QCoreApplication::instance()),
        protocols_(InternAtom(c, "WM_PROTOCOLS")),
        delete_window_(InternAtom(c, "WM_DELETE_WINDOW")) {
    setObjectName(kName);
    QCoreApplication::instance()->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t" || protocols_ == XCB_ATOM_NONE) return false;
    const auto* ev = static_cast<const xcb_generic_event_t*>(message);
    if ((ev->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* cm = static_cast<const xcb_client_message_event_t*>(message);
    if (cm->format != 32 || cm->type != protocols_ || cm->data.data32[0] != delete_window_) return false;
    QWidget* w = window(cm->window);
    if (!w) return false;
    // Decided when Qt would deliver the close, not when it is read from the
    // display: a click read just before it may open a modal box first, under
    // which Qt would drop the close.
    QPointer<QWidget> p = w;
    QTimer::singleShot(0, w, [this, p] {
      if (!p) return;
      if (!blocked_.contains(p) || RunOnIn(p))
        p->close();  // a guard with a run on refuses it, stops the run and closes after
      else if (!close_after_.contains(p))
        close_after_.append(p);
    });
    return true;
  }

  bool eventFilter(QObject* o, QEvent* e) override {
    const bool blocks = e->type() == QEvent::WindowBlocked;
    if (!blocks && e->type() != QEvent::WindowUnblocked) return false;
    if (!o->isWidgetType() || !static_cast<QWidget*>(o)->isWindow()) return false;
    auto* w = static_cast<QWidget*>(o);
    blocked_.removeAll(nullptr);
    close_after_.removeAll(nullptr);
    if (blocks) {
      if (!blocked_.contains(w)) blocked_.append(w);
    } else {
      blocked_.removeAll(w);
      if (close_after_.removeAll(w) > 0) CloseFromTheEventLoop(w);
    }
    return false;
  }

 private:
  // The program's top-level window that `id` names.
  static QWidget* window(xcb_window_t id) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->testAttribute(Qt::WA_WState_Created) && w->internalWinId() == id) return w;
    return nullptr;
  }

  xcb_atom_t protocols_, delete_window_;
  QList<QPointer<QWidget>> blocked_;
  QList<QPointer<QWidget>> close_after_;  // closed once no longer blocked
};

}  // namespace

void KeepBlockedCloses() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app || app->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly)) return;
  auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  new BlockedCloses(x11->connection());
}

}  // namespace keld
