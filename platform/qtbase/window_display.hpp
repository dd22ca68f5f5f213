#pragma once
// The Qt application of a program shown as a window (seg2su and rtoaw when
// started without arguments), made only when there is a display to show it
// on.
#include <memory>

class QApplication;

namespace keld {

// The application, or null when no display can be opened: the environment
// names none (DisplayInEnvironment), or the one it names cannot be reached.
// Then "<program>: ..." saying which has been written to standard error, and
// nothing else has happened: Qt's own platform failure does not end the
// program, because offscreen is tried after the display's platform.
std::unique_ptr<QApplication> OpenWindowDisplay(int& argc, char** argv, const char* program);

}  // namespace keld
