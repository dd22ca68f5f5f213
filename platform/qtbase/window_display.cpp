#include "platform/qtbase/window_display.hpp"

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/display.hpp"

namespace keld {

std::unique_ptr<QApplication> OpenWindowDisplay(int& argc, char** argv, const char* program) {
  if (!DisplayInEnvironment()) {
    std::fprintf(stderr,
                 "%s: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set, or "
                 "QT_QPA_PLATFORM names none)\n",
                 program);
    return nullptr;
  }
  // Offscreen is tried last: a display that cannot be reached then shows as
  // offscreen below, where Qt alone would abort the program.
  const char* named = std::getenv("QT_QPA_PLATFORM");
  const std::string before = named ? named : "";
  std::string platforms = before;
  if (platforms.empty()) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    platforms = wayland && *wayland ? "wayland;xcb" : "xcb";
  }
  platforms += ";offscreen";
  qputenv("QT_QPA_PLATFORM", platforms.c_str());
  auto app = std::make_unique<QApplication>(argc, argv);
  // What the program starts later sees the environment it was given.
  if (named)
    qputenv("QT_QPA_PLATFORM", before.c_str());
  else
    qunsetenv("QT_QPA_PLATFORM");
  const QString p = QGuiApplication::platformName();
  if (p == "offscreen" || p == "minimal") {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: the display %s cannot be opened\n", program,
                 display && *display ? display : "named in the environment");
    return nullptr;
  }
  return app;
}

}  // namespace keld
