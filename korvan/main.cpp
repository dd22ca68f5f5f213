// korvan: field acquisition with the QMR650B units.
#include <QApplication>

#include <clocale>

#include "boardlink/qt/qt_serial_port.hpp"
#include "boardlink/window/rs232.hpp"
#include "korvan/window/main_window.hpp"
#include "platform/folders.hpp"
#include "platform/qtbase/dialogs.hpp"
#include "platform/qtbase/qt_messages.hpp"
#include "platform/qtbase/qt_pump.hpp"
#include "platform/signals.hpp"

int main(int argc, char** argv) {
  keld::IgnoreFileSizeSignal();  // a file-size limit is a write error, not the end
  QApplication app(argc, argv);
  app.setApplicationName("korvan");
  // Numbers are read and written in the C form whatever the desktop says.
  std::setlocale(LC_NUMERIC, "C");
  using namespace keld;
  korvan::KorvanState state;
  QtMessageBoxes messages;
  PosixLauncher launcher;
  QtEventPump pump;
  QtDialogs dialogs;
  board::QtSerialPort port;
  korvan::KorvanServices services{messages, launcher, pump, dialogs, port, ProgramFolder(), WorkFolder(), 1.0, {}, {}};
  korvan::Korvan window(state, services);
  window.resize(1024, 720);
  messages.set_parent(&window);
  dialogs.set_parent(&window);
  services.show_port_dialog = [&] { korvan::ShowPortDialog(window); };
  // Closed during its start-up: nothing is left to run, and the port goes
  // with the window.
  if (!window.Startup()) return 0;
  return app.exec();
}
