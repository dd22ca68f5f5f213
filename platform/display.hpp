#pragma once
// Whether a program started for its window has a display to show it on, as
// the environment tells before any window system is started.
namespace keld {

// A platform named in QT_QPA_PLATFORM (one name or a list split by ";")
// decides: offscreen and minimal show nothing, xcb needs DISPLAY, wayland
// needs WAYLAND_DISPLAY, any other (a frame buffer, VNC) shows. With none
// named, DISPLAY or WAYLAND_DISPLAY must be set.
bool DisplayInEnvironment();

}  // namespace keld
