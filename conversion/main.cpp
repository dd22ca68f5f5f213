// conversion: seismograph and radar recordings to Seismic Unix files and back.
#include <QApplication>

#include <clocale>

#include "conversion/shell/start_window.hpp"
#include "platform/folders.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("conversion");
  // Numbers are read and written in the C form whatever the desktop says.
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  using namespace keld::conversion;
  ConversionState state;
  QtMessageBoxes messages;
  PosixLauncher launcher;
  QtEventPump pump;
  QtDialogs dialogs;
  ConversionServices services{messages, launcher, pump, dialogs, ProgramFolder(), WorkFolder(),
                              [] { QApplication::beep(); }};
  StartWindow window(state, services, ConversionWindows());
  messages.set_parent(&window);
  dialogs.set_parent(&window);
  window.Form_Load();
  window.show();
  app.setQuitOnLastWindowClosed(true);
  return app.exec();
}
