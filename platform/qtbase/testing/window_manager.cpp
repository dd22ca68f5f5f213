#include "platform/qtbase/testing/window_manager.hpp"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPoint>
#include <QWidget>

#include "common/testing/wait_until.hpp"
#include "platform/qtbase/x11_atom.hpp"

namespace keld::testing {

namespace {

xcb_connection_t* WindowManager() {
  static xcb_connection_t* const c = xcb_connect(nullptr, nullptr);
  return c;
}

// Sees the message arrive; installed last, so it is asked before any filter
// of the program's own.
struct Arrival : QAbstractNativeEventFilter {
  explicit Arrival(const xcb_client_message_event_t& m) : sent(m) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
    const auto* ev = static_cast<const xcb_client_message_event_t*>(message);
    if ((ev->response_type & 0x7f) == XCB_CLIENT_MESSAGE && ev->window == sent.window && ev->type == sent.type &&
        ev->data.data32[0] == sent.data.data32[0])
      seen = true;
    return false;
  }
  const xcb_client_message_event_t sent;
  bool seen = false;
};

// A press or release of the left button at `at` (in `window`'s coordinates).
void SendButton(xcb_connection_t* c, xcb_window_t window, uint8_t type, QPoint at) {
  xcb_button_press_event_t e{};
  e.response_type = type;
  e.detail = 1;
  e.event = window;
  e.root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  e.event_x = e.root_x = static_cast<int16_t>(at.x());
  e.event_y = e.root_y = static_cast<int16_t>(at.y());
  e.same_screen = 1;
  e.state = type == XCB_BUTTON_RELEASE ? XCB_BUTTON_MASK_1 : 0;
  xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
}

}  // namespace

bool SendWindowManagerClose(QWidget* window, QWidget* click_first) {
  xcb_connection_t* c = WindowManager();
  if (xcb_connection_has_error(c)) return false;
  xcb_client_message_event_t m{};
  m.response_type = XCB_CLIENT_MESSAGE;
  m.format = 32;
  m.window = static_cast<xcb_window_t>(window->winId());
  m.type = InternAtom(c, "WM_PROTOCOLS");
  m.data.data32[0] = InternAtom(c, "WM_DELETE_WINDOW");
  m.data.data32[1] = XCB_CURRENT_TIME;
  Arrival arrival(m);
  if (click_first) {
    const QPoint at = click_first->mapTo(window, click_first->rect().center());
    SendButton(c, m.window, XCB_BUTTON_PRESS, at);
    SendButton(c, m.window, XCB_BUTTON_RELEASE, at);
  }
  xcb_send_event(c, 0, m.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
  xcb_flush(c);
  if (!WaitUntil([&] {
        QCoreApplication::processEvents();
        return arrival.seen;
      }))
    return false;
  // The window-system events it gave are delivered in the next pass.
  QCoreApplication::processEvents();
  return true;
}

}  // namespace keld::testing
