#pragma once
// What a window manager does to this program's windows, for tests on a
// virtual X display (x11_test_app).
class QWidget;

namespace keld::testing {

// The close box of `window` clicked: the WM_PROTOCOLS client message naming
// WM_DELETE_WINDOW, sent from an X connection of its own as a window manager
// sends it. Returns once this program has taken the message from the display
// and handed on what it made of it; false when it never came.
// With `click_first`, a left click at its middle goes on the display just
// before the message, so that the program reads both in one pass.
bool SendWindowManagerClose(QWidget* window, QWidget* click_first = nullptr);

}  // namespace keld::testing
